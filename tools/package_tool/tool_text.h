// What several package-tool commands write and read the same way: numbers
// as text, and pairs of numbers given as options.
#pragma once

#include <string>

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
