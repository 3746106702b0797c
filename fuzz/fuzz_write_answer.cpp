// Write requests (0x06 and 0x10) as built for the chosen values, and the
// evaluation of whatever comes back: raw bytes, or the request's echo
// damaged in one chosen way.
#include "fuzzinput.h"
#include "modbusframes.h"

namespace {

QVector<quint16> wordsOf(const QByteArray &bytes)
{
    QVector<quint16> words;
    for (int i = 0; i + 1 < bytes.size(); i += 2)
        words.append(quint16(uint8_t(bytes[i]) << 8 | uint8_t(bytes[i + 1])));
    return words;
}

void checkSingleRequest(const QByteArray &request, uint8_t slave, uint16_t address, uint16_t value)
{
    FUZZ_CHECK(request.size() == 8);
    FUZZ_CHECK(uint8_t(request[0]) == slave && uint8_t(request[1]) == 0x06);
    FUZZ_CHECK((uint8_t(request[2]) << 8 | uint8_t(request[3])) == address);
    FUZZ_CHECK((uint8_t(request[4]) << 8 | uint8_t(request[5])) == value);
    FUZZ_CHECK(referenceCrcMatches(request));
}

// Every value goes out in order, high byte first, behind a byte count that
// is twice the quantity cut to eight bits, as the frame format has it.
void checkMultipleRequest(const QByteArray &request, uint8_t slave, uint16_t start, const QVector<quint16> &values)
{
    const int q = values.size();
    FUZZ_CHECK(request.size() == 9 + 2 * q);
    FUZZ_CHECK(uint8_t(request[0]) == slave && uint8_t(request[1]) == 0x10);
    FUZZ_CHECK((uint8_t(request[2]) << 8 | uint8_t(request[3])) == start);
    FUZZ_CHECK((uint8_t(request[4]) << 8 | uint8_t(request[5])) == q);
    FUZZ_CHECK(uint8_t(request[6]) == ((2 * q) & 0xFF));
    FUZZ_CHECK(wordsOf(request.mid(7, 2 * q)) == values);
    FUZZ_CHECK(referenceCrcMatches(request));
    FUZZ_CHECK(writeMultipleResponseTimeout(quint16(q)) == 200 + 2 * q);
}

// A device's answer to a write is the echo of the request's head: all of a
// 0x06 request, the first six bytes of a 0x10 one.
QByteArray echo(const QByteArray &request)
{
    QByteArray answer = request.left(6);
    appendReferenceCrc(answer);
    return answer;
}

QByteArray damaged(QByteArray answer, uint8_t how, uint8_t where)
{
    switch (how & 0x7F) {
    case 0: return answer;
    case 1: answer.truncate(where % (answer.size() + 1)); break;
    case 2: answer[where % answer.size()] = char(answer[where % answer.size()] ^ 0x01); break;
    case 3: answer[1] = char(uint8_t(answer[1]) | 0x80); break;   // the device refuses
    default: answer.append(char(where)); break;
    }
    if ((how & 0x80) && answer.size() > 2) {
        answer.chop(2);
        appendReferenceCrc(answer);
    }
    return answer;
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
    const bool multiple = in.byte() & 1;
    const uint16_t address = in.word();
    const uint8_t how = in.byte();
    const uint8_t where = in.byte();
    QByteArray request;
    QByteArray payload;
    if (multiple) {
        payload = in.rest();
        const QVector<quint16> values = wordsOf(payload.left(2 * 300));
        request = buildWriteMultipleRequest(slave, address, values);
        checkMultipleRequest(request, slave, address, values);
    } else {
        const uint16_t value = in.word();
        request = buildWriteSingleRequest(slave, address, value);
        checkSingleRequest(request, slave, address, value);
        payload = in.rest();
    }

    const bool raw = how == 0xFF;
    const QByteArray answer = raw ? payload : damaged(echo(request), how, where);
    const bool accepted = evaluateWriteAnswer(request, answer);
    // Success only for a good CRC on an answer from the addressed slave, with
    // the request's function code: no refusal, nobody else's answer.
    if (accepted) {
        FUZZ_CHECK(referenceCrcMatches(answer));
        FUZZ_CHECK(answer[0] == request[0] && answer[1] == request[1]);
    }
    if (!raw && (how & 0x7F) == 0)
        FUZZ_CHECK(accepted);
    return 0;
}
