#include "discovery/version_lists.h"

#include "base/files.h"
#include "base/package_layout.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "discovery/copy_registry.h"
#include "discovery/file_version.h"
#include "discovery/version_match.h"

bool IsVersionSupported(const std::string& setupFolder, const Package& package, const std::string& version,
                        const std::string& exePath) {
    for (const std::string& line : ReadTextLines(JoinPath(SourceFolder(setupFolder), VersionsName))) {
        if (VersionsMatch(version, line)) return true;
    }
    std::string packages = JoinPath(FolderOf(exePath), ResourcePackages);
    if (!FileIsPresent(packages)) return false;
    std::string entry = package.InstalledEntry();
    for (const std::string& line : ReadTextLines(packages)) {
        if (line == entry) return true;
    }
    return false;
}

FoundCopyTable CollectCompatibleCopies(const std::string& setupFolder, const Package& package) {
    RootReachability roots;
    return CollectCompatibleCopies(setupFolder, package, roots);
}

FoundCopyTable CollectCompatibleCopies(const std::string& setupFolder, const Package& package, RootReachability& roots,
                                       const UnfinishedRunTest& unfinishedRun) {
    FoundCopyTable table;
    int lastNumber = 0;
    std::string exePath;
    FindNextCopy(package.PackProgramName, lastNumber, exePath);
    while (!exePath.empty()) {
        // A kept record whose drive is away names no copy that can be installed into.
        if (roots.IsReachable(exePath) &&
            ((unfinishedRun && unfinishedRun(exePath)) ||
             (FileIsPresent(exePath) && IsVersionSupported(setupFolder, package, GetFileVersionString(exePath), exePath)))) {
            if (table.FoundCopies[0].empty())
                table.FoundCopies[0] = exePath;
            else if (exePath != table.FoundCopies[0])
                AddFoundCopy(table, exePath);
        }
        FindNextCopy(package.PackProgramName, lastNumber, exePath);
    }
    return table;
}
