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

enum class SettingsRead { Read, NotOpened, WrongSize };

// Fills the 256 words of block from the first 512 bytes of the settings file
// at path; a shorter file is refused. On failure block is left as it was.
SettingsRead readSettingsFile(const QString &path, quint16 *block);

#endif // SETTINGSFILE_H
