#include "discovery/version_lists.h"

#include "discovery/copy_registry.h"
#include "discovery/version_match.h"
#include "driver/pack_info.h"
#include "driver/setup.h"
#include "engine/file_ops.h"
#include "engine/text_file.h"
#include "ui/copy_list.h"

static std::string FolderOf(const std::string& path) {
    size_t cut = path.rfind('\\');
    return cut == std::string::npos ? "" : path.substr(0, cut);
}

bool IsVersionSupportedIn(const std::string& setupFolder, const std::string& version, const std::string& exePath) {
    for (const std::string& line : ReadTextLines(setupFolder + "\\Source\\Versions.ini")) {
        if (VersionsMatch(version, line)) return true;
    }
    std::string packages = FolderOf(exePath) + "\\Resource\\Packages.ini";
    if (!FileIsPresent(packages)) return false;
    std::string entry = PackName + "/" + PackVersion;
    for (const std::string& line : ReadTextLines(packages)) {
        if (line == entry) return true;
    }
    return false;
}

bool IsVersionSupported(const std::string& version, const std::string& exePath) {
    return IsVersionSupportedIn(SetupFolder(), version, exePath);
}

void CollectCompatibleCopiesIn(const std::string& setupFolder, bool& listCreated) {
    int lastNumber = 0;
    int usedSlots = 1;
    std::string exePath;
    FindNextCopy(PackProgramName, lastNumber, exePath);
    while (!exePath.empty()) {
        if (IsVersionSupportedIn(setupFolder, GetFileVersionString(exePath), exePath)) {
            if (FoundCopies[0].empty())
                FoundCopies[0] = exePath;
            else if (exePath != FoundCopies[0])
                AddFoundCopy(listCreated, exePath, usedSlots);
        }
        FindNextCopy(PackProgramName, lastNumber, exePath);
    }
}

void CollectCompatibleCopies(bool& listCreated) { CollectCompatibleCopiesIn(SetupFolder(), listCreated); }
