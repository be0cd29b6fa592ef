// Version compatibility lists.
#pragma once
#include <string>

bool IsVersionSupported(const std::string& version, const std::string& exePath);
void CollectCompatibleCopies(bool& listCreated);
