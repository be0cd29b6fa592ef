// The program's text-file rules over bytes: a line ends at CR LF or a bare LF,
// a lone CR is dropped, Ctrl-Z ends the file, nothing is trimmed; written lines
// end with CR LF. Pure: the file access lives in text_file.h.
#pragma once
#include <string>
#include <string_view>
#include <vector>

std::vector<std::string> SplitTextLines(std::string_view bytes);
std::string JoinTextLines(const std::vector<std::string>& lines);

// True when the line is a comment of Pack.ini, aboutPack.ini and the language
// files: its first two characters are "//" or "\\".
bool IsCommentLine(std::string_view line);

// True when a line of `lines` equals `line` exactly.
bool HoldsLine(const std::vector<std::string>& lines, const std::string& line);
