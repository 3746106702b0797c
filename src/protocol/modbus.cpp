#include "modbus.h"
#include "modbuscrc.h"
#include "modbusframes.h"
#include "traffic.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QSerialPort>

namespace {

const int writeWaitMs = 500;
// About ten character times at 9600 baud: silence this long ends an answer
// that is not yet one whole frame.
const int endOfFrameMs = 10;
// Modbus RTU keeps 3.5 characters of silence between frames: 3.6 ms at 9600
// baud, rounded up.
const int interFrameMs = 4;
// After a failed exchange the rest of a late or runaway answer may still be
// on its way, and read as the start of the next answer it would put every
// later exchange out of step. The next request waits for this much silence,
// throwing away what comes, and is not sent at all if the line is not quiet
// within the time of two longest frames: a late answer and the one queued
// behind it.
const int settleQuietMs = 2 * endOfFrameMs;
const int settleLimitMs = 2 * longestFrameMs;
// A slow slave still answers a request it was too late for, in order, and
// that answer would come at the head of a later one's. Requests that met
// silence are remembered, the last few, until something is heard or the line
// has been quiet this long since the last of them.
const int maxUnanswered = 3;
const int lateAnswerMs = 1000;

// A timeout is the normal outcome of a short wait; anything else (an adapter
// pulled out, the peer gone) makes every further wait return at once.
bool portFailed(const QSerialPort &port)
{
    const QSerialPort::SerialPortError error = port.error();
    return error != QSerialPort::NoError && error != QSerialPort::TimeoutError;
}

QString cutText(AnswerCut cut, qint64 limitMs)
{
    if (cut == AnswerCut::TooLong) {
        qDebug().noquote() << QString("Ответ длиннее %1 байт").arg(longestFrameBytes);
        return QString("cut after %1 bytes").arg(longestFrameBytes);
    }
    qDebug().noquote() << QString("Ответ не закончился за %1 мс").arg(limitMs);
    return QString("cut after %1 ms").arg(limitMs);
}

} // namespace

Modbus::Modbus(QObject *parent) : QObject(parent), serialPort(new QSerialPort(this))
{
    // A port can fail between two polls too, while the event loop watches it.
    // Closing it from inside the port's own notification is not safe, hence
    // the detour through the event loop.
    connect(serialPort, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
            QMetaObject::invokeMethod(this, [this] { closeIfFailed(); }, Qt::QueuedConnection);
    });
}

Modbus::~Modbus()
{
    closePort();
}

bool Modbus::openPort()
{
    serialPort->setPortName(portName);
    serialPort->setBaudRate(QSerialPort::Baud9600, QSerialPort::AllDirections);
    serialPort->setDataBits(QSerialPort::Data8);
    serialPort->setParity(QSerialPort::NoParity);
    serialPort->setStopBits(QSerialPort::OneStop);
    serialPort->setFlowControl(QSerialPort::NoFlowControl);
    // A failure of the previous connection must not close this one.
    serialPort->clearError();
    echoes = false;
    unsettled = false;
    lastHeard.invalidate();
    unanswered.clear();
    roundHeld = false;
    outcome = ExchangeOutcome();
    whyNotOpened = PortOpenFailure::None;
    if (serialPort->open(QIODevice::ReadWrite)) {
        // Whatever a previous program's exchange left on the line is no answer.
        serialPort->clear(QSerialPort::AllDirections);
        return true;
    }
    // A bare name lies under /dev, as the port layer takes it.
    const QString location = portName.isEmpty() || portName.contains('/') ? portName : "/dev/" + portName;
    whyNotOpened = classifyOpenFailure(location, serialPort->error() == QSerialPort::PermissionError);
    qDebug().noquote() << QString("Cannot open port \"%1\": %2").arg(portName, serialPort->errorString());
    return false;
}

void Modbus::closePort()
{
    if (serialPort->isOpen())
        serialPort->close();
    unanswered.clear();
}

bool Modbus::isOpen() const
{
    return serialPort->isOpen();
}

void Modbus::setSlaveAddress(quint8 address)
{
    slaveAddress = address;
}

void Modbus::setReadTimeout(int ms)
{
    readTimeout = ms;
}

QString Modbus::errorString() const
{
    return serialPort->errorString();
}

ExchangeOutcome Modbus::lastOutcome() const
{
    return outcome;
}

void Modbus::beginRound()
{
    inRound = true;
    roundHeld = false;
}

int Modbus::readAnswerTimeout(quint16 count) const
{
    return readTimeout > 0 ? readTimeout : readResponseTimeout(count);
}

quint16 Modbus::calculateCRC(const QByteArray &data)
{
    return modbusCrc(data);
}

bool Modbus::verifyCRC(const QByteArray &frame)
{
    return modbusCrcMatches(frame);
}

