#include "engine/script_safety.h"

#include <string_view>

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Walks the path's names, counting how deep below the target it stands.
static bool StaysBelowTarget(std::string_view path) {
    int depth = 0;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = start;
        while (end < path.size() && !IsSeparator(path[end])) ++end;
        std::string_view name = path.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (--depth < 0) return false;
            continue;
        }
        // The system drops trailing dots and blanks, so ".. " or "..." would
        // become ".." or nothing there: such names are not taken at all.
        size_t kept = name.find_last_not_of(". ");
        if (kept == std::string_view::npos) return false;
        ++depth;
    }
    return true;
}

bool ScriptLineIsSafe(const std::string& subFolder, const std::string& line) {
    if (line.empty()) return true;
    if (IsSeparator(line[0])) return false;
    std::string path = subFolder + "\\" + line;
    for (unsigned char c : path) {
        // Control bytes (a NUL would cut the path short) and the characters
        // that name drives, streams, devices or patterns.
        if (c < 0x20 || std::string_view(":*?<>\"|").find(static_cast<char>(c)) != std::string_view::npos) return false;
    }
    return StaysBelowTarget(path);
}
