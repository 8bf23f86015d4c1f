// The save the share server hands out: a named save, or the newest save
// (*.b) of a folder, followed through the viewer's never-torn read
// (readSteadySavegame) and handed to the server at each clean new version.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

struct ShareFollower {
  std::string asked;    // the save or folder named
  bool folder = false;  // asked is a folder: its newest save is followed
  std::string current;  // the save followed now; empty while a folder has none
  FileStamp stamp{};    // the version of current last read cleanly
  bool pending = true;  // current has a version not yet read cleanly
  bool fresh = true;    // no version of current was handed out yet
  // The bytes handed out last, to tell whether a version read on a bare
  // notification (its stamp unchanged) is another one.
  std::shared_ptr<const std::string> last;
  // Told the name of each save followed from now on (the platform's watch).
  bool (*watch)(const char *name) = nullptr;
};

// What followShareSave came to.
enum ShareFollowStep {
  SHARE_FOLLOW_IDLE,   // nothing new
  SHARE_FOLLOW_NEW,    // *bytes holds a new, cleanly read version
  SHARE_FOLLOW_RETRY,  // a write overtook the read, or holds the save: look again soon
};

// Starts following `asked`, a save or a folder. Returns false with a one-line
// reason in *error when it is neither a save that can be opened nor a folder
// that can be read.
bool startShareFollower(ShareFollower *follower, const std::string &asked, std::string *error);

// Looks at the followed save (in a folder, first at which save is newest: a
// newer slot is followed from now on, read afresh) and reads a version whose
// stamp is not the one last read, or one not yet read cleanly. `notified`
// (the watch saw the save written) reads it even when its stamp stands still,
// as the viewer does: a rewrite in place may keep the size and put the write
// time back, and only the bytes then tell a new version from the last. With
// SHARE_FOLLOW_NEW, *fresh says whether the version is the first of its save
// (a slot newly followed), to be opened afresh.
ShareFollowStep followShareSave(ShareFollower *follower, bool notified, std::shared_ptr<const std::string> *bytes,
                                bool *fresh);

// The newest regular file whose name ends in ".b" (any case) in `folder`, by
// modification time; empty when there is none.
std::string newestSaveIn(const std::string &folder);
