#include "options.h"

#include "addresslist.h"
#include "commands.h"

#include <QCommandLineParser>

#include <climits>
#include <cmath>

namespace {

const int firstAddress = 1;
const int lastAddress = 247;   // 0 is broadcast, 248-255 are reserved

// Options that only some commands take, with those commands.
const struct { const char *option; const char *commands; } commandOptions[] = {
    {"all", "write-settings diff-settings"},
    {"interval", "monitor"},
    {"count", "monitor"},
    {"csv", "monitor diff-settings"},
    {"from", "scan certificate"},
    {"to", "scan"},
    {"address", "info read-settings write-settings monitor diff-settings set-address"},
    {"json", "info scan diff-settings journal monitor"},
    {"quick", "scan"},
    {"file", "journal certificate"},
    {"serial", "journal certificate"},
    {"due", "journal"},
    {"months", "journal certificate"},
    {"bump-days", "journal"},
    {"output", "certificate"},
    {"lang", "certificate"},
};

const char *description = R"(Reads, writes and watches gas detectors on a serial line as a Modbus RTU
master at 9600 8N1, as the configurator window does. --address takes one
address or a list such as 1,2,5-9 for info, read-settings, write-settings,
monitor and diff-settings: each detector is handled in turn and reported on
its own, and one that fails does not stop the others.

Commands:
  info                 device type, serial number, firmware version, unit,
                       decimal count, concentration, status text and the
                       target and main gas names, as "key: value" lines
  read-settings FILE   save the detector's parameter block to a settings file
                       (512 bytes, the window's export format); {address}
                       and {serial} in FILE become the detector's, and with
                       a list FILE must hold one of them
  write-settings FILE  write a settings file to the detector, read it back
                       and compare: the detector's own file (same serial
                       number) restores it; another detector's lends only
                       its settings, in this detector's decimal count; a
                       file of another device type or unit is refused;
                       --all restores the file whole onto any detector. The
                       detector always keeps its Modbus address
  monitor              poll the detector and print a line per poll: time,
                       concentration, unit, status text; a list is polled
                       round-robin, each line with address and serial
                       number; Ctrl-C ends it
  scan                 try each address from --from to --to and list those
                       that answer: serial number, device type, unit, gas
                       names and firmware; garbled answers are named
  set-address NEW      give the detector at --address (default 1) the
                       address NEW: refused if anything answers at NEW;
                       confirmed by reading its serial number there
  diff-settings FILE [FILE2]
                       compare the detector's parameters with a settings
                       file, or two files without a port, by name and in
                       the unit each block shows; identity (Modbus address,
                       HART address, serial number) is listed apart and
                       compared only with --all
  journal              print the window's calibration journal as a table,
                       oldest first, after the line naming its file; a
                       line that is no row is named on standard error and
                       passed over. --due: each detector's last calibration
                       and bump test and when each falls due, overdue first
  certificate          write the calibration certificate of one detector's
                       visit (--serial, --output FILE.pdf) from the journal:
                       its rows from --from DATE on, else from the day of its
                       last row; in --lang ru or en, else by the locale)";

const char *exitStatus = R"(
Exit status: 0 success; 1 the detector did not answer or refused; 2 bad
usage, or a file or port that cannot be used; 3 the read-back did not match,
or diff-settings found differences. With an address list: 0 when every
detector succeeded, 3 when each one that did not differed, 1 when any
failed otherwise, 2 when the arguments were wrong.
)";

bool intValue(const QString &text, int low, int high, int &value)
{
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value >= low && value <= high;
}

QString rangeError(const QString &option, const QString &text, const QString &range)
{
    return QString("--%1 must be %2, not \"%3\"").arg(option, range, text);
}

// The first option given that the command does not take, if any.
QString foreignOption(const QCommandLineParser &parser, const QString &command)
{
    for (const auto &entry : commandOptions) {
        if (parser.isSet(entry.option) && !QString(entry.commands).split(' ').contains(command))
            return entry.option;
    }
    return QString();
}

// The locale's language when --lang is not given: Russian for ru, else English.
QString localeLanguage()
{
    for (const char *name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const QByteArray value = qgetenv(name);
        if (!value.isEmpty())
            return value.startsWith("ru") ? "ru" : "en";
    }
    return "en";
}

