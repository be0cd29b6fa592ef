// What the version stamps already in the package folder decide before an
// install: the one rule that both setup's driver and packcheck's dry run
// follow, each reading the stamps from its own disk. Pure.
#pragma once
#include <functional>

enum class StampDecision {
    Install,         // no stamp names this version: install without asking
    AskReinstall,    // Version.ini names it: ask before installing it again
    NewerInstalled,  // OldVersions.ini names it: a newer version is there, stop
};

// `listsVersion(stampName)` says whether the stamp file of that name
// (OldVersionsName, then VersionStampName) is present in the package folder and
// one of its lines is the package's version. Asked in that order, and only as
// far as the decision needs: a stamp not asked is never read.
StampDecision DecideFromStamps(const std::function<bool(const char* stampName)>& listsVersion);
// The stamp file whose line made the decision; nullptr for Install.
const char* DecidingStamp(StampDecision decision);
