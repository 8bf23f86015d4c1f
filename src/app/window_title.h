// The main window's title, shared by every platform layer so that the Windows
// and Linux windows carry the same text. The program's name and version are
// followed by one space and our credit.
#pragma once

#include "app/viewer_version.h"

#define VIEWER_NAME_AND_VERSION "KZR Tern Haven  Package Viewer V" VIEWER_VERSION_TEXT

constexpr char WINDOW_TITLE[] = VIEWER_NAME_AND_VERSION " - port by the Tern Haven Viewer crew";

// The version that --version reports.
constexpr char VIEWER_VERSION[] = VIEWER_VERSION_TEXT;
