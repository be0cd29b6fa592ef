// The checks of the language files and of the about text each language shows.
#include "base/package_layout.h"
#include "lang/about_text.h"
#include "lang/catalogue.h"
#include "lang/language_list.h"
#include "packcheck/setup_check.h"

namespace {

// What is wrong with a template, in words.
std::string TemplateProblem(const TemplateFault& fault) {
    switch (fault.kind) {
    case TemplateFault::LonePercent: return "a lone \"%\" ends it";
    case TemplateFault::FieldTooLarge: return "a width or precision is over 9999";
    case TemplateFault::SecondArgument: return "it has a second %s";
    case TemplateFault::Unsupported: return Quoted(fault.directive) + " is not allowed";
    case TemplateFault::None: break;
    }
    return "it does not fit the program name as its one argument";
}

void CheckTemplate(SetupCheck& check, const std::string& file, int line, int message, const std::string& text,
                   const std::string& programName) {
    std::string formatted;
    TemplateFault fault;
    std::string what = "message line " + std::to_string(message) + " is a template";
    if (!FormatTemplate(text, programName, formatted, &fault)) {
        check.Add(file, line, Severity::Warning,
                  what + " and " + TemplateProblem(fault) +
                      ": setup shows the line with the program name at its first %s and every other % as written "
                      "(use %s once, %% for a percent sign)");
    } else if (MessageLineShowsName(message) && FormatTemplate(text, "\x01", formatted) &&
               formatted.find('\x01') == std::string::npos) {
        check.Add(file, line, Severity::Warning, what + " but shows no program name (no %s)");
    }
}

void CheckLanguageFile(SetupCheck& check, const std::string& name, const Package& package) {
    auto file = LoadSetupFile(check, name, Opening::Direct);
    if (!file) return;
    int messages = 0;
    for (size_t i = 1; i < file->lines.size(); ++i) {
        const std::string& line = file->lines[i];
        int number = static_cast<int>(i + 1);
        if (IsSkippedLanguageLine(line)) continue;
        ++messages;
        if (MessageLineIsTemplate(messages))
            CheckTemplate(check, name, number, messages, line, package.PackProgramName);
        if (messages == MessageLineCount() + 1)
            check.Add(name, number, Severity::Note,
                      "message lines from here on are ignored: a language file has " +
                          std::to_string(LanguageMessageLines) + ", and up to " +
                          std::to_string(MessageLineCount() - LanguageMessageLines) + " optional ones after them");
    }
    if (messages < LanguageMessageLines)
        check.Add(name, static_cast<int>(file->lines.size()), Severity::Warning,
                  std::to_string(messages) + " message lines, not " + std::to_string(LanguageMessageLines) +
                      ": the texts after the last stay empty or keep an earlier language's");
    NoteBlankLines(check, *file, "skipped, it is no message line", 1);
}

}  // namespace

void CheckLanguageFiles(SetupCheck& check, const Package& package) {
    std::vector<std::string> languages{RussianLanguage};
    const std::string folder = std::string(LanguageFolderName) + "\\";
    for (const auto& entry : check.setup.entries) {
        // Setup lists the files directly in Language whose extension is ".txt".
        if (entry.folder || FoldNameCase(entry.name.substr(0, folder.size())) != FoldNameCase(folder)) continue;
        std::string fileName = entry.name.substr(folder.size());
        if (fileName.find('\\') != std::string::npos || !IsLanguageFileName(fileName)) continue;
        languages.push_back(fileName);
        CheckLanguageFile(check, entry.name, package);
    }
    const char* about = SourceAboutPack;
    auto file = LoadSetupFile(check, about, Opening::AfterTest);
    if (!file) {
        if (!check.setup.Find(about)) check.Add(about, 0, Severity::Warning, "missing: the about page is empty");
        return;
    }
    for (const auto& language : languages) {
        if (ExtractAboutText(file->lines, language).empty())
            check.Add(about, 0, Severity::Warning,
                      "the about page is empty in language " + Quoted(language) + ": no block applies to it");
    }
}
