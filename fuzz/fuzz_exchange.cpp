// The exchange itself on a pseudo-terminal: one request of the master, and a
// line that answers with random bytes at random pauses, now and then with a
// whole frame (whose address and function may or may not fit the request),
// an echo of the request as an echoing adapter sends it, or the request's
// own answer late. When the first exchange took an answer, a read follows
// at once, while the line may still send the rest: it never takes words from
// bytes that came without a pause after another. Once the line is quiet, one
// more read gets its own words, whatever the first left behind. Real time
// passes, so each input takes up to a few seconds.
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

QByteArray readAnswerBytes(const QVector<quint16> &words)
{
    QByteArray bytes;
    bytes.append(char(slave));
    bytes.append(char(ModbusFunction::ReadInputRegisters));
    bytes.append(char(2 * words.size()));
    for (const quint16 word : words) {
        bytes.append(char(word >> 8));
        bytes.append(char(word & 0xFF));
    }
    return bytes;
}

QByteArray withReferenceCrc(QByteArray bytes)
{
    appendReferenceCrc(bytes);
    return bytes;
}

// A good answer to the request: the words, or the write confirmed.
QByteArray ownAnswer(const QByteArray &request)
{
    if (uint8_t(request[1]) == ModbusFunction::WriteSingleRegister)
        return request;
    const int count = qMin(uint8_t(request[4]) << 8 | uint8_t(request[5]), 125);
    QByteArray bytes = request.left(2);
    bytes.append(char(2 * count));
    for (int i = 0; i < 2 * count; ++i)
        bytes.append(char(i));
    appendReferenceCrc(bytes);
    return bytes;
}

