#include "driver/target_paths.h"

#include "driver/pack_info.h"

std::string FolderOfPath(const std::string& path) {
    size_t cut = path.find_last_of('\\');
    if (cut == std::string::npos) return "";
    if (cut == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, cut);
}

std::string PackageFolderIn(const std::string& target) {
    std::string folder = target;
    if (!PackBaseFolder.empty()) folder += "\\" + PackBaseFolder;
    if (!PackName.empty()) folder += "\\" + PackName;
    return folder;
}
