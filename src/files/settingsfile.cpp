#include "settingsfile.h"

#include <QFile>
#include <QFileInfo>

QByteArray encodeSettings(const quint16 *block)
{
    QByteArray content(kSettingsFileSize, '\0');
    for (int i = 0; i < kSettingsWords; ++i) {
        content[2 * i] = static_cast<char>(block[i] & 0xFF);
        content[2 * i + 1] = static_cast<char>(block[i] >> 8);
    }
    return content;
}

bool decodeSettings(const QByteArray &content, quint16 *block)
{
    if (content.size() != kSettingsFileSize)
        return false;
    const auto *bytes = reinterpret_cast<const uchar *>(content.constData());
    for (int i = 0; i < kSettingsWords; ++i)
        block[i] = static_cast<quint16>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return true;
}

SettingsRead readSettingsFile(const QString &path, quint16 *block, QString *reason)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return SettingsRead::NotRegularFile;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (reason)
            *reason = file.errorString();
        return SettingsRead::NotOpened;
    }
    // A longer file lends its first 512 bytes. A shorter one would mix two
    // blocks in the storage, and the next write would send that mixture to
    // the device.
    const QByteArray content = file.read(kSettingsFileSize);
    return decodeSettings(content, block) ? SettingsRead::Read : SettingsRead::WrongSize;
}
