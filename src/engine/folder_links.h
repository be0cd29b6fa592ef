// Folder links (junctions, symbolic links, mount points) below the target: a
// run records each one it crosses and where it leads, and an undo or a
// recovery acts through a link only when it was recorded and still leads there.
// The target itself may be a link: it is the folder the user chose. Pure.
#pragma once
#include <set>
#include <string>
#include <vector>

#include "engine/install_journal.h"

// The Link lines for the folders from the target down to `folder` (a full
// path inside the target) that are links; `seen` (folded folders) keeps each
// folder looked at once per run.
std::vector<JournalEntry> LinksOnTheWay(JournalDisk& disk, const std::string& target, const std::string& folder,
                                        std::set<std::string>& seen);

// The first folder on the way to a path the entries name (the path itself for
// a folder the run made) that is now a link the entries do not record, or
// that no longer leads where the recorded one did, or that was a link and is
// now something else: its full path. "" when every step may be taken.
std::string LinkNotAsRecorded(JournalDisk& disk, const std::string& target, const std::vector<JournalEntry>& entries);
