// Case folding of Latin letters only: where the program ignores case, A-Z fold
// to a-z and every other byte (Cyrillic letters included) keeps its case. Pure.
#pragma once
#include <string>
#include <string_view>

std::string AsciiLower(std::string text);
bool EqualsAsciiNoCase(std::string_view a, std::string_view b);
