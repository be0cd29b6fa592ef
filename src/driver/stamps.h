// The version stamps in the package folder (Version.ini, OldVersions.ini) and
// the start of the target program at the end of the run.
#pragma once
#include <string>

// True when a line of the stamp file equals `version`. The file must be
// present; an open or read failure throws FileError.
bool StampHasVersion(const std::string& path, const std::string& version);
// Starts folder\exeName in the executable's own folder; a failure is ignored.
void LaunchTarget(const std::string& folder, const std::string& exeName);
