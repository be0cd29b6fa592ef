#include "discovery/path_time.h"

static std::string TwoDigits(int value) {
    std::string digits = std::to_string(value);
    if (digits.size() < 2) digits.insert(digits.begin(), '0');
    return digits;
}

std::string FormatElapsedTime(int ms) {
    if (ms < 0) ms = 0;
    int seconds = ms / 1000;
    int totalMinutes = seconds / 60;
    int hours = totalMinutes / 60;
    int minutes = totalMinutes - 60 * hours;
    return TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" + TwoDigits(seconds % 60);
}

std::string ParentFolder(const std::string& path) {
    size_t cut = path.find_last_of("\\:");
    if (cut == std::string::npos) return "";
    if (path[cut] == '\\' && cut > 0 && path[cut - 1] == ':') return path.substr(0, cut + 1);
    return path.substr(0, cut);
}

std::vector<std::string> ExeFolderCandidates(const std::string& folder) {
    std::vector<std::string> candidates{folder};
    while (candidates.size() < 5) candidates.push_back(ParentFolder(candidates.back()));
    return candidates;
}
