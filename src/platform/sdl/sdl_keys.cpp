// The one translation from SDL keys to Windows virtual-key codes.
#include "platform/sdl/sdl_keys.h"

namespace {

struct KeyPair {
  SDL_Keycode sdl;
  int32_t virtualKey;
};

// Keys that are neither letters, digits, keypad digits nor function keys.
constexpr KeyPair KEY_TABLE[] = {
    {SDLK_BACKSPACE, 8},   {SDLK_TAB, 9},           {SDLK_RETURN, 13},       {SDLK_KP_ENTER, 13},
    {SDLK_LSHIFT, 16},     {SDLK_RSHIFT, 16},       {SDLK_LCTRL, 17},        {SDLK_RCTRL, 17},
    {SDLK_PAUSE, 19},      {SDLK_CAPSLOCK, 20},     {SDLK_ESCAPE, 27},       {SDLK_SPACE, 32},
    {SDLK_PAGEUP, 33},     {SDLK_PAGEDOWN, 34},     {SDLK_END, 35},          {SDLK_HOME, 36},
    {SDLK_LEFT, 37},       {SDLK_UP, 38},           {SDLK_RIGHT, 39},        {SDLK_DOWN, 40},
    {SDLK_INSERT, 45},     {SDLK_DELETE, 46},       {SDLK_KP_MULTIPLY, 106}, {SDLK_KP_PLUS, 107},
    {SDLK_KP_MINUS, 109},  {SDLK_KP_PERIOD, 110},   {SDLK_KP_DIVIDE, 111},   {SDLK_NUMLOCKCLEAR, 144},
    {SDLK_SCROLLLOCK, 145}, {SDLK_SEMICOLON, 186},  {SDLK_EQUALS, 187},      {SDLK_PLUS, 187},
    {SDLK_COMMA, 188},     {SDLK_MINUS, 189},       {SDLK_PERIOD, 190},      {SDLK_SLASH, 191},
    {SDLK_BACKQUOTE, 192}, {SDLK_LEFTBRACKET, 219}, {SDLK_BACKSLASH, 220},   {SDLK_RIGHTBRACKET, 221},
    {SDLK_QUOTE, 222},
};

constexpr SDL_Keycode KEYPAD_DIGITS[] = {SDLK_KP_0, SDLK_KP_1, SDLK_KP_2, SDLK_KP_3, SDLK_KP_4,
                                         SDLK_KP_5, SDLK_KP_6, SDLK_KP_7, SDLK_KP_8, SDLK_KP_9};
constexpr SDL_Keycode FUNCTION_KEYS[] = {SDLK_F1, SDLK_F2, SDLK_F3, SDLK_F4,  SDLK_F5,  SDLK_F6,
                                         SDLK_F7, SDLK_F8, SDLK_F9, SDLK_F10, SDLK_F11, SDLK_F12};

struct KeypadPair {
  SDL_Scancode scancode;
  int32_t virtualKey;
};

// The keypad with NumLock off: clear, insert, delete, home, end, page up and
// down and the arrows, by the key's place (SDL reports the digit's key code
// whatever the lock says).
constexpr KeypadPair KEYPAD_NAVIGATION[] = {
    {SDL_SCANCODE_KP_0, 45}, {SDL_SCANCODE_KP_1, 35}, {SDL_SCANCODE_KP_2, 40},      {SDL_SCANCODE_KP_3, 34},
    {SDL_SCANCODE_KP_4, 37}, {SDL_SCANCODE_KP_5, 12}, {SDL_SCANCODE_KP_6, 39},      {SDL_SCANCODE_KP_7, 36},
    {SDL_SCANCODE_KP_8, 38}, {SDL_SCANCODE_KP_9, 33}, {SDL_SCANCODE_KP_PERIOD, 46},
};

constexpr int32_t VK_NUMPAD0 = 96;
constexpr int32_t VK_F1 = 112;

}  // namespace

int32_t virtualKeyFromSdl(const SDL_Keysym &keysym) {
  const SDL_Keycode key = keysym.sym;
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<int32_t>('A' + (key - SDLK_a));
  // A letter key that types no ASCII character (a Cyrillic or Greek letter)
  // is the Latin letter of its place. One that types punctuation (on AZERTY
  // or Dvorak) keeps the punctuation's code, as Windows gives it.
  const bool typesAscii = key > 0 && key < 128;
  if (!typesAscii && keysym.scancode >= SDL_SCANCODE_A && keysym.scancode <= SDL_SCANCODE_Z) {
    return static_cast<int32_t>('A' + (keysym.scancode - SDL_SCANCODE_A));
  }
  if ((keysym.mod & KMOD_NUM) == 0) {
    for (const KeypadPair &pair : KEYPAD_NAVIGATION) {
      if (pair.scancode == keysym.scancode) return pair.virtualKey;
    }
  }
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<int32_t>('0' + (key - SDLK_0));
  // SDL's keypad and function key codes are not contiguous, hence the lists.
  for (int32_t i = 0; i < 10; ++i) {
    if (KEYPAD_DIGITS[i] == key) return VK_NUMPAD0 + i;
  }
  for (int32_t i = 0; i < 12; ++i) {
    if (FUNCTION_KEYS[i] == key) return VK_F1 + i;
  }
  for (const KeyPair &pair : KEY_TABLE) {
    if (pair.sdl == key) return pair.virtualKey;
  }
  return -1;
}