QByteArray Modbus::sendRequest(const QByteArray &request, int timeout)
{
    TrafficEntry traffic(request);
    QByteArray heard;
    AnswerCut cut = AnswerCut::None;
    outcome = transact(request, timeout, traffic, heard, cut);
    traffic.finish(heard, outcome);
    // A cut answer is no answer, whatever came of it.
    return cut == AnswerCut::None ? heard : QByteArray();
}

// One exchange and how it ended; `heard` is what came back, late answers and
// an echo taken off.
ExchangeOutcome Modbus::transact(const QByteArray &request, int timeout, TrafficEntry &traffic, QByteArray &heard,
                                 AnswerCut &cut)
{
    lineFault.clear();
    lateTwin.clear();
    if (!unanswered.isEmpty() && unansweredSince.elapsed() > lateAnswerMs)
        unanswered.clear();
    if (!serialPort->isOpen()) {
        qDebug() << "Serial port not open";
        return ExchangeOutcome::failed(ExchangeOutcome::Kind::NotSent, "port not open");
    }
    if (roundHeld)
        return ExchangeOutcome::failed(ExchangeOutcome::Kind::NotSent,
                                       "not sent: an answer was cut earlier in this round");
    if ((unsettled || lineTalksOn()) && !settleLine()) {
        qDebug().noquote() << QString("Линия не затихла за %1 мс").arg(settleLimitMs);
        roundHeld = inRound;
        return ExchangeOutcome::failed(ExchangeOutcome::Kind::NotSent,
                                       QString("not sent: the line did not fall quiet in %1 ms").arg(settleLimitMs));
    }
    lateDropped = false;   // what the settling threw away was heard before this request
    heard = exchange(request, timeout, cut);
    const bool echoKnown = echoes;
    if (takeEcho(request, heard)) {
        if (!echoKnown)
            traffic.noteEcho();
        dropLateAnswers(request, heard);
        if (heard.isEmpty())
            heard = collectAnswer(request, timeout, cut);
    }
    if (cut != AnswerCut::None) {
        // Every later exchange of this round fails unsent: see beginRound.
        roundHeld = inRound;
        unsettled = true;
        failedAt.start();
        unanswered.clear();
        return ExchangeOutcome::failed(ExchangeOutcome::Kind::Garbled, cutText(cut, timeout + longestFrameMs));
    }
    if (lineFault.isEmpty())
        lineFault = closeIfFailed();
    if (!lineFault.isEmpty())
        return lineFailure(request, heard);
    // Nothing followed a late answer to this very frame: the slave may
    // have missed the earlier request and answered this one, and either
    // way the words are those asked for now.
    if (heard.isEmpty())
        heard = lateTwin;
    rememberIfUnanswered(request, heard.isEmpty() && !lateDropped);
    return judgeAnswer(request, heard);
}

// The port itself failed during the exchange: a write that timed out, an
// adapter pulled out. What came before it is judged as usual, and the log
// says both.
ExchangeOutcome Modbus::lineFailure(const QByteArray &request, const QByteArray &heard) const
{
    if (heard.isEmpty())
        return ExchangeOutcome::failed(ExchangeOutcome::Kind::PortError, lineFault);
    const ExchangeOutcome judged = judgeAnswer(request, heard);
    if (judged.taken())
        return ExchangeOutcome::answered(judged.text() + ", " + lineFault);
    return ExchangeOutcome::failed(ExchangeOutcome::Kind::PortError, judged.text() + ", " + lineFault);
}

// The request out, and what comes back until the answer ends; lineFault says
// why the line itself failed, if it did.
QByteArray Modbus::exchange(const QByteArray &request, int timeout, AnswerCut &cut)
{
    serialPort->clear(QSerialPort::AllDirections);
    serialPort->clearError();
    serialPort->write(request);
    if (serialPort->waitForBytesWritten(writeWaitMs))
        return collectAnswer(request, timeout, cut);
    lineFault = closeIfFailed();
    if (lineFault.isEmpty()) {
        qDebug() << "Write timeout";
        lineFault = "write timeout";
        // A request left in the port's buffer would go out late.
        serialPort->clear(QSerialPort::Output);
    }
    return {};
}

// An adapter that echoes puts the request itself on the line before the
// answer, glued to it or apart. A leading exact copy of the request is that
// echo when more follows it, once the line is known to echo, or when the
// copy cannot be the answer (only a 0x06 answer equals its request): a read
// is never answered by its echo, nor a write confirmed by it.
bool Modbus::takeEcho(const QByteArray &request, QByteArray &answer)
{
    if (request.size() < 2 || !answer.startsWith(request))
        return false;
    const bool mayBeTheAnswer = quint8(request.at(1)) == ModbusFunction::WriteSingleRegister;
    if (!echoes && answer.size() == request.size() && mayBeTheAnswer)
        return false;
    if (!echoes)
        qDebug().noquote() << "Линия возвращает каждый запрос (эхо адаптера): ответ берётся после него";
    echoes = true;
    answer.remove(0, request.size());
    return true;
}

