#include "engine/space_need.h"

#include "base/package_layout.h"
#include "base/paths.h"
#include "engine/script_safety.h"

namespace {

struct Tally {
    unsigned long cluster;
    unsigned long long bytes = 0;
    void File(long long size) {
        if (size <= 0) return;
        unsigned long long whole = static_cast<unsigned long long>(size);
        bytes += (whole + cluster - 1) / cluster * cluster;
    }
};

// A journal line names the file and where its old one goes: twice the path and a little more.
long long JournalLine(const std::string& relative) { return 2 * static_cast<long long>(relative.size()) + 40; }

}  // namespace

unsigned long long BytesTheRunWrites(InstallFiles& files, const FileSizeOf& sizeOf, const std::string& setupFolder,
                                     const std::string& target, const Package& package, unsigned long cluster) {
    Tally tally{cluster ? cluster : 1};
    std::string source = SourceFolder(setupFolder);
    std::string packageSub = PackageFolderIn("", package.PackBaseFolder, package.PackName);
    long long journal = 1024;
    auto copies = [&](const char* script, const std::string& subFolder) {
        std::string path = JoinPath(source, script);
        if (!files.FileIsPresent(path)) return;
        for (const std::string& line : files.ReadLines(path)) {
            if (ClassifyScriptLine(subFolder, line) != ScriptLineKind::File) continue;
            std::string relative = ScriptLineRelative(line);
            tally.File(sizeOf(JoinPath(JoinPath(source, PackFolderName), relative)));
            journal += JournalLine(subFolder + relative);
        }
    };
    copies(TargetCopyScriptName, "");
    copies(PackageCopyScriptName, packageSub);
    std::string deletes = JoinPath(source, DeleteScriptName);
    if (files.FileIsPresent(deletes)) {
        for (const std::string& line : files.ReadLines(deletes)) journal += JournalLine(line);
    }
    // The uninstall record: replaced whole, or the old one with the added lines at most.
    long long wholeRecord = sizeOf(JoinPath(source, UninstallName));
    long long oldRecord = sizeOf(JoinPath(target, ResourceUninstall));
    if (wholeRecord >= 0) {
        tally.File(wholeRecord);
    } else if (oldRecord >= 0) {
        long long added = sizeOf(JoinPath(source, UninstallAddScriptName));
        tally.File(oldRecord + (added > 0 ? added : 0));
    }
    if (package.PackMode != "New") {
        long long components = sizeOf(JoinPath(target, ResourceInstallComponents));
        tally.File((components > 0 ? components : 0) + static_cast<long long>(package.InstalledEntry().size()) + 2);
        tally.File(static_cast<long long>(package.PackVersion.size()) + 2);
    }
    tally.File(sizeOf(JoinPath(source, OldVersionsName)));
    tally.File(journal);
    return tally.bytes;
}

std::string MegabytesText(unsigned long long bytes, bool roundUp) {
    const unsigned long long megabyte = 1 << 20;
    unsigned long long tenths = roundUp ? (bytes * 10 + megabyte - 1) / megabyte : bytes * 10 / megabyte;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}
