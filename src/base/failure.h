// The failure the program raises rather than returns: a text file that cannot
// be opened, read or written. It carries the text the error box shows.
#pragma once
#include <stdexcept>
#include <string>

struct FileError : std::runtime_error {
    std::string path;
    FileError(const std::string& path, const std::string& systemMessage)
        : std::runtime_error(path + "\r\n" + systemMessage), path(path) {}
};
