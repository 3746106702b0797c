#ifndef SETTINGSTRANSFER_H
#define SETTINGSTRANSFER_H

#include <QString>
#include <QStringList>
#include <QVector>

// What of a settings file may go to a detector. A detector's identity stays
// its own: a file from another detector lends it only its settings, and a
// file that cannot fit it is refused before anything is sent.
namespace RegisterModel {

enum class TransferKind {
    Restore,       // the file's serial number is the detector's: the file whole
    SettingsOnly,  // another detector's file: its settings only
    FullRestore,   // asked for: the file whole onto whatever detector
    Refused        // nothing may be sent
};

enum class TransferRefusal {
    None,
    DeviceType,    // another device type: its settings mean other things
    Unit,          // another unit: its levels would read in the wrong scale
    DoesNotFit     // a value the detector's decimal count cannot hold
};

struct SettingsTransfer
{
    TransferKind kind = TransferKind::Refused;
    TransferRefusal refusal = TransferRefusal::None;
    // With a refusal: the file's and the detector's device type code or unit
    // index, or for DoesNotFit the parameter's stored value in the file.
    quint32 fileValue = 0;
    quint32 detectorValue = 0;
    QString parameter;        // DoesNotFit: the parameter's name
    quint32 fileSerial = 0;
    quint32 detectorSerial = 0;
    // Words 0..179 to write, built on the detector's own block; empty when refused.
    QVector<quint16> block;
    // Parameters whose value the detector's decimal count had to round.
    QStringList rounded;
};

// file: the 180 words of a settings file; detector: the detector's own block
// as just read from it. Unless fullRestore, a file of another device type or
// unit is refused. In every kind the detector keeps its Modbus address
// (moving it in the middle of a block write would lose the second half) and
// its command register (a file never issues a command); the caller sets the
// mode bit as the window writes a block. A settings-only transfer keeps also
// the detector's mode register, device type, HART address, unit, decimal
// count, BLE mode, serial number, gas name, calibration values and every bit
// the program does not interpret, and takes the file's scaled values
// converted to the detector's decimal count.
SettingsTransfer transferSettings(const quint16 *file, const QVector<quint16> &detector, bool fullRestore);

} // namespace RegisterModel

#endif // SETTINGSTRANSFER_H
