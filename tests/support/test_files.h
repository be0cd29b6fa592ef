// Helpers for tests that work on real files under Wine: a scratch folder that
// is removed afterwards, and whole-file reads and writes of raw bytes.
#pragma once
#include <string>
#include <vector>

// A fresh empty folder under the system temporary folder; removed with its
// contents when the object goes away.
struct ScratchDir {
    std::string path;
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string operator/(const std::string& relative) const { return path + "\\" + relative; }
};

// Writes bytes to path, creating missing folders.
void WriteBytes(const std::string& path, const std::string& bytes);
std::string ReadBytes(const std::string& path);
bool PathExists(const std::string& path);
void MakeFolders(const std::string& path);
void RemoveTree(const std::string& path);
// The names of the entries in a folder, sorted.
std::vector<std::string> FolderListing(const std::string& folder);
