#include "lang/catalogue.h"

#include "driver/errors.h"
#include "driver/pack_info.h"
#include "engine/text_lines.h"

std::string MsgExitConfirm, CapExitConfirm, BtnNext, MsgProgramRunning, MsgNewerInstalled, MsgAlreadyInstalled,
    CapConfirm, LblProgramNotFound, LblInstallProgress, MsgNoCopyFound, LblChooseFolder, CapWarning, MsgNotInFolder,
    MsgIncompatibleVersion, MsgLaunchQuestion, MsgInstallOk, CapMessage, MsgInstallFailed, LblChooseCopy,
    MsgOtherCopies, MsgFolderFound, BtnBack, LblElapsed, BtnExit, LblAboutPackage;
int MessageLineCounter = 0;

std::string* const CatalogueEntries[CatalogueSize] = {
    &MsgExitConfirm,  &CapExitConfirm,     &BtnNext,        &MsgProgramRunning,      &MsgNewerInstalled,
    &MsgAlreadyInstalled, &CapConfirm,     &LblProgramNotFound, &LblInstallProgress, &MsgNoCopyFound,
    &LblChooseFolder, &CapWarning,         &MsgNotInFolder, &MsgIncompatibleVersion, &MsgLaunchQuestion,
    &MsgInstallOk,    &CapMessage,         &MsgInstallFailed, &LblChooseCopy,        &MsgOtherCopies,
    &MsgFolderFound,  &BtnBack,            &LblElapsed,     &BtnExit,                &LblAboutPackage,
};

void SetRussianTexts(bool languagePageOnly) {
    MsgExitConfirm = "Действительно хотите закрыть программу?";
    CapExitConfirm = "Подтверждение выхода...";
    BtnNext = "Далее >>";
    if (languagePageOnly) return;
    const std::string& name = PackProgramName;
    MsgProgramRunning = "Программа " + name + " запущена в данный момент!\r\n\r\n"
                        "Закройте программу и после этого нажмите \"Ok\" или нажмите \"Cancel\" "
                        "для выхода из программы установки.";
    MsgNewerInstalled = "В программе уже установлена более новая версия данного компонента!";
    MsgAlreadyInstalled = "Этот компонент уже установлен в программу, перезаписать его ещё раз?";
    CapConfirm = "Подтверждение...";
    LblProgramNotFound = "Программа не найдена:";
    LblInstallProgress = "Индикация процесса установки:";
    MsgNoCopyFound = "Не найдено ни одной копии программы!\r\n\r\nЗапустите программу " + name +
                     " и после этого нажмите \r\n\"<< Назад\" и ещё раз \"Далее >>\".\r\n\r\n"
                     "Или нажмите \"Далее >>\", чтобы указать местоположение программы вручную.";
    LblChooseFolder = "Выберите папку программы:";
    CapWarning = "Предупреждение...";
    MsgNotInFolder = "В выбранной папке программа не обнаружена!";
    MsgIncompatibleVersion = "В выбранной папке находится более ранняя или поздняя версия программы " + name +
                             " не совместимая с данным пакетом!";
    MsgLaunchQuestion = "Запустить программу " + name + "?";
    MsgInstallOk = "Пакет установлен успешно!";
    CapMessage = "Сообщение...";
    MsgInstallFailed = "В процессе установки произошла ошибка, попробуйте установить пакет ещё раз!";
    LblChooseCopy = "Выберите копию программы " + name + " для установки:";
    MsgOtherCopies = "Для установки пакета в другую копию программы " + name + " запустите программу установки ещё раз!";
    MsgFolderFound = "Папка программы успешно найдена!\r\nПуть к найденной папке:";
    BtnBack = "<< Назад";
    LblElapsed = "Прошло времени:";
    BtnExit = "Выход";
    LblAboutPackage = "О пакете:";
}

