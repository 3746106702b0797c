#include "atomicfile.h"
#include "commands.h"
#include "csvfile.h"
#include "detector.h"
#include "options.h"
#include "output.h"
#include "settingsdiff.h"
#include "settingsfile.h"
#include "table.h"

#include <QVector>

#include <algorithm>
#include <cstdio>

namespace {

QVector<QStringList> asCells(const QStringList &header, const QVector<SettingRow> &rows)
{
    QVector<QStringList> cells{header};
    for (const SettingRow &row : rows)
        cells << QStringList{row.name, row.first, row.second};
    return cells;
}

void printReport(const QStringList &header, const QVector<SettingRow> &differences,
                 const QVector<SettingRow> &identity)
{
    if (differences.isEmpty())
        printLine("no differences");
    else
        printTable(asCells(header, differences));
    if (identity.isEmpty())
        return;
    printLine(QString());
    printLine("identity, compared only with --all:");
    printTable(asCells(header, identity));
}

int writeCsv(const QString &path, const QStringList &header, const QVector<SettingRow> &differences)
{
    QByteArray content;
    for (const QStringList &cells : asCells(header, differences))
        content += csvRow(cells);
    if (path == "-") {
        std::fwrite(content.constData(), 1, size_t(content.size()), stdout);
        std::fflush(stdout);
        return ExitOk;
    }
    // A report, not a log: each run replaces it whole.
    if (writeFileAtomically(path, content) != AtomicWrite::Written)
        return fail(ExitUsage, QString("cannot write %1").arg(path));
    return ExitOk;
}

// The two blocks, files first so that a bad file costs the detector nothing.
int readBlocks(ModbusOperations &device, const CliOptions &options, quint16 *first, quint16 *second)
{
    const bool twoFiles = !options.secondFile.isEmpty();
    int status = readSettingsArgument(twoFiles ? options.secondFile : options.file, second);
    if (status == ExitOk && twoFiles)
        status = readSettingsArgument(options.file, first);
    if (status != ExitOk || twoFiles)
        return status;
    QVector<quint16> words;
    status = openAndReadBlock(device, options, words);
    std::copy(words.cbegin(), words.cend(), first);
    return status;
}

} // namespace

int runDiffSettings(ModbusOperations &device, const CliOptions &options)
{
    quint16 first[kSettingsWords] = {};
    quint16 second[kSettingsWords] = {};
    const int read = readBlocks(device, options, first, second);
    if (read != ExitOk)
        return read;

    const bool twoFiles = !options.secondFile.isEmpty();
    const QStringList header{"parameter", twoFiles ? options.file : "detector",
                             twoFiles ? options.secondFile : options.file};
    QVector<SettingRow> differences;
    QVector<SettingRow> identity;
    for (const SettingRow &row : compareSettings(first, second)) {
        if (row.identity && !options.all)
            identity << row;
        else if (row.differs)
            differences << row;
    }
    if (options.csv != "-")
        printReport(header, differences, identity);
    if (!options.csv.isEmpty()) {
        const int written = writeCsv(options.csv, header, differences);
        if (written != ExitOk)
            return written;
    }
    return differences.isEmpty() ? ExitOk : ExitMismatch;
}
