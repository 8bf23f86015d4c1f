// Drawing the player's own picture of the map: while it is aligned (dimmed, in
// place of the map, with the pins and the picked marker marked) and once it
// is kept (as the map, on the chart's paper).
#pragma once

// Brings the picture's texture up to date with the align mode's record: made
// from the picture being aligned, or the kept one, and let go when neither is
// left; the bundled chart is loaded again when the record asks for it. Needs
// a current OpenGL context; called once a frame before anything is drawn.
void syncAlignmentTextures();

// Whether the map square is drawn from the player's own picture (aligned or
// kept) rather than the map texture.
bool ownPictureDrawn();

// The picture in place of the map: dimmed while it is aligned, on the chart's
// paper once kept. In the scene's plane, like the map.
void drawOwnPicture();

// The pins (a line from each pin's place on the picture to its marker) and a
// ring round the marker picked for the next pin, over the markers.
void drawAlignmentMarks();

// Remembers the bundled chart's file, which Delete brings back.
void rememberBundledChart(const char *path);
