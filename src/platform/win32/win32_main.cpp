// The entry of the Windows viewer: the window class and window, the message
// loop that drives the program, and the release of the OpenGL context, the
// device context and the palette when it ends.
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/controls.h"
#include "app/share_overlay.h"
#include "app/status_line.h"
#include "app/frame_schedule.h"
#include "app/view.h"
#include "app/viewer_state.h"
#include "app/window_title.h"
#include "platform/desktop_share.h"
#include "platform/win32/win32_command_line.h"
#include "platform/win32/win32_file_watch.h"
#include "platform/win32/win32_picture_path.h"
#include "platform/win32/win32_resources.h"
#include "platform/win32/win32_window.h"
#include "render/frame.h"
#include "render/marker_palette.h"
#include "render/resources.h"
#include "save/live_reload.h"
#include "save/open_dialog.h"
#include "share/share_session.h"
#include "share/share_site.h"

namespace {

constexpr DWORD WINDOW_EX_STYLE = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
constexpr DWORD WINDOW_STYLE = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr LONG CLIENT_WIDTH = START_WINDOW_WIDTH;
constexpr LONG CLIENT_HEIGHT = START_WINDOW_HEIGHT;

constexpr char USAGE[] = "Usage: package-viewer.exe [--palette safe] [--share] [--new-address] [--site DIR] [SAVEGAME]";

// The program's icon at the size Windows asks for (the task bar's and
// Alt+Tab's, or the title bar's small one), Windows' generic program icon
// should the resource be missing.
HICON programIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
  HANDLE icon = LoadImageA(instance, MAKEINTRESOURCEA(VIEWER_ICON_RESOURCE), IMAGE_ICON,
                           GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric), LR_DEFAULTCOLOR);
  return icon ? static_cast<HICON>(icon) : LoadIconA(nullptr, IDI_APPLICATION);
}

bool registerWindowClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = programIcon(instance, SM_CXICON, SM_CYICON);
  windowClass.hIconSm = programIcon(instance, SM_CXSMICON, SM_CYSMICON);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = WINDOW_TITLE;
  return RegisterClassExA(&windowClass) != 0;
}

// The window's outer size for a 640 x 480 client area, computed for the
// overlapped style alone (the clipping styles do not change the frame).
HWND createMainWindow(HINSTANCE instance) {
  RECT outer{0, 0, CLIENT_WIDTH, CLIENT_HEIGHT};
  AdjustWindowRectEx(&outer, WS_OVERLAPPEDWINDOW, FALSE, WINDOW_EX_STYLE);
  return CreateWindowExA(WINDOW_EX_STYLE, WINDOW_TITLE, WINDOW_TITLE, WINDOW_STYLE, 0, 0,
                         outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr, instance,
                         nullptr);
}

// Sleeps until a message arrives, the save's folder changes (noted for the
// live reload), or `milliseconds` have passed. Input that came while the
// queue was being emptied also ends the wait.
void restUntilMessage(uint32_t milliseconds) {
  HANDLE watch = win32FileWatchHandle();
  const DWORD handles = watch ? 1 : 0;
  const DWORD woken = MsgWaitForMultipleObjectsEx(handles, watch ? &watch : nullptr, milliseconds, QS_ALLINPUT,
                                                  MWMO_INPUTAVAILABLE);
  if (handles == 1 && woken == WAIT_OBJECT_0) win32NoteFileWatchSignalled();
}

// The folder of the web page --site named; empty for the one found beside
// the program.
std::string shareSite;

// 'Q' and --share.
bool startSharing() {
  return !startDesktopShare(shareSite, runningProgramFolder(),
                               playersOwnMap(findPicture(MAP_PICTURE), findBundledPicture(MAP_PICTURE))).empty();
}

// Takes at most one message a pass; a pass that finds the queue empty looks at
// the loaded save when that is due or its folder changed (reading it again
// when the game has rewritten it) and, when something can have changed,
// applies the recorded input and draws a frame. With nothing to draw it sleeps
// until the next message, change of the folder or look at the save.
void runMessageLoop() {
  FrameSchedule schedule;
  MSG message;
  while (viewerState.running) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        viewerState.running = 0;
        break;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
      schedule.frameDue = true;
      continue;
    }
    // While the map moves the loop does not rest, so a change of the folder
    // is looked for here too.
    HANDLE watch = win32FileWatchHandle();
    if (watch && WaitForSingleObject(watch, 0) == WAIT_OBJECT_0) win32NoteFileWatchSignalled();
    if (reloadSavegameIfChanged(GetTickCount())) {
      schedule.frameDue = true;
      if (shareOverlay.size) noteViewerSaveChanged();
    }
    // The shared save is the one shown, whichever way it was opened.
    if (shareOverlay.size) shareViewerSave(viewerState.saveFileName);
    if (updateStatusLine(GetTickCount())) schedule.frameDue = true;
    if (frameWanted(&schedule)) {
      applyControls();
      renderFrame();
      noteFrameDrawn(&schedule);
    } else {
      restUntilMessage(millisecondsToRest(GetTickCount()));
    }
  }
  platformWatchFile("");
}

void releaseSurface() {
  wglMakeCurrent(nullptr, nullptr);
  if (viewerState.glContext) wglDeleteContext(static_cast<HGLRC>(viewerState.glContext));
  if (viewerState.deviceContext) {
    ReleaseDC(static_cast<HWND>(viewerState.window), static_cast<HDC>(viewerState.deviceContext));
  }
  if (viewerState.palette) DeleteObject(static_cast<HPALETTE>(viewerState.palette));
  ShowCursor(TRUE);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  const WindowsCommandLine arguments = readWindowsCommandLine(commandLine);
  if (!arguments.error.empty()) {
    const std::string text = arguments.error + "\n\n" + USAGE;
    MessageBoxA(nullptr, text.c_str(), WINDOW_TITLE, MB_OK | MB_ICONERROR);
    return 2;
  }
  if (arguments.paletteGiven) viewerState.markerPalette = arguments.palette;
  viewerState.instance = instance;
  viewerState.windowWidth = CLIENT_WIDTH;
  viewerState.windowHeight = CLIENT_HEIGHT;

  if (!registerWindowClass(instance)) {
    MessageBoxA(nullptr, "The window class could not be registered.", "Error", MB_OK);
    return 1;
  }
  HWND window = createMainWindow(instance);
  if (!window) {
    // Creation may have got as far as the OpenGL surface before it failed.
    releaseSurface();
    MessageBoxA(nullptr, "The window could not be created.", "Error", MB_OK);
    return 1;
  }
  viewerState.window = window;
  ShowWindow(window, showCommand);
  SetForegroundWindow(window);
  UpdateWindow(window);
  // A save named on the command line opens once the first frame is up, as if
  // chosen in the dialog.
  if (!arguments.path.empty()) openSavegameFile(arguments.path.c_str());
  shareSite = arguments.site;
  startShareHook = startSharing;
  if (arguments.newAddress) renewDesktopShareAddress();
  if (arguments.share) toggleShareOverlay();

  runMessageLoop();
  stopViewerShare();
  releaseSurface();
  return 1;
}
