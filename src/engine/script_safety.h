// Keeps script lines inside the target folder: a line that is absolute, holds
// a pattern character or climbs out of the target is refused. Pure.
#pragma once
#include <string>

// True when `line`, appended with a backslash to the folder `subFolder` below
// the target ("" for the target itself, or "\Base\Name"), names a place inside
// the target. "." and ".." are resolved as the system does (trailing dots and
// blanks of a name are dropped); climbing above the target at any point, a
// leading "\" or "/", any ":" (drives, streams, device paths), control bytes,
// "|" and the pattern characters * ? < > " refuse the line. The empty line is
// harmless and passes.
bool ScriptLineIsSafe(const std::string& subFolder, const std::string& line);