// journal --due and certificate: the months between calibrations.
bool takeMonths(const QCommandLineParser &parser, CliOptions &options, QString &error)
{
    if (parser.isSet("months") && !intValue(parser.value("months"), 1, 120, options.months)) {
        error = rangeError("months", parser.value("months"), "1-120");
        return false;
    }
    return true;
}

bool takeCertificateOptions(const QCommandLineParser &parser, CliOptions &options, QString &error)
{
    if (options.serial.isEmpty() || options.output.isEmpty()) {
        error = "certificate takes --serial N and --output FILE.pdf";
        return false;
    }
    bool serial = false;
    options.serial.toUInt(&serial);
    if (!serial) {
        error = rangeError("serial", options.serial, "a serial number, 0-4294967295");
        return false;
    }
    if (parser.isSet("from")) {
        options.fromDate = QDate::fromString(parser.value("from"), Qt::ISODate);
        if (!options.fromDate.isValid()) {
            error = rangeError("from", parser.value("from"), "a date yyyy-MM-dd");
            return false;
        }
    }
    if (!takeMonths(parser, options, error))
        return false;
    options.language = parser.isSet("lang") ? parser.value("lang") : localeLanguage();
    if (options.language != "ru" && options.language != "en") {
        error = rangeError("lang", parser.value("lang"), "ru or en");
        return false;
    }
    return true;
}

bool takeNumbers(const QCommandLineParser &parser, CliOptions &options, QString &error)
{
    if (parser.isSet("address")) {
        if (!parseAddressList(parser.value("address"), options.addresses, error))
            return false;
        options.address = options.addresses.first();
    }
    if (options.isList() && options.command == "set-address") {
        error = "set-address takes one --address, the detector's present one";
        return false;
    }
    if (options.command == "set-address" && !intValue(options.file, firstAddress, lastAddress, options.newAddress)) {
        error = QString("set-address takes the new address, 1-247, not \"%1\"").arg(options.file);
        return false;
    }
    if (options.command == "certificate")
        return takeCertificateOptions(parser, options, error);
    if (!takeMonths(parser, options, error))
        return false;
    if (parser.isSet("bump-days") && !intValue(parser.value("bump-days"), 1, 3650, options.bumpDays)) {
        error = rangeError("bump-days", parser.value("bump-days"), "1-3650");
        return false;
    }
    if ((parser.isSet("months") || parser.isSet("bump-days")) && !parser.isSet("due")) {
        error = "--months and --bump-days go with --due";
        return false;
    }
    if (parser.isSet("from") && !intValue(parser.value("from"), firstAddress, lastAddress, options.from)) {
        error = rangeError("from", parser.value("from"), "1-247");
        return false;
    }
    if (parser.isSet("to") && !intValue(parser.value("to"), firstAddress, lastAddress, options.to)) {
        error = rangeError("to", parser.value("to"), "1-247");
        return false;
    }
    if (options.from > options.to) {
        error = QString("--from %1 is above --to %2").arg(options.from).arg(options.to);
        return false;
    }
    if (parser.isSet("count") && !intValue(parser.value("count"), 1, INT_MAX, options.count)) {
        error = rangeError("count", parser.value("count"), "a whole number from 1");
        return false;
    }
    if (parser.isSet("serial")) {
        bool ok = false;
        parser.value("serial").toUInt(&ok);
        if (!ok) {
            error = rangeError("serial", parser.value("serial"), "a serial number, 0-4294967295");
            return false;
        }
    }
    if (parser.isSet("interval")) {
        bool ok = false;
        options.interval = parser.value("interval").toDouble(&ok);
        // A poll of 80 registers takes about 0.2 s at 9600 baud; a shorter
        // interval only polls back to back.
        // NaN passes every comparison as false, and would then never be due.
        if (!ok || !std::isfinite(options.interval) || options.interval < 0.1 || options.interval > 86400) {
            error = rangeError("interval", parser.value("interval"), "0.1-86400 seconds");
            return false;
        }
    }
    return true;
}

QString argumentsWanted(const Command &command)
{
    if (command.maxFiles == 0)
        return QString("%1 takes no arguments").arg(command.name);
    if (QString(command.name) == "set-address")
        return "set-address takes the new address";
    if (command.minFiles == command.maxFiles)
        return QString("%1 takes one FILE").arg(command.name);
    return QString("%1 takes one or two FILEs").arg(command.name);
}

