// The address a program shares its save at, as the key 'Q' shows it over
// the map: a QR code for a phone's camera and the address as a line. A
// program that can share (the desktop ones) sets startShareHook; without it
// 'Q' does nothing.
#pragma once

#include <cstdint>
#include <vector>

struct ShareOverlay {
  int32_t shown = 0;
  int32_t size = 0;        // modules on a side; 0 until sharing started
  std::vector<bool> dark;  // size x size, row by row
  char address[160] = {};
};

extern ShareOverlay shareOverlay;

// Starts sharing and fills shareOverlay's code and address; returns false
// after telling the user why it could not (one message box).
extern bool (*startShareHook)();

// What 'Q' does: starts sharing the first time, then shows or hides the code
// (the sharing goes on until the program ends).
void toggleShareOverlay();
