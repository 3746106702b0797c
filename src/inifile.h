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

extern SaveRecord save;
extern QString dir;

// Reads "ini" into save and dir; false when there was no record to read.
bool FileLoad();
// Writes save and dir to "ini"; a file that cannot be written is let go.
void FileSave();

// The content of "ini": the record little-endian whatever the host, the
// directory in UTF-8, then "\r\n".
QByteArray encodeState(const SaveRecord &record, const QString &directory);

// Takes the record and the directory line from the content of "ini". Empty
// content gives false and touches neither. Fewer than 9 bytes replace only
// the leading bytes of the record's image; the rest of it keeps its value.
bool decodeState(const QByteArray &content, SaveRecord &record, QString &directory);

#endif // INIFILE_H
