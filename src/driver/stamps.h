// The version stamps in the package folder (Version.ini, OldVersions.ini) and
// the start of the target program at the end of the run.
#pragma once
#include <string>

// True when a line of the stamp file equals PackVersion. The file must be
// present; an open or read failure throws FileError.
bool StampHasVersion(const std::string& path);
// Starts ChosenFolder\PackExeName in its own folder; a failure is ignored.
void LaunchTarget();
