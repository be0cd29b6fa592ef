#include "engine/text_lines.h"

std::vector<std::string> SplitTextLines(std::string_view bytes) {
    std::vector<std::string> lines;
    std::string line;
    bool pending = false;  // a line has begun but not ended
    for (size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\x1A') break;
        if (c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            pending = false;
            continue;
        }
        pending = true;
        if (c == '\r') continue;  // before LF it is the line end; alone it is dropped
        line.push_back(c);
    }
    if (pending) lines.push_back(std::move(line));
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
