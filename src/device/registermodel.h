#ifndef REGISTERMODEL_H
#define REGISTERMODEL_H

#include <QString>
#include <QStringList>

#include "registermap.h"

// What the detector's register words mean and how each one is encoded (where
// they are: registermap.h). Plain
// functions without any widget, so that the window, the poll tick and the
// settings file all convert values the same way.
namespace RegisterModel {

// Largest stored integer of each field width.
constexpr quint32 kWordMax = 0xFFFF;          // scaled width 16, currents
constexpr quint32 kLevelMax = 0x7FFF;         // threshold 1 and 2 levels
constexpr quint32 kHysteresisMax = 0xFF;
constexpr quint32 kPoint20maMax = 0xFFFFFFFFu;

// Currents are kept in hundredths of a milliampere whatever the decimal count.
constexpr quint16 kCurrentScale = 100;

// Word 4.
quint8 decimalCount(quint16 formatWord);
quint16 scaleFactor(quint8 decimals);
int unitIndex(quint16 formatWord);
int bleMode(quint16 formatWord);
// A mode outside 0..3 (a combo without selection) leaves the word as it is.
quint16 withBleMode(quint16 formatWord, int mode);

// Scaled and current values. The block decode of the 16-bit fields, the
// currents and the plot bound divide in single precision; the live
// concentration and the 32-bit 20 mA point, whose digits single precision
// cannot all carry, divide in double.
double decodeScaled(quint32 stored, quint16 scale);
double decodeScaledSingle(quint32 stored, quint16 scale);
double decodeCurrent(quint16 stored);
// Multiplies, adds 0.5 and truncates; the result never leaves 0..fieldMax.
quint32 encodeScaled(double shown, quint16 scale, quint32 fieldMax);
quint16 encodeCurrent(double milliamps);
// The largest shown value a control may offer so that its field still holds it.
double shownMaximum(double formMaximum, quint32 fieldMax, quint16 scale);

// Two words as one 32-bit value (serial number, 20 mA point).
quint32 joinWords(quint16 high, quint16 low);
quint16 highHalf(quint32 value);
quint16 lowHalf(quint32 value);

// Bit 15 as a combo index: threshold direction, threshold 3 switch. An index
// other than 0 or 1 leaves the word as it is.
int flagBit15(quint16 word);
quint16 withFlagBit15(quint16 word, int index);
// Bits 0..14 of a threshold word; the level is clamped to 15 bits.
quint16 level15(quint16 word);
quint16 withLevel15(quint16 word, quint32 level);

quint8 lowByte(quint16 word);
quint8 highByte(quint16 word);
// Word 9: threshold 1 hysteresis low, threshold 2 high, each clamped to 8 bits.
quint16 packHysteresis(quint32 first, quint32 second);

quint16 withModbusAddress(quint16 word1, quint8 address);
quint16 hartAddress(quint16 word2);

// Latin-1 text, two bytes a word, low byte first; ends at the first NUL.
QString decodeText(const quint16 *words, int byteCount);
// Cut to byteCount bytes and filled up with NUL bytes.
void encodeText(const QString &text, quint16 *words, int byteCount);

QString statusText(quint16 status);
QString firmwareVersionText(quint16 majorMinor, quint16 build);
// A null string for a code the table does not know.
QString deviceTypeText(quint8 code);
// The eight unit texts in index order.
QStringList unitNames();

} // namespace RegisterModel

#endif // REGISTERMODEL_H
