#include "lang/catalogue.h"

#include "base/text_lines.h"

void SetEnglishExitTexts(Catalogue& texts) {
    texts.MsgExitConfirm = "Do you really want to close the program?";
    texts.CapExitConfirm = "Confirmation of exit...";
}

void SetRussianTexts(Catalogue& texts, const std::string& programName, bool languagePageOnly) {
    texts.MsgExitConfirm = "Действительно хотите закрыть программу?";
    texts.CapExitConfirm = "Подтверждение выхода...";
    texts.BtnNext = "&Далее >>";  // & marks the Alt+letter key
    if (languagePageOnly) return;
    const std::string& name = programName;
    texts.MsgProgramRunning = "Программа " + name + " запущена в данный момент!\r\n\r\n"
                              "Закройте программу и после этого нажмите \"Ok\" или нажмите \"Cancel\" "
                              "для выхода из программы установки.";
    texts.MsgNewerInstalled = "В программе уже установлена более новая версия данного компонента!";
    texts.MsgAlreadyInstalled = "Этот компонент уже установлен в программу, перезаписать его ещё раз?";
    texts.CapConfirm = "Подтверждение...";
    texts.LblProgramNotFound = "Программа не найдена:";
    texts.LblInstallProgress = "Индикация процесса установки:";
    texts.MsgNoCopyFound = "Не найдено ни одной копии программы!\r\n\r\nЗапустите программу " + name +
                           " и после этого нажмите \r\n\"<< Назад\" и ещё раз \"Далее >>\".\r\n\r\n"
                           "Или нажмите \"Далее >>\", чтобы указать местоположение программы вручную.";
    texts.LblChooseFolder = "Выберите папку программы:";
    texts.CapWarning = "Предупреждение...";
    texts.MsgNotInFolder = "В выбранной папке программа не обнаружена!";
    texts.MsgIncompatibleVersion = "В выбранной папке находится более ранняя или поздняя версия программы " + name +
                                   " не совместимая с данным пакетом!";
    texts.MsgLaunchQuestion = "Запустить программу " + name + "?";
    texts.MsgInstallOk = "Пакет установлен успешно!";
    texts.CapMessage = "Сообщение...";
    texts.MsgInstallFailed = "В процессе установки произошла ошибка, попробуйте установить пакет ещё раз!";
    texts.LblChooseCopy = "Выберите копию программы " + name + " для установки:";
    texts.MsgOtherCopies = "Для установки пакета в другую копию программы " + name + " запустите программу установки ещё раз!";
    texts.MsgFolderFound = "Папка программы успешно найдена!\r\nПуть к найденной папке:";
    texts.BtnBack = "<< &Назад";
    texts.LblElapsed = "Прошло времени:";
    texts.BtnExit = "&Выход";
    texts.LblAboutPackage = "О пакете:";
    texts.MsgPackageMissing = "Файлы пакета не найдены или повреждены. Извлеките из архива все файлы "
                              "и запустите программу установки ещё раз. Файлы искались в папке:";
    texts.MsgFileInUse = "Файл занят другой программой. Закройте её и нажмите \"Повтор\" "
                         "или нажмите \"Отмена\", чтобы прервать установку:";
    texts.MsgDiskSpace = "На диске недостаточно свободного места для установки пакета. Нужно / свободно (МБ):";
    texts.MsgAccessDenied = "Нет доступа: программа установки не может записывать в папку этой копии программы. "
                            "Запустите программу установки от имени администратора или выберите другую копию:";
    texts.MsgNeedsAdmin = "Для установки пакета в эту копию программы нужны права администратора. "
                          "Ничего не изменено. Папка копии:";
    texts.MsgInterruptedUndo = "Установка пакета %s в эту копию программы была прервана и не закончена. Программа "
                               "установки вернёт изменённые ею файлы в прежний вид. Продолжить?";
    texts.MsgInterruptedFinish = "Установка пакета %s в эту копию программы была прервана, когда все её файлы уже "
                                 "были на месте. Программа установки закончит её, удалив сохранённые старые файлы. "
                                 "Продолжить?";
    texts.MsgInterruptionSettled = "После прерванной установки пакета %s копия программы приведена в порядок.";
    texts.MsgLeftAsChanged = "Эти файлы изменены после прерванной установки и оставлены как есть:";
    texts.MsgJournalNotVouched = "В этой копии программы найдена запись о прерванной установке, за которую программа "
                                 "установки не может поручиться. Ничего не изменено, и пакет не будет установлен, "
                                 "пока эта запись там:";
    texts.MsgCopyBusy = "С этой копией программы сейчас работает другая программа установки. Ничего не изменено.";
    texts.MsgFileNotPutBack = "Не удалось вернуть на место файл, изменённый установкой. Копия программы пока оставлена "
                              "как есть; запустите программу установки ещё раз, когда файл освободится:";
    texts.MsgLinkMoved = "Папка этой копии программы ведёт в другое место, чем во время прерванной установки. "
                         "Программа установки ничего не изменила через неё. Папка:";
}

