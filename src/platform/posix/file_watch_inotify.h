// The Linux watch of the followed save: inotify on the save's folder, read by
// a thread of its own that blocks on it and wakes the main loop through the
// layer's own means (an SDL event, say).
#pragma once

// platformWatchFile of a Linux layer: watches the folder of `name` for a
// write of that name that ended (IN_CLOSE_WRITE) and for a file moved onto
// it (IN_MOVED_TO), in place of any earlier watch, and calls wake on the
// watcher thread for each; an empty name ends the watch and the thread.
// `wake` must be safe to call from another thread. Returns false when the
// folder cannot be watched.
bool inotifyWatchFile(const char *name, void (*wake)());

// platformTakeFileChange of a Linux layer.
bool inotifyTakeChange();
