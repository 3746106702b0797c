#include "console.h"

#include "detector.h"
#include "faults.h"
#include "registermap.h"

#include <QRegularExpression>

namespace {

QStringList ok(QStringList lines = {})
{
    lines << "ok";
    return lines;
}

QStringList error(const QString &why)
{
    return {"error " + why};
}

bool number(const QString &text, long long low, long long high, long long &value)
{
    bool good = false;
    value = text.startsWith("0x", Qt::CaseInsensitive) ? text.mid(2).toLongLong(&good, 16)
                                                       : text.toLongLong(&good, 10);
    return good && value >= low && value <= high;
}

QString wordsLine(const QString &area, int address, const QVector<quint16> &words)
{
    QStringList parts{area, QString::number(address)};
    for (quint16 w : words)
        parts << QString::number(w);
    return parts.join(' ');
}

QString hex4(int value)
{
    return QString("0x%1").arg(value, 4, 16, QChar('0'));
}

} // namespace

Console::Console(Detector &d, FaultInjector &f, Actions a)
    : detector(d), faults(f), actions(std::move(a))
{
}

QStringList Console::commandHelp()
{
    return {
        "fault RULE            add a fault (syntax as --fault)",
        "fault clear           remove every fault",
        "faults                list the active faults",
        "set holding ADDR V... set holding registers from ADDR (no command is run)",
        "set input ADDR V...   set input registers (256-367, 384-639); status (262),",
        "                      concentration (272) and output current (274) stay pinned",
        "unpin [ADDR]          let pinned input words follow the detector again",
        "get holding ADDR [N]  print N registers (default 1): \"holding ADDR v1 v2 ...\"",
        "get input ADDR [N]    the same for input registers",
        "status                print \"status WORD on=MASK off=MASK\"",
        "status set MASK       force status bits on",
        "status clear MASK     force status bits off",
        "status auto           stop forcing status bits",
        "conc X                target-gas concentration in display units",
        "conc main X           main-gas concentration in display units",
        "drift X | noise X     amplitudes in display units",
        "testgas X             apply a test gas of X display units: the reading",
        "                      rises towards it with --gas-time-constant",
        "testgas off           remove it: the reading falls back the same way",
        "current               print \"current value=HUNDREDTHS_MA source=SOURCE\"",
        "dump                  print every register, the status, current and gas",
        "close                 close the pty now: the port vanishes",
        "reopen                a new pty (and --link); prints \"path PATH\"",
        "quit                  end the simulator",
        "help                  this list",
    };
}

