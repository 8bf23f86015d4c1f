// The shared address over the map ('Q'): its QR code, large enough for a
// phone's camera to read from the screen, and the address below it.
#pragma once

// Draws shareOverlay (app/share_overlay.h) when it is shown; the caller is in
// the overlay's pixel coordinates.
void drawShareOverlay();
