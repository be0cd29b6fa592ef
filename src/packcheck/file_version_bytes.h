// A program's file version read from its bytes, as setup reads it through the
// system: the FileVersion text of the version resource's string table that its
// first translation names. Pure, so that packcheck gives the same answer on Linux.
#pragma once
#include <string>

// "" when the bytes are no PE program, have no version resource, or lack the text.
std::string FileVersionFromBytes(const std::string& bytes);
