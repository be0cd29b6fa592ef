#include "base/text_lines.h"

#include <cstring>

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

TextBuffer SplitTextBuffer(std::vector<char> bytes) {
    TextBuffer text;
    text.bytes = std::move(bytes);
    if (text.bytes.empty()) return text;
    char* data = text.bytes.data();
    size_t size = text.bytes.size();
    if (const void* stop = std::memchr(data, '\x1A', size)) size = static_cast<size_t>(static_cast<const char*>(stop) - data);
    size_t count = 0;
    for (size_t i = 0; i < size; ++i) count += data[i] == '\n';
    text.lines.reserve(count + 1);
    size_t start = 0;
    while (start < size) {
        const void* newline = std::memchr(data + start, '\n', size - start);
        size_t end = newline ? static_cast<size_t>(static_cast<const char*>(newline) - data) : size;
        size_t length = end - start;
        // A line only shrinks when its carriage returns go, so it stays in its own place.
        if (std::memchr(data + start, '\r', length)) {
            size_t kept = start;
            for (size_t i = start; i < end; ++i) {
                if (data[i] != '\r') data[kept++] = data[i];
            }
            length = kept - start;
        }
        text.lines.emplace_back(data + start, length);
        if (end == size) break;
        start = end + 1;
    }
    return text;
}

std::vector<std::string> LineStrings(const std::vector<std::string_view>& lines) {
    return std::vector<std::string>(lines.begin(), lines.end());
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
