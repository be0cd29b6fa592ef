// Copy records in the registry.
#pragma once
#include <string>

void PruneCopyRecords(const std::string& exe, const std::string& programName, const std::string& version);
std::string GetFileVersionString(const std::string& path);
