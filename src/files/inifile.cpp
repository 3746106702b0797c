#include "inifile.h"

#include <QFile>
#include <QFileInfo>

#include "atomicfile.h"

SaveRecord save = {};
RememberedEntries remembered;

namespace {

const char *const kStateFileName = "ini";
constexpr int kRecordSize = 9;

void putLittleEndian32(QByteArray &bytes, int at, int32_t value)
{
    const auto bits = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
}

int32_t takeLittleEndian32(const QByteArray &bytes, int at)
{
    uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<uint32_t>(static_cast<uchar>(bytes[at + i])) << (8 * i);
    return static_cast<int32_t>(bits);
}

QByteArray recordImage(const SaveRecord &record)
{
    QByteArray image(kRecordSize, '\0');
    putLittleEndian32(image, 0, record.portIndex);
    putLittleEndian32(image, 4, record.tabIndex);
    image[8] = static_cast<char>(record.slaveAddress);
    return image;
}

SaveRecord recordFromImage(const QByteArray &image)
{
    SaveRecord record;
    record.portIndex = takeLittleEndian32(image, 0);
    record.tabIndex = takeLittleEndian32(image, 4);
    record.slaveAddress = static_cast<uint8_t>(image[8]);
    return record;
}

// The directory line: up to and including the first line feed, cut at the
// first zero byte, without the blanks and line end around it. A line longer
// than kMaxDirectoryLine bytes is ignored, as if there were none.
QString directoryFromLine(QByteArray line)
{
    const int lineFeed = line.indexOf('\n');
    if (lineFeed >= 0)
        line.truncate(lineFeed + 1);
    if (line.size() > kMaxDirectoryLine)
        return QString();
    const int zero = line.indexOf('\0');
    if (zero >= 0)
        line.truncate(zero);
    return QString::fromUtf8(line).trimmed();
}

// Lines after the directory line: few, short, so a reader stops early.
constexpr int kMaxEntryLine = 1024;
constexpr int kMaxEntryLines = 8;

QByteArray entryLine(const char *name, const QString &value)
{
    QString line = value;
    line.replace(QRegExp("[\r\n]+"), " ");
    return line.isEmpty() ? QByteArray() : QByteArray(name) + '=' + line.toUtf8().left(kMaxEntryLine) + "\r\n";
}

void takeEntries(const QByteArray &content, RememberedEntries &entries)
{
    const QList<QByteArray> lines = content.split('\n');
    for (int i = 1; i < lines.size() && i <= kMaxEntryLines; ++i) {
        const QString line = QString::fromUtf8(lines[i]).trimmed();
        const int equals = line.indexOf('=');
        const QString name = line.left(equals), value = line.mid(equals + 1);
        if (equals < 0 || lines[i].size() > kMaxEntryLine + 64)
            continue;
        if (name == "engineer")
            entries.engineer = value;
        else if (name == "cylinder lot")
            entries.cylinderLot = value;
        else if (name == "cylinder expiry")
            entries.cylinderExpiry = value;
        else if (name == "certificate months")
            entries.certificateMonths = value.toInt();
    }
}

} // namespace

QByteArray encodeState(const SaveRecord &record, const QString &directory, const RememberedEntries &entries)
{
    return recordImage(record) + directory.toUtf8() + "\r\n" + entryLine("engineer", entries.engineer) +
           entryLine("cylinder lot", entries.cylinderLot) + entryLine("cylinder expiry", entries.cylinderExpiry) +
           entryLine("certificate months",
                     entries.certificateMonths > 0 ? QString::number(entries.certificateMonths) : QString());
}

bool decodeState(const QByteArray &content, SaveRecord &record, QString &directory, RememberedEntries *entries)
{
    if (content.isEmpty())
        return false;
    QByteArray image = recordImage(record);
    const int taken = qMin(content.size(), kRecordSize);
    image.replace(0, taken, content.left(taken));
    record = recordFromImage(image);
    directory = directoryFromLine(content.mid(kRecordSize));
    if (entries)
        takeEntries(content.mid(kRecordSize), *entries);
    return true;
}

// Reads no more than a state file can hold, so that an "ini" that is huge or
// never ends cannot hold up the start. Only a plain file is opened: opening a
// pipe would wait for a writer that may never come.
bool FileLoad()
{
    if (!QFileInfo(kStateFileName).isFile())
        return false;
    QFile file(kStateFileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray content = file.read(kRecordSize);
    // Up to one byte past the limit, which shows that the line is too long;
    // readLine(n) stops after n - 1 bytes.
    content += file.readLine(kMaxDirectoryLine + 2);
    if (content.endsWith('\n'))
        content += file.read(kMaxEntryLines * (kMaxEntryLine + 64));
    return decodeState(content, save, dir, &remembered);
}

// A failed write leaves the previous state file whole instead of truncated;
// it is not reported, the state of this run is simply lost.
void FileSave()
{
    writeFileAtomically(kStateFileName, encodeState(save, dir, remembered));
}
