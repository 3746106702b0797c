#ifndef SESSIONEVENTS_H
#define SESSIONEVENTS_H

#include <QMap>
#include <QString>
#include <QVector>

// How a gas calibration ended. The window turns each into its text.
enum class GasCalibrationEnd {
    Done,                 // the status bit came and went after the save
    CommandFailed,        // a command, the value or the save refused, or never sent
    CommandUnknown,       // a command, the value or the save not answered: it may have been taken
    OutcomeUnknown,       // the status bit never came after the save
    Cancelled,            // "Отменить"
    CutOff,               // the connection ended under it
    ScaleUnknown,         // the detector's decimal count not read: no value sent
    ValueOutOfRange,      // the value does not fit its register: none sent
    MainGasRefused,       // the switch to the main gas it needs was not taken
    Interrupted,          // the detector restarted or left service mode under it
};

// How a current-output calibration point ended.
enum class CurrentPointEnd {
    Completed,   // "Завершить" after the value was set
    Cancelled,   // "Завершить" before "Калибровать"
    Failed,      // the value or the save not taken
    CutOff,      // the connection ended under it
    Interrupted, // the detector restarted or left service mode under it
    SaveUnknown, // the save's answer was lost: whether it holds is not known
};

// What the status line tells, beside the tabs' own texts.
enum class SessionNoticeKind {
    BlockHalfWritten,           // words 0-95 written, 96-179 may not be
    BlockNotWrittenAddressKept, // the new address did not go out: `address` is the one kept
    AddressNotTaken,            // `address` refused, the session stays at `current`
    AddressMoved,               // the detector now answers at `address`
    TargetGasReturnRefused,     // `gas` not taken back; retried every tick
    TargetGasNotTaken,
    MainGasNotTaken,
    GasSwitchUnknown,           // no answer to the switch to `gas`: its block is read back
    BlockRefused,               // nothing written: refused with `exceptionCode`
    BlockNotSent,               // nothing written: the port or the line would not carry it
    BlockUnknown,               // no answer and no read-back: read before the next block write
    BlockDiffers,               // written and read back; `words` hold other values than sent
    BlockWritten,               // written and read back, every word as sent
    BlockHeldUnconfirmed,       // not confirmed, yet read back with every word as sent
};

struct SessionNotice
{
    SessionNotice(SessionNoticeKind kind, int address = 0, int current = 0, const QString &gas = QString())
        : kind(kind), address(address), current(current), gas(gas)
    {
    }

    SessionNoticeKind kind;
    int address;
    int current;
    QString gas;
    quint8 exceptionCode = 0;
    QVector<int> words;
};

// What a connection that ended left switched on in its detector, kept by the
// detector's serial number until the session meets it again.
struct LeftInDetector
{
    bool currentForced = false;   // owed: test stop, then working mode
    bool serviceMode = false;     // owed: working mode
    QString targetGas;            // owed when not empty: this target gas back

    bool any() const { return currentForced || serviceMode || !targetGas.isEmpty(); }
};

// The key of a detector whose block was never read on its connection: it
// cannot be recognised again, so it is only ever mentioned.
constexpr qint64 kUnknownSerial = -1;

using LeftInDetectors = QMap<qint64, LeftInDetector>;

#endif // SESSIONEVENTS_H
