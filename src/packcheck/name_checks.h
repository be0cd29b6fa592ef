// Pure judgements on the names a package's lines hold: whether a missing
// file's name is a slip for another (swapped or doubled letters, a wrong
// folder level), and whether a name is one the install run keeps for itself.
#pragma once
#include <string>

// True when `typed` and `meant` (relative paths, "\" between names, case
// ignored) differ by one slip: one letter added, dropped, changed, or two
// neighbours swapped; or one whole folder level added or dropped before the
// same file name.
bool NamesAreClose(const std::string& typed, const std::string& meant);
// The reserved suffix or name one of the path's names carries (the aside and
// replacement suffixes, with or without a number after them, the journal's
// name); "" when none.
std::string ReservedNameIn(const std::string& path);
