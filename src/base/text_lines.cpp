#include "base/text_lines.h"

std::vector<std::string> SplitTextLines(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\x1A'));
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        std::string_view raw = bytes.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        // A CR before the LF belongs to the line end; a lone one is dropped.
        if (raw.find('\r') == std::string_view::npos) {
            lines.emplace_back(raw);
        } else {
            std::string line;
            for (char c : raw) {
                if (c != '\r') line.push_back(c);
            }
            lines.push_back(std::move(line));
        }
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return lines;
}

std::string JoinTextLines(const std::vector<std::string>& lines) {
    size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const auto& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

bool IsCommentLine(std::string_view line) {
    return line.size() >= 2 && ((line[0] == '/' && line[1] == '/') || (line[0] == '\\' && line[1] == '\\'));
}

bool HoldsLine(const std::vector<std::string>& lines, const std::string& line) {
    for (const auto& candidate : lines) {
        if (candidate == line) return true;
    }
    return false;
}
