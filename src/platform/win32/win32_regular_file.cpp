// Opening a savegame on Windows: only files on disk. fopen also opens
// devices such as NUL or CON (whose reads would wait for the console) and
// named pipes, so the type of the open handle is checked before any read.
#include <windows.h>
#include <io.h>

#include "platform/platform.h"

FILE *platformOpenRegularFile(const char *name, int64_t *size) {
  FILE *file = fopen(name, "rb");
  if (!file) return nullptr;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  BY_HANDLE_FILE_INFORMATION information;
  LARGE_INTEGER length;
  bool regular = handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK &&
                 GetFileInformationByHandle(handle, &information) &&
                 !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                 GetFileSizeEx(handle, &length);
  if (!regular) {
    fclose(file);
    return nullptr;
  }
  *size = length.QuadPart;
  return file;
}

// fseek takes a long, 32 bits here; fseeko64 takes the whole offset.
bool platformSeekFile(FILE *file, int64_t offset) { return fseeko64(file, offset, SEEK_SET) == 0; }
