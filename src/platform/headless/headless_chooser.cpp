// The headless file chooser: scripted answers and a record of the calls.
#include <algorithm>
#include <deque>

#include "app/viewer_state.h"
#include "platform/headless/headless.h"
#include "save/open_dialog.h"

namespace {
std::deque<HeadlessChooserAnswer> pendingAnswers;
std::vector<bool> chooserCalls;
}  // namespace

void headlessScriptChooser(const std::vector<HeadlessChooserAnswer> &answers) {
  pendingAnswers.assign(answers.begin(), answers.end());
  chooserCalls.clear();
}

const std::vector<bool> &headlessChooserCalls() { return chooserCalls; }

bool platformChooseSavegame(char *path) {
  chooserCalls.push_back(std::all_of(path, path + SAVE_PATH_SIZE, [](char c) { return c == '\0'; }));
  if (pendingAnswers.empty()) return false;
  HeadlessChooserAnswer answer = pendingAnswers.front();
  pendingAnswers.pop_front();
  if (!answer.confirmed) return false;
  return acceptChosenPath(answer.text.data(), answer.text.size(), path);
}

// The picture chooser takes its answers from the same script.
bool platformChoosePicture(char *path) { return platformChooseSavegame(path); }

namespace {
std::deque<bool> pendingQuestionAnswers;
}  // namespace

void headlessScriptQuestions(const std::vector<bool> &answers) {
  pendingQuestionAnswers.assign(answers.begin(), answers.end());
}

bool platformAskQuestion(const char *, const char *) {
  if (pendingQuestionAnswers.empty()) return false;
  const bool yes = pendingQuestionAnswers.front();
  pendingQuestionAnswers.pop_front();
  return yes;
}
