// The Windows layer's own work: read-only file views, the window procedure's
// reading of message parameters, and the palette it builds for a display that
// needs one.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/map_alignment.h"
#include "app/viewer_state.h"
#include "image/bmp_writer.h"
#include "platform/platform.h"
#include "platform/win32/win32_file_watch.h"
#include "platform/win32/win32_picture_path.h"
#include "platform/win32/win32_pixel_format.h"
#include "platform/win32/win32_window.h"
#include "platform/headless/headless.h"
#include "support/savegame_writer.h"

namespace {

TEST(Win32FileView, MapsEveryByteAndLetsGoOfTheFile) {
  std::vector<unsigned char> bytes(5000);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<unsigned char>(i * 7);
  std::string path = temporaryPath("view.bin");
  writeBytes(path, bytes);

  FileView view;
  ASSERT_TRUE(platformMapFile(path.c_str(), &view));
  ASSERT_EQ(view.size, bytes.size());
  EXPECT_EQ(std::memcmp(view.bytes, bytes.data(), bytes.size()), 0);
  platformUnmapFile(&view);
  EXPECT_EQ(view.bytes, nullptr);
  // Deleting fails while any handle to the file is still open.
  EXPECT_TRUE(DeleteFileA(path.c_str())) << "the file is still held, error " << GetLastError();
}

TEST(Win32FileView, RefusesMissingFilesEmptyFilesAndFolders) {
  std::string empty = temporaryPath("empty.bin");
  writeBytes(empty, {});
  std::string folder = temporaryPath("folder");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  for (const std::string &path : {temporaryPath("missing.bin"), empty, folder}) {
    SCOPED_TRACE(path);
    FileView view;
    EXPECT_FALSE(platformMapFile(path.c_str(), &view));
    EXPECT_EQ(view.bytes, nullptr);
  }
  EXPECT_TRUE(DeleteFileA(empty.c_str()));
  EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
}

// The pictures come from the working directory when they are there, else from
// the folder of the .exe; found nowhere, the bare name goes to the loader.
// The watch of the save's folder signals its handle for a write of the save
// and for a file moved onto its name from elsewhere, and ends with an empty
// name; a write of another file of the folder is no change of the save. (The
// limit only ends a test whose watch is broken.)
TEST(Win32FileWatch, WritesAndMovesOntoTheSaveSignal) {
  const std::string folder = temporaryPath("watched");
  const std::string elsewhere = temporaryPath("elsewhere");
  std::filesystem::create_directories(folder);
  std::filesystem::create_directories(elsewhere);
  const std::string save = folder + "/save.b";
  writeBytes(save, {1});
  ASSERT_TRUE(win32WatchFile(save.c_str()));
  const HANDLE watch = win32FileWatchHandle();
  ASSERT_NE(watch, nullptr);
  EXPECT_FALSE(win32TakeFileChange());

  writeBytes(save, {2, 3});
  ASSERT_EQ(WaitForSingleObject(watch, 10000), WAIT_OBJECT_0);
  win32NoteFileWatchSignalled();
  EXPECT_TRUE(win32TakeFileChange());
  EXPECT_FALSE(win32TakeFileChange());
  // What the write still had to tell, until the folder is quiet.
  while (WaitForSingleObject(watch, 300) == WAIT_OBJECT_0) win32NoteFileWatchSignalled();
  win32TakeFileChange();

  writeBytes(folder + "/other.b", {7});
  ASSERT_EQ(WaitForSingleObject(watch, 10000), WAIT_OBJECT_0);
  while (WaitForSingleObject(watch, 300) == WAIT_OBJECT_0) win32NoteFileWatchSignalled();
  EXPECT_FALSE(win32TakeFileChange()) << "another file's write counted as the save's";

  const std::string fresh = elsewhere + "/fresh.b";
  writeBytes(fresh, {4, 5, 6});
  ASSERT_TRUE(MoveFileExA(fresh.c_str(), save.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(WaitForSingleObject(watch, 10000), WAIT_OBJECT_0);
  while (WaitForSingleObject(watch, 300) == WAIT_OBJECT_0) win32NoteFileWatchSignalled();
  EXPECT_TRUE(win32TakeFileChange());

  EXPECT_TRUE(win32WatchFile(""));
  EXPECT_EQ(win32FileWatchHandle(), nullptr);
  std::filesystem::remove_all(folder);
  std::filesystem::remove_all(elsewhere);
}

TEST(Win32PicturePath, WorkingDirectoryFirstThenTheProgramsFolder) {
  const std::string folder = temporaryPath("program");
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  const std::string name = "picture-path-" + std::to_string(GetCurrentProcessId()) + ".bmp";
  const std::string beside = folder + "\\" + name;

  EXPECT_EQ(findPictureBeside(name.c_str(), folder), name);
  writeBytes(beside, {1});
  EXPECT_EQ(findPictureBeside(name.c_str(), folder), beside);
  EXPECT_EQ(findPictureBeside(name.c_str(), ""), name) << "no program folder known";
  writeBytes(name, {1});
  EXPECT_EQ(findPictureBeside(name.c_str(), folder), name);
  EXPECT_TRUE(DeleteFileA(name.c_str()));
  // The player's folder comes between the two.
  const std::string own = temporaryPath("own") + "\\" + name;
  ASSERT_TRUE(CreateDirectoryA(temporaryPath("own").c_str(), nullptr));
  writeBytes(own, {1});
  EXPECT_EQ(findPictureAmong(name.c_str(), temporaryPath("own"), folder), own);
  EXPECT_EQ(findPictureAmong(name.c_str(), "", folder), beside);
  EXPECT_TRUE(DeleteFileA(own.c_str()));
  EXPECT_TRUE(RemoveDirectoryA(temporaryPath("own").c_str()));
  EXPECT_TRUE(DeleteFileA(beside.c_str()));
  EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
}

class WindowProcedure : public ::testing::Test {
 protected:
  void SetUp() override { resetViewerState(); }
  void TearDown() override { resetViewerState(); }
  static LRESULT send(UINT message, WPARAM wParam, LPARAM lParam) {
    return windowProc(nullptr, message, wParam, lParam);
  }
};

// The block Explorer hands a window for a drop: a DROPFILES header followed
// by the names, each NUL-terminated, and one more NUL at the end.
HDROP makeDrop(const std::vector<std::string> &names) {
  size_t size = sizeof(DROPFILES) + 1;
  for (const std::string &name : names) size += name.size() + 1;
  HGLOBAL block = GlobalAlloc(GHND, size);
  auto *header = static_cast<DROPFILES *>(GlobalLock(block));
  header->pFiles = sizeof(DROPFILES);
  char *text = reinterpret_cast<char *>(header + 1);
  for (const std::string &name : names) {
    std::memcpy(text, name.c_str(), name.size() + 1);
    text += name.size() + 1;
  }
  GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

// A save dropped on the window opens as if chosen in the dialog (the first
// of several files); a name too long for the savegame path gets its box.
TEST_F(WindowProcedure, DroppedSavesOpenAsIfChosen) {
  headlessClearMessageBoxes();
  const std::string save = temporaryPath("dropped.b");
  writeBytes(save, makeSavegame({pickup(154, 1, 2, 3), pickup(154, 4, 5, 6)}));
  const std::string other = temporaryPath("other.b");
  writeBytes(other, makeSavegame({pickup(127, 1, 2, 3)}));

  EXPECT_EQ(send(WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({save, other})), 0), 0);
  EXPECT_STREQ(viewerState.saveFileName, save.c_str());
  EXPECT_EQ(viewerState.packageCount, 2);
  EXPECT_EQ(viewerState.rampageCount, 0);
  EXPECT_TRUE(headlessMessageBoxes().empty());

  const std::string tooLong = "C:\\" + std::string(300, 'a') + ".b";
  EXPECT_EQ(send(WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({tooLong})), 0), 0);
  ASSERT_EQ(headlessMessageBoxes().size(), 1u);
  EXPECT_EQ(headlessMessageBoxes()[0].text, "Error ! : The path of the chosen file is too long !");
  EXPECT_STREQ(viewerState.saveFileName, save.c_str());
  EXPECT_EQ(viewerState.packageCount, 2);
}

// A picture is told from a save by its content, whatever its name: it is
// aligned as the player's own map.
TEST_F(WindowProcedure, DroppedPictureIsAlignedWhateverItsName) {
  headlessClearMessageBoxes();
  const std::string picture = temporaryPath("dropped-picture.b");
  BmpLayout layout;
  layout.width = 2;
  layout.height = 2;
  layout.pixels = packPixelRows(2, 2, 24, {0x102030, 0x405060, 0x708090, 0xA0B0C0});
  writeBytes(picture, makeBmp(layout));
  EXPECT_EQ(send(WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({picture})), 0), 0);
  EXPECT_TRUE(headlessMessageBoxes().empty());
  EXPECT_TRUE(aligningMap());
  EXPECT_EQ(viewerState.saveFileName[0], '\0');
  cancelMapAlignment();
}

TEST_F(WindowProcedure, KeysAreRecordedByTheirVirtualKeyCode) {
  EXPECT_EQ(send(WM_KEYDOWN, 'O', 0x00180001), 0);
  EXPECT_EQ(viewerState.keyDown['O'], 1);
  EXPECT_EQ(viewerState.keyEvent['O'], 1);
  viewerState.keyEvent['O'] = 0;
  send(WM_KEYDOWN, 'O', 0x40180001);  // auto-repeat
  EXPECT_EQ(viewerState.keyEvent['O'], 1);
  viewerState.keyEvent['O'] = 0;
  send(WM_KEYUP, 'O', static_cast<LPARAM>(0xC0180001u));
  EXPECT_EQ(viewerState.keyDown['O'], 0);
  EXPECT_EQ(viewerState.keyEvent['O'], 1);
  send(WM_KEYDOWN, VK_ADD, 0);
  EXPECT_EQ(viewerState.keyDown[107], 1);
}

TEST_F(WindowProcedure, PointerPositionsAreTheUnsignedHalvesOfLParam) {
  send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(700, 65000));
  EXPECT_EQ(viewerState.leftButtonDown, 1);
  EXPECT_EQ(viewerState.mouseX, 700);
  EXPECT_EQ(viewerState.mouseY, 65000);
  EXPECT_EQ(viewerState.dragAnchorSet, 0);

