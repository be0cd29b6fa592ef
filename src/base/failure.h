// The failures the program raises rather than returns: a text file that cannot
// be opened, read or written, and a language template that does not fit its one
// string argument. Both carry the text the error box shows.
#pragma once
#include <stdexcept>
#include <string>

struct FileError : std::runtime_error {
    std::string path;
    FileError(const std::string& path, const std::string& systemMessage)
        : std::runtime_error(path + "\r\n" + systemMessage), path(path) {}
};

struct TemplateError : std::runtime_error {
    explicit TemplateError(const std::string& what) : std::runtime_error(what) {}
};
