#include "base/paths.h"

std::string JoinPath(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

std::string FolderOf(const std::string& path) {
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

std::string ParentFolder(const std::string& path) {
    size_t cut = path.find_last_of("\\:");
    if (cut == std::string::npos) return "";
    if (path[cut] == '\\' && cut > 0 && path[cut - 1] == ':') return path.substr(0, cut + 1);
    return path.substr(0, cut);
}

std::vector<std::string> FolderAndAncestors(const std::string& folder, int ancestors) {
    std::vector<std::string> chain{folder};
    for (int i = 0; i < ancestors; ++i) chain.push_back(ParentFolder(chain.back()));
    return chain;
}

std::string SourceFolder(const std::string& setupFolder) { return JoinPath(setupFolder, "Source"); }

std::string PackageFolderIn(const std::string& target, const std::string& baseFolder, const std::string& name) {
    std::string folder = target;
    if (!baseFolder.empty()) folder = JoinPath(folder, baseFolder);
    if (!name.empty()) folder = JoinPath(folder, name);
    return folder;
}
