#include "base/ascii.h"

static char LowerLatin(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string AsciiLower(std::string text) {
    for (char& c : text) c = LowerLatin(c);
    return text;
}

bool EqualsAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerLatin(a[i]) != LowerLatin(b[i])) return false;
    }
    return true;
}
