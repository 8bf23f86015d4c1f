// The SDL counterpart of the window procedure: each SDL event becomes the
// call of the platform-neutral handler of the same meaning.
#include <vector>

#include "app/input.h"
#include "app/map_alignment.h"
#include "image/picture.h"
#include "render/resize.h"
#include "platform/sdl/sdl_keys.h"
#include "platform/sdl/sdl_platform.h"
#include "render/frame.h"
#include "save/open_dialog.h"

namespace {

void handleKey(const SDL_KeyboardEvent &key) {
  const int32_t virtualKey = virtualKeyFromSdl(key.keysym);
  if (virtualKey < 0) return;
  // Repeats arrive as further key-down events, each a fresh event again.
  if (key.type == SDL_KEYDOWN) {
    // Keys pressed with Alt held belong to the system, as on Windows. Their
    // releases are still recorded, so a key held before Alt went down is let go.
    if ((key.keysym.mod & KMOD_ALT) != 0) return;
    handleKeyDown(static_cast<uint32_t>(virtualKey));
  } else {
    handleKeyUp(static_cast<uint32_t>(virtualKey));
  }
}

void handleWheelEvent(const SDL_MouseWheelEvent &wheel) {
  // Positive y is the wheel turned away from the user, unless the system
  // reports it flipped. A purely horizontal scroll is another kind of input
  // and is not a zoom step.
  int32_t delta = wheel.y;
  if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED) delta = -delta;
  if (delta != 0) handleWheel(delta);
}

// Size changes and exposes, shared by the main loop and the modal chooser.
// Returns false on a close request.
bool handleWindowEvent(const SDL_WindowEvent &window) {
  if (window.windowID != SDL_GetWindowID(sdlMainWindow())) return true;
  switch (window.event) {
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      resizeViewport(window.data1, window.data2);
      return true;
    case SDL_WINDOWEVENT_EXPOSED:
      renderFrame();
      return true;
    case SDL_WINDOWEVENT_CLOSE:
      return false;
    default:
      return true;
  }
}

// A drop of several files opens the first; the rest are released unread.
bool dropOpened = false;

void handleDroppedFile(char *file, bool open) {
  if (!file) return;
  if (open && !dropOpened) {
    dropOpened = true;
    // A picture is told from a save by its content: it is aligned as the
    // player's own map.
    if (fileLooksLikePicture(file)) {
      openPictureForAlignment(file);
    } else {
      openSavegameFile(file);
    }
  }
  SDL_free(file);
}

// Input that a modal box keeps from the main window.
bool isModalDroppedInput(const SDL_Event &event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_TEXTEDITING:
    case SDL_TEXTINPUT:
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEWHEEL:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool sdlDispatchEvent(const SDL_Event &event) {
  switch (event.type) {
    case SDL_QUIT:
      return false;
    case SDL_WINDOWEVENT:
      return handleWindowEvent(event.window);
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      handleKey(event.key);
      return true;
    case SDL_MOUSEMOTION:
      handlePointerMotion(event.motion.x, event.motion.y);
      return true;
    case SDL_MOUSEBUTTONDOWN:
      if (event.button.button == SDL_BUTTON_LEFT) handleLeftButtonDown(event.button.x, event.button.y);
      return true;
    case SDL_MOUSEBUTTONUP:
      if (event.button.button == SDL_BUTTON_LEFT) handleLeftButtonUp();
      return true;
    case SDL_MOUSEWHEEL:
      handleWheelEvent(event.wheel);
      return true;
    case SDL_DROPBEGIN:
      dropOpened = false;
      return true;
    case SDL_DROPFILE:
      // A save dropped on the window opens as if chosen in the dialog.
      handleDroppedFile(event.drop.file, true);
      return true;
    case SDL_DROPCOMPLETE:
      dropOpened = false;
      return true;
    default:
      return true;
  }
}

bool sdlDispatchModalEvent(const SDL_Event &event) {
  switch (event.type) {
    case SDL_QUIT:
      return false;
    case SDL_WINDOWEVENT:
      return handleWindowEvent(event.window);
    case SDL_KEYUP:
      handleKey(event.key);
      return true;
    case SDL_MOUSEBUTTONUP:
      if (event.button.button == SDL_BUTTON_LEFT) handleLeftButtonUp();
      return true;
    case SDL_DROPFILE:
      // The chooser has the user's attention; a drop meanwhile is not taken.
      handleDroppedFile(event.drop.file, false);
      return true;
    default:
      return true;
  }
}

int sdlQueuedEventCount() {
  SDL_PumpEvents();
  return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void sdlDropInputQueuedSince(int queuedBefore) {
  SDL_PumpEvents();
  const int queued = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
  if (queued <= queuedBefore) return;
  std::vector<SDL_Event> events(static_cast<size_t>(queued));
  const int taken = SDL_PeepEvents(events.data(), queued, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
  if (taken <= 0) return;
  // The queue is taken whole and put back in its order, less the dropped
  // input: what came before the box stays in front of what came during it.
  std::vector<SDL_Event> kept;
  for (int i = 0; i < taken; ++i) {
    if (i < queuedBefore || !isModalDroppedInput(events[static_cast<size_t>(i)])) {
      kept.push_back(events[static_cast<size_t>(i)]);
    }
  }
  if (!kept.empty()) {
    SDL_PeepEvents(kept.data(), static_cast<int>(kept.size()), SDL_ADDEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
  }
}
