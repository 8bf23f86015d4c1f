// What the parts of the SDL platform layer share: the main window and the
// event handling that stands in for the Windows window procedure.
#pragma once

#include <SDL.h>

// The main window (viewerState.window holds the same pointer), or null before
// it has been created.
SDL_Window *sdlMainWindow();

// Handles one event of the main loop: keys, buttons, motion and wheel go to
// the input handlers, a size change to the viewport, an expose draws a frame.
// Returns false when the window was closed or the program asked to quit.
bool sdlDispatchEvent(const SDL_Event &event);

// Handles one event while a modal chooser is open over the window. The window
// keeps being resized and redrawn; key and button releases are still recorded
// so that no key or button stays held; presses, motion and the wheel belong to
// the chooser and are dropped. Returns false on a close request.
bool sdlDispatchModalEvent(const SDL_Event &event);

// A modal box blocks the main loop while its window runs by itself, so the
// main window's events of that time wait in SDL's queue until it closes.
// sdlQueuedEventCount, called just before the box, pumps and counts the queue;
// sdlDropInputQueuedSince, called when the box has closed, pumps again and
// drops from the events queued since that count the presses, motion and wheel
// (releases and window events stay, so that nothing stays held).
int sdlQueuedEventCount();
void sdlDropInputQueuedSince(int queuedBefore);
