// The open-savegame dialog around a scripted chooser: what a confirm, a cancel,
// a path too long and a missing file do to the path and the markers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "platform/headless/headless.h"
#include "save/live_reload.h"
#include "save/open_dialog.h"
#include "support/savegame_writer.h"

namespace {

class OpenDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetViewerState();
    headlessClearMessageBoxes();
    headlessScriptChooser({});
    savePath = temporaryPath("open_dialog.b");
    writeBytes(savePath, makeSavegame({pickup(154, 10, 20, 5), pickup(154, 30, 40, 12),
                                       pickup(127, -50, -60, 0), pickup(3, 1, 1, 1)}));
  }
  void TearDown() override { resetViewerState(); }

  // Loads savePath through the dialog, as the first save of the session.
  void loadFirstSave() {
    headlessScriptChooser({{true, savePath + "\n"}});
    openSavegameDialog(viewerState.saveFileName);
    ASSERT_EQ(viewerState.packageCount, 2);
    ASSERT_EQ(viewerState.rampageCount, 1);
  }

  void expectFirstSaveStillLoaded() {
    EXPECT_EQ(viewerState.packageCount, 2);
    EXPECT_EQ(viewerState.rampageCount, 1);
    ASSERT_NE(viewerState.packages, nullptr);
    EXPECT_EQ(viewerState.packages[1].x, 30.0f);
    EXPECT_EQ(viewerState.rampages[0].y, -60.0f);
  }

  std::string savePath;
};

TEST_F(OpenDialogTest, ConfirmCopiesTheWholeBufferAndLoadsAtOnce) {
  std::memset(viewerState.saveFileName, 'x', SAVE_PATH_SIZE);
  loadFirstSave();
  EXPECT_STREQ(viewerState.saveFileName, savePath.c_str());
  for (size_t i = savePath.size(); i < static_cast<size_t>(SAVE_PATH_SIZE); ++i) {
    ASSERT_EQ(viewerState.saveFileName[i], '\0') << "byte " << i;
  }
  expectFirstSaveStillLoaded();
  EXPECT_TRUE(headlessMessageBoxes().empty());
}

TEST_F(OpenDialogTest, CancelChangesNothing) {
  loadFirstSave();
  char before[SAVE_PATH_SIZE];
  std::memcpy(before, viewerState.saveFileName, SAVE_PATH_SIZE);

  headlessScriptChooser({{false, "/somewhere/else.b"}});
  openSavegameDialog(viewerState.saveFileName);
  EXPECT_EQ(std::memcmp(before, viewerState.saveFileName, SAVE_PATH_SIZE), 0);
  expectFirstSaveStillLoaded();
  EXPECT_TRUE(headlessMessageBoxes().empty());
}

TEST_F(OpenDialogTest, ChooserStartsEmptyEveryTime) {
  loadFirstSave();
  headlessScriptChooser({{false, ""}, {true, savePath}});
  openSavegameDialog(viewerState.saveFileName);
  openSavegameDialog(viewerState.saveFileName);
  ASSERT_EQ(headlessChooserCalls().size(), 2u);
  EXPECT_TRUE(headlessChooserCalls()[0]);
  EXPECT_TRUE(headlessChooserCalls()[1]);
  // Confirming the save that is loaded reads it again, to the same result.
  expectFirstSaveStillLoaded();
}

TEST_F(OpenDialogTest, PathLongerThan259BytesIsTreatedAsACancel) {
  loadFirstSave();
  const std::string tooLong = "/" + std::string(259, 'a');
  headlessScriptChooser({{true, tooLong}});
  openSavegameDialog(viewerState.saveFileName);
  EXPECT_STREQ(viewerState.saveFileName, savePath.c_str());
  expectFirstSaveStillLoaded();
  EXPECT_TRUE(headlessMessageBoxes().empty());

  // 259 bytes fit; no such file exists, so the reader reports it.
  const std::string longest = "/" + std::string(258, 'b');
  headlessScriptChooser({{true, longest + "\n"}});
  openSavegameDialog(viewerState.saveFileName);
  EXPECT_EQ(headlessMessageBoxes().size(), 1u);
}

