#include "registermodel.h"

#include <QByteArray>
#include <QCoreApplication>

#include <algorithm>

namespace RegisterModel {

quint8 decimalCount(quint16 formatWord)
{
    return (formatWord >> 8) & 0x3;
}

quint16 scaleFactor(quint8 decimals)
{
    quint16 scale = 1;
    for (quint8 i = 0; i < decimals; ++i)
        scale *= 10;
    return scale;
}

int unitIndex(quint16 formatWord)
{
    return (formatWord >> 4) & 0x7;
}

int bleMode(quint16 formatWord)
{
    return (formatWord >> 14) & 0x3;
}

quint16 withBleMode(quint16 formatWord, int mode)
{
    if (mode < 0 || mode > 3)
        return formatWord;
    return quint16((formatWord & 0x3FFF) | ((mode & 0x3) << 14));
}

double decodeScaled(quint32 stored, quint16 scale)
{
    return double(stored) / double(scale);
}

double decodeScaledSingle(quint32 stored, quint16 scale)
{
    return double(float(stored) / float(scale));
}

double decodeCurrent(quint16 stored)
{
    return decodeScaledSingle(stored, kCurrentScale);
}

quint32 encodeScaled(double shown, quint16 scale, quint32 fieldMax)
{
    const double raw = shown * scale + 0.5;
    if (!(raw > 0.0))   // negative, or not a number
        return 0;
    if (raw >= double(fieldMax))
        return fieldMax;
    return quint32(raw);
}

quint16 encodeCurrent(double milliamps)
{
    return quint16(encodeScaled(milliamps, kCurrentScale, kWordMax));
}

double shownMaximum(double formMaximum, quint32 fieldMax, quint16 scale)
{
    return std::min(formMaximum, double(fieldMax) / double(scale));
}

quint32 joinWords(quint16 high, quint16 low)
{
    return (quint32(high) << 16) | low;
}

quint16 highHalf(quint32 value)
{
    return quint16(value >> 16);
}

quint16 lowHalf(quint32 value)
{
    return quint16(value & 0xFFFF);
}

int flagBit15(quint16 word)
{
    return (word >> 15) & 0x1;
}

quint16 withFlagBit15(quint16 word, int index)
{
    if (index < 0 || index > 1)
        return word;
    return quint16((word & 0x7FFF) | ((index & 0x1) << 15));
}

quint16 level15(quint16 word)
{
    return word & 0x7FFF;
}

quint16 withLevel15(quint16 word, quint32 level)
{
    return quint16((word & 0x8000) | std::min(level, kLevelMax));
}

quint8 lowByte(quint16 word)
{
    return quint8(word & 0xFF);
}

quint8 highByte(quint16 word)
{
    return quint8(word >> 8);
}

quint16 packHysteresis(quint32 first, quint32 second)
{
    return quint16(std::min(first, kHysteresisMax) | (std::min(second, kHysteresisMax) << 8));
}

quint16 withModbusAddress(quint16 word1, quint8 address)
{
    return quint16((word1 & 0x00FF) | (quint16(address) << 8));
}

quint16 hartAddress(quint16 word2)
{
    return word2 & 0x7F;
}

QString decodeText(const quint16 *words, int byteCount)
{
    QByteArray bytes;
    for (int i = 0; i < byteCount; ++i) {
        const quint16 word = words[i / 2];
        const char byte = char(i % 2 == 0 ? lowByte(word) : highByte(word));
        if (byte == '\0')
            break;
        bytes.append(byte);
    }
    return QString::fromLatin1(bytes);
}

void encodeText(const QString &text, quint16 *words, int byteCount)
{
    QByteArray bytes = text.toLatin1().left(byteCount);
    bytes.append(QByteArray(byteCount - bytes.size(), '\0'));
    for (int i = 0; i + 1 < byteCount; i += 2)
        words[i / 2] = quint16(quint8(bytes[i]) | (quint8(bytes[i + 1]) << 8));
}

QString statusText(quint16 status)
{
    // The first matching bit wins: faults before modes before thresholds.
    static const struct { quint16 bit; const char *text; } rules[] = {
        {0x0400, QT_TRANSLATE_NOOP("MainWindow", "Неисправность")},
        {0x0008, QT_TRANSLATE_NOOP("MainWindow", "Неиспр. сенсора")},
        {0x0080, QT_TRANSLATE_NOOP("MainWindow", "Сервисн. режим")},
        {0x0040, QT_TRANSLATE_NOOP("MainWindow", "Инициализация")},
        {0x0020, QT_TRANSLATE_NOOP("MainWindow", "Превыш. диапаз.")},
        {0x0010, QT_TRANSLATE_NOOP("MainWindow", "Превыш. порог 3")},
        {0x0004, QT_TRANSLATE_NOOP("MainWindow", "Превыш. порог 2")},
        {0x0002, QT_TRANSLATE_NOOP("MainWindow", "Превыш. порог 1")},
        {0x0100, QT_TRANSLATE_NOOP("MainWindow", "Калибровка нуля")},
        {0x0200, QT_TRANSLATE_NOOP("MainWindow", "Калибровка диапазона")},
    };
    if (status == 0)
        return QCoreApplication::translate("MainWindow", "Измерение");
    for (const auto &rule : rules) {
        if (status & rule.bit)
            return QCoreApplication::translate("MainWindow", rule.text);
    }
    return QString("");
}

QString firmwareVersionText(quint16 majorMinor, quint16 build)
{
    // Widened so that no byte is taken for a character.
    return QString("%1.%2.%3").arg(uint(highByte(majorMinor))).arg(uint(lowByte(majorMinor))).arg(uint(build));
}

QString deviceTypeText(quint8 code)
{
    switch (code) {
    case 0x10: return "VELOR";
    case 0x12: return "VELOR_KT";
    case 0x20: return "TRIVAN";
    case 0x22: return "TRIVAN_RM";
    case 0x24: return "TRIVAN-KT";
    case 0x40: return "PELMAR";
    default: return QString();
    }
}

QStringList unitNames()
{
    static const char *const names[] = {
        QT_TRANSLATE_NOOP("MainWindow", "%Об.д"), "ppm", "ppb", QT_TRANSLATE_NOOP("MainWindow", "%НКПР"),
        QT_TRANSLATE_NOOP("MainWindow", "мг/м3"), QT_TRANSLATE_NOOP("MainWindow", "мкг/м3"), "", ""};
    QStringList shown;
    for (const char *name : names)
        shown << QCoreApplication::translate("MainWindow", name);
    return shown;
}

} // namespace RegisterModel
