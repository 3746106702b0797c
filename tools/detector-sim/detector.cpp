#include "detector.h"

#include "gastable.h"
#include "registermap.h"

#include <algorithm>
#include <cmath>

namespace {

bool rangeWithin(int address, int count, int base, int size)
{
    return count >= 1 && address >= base && address + count <= base + size;
}

QVector<quint16> slice(const QVector<quint16> &words, int from, int count)
{
    return words.mid(from, count);
}

// Direction thresholds trip at their level and release one hysteresis back.
bool thresholdState(bool tripped, int value, int level, int hysteresis, bool below)
{
    if (below)
        return value <= level + (tripped ? hysteresis : 0);
    return value >= level - (tripped ? hysteresis : 0);
}

} // namespace

Detector::Detector(const DetectorSettings &s, QObject *parent)
    : QObject(parent),
      holding(initialHolding(s)),
      input(initialInput(s)),
      gasTable(initialGasTable()),
      address(static_cast<quint8>(s.address)),
      targetConcentration(s.concentration),
      mainConcentration(s.mainConcentration),
      drift(s.drift),
      noise(s.noise),
      driftPeriod(s.driftPeriodSeconds),
      calibDelayMs(s.calibDelayMs),
      gasTimeConstant(s.gasTimeConstant),
      random(s.seed)
{
    calibrationTimer.setSingleShot(true);
    connect(&calibrationTimer, &QTimer::timeout, this, &Detector::finishCalibration);
    clock.start();
}

bool Detector::holdingExists(int address, int count) const
{
    return rangeWithin(address, count, 0, Reg::holdingCount);
}

bool Detector::inputExists(int address, int count) const
{
    return rangeWithin(address, count, Reg::inputBase, Reg::inputCount)
           || rangeWithin(address, count, Reg::gasTableBase, Reg::gasTableCount);
}

QVector<quint16> Detector::readHolding(int address, int count)
{
    return slice(holding, address, count);
}

QVector<quint16> Detector::readInput(int address, int count)
{
    if (address >= Reg::gasTableBase)
        return slice(gasTable, address - Reg::gasTableBase, count);
    refreshLiveWords();
    return slice(input, address - Reg::inputBase, count);
}

quint8 Detector::writeHolding(int first, const QVector<quint16> &values, bool single)
{
    const quint16 oldMode = holding[Reg::mode];
    const QString oldGas = activeGasName();
    for (int i = 0; i < values.size(); ++i) {
        const int reg = first + i;
        // The command register reads as 0 and acts only on single writes, so a
        // block written back as read never repeats a command.
        if (reg == Reg::command) {
            if (!single)
                continue;
            return runCommand(values[i]);
        }
        holding[reg] = values[i];
    }
    afterWrite(first, first + values.size() - 1, oldMode, oldGas);
    return 0;
}

bool Detector::pokeHolding(int first, const QVector<quint16> &values)
{
    if (!holdingExists(first, values.size()))
        return false;
    const quint16 oldMode = holding[Reg::mode];
    const QString oldGas = activeGasName();
    std::copy(values.begin(), values.end(), holding.begin() + first);
    afterWrite(first, first + values.size() - 1, oldMode, oldGas);
    return true;
}

bool Detector::pokeInput(int first, const QVector<quint16> &values)
{
    if (!inputExists(first, values.size()))
        return false;
    if (first >= Reg::gasTableBase) {
        std::copy(values.begin(), values.end(), gasTable.begin() + (first - Reg::gasTableBase));
        return true;
    }
    for (int i = 0; i < values.size(); ++i) {
        const int word = first - Reg::inputBase + i;
        input[word] = values[i];
        if (word == Reg::status || word == Reg::concentration || word == Reg::outputCurrent)
            pinned.insert(word);
    }
    return true;
}

void Detector::unpinInput(int address)
{
    if (address < 0)
        pinned.clear();
    else
        pinned.remove(address - Reg::inputBase);
}

QList<int> Detector::pinnedInputs() const
{
    QList<int> list;
    for (int word : pinned)
        list << word + Reg::inputBase;
    std::sort(list.begin(), list.end());
    return list;
}

void Detector::forceStatusBits(quint16 on, quint16 off)
{
    statusOn = static_cast<quint16>((statusOn | on) & ~off);
    statusOff = static_cast<quint16>((statusOff | off) & ~on);
}

void Detector::releaseStatusBits()
{
    statusOn = statusOff = 0;
}