// The save on screen stays the one followed (its name stays).
TEST_F(OpenDialogTest, MissingFileIsReportedAndChangesNothing) {
  loadFirstSave();
  const std::string missing = temporaryPath("no_such_save.b");
  headlessScriptChooser({{true, missing}});
  openSavegameDialog(viewerState.saveFileName);
  EXPECT_STREQ(viewerState.saveFileName, savePath.c_str());
  ASSERT_EQ(headlessMessageBoxes().size(), 1u);
  EXPECT_EQ(headlessMessageBoxes()[0].caption, "KZR Package Viewer");
  EXPECT_EQ(headlessMessageBoxes()[0].text, "Error ! : Error opening file !");
  EXPECT_EQ(headlessMessageBoxes()[0].owner, MESSAGE_OWNER_MAIN_WINDOW);
  expectFirstSaveStillLoaded();
}

// A save whose bytes the platform read itself (the web page's picker and
// drop): the same lists and boxes as a file; the name is taken only with the
// lists. A changed version read quietly shows no box whatever it holds.
TEST_F(OpenDialogTest, SavesInMemoryOpenAsFilesDoAndReloadQuietly) {
  loadFirstSave();
  const std::vector<unsigned char> bytes = makeSavegame({pickup(154, 1, 2, 3), pickup(127, 4, 5, 6)});
  ASSERT_FALSE(openSavegameBytes("cut.b", bytes.data(), bytes.size() - 1));
  ASSERT_FALSE(openSavegameBytes("unread.b", nullptr, 0));
  ASSERT_EQ(headlessMessageBoxes().size(), 2u);
  EXPECT_EQ(headlessMessageBoxes()[0].caption, "KZR Package Viewer");
  EXPECT_EQ(headlessMessageBoxes()[0].text, "Error ! : The savegame is truncated or damaged !");
  EXPECT_EQ(headlessMessageBoxes()[1].text, "Error ! : Error opening file !");
  EXPECT_STREQ(viewerState.saveFileName, savePath.c_str());
  expectFirstSaveStillLoaded();

  ASSERT_TRUE(openSavegameBytes("slot1.b", bytes.data(), bytes.size()));
  EXPECT_STREQ(viewerState.saveFileName, "slot1.b");
  EXPECT_EQ(viewerState.packageCount, 1);
  EXPECT_EQ(viewerState.rampages[0].z, 6.0f);

  headlessClearMessageBoxes();
  EXPECT_FALSE(reloadSavegameBytes(bytes.data(), bytes.size() - 1));
  EXPECT_EQ(viewerState.packageCount, 1);
  const std::vector<unsigned char> next = makeSavegame({});
  EXPECT_TRUE(reloadSavegameBytes(next.data(), next.size()));
  EXPECT_EQ(viewerState.packageCount, 0);
  EXPECT_EQ(viewerState.rampageCount, 0);
  EXPECT_TRUE(headlessMessageBoxes().empty());
}

TEST_F(OpenDialogTest, ChooserOutputIsAcceptedOnlyAsOneWholePath) {
  char path[SAVE_PATH_SIZE];
  std::memset(path, 'z', sizeof path);
  ASSERT_TRUE(acceptChosenPath("/a/b.b\n", 7, path));
  EXPECT_STREQ(path, "/a/b.b");
  EXPECT_EQ(path[SAVE_PATH_SIZE - 1], '\0');

  std::memset(path, 'z', sizeof path);
  EXPECT_FALSE(acceptChosenPath("\n", 1, path));
  EXPECT_FALSE(acceptChosenPath("", 0, path));
  EXPECT_FALSE(acceptChosenPath("/a\0b.b", 6, path));
  EXPECT_EQ(path[0], 'z');  // refused answers leave the buffer alone

  // Only one line feed is the chooser's own; a second belongs to the name.
  ASSERT_TRUE(acceptChosenPath("/a\n\n", 4, path));
  EXPECT_STREQ(path, "/a\n");
}

}  // namespace
