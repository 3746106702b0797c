#include "calibrationjournal.h"
#include "commands.h"
#include "csvfile.h"
#include "jsonout.h"
#include "menufolder.h"
#include "options.h"
#include "output.h"
#include "table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The file --file names; else the journal of a window started in the working
// directory, then that of the window the desktop menu starts. Empty when
// neither is there.
QString journalPath(const CliOptions &options)
{
    if (!options.journal.isEmpty())
        return options.journal;
    for (const QString &folder : {QDir::currentPath(), menuFolder()}) {
        const QString path = QDir(folder).absoluteFilePath(kJournalFileName);
        if (QFileInfo::exists(path))
            return path;
    }
    return QString();
}

} // namespace

int runJournal(ModbusOperations &, const CliOptions &options)
{
    const QString path = journalPath(options);
    if (path.isEmpty())
        return fail(ExitUsage, QString("no %1 in the working directory %2 nor in the menu's folder %3")
                                   .arg(kJournalFileName, QDir::currentPath(), menuFolder()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ExitUsage, QString("cannot open %1: %2").arg(path, file.errorString()));
    QVector<QStringList> rows;
    QString error;
    if (!parseCsv(file.readAll(), rows, error))
        return fail(ExitUsage, QString("%1 %2").arg(path, error));

    // Rows are appended as calibrations end, so the file's order is the
    // order they happened in: newest last.
    QVector<QStringList> shown{rows.value(0)};
    for (int i = 1; i < rows.size(); ++i) {
        const QString serial = rows[i].value(kJournalSerialColumn);
        if (options.serial.isEmpty() || serial.toUInt() == options.serial.toUInt())
            shown << rows[i];
    }
    if (options.json)
        return printJson(tableJson(shown)) ? ExitOk : ExitUsage;   // main() says why
    const QString shownPath = QFileInfo(path).absoluteFilePath();
    if (shown.size() == 1) {
        printLine(options.serial.isEmpty() ? QString("no calibrations in %1").arg(shownPath)
                                           : QString("no calibrations of serial number %1 in %2")
                                                 .arg(options.serial, shownPath));
        return ExitOk;
    }
    printLine(QString("journal %1:").arg(shownPath));
    printTable(shown);
    return ExitOk;
}
