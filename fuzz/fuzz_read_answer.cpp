// Evaluation of answers to 0x03/0x04, with the request that was sent as the
// context. The input chooses the request, then either raw answer bytes or a
// correct answer to that request that is then damaged in one chosen way.
#include "fuzzinput.h"
#include "modbuscrc.h"
#include "modbusframes.h"

namespace {

QByteArray correctAnswer(const QByteArray &request, const QByteArray &payload)
{
    QByteArray answer = request.left(2);
    answer.append(char(payload.size()));
    answer.append(payload);
    appendReferenceCrc(answer);
    return answer;
}

// Damage 0 leaves the answer whole; then cut, flip one bit, or change the
// byte count, each with or without a CRC made to fit again.
QByteArray damaged(QByteArray answer, uint8_t how, uint8_t where, uint8_t bit)
{
    const bool fixCrc = how & 0x80;
    switch (how & 0x7F) {
    case 0: return answer;
    case 1: answer.truncate(where % (answer.size() + 1)); break;
    case 2: answer[where % answer.size()] = char(answer[where % answer.size()] ^ (1 << (bit % 8))); break;
    case 3: answer[2] = char(where); break;
    default: answer.append(char(where)); break;
    }
    if (fixCrc && answer.size() > 2) {
        answer.chop(2);
        appendReferenceCrc(answer);
    }
    return answer;
}

void checkRequest(const QByteArray &request, uint8_t slave, uint8_t function, uint16_t start, uint16_t count)
{
    FUZZ_CHECK(request.size() == 8);
    FUZZ_CHECK(uint8_t(request[0]) == slave && uint8_t(request[1]) == function);
    FUZZ_CHECK(uint8_t(request[2]) == start >> 8 && uint8_t(request[3]) == (start & 0xFF));
    FUZZ_CHECK(uint8_t(request[4]) == count >> 8 && uint8_t(request[5]) == (count & 0xFF));
    FUZZ_CHECK(referenceCrcMatches(request));
    FUZZ_CHECK(modbusCrc(request.left(6)) == referenceCrc(request, 6));
}

// Whether the answer comes from the request's slave with the request's
// function code, the one kind of answer that may give words.
bool answersRequest(const QByteArray &request, const QByteArray &answer)
{
    return answer.size() >= 2 && answer[0] == request[0] && answer[1] == request[1];
}

// Anything accepted answers the request, carries a good CRC, announces no
// more bytes than it has, and its words are exactly the frame's, high byte
// first.
void checkAccepted(const QByteArray &request, const QByteArray &answer, const QVector<quint16> &words)
{
    if (words.isEmpty())
        return;
    FUZZ_CHECK(answersRequest(request, answer));
    FUZZ_CHECK(referenceCrcMatches(answer));
    const int byteCount = uint8_t(answer[2]);
    FUZZ_CHECK(answer.size() > byteCount + 4);
    FUZZ_CHECK(words.size() == byteCount / 2);
    for (int i = 0; i < words.size(); ++i)
        FUZZ_CHECK(words[i] == (uint8_t(answer[3 + 2 * i]) << 8 | uint8_t(answer[4 + 2 * i])));
}

// Nothing good is thrown away either: a frame answering the request with a
// good CRC that holds the bytes it announces gives its words.
void checkNotLost(const QByteArray &request, const QByteArray &answer, const QVector<quint16> &words)
{
    if (answer.size() <= 4 || !referenceCrcMatches(answer) || !answersRequest(request, answer))
        return;
    const int byteCount = uint8_t(answer[2]);
    if (answer.size() > byteCount + 4)
        FUZZ_CHECK(words.size() == byteCount / 2);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    silenceQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const uint8_t slave = in.byte();
    const uint8_t function = (in.byte() & 1) ? ModbusFunction::ReadInputRegisters
                                             : ModbusFunction::ReadHoldingRegisters;
    const uint16_t start = in.word();
    const uint16_t count = in.word();
    const QByteArray request = buildReadRequest(slave, function, start, count);
    checkRequest(request, slave, function, start, count);
    FUZZ_CHECK(readResponseTimeout(count) == 200 + 2 * count);

    const uint8_t how = in.byte();
    const uint8_t where = in.byte();
    const uint8_t bit = in.byte();
    const bool raw = how == 0xFF;
    const QByteArray payload = in.rest();
    const QByteArray answer = raw ? payload : damaged(correctAnswer(request, payload.left(255)), how, where, bit);

    const QVector<quint16> words = evaluateReadAnswer(request, answer);
    checkAccepted(request, answer, words);
    checkNotLost(request, answer, words);
    // The untouched answer to the request gives back exactly what was sent,
    // so a caller that checks the size against its count gets its words.
    if (!raw && (how & 0x7F) == 0) {
        const int sent = payload.left(255).size();
        FUZZ_CHECK(words.size() == sent / 2);
        for (int i = 0; i < words.size(); ++i)
            FUZZ_CHECK(words[i] == (uint8_t(payload[2 * i]) << 8 | uint8_t(payload[2 * i + 1])));
    }
    return 0;
}
