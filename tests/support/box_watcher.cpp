#include "support/box_watcher.h"

std::string WindowTextOf(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

struct BoxSearch {
    DWORD process;
    HWND found;
};

static BOOL CALLBACK FindBox(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<BoxSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    if (process != search->process || std::string(className) != "#32770" || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

AnsweredBox AnswerNextBox(DWORD mainThread, HWND window, const std::function<void(HWND box)>& atBox,
                          DWORD timeoutMs, int button) {
    AnsweredBox answered;
    DWORD start = GetTickCount();
    BoxSearch search{GetCurrentProcessId(), nullptr};
    while (!search.found && GetTickCount() - start < timeoutMs) {
        EnumWindows(FindBox, reinterpret_cast<LPARAM>(&search));
        if (!search.found) Sleep(1);
    }
    if (search.found) {
        HWND box = search.found;
        answered.seen = true;
        answered.text = WindowTextOf(GetDlgItem(box, 0xFFFF));
        answered.caption = WindowTextOf(box);
        if (atBox) atBox(box);
        PostMessageA(box, WM_COMMAND, button, 0);
        while (IsWindow(box) && GetTickCount() - start < timeoutMs) Sleep(1);
    }
    if (window && IsWindow(window)) PostThreadMessageA(mainThread, WM_QUIT, 0, 0);
    return answered;
}
