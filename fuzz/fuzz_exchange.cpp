// The exchange itself on a pseudo-terminal: one request of the master, and a
// line that answers with random bytes at random pauses, now and then with a
// whole frame (whose address and function may or may not fit the request).
// Real time passes, so each input takes up to a third of a second, half a
// second for a write.
#include "fuzzinput.h"
#include "modbus.h"
#include "modbusframes.h"
#include "ptypair.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <memory>

namespace {

const uint8_t slave = 1;
// Scheduling noise the bound may be overrun by: far less than any answer
// that would not end by itself.
const int slackMs = 150;
const int maxScriptBytes = 4000;

struct Line {
    PtyPair pty;
    Modbus master;
};

Line *line = nullptr;

// A frame with a good CRC: from the addressed slave or another, with the
// request's function code, its exception code, or another.
QByteArray frame(FuzzInput &in, uint8_t kind, uint8_t function)
{
    QByteArray bytes;
    bytes.append(char((kind & 0x01) ? slave : in.byte()));
    const uint8_t which = (kind >> 1) & 0x03;
    bytes.append(char(which == 0 ? in.byte() : which == 1 ? (function | 0x80) : function));
    const int length = in.byte();
    bytes.append(char(length));
    for (int i = 0; i < length; ++i)
        bytes.append(char(in.byte()));
    appendReferenceCrc(bytes);
    return bytes;
}

// Chunks of raw bytes or whole frames, each after a pause of 0 to 31 ms:
// both sides of the ten character times that end an answer.
PtyReply script(FuzzInput &in, uint8_t function, QByteArray &stream)
{
    PtyReply reply;
    while (stream.size() < maxScriptBytes) {
        const uint8_t kind = in.byte();
        if (kind == 0)
            break;
        const int delayMs = in.byte() % 32;
        QByteArray bytes;
        if (kind & 0x80) {
            bytes = frame(in, kind, function);
        } else {
            const int length = kind % 64;
            for (int i = 0; i < length; ++i)
                bytes.append(char(in.byte()));
        }
        bytes = bytes.left(maxScriptBytes - stream.size());
        stream += bytes;
        reply.chunks.append({delayMs, bytes});
    }
    return reply;
}

bool answersRequest(const QByteArray &answer, uint8_t function)
{
    return answer.size() > 2 && uint8_t(answer[0]) == slave && uint8_t(answer[1]) == function &&
           referenceCrcMatches(answer);
}

// An answer is a prefix of what the line sent, since the master empties its
// buffer before the request and the line speaks only after it. Words taken
// must be those of a prefix that answers the request.
bool wordsFromAnAnswer(const QVector<quint16> &words, const QByteArray &stream, uint8_t function)
{
    for (int n = 5; n <= qMin(stream.size(), longestFrameBytes); ++n) {
        const QByteArray answer = stream.left(n);
        const int byteCount = uint8_t(answer[2]);
        if (!answersRequest(answer, function) || n <= byteCount + 4 || words.size() != byteCount / 2)
            continue;
        bool same = true;
        for (int i = 0; i < words.size() && same; ++i)
            same = words[i] == (uint8_t(answer[3 + 2 * i]) << 8 | uint8_t(answer[4 + 2 * i]));
        if (same)
            return true;
    }
    return false;
}

bool someAnswerFits(const QByteArray &stream, uint8_t function)
{
    for (int n = 3; n <= qMin(stream.size(), longestFrameBytes); ++n) {
        if (answersRequest(stream.left(n), function))
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    silenceQtMessages();
    new QCoreApplication(*argc, *argv);
    line = new Line;
    line->master.portName = line->pty.slavePath();
    line->master.setSlaveAddress(slave);
    if (!line->master.openPort()) {
        std::fprintf(stderr, "fuzz_exchange: cannot open %s\n", qPrintable(line->pty.slavePath()));
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    const uint8_t operation = in.byte() % 3;
    const int timeoutMs = 5 + in.byte() % 60;
    const uint16_t count = in.word() % 126;
    const uint8_t function = operation == 0   ? ModbusFunction::ReadHoldingRegisters
                             : operation == 1 ? ModbusFunction::ReadInputRegisters
                                              : ModbusFunction::WriteSingleRegister;
    QByteArray stream;
    const PtyReply reply = script(in, function, stream);

    Modbus &master = line->master;
    // Reads take the shorter wait, so that an input costs little; a write
    // keeps its own.
    master.setReadTimeout(timeoutMs);
    const int answerMs =
        function == ModbusFunction::WriteSingleRegister ? writeSingleResponseTimeout() : timeoutMs;
    QElapsedTimer clock;
    {
        PtyResponder device(line->pty, {reply});
        clock.start();
        if (function == ModbusFunction::WriteSingleRegister) {
            if (master.writeSingleHoldingRegister(count, 0x1234))
                FUZZ_CHECK(someAnswerFits(stream, function));
        } else {
            const QVector<quint16> words = function == ModbusFunction::ReadHoldingRegisters
                                               ? master.readHoldingRegisters(0, count)
                                               : master.readInputRegisters(0, count);
            if (!words.isEmpty())
                FUZZ_CHECK(wordsFromAnAnswer(words, stream, function));
        }
        const qint64 elapsed = clock.elapsed();
        if (elapsed > answerMs + longestFrameMs + slackMs)
            std::fprintf(stderr, "exchange took %lld ms, time-out %d ms\n", static_cast<long long>(elapsed),
                         answerMs);
        FUZZ_CHECK(elapsed <= answerMs + longestFrameMs + slackMs);
    }
    return 0;
}
