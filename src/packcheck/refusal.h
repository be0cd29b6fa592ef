// Why setup refuses a script line, in words: the reason is the line
// classifier's own, this only words it.
#pragma once
#include <string>

// The reason for a line that ScriptLineIsSafe(subFolder, line) refuses.
std::string RefusalReason(const std::string& subFolder, const std::string& line);
