// The language files in the setup folder's Language folder: listing them with
// their list entries, loading the catalogue from one of them, and mapping a
// chosen list entry back to its language key.
#pragma once
#include <string>
#include <vector>

#include "lang/catalogue.h"

struct LanguageFile {
    std::string name;   // file name with extension: the language key
    std::string entry;  // its text in the language list
};

// The ".txt" files of setupFolder\Language in listing order, each with its
// entry text (from its first line). Folders are skipped. Throws FileError.
std::vector<LanguageFile> ListLanguageFiles(const std::string& setupFolder);

// Which texts a load sets when the language is the built-in one.
enum class MessageScope {
    LanguagePage,  // only the three texts the language page shows
    Whole,         // all 25
};
// Fills the catalogue for `language` ("Russian" or a language file's name). A
// language file sets whatever its lines reach, whatever the scope. Throws
// FileError.
void LoadMessages(Catalogue& texts, const std::string& setupFolder, const std::string& programName,
                  const std::string& language, MessageScope scope);

// The language key of a list entry's text; "Russian" when no file matches.
std::string LanguageKeyForEntry(const std::string& setupFolder, const std::string& entryText);
