// Path and time helpers of the folder page and the progress display: a path's
// parent as the folder search walks upwards, and the elapsed-time text. Pure.
#pragma once
#include <string>
#include <vector>

// "hh:mm:ss" with at least two digits each; hours may grow past 99.
// A negative count (a wrapped tick counter) shows as 00:00:00.
std::string FormatElapsedTime(int ms);
// The path up to its last backslash or colon; a backslash right after a drive
// colon stays (C:\Games -> C:\, C:\ -> C:\); "" when there is neither.
std::string ParentFolder(const std::string& path);
// The folder and its first four ancestors: the places the executable may be.
std::vector<std::string> ExeFolderCandidates(const std::string& folder);
