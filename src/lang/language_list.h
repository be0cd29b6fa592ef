// The language keys and the entry texts of the language list. Pure: the folder
// listing and the files' first lines are handed in.
#pragma once
#include <string>

// The key of the built-in language; otherwise a key is a language file's name
// with its extension.
extern const char* const RussianLanguage;  // "Russian"
// The built-in language's fixed list entry.
extern const char* const RussianEntry;  // "Russian [Русский]"

// True for a name whose extension, ASCII lower-cased, is ".txt".
bool IsLanguageFileName(const std::string& name);
// name without its last four characters, then " [" + firstLine + "]" when firstLine is not empty.
std::string LanguageEntryText(const std::string& fileName, const std::string& firstLine);
