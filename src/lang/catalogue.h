// The message catalogue: the user-visible texts in one record, their built-in
// Russian forms, and the rules by which a language file's lines replace them.
// Pure: the language file is handed in as lines.
#pragma once
#include <string>
#include <vector>

struct Catalogue {
    std::string MsgExitConfirm;
    std::string CapExitConfirm;
    std::string BtnNext;
    std::string MsgProgramRunning;
    std::string MsgNewerInstalled;
    std::string MsgAlreadyInstalled;
    std::string CapConfirm;
    std::string LblProgramNotFound;
    std::string LblInstallProgress;
    std::string MsgNoCopyFound;
    std::string LblChooseFolder;
    std::string CapWarning;
    std::string MsgNotInFolder;
    std::string MsgIncompatibleVersion;
    std::string MsgLaunchQuestion;
    std::string MsgInstallOk;
    std::string CapMessage;
    std::string MsgInstallFailed;
    std::string LblChooseCopy;
    std::string MsgOtherCopies;
    std::string MsgFolderFound;
    std::string BtnBack;
    std::string LblElapsed;
    std::string BtnExit;
    std::string LblAboutPackage;
    // Texts a language file may supply after its 29 lines. Each is plain text
    // ending where the caller adds the details (a folder, a file, figures) below.
    std::string MsgPackageMissing;
    std::string MsgFileInUse;
    std::string MsgDiskSpace;
    std::string MsgAccessDenied;
    // The consent prompt refused: this copy needs an administrator (the folder below).
    std::string MsgNeedsAdmin;
    // An install run interrupted in the chosen copy: the two questions (a
    // template with the package and version at %s), the outcome (the same),
    // and what stops it from being settled.
    std::string MsgInterruptedUndo;
    std::string MsgInterruptedFinish;
    std::string MsgInterruptionSettled;
    std::string MsgLeftAsChanged;
    std::string MsgJournalNotVouched;
    std::string MsgCopyBusy;
    std::string MsgFileNotPutBack;
    // A folder link of the copy leads elsewhere than during the interrupted
    // run: nothing was done through it (the link below).
    std::string MsgLinkMoved;
};

constexpr int LanguageMessageLines = 29;  // message lines every language file has
// All message lines a language file can have: the 29 and the optional ones after them.
int MessageLineCount();

// The two English exit texts the language page asks with until a language is loaded.
void SetEnglishExitTexts(Catalogue& texts);
// Sets the three texts of the language page to Russian, or, with
// `languagePageOnly` false, all of them (the composed ones with the program's name).
void SetRussianTexts(Catalogue& texts, const std::string& programName, bool languagePageOnly);

// Applies a language file's lines (the first, the display name, included):
// BtnBack, LblElapsed and the optional texts get their English texts first
// (never a Russian text among another language's), then every message
// line replaces or extends its entry; entries the file does not reach keep
// their texts. Returns the number of message lines read. A template that does
// not fit the program's name as its one argument is used as FormatTemplate
// leaves it, never refused.
int ApplyLanguageLines(Catalogue& texts, const std::vector<std::string>& lines, const std::string& programName);

// True for a line that is no message line: a comment or an empty line.
bool IsSkippedLanguageLine(const std::string& line);
// True when message line `number` (1-based) is a template formatted with the program's name.
bool MessageLineIsTemplate(int number);
// True when message line `number` is a template whose built-in text shows the program's name.
bool MessageLineShowsName(int number);

// Formats a template with one string argument: "%s" (once, with optional "-",
// width and precision, each at most 9999) and "%%". Widths count bytes.
// Returns false for anything else, and `out` is then what setup shows: the
// argument at the first "%s" that fits, "%%" as "%", and every other "%" (a
// second "%s", "%d", a lone "%") as written. Never handed to printf. When
// `fault` is given, it says what is wrong with the first directive shown as written.
struct TemplateFault {
    enum Kind { None, LonePercent, FieldTooLarge, SecondArgument, Unsupported } kind = None;
    std::string directive;  // Unsupported: the directive up to the character that ends it
};
bool FormatTemplate(const std::string& templ, const std::string& argument, std::string& out,
                    TemplateFault* fault = nullptr);
