#include "csvlog.h"

namespace {

// Quoted only when it must be: a separator, a quote or a line break inside.
QString csvField(QString field)
{
    if (!field.contains(QRegExp("[\",\r\n]")))
        return field;
    field.replace('"', "\"\"");
    return '"' + field + '"';
}

} // namespace

bool CsvLog::open(const QString &path, const QStringList &header, QString &error)
{
    file.setFileName(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        error = QString("cannot open %1 for appending: %2").arg(path, file.errorString());
        return false;
    }
    if (file.size() == 0 && !append(header)) {
        error = QString("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

bool CsvLog::append(const QStringList &fields)
{
    QStringList quoted;
    for (const QString &field : fields)
        quoted << csvField(field);
    const QByteArray row = (quoted.join(',') + "\r\n").toUtf8();
    return file.write(row) == row.size() && file.flush();
}
