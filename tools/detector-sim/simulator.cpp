#include "simulator.h"

#include "lineoutput.h"
#include "registermap.h"
#include "requestlog.h"

#include <QSocketNotifier>
#include <cerrno>
#include <unistd.h>

namespace {

// Characters of 8N1: start bit, eight data bits, stop bit.
const int bitsPerCharacter = 10;
const int maxFrameBytes = 256;

qint64 characterNs(const SimOptions &o)
{
    return o.fast ? 0 : qint64(bitsPerCharacter) * 1000000000LL / o.baud;
}

// A frame ends after 3.5 character times of silence; the timer cannot wait
// less than a millisecond.
int silenceMs(const SimOptions &o)
{
    return qMax(1, int((35LL * bitsPerCharacter * 1000 / o.baud + 9) / 10));
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex());
}

// Where an 0x04 answer carries an input word (counted from the first input
// register): the byte offset of its high byte in the PDU, or -1.
int inputWordAt(const Request &r, const QByteArray &pdu, int word)
{
    const int offset = Reg::inputBase + word - r.address;
    if (r.function != 0x04 || offset < 0 || offset >= r.count || pdu.size() < 4 + 2 * offset
        || (static_cast<quint8>(pdu[0]) & 0x80))
        return -1;
    return 2 + 2 * offset;
}

// " conc=N" when the answer carries the concentration word: a soak run checks
// every value the configurator shows against what really went out.
QString concentrationField(const Request &r, const QByteArray &pdu)
{
    const int at = inputWordAt(r, pdu, Reg::concentration);
    if (at < 0)
        return QString();
    const int value = static_cast<quint8>(pdu[at]) << 8 | static_cast<quint8>(pdu[at + 1]);
    return QString(" conc=%1").arg(value);
}

// A detector that shows a status bit late, or never: its calibration bits,
// say, while it calibrates all the same.
void hideStatusBits(const Request &r, QByteArray &pdu, int mask)
{
    const int at = inputWordAt(r, pdu, Reg::status);
    if (at < 0)
        return;
    pdu[at] = static_cast<char>(pdu[at] & ~(mask >> 8));
    pdu[at + 1] = static_cast<char>(pdu[at + 1] & ~mask);
}

} // namespace

Simulator::Simulator(const SimOptions &o, LineOutput *stdoutLines, LineOutput *logLines,
                     QObject *parent)
    : QObject(parent),
      options(o),
      out(stdoutLines),
      logOut(logLines),
      transmitter(characterNs(o)),
      line(o.line, {[this] { closePort(); }, [this] { return reopenPort(); }, [this] { emit finished(0); }})
{
    clock.start();
    silence.setSingleShot(true);
    silence.setTimerType(Qt::PreciseTimer);
    connect(&silence, &QTimer::timeout, this, &Simulator::endFrameBySilence);
    for (int i = 0; i < line.size(); ++i)
        connect(&line.member(i).detector, &Detector::event, this,
                [this, i](const QString &event) { logEvent(event + whose(i)); });
}

bool Simulator::start(QString &error)
{
    if (!line.addFaults(error))
        return false;
    if (!pty.open(error))
        return false;
    if (!options.linkPath.isEmpty() && !pty.link(options.linkPath, error))
        return false;
    out->writeLine(pty.slavePath());
    attachMaster();
    stdinNotifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(stdinNotifier, &QSocketNotifier::activated, this, &Simulator::readStdin);
    return true;
}

void Simulator::attachMaster()
{
    delete masterNotifier;
    masterNotifier = new QSocketNotifier(pty.master(), QSocketNotifier::Read, this);
    connect(masterNotifier, &QSocketNotifier::activated, this, &Simulator::readMaster);
    transmitter.setDescriptor(pty.master());
}

double Simulator::seconds() const
{
    return clock.nsecsElapsed() / 1e9;
}

void Simulator::log(const QString &line)
{
    (logOut ? logOut : out)->writeLine(line);
}

QString Simulator::whose(int member) const
{
    return line.size() > 1 ? QString(" detector=%1").arg(member + 1) : QString();
}

void Simulator::logEvent(const QString &event)
{
    const QString line = eventLogLine(seconds(), event);
    if (holdingEvents)
        heldEvents << line;
    else
        log(line);
}

