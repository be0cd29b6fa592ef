#include "base/paths.h"

#include <cctype>

#include "base/ascii.h"
#include "base/package_layout.h"

std::string JoinPath(const std::string& folder, const std::string& name) { return folder + "\\" + name; }

std::vector<std::string_view> PathNames(std::string_view path) {
    std::vector<std::string_view> names;
    size_t start = 0;
    for (;;) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string_view::npos) break;
        names.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    names.push_back(path.substr(start));
    return names;
}

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

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string PathRoot(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0])))
        return path.substr(0, 2) + "\\";
    if (path.size() < 3 || !IsSeparator(path[0]) || !IsSeparator(path[1]) || path[2] == '?' || path[2] == '.')
        return "";
    size_t server = path.find_first_of("\\/", 2);
    if (server == std::string::npos || server == 2) return "";
    size_t share = path.find_first_of("\\/", server + 1);
    if (share == server + 1) return "";
    return path.substr(0, share == std::string::npos ? path.size() : share) + "\\";
}

std::string SourceFolder(const std::string& setupFolder) { return JoinPath(setupFolder, SourceFolderName); }

std::string PackageFolderIn(const std::string& target, const std::string& baseFolder, const std::string& name) {
    std::string folder = target;
    if (!baseFolder.empty()) folder = JoinPath(folder, baseFolder);
    if (!name.empty()) folder = JoinPath(folder, name);
    return folder;
}

std::string PathCompareKey(const std::string& path) {
    std::string rest = path;
    for (char& c : rest)
        if (c == '/') c = '\\';
    std::string lead;  // "\\" before a share's server
    if (rest.rfind("\\\\?\\UNC\\", 0) == 0) {
        lead = "\\\\";
        rest.erase(0, 8);
    } else if (rest.rfind("\\\\?\\", 0) == 0) {
        rest.erase(0, 4);
    } else if (rest.rfind("\\\\", 0) == 0) {
        lead = "\\\\";
        rest.erase(0, 2);
    }
    std::vector<std::string_view> names;
    // The root's names (a drive, or a share's server and share) are never climbed out of.
    size_t rootNames = 0;
    for (std::string_view name : PathNames(rest)) {
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (names.size() > rootNames) names.pop_back();
            continue;
        }
        size_t kept = name.find_last_not_of(". ");
        if (kept == std::string_view::npos) continue;
        names.push_back(name.substr(0, kept + 1));
        if (names.size() == 1) rootNames = !lead.empty() ? 2 : names.front().back() == ':' ? 1 : 0;
    }
    std::string key = lead;
    for (size_t i = 0; i < names.size(); ++i) key.append(i ? "\\" : "").append(names[i]);
    if (names.size() == 1 && rootNames == 1) key += '\\';
    return AsciiLower(key);
}

std::string ReplacementPath(const std::string& path) { return path + ReplacementSuffix; }

bool IsReplacementPath(const std::string& path) {
    const std::string suffix = ReplacementSuffix;
    return path.size() > suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0;
}