  send(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(710, 64990));
  EXPECT_EQ(viewerState.dragAnchorX, 700);
  EXPECT_EQ(viewerState.dragAnchorY, 65000);
  EXPECT_EQ(viewerState.dragDeltaX, 10);
  EXPECT_EQ(viewerState.dragDeltaY, -10);

  send(WM_LBUTTONUP, 0, MAKELPARAM(1, 2));
  EXPECT_EQ(viewerState.leftButtonDown, 0);
  EXPECT_EQ(viewerState.mouseX, 710);
}

TEST_F(WindowProcedure, WheelStepsByTheSignOfTheHighWordOnly) {
  float expected = 4.0f;
  send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), MAKELPARAM(5, 5));
  expected -= 0.1f;
  EXPECT_EQ(viewerState.zoom, expected);
  send(WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-1)), 0);
  expected -= 0.1f;
  EXPECT_EQ(viewerState.zoom, expected);
  send(WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0);
  expected += 0.1f;
  EXPECT_EQ(viewerState.zoom, expected);
  EXPECT_EQ(viewerState.mouseX, 0) << "the wheel's pointer position is not recorded";
}

TEST_F(WindowProcedure, SizingKeepsTheOuterRectangleAtLeast640By480) {
  RECT rect{100, 100, 300, 200};
  EXPECT_EQ(send(WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&rect)), 0);
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, 100);
  EXPECT_EQ(rect.right, 740);
  EXPECT_EQ(rect.bottom, 580);

  rect = RECT{100, 100, 300, 900};
  send(WM_SIZING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&rect));
  EXPECT_EQ(rect.left, -340);
  EXPECT_EQ(rect.right, 300);
  EXPECT_EQ(rect.bottom, 900);
}

