// The headless platform: no window and no user. Message boxes are recorded
// (and optionally passed to a sink, which the command-line tool uses to print
// them); DIB conversion is the project's own. Also the template for a new port.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

struct RecordedMessageBox {
  MessageBoxOwner owner;
  std::string caption;
  std::string text;
};

// Every box shown since the last headlessClearMessageBoxes, oldest first.
const std::vector<RecordedMessageBox> &headlessMessageBoxes();
void headlessClearMessageBoxes();

// Called for every box as it is shown; null (the default) records only.
using HeadlessMessageSink = void (*)(const char *caption, const char *text);
void headlessSetMessageSink(HeadlessMessageSink sink);

// The file chooser answers from a script instead of a user: one answer per
// call, in order; a confirmed answer's text goes through acceptChosenPath as a
// real chooser's output would. With the script used up, the chooser cancels.
struct HeadlessChooserAnswer {
  bool confirmed;
  std::string text;
};
void headlessScriptChooser(const std::vector<HeadlessChooserAnswer> &answers);

// One entry per chooser call since the last script: whether the path buffer
// it was given held only zero bytes.
const std::vector<bool> &headlessChooserCalls();
