// The per-frame controls: turning the recorded input into camera, zoom and
// commands, once per idle pass of the main loop, just before the frame is drawn.
#pragma once

#include <cstdint>

// Windows virtual-key codes of the keys the controls read. Letters use the
// code of their upper-case character.
constexpr uint32_t VK_CODE_ESCAPE = 27;
constexpr uint32_t VK_CODE_LEFT = 37;
constexpr uint32_t VK_CODE_UP = 38;
constexpr uint32_t VK_CODE_RIGHT = 39;
constexpr uint32_t VK_CODE_DOWN = 40;
constexpr uint32_t VK_CODE_KEYPAD_PLUS = 107;
constexpr uint32_t VK_CODE_KEYPAD_MINUS = 109;

// Applies, in this order: the left-button drag, the four pan directions (held
// keys), keypad plus and minus (zoom, once per key-down), 'O' (the open
// dialog, modal inside this call), 'H' (help page toggle) and escape held
// (ends the main loop). Each bound is tested before its step and each result
// stored as a 32-bit float; only the drag clamps the camera to +-0.75.
void applyControls();
