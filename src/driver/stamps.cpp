#include "driver/stamps.h"

#include <windows.h>
#include <shellapi.h>

#include "base/paths.h"
#include "base/text_file.h"
#include "base/text_lines.h"

bool StampHasVersion(const std::string& path, const std::string& version) {
    return HoldsLine(ReadTextLines(path), version);
}

void LaunchTarget(const std::string& folder, const std::string& exeName) {
    std::string program = JoinPath(folder, exeName);
    // The executable may lie in a subfolder: the program runs where it lies.
    // It starts with the system's error boxes, not with setup's quiet mode.
    SetErrorMode(0);
    ShellExecuteA(nullptr, nullptr, program.c_str(), nullptr, FolderOf(program).c_str(), SW_SHOW);
}
