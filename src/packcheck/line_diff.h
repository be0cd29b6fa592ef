// A unified diff of two versions of a text file's lines, as diff -u writes it.
#pragma once
#include <string>
#include <vector>

// The "---" and "+++" lines naming `name`, then the hunks with `context`
// unchanged lines around each change; no lines when nothing changed.
std::vector<std::string> UnifiedDiff(const std::vector<std::string>& before, const std::vector<std::string>& after,
                                     const std::string& name, int context = 3);
