#include "lang/language_files.h"

#include <windows.h>

#include "driver/setup.h"
#include "engine/handles.h"
#include "engine/text_file.h"
#include "lang/catalogue.h"
#include "lang/language_list.h"
#include "ui/toolkit.h"

static std::vector<std::string> LanguageFileNames(const std::string& languageFolder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA((languageFolder + "\\*.*").c_str(), &data));
    if (!find.valid()) return names;
    do {
        std::string name = data.cFileName;
        // A folder named like a language file cannot be read as one.
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (IsLanguageFileName(name)) names.push_back(name);
    } while (FindNextFileA(find.get(), &data));
    return names;
}

std::vector<LanguageFile> ListLanguageFilesIn(const std::string& folder) {
    std::string languageFolder = folder + "\\Language";
    std::vector<LanguageFile> files;
    for (const auto& name : LanguageFileNames(languageFolder)) {
        std::vector<std::string> lines = ReadTextLines(languageFolder + "\\" + name);
        files.push_back({name, LanguageEntryText(name, lines.empty() ? std::string() : lines.front())});
    }
    return files;
}

void LoadMessagesFrom(const std::string& folder, const std::string& language) {
    MessageLineCounter = 0;
    bool given = !language.empty();
    std::string key = given ? language : CurrentLanguage;
    if (key == "Russian") {
        SetRussianTexts(given);
        return;
    }
    std::string path = folder + "\\Language\\" + key;
    ApplyLanguageLines(ReadTextLines(path), path);
}

std::string LanguageKeyForEntryIn(const std::string& folder, const std::string& entryText) {
    std::string key = "Russian";  // also when the chosen file has vanished or changed
    if (entryText == RussianEntry) return key;
    for (const auto& file : ListLanguageFilesIn(folder)) {
        if (file.entry == entryText) key = file.name;
    }
    return key;
}

void LoadMessages(const std::string& language) { LoadMessagesFrom(SetupFolder(), language); }

std::string LanguageKeyForEntry(const std::string& entryText) { return LanguageKeyForEntryIn(SetupFolder(), entryText); }

static void AddListEntry(const std::string& text) {
    SendMessageA(PageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

int FillLanguageList() { return FillLanguageListFrom(SetupFolder()); }

int FillLanguageListFrom(const std::string& folder) {
    std::vector<LanguageFile> files = ListLanguageFilesIn(folder);
    CurrentLanguage = "Russian";
    if (files.empty()) return 0;
    AddListEntry(RussianEntry);
    for (const auto& file : files) AddListEntry(file.entry);
    return static_cast<int>(files.size());
}
