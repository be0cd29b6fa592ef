// A small stand-in for the target program: when started it records its own
// copy under the current user's copy records, as installed copies do, then
// shows one top-level window of its class until it is closed.
//   /norecord  do not touch the copy records
//   /quit      end right after recording, without a window
#include <windows.h>

#include <cstring>
#include <string>

#include "discovery/copy_registry.h"
#include "discovery/file_version.h"
#include "discovery/mini_reg.h"

#ifndef TARGET_WINDOW_CLASS
#define TARGET_WINDOW_CLASS "QuillTargetWnd"
#endif
#ifndef TARGET_PROGRAM_NAME
#define TARGET_PROGRAM_NAME "Quillset"
#endif

static std::string OwnPath() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) return path.substr(0, n);
        path.resize(path.size() * 2);
    }
}

// Appends a record for this copy unless one with the same executable exists.
static void RecordOwnCopy() {
    std::string exePath = OwnPath();
    int count = ReadCopyCount();
    for (int n = 1; n <= count; ++n) {
        if (ReadCopyRecord(CopyRecordPath(n)).ExePatch == exePath) return;
    }
    std::string record = CopyRecordPath(count + 1);
    WriteRegString(HKEY_CURRENT_USER, record + "\\ExePatch", exePath);
    WriteRegString(HKEY_CURRENT_USER, record + "\\Version", GetFileVersionString(exePath));
    WriteRegString(HKEY_CURRENT_USER, record + "\\ProgramName", TARGET_PROGRAM_NAME);
    WriteRegInteger(HKEY_CURRENT_USER, std::string(CopyRecordsKey) + "\\QuillsetPatchCount", count + 1);
}

static bool HasSwitch(const char* commandLine, const char* name) { return std::strstr(commandLine, name) != nullptr; }

static LRESULT CALLBACK TargetWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (!HasSwitch(commandLine, "/norecord")) RecordOwnCopy();
    if (HasSwitch(commandLine, "/quit")) return 0;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = TargetWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = TARGET_WINDOW_CLASS;
    if (!RegisterClassA(&windowClass)) return 1;
    HWND window = CreateWindowA(TARGET_WINDOW_CLASS, TARGET_PROGRAM_NAME, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 400, 200, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
