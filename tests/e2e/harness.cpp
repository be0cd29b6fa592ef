#include "e2e/harness.h"

#include <shlobj.h>
#include <tlhelp32.h>

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
    StartSetupFrom(process, SETUP_EXE_PATH, folder, currentFolder);
}

// The limited half of this process's split token: not split with consent
// prompts off, on XP, or when already limited.
HANDLE LimitedToken() {
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &own)) return nullptr;
    TOKEN_ELEVATION_TYPE type{};
    TOKEN_LINKED_TOKEN linked{};
    DWORD size = 0;
    bool full = GetTokenInformation(own, TokenElevationType, &type, sizeof type, &size) &&
                type == TokenElevationTypeFull;
    bool gotLinked = full && GetTokenInformation(own, TokenLinkedToken, &linked, sizeof linked, &size);
    CloseHandle(own);
    if (!gotLinked) return nullptr;
    HANDLE primary = nullptr;
    DuplicateTokenEx(linked.LinkedToken, MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary, &primary);
    CloseHandle(linked.LinkedToken);
    return primary;
}

void StartSetupFrom(SetupProcess& process, const std::string& builtExe, const std::string& folder,
                    const std::string& currentFolder, const std::string& arguments, SetupRights rights) {
    std::string exe = folder + "\\setup.exe";
    if (!CopyFileA(builtExe.c_str(), exe.c_str(), FALSE)) throw std::runtime_error("cannot copy setup.exe to " + exe);
    std::string commandLine = "\"" + exe + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    std::string cwd = currentFolder.empty() ? folder : currentFolder;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    HANDLE token = rights == SetupRights::Standard ? LimitedToken() : nullptr;
    BOOL started = token ? CreateProcessAsUserA(token, exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                                nullptr, cwd.c_str(), &startup, &process.info)
                         : CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                          cwd.c_str(), &startup, &process.info);
    if (token) CloseHandle(token);
    if (!started) throw std::runtime_error("cannot start " + exe);
}

bool ProcessTokenIsElevated(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process) return false;
    HANDLE token = nullptr;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    bool elevated = OpenProcessToken(process, TOKEN_QUERY, &token) &&
                    GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                    elevation.TokenIsElevated;
    if (token) CloseHandle(token);
    CloseHandle(process);
    return elevated;
}

DWORD ParentProcessOf(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    DWORD parent = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (entry.th32ProcessID == pid) parent = entry.th32ParentProcessID;
    }
    CloseHandle(snapshot);
    return parent;
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
        // Asked for wide text, because Wine hands an ANSI request from another
        // process the wide text unconverted.
        int length = static_cast<int>(SendMessageW(list, LB_GETTEXTLEN, i, 0));
        std::wstring wide(length + 1, L'\0');
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()));
        wide.resize(wcslen(wide.c_str()));
        std::string text(wide.size() * 2 + 1, '\0');
        int got = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), text.data(),
                                      static_cast<int>(text.size()), nullptr, nullptr);
        text.resize(got > 0 ? got : 0);
        items.push_back(text);
    }
    return items;
}

namespace {
// Memory in another process, for messages whose pointers that process reads.
struct RemoteBuffer {
    HANDLE process;
    char* address;
    RemoteBuffer(DWORD pid, size_t size)
        : process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid)),
          address(process ? static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                                              PAGE_READWRITE))
                          : nullptr) {
        if (!address) throw std::runtime_error("cannot reach into the setup process");
    }
    ~RemoteBuffer() {
        VirtualFreeEx(process, address, 0, MEM_RELEASE);
        CloseHandle(process);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    void write(size_t offset, const void* data, size_t size) {
        SIZE_T done = 0;
        WriteProcessMemory(process, address + offset, data, size, &done);
    }
    std::string readText(size_t offset, size_t size) {
        std::string text(size, '\0');
        SIZE_T done = 0;
        ReadProcessMemory(process, address + offset, text.data(), size, &done);
        return text.c_str();
    }
};

// The text of the tree view's selected item.
std::string SelectedTreeText(HWND tree, RemoteBuffer& remote) {
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    if (!item) return "";
    TVITEMA query{};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = item;
    query.pszText = remote.address + 1024;
    query.cchTextMax = 512;
    remote.write(0, &query, sizeof query);
    remote.write(1024, "", 1);
    SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.address));
    return remote.readText(1024, 512);
}
}  // namespace

