// A file's size and last-write time on Windows: one attribute query.
#include <windows.h>

#include "platform/platform.h"

FileStamp platformFileStamp(const char *name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(name, GetFileExInfoStandard, &data)) return FileStamp{false, 0, 0};
  const int64_t size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  // 100-nanosecond ticks since 1601.
  const int64_t modified = (static_cast<int64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                           data.ftLastWriteTime.dwLowDateTime;
  return FileStamp{true, size, modified};
}
