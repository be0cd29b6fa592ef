// Finding the target executable above a chosen folder.
#pragma once
#include <string>

std::string FindExeFolder(const std::string& folder);
