// Keeping the chooser's window on the screen it opens on.
#pragma once

#include <sys/types.h>

// Once the window of the chooser process pid is on screen, makes it fit the
// usable area of the main window's display when it is larger (nine tenths of
// that area, in its middle) and returns true. Returns false while the window
// is not up yet, and true at once where there is nothing to fit (no main
// window, or not on X11).
bool fitChooserWindow(pid_t pid);
