#include "modbusframes.h"
#include "modbuscrc.h"

#include <QDebug>

namespace {

void appendWord(QByteArray &frame, quint16 word)
{
    frame.append(static_cast<char>(word >> 8));
    frame.append(static_cast<char>(word & 0xFF));
}

QByteArray requestHead(quint8 slave, quint8 function, quint16 first, quint16 second)
{
    QByteArray frame;
    frame.append(static_cast<char>(slave));
    frame.append(static_cast<char>(function));
    appendWord(frame, first);
    appendWord(frame, second);
    return frame;
}

quint8 byteAt(const QByteArray &data, int index)
{
    return static_cast<quint8>(data.at(index));
}

void logCrcFailure(const QByteArray &answer)
{
    QByteArray line = "Проверка CRC не пройдена:";
    if (!answer.isEmpty())
        line += ' ' + answer.toHex(' ');
    qDebug("%s", line.constData());
}

// A standard exception answer: address, function | 0x80, code, CRC.
bool isException(const QByteArray &answer)
{
    return answer.size() >= 5 && (byteAt(answer, 1) & 0x80);
}

void logException(const QByteArray &answer)
{
    qDebug().noquote() << "Modbus" << modbusExceptionText(byteAt(answer, 2));
}

// Another slave's answer, or one to another request, must never pass for the
// addressed detector's: a second master on the bus makes both happen.
bool refuseForeign(const QByteArray &request, const QByteArray &answer)
{
    if (answerBelongsTo(request, answer))
        return false;
    qDebug().noquote() << QString("Ответ не на этот запрос: адрес %1, функция %2")
                              .arg(byteAt(answer, 0))
                              .arg(byteAt(answer, 1), 2, 16, QChar('0'));
    return true;
}

} // namespace

QByteArray buildReadRequest(quint8 slave, quint8 function, quint16 start, quint16 count)
{
    QByteArray frame = requestHead(slave, function, start, count);
    appendModbusCrc(frame);
    return frame;
}

QByteArray buildWriteSingleRequest(quint8 slave, quint16 address, quint16 value)
{
    QByteArray frame = requestHead(slave, ModbusFunction::WriteSingleRegister, address, value);
    appendModbusCrc(frame);
    return frame;
}

QByteArray buildWriteMultipleRequest(quint8 slave, quint16 start, const QVector<quint16> &values)
{
    const quint16 quantity = static_cast<quint16>(values.size());
    QByteArray frame = requestHead(slave, ModbusFunction::WriteMultipleRegisters, start, quantity);
    frame.append(static_cast<char>((2 * quantity) & 0xFF));
    for (const quint16 value : values)
        appendWord(frame, value);
    appendModbusCrc(frame);
    return frame;
}

int readResponseTimeout(quint16 count)
{
    return 200 + 2 * count;
}

int writeSingleResponseTimeout()
{
    return 240;
}

int writeMultipleResponseTimeout(quint16 quantity)
{
    return 200 + 2 * quantity;
}

QString modbusExceptionText(quint8 code)
{
    static const char *const names[] = {nullptr,
                                        "illegal function",
                                        "illegal data address",
                                        "illegal data value",
                                        "slave device failure",
                                        "acknowledge",
                                        "slave device busy",
                                        nullptr,
                                        "memory parity error",
                                        nullptr,
                                        "gateway path unavailable",
                                        "gateway target device failed to respond"};
    const QString text = QString("exception %1").arg(code, 2, 16, QChar('0'));
    const bool named = code < sizeof names / sizeof *names && names[code];
    return named ? text + " (" + names[code] + ")" : text;
}

bool answerConfirmsWrite(const QByteArray &request, const QByteArray &answer)
{
    if (request.size() < 6)
        return false;
    if (byteAt(request, 1) == ModbusFunction::WriteSingleRegister)
        return answer == request;
    return answer.size() == 8 && answer.left(6) == request.left(6) && modbusCrcMatches(answer);
}

bool answerBelongsTo(const QByteArray &request, const QByteArray &answer)
{
    if (request.size() < 2 || answer.size() < 2)
        return false;
    return byteAt(answer, 0) == byteAt(request, 0) && (byteAt(answer, 1) & 0x7F) == byteAt(request, 1);
}

int answerAtHead(const QByteArray &request, const QByteArray &bytes)
{
    if (request.size() < 6 || !answerBelongsTo(request, bytes))
        return 0;
    const quint8 function = byteAt(request, 1);
    const bool read = function == ModbusFunction::ReadHoldingRegisters || function == ModbusFunction::ReadInputRegisters;
    const int count = byteAt(request, 4) << 8 | byteAt(request, 5);
    const bool exception = byteAt(bytes, 1) & 0x80;
    const int length = exception ? 5 : read ? 5 + 2 * count : 8;
    const QByteArray frame = bytes.left(length);
    if (frame.size() < length || !modbusCrcMatches(frame))
        return 0;
    const bool fits = exception || (read ? byteAt(frame, 2) == 2 * count : answerConfirmsWrite(request, frame));
    return fits ? length : 0;
}

