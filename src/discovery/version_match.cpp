#include "discovery/version_match.h"

bool VersionsMatch(const std::string& reference, const std::string& other) {
    size_t dot = reference.find('.');
    size_t cut = std::string::npos;
    if (dot == 1) cut = 5;
    if (dot == 2) cut = 6;
    return reference.substr(0, cut) == other.substr(0, cut);
}
