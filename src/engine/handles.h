// Owning guards for Win32 handles: one tiny non-copyable type per handle kind,
// so every early return and every exception closes what was opened.
#pragma once
#include <windows.h>

class FileHandle {
public:
    explicit FileHandle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE get() const { return h_; }
    bool close() {
        bool ok = true;
        if (valid()) ok = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    ~FindHandle() {
        if (valid()) FindClose(h_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

class RegKey {
public:
    RegKey() = default;
    ~RegKey() {
        if (h_) RegCloseKey(h_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY* out() { return &h_; }
    HKEY get() const { return h_; }

private:
    HKEY h_ = nullptr;
};

class GdiObject {
public:
    explicit GdiObject(HGDIOBJ h = nullptr) : h_(h) {}
    ~GdiObject() {
        if (h_) DeleteObject(h_);
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    HGDIOBJ get() const { return h_; }

private:
    HGDIOBJ h_;
};
