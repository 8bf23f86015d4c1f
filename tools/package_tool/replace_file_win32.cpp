// Replacing a file in one step on Windows: a new file made with CREATE_NEW
// under a name of the process and a counter, then MoveFileExA, which (unlike
// the C library's rename there) replaces an existing file.
#include <windows.h>

#include <string>

#include "package_tool/replace_file.h"

namespace {

// The system's text for the last error, without its line end.
std::string lastErrorText() {
  const DWORD error = GetLastError();
  char text[256] = "";
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                sizeof text, nullptr);
  while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' ')) {
    text[--length] = '\0';
  }
  return length > 0 ? std::string(text) : "Windows error " + std::to_string(error);
}

}  // namespace

std::string createTemporaryBeside(const std::string &output, std::string *reason) {
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    const std::string name =
        output + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt) + ".tmp";
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return name;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) break;
  }
  *reason = lastErrorText();
  return std::string();
}

bool replaceWithTemporary(const std::string &temporary, const std::string &output, std::string *reason) {
  if (MoveFileExA(temporary.c_str(), output.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
  *reason = lastErrorText();
  return false;
}
