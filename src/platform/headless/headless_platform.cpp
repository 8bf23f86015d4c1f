// Headless platform services: recorded message boxes and the portable DIB
// converter.
#include "platform/headless/headless.h"

#include "image/dib_convert.h"

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

DibConvertResult platformConvertDib(const DibSource &source, unsigned char *rgb) {
  return convertDibPortable(source, rgb);
}