// The optional texts for a language file that does not supply them.
static void SetEnglishOptionalTexts(Catalogue& texts) {
    texts.MsgPackageMissing = "Setup files are missing or incomplete. Extract all files from the archive, "
                              "then run setup again. Setup looked for them in:";
    texts.MsgFileInUse = "A file is in use by another program. Close that program, then press Retry, "
                         "or press Cancel to stop the installation:";
    texts.MsgDiskSpace = "There is not enough free space on the disk for the package. Needed / free (MB):";
    texts.MsgAccessDenied = "Access denied: setup cannot write to this copy of the program. "
                            "Run setup as an administrator or choose another copy:";
    texts.MsgNeedsAdmin = "Installing the package into this copy of the program needs an administrator's rights. "
                          "Nothing was changed. The copy's folder:";
    texts.MsgInterruptedUndo = "An installation of package %s into this copy of the program was interrupted before "
                               "it finished. Setup will put back the files it changed. Continue?";
    texts.MsgInterruptedFinish = "An installation of package %s into this copy of the program was interrupted after "
                                 "all its files were in place. Setup will finish it by removing the old files it "
                                 "kept. Continue?";
    texts.MsgInterruptionSettled = "This copy of the program has been put in order after the interrupted "
                                   "installation of package %s.";
    texts.MsgLeftAsChanged = "These files were changed after the interrupted installation and were left as they are:";
    texts.MsgJournalNotVouched = "Setup found a record of an interrupted installation in this copy of the program "
                                 "that it cannot vouch for. Nothing was changed, and nothing will be installed while "
                                 "that record is there:";
    texts.MsgCopyBusy = "Another setup is working on this copy of the program. Nothing was changed.";
    texts.MsgFileNotPutBack = "A file changed by the installation could not be put back. The copy of the program is "
                              "left as it is for now; start setup again once the file is free:";
    texts.MsgLinkMoved = "A folder of this copy of the program now leads somewhere else than during the interrupted "
                         "installation. Setup changed nothing through it. The folder:";
}

