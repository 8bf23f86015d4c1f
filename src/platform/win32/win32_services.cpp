// The services the core asks of the Windows platform, apart from the file
// view: message boxes, the DIB converter, the buffer swap, file stamps and the
// watch of the followed save.
#include <windows.h>

#include "app/viewer_state.h"
#include "platform/platform.h"
#include "platform/win32/win32_file_stamp.h"
#include "platform/win32/win32_file_watch.h"
#include "platform/win32/win32_gdi_convert.h"

void platformShowMessageBox(MessageBoxOwner owner, const char *caption, const char *text) {
  HWND ownerWindow = owner == MESSAGE_OWNER_MAIN_WINDOW ? static_cast<HWND>(viewerState.window) : GetFocus();
  MessageBoxA(ownerWindow, text, caption, MB_OK);
}

bool platformAskQuestion(const char *caption, const char *text) {
  return MessageBoxA(static_cast<HWND>(viewerState.window), text, caption,
                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

DibConvertResult platformConvertDib(const DibSource &source, unsigned char *rgb) {
  return convertDibWithGdi(source, rgb);
}

void platformSwapBuffers() { SwapBuffers(static_cast<HDC>(viewerState.deviceContext)); }

FileStamp platformFileStamp(const char *name) { return win32FileStamp(name); }

bool platformWatchFile(const char *name) { return win32WatchFile(name); }

bool platformTakeFileChange() { return win32TakeFileChange(); }
