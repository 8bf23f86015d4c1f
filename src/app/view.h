// The fixed numbers of the view, each written once: the window's start size,
// the zoom's step and bounds, the camera's limit and the scene's projection.
#pragma once

#include <cstdint>

// The client area the window starts with, which is also the smallest it is
// sized to.
constexpr int32_t START_WINDOW_WIDTH = 640;
constexpr int32_t START_WINDOW_HEIGHT = 480;

// Zoom is the distance of the map from the eye. Each step is 0.1 as a 32-bit
// float; a step in is taken only while zoom is above ZOOM_NEAREST, a step out
// only while it is below ZOOM_FARTHEST (the bound is tested before the step).
constexpr float ZOOM_STEP = 0.1f;
constexpr float ZOOM_NEAREST = 1.0f;
constexpr float ZOOM_FARTHEST = 4.0f;

// The camera is kept within about +-0.75 world units on each axis.
constexpr float CAMERA_LIMIT = 0.75f;

// The perspective of the scene: the vertical field of view in degrees and
// the near and far planes in world units. The near plane is a 32-bit 0.1
// widened to double, as the scene was tuned with it.
constexpr double FIELD_OF_VIEW_DEGREES = 30.0;
constexpr float NEAR_PLANE = 0.1f;
constexpr double FAR_PLANE = 4096.0;

// Savegame units to scene units: the map square from -1 to 1 stands for the
// savegame area from -2000 to 2000.
constexpr float SAVEGAME_TO_SCENE = 0.0005f;
