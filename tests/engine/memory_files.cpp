#include "engine/memory_files.h"

#include <vector>

#include "base/failure.h"
#include "base/paths.h"
#include "base/text_lines.h"

std::string MemoryFiles::Normal(const std::string& path) {
    std::vector<std::string> names;
    for (std::string_view name : PathNames(path)) {
        if (name == "..") {
            if (!names.empty()) names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.emplace_back(name);
        }
    }
    std::string normal;
    for (const auto& name : names) normal += (normal.empty() ? "" : "\\") + name;
    return normal;
}

void MemoryFiles::Put(const std::string& path, const std::string& bytes) {
    CreateFolderTree(FolderOf(Normal(path)));
    files[Normal(path)] = bytes;
}

std::string MemoryFiles::Bytes(const std::string& path) const {
    auto it = files.find(Normal(path));
    return it == files.end() ? "<absent>" : it->second;
}

bool MemoryFiles::FileIsPresent(const std::string& path) { return Has(path); }

TextBuffer MemoryFiles::ReadText(const std::string& path) {
    auto it = files.find(Normal(path));
    if (it == files.end()) throw FileError(path, "The system cannot find the file specified.");
    return SplitTextBuffer(std::vector<char>(it->second.begin(), it->second.end()));
}

void MemoryFiles::Replace(const std::string& path, const std::string& bytes) {
    std::string folder = FolderOf(Normal(path));
    if (!folder.empty() && !folders.count(folder)) throw FileError(path, "The system cannot find the path specified.");
    if (refusedWrites.count(Normal(path))) throw FileError(path, "Access is denied.");
    if (Has(path)) ++rewrites;
    files[Normal(path)] = bytes;
}

void MemoryFiles::WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) {
    std::string bytes;
    produce([&](std::string_view line) { bytes.append(line).append("\r\n"); });
    Replace(path, bytes);
}

void MemoryFiles::CopyWholeFile(const std::string& source, const std::string& destination) {
    auto it = files.find(Normal(source));
    if (it == files.end()) throw FileError(source, "The system cannot find the file specified.");
    Replace(destination, it->second);
}

bool MemoryFiles::CopyPackageFile(const std::string& source, const std::string& destination) {
    std::string to = Normal(destination);
    if (refusedCopies.count(to)) return Has(to);
    Put(to, files.at(Normal(source)));
    return true;
}

void MemoryFiles::RemoveFile(const std::string& path) { files.erase(Normal(path)); }

void MemoryFiles::CreateFolderTree(const std::string& folder) {
    for (std::string f = Normal(folder); !f.empty(); f = FolderOf(f)) folders.insert(f);
}
