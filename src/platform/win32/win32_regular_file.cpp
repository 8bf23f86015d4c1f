// Opening a savegame on Windows: only files on disk, and only when no one is
// writing them. fopen also opens devices such as NUL or CON (whose reads
// would wait for the console) and named pipes, so the type of the open handle
// is checked before any read. fopen also shares writing, so a game that holds
// its save open between the parts of a write would let a read see half of
// each version: the file is opened sharing reads only, which fails while a
// writer has it open, and keeps writers out until it is closed.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>

#include "platform/platform.h"

FILE *platformOpenRegularFile(const char *name, int64_t *size, bool *busy) {
  if (busy) *busy = false;
  HANDLE handle = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    // Someone holds the file for writing (or shares it with no one): it is
    // being written, and is read once it has been let go.
    const DWORD error = GetLastError();
    if (busy) *busy = error == ERROR_SHARING_VIOLATION;
    // The C library's word for the commonest reasons, as open sets it on POSIX.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
      errno = ENOENT;
    } else if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION) {
      errno = EACCES;
    }
    return nullptr;
  }
  BY_HANDLE_FILE_INFORMATION information;
  LARGE_INTEGER length;
  bool regular = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &information) &&
                 !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && GetFileSizeEx(handle, &length);
  if (!regular) {
    CloseHandle(handle);
    return nullptr;
  }
  // The stream takes over the handle: fclose closes it.
  const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
  if (descriptor == -1) {
    CloseHandle(handle);
    return nullptr;
  }
  FILE *file = _fdopen(descriptor, "rb");
  if (!file) {
    _close(descriptor);
    return nullptr;
  }
  *size = length.QuadPart;
  return file;
}

// fseek takes a long, 32 bits here; fseeko64 takes the whole offset.
bool platformSeekFile(FILE *file, int64_t offset) { return fseeko64(file, offset, SEEK_SET) == 0; }