void Detector::setConcentration(double value, bool mainGas)
{
    (mainGas ? mainConcentration : targetConcentration) = value;
}

double Detector::testGasShare(double seconds) const
{
    const double since = seconds - shareSince;
    if (gasTimeConstant <= 0 || since >= 50 * gasTimeConstant)
        return shareTowards;
    return shareTowards + (shareFrom - shareTowards) * std::exp(-since / gasTimeConstant);
}

void Detector::moveTestGasShare(double towards)
{
    const double now = clock.elapsed() / 1000.0;
    shareFrom = testGasShare(now);
    shareSince = now;
    shareTowards = towards;
}

void Detector::applyTestGas(double concentration)
{
    moveTestGasShare(1.0);
    testGas = concentration;
    emit event(QString("testgas value=%1").arg(concentration));
}

void Detector::removeTestGas()
{
    moveTestGasShare(0.0);
    emit event("testgas value=off");
}

int Detector::scale() const
{
    return scaleOf((holding[Reg::unitDecimals] >> 8) & 0x3);
}

quint16 Detector::concentrationRaw()
{
    if (pinned.contains(Reg::concentration))
        return input[Reg::concentration];
    // While a calibration runs, the calibration gas is on the sensor.
    double base = mainGasActive() ? mainConcentration : targetConcentration;
    if (zeroRunning)
        base = 0;
    else if (spanRunning)
        base = double(spanValue) / scale();
    const double t = clock.elapsed() / 1000.0;
    if (!zeroRunning && !spanRunning)
        base += (testGas - base) * testGasShare(t);
    double value = base + drift * std::sin(2 * M_PI * t / driftPeriod);
    if (noise > 0)
        value += std::uniform_real_distribution<double>(-noise, noise)(random);
    const double raw = std::floor(std::max(0.0, value) * scale() + 0.5);
    return static_cast<quint16>(std::min(raw, 65535.0));
}

void Detector::updateThresholds(int c)
{
    const quint16 h = holding[Reg::hystereses12];
    tripped1 = thresholdState(tripped1, c, holding[Reg::threshold1] & 0x7FFF, h & 0xFF,
                              holding[Reg::threshold1] & 0x8000);
    tripped2 = thresholdState(tripped2, c, holding[Reg::threshold2] & 0x7FFF, h >> 8,
                              holding[Reg::threshold2] & 0x8000);
    tripped3 = (holding[Reg::threshold3Switch] & 0x8000)
               && thresholdState(tripped3, c, holding[Reg::threshold3Level],
                                 holding[Reg::threshold3Hysteresis] & 0xFF, false);
}

quint16 Detector::statusWord()
{
    if (pinned.contains(Reg::status))
        return input[Reg::status];
    return statusFor(concentrationRaw());
}

quint16 Detector::statusFor(int c)
{
    updateThresholds(c);
    quint16 s = 0;
    if (tripped1) s |= Status::threshold1;
    if (tripped2) s |= Status::threshold2;
    if (tripped3) s |= Status::threshold3;
    if (c > holding[Reg::displayRange]) s |= Status::overRange;
    if (holding[Reg::mode] & serviceModeBit) s |= Status::serviceMode;
    if (zeroRunning) s |= Status::zeroCalibration;
    if (spanRunning) s |= Status::spanCalibration;
    return static_cast<quint16>((s | statusOn) & ~statusOff);
}

void Detector::refreshLiveWords()
{
    // One concentration sample for the three words, so that they agree.
    const quint16 c = concentrationRaw();
    input[Reg::concentration] = c;
    if (!pinned.contains(Reg::status))
        input[Reg::status] = statusFor(c);
    if (!pinned.contains(Reg::outputCurrent))
        input[Reg::outputCurrent] = static_cast<quint16>(currentFor(c));
}

int Detector::outputCurrent()
{
    return currentFor(concentrationRaw());
}

int Detector::currentFor(int c)
{
    switch (currentSource) {
    case CurrentSource::Calib4:
        return 400;
    case CurrentSource::Calib20:
        return 2000;
    case CurrentSource::Test:
        return testCurrent;
    case CurrentSource::Measure:
    case CurrentSource::Service:
        break;
    }
    if (holding[Reg::mode] & serviceModeBit)
        return holding[Reg::serviceCurrent];
    const int range = holding[Reg::displayRange];
    if (range == 0)
        return 400;
    return std::min(2100, 400 + 1600 * c / range);
}

