#include "lang/language_files.h"

#include <windows.h>

#include "base/handles.h"
#include "base/package_layout.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "lang/language_list.h"

static std::string LanguageFolder(const std::string& setupFolder) { return JoinPath(setupFolder, LanguageFolderName); }

static std::vector<std::string> LanguageFileNames(const std::string& languageFolder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(JoinPath(languageFolder, "*.*").c_str(), &data));
    if (!find.valid()) return names;
    do {
        std::string name = data.cFileName;
        // A folder named like a language file cannot be read as one.
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (IsLanguageFileName(name)) names.push_back(name);
    } while (FindNextFileA(find.get(), &data));
    return names;
}

std::vector<LanguageFile> ListLanguageFiles(const std::string& setupFolder) {
    std::string folder = LanguageFolder(setupFolder);
    std::vector<LanguageFile> files;
    for (const auto& name : LanguageFileNames(folder)) {
        std::vector<std::string> lines = ReadTextLines(JoinPath(folder, name));
        files.push_back({name, LanguageEntryText(name, lines.empty() ? std::string() : lines.front())});
    }
    return files;
}

void LoadMessages(Catalogue& texts, const std::string& setupFolder, const std::string& programName,
                  const std::string& language, MessageScope scope) {
    if (language == RussianLanguage) {
        SetRussianTexts(texts, programName, scope == MessageScope::LanguagePage);
        return;
    }
    std::string path = JoinPath(LanguageFolder(setupFolder), language);
    ApplyLanguageLines(texts, ReadTextLines(path), programName);
}

std::string LanguageKeyForEntry(const std::string& setupFolder, const std::string& entryText) {
    std::string key = RussianLanguage;  // also when the chosen file has vanished or changed
    if (entryText == RussianEntry) return key;
    for (const auto& file : ListLanguageFiles(setupFolder)) {
        if (file.entry == entryText) key = file.name;
    }
    return key;
}
