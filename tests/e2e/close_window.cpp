// Asks an X11 window to close, as a window manager's close button does: a
// WM_DELETE_WINDOW client message. The test has no window manager to do it.
//   x11-close-window WINDOW_ID
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: x11-close-window WINDOW_ID\n");
    return 2;
  }
  const Window window = static_cast<Window>(std::strtoul(argv[1], nullptr, 0));
  Display *display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "x11-close-window: cannot open the display\n");
    return 1;
  }
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
  XCloseDisplay(display);
  return sent ? 0 : 1;
}
