// Why setup refuses a script line, in words. Whether it refuses one is
// ScriptLineIsSafe's verdict alone; this only names the likely reason.
#pragma once
#include <string>

// The reason for a line that ScriptLineIsSafe(subFolder, line) refuses.
std::string RefusalReason(const std::string& subFolder, const std::string& line);