namespace {

// How one message line of a language file builds its entry: the first line of
// an entry replaces it, a continuation line appends its separator and text.
struct MessageLine {
    std::string* entry;
    const char* separator;  // nullptr: the line starts the entry
    const char* prefix;
    const char* suffix;
    bool isTemplate;  // formatted with PackProgramName
};

const MessageLine MessageLines[LanguageMessageLines] = {
    {&MsgExitConfirm, nullptr, "", "", false},           // 1
    {&CapExitConfirm, nullptr, "", "...", false},        // 2
    {&BtnNext, nullptr, "", " >>", false},               // 3
    {&MsgProgramRunning, nullptr, "", "", true},         // 4
    {&MsgProgramRunning, "\r\n\r\n", "", "", false},     // 5
    {&MsgNewerInstalled, nullptr, "", "", false},        // 6
    {&MsgAlreadyInstalled, nullptr, "", "", false},      // 7
    {&CapConfirm, nullptr, "", "...", false},            // 8
    {&LblProgramNotFound, nullptr, "", ":", false},      // 9
    {&LblInstallProgress, nullptr, "", ":", false},      // 10
    {&MsgNoCopyFound, nullptr, "", "", false},           // 11
    {&MsgNoCopyFound, "\r\n\r\n", "", "", true},         // 12
    {&MsgNoCopyFound, "\r\n\r\n", "", "", true},         // 13
    {&LblChooseFolder, nullptr, "", ":", false},         // 14
    {&CapWarning, nullptr, "", "...", false},            // 15
    {&MsgNotInFolder, nullptr, "", "", false},           // 16
    {&MsgIncompatibleVersion, nullptr, "", "", true},    // 17
    {&MsgLaunchQuestion, nullptr, "", "", true},         // 18
    {&MsgInstallOk, nullptr, "", "", false},             // 19
    {&CapMessage, nullptr, "", "...", false},            // 20
    {&MsgInstallFailed, nullptr, "", "", false},         // 21
    {&LblChooseCopy, nullptr, "", ":", true},            // 22
    {&MsgOtherCopies, nullptr, "", "", true},            // 23
    {&MsgFolderFound, nullptr, "", "", false},           // 24
    {&MsgFolderFound, "\r\n", "", ":", false},           // 25
    {&BtnBack, nullptr, "<< ", "", false},               // 26
    {&LblElapsed, nullptr, "", ":", false},              // 27
    {&BtnExit, nullptr, "", "", false},                  // 28
    {&LblAboutPackage, nullptr, "", ":", false},         // 29
};

// Widths and precisions beyond this are refused, so a template cannot ask
// for an arbitrarily large text.
const size_t MaxFieldSize = 9999;

bool ReadFieldNumber(const std::string& text, size_t& i, size_t& value) {
    value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = value * 10 + static_cast<size_t>(text[i] - '0');
        if (value > MaxFieldSize) return false;
        ++i;
    }
    return true;
}

}  // namespace

bool FormatTemplate(const std::string& templ, const std::string& argument, std::string& out) {
    out.clear();
    bool argumentUsed = false;
    for (size_t i = 0; i < templ.size(); ++i) {
        if (templ[i] != '%') {
            out += templ[i];
            continue;
        }
        if (++i == templ.size()) return false;
        if (templ[i] == '%') {
            out += '%';
            continue;
        }
        bool leftAligned = false;
        while (i < templ.size() && templ[i] == '-') {
            leftAligned = true;
            ++i;
        }
        size_t width = 0;
        size_t precision = std::string::npos;
        if (!ReadFieldNumber(templ, i, width)) return false;
        if (i < templ.size() && templ[i] == '.' && !ReadFieldNumber(templ, ++i, precision)) return false;
        if (i == templ.size() || templ[i] != 's' || argumentUsed) return false;
        argumentUsed = true;
        std::string value = argument.substr(0, precision);
        std::string padding(value.size() < width ? width - value.size() : 0, ' ');
        out += leftAligned ? value + padding : padding + value;
    }
    return true;
}

static void ApplyMessageLine(int number, int fileLine, const std::string& line, const std::string& fileName) {
    const MessageLine& rule = MessageLines[number - 1];
    std::string text = line;
    if (rule.isTemplate && !FormatTemplate(line, PackProgramName, text)) {
        throw TemplateError(fileName + ", line " + std::to_string(fileLine) + ": \"" + line +
                            "\"\r\nThe text does not fit the program name as its only argument "
                            "(use %s at most once and %% for a percent sign).");
    }
    text = rule.prefix + text + rule.suffix;
    if (rule.separator) *rule.entry += rule.separator + text;
    else *rule.entry = text;
}

void ApplyLanguageLines(const std::vector<std::string>& lines, const std::string& fileName) {
    MessageLineCounter = 0;
    BtnBack = "<< Back";
    LblElapsed = "Passed time:";
    // The first line is the language's display name, whatever it holds.
    for (size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].empty() || IsCommentLine(lines[i])) continue;
        ++MessageLineCounter;
        if (MessageLineCounter <= LanguageMessageLines)
            ApplyMessageLine(MessageLineCounter, static_cast<int>(i + 1), lines[i], fileName);
    }
}
