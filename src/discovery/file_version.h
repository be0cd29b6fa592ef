// An executable's file version: the FileVersion text of its version resource,
// the measure of an installed copy's version everywhere in the program.
#pragma once
#include <string>

// The FileVersion text of the file's version resource; "" on any failure.
std::string GetFileVersionString(const std::string& path);
// The same, told apart from a file that cannot be read right now (another
// program holds it without sharing, or access is refused): false then, and
// `version` is left alone.
bool ReadFileVersionNow(const std::string& path, std::string& version);
