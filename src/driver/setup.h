// The driver: the program's entry sequence RunSetup, its start-up defaults and
// the shared state that the pages and the install run read and write.
#pragma once
#include <string>

extern std::string ProductName;     // "Quillsetter.TV"
extern std::string ProductVersion;  // "1.0.0.lang"
// While the copy list is shown, the picked copy's executable path; after the
// copy stage, the target program's folder without a trailing backslash.
extern std::string ChosenFolder;
extern bool GoBack;             // the last page ended with Back
extern bool LanguagePageDone;   // language list notifications are ignored
extern bool CopyListInactive;   // copy list notifications are ignored
extern int LastListSelection;   // index of the last list selection handled, -1 for none
extern bool LaunchOnExit;       // start the target program when the run ends

// The folder of the program's own executable, without a trailing backslash.
std::string SetupFolder();

bool CheckOsVersion();
void InitStartupState();
void RunSetup();

// Shows the "Application Error" box for a failure that ends the run.
void ShowFatalError(const std::string& text);
// Shows that box and ends the process with exit code 1, for failures met where
// an exception cannot travel up to the last-resort handler.
[[noreturn]] void EndWithFatalError(const std::string& text);
