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
constexpr uint32_t VK_CODE_F12 = 123;
constexpr uint32_t VK_CODE_OEM_PLUS = 187;   // the main keyboard's '=' / '+' key
constexpr uint32_t VK_CODE_OEM_MINUS = 189;  // the main keyboard's '-' key

// Applies, in this order: the left-button drag, the four pan directions (held
// keys), keypad plus and minus and the main keyboard's '+' and '-' (zoom,
// once per key-down), 'O' (the open dialog, modal inside this call), 'H'
// (help page toggle), 'I' (information line toggle), 'P' (marker palette
// toggle), 'C' (collected outlines toggle), F12 (the frame drawn next is saved as a picture, render/screenshot.h),
// 'R' (route toggle), 'K' (next choice of kinds shown) and escape held (ends
// the main loop). A key that went down since the previous call counts as held in
// this one even if it is up again. Each bound is tested before its step and
// each result stored as a 32-bit float; only the drag clamps the camera to
// +-0.75.
void applyControls();

// Whether the next call of applyControls would act without any new input,
// because a key that acts while held (a pan direction or escape) is down.
bool controlsActWhileHeld();
