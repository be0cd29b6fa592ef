// Version stamps and launch.
#pragma once
#include <string>

bool StampHasVersion(const std::string& path);
void LaunchTarget();
