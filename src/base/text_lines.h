// The program's text-file rules over bytes: a line ends at CR LF or a bare LF,
// a lone CR is dropped, Ctrl-Z ends the file, nothing is trimmed; written lines
// end with CR LF. Pure: the file access lives in text_file.h.
#pragma once
#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> SplitTextLines(std::string_view bytes);
std::string JoinTextLines(const std::vector<std::string>& lines);

// A text file held as its bytes, with its lines as views into them: a large
// record costs no allocation per line. The views stay valid while the buffer
// lives, also when it is moved.
struct TextBuffer {
    std::vector<char> bytes;
    std::vector<std::string_view> lines;
};
// Splits the bytes by the same rules as SplitTextLines, dropping the carriage
// returns inside the bytes themselves.
TextBuffer SplitTextBuffer(std::vector<char> bytes);
// The lines as strings, for the small files that are kept as such.
std::vector<std::string> LineStrings(const std::vector<std::string_view>& lines);

// True when the line is a comment of Pack.ini, aboutPack.ini and the language
// files: its first two characters are "//" or "\\".
bool IsCommentLine(std::string_view line);

// True when a line of `lines` equals `line` exactly.
bool HoldsLine(const std::vector<std::string>& lines, const std::string& line);
