// The message catalogue: the 25 user-visible texts, their built-in Russian
// forms, and the rules by which a language file's lines replace them.
// Pure: the language file is handed in as lines.
#pragma once
#include <string>
#include <vector>

extern std::string MsgExitConfirm;
extern std::string CapExitConfirm;
extern std::string BtnNext;
extern std::string MsgProgramRunning;
extern std::string MsgNewerInstalled;
extern std::string MsgAlreadyInstalled;
extern std::string CapConfirm;
extern std::string LblProgramNotFound;
extern std::string LblInstallProgress;
extern std::string MsgNoCopyFound;
extern std::string LblChooseFolder;
extern std::string CapWarning;
extern std::string MsgNotInFolder;
extern std::string MsgIncompatibleVersion;
extern std::string MsgLaunchQuestion;
extern std::string MsgInstallOk;
extern std::string CapMessage;
extern std::string MsgInstallFailed;
extern std::string LblChooseCopy;
extern std::string MsgOtherCopies;
extern std::string MsgFolderFound;
extern std::string BtnBack;
extern std::string LblElapsed;
extern std::string BtnExit;
extern std::string LblAboutPackage;

extern int MessageLineCounter;  // message lines taken from the language file being read

const int CatalogueSize = 25;          // entries of the catalogue
const int LanguageMessageLines = 29;   // message lines of a complete language file
// The 25 entries in the order a language file supplies them.
extern std::string* const CatalogueEntries[CatalogueSize];

// Sets the three texts of the language page to Russian, or, with
// `languagePageOnly` false, all 25 (the composed ones with PackProgramName).
void SetRussianTexts(bool languagePageOnly);

// Applies a language file's lines (the first, the display name, included) as
// LoadMessages does: BtnBack and LblElapsed get their English texts first, then
// every message line replaces its entry. Throws TemplateError naming
// `fileName` and the line when a template does not fit one string argument.
void ApplyLanguageLines(const std::vector<std::string>& lines, const std::string& fileName);

// Formats a template with one string argument: "%s" (once, with optional "-",
// width and precision, each at most 9999) and "%%". Widths count bytes.
// Returns false for anything else; the text is never handed to printf.
bool FormatTemplate(const std::string& templ, const std::string& argument, std::string& out);
