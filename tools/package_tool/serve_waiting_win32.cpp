// package-tool serve's wait on Windows: Ctrl+C and Ctrl+Break set an event
// (the console runs the handler on a thread of its own), and the main loop
// waits on it beside the event of the save's watch (ReadDirectoryChangesW,
// the viewer's own).
#include <windows.h>

#include <string>

#include "package_tool/serve_waiting.h"
#include "platform/win32/win32_file_watch.h"
#include "platform/win32/win32_picture_path.h"
#include "share/share_site.h"

namespace {

HANDLE stopEvent = nullptr;
// The console's output code page before serve set UTF-8, given back at the
// end (the console outlives the program); 0 without a console.
UINT consoleCodePage = 0;
// The console's output mode before serve asked for colour codes, given back
// at the end; 0 when it was not changed.
DWORD consoleMode = 0;

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

BOOL WINAPI onConsoleControl(DWORD kind) {
  if (kind != CTRL_C_EVENT && kind != CTRL_BREAK_EVENT) return FALSE;
  SetEvent(stopEvent);
  return TRUE;
}

}  // namespace

bool startServeWaiting(std::string *error) {
  stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (stopEvent) {
    // The QR code is drawn with UTF-8 block characters.
    consoleCodePage = GetConsoleOutputCP();
    if (consoleCodePage) SetConsoleOutputCP(CP_UTF8);
    return true;
  }
  *error = "cannot make an event (error " + std::to_string(GetLastError()) + ")";
  return false;
}

bool watchServedSave(const char *name) { return win32WatchFile(name); }

void catchServeStop() { SetConsoleCtrlHandler(onConsoleControl, TRUE); }

bool waitServe(int milliseconds, bool *saveWritten) {
  *saveWritten = false;
  const HANDLE handles[2] = {stopEvent, win32FileWatchHandle()};
  const DWORD count = handles[1] ? 2 : 1;
  const DWORD woken = WaitForMultipleObjects(count, handles, FALSE, static_cast<DWORD>(milliseconds));
  if (woken == WAIT_OBJECT_0) return true;
  if (woken == WAIT_OBJECT_0 + 1) {
    // Whichever file of the folder changed, the look that follows only
    // compares the save's stamp unless the save itself changed.
    win32NoteFileWatchSignalled();
    *saveWritten = win32TakeFileChange();
  }
  return false;
}

bool serveTerminalColours() {
  // Windows 10's console takes them once asked; older ones and output that
  // is not a console (a pipe, a file) get the code without colours.
  const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (!GetConsoleMode(output, &mode)) return false;
  if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) return true;
  if (!SetConsoleMode(output, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING)) return false;
  consoleMode = mode;
  return true;
}

void endServeWaiting() {
  if (consoleMode) SetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), consoleMode);
  win32WatchFile("");
  SetConsoleCtrlHandler(onConsoleControl, FALSE);
  if (consoleCodePage) SetConsoleOutputCP(consoleCodePage);
}

std::string servedProgramFolder() { return runningProgramFolder(); }
std::string servedMapPicture() { return playersOwnMap(findPicture("THmap.bmp"), findBundledPicture("THmap.bmp")); }