namespace {

// Whether a line is a template formatted with the program's name, and whether
// its built-in text shows the name (the folder page's third paragraph shows none).
enum TemplateUse { Plain, Name, Bare };

// How one message line of a language file builds its entry: the first line of
// an entry replaces it, a continuation line appends its separator and text.
struct MessageLine {
    std::string Catalogue::*entry;
    const char* separator;  // nullptr: the line starts the entry
    const char* prefix;
    const char* suffix;
    TemplateUse use;
};

const MessageLine MessageLines[] = {
    {&Catalogue::MsgExitConfirm, nullptr, "", "", Plain},           // 1
    {&Catalogue::CapExitConfirm, nullptr, "", "...", Plain},        // 2
    {&Catalogue::BtnNext, nullptr, "", " >>", Plain},               // 3
    {&Catalogue::MsgProgramRunning, nullptr, "", "", Name},         // 4
    {&Catalogue::MsgProgramRunning, "\r\n\r\n", "", "", Plain},     // 5
    {&Catalogue::MsgNewerInstalled, nullptr, "", "", Plain},        // 6
    {&Catalogue::MsgAlreadyInstalled, nullptr, "", "", Plain},      // 7
    {&Catalogue::CapConfirm, nullptr, "", "...", Plain},            // 8
    {&Catalogue::LblProgramNotFound, nullptr, "", ":", Plain},      // 9
    {&Catalogue::LblInstallProgress, nullptr, "", ":", Plain},      // 10
    {&Catalogue::MsgNoCopyFound, nullptr, "", "", Plain},           // 11
    {&Catalogue::MsgNoCopyFound, "\r\n\r\n", "", "", Name},         // 12
    {&Catalogue::MsgNoCopyFound, "\r\n\r\n", "", "", Bare},         // 13
    {&Catalogue::LblChooseFolder, nullptr, "", ":", Plain},         // 14
    {&Catalogue::CapWarning, nullptr, "", "...", Plain},            // 15
    {&Catalogue::MsgNotInFolder, nullptr, "", "", Plain},           // 16
    {&Catalogue::MsgIncompatibleVersion, nullptr, "", "", Name},    // 17
    {&Catalogue::MsgLaunchQuestion, nullptr, "", "", Name},         // 18
    {&Catalogue::MsgInstallOk, nullptr, "", "", Plain},             // 19
    {&Catalogue::CapMessage, nullptr, "", "...", Plain},            // 20
    {&Catalogue::MsgInstallFailed, nullptr, "", "", Plain},         // 21
    {&Catalogue::LblChooseCopy, nullptr, "", ":", Name},            // 22
    {&Catalogue::MsgOtherCopies, nullptr, "", "", Name},            // 23
    {&Catalogue::MsgFolderFound, nullptr, "", "", Plain},           // 24
    {&Catalogue::MsgFolderFound, "\r\n", "", ":", Plain},           // 25
    {&Catalogue::BtnBack, nullptr, "<< ", "", Plain},               // 26
    {&Catalogue::LblElapsed, nullptr, "", ":", Plain},              // 27
    {&Catalogue::BtnExit, nullptr, "", "", Plain},                  // 28
    {&Catalogue::LblAboutPackage, nullptr, "", ":", Plain},         // 29
    // Optional lines: a file without them shows their English texts.
    {&Catalogue::MsgPackageMissing, nullptr, "", "", Plain},  // 30
    {&Catalogue::MsgFileInUse, nullptr, "", "", Plain},       // 31
    {&Catalogue::MsgDiskSpace, nullptr, "", "", Plain},       // 32
    {&Catalogue::MsgAccessDenied, nullptr, "", "", Plain},    // 33
    {&Catalogue::MsgNeedsAdmin, nullptr, "", "", Plain},      // 34
    // An interrupted run; the templates are filled with the package when shown.
    {&Catalogue::MsgInterruptedUndo, nullptr, "", "", Plain},
    {&Catalogue::MsgInterruptedFinish, nullptr, "", "", Plain},
    {&Catalogue::MsgInterruptionSettled, nullptr, "", "", Plain},
    {&Catalogue::MsgLeftAsChanged, nullptr, "", "", Plain},
    {&Catalogue::MsgJournalNotVouched, nullptr, "", "", Plain},
    {&Catalogue::MsgCopyBusy, nullptr, "", "", Plain},
    {&Catalogue::MsgFileNotPutBack, nullptr, "", "", Plain},
    // A folder link that moved since the interrupted run.
    {&Catalogue::MsgLinkMoved, nullptr, "", "", Plain},
};
constexpr int AllMessageLines = static_cast<int>(sizeof MessageLines / sizeof MessageLines[0]);
static_assert(AllMessageLines >= LanguageMessageLines);

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

bool FormatTemplate(const std::string& templ, const std::string& argument, std::string& out, TemplateFault* fault) {
    if (fault) *fault = TemplateFault{};
    out.clear();
    bool fits = true;
    bool argumentUsed = false;
    for (size_t i = 0; i < templ.size(); ++i) {
        if (templ[i] != '%') {
            out += templ[i];
            continue;
        }
        if (i + 1 < templ.size() && templ[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        size_t end = i + 1;
        bool leftAligned = false;
        while (end < templ.size() && templ[end] == '-') {
            leftAligned = true;
            ++end;
        }
        size_t width = 0;
        size_t precision = std::string::npos;
        bool sized = ReadFieldNumber(templ, end, width) &&
                     (end == templ.size() || templ[end] != '.' || ReadFieldNumber(templ, ++end, precision));
        if (sized && end < templ.size() && templ[end] == 's' && !argumentUsed) {
            argumentUsed = true;
            std::string value = argument.substr(0, precision);
            std::string padding(value.size() < width ? width - value.size() : 0, ' ');
            out += leftAligned ? value + padding : padding + value;
            i = end;
            continue;
        }
        // A translator's slip must not stop the install: the directive is shown as written.
        if (fits && fault) {
            if (i + 1 == templ.size()) fault->kind = TemplateFault::LonePercent;
            else if (!sized) fault->kind = TemplateFault::FieldTooLarge;
            else if (end < templ.size() && templ[end] == 's') fault->kind = TemplateFault::SecondArgument;
            else *fault = {TemplateFault::Unsupported, templ.substr(i, end + 1 - i)};
        }
        fits = false;
        out += '%';
    }
    return fits;
}

static void ApplyMessageLine(Catalogue& texts, int number, const std::string& line, const std::string& programName) {
    const MessageLine& rule = MessageLines[number - 1];
    std::string text = line;
    if (rule.use != Plain) FormatTemplate(line, programName, text);
    text = rule.prefix + text + rule.suffix;
    std::string& entry = texts.*rule.entry;
    if (rule.separator) entry += rule.separator + text;
    else entry = text;
}

bool IsSkippedLanguageLine(const std::string& line) { return line.empty() || IsCommentLine(line); }

int MessageLineCount() { return AllMessageLines; }

bool MessageLineIsTemplate(int number) {
    return number >= 1 && number <= AllMessageLines && MessageLines[number - 1].use != Plain;
}

bool MessageLineShowsName(int number) {
    return number >= 1 && number <= AllMessageLines && MessageLines[number - 1].use == Name;
}

int ApplyLanguageLines(Catalogue& texts, const std::vector<std::string>& lines, const std::string& programName) {
    int MessageLineCounter = 0;
    texts.BtnBack = "<< &Back";
    texts.LblElapsed = "Passed time:";
    SetEnglishOptionalTexts(texts);
    // The first line is the language's display name, whatever it holds.
    for (size_t i = 1; i < lines.size(); ++i) {
        if (IsSkippedLanguageLine(lines[i])) continue;
        ++MessageLineCounter;
        if (MessageLineCounter <= AllMessageLines)
            ApplyMessageLine(texts, MessageLineCounter, lines[i], programName);
    }
    return MessageLineCounter;
}