bool takeCommand(const QStringList &positional, CliOptions &options, QString &error)
{
    if (positional.isEmpty()) {
        error = "no command given (info, read-settings, write-settings, monitor, scan, set-address, "
                "diff-settings, journal or certificate)";
        return false;
    }
    options.command = positional.first();
    const Command *command = findCommand(options.command);
    if (!command) {
        error = QString("unknown command \"%1\"").arg(options.command);
        return false;
    }
    const int files = positional.size() - 1;
    if (files < command->minFiles || files > command->maxFiles) {
        error = argumentsWanted(*command);
        return false;
    }
    options.file = positional.value(1);
    options.secondFile = positional.value(2);
    return true;
}

bool needsPort(const QString &name, const CliOptions &options)
{
    const int files = options.file.isEmpty() ? 0 : options.secondFile.isEmpty() ? 1 : 2;
    return findCommand(name)->filesWithoutPort != files;
}

} // namespace

ParseResult parseCommandLine(const QStringList &arguments, CliOptions &options, QString &text)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(description);
    // Not addHelpOption: its --help-all would promise Qt's own options, and
    // this program takes none.
    const QCommandLineOption help({"h", "help"}, "Displays this help.");
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addOptions({
        {{"p", "port"}, "Serial port of the detector, e.g. /dev/ttyUSB0.", "PATH"},
        {{"a", "address"}, "Modbus address of the detector, 1-247 (default 1), or a list such as 1,2,5-9.",
         "LIST"},
        {"all", "write-settings: restore the file whole, identity included, onto any detector "
                "(it keeps its Modbus address). diff-settings: also compare the identity."},
        {"interval", "monitor: seconds between polls (default 1).", "S"},
        {"count", "monitor: stop after N polls (default: until Ctrl-C).", "N"},
        {"csv", "monitor: also append a row per poll to FILE (a header first if it is new). "
                "diff-settings: write the differences to FILE as CSV, - for standard output.",
         "FILE"},
        {"from", "scan: first address (default 1). certificate: the visit's first day, yyyy-MM-dd "
                 "(default the day of the detector's last row).",
         "A|DATE"},
        {"to", "scan: last address (default 247).", "B"},
        {"quick", "scan: wait 100 ms for each address instead of the window's 360 ms, for a clean line."},
        {"json", "info, scan, diff-settings, journal: one JSON document; monitor: one JSON object a line."},
        {"file", "journal, certificate: the journal to read (default calibrations.csv in the working directory, "
                 "else in the menu's folder, ~/.config/zorvel-configurator).",
         "PATH"},
        {"serial", "journal: only the rows of this serial number. certificate: the detector.", "N"},
        {"due", "journal: each detector's last calibration and bump test and when each falls due."},
        {"months", "journal --due, certificate: months between calibrations (default 6).", "N"},
        {"bump-days", "journal --due: days between bump tests (default 30).", "N"},
        {"output", "certificate: the PDF file to write.", "FILE"},
        {"lang", "certificate: ru or en (default: Russian under a ru locale, else English).", "LANG"},
        {"verbose", "Show the serial layer's messages on standard error."},
    });
    parser.addPositionalArgument("command",
                                 "info, read-settings, write-settings, monitor, scan, set-address, diff-settings, "
                                 "journal or certificate.",
                                 "COMMAND [ARGS]");

    if (!parser.parse(arguments)) {
        text = parser.errorText();
        return ParseResult::Error;
    }
    if (parser.isSet(help)) {
        text = parser.helpText() + exitStatus;
        return ParseResult::Help;
    }
    if (parser.isSet(version)) {
        text = "zorvel-cli " ZORVEL_VERSION;
        return ParseResult::Version;
    }
    if (!takeCommand(parser.positionalArguments(), options, text))
        return ParseResult::Error;
    const QString foreign = foreignOption(parser, options.command);
    if (!foreign.isEmpty()) {
        text = QString("--%1 does not apply to %2").arg(foreign, options.command);
        return ParseResult::Error;
    }
    options.port = parser.value("port");
    if (options.port.isEmpty() && needsPort(options.command, options)) {
        text = "--port PATH is required";
        return ParseResult::Error;
    }
    options.all = parser.isSet("all");
    options.csv = parser.value("csv");
    options.journal = parser.value("file");
    options.serial = parser.value("serial");
    options.verbose = parser.isSet("verbose");
    options.quick = parser.isSet("quick");
    options.json = parser.isSet("json");
    options.due = parser.isSet("due");
    options.output = parser.value("output");
    return takeNumbers(parser, options, text) ? ParseResult::Run : ParseResult::Error;
}
