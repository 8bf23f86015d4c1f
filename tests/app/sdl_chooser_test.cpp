// The Linux chooser with stand-ins for zenity and kdialog on PATH: which one
// runs, where it starts, and what its answer and exit status come to.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "save/open_dialog.h"
#include "support/savegame_writer.h"

namespace {

// Each stand-in writes its name and arguments, one a line, to $STUB_LOG,
// prints $STUB_ANSWER and exits with $STUB_STATUS. With $STUB_NEEDS_UTF8 set
// it fails unless its locale's character set is UTF-8.
constexpr char STUB_SCRIPT[] =
    "#!/bin/sh\n"
    "printf '%s\\n' \"${0##*/}\" \"$@\" \"G_FILENAME_ENCODING=$G_FILENAME_ENCODING\" > \"$STUB_LOG\"\n"
    "if [ -n \"$STUB_NEEDS_UTF8\" ] && [ \"$(/usr/bin/locale charmap)\" != UTF-8 ]; then exit 3; fi\n"
    "[ \"$STUB_STATUS\" = killed ] && kill -9 $$\n"
    "printf '%s' \"$STUB_ANSWER\"\n"
    "exit \"${STUB_STATUS:-0}\"\n";

class SdlChooserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetViewerState();
    headlessClearMessageBoxes();
    stubFolder = temporaryPath("chooser-stubs");
    std::filesystem::create_directories(stubFolder);
    logPath = stubFolder + "/log";
    // Only the stand-ins can be found: no real chooser of the machine.
    saveVariable("PATH", stubFolder.c_str());
    for (const char *name : {"STUB_LOG", "STUB_ANSWER", "STUB_STATUS", "STUB_NEEDS_UTF8", "LC_ALL",
                             "G_FILENAME_ENCODING"}) {
      saveVariable(name, nullptr);
    }
    setenv("STUB_LOG", logPath.c_str(), 1);
  }
  void TearDown() override {
    for (const auto &saved : savedVariables) {
      if (saved.second.empty()) {
        unsetenv(saved.first.c_str());
      } else {
        setenv(saved.first.c_str(), saved.second.c_str(), 1);
      }
    }
    signal(SIGCHLD, SIG_DFL);
    std::filesystem::remove_all(stubFolder);
    resetViewerState();
  }

  // Sets (or with null unsets) a variable for this test only.
  void saveVariable(const char *name, const char *value) {
    const char *old = std::getenv(name);
    savedVariables.emplace_back(name, old ? old : "");
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }

  void installStub(const char *name, mode_t mode = 0755) {
    const std::string path = stubFolder + "/" + name;
    std::ofstream(path) << STUB_SCRIPT;
    chmod(path.c_str(), mode);
  }

  void answer(const std::string &text, const char *status = "0") {
    setenv("STUB_ANSWER", text.c_str(), 1);
    setenv("STUB_STATUS", status, 1);
  }

  // Runs the chooser; *chosen gets the path buffer's text.
  bool choose(std::string *chosen = nullptr) {
    std::remove(logPath.c_str());
    char path[SAVE_PATH_SIZE] = {};
    const bool confirmed = platformChooseSavegame(path);
    EXPECT_EQ(path[SAVE_PATH_SIZE - 1], '\0');
    if (chosen) *chosen = path;
    return confirmed;
  }

  // The lines that the stand-in of the last choose wrote, if one ran: its
  // name, its arguments and its G_FILENAME_ENCODING.
  std::vector<std::string> loggedCall() {
    std::vector<std::string> lines;
    std::ifstream log(logPath);
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    return lines;
  }

  // The texts of the boxes shown since the last call.
  std::vector<std::string> boxes() {
    std::vector<std::string> texts;
    for (const RecordedMessageBox &box : headlessMessageBoxes()) {
      EXPECT_EQ(box.caption, "KZR Package Viewer");
      texts.push_back(box.text);
    }
    headlessClearMessageBoxes();
    return texts;
  }

  static std::vector<std::string> errorBox(const char *message) {
    return {std::string(CHOOSER_ERROR_HEADING) + " : " + message};
  }

  std::string stubFolder;
  std::string logPath;
  std::vector<std::pair<std::string, std::string>> savedVariables;
};