void PickFolderInBrowser(HWND browser, DWORD pid, const std::string& folder) {
    // The browser reads the path, and the tree its item record, in its own
    // address space. The selection is repeated until the tree shows the folder
    // selected, since the browser may still be filling its tree.
    RemoteBuffer remote(pid, 4096 + folder.size());
    remote.write(2048, folder.c_str(), folder.size() + 1);
    HWND tree = FindWindowExA(browser, nullptr, "SysTreeView32", nullptr);
    std::string leaf = folder.substr(folder.find_last_of('\\') + 1);
    bool selected = WaitFor([&] {
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote.address + 2048));
        return SelectedTreeText(tree, remote) == leaf;
    });
    if (!selected) throw std::runtime_error("the folder browser did not select " + folder);
    PressDialogButton(browser, IDOK);
    WaitGone(browser);
}

namespace {
struct ChildQuery {
    HWND parent;
    RECT wanted;
    HWND found;
};

BOOL CALLBACK MatchChildRect(HWND child, LPARAM param) {
    auto* query = reinterpret_cast<ChildQuery*>(param);
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, query->parent, reinterpret_cast<POINT*>(&rect), 2);
    if (EqualRect(&rect, &query->wanted)) {
        query->found = child;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND ChildAt(HWND parent, int x, int y, int width, int height) {
    ChildQuery query{parent, {x, y, x + width, y + height}, nullptr};
    EnumChildWindows(parent, MatchChildRect, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND FocusedWindow(HWND anyWindow) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(anyWindow, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

static HWND KeyTarget(HWND anyWindow) {
    HWND focus = FocusedWindow(anyWindow);
    return focus ? focus : anyWindow;
}

static LPARAM KeyData(UINT virtualKey, bool alt, bool release) {
    LPARAM data = 1 | (static_cast<LPARAM>(MapVirtualKeyA(virtualKey, 0)) << 16);
    if (alt) data |= 1 << 29;
    if (release) data |= 0xC0000000;
    return data;
}

void PressKey(HWND anyWindow, UINT virtualKey) {
    HWND target = KeyTarget(anyWindow);
    PostMessageA(target, WM_KEYDOWN, virtualKey, KeyData(virtualKey, false, false));
    PostMessageA(target, WM_KEYUP, virtualKey, KeyData(virtualKey, false, true));
}

void PressAltKey(HWND anyWindow, char letter) {
    HWND target = KeyTarget(anyWindow);
    auto key = static_cast<unsigned char>(letter);
    PostMessageA(target, WM_SYSCHAR, key, KeyData(VkKeyScanA(letter) & 0xFF, true, false));
}

void PressAltF4(HWND anyWindow) {
    HWND target = KeyTarget(anyWindow);
    PostMessageA(target, WM_SYSKEYDOWN, VK_F4, KeyData(VK_F4, true, false));
    PostMessageA(target, WM_SYSKEYUP, VK_F4, KeyData(VK_F4, true, true));
}

void MouseClickListRow(HWND list, int index) {
    RECT row{};
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row));
    LPARAM at = MAKELPARAM((row.left + row.right) / 2, (row.top + row.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
}

BoxSeen AnswerBoxByKey(DWORD pid, int tabs) {
    HWND box = WaitForTextBox(pid, 30000);  // a loaded machine under qemu can take that long
    if (!box) throw std::runtime_error("no message box appeared");
    BoxSeen seen{WindowText(box), MessageBoxText(box)};
    // The box takes keys once one of its buttons has the focus.
    if (!WaitFor([&] { HWND f = FocusedWindow(box); return f && GetParent(f) == box; })) {
        throw std::runtime_error("the message box \"" + seen.caption + "\" has no focused button");
    }
    for (int tab = 0; tab < tabs; ++tab) {
        HWND from = FocusedWindow(box);
        PressKey(box, VK_TAB);
        if (!WaitFor([&] { return FocusedWindow(box) != from; })) throw std::runtime_error("Tab did not move in the box");
    }
    PressKey(box, VK_RETURN);
    if (!WaitGone(box)) throw std::runtime_error("the message box \"" + seen.caption + "\" stayed");
    return seen;
}

std::string ScreenReaderLabel(HWND control) {
    for (HWND before = GetWindow(control, GW_HWNDPREV); before; before = GetWindow(before, GW_HWNDPREV)) {
        if (lstrcmpiA(ClassOf(before).c_str(), "static") == 0 && !WindowText(before).empty()) {
            return WindowText(before);
        }
    }
    return "";
}
