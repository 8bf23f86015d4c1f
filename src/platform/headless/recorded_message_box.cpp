// Message boxes that nobody answers: each is recorded (and passed to the sink,
// if one is set) and returns at once. Used by the headless platform and by the
// Windows test platform.
#include "platform/headless/headless.h"

namespace {
std::vector<RecordedMessageBox> recordedBoxes;
HeadlessMessageSink messageSink = nullptr;
}  // namespace

const std::vector<RecordedMessageBox> &headlessMessageBoxes() { return recordedBoxes; }

void headlessClearMessageBoxes() { recordedBoxes.clear(); }

void headlessSetMessageSink(HeadlessMessageSink sink) { messageSink = sink; }

void platformShowMessageBox(MessageBoxOwner owner, const char *caption, const char *text) {
  recordedBoxes.push_back(RecordedMessageBox{owner, caption, text});
  if (messageSink) messageSink(caption, text);
}
