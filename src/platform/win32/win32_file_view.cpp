// Read-only file views on Windows: CreateFileA, CreateFileMappingA and
// MapViewOfFile over the whole file.
#include <windows.h>

#include <cstdint>

#include "platform/platform.h"

bool platformMapFile(const char *name, FileView *view) {
  *view = FileView{};
  HANDLE file = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  // Devices such as NUL or CON, and pipes, open like files but are not files
  // on disk; only those are mapped.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return false;
  }

  // The size bounds every read the loader makes; a file too large for this
  // process's address space cannot be mapped whole, and an empty one cannot
  // be mapped at all.
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0 ||
      static_cast<uint64_t>(size.QuadPart) > static_cast<uint64_t>(SIZE_MAX)) {
    CloseHandle(file);
    return false;
  }
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  if (!mapping) {
    CloseHandle(file);
    return false;
  }
  void *bytes = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
  if (!bytes) {
    CloseHandle(mapping);
    CloseHandle(file);
    return false;
  }
  view->bytes = static_cast<const unsigned char *>(bytes);
  view->size = static_cast<size_t>(size.QuadPart);
  view->handles[0] = reinterpret_cast<intptr_t>(file);
  view->handles[1] = reinterpret_cast<intptr_t>(mapping);
  view->handles[2] = reinterpret_cast<intptr_t>(bytes);
  return true;
}

void platformUnmapFile(FileView *view) {
  if (view->bytes) {
    UnmapViewOfFile(reinterpret_cast<void *>(view->handles[2]));
    CloseHandle(reinterpret_cast<HANDLE>(view->handles[1]));
    CloseHandle(reinterpret_cast<HANDLE>(view->handles[0]));
  }
  *view = FileView{};
}
