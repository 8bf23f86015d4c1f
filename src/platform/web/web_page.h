// What the page's script (web_library.js) does for the web platform layer,
// and the two calls the layer's parts share.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {
// Makes the legacy GL emulation ready on the context just made current: it is
// set up only for contexts made through emscripten's own browser helpers.
void webInitGlEmulation();
// Wires the page: the drop target, the file input, the message box and the
// look at a followed file every RELOAD_CHECK_INTERVAL_MS milliseconds.
void webInstallPage(uint32_t reloadIntervalMs);
// Fetches the two pictures from beside the page, then calls
// webPicturesFetched with what it got (null for a picture it could not get).
void webFetchPictures(const char *fontName, const char *mapName);
// Queues a modal box in the page (caption, text, one OK); returns at once.
void webShowMessageBox(const char *caption, const char *text);
// Whether a box is open: the canvas then gets no input.
int webMessageBoxOpen();
// Opens the browser's file picker; the chosen file arrives through webOpenSave.
void webChooseSavegame();
// A frame has been drawn (for the page's frame count and its list).
void webFrameDrawn();
// Says a line in the page's aria-live region, for screen readers.
void webAnnounce(const char *text);
// Shows or hides the page's list of what is left ('L', the toolbar's List).
void webToggleList();
}

// Asks for a frame at the browser's next animation frame, once however often
// it is asked before then.
void webRequestFrame();

// Registers the keyboard, mouse, wheel, touch, focus and size callbacks.
void webInstallEventHandlers();

// Sizes the canvas's drawing buffer to its size in CSS pixels times the
// device pixel ratio (rounded), makes the overlay's pixels the nearest whole
// number of device pixels, and sets the viewport and projection to match.
void webFitCanvas();
// Drawing-buffer pixels per CSS pixel, as the last fit made them: events come
// in CSS pixels and the core takes the buffer's.
double webCanvasScale();
// A position in the window (CSS pixels), as the canvas's drawing-buffer pixels.
double webCanvasX(double clientX);
double webCanvasY(double clientY);
// A tap or a row of the list named a marker: the next frame says it.
void webAnnounceInfo();
