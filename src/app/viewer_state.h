// The one record of process-wide state that every module reads and writes.
#pragma once

#include <cstdint>

#include "app/collecting_route.h"
#include "app/gestures.h"
#include "app/map_alignment.h"
#include "app/view.h"
#include "platform/platform.h"

// One kept pickup: its position in savegame world units, copied bit for bit
// from the savegame.
struct PickupMarker {
  float x;
  float y;
  float z;
};

constexpr int32_t PACKAGE_CAPACITY = 100;
constexpr int32_t RAMPAGE_CAPACITY = 35;
constexpr int32_t ROUTE_STOP_CAPACITY = PACKAGE_CAPACITY + RAMPAGE_CAPACITY;
constexpr int32_t KEY_CODE_COUNT = 256;
constexpr int32_t SAVE_PATH_SIZE = 260;
constexpr int32_t COLLECTED_CAPACITY = 256;
constexpr int32_t STATUS_LINE_SIZE = 320;

// A marker that a quiet reload of the same save no longer holds: the player
// has just collected it. Kept with its kind and the number it had in its list
// in the last save that still held it.
enum MarkerKind : int32_t { MARKER_PACKAGE = 0, MARKER_RAMPAGE = 1 };
struct CollectedMarker {
  PickupMarker marker;
  MarkerKind kind;
  int32_t number;
};

// Platform handles are opaque to the core; each platform layer stores its own
// kind of handle in them (HWND, HDC, HGLRC, HPALETTE on Windows; SDL objects
// elsewhere).
using PlatformHandle = void *;

struct ViewerState {
  // Run control.
  int32_t running = 1;
  int32_t showHelp = 0;
  int32_t showInfo = 0;  // the information line of 'I' at the bottom left

  // Platform handles.
  PlatformHandle instance = nullptr;
  PlatformHandle window = nullptr;
  PlatformHandle deviceContext = nullptr;
  PlatformHandle glContext = nullptr;
  PlatformHandle palette = nullptr;

  // Client-area size in pixels.
  int32_t windowWidth = START_WINDOW_WIDTH;
  int32_t windowHeight = START_WINDOW_HEIGHT;

  // Camera, in world units; the map square spans -1 to 1 around it.
  float cameraX = 0.0f;
  float cameraY = 0.0f;
  float zoom = 4.0f;
  float panStep = 0.005f;

  // Input recorded by the window procedure, by virtual-key code.
  int32_t keyDown[KEY_CODE_COUNT] = {};
  int32_t keyEvent[KEY_CODE_COUNT] = {};
  int32_t mouseX = 0;
  int32_t mouseY = 0;
  int32_t dragAnchorSet = 0;
  int32_t dragAnchorX = 0;
  int32_t dragAnchorY = 0;
  int32_t dragDeltaX = 0;
  int32_t dragDeltaY = 0;
  int32_t leftButtonDown = 0;
  // 1 for a key that went down since the last pass of the controls: a tap
  // pressed and released between two frames still counts as pressed once.
  int32_t keyWentDown[KEY_CODE_COUNT] = {};

  // The savegame and the markers read from it. A list pointer is non-null
  // whenever its count is above 0; the lists come from malloc and are
  // replaced whole by each successful load.
  char saveFileName[SAVE_PATH_SIZE] = {};
  // A folder of saves followed (a folder named instead of a save): its newest
  // save is the one in saveFileName, and another slot written later takes its
  // place. Empty when a save was named.
  char saveFolder[SAVE_PATH_SIZE] = {};
  PickupMarker *packages = nullptr;
  int32_t packageCount = 0;
  PickupMarker *rampages = nullptr;
  int32_t rampageCount = 0;

  // Live reload of the save named in saveFileName: its stamp when it was last
  // read, whether a changed version still waits to be read cleanly, when (in
  // the platform's milliseconds) the file is looked at next, and how long the
  // last wait for a save held by its writer was (0 when it was not held).
  FileStamp saveStamp = {};
  int32_t reloadPending = 0;
  uint32_t nextReloadCheck = 0;
  uint32_t reloadBusyWait = 0;

  // What was just collected, the marker palette and the screenshot key:
  // - collected: markers dropped by quiet reloads since the save was opened,
  //   oldest first (app/collected.h);
  // - markerPalette: PALETTE_STANDARD or PALETTE_SAFE of render/marker_palette.h
  //   ('P', --palette safe);
  // - screenshotWanted: F12 asked for the next frame to be saved as a picture;
  // - statusLine: a line of news at the bottom left (where the picture went),
  //   shown until statusLineEnds on the platform's millisecond clock, once
  //   statusLineTimed says that clock has been read (app/status_line.h).
  CollectedMarker collected[COLLECTED_CAPACITY] = {};
  int32_t collectedCount = 0;
  int32_t showCollected = 1;  // 'C' hides and shows their outlines
  int32_t markerPalette = 0;
  int32_t screenshotWanted = 0;
  char statusLine[STATUS_LINE_SIZE] = {};
  int32_t statusLineTimed = 0;
  uint32_t statusLineEnds = 0;

  // The collecting route of 'R' and the kinds shown of 'K'
  // (app/collecting_route.h): whether the route is shown, the savegame point
  // it starts from, its stops in visiting order; the choice of kinds.
  int32_t showRoute = 0;
  double routeStartX = 0.0;
  double routeStartY = 0.0;
  RouteStop routeStops[ROUTE_STOP_CAPACITY] = {};
  int32_t routeStopCount = 0;
  int32_t shownKinds = SHOW_BOTH_KINDS;

  // The hand-held page (app/gestures.h): whether the platform lets the
  // renderer choose the compact layout, the client pixels per layout pixel,
  // and the touches being followed.
  int32_t compactAllowed = 0;
  int32_t pixelScale = 1;
  TouchGesture touch = {};
  // The page's own drawing (render/page_markers.h): the markers in a few
  // batched calls, the picked marker ringed, and in the compact layout
  // markers of a size a finger finds, collected outlines that stand out on
  // any map, no counts before a save and a help page on a dark ground.
  // Only the page sets it; the desktop programs draw as they always have.
  int32_t pageDrawing = 0;
  // The marker a tap or a row of the page's list picked, by its savegame
  // position, until a tap elsewhere (app/gestures.h).
  int32_t pickedSet = 0;
  float pickedX = 0.0f;
  float pickedY = 0.0f;
  // What the last quiet reload found collected, by kind (app/collected.h).
  int32_t justCollected[2] = {};

  // The player's own picture of the map, being aligned or kept
  // (app/map_alignment.h).
  MapAlignment alignment;

  // OpenGL names.
  uint32_t mapTexture = 0;
  uint32_t fontTexture = 0;
  uint32_t fontListBase = 0;
};

// The one instance, alive from process start to exit.
extern ViewerState viewerState;

// Puts every field back to its initial value, releasing the marker lists.
// For tests and tools that run several scenarios in one process.
void resetViewerState();
