#include "e2e/harness.h"

#include <shlobj.h>

#include <stdexcept>

SetupProcess::~SetupProcess() {
    if (info.hProcess) {
        if (running()) {
            TerminateProcess(info.hProcess, 99);
            WaitForSingleObject(info.hProcess, 5000);
        }
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
}

bool SetupProcess::running() const { return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }

int SetupProcess::waitExit(DWORD timeoutMs) {
    if (WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return static_cast<int>(code);
}

void StartSetup(SetupProcess& process, const std::string& folder, const std::string& currentFolder) {
    std::string exe = folder + "\\setup.exe";
    if (!CopyFileA(SETUP_EXE_PATH, exe.c_str(), FALSE)) throw std::runtime_error("cannot copy setup.exe to " + exe);
    std::string commandLine = "\"" + exe + "\"";
    std::string cwd = currentFolder.empty() ? folder : currentFolder;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(), &startup,
                        &process.info)) {
        throw std::runtime_error("cannot start " + exe);
    }
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string WindowText(HWND window) {
    int length = static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
    std::string text(length + 1, '\0');
    int got = static_cast<int>(SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
    text.resize(got > 0 ? got : 0);
    return text;
}

namespace {
struct WindowQuery {
    DWORD pid;
    std::string className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    auto* query = reinterpret_cast<WindowQuery*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != query->pid || !IsWindowVisible(window)) return TRUE;
    if (!query->className.empty() && ClassOf(window) != query->className) return TRUE;
    query->found.push_back(window);
    return TRUE;
}
}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const std::string& className) {
    WindowQuery query{pid, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND WaitForTopWindow(DWORD pid, const std::string& className, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            auto windows = TopWindows(pid, className);
            if (windows.empty()) return false;
            found = windows.front();
            return true;
        },
        timeoutMs);
    return found;
}

HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs) { return WaitForTopWindow(pid, "#32770", timeoutMs); }

std::string MessageBoxText(HWND box) {
    HWND text = GetDlgItem(box, 0xFFFF);
    return text ? WindowText(text) : std::string();
}

void PressDialogButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    if (button) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    } else {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }
}

static bool IsTextBox(HWND window) { return GetDlgItem(window, 0xFFFF) != nullptr; }

static HWND WaitForDialog(DWORD pid, const std::function<bool(HWND)>& accept, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND window : TopWindows(pid, "#32770")) {
                if (accept(window)) {
                    found = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND WaitForTextBox(DWORD pid, DWORD timeoutMs) { return WaitForDialog(pid, IsTextBox, timeoutMs); }

HWND WaitForFolderBrowser(DWORD pid, DWORD timeoutMs) {
    return WaitForDialog(
        pid, [](HWND window) { return FindWindowExA(window, nullptr, "SysTreeView32", nullptr) != nullptr; },
        timeoutMs);
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

BoxSeen AnswerBox(DWORD pid, int buttonId) {
    HWND box = WaitForTextBox(pid);
    if (!box) throw std::runtime_error("no message box appeared");
    BoxSeen seen{WindowText(box), MessageBoxText(box)};
    PressDialogButton(box, buttonId);
    if (!WaitGone(box)) throw std::runtime_error("the message box \"" + seen.caption + "\" stayed");
    return seen;
}

void ClickButton(HWND mainWindow, int id) {
    HWND button = GetDlgItem(mainWindow, id);
    PostMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void ClickListItem(HWND mainWindow, int listId, int index) {
    HWND list = GetDlgItem(mainWindow, listId);
    LPARAM from = reinterpret_cast<LPARAM>(list);
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(listId, LBN_SETFOCUS), from);
    SendMessageA(list, LB_SETCURSEL, index, 0);
    SendMessageA(mainWindow, WM_COMMAND, MAKEWPARAM(listId, LBN_SELCHANGE), from);
}

std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        int length = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, i, 0));
        std::string text(length + 1, '\0');
        int got = static_cast<int>(SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data())));
        text.resize(got > 0 ? got : 0);
        items.push_back(text);
    }
    return items;
}

void PickFolderInBrowser(HWND browser, DWORD pid, const std::string& folder) {
    // The browser reads the path from its own address space, so it is put there.
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) throw std::runtime_error("cannot open the setup process");
    void* remote = VirtualAllocEx(process, nullptr, folder.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    SIZE_T wrote = 0;
    if (!remote || !WriteProcessMemory(process, remote, folder.c_str(), folder.size() + 1, &wrote)) {
        CloseHandle(process);
        throw std::runtime_error("cannot hand the folder to the browser");
    }
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote));
    PressDialogButton(browser, IDOK);
    WaitGone(browser);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
}
