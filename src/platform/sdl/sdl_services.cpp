// The SDL platform's message box, buffer swap, DIB conversion, file stamps
// and the watch of the followed save.
#include <cstdio>

#include "image/dib_convert.h"
#include "platform/platform.h"
#include "platform/posix/file_stamp_posix.h"
#include "platform/posix/file_watch_inotify.h"
#include "platform/sdl/sdl_platform.h"

void platformShowMessageBox(MessageBoxOwner owner, const char *caption, const char *text) {
  SDL_Window *parent = owner == MESSAGE_OWNER_MAIN_WINDOW ? sdlMainWindow() : SDL_GetKeyboardFocus();
  // One OK button and no icon; the call returns when the box is dismissed.
  // The box is modal: what the user did in the main window meanwhile is not
  // acted on once it closes.
  const int queuedBefore = sdlQueuedEventCount();
  const int shown = SDL_ShowSimpleMessageBox(0, caption, text, parent);
  sdlDropInputQueuedSince(queuedBefore);
  if (shown != 0) {
    // No box could be shown (no display, say): the text must still reach
    // the user somewhere.
    std::fprintf(stderr, "%s: %s\n", caption, text);
  }
}

void platformSwapBuffers() {
  if (sdlMainWindow()) SDL_GL_SwapWindow(sdlMainWindow());
}

DibConvertResult platformConvertDib(const DibSource &source, unsigned char *rgb) {
  return convertDibPortable(source, rgb);
}

FileStamp platformFileStamp(const char *name) { return posixFileStamp(name); }

namespace {
Uint32 saveChangedEvent = 0;

// Runs on the watcher thread: an event of its own ends the main loop's wait;
// the loop's next look then finds the change noted.
void wakeMainLoop() {
  SDL_Event event{};
  event.type = saveChangedEvent;
  SDL_PushEvent(&event);
}
}  // namespace

bool platformWatchFile(const char *name) {
  if (saveChangedEvent == 0) {
    saveChangedEvent = SDL_RegisterEvents(1);
    if (saveChangedEvent == static_cast<Uint32>(-1)) saveChangedEvent = SDL_USEREVENT;
  }
  return inotifyWatchFile(name, wakeMainLoop);
}

bool platformTakeFileChange() { return inotifyTakeChange(); }
