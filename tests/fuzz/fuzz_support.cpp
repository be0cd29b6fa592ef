#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <cstdlib>

void FuzzFailure(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

std::vector<std::string> ReferenceSplitLines(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\x1A'));
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        std::string_view piece = bytes.substr(start, end == std::string_view::npos ? end : end - start);
        std::string line;
        for (char c : piece)
            if (c != '\r') line += c;
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

std::string_view TakeField(std::string_view& input, char separator) {
    size_t cut = input.find(separator);
    std::string_view field = input.substr(0, cut);
    input = cut == std::string_view::npos ? std::string_view() : input.substr(cut + 1);
    return field;
}
