// Reading and writing whole files by the program's rules. A file that cannot
// be opened, read or written throws FileError with the system's message. A
// write replaces the file in one step, so a crash, a full disk or a reader
// holding the file never leaves it half written.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/failure.h"
#include "base/text_lines.h"

std::string ReadFileBytes(const std::string& path);
std::vector<std::string> ReadTextLines(const std::string& path);
// The whole file read at once into a buffer of its size, split into line views.
TextBuffer ReadTextBuffer(const std::string& path);

// Creates or replaces the file: the bytes go to ReplacementPath(path) (paths.h) beside
// it, are flushed to the disk, and that file is renamed over `path`. On any
// failure `path` keeps its old bytes and the temporary file is removed. A
// read-only file is refused; the new file keeps the hidden, system and archive
// attributes of the old one.
void ReplaceFileBytes(const std::string& path, const std::string& bytes);
void WriteTextLines(const std::string& path, const std::vector<std::string>& lines);
// The same replacement with the lines handed over one by one by `produce`,
// joined and written a piece at a time: a large record is never held twice.
void WriteTextLineStream(const std::string& path,
                         const std::function<void(const std::function<void(std::string_view)>&)>& produce);

// The system's text for an error code, without the trailing line break.
std::string SystemErrorText(unsigned long code);
// The failure for a file the system refused just now: its words and its code.
FileError LastFileError(const std::string& path);
