#include "driver/failure_boxes.h"

#include <windows.h>

#include "base/files.h"
#include "base/package_layout.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "driver/file_holders.h"
#include "engine/disk_files.h"
#include "engine/space_need.h"
#include "ui/toolkit.h"

namespace {

// Files counted in clusters of this size: the common one, and never too few.
const unsigned long AssumedCluster = 4096;

// The free room the user may fill on the volume holding `folder`; false when it does not answer.
bool FreeBytes(const std::string& folder, unsigned long long& free) {
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExA((folder + "\\").c_str(), &available, nullptr, nullptr)) return false;
    free = available.QuadPart;
    return true;
}

}  // namespace

bool AskRetryFileInUse(const Catalogue& texts, const std::string& target, const std::string& path) {
    std::string text = texts.MsgFileInUse + "\r\n" + PathForUser(path, target);
    for (const std::string& program : ProgramsHoldingFile(path)) text += "\r\n" + program;
    return ShowMessageBox(text, texts.CapWarning, MB_SYSTEMMODAL | MB_ICONWARNING | MB_RETRYCANCEL) == IDRETRY;
}

std::string InstallFailureDetails(const Catalogue& texts, const std::string& target, const InstallFailure& failure,
                                  const InstallFailure& lastRefusal) {
    InstallFailure told = WithRefusalCode(failure, lastRefusal);
    if (told.code != 0) told.reason = SystemErrorText(told.code);
    return FailureDetails(told, target, texts.MsgAccessDenied);
}

bool EnoughSpaceForRun(const Catalogue& texts, const std::string& setupFolder, const std::string& target,
                       const Package& package) {
    unsigned long long free = 0;
    if (!FreeBytes(target, free)) return true;
    DiskFiles files;
    unsigned long long needed = BytesTheRunWrites(files, PathSize, setupFolder, target, package, AssumedCluster);
    if (needed <= free) return true;
    ShowMessageBox(texts.MsgDiskSpace + "\r\n" + MegabytesText(needed, true) + " / " + MegabytesText(free, false),
                   texts.CapWarning, MB_SYSTEMMODAL | MB_ICONERROR);
    return false;
}

bool PackagePresentOrSay(const Catalogue& texts, const std::string& setupFolder) {
    if (FileIsPresent(JoinPath(setupFolder, SourcePackIni))) return true;
    ShowMessageBox(texts.MsgPackageMissing + "\r\n" + SourceFolder(setupFolder), texts.CapWarning,
                   MB_SYSTEMMODAL | MB_ICONERROR);
    return false;
}