// A display that works through a palette: 8 bits, red 3 bits at 0, green 3
// at 3, blue 2 at 6.
class PixelFormatPalette : public ::testing::Test {
 protected:
  void SetUp() override {
    resetViewerState();
    saved = pixelFormatDescriptor;
    memoryDc = CreateCompatibleDC(nullptr);
    ASSERT_NE(memoryDc, nullptr);
    pixelFormatDescriptor.dwFlags |= PFD_NEED_PALETTE;
    pixelFormatDescriptor.cColorBits = 8;
    pixelFormatDescriptor.cRedBits = 3;
    pixelFormatDescriptor.cRedShift = 0;
    pixelFormatDescriptor.cGreenBits = 3;
    pixelFormatDescriptor.cGreenShift = 3;
    pixelFormatDescriptor.cBlueBits = 2;
    pixelFormatDescriptor.cBlueShift = 6;
  }
  void TearDown() override {
    if (memoryDc) DeleteDC(memoryDc);
    if (viewerState.palette) DeleteObject(static_cast<HPALETTE>(viewerState.palette));
    pixelFormatDescriptor = saved;
    resetViewerState();
  }
  PIXELFORMATDESCRIPTOR saved{};
  HDC memoryDc = nullptr;
};

TEST_F(PixelFormatPalette, SpreadsEachChannelsLevelsOverTheWholeRange) {
  setupPalette(memoryDc);
  HPALETTE palette = static_cast<HPALETTE>(viewerState.palette);
  ASSERT_NE(palette, nullptr);
  PALETTEENTRY entries[257] = {};
  ASSERT_EQ(GetPaletteEntries(palette, 0, 257, entries), 256u);
  auto rgb = [&](int i) {
    return std::vector<int>{entries[i].peRed, entries[i].peGreen, entries[i].peBlue, entries[i].peFlags};
  };
  EXPECT_EQ(rgb(0), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(rgb(1), (std::vector<int>{36, 0, 0, 0}));
  EXPECT_EQ(rgb(8), (std::vector<int>{0, 36, 0, 0}));
  EXPECT_EQ(rgb(64), (std::vector<int>{0, 0, 85, 0}));
  EXPECT_EQ(rgb(146), (std::vector<int>{72, 72, 170, 0}));
  EXPECT_EQ(rgb(255), (std::vector<int>{255, 255, 255, 0}));
}

TEST_F(PixelFormatPalette, FormatsWithoutAPaletteOrWithoutLevelsGetNone) {
  PIXELFORMATDESCRIPTOR paletted = pixelFormatDescriptor;
  pixelFormatDescriptor.dwFlags &= ~PFD_NEED_PALETTE;
  setupPalette(memoryDc);
  EXPECT_EQ(viewerState.palette, nullptr);

  // No green levels to spread: refused rather than divided by zero.
  pixelFormatDescriptor = paletted;
  pixelFormatDescriptor.cGreenBits = 0;
  setupPalette(memoryDc);
  EXPECT_EQ(viewerState.palette, nullptr);

  // 2^16 entries do not fit a palette's 16-bit count.
  pixelFormatDescriptor = paletted;
  pixelFormatDescriptor.cColorBits = 16;
  setupPalette(memoryDc);
  EXPECT_EQ(viewerState.palette, nullptr);
}

}  // namespace
