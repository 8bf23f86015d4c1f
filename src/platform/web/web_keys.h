// The one translation from the browser's keys to Windows virtual-key codes.
#pragma once

#include <cstdint>

// The Windows virtual-key code of a KeyboardEvent, from its code (the key's
// place, named as on a US keyboard: "KeyA", "Digit1", "Numpad4", "ArrowLeft")
// and its key (what it types under the user's layout: "a", "+", "ArrowLeft").
// A letter is the letter its layout types, or the letter of its place when it
// types no ASCII character; '+', '=' and '-' are the main keyboard's plus and
// minus keys wherever the layout puts them; the keypad with NumLock off gives
// the navigation keys its key names. -1 for a key the viewer has no code for.
int32_t virtualKeyFromWeb(const char *code, const char *key);
