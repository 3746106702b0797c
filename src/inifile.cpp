#include "inifile.h"

SaveRecord save = {};

bool FileLoad() { return false; }
void FileSave() {}
