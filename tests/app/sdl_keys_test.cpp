// The SDL key table: the keys the controls read get their Windows codes, and
// keys that look alike but must not act (the main keyboard's plus and minus)
// get others.
#include <gtest/gtest.h>

#include "app/controls.h"
#include "platform/sdl/sdl_keys.h"

namespace {

TEST(SdlKeysTest, ControlKeysGetTheirVirtualKeyCodes) {
  EXPECT_EQ(virtualKeyFromSdl(SDLK_LEFT), 37);
  EXPECT_EQ(virtualKeyFromSdl(SDLK_UP), 38);
  EXPECT_EQ(virtualKeyFromSdl(SDLK_RIGHT), 39);
  EXPECT_EQ(virtualKeyFromSdl(SDLK_DOWN), 40);
  EXPECT_EQ(virtualKeyFromSdl(SDLK_ESCAPE), 27);
  EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_PLUS), 107);
  EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_MINUS), 109);
  EXPECT_EQ(virtualKeyFromSdl(SDLK_a), 'A');
  EXPECT_EQ(virtualKeyFromSdl(SDLK_d), 'D');
  EXPECT_EQ(virtualKeyFromSdl(SDLK_h), 'H');
  EXPECT_EQ(virtualKeyFromSdl(SDLK_o), 'O');
  EXPECT_EQ(virtualKeyFromSdl(SDLK_s), 'S');
  EXPECT_EQ(virtualKeyFromSdl(SDLK_w), 'W');
  EXPECT_EQ(virtualKeyFromSdl(SDLK_z), 'Z');
  EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_0), 96);
  EXPECT_EQ(virtualKeyFromSdl(SDLK_KP_9), 105);
  EXPECT_EQ(virtualKeyFromSdl(SDLK_F12), 123);
}

TEST(SdlKeysTest, LookAlikesAndUnknownKeysDoNotActAsControls) {
  for (SDL_Keycode key : {SDLK_PLUS, SDLK_EQUALS, SDLK_MINUS}) {
    const int32_t code = virtualKeyFromSdl(key);
    EXPECT_NE(code, static_cast<int32_t>(VK_CODE_KEYPAD_PLUS));
    EXPECT_NE(code, static_cast<int32_t>(VK_CODE_KEYPAD_MINUS));
  }
  // Upper-case characters are not key codes of their own in SDL.
  EXPECT_EQ(virtualKeyFromSdl('H'), -1);
  EXPECT_EQ(virtualKeyFromSdl(SDLK_UNKNOWN), -1);
  EXPECT_EQ(virtualKeyFromSdl(SDLK_AUDIONEXT), -1);
  for (SDL_Keycode key = 0; key < 0x400; ++key) {
    const int32_t code = virtualKeyFromSdl(key);
    ASSERT_TRUE(code >= -1 && code < 256) << "key " << key;
  }
}

}  // namespace