namespace {

ExchangeOutcome foreignAnswer(const QByteArray &answer)
{
    return ExchangeOutcome::failed(ExchangeOutcome::Kind::Foreign,
                                   QString("answer from slave %1 with function %2")
                                       .arg(byteAt(answer, 0))
                                       .arg(byteAt(answer, 1), 2, 16, QChar('0')));
}

ExchangeOutcome garbled(const QString &text)
{
    return ExchangeOutcome::failed(ExchangeOutcome::Kind::Garbled, text);
}

// The checks every answer meets first: its length, its CRC, whose it is, and
// whether it is a refusal. Answered when it passes them all.
ExchangeOutcome judgeFrame(const QByteArray &request, const QByteArray &answer, int shortest)
{
    if (answer.size() < shortest)
        return garbled(QString("incomplete answer (%1 bytes)").arg(answer.size()));
    if (!modbusCrcMatches(answer))
        return garbled("CRC mismatch");
    if (!answerBelongsTo(request, answer))
        return foreignAnswer(answer);
    if (isException(answer))
        return ExchangeOutcome::refused(byteAt(answer, 2));
    return ExchangeOutcome::answered();
}

ExchangeOutcome judgeReadAnswer(const QByteArray &request, const QByteArray &answer)
{
    const ExchangeOutcome frame = judgeFrame(request, answer, 5);
    if (!frame.taken())
        return frame;
    const int byteCount = byteAt(answer, 2);
    if (answer.size() <= byteCount + 4)
        return garbled(QString("shorter than its byte count %1").arg(byteCount));
    const int asked = request.size() >= 6 ? byteAt(request, 4) << 8 | byteAt(request, 5) : -1;
    const int carried = byteCount / 2;
    if (carried != asked)
        return garbled(QString("ok, %1 words for %2 asked").arg(carried).arg(asked));
    return frame;
}

ExchangeOutcome judgeWriteAnswer(const QByteArray &request, const QByteArray &answer)
{
    const ExchangeOutcome frame = judgeFrame(request, answer, 3);
    if (!frame.taken())
        return frame;
    if (!answerConfirmsWrite(request, answer))
        return ExchangeOutcome::failed(ExchangeOutcome::Kind::NotConfirmed, "does not confirm the write");
    return frame;
}

} // namespace

ExchangeOutcome judgeAnswer(const QByteArray &request, const QByteArray &answer)
{
    if (answer.isEmpty())
        return ExchangeOutcome::noAnswer();
    const quint8 function = request.size() > 1 ? byteAt(request, 1) : 0;
    const bool read = function == ModbusFunction::ReadHoldingRegisters || function == ModbusFunction::ReadInputRegisters;
    return read ? judgeReadAnswer(request, answer) : judgeWriteAnswer(request, answer);
}

QVector<quint16> evaluateReadAnswer(const QByteArray &request, const QByteArray &answer)
{
    if (answer.size() <= 4) {
        qDebug() << "Неверный формат ответа";
        return {};
    }
    if (!modbusCrcMatches(answer)) {
        logCrcFailure(answer);
        return {};
    }
    if (refuseForeign(request, answer))
        return {};
    // An exception answer ends up here too: its code sits where the byte
    // count would, and five bytes are never enough for it.
    const int byteCount = byteAt(answer, 2);
    if (answer.size() <= byteCount + 4) {
        qDebug() << "Ответ слишком короткий";
        return {};
    }
    // Whatever follows an exception code, it is no register data.
    if (isException(answer)) {
        logException(answer);
        return {};
    }
    QVector<quint16> words;
    words.reserve(byteCount / 2);
    for (int i = 0; i < byteCount / 2; ++i)
        words.append(static_cast<quint16>(byteAt(answer, 3 + 2 * i) << 8 | byteAt(answer, 4 + 2 * i)));
    return words;
}

bool evaluateWriteAnswer(const QByteArray &request, const QByteArray &answer)
{
    if (!modbusCrcMatches(answer)) {
        logCrcFailure(answer);
        return false;
    }
    if (refuseForeign(request, answer))
        return false;
    // A device that refuses a write still answers with a valid CRC.
    if (isException(answer)) {
        logException(answer);
        return false;
    }
    if (!answerConfirmsWrite(request, answer)) {
        qDebug().noquote() << "Ответ не подтверждает запись:" << answer.toHex(' ');
        return false;
    }
    return true;
}
