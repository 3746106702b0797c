#include "csvfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

QString csvField(QString field)
{
    if (!field.contains(QRegExp("[\",\r\n]")))
        return field;
    field.replace('"', "\"\"");
    return '"' + field + '"';
}

bool endsWithLineEnd(QFile &file, qint64 size)
{
    return file.seek(size - 1) && file.read(1) == "\n";
}

// The row in one call, which a file takes whole unless its disk fills; then
// the next call fails with the reason. A null string when all is written.
QString writeWhole(int fd, const QByteArray &data)
{
    qint64 done = 0;
    while (done < data.size()) {
        const ssize_t written = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return QString::fromLocal8Bit(std::strerror(written < 0 ? errno : EIO));
        done += written;
    }
    return QString();
}

} // namespace

QByteArray csvRow(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &field : fields)
        quoted << csvField(field);
    return (quoted.join(',') + "\r\n").toUtf8();
}

bool openCsvForAppending(QFile &file, const QString &path, QString &error)
{
    file.setFileName(path);
    // A device such as /dev/stdout cannot be opened for appending, which
    // seeks; a file can, and every write then lands at its end whoever else
    // writes to it.
    const bool device = QFileInfo::exists(path) && !QFileInfo(path).isFile();
    const QIODevice::OpenMode mode = QIODevice::ReadWrite | QIODevice::Unbuffered;
    if (file.open(device ? mode : mode | QIODevice::Append))
        return true;
    error = QString("cannot open %1 for appending: %2").arg(path, file.errorString());
    return false;
}

bool appendCsvRow(const QString &path, const QStringList &header, const QStringList &fields, QString &error)
{
    QFile file(path);
    if (!openCsvForAppending(file, path, error))
        return false;
    const qint64 size = file.size();
    QByteArray out;
    if (size == 0)
        out = csvRow(header);
    else if (!endsWithLineEnd(file, size))
        out = "\r\n";
    out += csvRow(fields);
    const QString reason = writeWhole(file.handle(), out);
    if (reason.isNull())
        return true;
    error = QString("cannot write %1: %2").arg(path, reason);
    file.resize(size);
    return false;
}

bool parseCsv(const QByteArray &content, QVector<QStringList> &rows, QString &error)
{
    const QString text = QString::fromUtf8(content);
    QStringList row;
    QString field;
    bool quoted = false;
    int line = 1;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                quoted = false;
            else
                field += c;
            line += c == '\n';
        } else if (c == '"' && field.isEmpty()) {
            quoted = true;
        } else if (c == ',') {
            row << field;
            field.clear();
        } else if (c == '\n') {
            rows << (row << field);
            row.clear();
            field.clear();
            ++line;
        } else if (c != '\r') {
            field += c;
        }
    }
    if (quoted) {
        error = QString("line %1: a quoted field is not closed").arg(line);
        return false;
    }
    if (!field.isEmpty() || !row.isEmpty())
        rows << (row << field);
    return true;
}
