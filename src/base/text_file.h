// Reading and writing whole text files by the program's rules. A file that
// cannot be opened, read or written throws FileError with the system's message.
#pragma once
#include <string>
#include <vector>

std::vector<std::string> ReadTextLines(const std::string& path);
void WriteTextLines(const std::string& path, const std::vector<std::string>& lines);

// The system's text for an error code, without the trailing line break.
std::string SystemErrorText(unsigned long code);
