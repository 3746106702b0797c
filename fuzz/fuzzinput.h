#ifndef FUZZINPUT_H
#define FUZZINPUT_H

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Takes fields off the front of a fuzzer's input; past the end every field
// reads as zero, so any input, the empty one included, is a valid case.
class FuzzInput
{
public:
    FuzzInput(const uint8_t *data, size_t size) : data(data), size(size) {}

    uint8_t byte() { return at < size ? data[at++] : 0; }
    uint16_t word() { return uint16_t(byte() << 8 | byte()); }
    QByteArray rest()
    {
        const QByteArray bytes(reinterpret_cast<const char *>(data + at), int(size - at));
        at = size;
        return bytes;
    }

private:
    const uint8_t *data;
    size_t size;
    size_t at = 0;
};

// A broken property is a finding: say which, and stop so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__,      \
                         #condition);                                                      \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

// The Modbus CRC written out again from its definition, so that the harnesses
// judge frames without relying on the program's own check.
inline uint16_t referenceCrc(const QByteArray &bytes, int length)
{
    uint16_t crc = 0xFFFF;
    for (int i = 0; i < length; ++i) {
        crc ^= uint8_t(bytes[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    }
    return crc;
}

inline bool referenceCrcMatches(const QByteArray &frame)
{
    const int n = frame.size();
    if (n <= 2)
        return false;
    return referenceCrc(frame, n - 2) == (uint8_t(frame[n - 2]) | uint8_t(frame[n - 1]) << 8);
}

inline void appendReferenceCrc(QByteArray &frame)
{
    const uint16_t crc = referenceCrc(frame, frame.size());
    frame.append(char(crc & 0xFF));
    frame.append(char(crc >> 8));
}

// Quiets the debug lines every rejected answer writes; thousands a second
// would only slow the fuzzer down.
void silenceQtMessages();

#endif // FUZZINPUT_H
