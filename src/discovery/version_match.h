// The version comparison by prefix that decides whether a recorded or listed
// version agrees with a file version. Pure: no Windows header.
#pragma once
#include <string>

// The reference's first dot decides the cut: at position 2 both strings are
// compared on their first 5 characters, at position 3 on their first 6,
// otherwise whole. Case matters.
bool VersionsMatch(const std::string& reference, const std::string& other);
