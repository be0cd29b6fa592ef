// Owners of Win32 handles, one type per kind (files, searches, registry keys,
// processes, snapshots, GDI objects, device contexts, shell item lists), so
// every early return and every exception releases what was acquired.
#pragma once
#include <windows.h>
#include <objbase.h>

// One owner template; a kind says what its empty value is and how it is released.
template <typename Kind>
class Owned {
public:
    using Handle = typename Kind::Handle;
    explicit Owned(Handle handle = Kind::Empty()) : handle_(handle) {}
    ~Owned() { reset(); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    // Moving hands the handle over; the source is left empty.
    Owned(Owned&& other) noexcept : handle_(other.release()) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    bool valid() const { return Kind::IsValid(handle_); }
    Handle get() const { return handle_; }
    // The empty slot, for a call that hands its handle back through a pointer.
    Handle* receive() {
        reset();
        return &handle_;
    }
    // Releases the handle now; false when the system refused (a file's last
    // buffered bytes may not have been written).
    bool reset(Handle handle = Kind::Empty()) {
        bool released = true;
        if (valid()) released = Kind::Release(handle_);
        handle_ = handle;
        return released;
    }
    // Gives the handle up without releasing it.
    Handle release() {
        Handle handle = handle_;
        handle_ = Kind::Empty();
        return handle;
    }

private:
    Handle handle_;
};

struct FileKind {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static bool Release(Handle h) { return CloseHandle(h) != 0; }
};
struct SnapshotKind : FileKind {};  // Tool Help snapshots: INVALID_HANDLE_VALUE when refused
struct ProcessKind {                // processes and threads: null when refused
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Release(Handle h) { return CloseHandle(h) != 0; }
};
struct FindKind {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Handle h) { return h != INVALID_HANDLE_VALUE; }
    static bool Release(Handle h) { return FindClose(h) != 0; }
};
struct RegKeyKind {
    using Handle = HKEY;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Release(Handle h) { return RegCloseKey(h) == ERROR_SUCCESS; }
};
struct GdiObjectKind {
    using Handle = HGDIOBJ;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Release(Handle h) { return DeleteObject(h) != 0; }
};
struct ShellMemoryKind {  // what the shell hands out from the COM allocator (item lists)
    using Handle = void*;
    static Handle Empty() { return nullptr; }
    static bool IsValid(Handle h) { return h != nullptr; }
    static bool Release(Handle h) {
        CoTaskMemFree(h);
        return true;
    }
};

using FileHandle = Owned<FileKind>;
using SnapshotHandle = Owned<SnapshotKind>;
using ProcessHandle = Owned<ProcessKind>;
using FindHandle = Owned<FindKind>;
using RegKey = Owned<RegKeyKind>;
using GdiObject = Owned<GdiObjectKind>;
using ShellMemory = Owned<ShellMemoryKind>;

// A window's device context, released to its window.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// The thread's COM apartment, left again only when this owner entered it.
class ComApartment {
public:
    ComApartment() : entered_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (entered_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool entered_;
};
