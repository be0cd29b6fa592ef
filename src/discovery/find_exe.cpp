#include "discovery/find_exe.h"

#include "base/files.h"
#include "base/paths.h"

std::string FindExeFolder(const std::string& folder, const std::string& exeName) {
    for (const auto& candidate : FolderAndAncestors(folder, 4)) {
        // An empty parent would send the test to the current drive's root.
        if (!candidate.empty() && FileIsPresent(JoinPath(candidate, exeName))) return candidate;
    }
    return "";
}
