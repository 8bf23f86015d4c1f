// SDL keys to the Windows virtual-key codes that the controls read.
#pragma once

#include <SDL_keyboard.h>

#include <cstdint>

// The virtual-key code of a key, 0 to 255, or -1 for a key the viewer has no
// code for. Letters map by the character they type (the same code with or
// without shift, as on Windows), so a Latin layout decides which key is 'W';
// a letter key that types no ASCII character (a Russian or Greek layout) keeps
// the letter of its place on the keyboard, as Windows' codes do. With NumLock
// off the keypad's digits are the navigation keys they are labelled with
// (8, 4, 6, 2 the arrows). The keypad's plus and minus have their own codes;
// the main keyboard's plus (also '=') and minus keep theirs, 187 and 189.
int32_t virtualKeyFromSdl(const SDL_Keysym &key);
