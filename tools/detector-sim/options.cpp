#include "options.h"

#include "faults.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

struct NamedCode
{
    const char *name;
    int code;
};

const NamedCode deviceTypes[] = {
    {"VELOR", 0x10}, {"VELOR_KT", 0x12}, {"TRIVAN", 0x20},
    {"TRIVAN_RM", 0x22}, {"TRIVAN-KT", 0x24}, {"PELMAR", 0x40},
};

// ASCII spellings first, so that a plain terminal can type every unit.
const NamedCode units[] = {
    {"vol", 0}, {"%Об.д", 0}, {"ppm", 1}, {"ppb", 2}, {"lel", 3}, {"%НКПР", 3},
    {"mg/m3", 4}, {"мг/м3", 4}, {"ug/m3", 5}, {"мкг/м3", 5},
};

bool parseInteger(const QString &text, long long low, long long high, long long &value)
{
    bool ok = false;
    const QString t = text.trimmed();
    value = t.startsWith("0x", Qt::CaseInsensitive) ? t.mid(2).toLongLong(&ok, 16)
                                                    : t.toLongLong(&ok, 10);
    return ok && value >= low && value <= high;
}

bool parseNumber(const QString &text, double low, double high, double &value)
{
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) && value >= low && value <= high;
}

bool parseNamed(const QString &text, const NamedCode *table, int size, int maxCode, int &code)
{
    long long number = 0;
    if (parseInteger(text, 0, maxCode, number)) {
        code = static_cast<int>(number);
        return true;
    }
    for (int i = 0; i < size; ++i) {
        if (text.compare(QString::fromUtf8(table[i].name), Qt::CaseInsensitive) == 0) {
            code = table[i].code;
            return true;
        }
    }
    return false;
}

bool parseFirmware(const QString &text, DetectorSettings &settings)
{
    const QRegularExpressionMatch m =
        QRegularExpression("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,5})$").match(text.trimmed());
    if (!m.hasMatch())
        return false;
    const int major = m.captured(1).toInt(), minor = m.captured(2).toInt();
    const int build = m.captured(3).toInt();
    if (major > 255 || minor > 255 || build > 65535)
        return false;
    settings.firmwareMajor = major;
    settings.firmwareMinor = minor;
    settings.firmwareBuild = build;
    return true;
}

// One place that knows every value option: its name, what it accepts and
// where the value goes. Returns an empty text or the complaint.
QString applyValue(const QString &name, const QString &value, SimOptions &o)
{
    DetectorSettings &d = o.detector;
    long long n = 0;
    double x = 0;
    const QString bad = QString("invalid value \"%1\" for --%2: ").arg(value, name);
    if (name == "address") {
        if (!parseInteger(value, 1, 247, n))
            return bad + "expected a slave address 1-247";
        d.address = static_cast<int>(n);
    } else if (name == "hart") {
        if (!parseInteger(value, 0, 127, n))
            return bad + "expected 0-127";
        d.hartAddress = static_cast<int>(n);
    } else if (name == "device-type") {
        if (!parseNamed(value, deviceTypes, int(std::size(deviceTypes)), 255, d.deviceType))
            return bad + "expected a code 0-255 or VELOR, VELOR_KT, TRIVAN, TRIVAN_RM, TRIVAN-KT, PELMAR";
    } else if (name == "unit") {
        if (!parseNamed(value, units, int(std::size(units)), 7, d.unit))
            return bad + "expected an index 0-7 or vol, ppm, ppb, lel, mg/m3, ug/m3";
    } else if (name == "decimals") {
        if (!parseInteger(value, 0, 3, n))
            return bad + "expected 0-3";
        d.decimals = static_cast<int>(n);
    } else if (name == "ble") {
        if (!parseInteger(value, 0, 3, n))
            return bad + "expected 0-3";
        d.ble = static_cast<int>(n);
    } else if (name == "serial") {
        if (!parseInteger(value, 0, 0xFFFFFFFFLL, n))
            return bad + "expected 0-4294967295";
        d.serialNumber = static_cast<quint32>(n);
    } else if (name == "firmware") {
        if (!parseFirmware(value, d))
            return bad + "expected MAJOR.MINOR.BUILD, e.g. 1.2.37";
    } else if (name == "gas") {
        if (value.isEmpty() || value.toLatin1().size() > 16 || value != QString::fromLatin1(value.toLatin1()))
            return bad + "expected 1-16 Latin-1 characters";
        d.gasName = value;
    } else if (name == "target-gas" || name == "main-gas") {
        if (!parseInteger(value, 0, 65535, n))
            return bad + "expected a table number (1-32; 0 or above 32 means none)";
        (name == "target-gas" ? d.targetGas : d.mainGas) = static_cast<int>(n);
    } else if (name == "range" || name == "concentration" || name == "main-concentration"
               || name == "drift" || name == "noise") {
        if (!parseNumber(value, 0, 4294967295.0, x))
            return bad + "expected a non-negative number";
        if (name == "range") d.range = x;
        else if (name == "concentration") d.concentration = x;
        else if (name == "main-concentration") d.mainConcentration = x;
        else if (name == "drift") d.drift = x;
        else d.noise = x;
    } else if (name == "drift-period") {
        if (!parseNumber(value, 0.1, 86400, x))
            return bad + "expected 0.1-86400 seconds";
        d.driftPeriodSeconds = x;
    } else if (name == "gas-time-constant") {
        if (!parseNumber(value, 0, 3600, x))
            return bad + "expected 0-3600 seconds";
        d.gasTimeConstant = x;
    } else if (name == "calib-delay" || name == "turnaround") {
        if (!parseInteger(value, 0, 600000, n))
            return bad + "expected 0-600000 ms";
        (name == "calib-delay" ? d.calibDelayMs : o.turnaroundMs) = static_cast<int>(n);
    } else if (name == "baud") {
        if (!parseInteger(value, 300, 4000000, n))
            return bad + "expected 300-4000000";
        o.baud = static_cast<int>(n);
    } else if (name == "seed") {
        if (!parseInteger(value, 0, 0xFFFFFFFFLL, n))
            return bad + "expected 0-4294967295";
        d.seed = static_cast<quint32>(n);
    } else if (name == "fault") {
        FaultRule rule;
        QString why;
        if (!parseFaultRule(value, rule, why))
            return bad + why;
        o.faults << value;
    } else if (name == "silent-after") {
        if (!parseInteger(value, 0, 1000000000, n))
            return bad + "expected a number of requests";
        o.faults << QString("noanswer,persist,after=%1").arg(n);
    } else if (name == "link") {
        if (value.isEmpty())
            return bad + "expected a path";
        o.linkPath = value;
    } else if (name == "log") {
        if (value.isEmpty())
            return bad + "expected a file name";
        o.logPath = value == "-" ? QString() : value;
    }
    return QString();
}

