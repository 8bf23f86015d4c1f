// What several package-tool commands write and read the same way: numbers
// as text, pairs of numbers given as options, and the note on markers a save
// holds beyond the lists' room.
#pragma once

#include <string>

struct SavegameMarkers;

// Shortest text that reads back as the same float ("1234.5", "nan", "-inf").
std::string shortest(float value);
// The same for a double.
std::string shortest(double value);
// A JSON number: the shortest text, or null when the value is not finite.
std::string jsonNumber(float value);
std::string jsonNumber(double value);

// A finite 32-bit float written out in full ("4", "-0.25", "1e2").
bool parseFloat(const char *text, float *value);
// Two such floats joined by a comma ("X,Y").
bool parseFloatPair(const char *text, float *x, float *y);

// Says on stderr, after "package-tool COMMAND: ", when the save held more
// packages or rampages than the lists keep, and how many were kept.
void noteDroppedMarkers(const char *command, const SavegameMarkers &markers);
