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

// Reads the text's rows into rows; false when it ends inside a quoted
// field, with `line` at the line that field's row began on.
bool readRows(const QString &text, QVector<QStringList> &rows, int &line)
{
    QStringList row;
    QString field;
    bool quoted = false;
    int rowLine = line;
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
            rowLine = ++line;
        } else if (c != '\r') {
            field += c;
        }
    }
    if (quoted) {
        line = rowLine;
        return false;
    }
    if (!field.isEmpty() || !row.isEmpty())
        rows << (row << field);
    return true;
}

// The file's last line, or as much of its end as a line may sensibly hold.
QByteArray lastLine(QFile &file, qint64 size)
{
    const qint64 longest = 64 * 1024;
    const qint64 from = qMax<qint64>(0, size - longest);
    if (!file.seek(from))
        return QByteArray();
    const QByteArray tail = file.read(size - from);
    const int start = tail.lastIndexOf('\n', tail.size() - 2) + 1;
    return tail.mid(start);
}

// What goes before a row appended after that last line, so that the row
// starts a line and no quoted field of the line takes it in.
QByteArray cleanStart(const QByteArray &line)
{
    QVector<QStringList> rows;
    int number = 1;
    const bool closed = readRows(QString::fromUtf8(line), rows, number);
    QByteArray start = closed ? "" : "\"";
    if (!closed || !line.endsWith('\n'))
        start += "\r\n";
    return start;
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
    else
        out = cleanStart(lastLine(file, size));
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
    int line = 1;
    if (readRows(QString::fromUtf8(content), rows, line))
        return true;
    error = QString("line %1: a quoted field is not closed").arg(line);
    return false;
}

CsvLines parseCsvLines(const QByteArray &content)
{
    CsvLines read;
    const QList<QByteArray> lines = content.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QVector<QStringList> rows;
        int line = i + 1;
        if (!readRows(QString::fromUtf8(lines[i]), rows, line)) {
            read.skipped[i + 1] = "a quoted field is not closed";
            continue;
        }
        for (const QStringList &row : rows) {
            read.rows << row;
            read.lineNumbers << i + 1;
        }
    }
    return read;
}