QString Detector::currentSourceName() const
{
    switch (currentSource) {
    case CurrentSource::Calib4: return "calib4";
    case CurrentSource::Calib20: return "calib20";
    case CurrentSource::Test: return "test";
    case CurrentSource::Measure:
    case CurrentSource::Service: break;
    }
    return (holding[Reg::mode] & serviceModeBit) ? "service" : "measure";
}

QString Detector::activeGasName() const
{
    return unpackText(holding.mid(Reg::gasName, Reg::gasNameWords));
}

QString Detector::gasNumberName(int inputWord) const
{
    const int number = input[inputWord];
    if (number < 1 || number > gasTableEntries)
        return QString();
    return unpackText(gasTable.mid((number - 1) * gasNameWords, gasNameWords));
}

bool Detector::mainGasActive() const
{
    const QString name = activeGasName();
    return !name.isEmpty() && name == gasNumberName(Reg::mainGas)
           && name != gasNumberName(Reg::targetGas);
}

QString Detector::gasRole() const
{
    if (mainGasActive())
        return "main";
    return activeGasName() == gasNumberName(Reg::targetGas) ? "target" : "other";
}

void Detector::afterWrite(int first, int last, quint16 oldMode, const QString &oldGas)
{
    auto covers = [&](int reg) { return first <= reg && reg <= last; };
    if ((oldMode ^ holding[Reg::mode]) & serviceModeBit) {
        const bool service = holding[Reg::mode] & serviceModeBit;
        emit event(QString("mode value=%1").arg(service ? "service" : "working"));
    }
    if (covers(Reg::modbusAddress)) {
        const int wanted = holding[Reg::modbusAddress] >> 8;
        // 0 is the broadcast address and 248-255 are reserved: a detector keeps
        // the address it has rather than become unreachable.
        if (wanted >= 1 && wanted <= 247 && wanted != address) {
            address = static_cast<quint8>(wanted);
            emit event(QString("address value=%1").arg(wanted));
        }
    }
    const QString gas = activeGasName();
    if (gas != oldGas)
        emit event(QString("gas name=%1 role=%2").arg(gas.isEmpty() ? "-" : gas, gasRole()));
}

quint8 Detector::runCommand(quint16 code)
{
    switch (code) {
    case Command::zero:
        zeroRunning = true;
        spanRunning = false;
        calibrationTimer.stop();
        emit event("calib action=zero");
        return 0;
    case Command::span:
        spanValue = holding[Reg::spanConcentration];
        spanRunning = true;
        zeroRunning = false;
        calibrationTimer.stop();
        emit event(QString("calib action=span value=%1").arg(spanValue));
        return 0;
    case Command::save:
        emit event("calib action=save");
        if (currentSource == CurrentSource::Calib4 || currentSource == CurrentSource::Calib20) {
            emit event(QString("current action=calibrated point=%1 value=%2")
                           .arg(currentSource == CurrentSource::Calib4 ? 4 : 20)
                           .arg(holding[Reg::currentSetValue]));
        }
        if (zeroRunning || spanRunning)
            calibrationTimer.start(calibDelayMs);
        return 0;
    case Command::current4ma:
        setCurrentSource(CurrentSource::Calib4);
        return 0;
    case Command::current20ma:
        setCurrentSource(CurrentSource::Calib20);
        return 0;
    case Command::testStart:
        testCurrent = holding[Reg::currentSetValue];
        setCurrentSource(CurrentSource::Test);
        return 0;
    case Command::testStop:
        setCurrentSource(CurrentSource::Measure);
        return 0;
    default:
        return IllegalDataValue;
    }
}

void Detector::restart(int ms)
{
    holding[Reg::mode] = static_cast<quint16>(holding[Reg::mode] & ~serviceModeBit);
    zeroRunning = spanRunning = false;
    calibrationTimer.stop();
    currentSource = CurrentSource::Measure;
    restartMs = ms;
    restartClock.start();
    emit event(QString("restart ms=%1").arg(ms));
}

void Detector::finishCalibration()
{
    const QString kind = zeroRunning ? "zero" : "span";
    zeroRunning = spanRunning = false;
    emit event(QString("calib action=done kind=%1").arg(kind));
}

void Detector::setCurrentSource(CurrentSource source)
{
    currentSource = source;
    emit event(QString("current value=%1 source=%2").arg(outputCurrent()).arg(currentSourceName()));
}
