// Windows paths as the program builds them: plain concatenation with a
// backslash, folders held without a trailing one. The setup folder's Source
// folder and the package folder below a target are spelled here once. Pure.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// folder + "\" + name.
std::string JoinPath(const std::string& folder, const std::string& name);
// The names between the path's "\" and "/" separators, in order; a leading,
// trailing or doubled separator gives an empty name. Views into `path`.
std::vector<std::string_view> PathNames(std::string_view path);
// The path up to its last "\" or "/" (the system takes both between names);
// "" when it has neither.
std::string FolderOf(const std::string& path);
// The path up to its last backslash or colon; a backslash right after a drive
// colon stays (C:\Games -> C:\, C:\ -> C:\); "" when there is neither. The walk
// from a picked folder up to the target program's folder takes this step.
std::string ParentFolder(const std::string& path);
// The folder, then its parent, and so on: `ancestors` + 1 paths, the same one
// repeated once the root is reached.
std::vector<std::string> FolderAndAncestors(const std::string& folder, int ancestors);
// The root a path lives on: "C:\" for a drive path, "\\server\share\" for a
// share; "" for a relative path or any other form.
std::string PathRoot(const std::string& path);
// Two names of one file give the same key: "/" taken as "\", doubled
// separators, "." and ".." resolved (never above the root), the trailing dots
// and blanks the system drops from each name dropped, a "\\?\" prefix left
// out, and ASCII letters lower-cased. A drive root keeps its "\" ("c:\").
std::string PathCompareKey(const std::string& path);
// The setup folder's Source folder, where the package's own files lie.
std::string SourceFolder(const std::string& setupFolder);
// target + "\" + baseFolder + "\" + name, each level only when it is not empty.
std::string PackageFolderIn(const std::string& target, const std::string& baseFolder, const std::string& name);
// The temporary file a replacement of `path` writes first: "<path>.setup-tmp".
// One left by a killed run is removed by the next replacement of `path`.
std::string ReplacementPath(const std::string& path);
// True for a temporary's name: one that ends like a ReplacementPath.
bool IsReplacementPath(const std::string& path);
