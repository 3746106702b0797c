#ifndef INIFILE_H
#define INIFILE_H

#include <QByteArray>
#include <QString>
#include <cstdint>

// The program's state between runs, kept in the file "ini" in the working
// directory: a 9-byte record, then the last settings directory as a line.
#pragma pack(push, 1)
struct SaveRecord
{
    int32_t portIndex;
    int32_t tabIndex;
    uint8_t slaveAddress;
};
#pragma pack(pop)
static_assert(sizeof(SaveRecord) == 9, "the state record is stored as 9 bytes");

// What the user enters once for the journal and the certificate, kept on
// lines "name=value" after the directory line; an empty value is not kept.
struct RememberedEntries
{
    QString engineer;
    QString cylinderLot;
    QString cylinderExpiry;     // yyyy-MM-dd
    int certificateMonths = 0;  // the calibration interval; 0: the default
};

extern SaveRecord save;
extern QString dir;
extern RememberedEntries remembered;

// Reads "ini" into save and dir; false when there was no record to read.
bool FileLoad();
// Writes save and dir to "ini"; a file that cannot be written is let go.
void FileSave();

// The content of "ini": the record little-endian whatever the host, the
// directory in UTF-8, then "\r\n".
QByteArray encodeState(const SaveRecord &record, const QString &directory,
                       const RememberedEntries &entries = RememberedEntries());

// The longest directory line that is taken, its line end included: room for
// any path the system can name (4095 bytes) and "\r\n". A longer line is not
// a directory the program wrote.
constexpr int kMaxDirectoryLine = 4096 + 2;

// Takes the record and the directory line from the content of "ini". Empty
// content gives false and touches neither. Fewer than 9 bytes replace only
// the leading bytes of the record's image; the rest of it keeps its value.
// A directory line longer than kMaxDirectoryLine gives an empty directory.
// The remembered entries come from the lines after the directory line; a
// line of another form, or too long, is passed over.
bool decodeState(const QByteArray &content, SaveRecord &record, QString &directory,
                 RememberedEntries *entries = nullptr);

#endif // INIFILE_H
