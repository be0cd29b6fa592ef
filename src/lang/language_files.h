// The language files in the setup folder's Language folder: loading the
// catalogue from one of them, filling the language list, and mapping a chosen
// list entry back to its language key.
#pragma once
#include <string>
#include <vector>

// Fills the catalogue for `language` ("Russian" or a language file's name);
// with no argument for CurrentLanguage and every entry. "Russian" given
// explicitly sets only the three texts of the language page. Throws FileError
// and TemplateError.
void LoadMessages(const std::string& language = "");
// Adds the built-in entry and one entry per language file to PageList when
// there are language files; sets CurrentLanguage to "Russian"; returns the count.
int FillLanguageList();
// The language key of a list entry's text; "Russian" when no file matches.
std::string LanguageKeyForEntry(const std::string& entryText);

// The same, for the setup folder `folder`.
struct LanguageFile {
    std::string name;   // file name with extension: the language key
    std::string entry;  // its text in the language list
};
// The ".txt" files of folder\Language in listing order, each with its entry
// text (from its first line). Folders are skipped. Throws FileError.
std::vector<LanguageFile> ListLanguageFilesIn(const std::string& folder);
int FillLanguageListFrom(const std::string& folder);
void LoadMessagesFrom(const std::string& folder, const std::string& language);
std::string LanguageKeyForEntryIn(const std::string& folder, const std::string& entryText);
