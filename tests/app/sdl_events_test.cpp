// The SDL layer's translation of events into the input record, fed with
// synthetic events: letter keys under non-Latin layouts, the keypad without
// NumLock, Alt, and the input made while a modal box was open.
#include <gtest/gtest.h>

#include <vector>

#include "app/map_alignment.h"
#include "app/viewer_state.h"
#include "image/bmp_writer.h"
#include "platform/headless/headless.h"
#include "platform/sdl/sdl_platform.h"
#include "support/savegame_writer.h"

// The tests have no main window.
SDL_Window *sdlMainWindow() { return nullptr; }

namespace {

SDL_Event keyEvent(Uint32 type, SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod = KMOD_NONE) {
  SDL_Event event{};
  event.type = type;
  event.key.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = sym;
  event.key.keysym.scancode = scancode;
  event.key.keysym.mod = mod;
  return event;
}

// The code a press of the key records: the one index of keyDown that the
// press set, or -1 when it recorded nothing.
int32_t recordedCode(SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod = KMOD_NONE) {
  resetViewerState();
  EXPECT_TRUE(sdlDispatchEvent(keyEvent(SDL_KEYDOWN, sym, scancode, mod)));
  int32_t code = -1;
  for (int32_t i = 0; i < KEY_CODE_COUNT; ++i) {
    if (viewerState.keyDown[i] == 0 && viewerState.keyEvent[i] == 0) continue;
    EXPECT_EQ(code, -1) << "a second code " << i;
    EXPECT_EQ(viewerState.keyDown[i], 1);
    EXPECT_EQ(viewerState.keyEvent[i], 1);
    code = i;
  }
  return code;
}

class SdlEventsTest : public ::testing::Test {
 protected:
  void TearDown() override { resetViewerState(); }
};

TEST_F(SdlEventsTest, LetterKeysActUnderNonLatinLayouts) {
  // Russian: the keys of O, H, W and D type щ, р, ц and в.
  EXPECT_EQ(recordedCode(0x0449, SDL_SCANCODE_O), 'O');
  EXPECT_EQ(recordedCode(0x0440, SDL_SCANCODE_H), 'H');
  EXPECT_EQ(recordedCode(0x0446, SDL_SCANCODE_W), 'W');
  EXPECT_EQ(recordedCode(0x0432, SDL_SCANCODE_D), 'D');
  // Greek: final sigma on W; and a key that SDL names only by its place.
  EXPECT_EQ(recordedCode(0x03C2, SDL_SCANCODE_W), 'W');
  EXPECT_EQ(recordedCode(SDL_SCANCODE_TO_KEYCODE(SDL_SCANCODE_S), SDL_SCANCODE_S), 'S');
  // Latin layouts keep the letter typed: AZERTY's A is where QWERTY's Q is,
  // and Dvorak's comma on the place of W is punctuation, not 'W'.
  EXPECT_EQ(recordedCode(SDLK_a, SDL_SCANCODE_Q), 'A');
  EXPECT_EQ(recordedCode(SDLK_COMMA, SDL_SCANCODE_W), 188);
  // The main keyboard's '=' / '+' and '-' keep codes of their own.
  EXPECT_EQ(recordedCode(SDLK_EQUALS, SDL_SCANCODE_EQUALS), 187);
  EXPECT_EQ(recordedCode(SDLK_PLUS, SDL_SCANCODE_EQUALS, KMOD_LSHIFT), 187);
  EXPECT_EQ(recordedCode(SDLK_MINUS, SDL_SCANCODE_MINUS), 189);
  EXPECT_EQ(recordedCode(SDLK_KP_PLUS, SDL_SCANCODE_KP_PLUS), 107);
}

TEST_F(SdlEventsTest, KeypadDigitsAreArrowsWithNumLockOff) {
  const struct {
    SDL_Keycode sym;
    SDL_Scancode scancode;
    int32_t arrow;
    int32_t digit;
  } keys[] = {{SDLK_KP_8, SDL_SCANCODE_KP_8, 38, 104},
              {SDLK_KP_4, SDL_SCANCODE_KP_4, 37, 100},
              {SDLK_KP_6, SDL_SCANCODE_KP_6, 39, 102},
              {SDLK_KP_2, SDL_SCANCODE_KP_2, 40, 98}};
  for (const auto &key : keys) {
    EXPECT_EQ(recordedCode(key.sym, key.scancode), key.arrow);
    EXPECT_EQ(recordedCode(key.sym, key.scancode, KMOD_NUM), key.digit);
  }
}

TEST_F(SdlEventsTest, AltHeldRecordsNoPressButStillTheRelease) {
  EXPECT_EQ(recordedCode(SDLK_o, SDL_SCANCODE_O, KMOD_LALT), -1);
  EXPECT_EQ(recordedCode(SDLK_LEFT, SDL_SCANCODE_LEFT, KMOD_RALT), -1);

  // A key already held when Alt goes down is let go all the same.
  resetViewerState();
  sdlDispatchEvent(keyEvent(SDL_KEYDOWN, SDLK_LEFT, SDL_SCANCODE_LEFT));
  sdlDispatchEvent(keyEvent(SDL_KEYUP, SDLK_LEFT, SDL_SCANCODE_LEFT, KMOD_LALT));
  EXPECT_EQ(viewerState.keyDown[37], 0);
}

// The change of zoom (the camera's distance) that one wheel event makes,
// from a zoom between the bounds.
float zoomChangeOfWheel(Sint32 x, Sint32 y, Uint32 direction) {
  resetViewerState();
  viewerState.zoom = 2.0f;
  const float before = viewerState.zoom;
  SDL_Event event{};
  event.type = SDL_MOUSEWHEEL;
  event.wheel.type = SDL_MOUSEWHEEL;
  event.wheel.x = x;
  event.wheel.y = y;
  event.wheel.direction = direction;
  EXPECT_TRUE(sdlDispatchEvent(event));
  return viewerState.zoom - before;
}

// Turned away from the user the wheel zooms out, toward the user in, as the
// user sees it: a wheel the system reports flipped (natural scrolling) sends
// the opposite sign for the same turn. A purely horizontal scroll (a tilted
// wheel, a touchpad swipe) zooms neither way.
TEST_F(SdlEventsTest, WheelZoomsAsTheUserTurnsItAndNotSideways) {
  EXPECT_GT(zoomChangeOfWheel(0, 1, SDL_MOUSEWHEEL_NORMAL), 0.0f);
  EXPECT_LT(zoomChangeOfWheel(0, -1, SDL_MOUSEWHEEL_NORMAL), 0.0f);
  EXPECT_LT(zoomChangeOfWheel(0, 1, SDL_MOUSEWHEEL_FLIPPED), 0.0f);
  EXPECT_GT(zoomChangeOfWheel(0, -1, SDL_MOUSEWHEEL_FLIPPED), 0.0f);
  for (Sint32 x : {1, -1}) {
    EXPECT_EQ(zoomChangeOfWheel(x, 0, SDL_MOUSEWHEEL_NORMAL), 0.0f) << x;
    EXPECT_EQ(zoomChangeOfWheel(x, 0, SDL_MOUSEWHEEL_FLIPPED), 0.0f) << x;
  }
}

SDL_Event eventOfType(Uint32 type) {
  SDL_Event event{};
  event.type = type;
  if (type == SDL_KEYDOWN || type == SDL_KEYUP) event = keyEvent(type, SDLK_h, SDL_SCANCODE_H);
  if (type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP) event.button.button = SDL_BUTTON_LEFT;
  if (type == SDL_MOUSEWHEEL) event.wheel.y = 1;
  return event;
}

TEST_F(SdlEventsTest, InputMadeWhileABoxWasOpenKeepsOnlyReleases) {
  ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
  SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
  // Queued before the box: kept whatever they are.
  for (Uint32 type : {SDL_KEYDOWN, SDL_MOUSEMOTION}) {
    SDL_Event event = eventOfType(type);
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  }
  const int queuedBefore = sdlQueuedEventCount();
  ASSERT_EQ(queuedBefore, 2);
  // Made while the box was open.
  for (Uint32 type : {SDL_KEYDOWN, SDL_MOUSEMOTION, SDL_KEYUP, SDL_MOUSEBUTTONDOWN, SDL_MOUSEWHEEL,
                      SDL_MOUSEBUTTONUP, SDL_WINDOWEVENT, SDL_QUIT}) {
    SDL_Event event = eventOfType(type);
    ASSERT_EQ(SDL_PushEvent(&event), 1);
  }
  sdlDropInputQueuedSince(queuedBefore);

  std::vector<Uint32> left;
  SDL_Event event;
  while (SDL_PollEvent(&event)) left.push_back(event.type);
  const std::vector<Uint32> expected = {SDL_KEYDOWN,       SDL_MOUSEMOTION, SDL_KEYUP,
                                        SDL_MOUSEBUTTONUP, SDL_WINDOWEVENT, SDL_QUIT};
  EXPECT_EQ(left, expected);
  SDL_Quit();
}

SDL_Event dropEvent(Uint32 type, const std::string &file = "") {
  SDL_Event event{};
  event.type = type;
  event.drop.type = type;
  // The handler owns the name, as it owns SDL's, and frees it with SDL_free.
  event.drop.file = type == SDL_DROPFILE ? SDL_strdup(file.c_str()) : nullptr;
  return event;
}

// A save dropped on the window opens as if chosen in the dialog, the first
// of several dropped at once; one dropped while the chooser is open is not
// taken.
TEST_F(SdlEventsTest, DroppedSavesOpenAsIfChosen) {
  resetViewerState();
  headlessClearMessageBoxes();
  const std::string save = temporaryPath("dropped.b");
  writeBytes(save, makeSavegame({pickup(154, 1, 2, 3), pickup(154, 4, 5, 6)}));
  const std::string other = temporaryPath("dropped_other.b");
  writeBytes(other, makeSavegame({pickup(127, 1, 2, 3)}));

  EXPECT_TRUE(sdlDispatchModalEvent(dropEvent(SDL_DROPFILE, save)));
  EXPECT_EQ(viewerState.saveFileName[0], '\0');

  for (const SDL_Event &event : {dropEvent(SDL_DROPBEGIN), dropEvent(SDL_DROPFILE, save),
                                 dropEvent(SDL_DROPFILE, other), dropEvent(SDL_DROPCOMPLETE)}) {
    EXPECT_TRUE(sdlDispatchEvent(event));
  }
  EXPECT_STREQ(viewerState.saveFileName, save.c_str());
  EXPECT_EQ(viewerState.packageCount, 2);
  EXPECT_EQ(viewerState.rampageCount, 0);

  // The next drop stands on its own: a missing file gets the reader's box.
  const std::string missing = temporaryPath("dropped_missing.b");
  for (const SDL_Event &event :
       {dropEvent(SDL_DROPBEGIN), dropEvent(SDL_DROPFILE, missing), dropEvent(SDL_DROPCOMPLETE)}) {
    EXPECT_TRUE(sdlDispatchEvent(event));
  }
  ASSERT_EQ(headlessMessageBoxes().size(), 1u);
  EXPECT_EQ(headlessMessageBoxes()[0].text, "Error ! : Error opening file !");
  EXPECT_EQ(viewerState.packageCount, 2);
}

// What a dropped file is, its content says, not its name: a picture named
// like a save is aligned as the player's own map; a save named like a
// picture opens as a save.
TEST_F(SdlEventsTest, DroppedPictureIsAlignedWhateverItsName) {
  resetViewerState();
  headlessClearMessageBoxes();
  const std::string picture = temporaryPath("dropped-picture.b");
  BmpLayout layout;
  layout.width = 2;
  layout.height = 2;
  layout.pixels = packPixelRows(2, 2, 24, {0x102030, 0x405060, 0x708090, 0xA0B0C0});
  writeBytes(picture, makeBmp(layout));
  const std::string save = temporaryPath("dropped-save.bmp");
  writeBytes(save, makeSavegame({pickup(154, 1, 2, 3)}));

  for (const std::string &file : {picture, save}) {
    for (const SDL_Event &event :
         {dropEvent(SDL_DROPBEGIN), dropEvent(SDL_DROPFILE, file), dropEvent(SDL_DROPCOMPLETE)}) {
      EXPECT_TRUE(sdlDispatchEvent(event));
    }
  }
  EXPECT_TRUE(headlessMessageBoxes().empty());
  EXPECT_TRUE(aligningMap());
  EXPECT_EQ(viewerState.alignment.picture.width, 2);
  EXPECT_STREQ(viewerState.saveFileName, save.c_str());
  EXPECT_EQ(viewerState.packageCount, 1);
  cancelMapAlignment();
}

}  // namespace
