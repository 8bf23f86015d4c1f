// Replacing a file in one step, so that a failure never leaves a half-written
// or damaged file under its name: the new content goes to a temporary file
// beside it, which then takes its name. One implementation per system.
#pragma once

#include <string>

// Creates an empty file in the folder of OUTPUT under a fresh name, with the
// permissions a new file gets there. Returns its name, or an empty string
// with the reason in *reason.
std::string createTemporaryBeside(const std::string &output, std::string *reason);

// Gives TEMPORARY the name OUTPUT, replacing whatever file had it. On failure
// returns false with the reason in *reason and leaves both as they were.
bool replaceWithTemporary(const std::string &temporary, const std::string &output, std::string *reason);
