// An executable's file version: the FileVersion text of its version resource,
// the measure of an installed copy's version everywhere in the program.
#pragma once
#include <string>

// The FileVersion text of the file's version resource; "" on any failure.
std::string GetFileVersionString(const std::string& path);
