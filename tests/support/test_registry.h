// Registry helpers for tests: removing a whole key tree, whatever it holds.
#pragma once
#include <windows.h>

#include <string>

void DeleteRegistryTree(HKEY root, const std::string& path);
