// SDL key codes to the Windows virtual-key codes that the controls read.
#pragma once

#include <SDL_keycode.h>

#include <cstdint>

// The virtual-key code of a key, 0 to 255, or -1 for a key the viewer has no
// code for. Letters map by the character they type (the same code with or
// without shift, as on Windows), so the layout decides which key is 'W'. The
// keypad's plus and minus have their own codes; the main keyboard's plus
// (also '=') and minus keep theirs and do nothing.
int32_t virtualKeyFromSdl(SDL_Keycode key);
