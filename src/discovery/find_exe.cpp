#include "discovery/find_exe.h"

#include "discovery/path_time.h"
#include "driver/pack_info.h"
#include "engine/file_ops.h"

std::string FindExeFolder(const std::string& folder) {
    for (const auto& candidate : ExeFolderCandidates(folder)) {
        // An empty parent would send the test to the current drive's root.
        if (!candidate.empty() && FileIsPresent(candidate + "\\" + PackExeName)) return candidate;
    }
    return "";
}
