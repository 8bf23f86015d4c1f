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

// The picture chooser answers from the same script. Questions are answered
// from a script of their own, in order; with it used up, the answer is No.
void headlessScriptQuestions(const std::vector<bool> &answers);

// One entry per chooser call since the last script: whether the path buffer
// it was given held only zero bytes.
const std::vector<bool> &headlessChooserCalls();

// The watch of the followed save, as the tests drive it: platformWatchFile
// records the name (and succeeds), headlessNoteFileChange stands for the
// platform noticing that the watched save was written.
const std::string &headlessWatchedFile();
void headlessNoteFileChange();

// Called with every stamp platformFileStamp hands out, after the file was
// looked at: a test may change the file there (a game writing while the
// viewer reads) or the stamp (a file system on which it does not move). Null,
// the default, leaves both alone.
using HeadlessStampHook = void (*)(const char *name, FileStamp *stamp);
void headlessSetStampHook(HeadlessStampHook hook);

// For the layers that use this stand-in: the real stamp of a file, passed
// through the hook.
FileStamp headlessStampThroughHook(const char *name, FileStamp stamp);
