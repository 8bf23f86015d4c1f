// Fitting the chooser's window to the screen. GTK's file chooser sizes itself
// from its font and its remembered size, whatever zenity is told, and opens
// at about 1100 x 820: wider than a 1024 x 768 screen, with its filter cut
// off where no window manager keeps it on screen. Its window is found by the
// process id that GTK and Qt write into _NET_WM_PID and resized from here.
#include "platform/sdl/sdl_chooser_window.h"

#include <SDL_syswm.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>

#include "platform/sdl/sdl_platform.h"

namespace {

// Windows can vanish between being listed and being read; such an error is
// expected and must not reach SDL's handler, which would end the program.
int ignoreXError(Display *, XErrorEvent *) { return 0; }

bool hasProcessId(Display *display, Window window, Atom pidAtom, pid_t pid) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char *data = nullptr;
  const int status = XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                                        &after, &data);
  const bool matches = status == Success && type == XA_CARDINAL && format == 32 && count == 1 &&
                       *reinterpret_cast<unsigned long *>(data) == static_cast<unsigned long>(pid);
  if (data) XFree(data);
  return matches;
}

// The top-level window of the process: a child of the root, or with a
// reparenting window manager a child of its frame.
Window findProcessWindow(Display *display, Window parent, Atom pidAtom, pid_t pid, int levels) {
  Window root = None;
  Window parentOfParent = None;
  Window *children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, parent, &root, &parentOfParent, &children, &count)) return None;
  Window found = None;
  for (unsigned int i = count; i-- > 0 && found == None;) {
    if (hasProcessId(display, children[i], pidAtom, pid)) {
      found = children[i];
    } else if (levels > 1) {
      found = findProcessWindow(display, children[i], pidAtom, pid, levels - 1);
    }
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

bool fitChooserWindow(pid_t pid) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!sdlMainWindow() || !SDL_GetWindowWMInfo(sdlMainWindow(), &info) || info.subsystem != SDL_SYSWM_X11) {
    return true;
  }
  SDL_Rect area;
  const int displayIndex = SDL_GetWindowDisplayIndex(sdlMainWindow());
  if (displayIndex < 0 || SDL_GetDisplayUsableBounds(displayIndex, &area) != 0 || area.w <= 0 || area.h <= 0) {
    return true;
  }

  Display *display = info.info.x11.display;
  XSync(display, False);
  XErrorHandler previous = XSetErrorHandler(ignoreXError);
  bool done = false;
  const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
  const Window chooser = findProcessWindow(display, DefaultRootWindow(display), pidAtom, pid, 2);
  XWindowAttributes attributes;
  if (chooser != None && XGetWindowAttributes(display, chooser, &attributes) &&
      attributes.map_state == IsViewable) {
    done = true;
    if (attributes.width > area.w || attributes.height > area.h) {
      // Nine tenths of the usable area, in its middle.
      const int width = std::min(attributes.width, area.w * 9 / 10);
      const int height = std::min(attributes.height, area.h * 9 / 10);
      XMoveResizeWindow(display, chooser, area.x + (area.w - width) / 2, area.y + (area.h - height) / 2,
                        static_cast<unsigned int>(width), static_cast<unsigned int>(height));
    }
  }
  XSync(display, False);
  XSetErrorHandler(previous);
  return done;
}
