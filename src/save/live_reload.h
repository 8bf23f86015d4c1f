// Following the shown save as the game rewrites it: the platform tells when
// the save's folder saw it written (where it can), and about once a second the
// file's stamp is looked at anyway; a changed file is read again quietly, and
// the read is kept only when the file stood still while it was read. A read
// never waits for the game nor stands in its way for longer than copying the
// bytes takes: a save the game is writing is left alone and looked at again
// shortly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

struct SavegameMarkers;

// Milliseconds between two looks at the save.
constexpr uint32_t RELOAD_CHECK_INTERVAL_MS = 1000;
// Milliseconds before a read that a write overtook is made again; the
// longest wait between two looks at a save held by its writer.
constexpr uint32_t RELOAD_RETRY_MS = 50;
// The first wait for a save held by its writer, doubled at each look that
// finds it still held. The game's writes are short: a look soon after the
// game lets go reads the save before the game comes back to write it again,
// where a look at any moment could stand in its way.
constexpr uint32_t RELOAD_BUSY_FIRST_MS = 2;

// Makes the save in viewerState.saveFileName, just read and shown, the one
// followed: `stamp`, taken just before that read, is the version shown, so
// that only later changes count, and the platform watches the file from now
// on.
void watchSavegame(const FileStamp &stamp);

// Looks at the save when the platform noticed it written or a check is due at
// `now` (the platform's millisecond clock, which may wrap). When its stamp
// changed since it was last read, or an earlier changed version did not read
// cleanly, reads it again: a clean read of a file whose stamp is the same
// after the read as before it replaces the lists (returns true, a frame is
// due). A notification with the stamp unchanged reads the file too, and its
// markers replace the lists only when they differ from those shown, so that
// no stamp can hide a change. A failed read (the game may still be writing)
// shows no box, keeps the lists exactly as they were and is tried again at the
// next check or notification, even when the stamp does not move in between (a
// permission given back); a save that another program holds open for writing
// is not read, and is tried again RELOAD_BUSY_FIRST_MS later, then after waits
// that double up to RELOAD_RETRY_MS while it stays held. A read during which
// the stamp moved is thrown away, even when it parsed, and made again
// RELOAD_RETRY_MS later or at the next notification. Without a save nothing
// is looked at.
// In a followed folder (viewerState.saveFolder), each look first asks which
// save is the newest: another slot than the one shown is read quietly and
// opened afresh (true, a frame is due); a read that fails is made again at
// the next look.
bool reloadSavegameIfChanged(uint32_t now);

// The newest save of the followed folder, when it is not the one shown and
// reads cleanly, opened afresh in its place. Returns whether it was.
bool followNewestSave();

// Watches every save of the followed folder.
void watchSaveFolder();

// Milliseconds from `now` until reloadSavegameIfChanged has something to do
// without a notification: 0 when a check is due, UINT32_MAX when no save is
// named.
uint32_t millisecondsUntilReloadCheck(uint32_t now);

// The quiet read of reloadSavegameIfChanged for a platform that looks at the
// followed file itself and hands over the changed version's bytes (the
// browser, through the file's handle): a clean read replaces the lists
// (returns true, a frame is due); a failed one shows no box and keeps the
// lists exactly as they were, and the platform tries again at its next look.
bool reloadSavegameBytes(const unsigned char *bytes, size_t size);

// Whether two stamps tell the same version of a file.
bool sameFileStamp(const FileStamp &a, const FileStamp &b);

// What a steady read of a save came to.
enum SteadyReadStatus {
  STEADY_READ,    // the save read cleanly while its stamp stood still
  STEADY_FAILED,  // it could not be read or did not parse (the game may still be writing)
  STEADY_MOVED,   // its stamp moved during the read: what was read may be torn
  STEADY_BUSY,    // another program holds it open for writing (Windows): not read
};

// The never-torn read of every follower of a save: reads the save at `path`,
// whose stamp `before` was taken just before, and keeps what was read only
// when it parses and the stamp afterwards is still `before`. On STEADY_READ
// the markers are in *markers (when not null, the caller's to adopt or free)
// and the file's bytes in *bytes (when not null); on any other status
// nothing is kept.
SteadyReadStatus readSteadySavegame(const char *path, const FileStamp &before, SavegameMarkers *markers,
                                    std::string *bytes);
