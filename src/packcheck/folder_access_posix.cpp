#include <iconv.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "packcheck/folder_access.h"

namespace fs = std::filesystem;

const char NativeSeparator = '/';

static bool IsAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Whole text from one encoding to another; nothing when a byte does not convert.
static std::optional<std::string> Convert(const char* to, const char* from, const std::string& text) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out(text.size() * 4 + 4, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* next = out.data();
    size_t outLeft = out.size();
    size_t done = iconv(converter, &in, &inLeft, &next, &outLeft);
    iconv_close(converter);
    if (done == static_cast<size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
}

// A UTF-8 name as setup would see it on a Russian system; other bytes as they are.
static std::string AnsiName(const std::string& diskName) {
    if (IsAscii(diskName)) return diskName;
    return Convert("CP1251", "UTF-8", diskName).value_or(diskName);
}

// The time fits an MS-DOS date: local years 1980 to 2107.
static bool HasDosDate(time_t lastWrite) {
    struct tm local {};
    if (!localtime_r(&lastWrite, &local)) return false;
    int year = local.tm_year + 1900;
    return year >= 1980 && year <= 2107;
}

bool ListFolderTree(const std::string& root, std::vector<TreeEntry>& entries) {
    std::error_code error;
    if (!fs::is_directory(root, error)) return false;
    fs::recursive_directory_iterator walk(root, error), end;
    if (error) return false;
    for (; walk != end; walk.increment(error)) {
        if (error) return false;
        std::string diskName = walk->path().lexically_relative(root).generic_string();
        TreeEntry entry;
        entry.diskName = diskName;
        std::string name = AnsiName(diskName);
        std::replace(name.begin(), name.end(), '/', '\\');
        entry.name = name;
        struct stat info {}, own {};
        if (stat(walk->path().c_str(), &info) != 0) continue;
        entry.link = lstat(walk->path().c_str(), &own) == 0 && S_ISLNK(own.st_mode);
        entry.folder = S_ISDIR(info.st_mode);
        entry.dosDated = HasDosDate(info.st_mtime);
        entry.readOnly = !entry.folder && !(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
        entries.push_back(entry);
    }
    std::sort(entries.begin(), entries.end(), [](const TreeEntry& a, const TreeEntry& b) { return a.name < b.name; });
    return true;
}

std::optional<std::string> ReadWholeFile(const std::string& root, const std::string& diskName) {
    std::ifstream file(root + "/" + diskName, std::ios::binary);
    if (!file) return std::nullopt;
    std::ostringstream bytes;
    bytes << file.rdbuf();
    if (file.bad()) return std::nullopt;
    return bytes.str();
}

bool CanWriteOnDisk(const std::string& root, const std::string& diskName, bool) {
    // The kernel's own verdict for this process, its user and groups included.
    return access((diskName.empty() ? root : root + "/" + diskName).c_str(), W_OK) == 0;
}

std::optional<unsigned long long> FreeBytesOnVolume(const std::string& folder) {
    struct statvfs volume {};
    if (statvfs(folder.c_str(), &volume) != 0) return std::nullopt;
    return static_cast<unsigned long long>(volume.f_bavail) * volume.f_frsize;
}

bool TargetRunsFrom(const Package&, const std::string&) { return false; }

void PrepareConsole() {}

std::string ConsoleText(const std::string& ansi) {
    if (IsAscii(ansi)) return ansi;
    return Convert("UTF-8", "CP1251", ansi).value_or(ansi);
}