// Whether the bytes so far, after the request's echo, are one whole answer
// of the form the request expects: its slave, function or exception, length,
// byte count or confirmed write, and a good CRC. A single write is answered
// by a copy of itself, which on a line not known to echo may be the echo
// alone; that one waits for the silence, and takeEcho then decides.
bool Modbus::isWholeAnswer(const QByteArray &request, const QByteArray &response) const
{
    int at = 0;
    if (response.startsWith(request)) {
        const bool singleWrite = quint8(request.at(1)) == ModbusFunction::WriteSingleRegister;
        if (!echoes && singleWrite && response.size() == request.size())
            return false;
        at = request.size();
    }
    const int length = response.size() - at;
    return length > 0 && answerAtHead(request, response.mid(at)) == length;
}

// Before a request, the silence between frames after the last byte heard: a
// byte in it, or any byte since, shows the line still talking after an
// answer (a slave that pads its frame, a second sender). The line is then
// settled as after a failure, so that those bytes never become part of the
// next answer.
bool Modbus::lineTalksOn()
{
    if (!lastHeard.isValid())
        return false;
    const int left = int(qMax<qint64>(0, interFrameMs - lastHeard.elapsed()));
    if (serialPort->bytesAvailable() == 0 && !serialPort->waitForReadyRead(left))
        return false;
    qDebug().noquote() << "Линия не затихла после ответа: запрос ждёт тишины";
    return true;
}

// Throws away whatever comes until the line has been quiet for
// settleQuietMs; the time since the failure counts when nothing came in it.
// False if the line is still talking settleLimitMs after it began, or after
// the last late answer it brought: a slow slave catching up may send one for
// each request that met silence.
bool Modbus::settleLine()
{
    QElapsedTimer clock;
    clock.start();
    const bool cameMeanwhile = serialPort->bytesAvailable() > 0 || serialPort->waitForReadyRead(0);
    qint64 lastByte = cameMeanwhile ? 0 : -failedAt.elapsed();
    qint64 allowedFrom = 0;
    QByteArray heard = serialPort->readAll();
    dropHeardLateAnswers(heard);
    for (;;) {
        const qint64 now = clock.elapsed();
        if (now - lastByte >= settleQuietMs)
            break;
        if (now - allowedFrom >= settleLimitMs) {
            unanswered.clear();
            return false;
        }
        const qint64 wait = qMin(settleQuietMs - (now - lastByte), settleLimitMs - (now - allowedFrom));
        if (serialPort->waitForReadyRead(int(wait))) {
            const QByteArray bytes = serialPort->readAll();
            if (bytes.isEmpty())
                continue;
            lastByte = clock.elapsed();
            heard.append(bytes);
            if (dropHeardLateAnswers(heard))
                allowedFrom = lastByte;
        } else if (portFailed(*serialPort)) {
            break;   // the request's write will say why
        }
    }
    // Late answers may have been among what was not recognised.
    if (!heard.isEmpty())
        unanswered.clear();
    unsettled = false;
    return true;
}

// Drops the late answers at the head of what the settling line brought. Once
// something else is there, later ones can no longer be found: none is
// expected any more.
bool Modbus::dropHeardLateAnswers(QByteArray &heard)
{
    const bool dropped = dropLateAnswers({}, heard);
    if (heard.size() > longestFrameBytes) {
        heard.clear();
        unanswered.clear();
    }
    return dropped;
}

// An answer ends as soon as it is one whole frame of the form its request
// expects; anything else ends with the silence after its last byte. The
// deadline moves with every byte, so a slow answer is not cut while it
// keeps coming; but a line that never goes quiet (a second master, a
// floating RS-485 pair) must not hold the window, so no answer may outlast
// the time-out plus the longest frame's time on the line, nor outgrow that
// frame. `cut` says which bound ended an answer that broke one. A late answer
// to an earlier request at its head is dropped, and the wait for this
// request's own answer starts again within the same bounds.
QByteArray Modbus::collectAnswer(const QByteArray &request, int timeout, AnswerCut &cut)
{
    QByteArray response;
    QElapsedTimer clock;
    clock.start();
    const qint64 limit = timeout + longestFrameMs;
    qint64 deadline = timeout;
    for (;;) {
        const qint64 now = clock.elapsed();
        if (now >= deadline)
            return response;
        if (now >= limit) {
            cut = AnswerCut::TooSlow;
            return response;
        }
        if (serialPort->waitForReadyRead(int(qMin<qint64>(endOfFrameMs, qMin(deadline, limit) - now)))) {
            const QByteArray bytes = serialPort->read(longestFrameBytes + 1 - response.size());
            if (!bytes.isEmpty()) {
                deadline = clock.elapsed() + endOfFrameMs;
                lastHeard.start();
            }
            response.append(bytes);
            if (dropLateAnswers(request, response)) {
                clock.restart();
                deadline = response.isEmpty() ? timeout : endOfFrameMs;
            }
            if (isWholeAnswer(request, response))
                return response;
            if (response.size() > longestFrameBytes) {
                cut = AnswerCut::TooLong;
                response.chop(1);
                return response;
            }
        } else if (portFailed(*serialPort)) {
            return response;
        }
    }
}

