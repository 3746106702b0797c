#ifndef PARAMETERTABLE_H
#define PARAMETERTABLE_H

#include <QString>
#include <QVector>

// Every parameter of the block the window shows, once: its name, where it
// lies, how its stored integer reads and which control shows it. The window's
// decode and encode, the command-line comparison and the tests all walk this
// table, so a parameter added here reaches all of them.
namespace RegisterModel {

enum class ParamKind {
    Scaled,      // unsigned, in 1/scale of the block's decimal count
    Current,     // hundredths of a milliampere, whatever the decimal count
    Direction,   // bit 15 of a threshold word: 0 above, 1 below
    Switch,      // bit 15: 0 off, 1 on
    Text,        // the gas name, Latin-1, kGasNameBytes bytes
    Number,      // unsigned, in decimal
    DeviceType,  // a code of the device type table
    Unit,        // an index into the unit names
    Decimals,    // the decimal count itself
    BleMode,     // 0 none, 1 off, 2 on
    State        // changed by the detector itself; never compared
};

// What the window does with a parameter.
enum class ParamRole {
    Block,        // decoded into its control and encoded back with the block
    Calibration,  // decoded only; written when a calibration sends it
    Device,       // decoded from a detector read only, written by "Применить"
    Property,     // the detector's own, shown and never written
    Hidden        // not shown
};

struct Parameter
{
    const char *name;        // English, as the command-line program prints it
    ParamKind kind;
    ParamRole role;
    int word;                // the word, or the low half of a 32-bit value
    quint16 mask;            // its bits in that word
    int highWord;            // the high half of a 32-bit value, or -1
    const char *control;     // object name of the window's control, or null
    bool identity;           // names this detector rather than configures it
    bool clearsWord;         // the window's encode writes the bits outside mask as 0
};

const QVector<Parameter> &parameterTable();

// The stored integer, shifted down to bit 0.
quint32 storedValue(const Parameter &parameter, const quint16 *block);
// The same by the parameter's name; 0 for a name the table does not hold.
quint32 storedValue(const char *name, const quint16 *block);
// Puts a stored integer, clamped to the field, back into the block.
void setStoredValue(const Parameter &parameter, quint16 *block, quint32 value);
// The largest stored integer the field holds.
quint32 fieldMaximum(const Parameter &parameter);

// The bits of each device word that some parameter claims; the rest have no
// meaning to the program.
QVector<quint16> claimedBits();

} // namespace RegisterModel

#endif // PARAMETERTABLE_H
