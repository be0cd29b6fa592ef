// Temporary stand-ins until the other modules land.
#include "discovery/copy_registry.h"
#include "discovery/find_exe.h"
#include "discovery/version_lists.h"
#include "driver/running_check.h"
#include "driver/stamps.h"
#include "engine/install_run.h"
#include "lang/language_files.h"
#include "lang/catalogue.h"
#include "lang/language_list.h"
#include "ui/copy_list.h"

std::string FoundCopies[11];
HWND CopyListFrame = nullptr;
void LoadMessages(const std::string&) {}
int FillLanguageList() {
    CurrentLanguage = "Russian";
    return 0;
}
std::string LanguageKeyForEntry(const std::string&) { return "Russian"; }
void PruneCopyRecords(const std::string&, const std::string&, const std::string&) {}
std::string GetFileVersionString(const std::string&) { return ""; }
bool IsVersionSupported(const std::string&, const std::string&) { return true; }
void CollectCompatibleCopies(bool&) {}
std::string FindExeFolder(const std::string& folder) { return folder; }
bool IsTargetRunning() { return false; }
bool StampHasVersion(const std::string&) { return false; }
void LaunchTarget() {}
void RunInstall() {}
