// The player's own map kept for good: the square map made from a picture
// where the player placed it (THmap.bmp, the form every reader of the map
// takes), a copy of the picture as its file holds it and where it lay, so
// that it can be aligned again later at its full resolution. The desktop
// programs keep them in the player's data folder (platformUserFolder);
// package-tool map --pin makes the same square from the same picture and pins.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/map_pins.h"
#include "image/bmp_writer.h"
#include "image/picture.h"
#include "image/square_map.h"

// The names of the kept files in the player's data folder (the map's name is
// MAP_PICTURE's; the picture's copy takes its extension from its source).
constexpr char OWN_MAP_NAME[] = "THmap.bmp";
constexpr char OWN_MAP_ALIGNMENT_NAME[] = "own-map-alignment.txt";
constexpr char OWN_MAP_PICTURE_STEM[] = "own-map-picture";

// The sides the kept square may have.
constexpr int32_t OWN_MAP_SMALLEST_SIDE = 1024;
constexpr int32_t OWN_MAP_LARGEST_SIDE = 4096;

// The side of the square map for a picture of width x height pixels whose
// edges lie at `edges` on the world: the power of two nearest (by ratio) to
// the picture's own resolution over the whole map square, between
// OWN_MAP_SMALLEST_SIDE and OWN_MAP_LARGEST_SIDE. A picture covering a
// quarter of the map's width with 1000 pixels has 4000 over the square: 4096.
int32_t ownMapSide(int32_t width, int32_t height, const WorldEdges &edges);

// The world's edges on a square map of `side` pixels (-MAP_EXTENT ..
// MAP_EXTENT on both axes, y upward on the world, downward on the square).
SquareEdges squareEdgesOf(const WorldEdges &edges, int32_t side);

// The square map of `picture` placed at `placement` (in the picture's pixels
// as held, scaled or not), `side` pixels square (0: ownMapSide's), into *map.
// False when memory runs out.
bool makeOwnMap(const Picture &picture, const PicturePlacement &placement, int32_t side, Canvas *map);

// A placement in the picture's pixels as held, turned into the pixels of its
// file (as the kept alignment and package-tool's pins count them), and back.
PicturePlacement placementInFile(const PicturePlacement &placement, const Picture &picture);
PicturePlacement placementInPicture(const PicturePlacement &filePlacement, const Picture &picture);

// The kept alignment as text: the picture copy's file name and its placement
// in the file's pixels, one "name value" line each. parseAlignment is false
// (and changes nothing) for text that is not that: a field missing, a number
// that is not finite, a scale not above 0, a name with a folder in it.
std::string alignmentText(const std::string &pictureName, const PicturePlacement &filePlacement);
bool parseAlignment(const char *text, size_t size, std::string *pictureName, PicturePlacement *filePlacement);

// Keeps the picture read from `sourceFile` (decoded and held as `picture`),
// placed at `placement` (in the picture's pixels as held), as the player's own
// map: into the player's data folder, made when missing, go the square map
// (OWN_MAP_NAME), a copy of the source file's bytes and the alignment, each
// replaced in one step. The picture's copy goes first, under a name the kept
// alignment does not use, then the map, then the alignment; only then is the
// copy kept before removed. False with the reason in *reason (the folder
// cannot be made or written, the disk is full, the source is gone) when the
// map could not be kept: the map kept before is then untouched (when the
// alignment alone failed, the map is new and the alignment the one before).
bool keepOwnMap(const char *sourceFile, const Picture &picture, const PicturePlacement &placement,
                std::string *reason);

// The kept alignment, for aligning again: the full path of the picture's copy
// (in picturePath, `size` bytes) and its placement in the pixels of that file
// (placementInPicture turns it into the held picture's once it is loaded).
// False, changing nothing, when nothing is kept, the alignment is damaged or
// its picture is missing.
bool loadKeptAlignment(char *picturePath, size_t size, PicturePlacement *filePlacement);

// Forgets the kept own map: removes the map, the alignment and the picture's
// copy from the player's data folder. Nothing kept, nothing happens.
void forgetOwnMap();