void Simulator::readMaster()
{
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(pty.master(), buffer, sizeof buffer);
        if (n > 0) {
            received.append(buffer, int(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    takeCompleteFrames();
    // No RTU frame is longer than 256 bytes: a line that never falls silent
    // carries noise, not requests.
    if (received.size() > maxFrameBytes) {
        logEvent("badframe hex=" + hex(received.left(maxFrameBytes)) + "...");
        received.clear();
    }
    if (!received.isEmpty())
        silence.start(silenceMs(options));
}

void Simulator::takeCompleteFrames()
{
    for (;;) {
        const int length = requestFrameLength(received);
        if (length <= 0 || received.size() < length)
            return;
        const QByteArray frame = received.left(length);
        received.remove(0, length);
        handleFrame(frame);
    }
}

void Simulator::endFrameBySilence()
{
    const QByteArray frame = received;
    received.clear();
    if (!frame.isEmpty())
        handleFrame(frame);
}

void Simulator::handleFrame(const QByteArray &frame)
{
    // A slave ignores a frame it cannot trust: no answer, not even an exception.
    if (frame.size() < 4 || !crcMatches(frame)) {
        logEvent("badframe hex=" + hex(frame));
        return;
    }
    const Request request = parseRequest(frame);
    const QVector<int> members = line.addressed(request.slave);
    if (members.isEmpty()) {
        log(requestLogLine(seconds(), request, AppliedFault(), "ignored"));
        return;
    }
    answer(request, frame, members);
}

void Simulator::answer(const Request &request, const QByteArray &frame, const QVector<int> &members)
{
    QVector<QVector<Segment>> answers;
    bool closes = false;
    for (int member : members)
        answers << answerOf(member, request, frame, closes);
    if (closes) {
        closePort();
        return;
    }
    if (request.slave == 0)
        return;
    const QVector<Segment> wire = collide(answers, characterNs(options));
    int answering = 0, sender = 0;
    for (int i = 0; i < answers.size(); ++i) {
        if (!answers[i].isEmpty() && answering++ == 0)
            sender = members[i];
    }
    if (answering > 1)
        logEvent(QString("collision slave=%1 answers=%2").arg(request.slave).arg(answering));
    // The turnaround starts when the request's last character would have
    // come in on the line, not when the pty delivered the whole frame.
    transmitter.send(wire, frame.size() * characterNs(options), sender);
}

// What one detector sends for a request, with its fault applied, after it has
// carried the request out and logged it. closes: its fault closes the port.
QVector<Segment> Simulator::answerOf(int member, const Request &request, const QByteArray &frame, bool &closes)
{
    Detector &detector = line.member(member).detector;
    FaultInjector &faults = line.member(member).faults;
    const double received = seconds();
    const quint8 address = detector.slaveAddress();
    if (detector.restarting()) {
        log(requestLogLine(received, request, AppliedFault(), "restarting") + whose(member));
        return {};
    }
    const AppliedFault fault = faults.pick(request.function, request.address, request.count);
    if (fault.kind == FaultKind::Restart) {
        log(requestLogLine(received, request, fault, "restarting") + whose(member));
        detector.restart(fault.argument);
        return {};
    }
    // What the request makes happen is logged after the request itself.
    holdingEvents = true;
    // A refusing device has not carried the request out; every other fault
    // spoils only the answer.
    const bool ignores = fault.kind == FaultKind::Ignore && detector.holdingExists(fault.argument, 1);
    const QVector<quint16> kept = ignores ? detector.readHolding(fault.argument, 1) : QVector<quint16>();
    QByteArray pdu = fault.kind == FaultKind::Exception ? exceptionPdu(request.function, quint8(fault.argument))
                                                        : answerPdu(request, detector);
    if (ignores)
        detector.pokeHolding(fault.argument, kept);
    holdingEvents = false;
    if (fault.kind == FaultKind::HideBits)
        hideStatusBits(request, pdu, fault.argument);
    const bool broadcast = request.slave == 0;
    log(requestLogLine(received, request, fault, broadcast ? "broadcast" : replyLabel(pdu))
        + concentrationField(request, pdu) + whose(member));
    for (const QString &held : heldEvents)
        log(held);
    heldEvents.clear();
    closes = closes || fault.kind == FaultKind::Close;
    if (broadcast || fault.kind == FaultKind::Close)
        return {};
    const int turnaround = options.fast ? 0 : options.turnaroundMs;
    const quint8 other = quint8(address % 247 + 1);
    return faults.shape(fault, makeAdu(address, pdu), turnaround, other, frame);
}

void Simulator::closePort()
{
    if (!pty.isOpen())
        return;
    transmitter.setDescriptor(-1);
    delete masterNotifier;
    masterNotifier = nullptr;
    silence.stop();
    received.clear();
    pty.close();
    logEvent("closed");
    if (options.exitOnClose)
        emit finished(0);
}

QString Simulator::reopenPort()
{
    closePort();
    QString error;
    if (!pty.open(error)) {
        logEvent("reopen-failed reason=" + QString(error).replace(' ', '_'));
        return QString();
    }
    attachMaster();
    logEvent("reopened path=" + pty.slavePath());
    return pty.slavePath();
}

void Simulator::readStdin()
{
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            return;
        stdinNotifier->setEnabled(false);
        if (options.quitOnEof)
            emit finished(0);
        return;
    }
    stdinBuffer.append(buffer, int(n));
    int newline;
    while ((newline = stdinBuffer.indexOf('\n')) >= 0) {
        const QString text = QString::fromUtf8(stdinBuffer.left(newline)).trimmed();
        stdinBuffer.remove(0, newline + 1);
        if (text.isEmpty() || text.startsWith('#'))
            continue;
        for (const QString &reply : line.execute(text))
            out->writeLine(reply);
    }
}
