#include "engine/install_files.h"

int CountScriptLines(InstallFiles& files, const std::string& path) {
    if (!files.FileIsPresent(path)) return 0;
    return static_cast<int>(files.ReadText(path).lines.size());
}
