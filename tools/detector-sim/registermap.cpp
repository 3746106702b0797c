#include "registermap.h"

#include "gastable.h"

#include <QtGlobal>
#include <cmath>

namespace {

// A quantity in display units as the register integer, kept within its width.
quint32 scaled(double value, int decimals, quint32 max)
{
    const double raw = std::floor(value * scaleOf(decimals) + 0.5);
    return raw >= max ? max : static_cast<quint32>(raw);
}

// The hysteresis a careful installer would set: 0.2 display units, at least
// one step of the last digit, within its 8 bits.
quint16 hysteresis(int decimals)
{
    return static_cast<quint16>(qBound<quint32>(1, scaled(0.2, decimals, 255), 255));
}

QString gasEntry(int number)
{
    const QStringList names = defaultGasNames();
    return number >= 1 && number <= names.size() ? names[number - 1] : QString();
}

} // namespace

int scaleOf(int decimals)
{
    static const int scales[] = {1, 10, 100, 1000};
    return scales[qBound(0, decimals, 3)];
}

QVector<quint16> initialHolding(const DetectorSettings &s)
{
    QVector<quint16> h(Reg::holdingCount, 0);
    const int d = s.decimals;
    h[Reg::deviceType] = static_cast<quint16>(s.deviceType << 8);
    h[Reg::modbusAddress] = static_cast<quint16>(s.address << 8);
    h[Reg::hartAddress] = static_cast<quint16>(s.hartAddress);
    h[Reg::mode] = 0;
    h[Reg::unitDecimals] = static_cast<quint16>((s.ble << 14) | (d << 8) | (s.unit << 4));
    h[Reg::displayRange] = static_cast<quint16>(scaled(s.range, d, 65535));
    h[Reg::threshold1] = static_cast<quint16>(scaled(s.range * 0.2, d, 32767));
    h[Reg::threshold2] = static_cast<quint16>(scaled(s.range * 0.4, d, 32767));
    h[Reg::hystereses12] = static_cast<quint16>(hysteresis(d) << 8 | hysteresis(d));
    h[Reg::spanConcentration] = static_cast<quint16>(scaled(s.range * 0.5, d, 65535));
    h[Reg::magneticCalib] = static_cast<quint16>(scaled(s.range * 0.2, d, 65535));
    h[Reg::initCurrent] = 200;
    h[Reg::serviceCurrent] = 300;
    h[Reg::currentSetValue] = 400;
    h[Reg::deadZone] = static_cast<quint16>(scaled(s.range * 0.01, d, 65535));
    h[Reg::serialHigh] = static_cast<quint16>(s.serialNumber >> 16);
    h[Reg::serialLow] = static_cast<quint16>(s.serialNumber & 0xFFFF);
    // Words the configurator does not interpret but must carry back unchanged:
    // production date and sensor calibration coefficients.
    h[22] = 2024;
    h[23] = 0x0117;
    h[24] = 0x3F80;
    h[25] = 0x1234;
    const QString gas = s.gasName.isEmpty() ? gasEntry(s.targetGas) : s.gasName;
    const QVector<quint16> name = packText(gas, Reg::gasNameWords);
    std::copy(name.begin(), name.end(), h.begin() + Reg::gasName);
    const quint32 point20 = scaled(s.range, d, 0xFFFFFFFFu);
    h[Reg::point20maLow] = static_cast<quint16>(point20 & 0xFFFF);
    h[Reg::point20maHigh] = static_cast<quint16>(point20 >> 16);
    h[Reg::threshold3Switch] = 0;
    h[Reg::threshold3Level] = static_cast<quint16>(scaled(s.range * 0.8, d, 65535));
    h[Reg::threshold3Hysteresis] = hysteresis(d);
    return h;
}

QVector<quint16> initialInput(const DetectorSettings &s)
{
    QVector<quint16> in(Reg::inputCount, 0);
    in[0] = static_cast<quint16>(s.deviceType << 8);
    in[Reg::firmwareVersion] = static_cast<quint16>(s.firmwareMajor << 8 | s.firmwareMinor);
    in[Reg::firmwareBuild] = static_cast<quint16>(s.firmwareBuild);
    in[Reg::temperature] = 235;     // 23.5 degrees, tenths
    in[Reg::supplyVoltage] = 2400;  // 24.00 V, hundredths
    in[20] = static_cast<quint16>(s.serialNumber >> 16);
    in[21] = static_cast<quint16>(s.serialNumber & 0xFFFF);
    in[Reg::targetGas] = static_cast<quint16>(s.targetGas);
    in[Reg::mainGas] = static_cast<quint16>(s.mainGas);
    return in;
}

QVector<quint16> initialGasTable()
{
    QVector<quint16> table;
    for (const QString &name : defaultGasNames())
        table += packText(name, gasNameWords);
    return table;
}
