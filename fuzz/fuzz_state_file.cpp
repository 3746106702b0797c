// The state file loader: FileLoad on a file "ini" holding the input, compared
// with decodeState on the same bytes, and the decoded state written out with
// encodeState and read back.
#include "fuzzinput.h"
#include "inifile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstring>

namespace {

// A record that is not all zero, so that a short file's kept bytes show.
const SaveRecord kBefore{0x11223344, 0x55667788, 0x99};

bool sameRecord(const SaveRecord &a, const SaveRecord &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void writeStateFile(const QByteArray &content)
{
    QFile file("ini");
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_CHECK(file.write(content) == content.size());
}

// The bytes of the record after loading: the file's first bytes, then what
// the record held before.
QByteArray expectedImage(const QByteArray &content)
{
    QByteArray image(reinterpret_cast<const char *>(&kBefore), sizeof kBefore);
    const int taken = qMin(content.size(), int(sizeof kBefore));
    image.replace(0, taken, content.left(taken));
    return image;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static QTemporaryDir scratch;
    QDir::setCurrent(scratch.path());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char *>(data), int(size));
    writeStateFile(content);

    save = kBefore;
    dir = "before";
    const bool loaded = FileLoad();
    FUZZ_CHECK(loaded == !content.isEmpty());
    if (!loaded) {
        FUZZ_CHECK(sameRecord(save, kBefore) && dir == "before");
        return 0;
    }
    // The host is little-endian, so the record's memory is its file image.
    FUZZ_CHECK(QByteArray(reinterpret_cast<const char *>(&save), sizeof save) == expectedImage(content));
    FUZZ_CHECK(dir == dir.trimmed());
    FUZZ_CHECK(!dir.contains('\n') && !dir.contains(QChar(0)));

    SaveRecord decoded = kBefore;
    QString decodedDir = "before";
    FUZZ_CHECK(decodeState(content, decoded, decodedDir));
    FUZZ_CHECK(sameRecord(decoded, save) && decodedDir == dir);

    // What is saved loads back as the same state, unless bytes that are not
    // UTF-8 grew into a line too long to be a directory.
    const QByteArray written = encodeState(save, dir);
    FUZZ_CHECK(written.size() == 9 + dir.toUtf8().size() + 2 && written.endsWith("\r\n"));
    if (written.size() - 9 > kMaxDirectoryLine)
        return 0;
    SaveRecord again{};
    QString againDir;
    FUZZ_CHECK(decodeState(written, again, againDir));
    FUZZ_CHECK(sameRecord(again, save) && againDir == dir);
    return 0;
}