bool contains(const std::vector<std::string> &lines, const std::string &line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST_F(SdlChooserTest, ZenityFirstThenKdialogStartingInTheLoadedSavesFolder) {
  EXPECT_FALSE(choose());
  EXPECT_EQ(boxes(), errorBox("No file chooser found: install zenity or kdialog !"));

  installStub("kdialog");
  answer("/saves/one.b\n");
  std::string chosen;
  ASSERT_TRUE(choose(&chosen));
  EXPECT_EQ(chosen, "/saves/one.b");
  std::vector<std::string> call = loggedCall();
  ASSERT_GE(call.size(), 3u);
  EXPECT_EQ(call[0], "kdialog");
  EXPECT_EQ(call[1], "--getopenfilename");
  // Before the first save: the working directory.
  EXPECT_EQ(call[2], std::filesystem::current_path().string() + "/");

  installStub("zenity");
  std::strcpy(viewerState.saveFileName, "/home/player/saves/one.b");
  ASSERT_TRUE(choose(&chosen));
  call = loggedCall();
  ASSERT_FALSE(call.empty());
  EXPECT_EQ(call[0], "zenity");
  EXPECT_TRUE(contains(call, "--filename=/home/player/saves/")) << "zenity's start folder";
  EXPECT_TRUE(boxes().empty());
}

TEST_F(SdlChooserTest, CancelIsSilentAndEveryFailureIsReported) {
  installStub("zenity");
  answer("", "1");
  EXPECT_FALSE(choose());
  EXPECT_TRUE(boxes().empty());

  // zenity's status for an error, a chooser killed, and a chooser whose end
  // could not be waited for (children reaped by the system): none is a choice.
  answer("/saves/one.b\n", "255");
  EXPECT_FALSE(choose());
  EXPECT_EQ(boxes(), errorBox(CHOOSER_FAILED_MESSAGE));
  answer("/saves/one.b\n", "killed");
  EXPECT_FALSE(choose());
  EXPECT_EQ(boxes(), errorBox(CHOOSER_FAILED_MESSAGE));
  signal(SIGCHLD, SIG_IGN);
  answer("/saves/one.b\n");
  EXPECT_FALSE(choose());
  EXPECT_EQ(boxes(), errorBox(CHOOSER_FAILED_MESSAGE));
  signal(SIGCHLD, SIG_DFL);

  // Found but not startable: a failure, not a reason to try kdialog.
  installStub("zenity", 0644);
  installStub("kdialog");
  EXPECT_FALSE(choose());
  EXPECT_EQ(boxes(), errorBox(CHOOSER_FAILED_MESSAGE));
  EXPECT_TRUE(loggedCall().empty());
}

TEST_F(SdlChooserTest, AnswersThatCannotBeTheChosenFileOpenNothing) {
  installStub("zenity");
  // zenity's answer for a name it cannot show, nothing at all, and what no
  // chooser prints for a chosen file.
  for (const char *text : {"(null)\n", "\n", "", "one.b\n"}) {
    answer(text);
    std::string chosen;
    EXPECT_FALSE(choose(&chosen)) << text;
    EXPECT_EQ(chosen, "");
    EXPECT_EQ(boxes(), errorBox("The file dialog did not return a usable path !")) << text;
  }

  const std::string longest = "/" + std::string(258, 'a');
  answer(longest + "b\n");
  EXPECT_FALSE(choose());
  EXPECT_EQ(boxes(), errorBox(CHOSEN_PATH_TOO_LONG_MESSAGE));
  answer(longest + "\n");
  std::string chosen;
  EXPECT_TRUE(choose(&chosen));
  EXPECT_EQ(chosen, longest);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(SdlChooserTest, ZenityAnswersInUtf8AndTheNameComesBackInTheFileSystemsEncoding) {
  installStub("zenity");
  // A Latin-1 system: names and locale.
  setenv("LC_ALL", "C", 1);
  setenv("G_FILENAME_ENCODING", "ISO-8859-1", 1);
  setenv("STUB_NEEDS_UTF8", "1", 1);
  answer("/saves/caf\xC3\xA9.b\n");
  std::string chosen;
  ASSERT_TRUE(choose(&chosen)) << "the stand-in ran without a UTF-8 locale";
  EXPECT_EQ(chosen, "/saves/caf\xE9.b");
  EXPECT_TRUE(contains(loggedCall(), "G_FILENAME_ENCODING=ISO-8859-1"));

  // The euro sign has no Latin-1 form: no such file can have been chosen.
  answer("/saves/\xE2\x82\xAC.b\n");
  EXPECT_FALSE(choose());
  EXPECT_EQ(boxes(), errorBox("The file dialog did not return a usable path !"));
}

}  // namespace
