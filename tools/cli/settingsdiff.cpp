#include "settingsdiff.h"

#include "detector.h"
#include "parametertable.h"
#include "registermodel.h"

using namespace RegisterModel;

namespace {

QString scaledText(quint32 stored, const quint16 *block)
{
    const QString unit = unitNames().at(unitIndex(block[FormatWord]));
    const QString value = fixedPoint(stored, decimalCount(block[FormatWord]));
    return unit.isEmpty() ? value : value + ' ' + unit;
}

QString valueText(const Parameter &parameter, const quint16 *block)
{
    const quint32 stored = storedValue(parameter, block);
    switch (parameter.kind) {
    case ParamKind::Scaled:
        return scaledText(stored, block);
    case ParamKind::Current:
        return fixedPoint(stored, 2) + " mA";
    case ParamKind::Direction:
        return stored ? "below" : "above";
    case ParamKind::Switch:
        return stored ? "on" : "off";
    case ParamKind::Text:
        return decodeText(block + parameter.word, kGasNameBytes);
    case ParamKind::DeviceType:
        return deviceTypeName(block[parameter.word]);
    case ParamKind::Unit: {
        const QString unit = unitNames().at(int(stored));
        return unit.isEmpty() ? QString("index %1").arg(stored) : unit;
    }
    case ParamKind::BleMode:
        return QStringList{"none", "off", "on"}.value(int(stored), QString::number(stored));
    case ParamKind::Number:
    case ParamKind::Decimals:
    case ParamKind::State:
        break;
    }
    return QString::number(stored);
}

// 10.0 at one decimal is 10.00 at two: compared as fractions, exactly.
bool sameValue(const Parameter &parameter, const quint16 *first, const quint16 *second)
{
    if (parameter.kind == ParamKind::Text)
        return valueText(parameter, first) == valueText(parameter, second);
    const quint64 a = storedValue(parameter, first);
    const quint64 b = storedValue(parameter, second);
    if (parameter.kind != ParamKind::Scaled)
        return a == b;
    return a * scaleFactor(decimalCount(second[FormatWord])) == b * scaleFactor(decimalCount(first[FormatWord]));
}

QString rawText(quint16 bits)
{
    return QString("0x%1").arg(bits, 4, 16, QChar('0'));
}

} // namespace

QString fixedPoint(quint32 stored, int decimals)
{
    const quint32 scale = scaleFactor(quint8(decimals));
    if (decimals == 0)
        return QString::number(stored);
    return QString("%1.%2").arg(stored / scale).arg(stored % scale, decimals, 10, QChar('0'));
}

QVector<SettingRow> compareSettings(const quint16 *first, const quint16 *second)
{
    QVector<SettingRow> rows;
    for (const Parameter &parameter : parameterTable()) {
        if (parameter.kind == ParamKind::State)
            continue;
        rows << SettingRow{parameter.name, valueText(parameter, first), valueText(parameter, second),
                           !sameValue(parameter, first, second), parameter.identity};
    }
    const QVector<quint16> claimed = claimedBits();
    for (int word = 0; word < kDeviceWords; ++word) {
        const quint16 free = quint16(~claimed[word]);
        if (free != 0) {
            const quint16 a = first[word] & free;
            const quint16 b = second[word] & free;
            rows << SettingRow{QString("word %1").arg(word), rawText(a), rawText(b), a != b, false};
        }
    }
    return rows;
}