const char *const valueOptions[] = {
    "address", "hart", "device-type", "unit", "decimals", "ble", "serial", "firmware",
    "gas", "target-gas", "main-gas", "range", "concentration", "main-concentration",
    "drift", "noise", "drift-period", "gas-time-constant", "calib-delay", "turnaround", "baud", "seed",
    "fault", "silent-after", "link", "log",
};

// The keys of a --detector KEYS: the detector's own options, and its faults.
const char *const detectorKeys[] = {
    "address", "hart", "device-type", "unit", "decimals", "ble", "serial", "firmware",
    "gas", "target-gas", "main-gas", "range", "concentration", "main-concentration",
    "drift", "noise", "drift-period", "gas-time-constant", "calib-delay", "seed", "fault",
};

void resolveMainConcentration(DetectorSettings &d)
{
    if (d.mainConcentration < 0)
        d.mainConcentration = d.concentration * 1.5;
}

// "address=2,serial=1002,unit=ppm": a detector that starts as the one of the
// other options, with its own seed after the one before it.
QString applyDetectorKeys(const QString &keys, const SimOptions &base, int position, LineDetector &member)
{
    SimOptions o = base;
    o.faults.clear();
    o.detector.seed = base.detector.seed + quint32(position);
    for (const QString &item : keys.split(',', Qt::SkipEmptyParts)) {
        const int eq = item.indexOf('=');
        const QString key = item.left(eq).trimmed();
        if (eq <= 0 || std::find_if(std::begin(detectorKeys), std::end(detectorKeys),
                                    [&](const char *k) { return key == QLatin1String(k); })
                           == std::end(detectorKeys))
            return QString("invalid --detector \"%1\": \"%2\" is not KEY=VALUE with a detector option "
                           "as KEY (address, serial, device-type, unit, decimals, gas, fault, ...)")
                .arg(keys, item);
        const QString why = applyValue(key, item.mid(eq + 1).trimmed(), o);
        if (!why.isEmpty())
            return QString("--detector \"%1\": %2").arg(keys, why);
    }
    resolveMainConcentration(o.detector);
    member = {o.detector, o.faults};
    return QString();
}

const char *const flagOptions[] = {"fast", "steady", "quit-on-eof", "exit-on-close", "version"};

} // namespace

bool parseOptions(const QStringList &arguments, SimOptions &options, QString &error)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringList{"h", "help"}));
    parser.addOption(QCommandLineOption("detector", QString(), "keys"));
    for (const char *name : valueOptions)
        parser.addOption(QCommandLineOption(name, QString(), "value"));
    for (const char *name : flagOptions)
        parser.addOption(QCommandLineOption(name));
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return false;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = QString("unexpected argument \"%1\"").arg(parser.positionalArguments().first());
        return false;
    }
    options.help = parser.isSet("help");
    options.version = parser.isSet("version");
    options.fast = parser.isSet("fast");
    options.quitOnEof = parser.isSet("quit-on-eof");
    options.exitOnClose = parser.isSet("exit-on-close");
    for (const char *name : valueOptions) {
        for (const QString &value : parser.values(name)) {
            error = applyValue(name, value, options);
            if (!error.isEmpty())
                return false;
        }
    }
    if (parser.isSet("steady"))
        options.detector.drift = options.detector.noise = 0;
    const SimOptions base = options;
    resolveMainConcentration(options.detector);
    options.line = {{options.detector, options.faults}};
    const QStringList lineKeys = parser.values("detector");
    if (!lineKeys.isEmpty())
        options.line.clear();
    for (int i = 0; i < lineKeys.size(); ++i) {
        LineDetector member;
        error = applyDetectorKeys(lineKeys[i], base, i, member);
        if (!error.isEmpty())
            return false;
        // The --fault rules are the first detector's, as the console's
        // commands without "on N" are.
        if (i == 0)
            member.faults = options.faults + member.faults;
        options.line << member;
    }
    return true;
}
