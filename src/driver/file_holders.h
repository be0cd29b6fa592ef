// Which programs hold a file open, as far as the system can tell: the Restart
// Manager of Vista and later, bound at run time. Earlier systems, and a file
// nobody is known to hold, give no names.
#pragma once
#include <string>
#include <vector>

// The names of the programs that hold the file; empty when unknown.
std::vector<std::string> ProgramsHoldingFile(const std::string& path);
