#include "packcheck/diff_apply.h"

#include <cstdio>

bool ApplyUnifiedDiff(const std::vector<std::string>& before, const std::vector<std::string>& diff,
                      std::vector<std::string>& after) {
    after.clear();
    size_t at = 0;  // next line of `before`
    for (size_t i = 0; i < diff.size(); ++i) {
        if (diff[i].rfind("@@ ", 0) != 0) {
            if (diff[i].rfind("--- ", 0) == 0 || diff[i].rfind("+++ ", 0) == 0) continue;
            return false;
        }
        int start = 0, count = 1;
        if (std::sscanf(diff[i].c_str(), "@@ -%d,%d", &start, &count) < 1) return false;
        // An empty range names the line before it.
        size_t first = count == 0 ? static_cast<size_t>(start) : static_cast<size_t>(start - 1);
        if (first < at || first > before.size()) return false;
        after.insert(after.end(), before.begin() + static_cast<long>(at), before.begin() + static_cast<long>(first));
        at = first;
        for (; i + 1 < diff.size() && diff[i + 1].rfind("@@ ", 0) != 0; ++i) {
            const std::string& line = diff[i + 1];
            std::string text = line.substr(1);
            if (line[0] == '+') {
                after.push_back(text);
                continue;
            }
            if (at >= before.size() || before[at] != text || (line[0] != ' ' && line[0] != '-')) return false;
            if (line[0] == ' ') after.push_back(text);
            ++at;
        }
    }
    after.insert(after.end(), before.begin() + static_cast<long>(at), before.end());
    return true;
}
