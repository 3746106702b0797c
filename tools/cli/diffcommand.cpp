#include "addresslist.h"
#include "atomicfile.h"
#include "commands.h"
#include "csvfile.h"
#include "detector.h"
#include "jsonout.h"
#include "options.h"
#include "output.h"
#include "registermodel.h"
#include "settingsdiff.h"
#include "settingsfile.h"
#include "table.h"

#include <QJsonArray>
#include <QJsonObject>
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

// The sides under fixed keys, not the file names the table's header shows,
// so that a script finds a value whatever the file is called.
QJsonArray rowsJson(const QString &firstKey, const QString &secondKey, const QVector<SettingRow> &rows)
{
    QJsonArray list;
    for (const SettingRow &row : rows)
        list << QJsonObject{{"parameter", row.name}, {firstKey, row.first}, {secondKey, row.second}};
    return list;
}

struct Comparison
{
    QStringList header;
    QVector<SettingRow> differences;
    QVector<SettingRow> identity;   // apart, without --all
};

Comparison compare(const CliOptions &options, const QStringList &header, const quint16 *first, const quint16 *second)
{
    Comparison c{header, {}, {}};
    for (const SettingRow &row : compareSettings(first, second)) {
        if (row.identity && !options.all)
            c.identity << row;
        else if (row.differs)
            c.differences << row;
    }
    return c;
}

QJsonObject comparisonJson(const Comparison &c, const QString &firstKey, const QString &secondKey)
{
    return {{"differences", rowsJson(firstKey, secondKey, c.differences)},
            {"identity", rowsJson(firstKey, secondKey, c.identity)}};
}

// The report of one comparison: table, CSV or JSON.
int report(const CliOptions &options, const Comparison &c)
{
    if (options.csv != "-" && !options.json)
        printReport(c.header, c.differences, c.identity);
    if (!options.csv.isEmpty()) {
        const int written = writeCsv(options.csv, c.header, c.differences);
        if (written != ExitOk)
            return written;
    }
    return c.differences.isEmpty() ? ExitOk : ExitMismatch;
}

// Two files, no port.
int diffFiles(const CliOptions &options)
{
    quint16 first[kSettingsWords] = {};
    quint16 second[kSettingsWords] = {};
    int status = readSettingsArgument(options.secondFile, second);
    if (status == ExitOk)
        status = readSettingsArgument(options.file, first);
    if (status != ExitOk)
        return status;
    const Comparison c = compare(options, {"parameter", options.file, options.secondFile}, first, second);
    if (options.json) {
        QJsonObject document = comparisonJson(c, "first", "second");
        document.insert("first", options.file);
        document.insert("second", options.secondFile);
        printJson(document);
    }
    return report(options, c);
}

} // namespace

int runDiffSettings(ModbusOperations &device, const CliOptions &options)
{
    if (!options.secondFile.isEmpty())
        return diffFiles(options);
    quint16 file[kSettingsWords] = {};
    const int read = readSettingsArgument(options.file, file);
    if (read != ExitOk)
        return read;
    if (options.isList() && !options.csv.isEmpty())
        return fail(ExitUsage, "--csv takes the differences of one detector; give one --address");
    QJsonArray documents;
    const int status = forEachAddress(device, options, [&](const CliOptions &one) {
        QVector<quint16> words;
        const int opened = openAndReadBlock(device, one, words);
        if (opened != ExitOk) {
            documents << failureJson(one.address);
            return opened;
        }
        quint16 detector[kSettingsWords] = {};
        std::copy(words.cbegin(), words.cend(), detector);
        const Comparison c = compare(one, {"parameter", "detector", one.file}, detector, file);
        if (options.json) {
            QJsonObject document = comparisonJson(c, "detector", "file");
            document.insert("address", one.address);
            document.insert("file", one.file);
            documents << document;
        } else if (options.isList()) {
            printLine(QString("address %1, serial number %2:")
                          .arg(one.address)
                          .arg(serialNumberText(words[RegisterModel::SerialHighWord], words[RegisterModel::SerialLowWord])));
        }
        const int compared = report(one, c);
        if (options.isList() && !options.json)
            printLine(QString());
        return compared;
    });
    if (options.json)
        printJson(options.isList() ? QJsonValue(documents) : documents.first());
    return status;
}
