#include "lang/language_list.h"

#include "base/ascii.h"
#include "base/package_layout.h"

const char* const RussianLanguage = "Russian";
const char* const RussianEntry = "Russian [Русский]";

static const size_t ExtensionSize = sizeof LanguageFileExtension - 1;

bool IsLanguageFileName(const std::string& name) {
    return name.size() >= ExtensionSize &&
           AsciiLower(name.substr(name.size() - ExtensionSize)) == LanguageFileExtension;
}

std::string LanguageEntryText(const std::string& fileName, const std::string& firstLine) {
    std::string entry =
        fileName.size() >= ExtensionSize ? fileName.substr(0, fileName.size() - ExtensionSize) : std::string();
    if (!firstLine.empty()) entry += " [" + firstLine + "]";
    return entry;
}
