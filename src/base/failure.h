// The failure the program raises rather than returns: a text file that cannot
// be opened, read or written. It carries the text the error box shows.
#pragma once
#include <stdexcept>
#include <string>

struct FileError : std::runtime_error {
    std::string path;
    std::string reason;         // the system's words for what went wrong
    unsigned long code = 0;     // the system's error code; 0 when the program itself refused
    FileError(const std::string& path, const std::string& systemMessage, unsigned long code = 0)
        : std::runtime_error(path + "\r\n" + systemMessage), path(path), reason(systemMessage), code(code) {}
};