// Drops every late answer at the head of the answer. True if one was.
bool Modbus::dropLateAnswers(const QByteArray &request, QByteArray &answer)
{
    bool dropped = false;
    while (dropLateAnswer(request, answer))
        dropped = true;
    return dropped;
}

// Drops a whole answer to a request that met silence from the head of the
// answer (after the echo, on a line known to echo), the older request's
// when it could answer two, and forgets that request and those before it:
// the slave answers in order. True if one was dropped.
bool Modbus::dropLateAnswer(const QByteArray &request, QByteArray &answer)
{
    if (unanswered.isEmpty())
        return false;
    const int at = echoes && answer.startsWith(request) ? request.size() : 0;
    const QByteArray head = answer.mid(at);
    for (int i = 0; i < unanswered.size(); ++i) {
        const int length = answerAtHead(unanswered.at(i), head);
        if (length == 0)
            continue;
        qDebug().noquote() << "Поздний ответ на прежний запрос отброшен";
        logLateAnswer(head.left(length));
        if (unanswered.at(i) == request)
            lateTwin = head.left(length);
        answer.remove(at, length);
        unanswered.remove(0, i + 1);
        lateDropped = true;
        return true;
    }
    return false;
}

// Anything heard, even a late answer alone, shows that the slave has caught
// up: what it owed came or will not come.
void Modbus::rememberIfUnanswered(const QByteArray &request, bool heardNothing)
{
    if (!heardNothing) {
        unanswered.clear();
        return;
    }
    if (unanswered.size() == maxUnanswered)
        unanswered.removeFirst();
    unanswered.append(request);
    unansweredSince.start();
}

// Once the port has failed (an adapter pulled out, the peer gone), every
// wait on it returns at once and, left open, it wakes the event loop on every
// pass until the next poll. Closed, it costs nothing, and the following polls
// fail as on any closed port. Returns why it failed, or nothing while it is
// fine.
QString Modbus::closeIfFailed()
{
    if (!serialPort->isOpen() || !portFailed(*serialPort))
        return {};
    const QString reason = serialPort->errorString();
    qDebug().noquote() << "Serial port failed:" << reason;
    serialPort->close();
    return reason;
}

ExchangeOutcome Modbus::writeSingleHoldingRegister(quint16 address, quint16 value)
{
    return writeRegisters(buildWriteSingleRequest(slaveAddress, address, value), writeSingleResponseTimeout());
}

ExchangeOutcome Modbus::writeHoldingRegisters(quint16 startAddress, const QVector<quint16> &values)
{
    const quint16 quantity = static_cast<quint16>(values.size());
    return writeRegisters(buildWriteMultipleRequest(slaveAddress, startAddress, values),
                          writeMultipleResponseTimeout(quantity));
}

QVector<quint16> Modbus::readHoldingRegisters(quint16 startAddress, quint16 count)
{
    return readRegisters(ModbusFunction::ReadHoldingRegisters, startAddress, count);
}

QVector<quint16> Modbus::readInputRegisters(quint16 startAddress, quint16 count)
{
    return readRegisters(ModbusFunction::ReadInputRegisters, startAddress, count);
}

QVector<quint16> Modbus::readRegisters(quint8 function, quint16 startAddress, quint16 count)
{
    const QByteArray request = buildReadRequest(slaveAddress, function, startAddress, count);
    const QByteArray answer = sendRequest(request, readAnswerTimeout(count));
    const QVector<quint16> words = evaluateReadAnswer(request, answer);   // and its debug line
    settleIfFailed();
    // The exchange's one judgement decides: an answer it did not take (of
    // another word count, say) gives no words, whatever they look like.
    return outcome.taken() ? words : QVector<quint16>();
}

ExchangeOutcome Modbus::writeRegisters(const QByteArray &request, int timeout)
{
    const QByteArray answer = sendRequest(request, timeout);
    evaluateWriteAnswer(request, answer);   // for its debug line
    settleIfFailed();
    return outcome;
}

// A failed exchange may leave bytes on their way: the next request lets the
// line fall quiet first.
void Modbus::settleIfFailed()
{
    if (outcome.taken())
        return;
    unsettled = true;
    failedAt.start();
}
