#include "driver/stamps.h"

#include <windows.h>
#include <shellapi.h>

#include "driver/pack_info.h"
#include "driver/setup.h"
#include "engine/text_file.h"
#include "engine/uninstall_merge.h"

bool StampHasVersion(const std::string& path) { return HoldsLine(ReadTextLines(path), PackVersion); }

void LaunchTarget() {
    std::string program = ChosenFolder + "\\" + PackExeName;
    // PackExeName may reach into subfolders: the program runs where it lies.
    std::string folder = program.substr(0, program.find_last_of("\\/"));
    ShellExecuteA(nullptr, nullptr, program.c_str(), nullptr, folder.c_str(), SW_SHOW);
}
