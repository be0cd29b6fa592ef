#include "driver/target_paths.h"

#include "driver/pack_info.h"

std::string PackageFolderIn(const std::string& target) {
    std::string folder = target;
    if (!PackBaseFolder.empty()) folder += "\\" + PackBaseFolder;
    if (!PackName.empty()) folder += "\\" + PackName;
    return folder;
}
