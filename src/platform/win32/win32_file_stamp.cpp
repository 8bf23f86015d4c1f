// A file's identity, size and last-write time on Windows.
#include "platform/win32/win32_file_stamp.h"

#include <windows.h>

FileStamp win32FileStamp(const char *name) {
  // No access asked and everything shared: the game can still write, rename
  // or delete the file while the handle is open. Backup semantics let a
  // folder be opened too, so that it is looked at rather than refused here.
  HANDLE file = CreateFileA(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FileStamp{false, 0, 0, 0, 0, 0};
  BY_HANDLE_FILE_INFORMATION info;
  const BOOL known = GetFileInformationByHandle(file, &info);
  CloseHandle(file);
  if (!known) return FileStamp{false, 0, 0, 0, 0, 0};
  const auto wide = [](DWORD high, DWORD low) { return (static_cast<int64_t>(high) << 32) | low; };
  // Last-write time in 100-nanosecond ticks since 1601; Windows keeps no
  // change time here.
  return FileStamp{true,
                   wide(info.nFileSizeHigh, info.nFileSizeLow),
                   wide(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime),
                   0,
                   static_cast<int64_t>(info.dwVolumeSerialNumber),
                   wide(info.nFileIndexHigh, info.nFileIndexLow)};
}
