#ifndef SETTINGSFILE_H
#define SETTINGSFILE_H

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// The settings file is the whole parameter block, 256 words, each least
// significant byte first, with nothing around it.
constexpr int kSettingsWords = 256;
constexpr int kSettingsFileSize = kSettingsWords * 2;

// The 512 bytes of a settings file holding the given 256 words.
QByteArray encodeSettings(const quint16 *block);

// Fills the 256 words of block from a settings file's content. Anything but
// exactly 512 bytes is not a settings file: false, and block is left as it was.
bool decodeSettings(const QByteArray &content, quint16 *block);

enum class SettingsRead { Read, NotOpened, WrongSize, NotRegularFile };

// Fills the 256 words of block from the first 512 bytes of the settings file
// at path; a shorter file is refused, and so is anything but a regular file
// (a named pipe would hang the reader until some writer came, a device such
// as /dev/zero would pass for a file of zeros). On failure block is left as
// it was; why, when the file could not be opened, goes to `reason`.
SettingsRead readSettingsFile(const QString &path, quint16 *block, QString *reason = nullptr);

#endif // SETTINGSFILE_H
