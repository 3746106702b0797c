#ifndef INIFILE_H
#define INIFILE_H

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

bool FileLoad();
void FileSave();

#endif // INIFILE_H
