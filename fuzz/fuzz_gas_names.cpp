// Decoding of the gas name table: any number of words, any content. Each name
// is checked against the bytes it came from and against the register model's
// own text decoder, which reads the gas name field of the parameter block.
#include "fuzzinput.h"
#include "gasnames.h"
#include "registermodel.h"

namespace {

// The bytes of one name in reading order: low byte of each word first.
QByteArray nameBytes(const QVector<quint16> &words, int first)
{
    QByteArray bytes;
    for (int i = 0; i < gasNameWords; ++i) {
        bytes.append(char(words[first + i] & 0xFF));
        bytes.append(char(words[first + i] >> 8));
    }
    return bytes;
}

void checkName(const QString &name, const QVector<quint16> &words, int first)
{
    const QByteArray bytes = nameBytes(words, first);
    const int end = bytes.indexOf('\0');
    const QByteArray expected = end < 0 ? bytes : bytes.left(end);
    FUZZ_CHECK(name.size() == expected.size());
    FUZZ_CHECK(name.size() <= 2 * gasNameWords);
    FUZZ_CHECK(!name.contains(QChar(0)));
    for (int i = 0; i < name.size(); ++i)
        FUZZ_CHECK(name[i].unicode() == uint8_t(expected[i]));
    FUZZ_CHECK(name == RegisterModel::decodeText(words.constData() + first, 2 * gasNameWords));

    // Written back as a gas name field, the name gives its words again up to
    // the end of the text; the rest is filled with NUL bytes.
    quint16 field[gasNameWords];
    RegisterModel::encodeText(name, field, 2 * gasNameWords);
    const QByteArray again = nameBytes(QVector<quint16>(field, field + gasNameWords), 0);
    FUZZ_CHECK(again.left(expected.size()) == expected);
    FUZZ_CHECK(again.mid(expected.size()) == QByteArray(again.size() - expected.size(), '\0'));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzInput in(data, size);
    QVector<quint16> words;
    for (size_t i = 0; i + 1 < size && words.size() < 4 * gasNameBlockWords; i += 2)
        words.append(in.word());

    const QVector<QString> names = decodeGasNameBlock(words);
    FUZZ_CHECK(names.size() == words.size() / gasNameWords);
    for (int n = 0; n < names.size(); ++n)
        checkName(names[n], words, n * gasNameWords);
    return 0;
}
