// The one translation from the browser's keys to Windows virtual-key codes.
#include "platform/web/web_keys.h"

#include <cstring>

namespace {

struct KeyName {
  const char *name;  // a KeyboardEvent code, or a key value where noted
  int32_t virtualKey;
};

// Keys that are neither letters, digits nor function keys, by their code. The
// keypad's navigation names (NumLock off) are also key values.
constexpr KeyName KEY_TABLE[] = {
    {"Backspace", 8},       {"Tab", 9},
    {"Enter", 13},          {"NumpadEnter", 13},
    {"ShiftLeft", 16},      {"ShiftRight", 16},
    {"ControlLeft", 17},    {"ControlRight", 17},
    {"Pause", 19},          {"CapsLock", 20},
    {"Escape", 27},         {"Space", 32},
    {"PageUp", 33},         {"PageDown", 34},
    {"End", 35},            {"Home", 36},
    {"ArrowLeft", 37},      {"ArrowUp", 38},
    {"ArrowRight", 39},     {"ArrowDown", 40},
    {"Clear", 12},          {"Insert", 45},
    {"Delete", 46},         {"NumpadMultiply", 106},
    {"NumpadAdd", 107},     {"NumpadSubtract", 109},
    {"NumpadDecimal", 110}, {"NumpadDivide", 111},
    {"NumLock", 144},       {"ScrollLock", 145},
    {"Semicolon", 186},     {"Equal", 187},
    {"Comma", 188},         {"Minus", 189},
    {"Period", 190},        {"Slash", 191},
    {"Backquote", 192},     {"BracketLeft", 219},
    {"Backslash", 220},     {"BracketRight", 221},
    {"Quote", 222},
};

constexpr int32_t VK_NUMPAD0 = 96;
constexpr int32_t VK_F1 = 112;
constexpr int32_t VK_OEM_PLUS = 187;
constexpr int32_t VK_OEM_MINUS = 189;

int32_t fromTable(const char *name) {
  for (const KeyName &entry : KEY_TABLE) {
    if (std::strcmp(entry.name, name) == 0) return entry.virtualKey;
  }
  return -1;
}

bool startsWith(const char *text, const char *prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// "F1" to "F12" as 1 to 12, else 0.
int32_t functionKeyNumber(const char *code) {
  if (code[0] != 'F' || code[1] < '1' || code[1] > '9') return 0;
  if (code[2] == '\0') return code[1] - '0';
  if (code[1] == '1' && code[2] >= '0' && code[2] <= '2' && code[3] == '\0') return 10 + (code[2] - '0');
  return 0;
}

}  // namespace

int32_t virtualKeyFromWeb(const char *code, const char *key) {
  const bool oneCharacter = key[0] != '\0' && key[1] == '\0';
  if (oneCharacter && isAsciiLetter(key[0])) return static_cast<int32_t>(key[0] & ~0x20);
  // A letter key typing a character outside ASCII (a Cyrillic or Greek letter,
  // which is more than one UTF-8 byte) is the Latin letter of its place.
  const bool typesAscii = oneCharacter && static_cast<unsigned char>(key[0]) < 128;
  if (startsWith(code, "Key") && isAsciiLetter(code[3]) && code[4] == '\0' && !typesAscii) {
    return static_cast<int32_t>(code[3] & ~0x20);
  }
  if (startsWith(code, "Numpad")) {
    // NumLock off: the key names the navigation key it now is.
    if (!oneCharacter) {
      const int32_t navigation = fromTable(key);
      if (navigation >= 0) return navigation;
    }
    const char digit = code[6];
    if (digit >= '0' && digit <= '9' && code[7] == '\0') return VK_NUMPAD0 + (digit - '0');
    return fromTable(code);
  }
  if (oneCharacter && (key[0] == '+' || key[0] == '=')) return VK_OEM_PLUS;
  if (oneCharacter && key[0] == '-') return VK_OEM_MINUS;
  if (startsWith(code, "Digit") && code[5] >= '0' && code[5] <= '9' && code[6] == '\0') return code[5];
  const int32_t function = functionKeyNumber(code);
  if (function > 0) return VK_F1 + function - 1;
  return fromTable(code);
}
