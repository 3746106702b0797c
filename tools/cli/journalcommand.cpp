#include "calibrationjournal.h"
#include "commands.h"
#include "csvfile.h"
#include "jsonout.h"
#include "options.h"
#include "output.h"
#include "table.h"

#include <QFile>

int runJournal(ModbusOperations &, const CliOptions &options)
{
    QFile file(options.journal);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ExitUsage, QString("cannot open %1: %2").arg(options.journal, file.errorString()));
    QVector<QStringList> rows;
    QString error;
    if (!parseCsv(file.readAll(), rows, error))
        return fail(ExitUsage, QString("%1 %2").arg(options.journal, error));

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
    if (shown.size() == 1) {
        printLine(options.serial.isEmpty() ? QString("no calibrations in %1").arg(options.journal)
                                           : QString("no calibrations of serial number %1 in %2")
                                                 .arg(options.serial, options.journal));
        return ExitOk;
    }
    printTable(shown);
    return ExitOk;
}
