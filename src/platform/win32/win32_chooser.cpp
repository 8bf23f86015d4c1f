// The savegame chooser on Windows: the common open-file dialog.
#include <windows.h>
#include <cderr.h>
#include <commdlg.h>

#include <cstddef>

#include "app/viewer_state.h"
#include "platform/platform.h"
#include "save/open_dialog.h"
#include "save/savegame.h"

// The request in its 76-byte form, without the three fields Windows 2000
// added at its end, so that every version of the dialog accepts it.
constexpr DWORD OPEN_FILE_REQUEST_SIZE = 76;
static_assert(offsetof(OPENFILENAMEA, pvReserved) == OPEN_FILE_REQUEST_SIZE, "the 76-byte OPENFILENAMEA");

namespace {

// Shows the dialog with one filter (label, patterns and the empty string that
// ends the list: the literal's own terminator) and the given title.
bool chooseFile(const char *filter, const char *title, char *path) {
  OPENFILENAMEA request{};
  request.lStructSize = OPEN_FILE_REQUEST_SIZE;
  request.hwndOwner = static_cast<HWND>(viewerState.window);
  request.hInstance = static_cast<HINSTANCE>(viewerState.instance);
  request.lpstrFilter = filter;
  request.nFilterIndex = 0;
  request.lpstrFile = path;
  request.nMaxFile = SAVE_PATH_SIZE;
  request.lpstrTitle = title;
  request.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  if (GetOpenFileNameA(&request)) return true;

  // A cancel leaves no error; anything else is the dialog failing, which the
  // user would otherwise take for a key that does nothing.
  DWORD error = CommDlgExtendedError();
  if (error == FNERR_BUFFERTOOSMALL) {
    showErrorBox(CHOSEN_PATH_TOO_LONG_MESSAGE, CHOOSER_ERROR_HEADING);
  } else if (error != 0) {
    showErrorBox(CHOOSER_FAILED_MESSAGE, CHOOSER_ERROR_HEADING);
  }
  return false;
}

}  // namespace

bool platformChooseSavegame(char *path) { return chooseFile("KZR TH Savegames\0*.b\0", "Open a File", path); }

// Windows matches patterns without regard to case.
bool platformChoosePicture(char *path) {
  return chooseFile("Pictures\0*.png;*.jpg;*.jpeg;*.gif;*.tga;*.bmp\0", "Choose a Picture of the Map", path);
}