// Chunks of raw bytes or whole frames, each after a pause of 0 to 31 ms:
// both sides of the ten character times that end an answer. Kinds 0x40 and
// 0x41 are the request's echo and its own answer 0 to 255 ms late.
PtyReply script(FuzzInput &in, const QByteArray &request, QByteArray &stream)
{
    const uint8_t function = uint8_t(request[1]);
    PtyReply reply;
    while (stream.size() < maxScriptBytes) {
        const uint8_t kind = in.byte();
        if (kind == 0)
            break;
        int delayMs = in.byte() % 32;
        QByteArray bytes;
        if (kind == 0x40) {
            bytes = request;
        } else if (kind == 0x41) {
            bytes = ownAnswer(request);
            delayMs = in.byte();
        } else if (kind & 0x80) {
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

// Where an answer may begin: at the start of what the line sent, since the
// master empties its buffer before the request and the line speaks only
// after it, or after the request's echo at that start.
QVector<QByteArray> answerStreams(const QByteArray &stream, const QByteArray &request)
{
    QVector<QByteArray> streams{stream};
    if (stream.startsWith(request))
        streams << stream.mid(request.size());
    return streams;
}

// Words taken must be those of a prefix that answers the request.
bool wordsFromAnAnswer(const QVector<quint16> &words, const QByteArray &sent, const QByteArray &request)
{
    const uint8_t function = uint8_t(request[1]);
    for (const QByteArray &stream : answerStreams(sent, request)) {
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
    }
    return false;
}

// The words a read takes right after another answer come from a frame that
// began after a pause of at least kPauseMs: bytes that follow others at once
// are the line still talking, and never the start of the next answer. The
// master waits 4 ms of silence after an answer; the bound leaves room for a
// chunk written late.
const int kPauseMs = 2;

bool wordsAfterAPause(const QVector<quint16> &words, const PtyReply &reply, const QByteArray &request)
{
    QByteArray rest;
    for (int i = reply.chunks.size() - 1; i >= 0; --i) {
        rest.prepend(reply.chunks[i].bytes);
        if (reply.chunks[i].delayMs >= kPauseMs && wordsFromAnAnswer(words, rest, request))
            return true;
    }
    return false;
}

bool someAnswerFits(const QByteArray &sent, const QByteArray &request)
{
    for (const QByteArray &stream : answerStreams(sent, request)) {
        for (int n = 3; n <= qMin(stream.size(), longestFrameBytes); ++n) {
            if (answersRequest(stream.left(n), uint8_t(request[1])))
                return true;
        }
    }
    return false;
}

const QVector<quint16> kOwnWords{0x5A5A, 0xA5A5};
const quint16 kOwnStart = 0x100;

QByteArray ownWordsRequest()
{
    return buildReadRequest(slave, ModbusFunction::ReadInputRegisters, kOwnStart, 2);
}

QByteArray ownWordsAnswer()
{
    return withReferenceCrc(readAnswerBytes(kOwnWords));
}

// Right after a taken answer, while the script may still be playing: the
// read gets its own words, none, or a frame that came after a pause.
void readRightAfterTakesNoTrailingBytes(Line &line, const PtyReply &reply)
{
    line.master.setReadTimeout(0);
    const QVector<quint16> words = line.master.readInputRegisters(kOwnStart, 2);
    FUZZ_CHECK(words.isEmpty() || words == kOwnWords || wordsAfterAPause(words, reply, ownWordsRequest()));
}

// Whatever the first exchange left on the line, once it is over a read of
// two words gets its own answer: nothing of the first is taken for it. Only
// when the first met silence and its answer would look the same is the one
// answer that comes in doubt (the first's, late, or this read's), and then
// the read gets none.
void followingReadKeepsInStep(Line &line, const QByteArray &first)
{
    const QByteArray answer = ownWordsAnswer();
    const bool inDoubt = line.master.lastOutcome().kind() == ExchangeOutcome::Kind::NoAnswer && answerAtHead(first, answer) > 0;
    QVector<quint16> words;
    line.master.setReadTimeout(0);   // the usual wait: an answer that comes is not missed
    {
        PtyResponder device(line.pty, {PtyReply::after(5, answer)});
        words = line.master.readInputRegisters(kOwnStart, 2);
    }
    FUZZ_CHECK(words == kOwnWords || (inDoubt && words.isEmpty()));
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
    const QByteArray request = function == ModbusFunction::WriteSingleRegister
                                   ? buildWriteSingleRequest(slave, count, 0x1234)
                                   : buildReadRequest(slave, function, 0, count);
    QByteArray stream;
    const PtyReply reply = script(in, request, stream);

    Modbus &master = line->master;
    // Reads take the shorter wait, so that an input costs little; a write
    // keeps its own.
    master.setReadTimeout(timeoutMs);
    const int answerMs =
        function == ModbusFunction::WriteSingleRegister ? writeSingleResponseTimeout() : timeoutMs;
    QElapsedTimer clock;
    QByteArray last = request;
    {
        PtyResponder device(line->pty, {reply, PtyReply::after(5, ownWordsAnswer())});
        clock.start();
        if (function == ModbusFunction::WriteSingleRegister) {
            if (master.writeSingleHoldingRegister(count, 0x1234))
                FUZZ_CHECK(someAnswerFits(stream, request));
        } else {
            const QVector<quint16> words = function == ModbusFunction::ReadHoldingRegisters
                                               ? master.readHoldingRegisters(0, count)
                                               : master.readInputRegisters(0, count);
            if (!words.isEmpty())
                FUZZ_CHECK(wordsFromAnAnswer(words, stream, request));
        }
        // A line left talking by the last input is waited out first, for at
        // most two frames' time; after an echo the answer has its own wait.
        const qint64 elapsed = clock.elapsed();
        const qint64 bound = 2 * longestFrameMs + 2 * answerMs + longestFrameMs + slackMs;
        if (elapsed > bound)
            std::fprintf(stderr, "exchange took %lld ms, time-out %d ms\n", static_cast<long long>(elapsed),
                         answerMs);
        FUZZ_CHECK(elapsed <= bound);
        if (master.lastOutcome().taken()) {
            readRightAfterTakesNoTrailingBytes(*line, reply);
            last = ownWordsRequest();
        }
    }
    followingReadKeepsInStep(*line, last);
    return 0;
}
