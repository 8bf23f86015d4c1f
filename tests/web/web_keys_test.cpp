// The browser's keys as the controls see them: the same virtual-key codes as
// the desktop layers give for the same keys.
#include <gtest/gtest.h>

#include "platform/web/web_keys.h"

namespace {

struct Case {
  const char *code;
  const char *key;
  int32_t virtualKey;
};

TEST(WebKeys, KeysTheControlsUseGiveTheDesktopCodes) {
  const Case cases[] = {
      {"KeyA", "a", 'A'},          {"KeyZ", "Z", 'Z'},           {"KeyH", "h", 'H'},
      {"KeyI", "i", 'I'},          {"KeyO", "o", 'O'},           {"KeyP", "p", 'P'},
      {"KeyR", "r", 'R'},          {"KeyK", "k", 'K'},           {"F12", "F12", 123},
      {"F1", "F1", 112},           {"F10", "F10", 121},          {"ArrowLeft", "ArrowLeft", 37},
      {"ArrowUp", "ArrowUp", 38},  {"ArrowRight", "ArrowRight", 39}, {"ArrowDown", "ArrowDown", 40},
      {"Escape", "Escape", 27},    {"NumpadAdd", "+", 107},      {"NumpadSubtract", "-", 109},
      {"Equal", "=", 187},         {"Equal", "+", 187},          {"Minus", "-", 189},
      {"Digit7", "7", '7'},        {"Digit1", "!", '1'},         {"Numpad4", "4", 100},
      {"Space", " ", 32},          {"Enter", "Enter", 13},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(virtualKeyFromWeb(c.code, c.key), c.virtualKey) << c.code << " / " << c.key;
  }
}

TEST(WebKeys, LayoutDecidesLettersAndPlusPlaceDecidesTheRest) {
  // AZERTY: the key in the place of Q types 'a'; German: '+' has its own key.
  EXPECT_EQ(virtualKeyFromWeb("KeyQ", "a"), 'A');
  EXPECT_EQ(virtualKeyFromWeb("BracketRight", "+"), 187);
  // A Cyrillic layout types no ASCII letter: the place's letter counts.
  EXPECT_EQ(virtualKeyFromWeb("KeyO", "\xd1\x89"), 'O');
  EXPECT_EQ(virtualKeyFromWeb("KeyO", "Unidentified"), 'O');
  // The keypad with NumLock off is the navigation keys.
  EXPECT_EQ(virtualKeyFromWeb("Numpad4", "ArrowLeft"), 37);
  EXPECT_EQ(virtualKeyFromWeb("Numpad8", "ArrowUp"), 38);
  EXPECT_EQ(virtualKeyFromWeb("NumpadDecimal", "Delete"), 46);
}

TEST(WebKeys, KeysWithoutACodeAreRefused) {
  EXPECT_EQ(virtualKeyFromWeb("F13", "F13"), -1);
  EXPECT_EQ(virtualKeyFromWeb("F1x", "F1x"), -1);
  EXPECT_EQ(virtualKeyFromWeb("", ""), -1);
  EXPECT_EQ(virtualKeyFromWeb("MediaPlayPause", "MediaPlayPause"), -1);
  EXPECT_EQ(virtualKeyFromWeb("Keyboard", "Unidentified"), -1);
}

}  // namespace
