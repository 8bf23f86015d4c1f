// Putting the player's own picture of the game's map under the markers: the
// align mode. The picture is drawn in place of the map, dimmed, under the
// markers of the open save; the player moves and scales it by hand (a drag, the
// wheel, plus and minus, a pinch, the arrow keys) or pins markers to their
// places on it, and keeps it (Enter) or leaves the map as it was (Escape).
// The camera still zooms and pans meanwhile (Ctrl with the wheel, plus and
// minus, or a drag; W A S D), so that a pin can be placed closely.
#pragma once

#include <cstdint>

#include "app/map_pins.h"
#include "image/picture.h"

// Pins held at once; a further pin replaces the oldest.
constexpr int32_t ALIGNMENT_PIN_CAPACITY = 8;

// The line at the bottom while aligning.
constexpr char ALIGNMENT_HINT[] =
    "Drag or pinch the picture until the markers sit on their places, or pin two markers; "
    "Enter keeps it, Escape cancels";

// A pin made by the player: the marker (its kind and index in its list, as
// the list numbers them) and the picture point said to show it.
struct AlignmentPin {
  int32_t kind;
  int32_t index;
  double worldX;
  double worldY;
  double pictureX;
  double pictureY;
};

struct MapAlignment {
  bool active = false;
  Picture picture;                  // what is being aligned
  PicturePlacement placement = {};  // where it lies now
  char sourceName[260] = {};        // the original file (empty in the page)
  // A marker picked for the next pin (kind -1: none).
  int32_t pickedKind = -1;
  int32_t pickedIndex = 0;
  AlignmentPin pins[ALIGNMENT_PIN_CAPACITY] = {};
  int32_t pinCount = 0;
  double worstPinPixels = 0;        // the worst pin's error on screen, once solved by three or more
  // Where the left button went down, and whether it has moved beyond a
  // click since: a click picks or pins, a drag moves the picture.
  int32_t pressX = 0;
  int32_t pressY = 0;
  bool pressMoved = false;
  uint32_t pictureTexture = 0;      // the picture's OpenGL texture (the renderer's)
  bool textureStale = false;        // the renderer uploads (or lets go of) the picture before drawing
  // A picture kept by Enter is the player's own map from then on: the
  // renderer draws the map from it; chartWanted asks it for the bundled chart
  // again.
  bool ownMapShown = false;
  bool chartWanted = false;
  PicturePlacement ownPlacement = {};
  Picture ownPicture;               // what the own map was made from
  char ownSourceName[260] = {};
  // Counts the pictures kept by Enter (or Done), so that a platform that keeps
  // the picture itself (the page) can tell a keep from a cancel.
  uint32_t keepCount = 0;
};

// The caption of the align mode's boxes and questions.
constexpr char PICTURE_BOX_CAPTION[] = "Map of Your Own";

// 'M': aligns the player's own map again when one is shown, otherwise asks
// for a picture to align.
void startMapAlignment();

// Asks for a picture (the platform's chooser) and aligns it; 'O' while
// aligning.
void choosePictureToAlign();

// Reads the picture file and aligns it, or tells the player in a box why it
// cannot be used (nothing else changes then). A picture dropped on the window
// comes here.
void openPictureForAlignment(const char *path);

// Delete while aligning: after the player said yes, forgets the player's own
// map and shows the bundled chart again.
void forgetOwnMapAfterAsking();

// Whether the align mode is on.
bool aligningMap();

// Starts aligning `picture` (moved in), where `placement` puts it or, when
// null, fitted to the map square; `sourceName` names the file it came from
// (null in the page).
void beginMapAlignment(Picture &&picture, const PicturePlacement *placement, const char *sourceName);

// Shows `picture` at `placement` as the player's own map, as if just kept,
// without aligning it: a map kept earlier (the page's, from the browser's
// storage). 'M' then aligns it again.
void showKeptOwnMap(Picture &&picture, const PicturePlacement &placement);

// Enter: keeps the picture where it lies as the player's own map (the square
// map made from it replaces the map texture, and the desktop programs keep it
// in the player's folder). Escape: leaves the map exactly as it was.
void keepMapAlignment();
void cancelMapAlignment();

// Backspace: takes back the last pin, or the marker picked for the next one.
void takeBackPin();

// The keys of the align mode, run by applyControls before its own while
// aligning: Enter, Escape, Backspace, Delete, 'O', the arrow keys, plus and
// minus (with Ctrl held, the view's keys act instead).
void applyAlignmentControls();

// What the pointer does while aligning (called by the input handlers and the
// gestures): a click or tap at (x, y) picks a marker or sets a pin; a drag
// moves the picture; a scale by `factor` about (x, y) (the wheel, a pinch).
void alignmentClick(int32_t x, int32_t y);
void alignmentDrag(double fromX, double fromY, double toX, double toY);
void alignmentScaleAbout(double x, double y, double factor);

// The left button's press and release while aligning (the input handlers call
// them): a release near its press is a click.
void alignmentButtonDown(int32_t x, int32_t y);
void alignmentButtonUp(int32_t x, int32_t y);

// Pointer motion while aligning with the left button held and no Ctrl: moves
// the picture with the pointer once it has left the click's slop; true when
// it did (the view then stays where it is).
bool alignmentTakesMotion(int32_t fromX, int32_t fromY, int32_t toX, int32_t toY);

// The wheel while aligning without Ctrl scales the picture about the pointer:
// true when it did (the view's zoom then stays).
bool alignmentTakesWheel(int32_t delta);
