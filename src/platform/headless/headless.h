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