QStringList Console::execute(const QString &line)
{
    const QStringList words = line.simplified().split(' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return error("empty command");
    const QString command = words[0].toLower();
    if (command == "help")
        return ok(commandHelp());
    if (command == "fault" || command == "faults")
        return fault(words);
    if (command == "set")
        return setRegisters(words);
    if (command == "get")
        return getRegisters(words);
    if (command == "unpin") {
        long long address = -1;
        if (words.size() > 1 && !number(words[1], 256, 367, address))
            return error("unpin takes an input register 256-367");
        detector.unpinInput(int(address));
        return ok();
    }
    if (command == "status")
        return status(words);
    if (command == "conc")
        return concentration(words);
    if (command == "drift" || command == "noise")
        return amplitude(words);
    if (command == "testgas")
        return testGas(words);
    if (command == "current")
        return current();
    if (command == "dump")
        return dump();
    if (command == "close") {
        actions.closePort();
        return ok();
    }
    if (command == "reopen") {
        const QString path = actions.reopenPort();
        return path.isEmpty() ? error("cannot create a pty") : ok({"path " + path});
    }
    if (command == "quit") {
        actions.quit();
        return ok();
    }
    return error(QString("unknown command \"%1\" (try help)").arg(words[0]));
}

QStringList Console::fault(const QStringList &words)
{
    if (words[0].toLower() == "faults" || (words.size() == 2 && words[1] == "list")) {
        QStringList lines;
        for (const FaultRule &rule : faults.rules())
            lines << "fault " + rule.text();
        return ok(lines);
    }
    if (words.size() == 2 && (words[1] == "clear" || words[1] == "off")) {
        faults.clear();
        return ok();
    }
    FaultRule rule;
    QString why;
    if (!parseFaultRule(QStringList(words.mid(1)).join(' '), rule, why))
        return error(why);
    faults.add(rule);
    return ok({"fault " + rule.text()});
}

QStringList Console::setRegisters(const QStringList &words)
{
    if (words.size() < 4 || (words[1] != "holding" && words[1] != "input"))
        return error("usage: set holding|input ADDR VALUE...");
    long long address = 0;
    if (!number(words[2], 0, 65535, address))
        return error(QString("bad address \"%1\"").arg(words[2]));
    QVector<quint16> values;
    for (int i = 3; i < words.size(); ++i) {
        long long v = 0;
        if (!number(words[i], 0, 65535, v))
            return error(QString("bad value \"%1\" (0-65535 or 0x0000-0xFFFF)").arg(words[i]));
        values << quint16(v);
    }
    const bool done = words[1] == "holding" ? detector.pokeHolding(int(address), values)
                                            : detector.pokeInput(int(address), values);
    return done ? ok() : error("registers out of range (holding 0-179, input 256-367 and 384-639)");
}

QStringList Console::getRegisters(const QStringList &words)
{
    long long address = 0, count = 1;
    if (words.size() < 3 || (words[1] != "holding" && words[1] != "input")
        || !number(words[2], 0, 65535, address)
        || (words.size() > 3 && !number(words[3], 1, 256, count)))
        return error("usage: get holding|input ADDR [COUNT]");
    const bool holding = words[1] == "holding";
    if (holding ? !detector.holdingExists(int(address), int(count))
                : !detector.inputExists(int(address), int(count)))
        return error("registers out of range (holding 0-179, input 256-367 and 384-639)");
    const QVector<quint16> values = holding ? detector.readHolding(int(address), int(count))
                                            : detector.readInput(int(address), int(count));
    return ok({wordsLine(words[1], int(address), values)});
}

QStringList Console::status(const QStringList &words)
{
    long long mask = 0;
    if (words.size() == 1) {
        return ok({QString("status %1 on=%2 off=%3")
                       .arg(hex4(detector.statusWord()), hex4(detector.forcedOn()),
                            hex4(detector.forcedOff()))});
    }
    if (words.size() == 2 && words[1] == "auto") {
        detector.releaseStatusBits();
        return ok();
    }
    if (words.size() != 3 || !number(words[2], 0, 65535, mask)
        || (words[1] != "set" && words[1] != "clear"))
        return error("usage: status [set MASK | clear MASK | auto]");
    if (words[1] == "set")
        detector.forceStatusBits(quint16(mask), 0);
    else
        detector.forceStatusBits(0, quint16(mask));
    return ok();
}

QStringList Console::concentration(const QStringList &words)
{
    const bool main = words.size() == 3 && words[1] == "main";
    bool good = false;
    const double value = words.value(main ? 2 : 1).toDouble(&good);
    if (words.size() != (main ? 3 : 2) || !good || value < 0)
        return error("usage: conc [main] VALUE (display units, not negative)");
    detector.setConcentration(value, main);
    detector.unpinInput(Reg::inputBase + Reg::concentration);
    return ok();
}

QStringList Console::amplitude(const QStringList &words)
{
    bool good = false;
    const double value = words.value(1).toDouble(&good);
    if (words.size() != 2 || !good || value < 0)
        return error(QString("usage: %1 AMPLITUDE (display units, not negative)").arg(words[0]));
    if (words[0] == "drift")
        detector.setDrift(value);
    else
        detector.setNoise(value);
    return ok();
}

QStringList Console::testGas(const QStringList &words)
{
    if (words.size() == 2 && words[1] == "off") {
        detector.removeTestGas();
        return ok();
    }
    bool good = false;
    const double value = words.value(1).toDouble(&good);
    if (words.size() != 2 || !good || value < 0)
        return error("usage: testgas VALUE | testgas off (display units, not negative)");
    detector.applyTestGas(value);
    detector.unpinInput(Reg::inputBase + Reg::concentration);
    return ok();
}

QStringList Console::current()
{
    return ok({QString("current value=%1 source=%2")
                   .arg(detector.outputCurrent())
                   .arg(detector.currentSourceName())});
}

QStringList Console::dump()
{
    QStringList lines;
    for (int a = 0; a < Reg::holdingCount; a += 16)
        lines << wordsLine("holding", a, detector.readHolding(a, qMin(16, Reg::holdingCount - a)));
    const QVector<quint16> in = detector.readInput(Reg::inputBase, Reg::inputCount);
    for (int i = 0; i < in.size(); i += 16)
        lines << wordsLine("input", Reg::inputBase + i, in.mid(i, 16));
    for (int a = Reg::gasTableBase; a < Reg::gasTableBase + Reg::gasTableCount; a += 16)
        lines << wordsLine("input", a, detector.readInput(a, 16));
    lines << QString("status %1").arg(hex4(in[Reg::status]));
    lines << current().first();
    lines << QString("gas name=%1 role=%2").arg(detector.activeGasName(), detector.gasRole());
    lines << QString("address %1").arg(detector.slaveAddress());
    return ok(lines);
}
