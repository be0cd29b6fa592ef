// Applies a unified diff as patch would: the tests check a printed diff by
// applying it to the lines it was made from.
#pragma once
#include <string>
#include <vector>

// False when a hunk's context or removed lines do not match `before`.
bool ApplyUnifiedDiff(const std::vector<std::string>& before, const std::vector<std::string>& diff,
                      std::vector<std::string>& after);
