#include "lang/language_list.h"

#include "base/ascii.h"

const char* const RussianLanguage = "Russian";
const char* const RussianEntry = "Russian [Русский]";

bool IsLanguageFileName(const std::string& name) {
    return name.size() >= 4 && AsciiLower(name.substr(name.size() - 4)) == ".txt";
}

std::string LanguageEntryText(const std::string& fileName, const std::string& firstLine) {
    std::string entry = fileName.size() >= 4 ? fileName.substr(0, fileName.size() - 4) : std::string();
    if (!firstLine.empty()) entry += " [" + firstLine + "]";
    return entry;
}
