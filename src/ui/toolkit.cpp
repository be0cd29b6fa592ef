#include "ui/toolkit.h"

#include <shellapi.h>

#include "driver/hardening.h"
#include "driver/pack_info.h"
#include "ui/main_window.h"

HWND MainWindow = nullptr;
bool WindowClosed = false;
HFONT FontNormal = nullptr;
HFONT FontTitle = nullptr;
DWORD ChildStyle = WS_CHILD | WS_VISIBLE;
int HoverTipsOn = 0;
int ShownTipItem = -1;
HWND PageList = nullptr;
HWND TipWindow = nullptr;
TOOLINFOA TipRecord{};

static WNDCLASSEXA MainClassRecord{};
static WNDPROC OldEditProc = nullptr;
static MSG PageMessage{};
static const int ListItemHeight = 13;

UINT IconFlagsForKind(const std::string& kind) {
    std::string word = AsciiLower(kind);
    if (word == "warning") return MB_ICONWARNING;
    if (word == "info") return MB_ICONINFORMATION;
    if (word == "quest") return MB_ICONQUESTION;
    if (word == "error") return MB_ICONERROR;
    return 0;
}

int ShowMessageBox(const std::string& text, const std::string& caption, const std::string& kind, UINT baseFlags) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), baseFlags + IconFlagsForKind(kind));
}

int OuterWidth(int clientWidth) { return clientWidth + 2 * GetSystemMetrics(SM_CXBORDER); }

int OuterHeight(int clientHeight) {
    return clientHeight + GetSystemMetrics(SM_CYCAPTION) +
           2 * (GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYFRAME) - 2);
}

int CenteredLeft(int width) { return GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2; }
int CenteredTop(int height) { return GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2; }

HWND CreateControl(const std::string& className, const std::string& text, DWORD style, int x, int y, int width,
                   int height, HWND parent, int id, HFONT font) {
    HWND control = CreateWindowExA(0, className.c_str(), text.c_str(), style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                   nullptr);
    if (control && font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    return control;
}

static HFONT MakeTahoma(int height, int weight) {
    return CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
}

// The progress bar and tooltip classes live in the common controls. The library
// is loaded by name at run time, after the DLL search has been limited to the
// system folder, so that no copy planted beside the program is bound at load time.
static void RegisterCommonControls() {
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE library = LoadLibraryA("comctl32.dll");
    auto init = library ? FunctionAs<InitFn>(GetProcAddress(library, "InitCommonControlsEx")) : nullptr;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    if (init) init(&controls);
}

void CreateFonts() {
    FontNormal = MakeTahoma(-11, FW_NORMAL);
    FontTitle = MakeTahoma(13, FW_BOLD);
}

void CreateMainWindow(const std::string& title, int clientHeight, int clientWidth, DWORD style) {
    RegisterCommonControls();
    CreateFonts();
    ChildStyle = WS_CHILD | WS_VISIBLE;
    MainClassRecord.cbSize = sizeof MainClassRecord;
    MainClassRecord.style = CS_VREDRAW | CS_HREDRAW;
    MainClassRecord.lpfnWndProc = MainWindowProc;
    MainClassRecord.hInstance = GetModuleHandleA(nullptr);
    MainClassRecord.hIcon = ExtractIconA(nullptr, OwnExecutablePath().c_str(), 1);
    MainClassRecord.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    MainClassRecord.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    MainClassRecord.lpszClassName = "myWindow";
    if (!RegisterClassExA(&MainClassRecord)) WindowClosed = true;
    int width = OuterWidth(clientWidth);
    int height = OuterHeight(clientHeight);
    MainWindow = CreateControl("myWindow", title, style, CenteredLeft(width), CenteredTop(height), width, height,
                               nullptr, 0, nullptr);
}

static LRESULT CALLBACK ReadOnlyEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR || message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) return 0;
    return CallWindowProcA(OldEditProc, window, message, wParam, lParam);
}

void MakeReadOnly(HWND edit) {
    OldEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReadOnlyEditProc)));
}

SIZE MeasureText(HDC dc, const std::string& text) {
    SIZE size{0, 0};
    SelectObject(dc, FontNormal);
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

int TextWidth(HDC dc, const std::string& text) { return MeasureText(dc, text).cx; }

std::string ListItemText(HWND list, int index) {
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length <= 0) return "";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT got = SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    return text;
}

static std::string HoverTipText;  // TipRecord points into it while the tip shows

void UpdateHoverTip() {
    if (HoverTipsOn != 1) return;
    int item = -1;
    int width = 0;
    bool show = false;
    POINT cursor{};
    RECT list{};
    GetCursorPos(&cursor);
    GetWindowRect(PageList, &list);
    if (cursor.x >= list.left && cursor.x <= list.right && cursor.y >= list.top && cursor.y <= list.bottom) {
        item = GetScrollPos(PageList, SB_VERT) + (cursor.y - list.top) / ListItemHeight;
        if (item != ShownTipItem) {
            HoverTipText = ListItemText(PageList, item);
            HDC dc = GetDC(PageList);
            width = TextWidth(dc, HoverTipText);
            ReleaseDC(PageList, dc);
            show = width > (list.right - list.left) - 20;
        }
    }
    if (show) {
        ShownTipItem = item;
        int screenWidth = GetSystemMetrics(SM_CXSCREEN);
        int tipLeft = list.left + 20;
        if (screenWidth < tipLeft + width + 20) tipLeft = screenWidth - width - 10;
        TipRecord.lpszText = HoverTipText.data();
        SendMessageA(TipWindow, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&TipRecord));
        int tipTop = (item - GetScrollPos(PageList, SB_VERT) + 1) * ListItemHeight + list.top;
        SendMessageA(TipWindow, TTM_TRACKPOSITION, 0, MAKELPARAM(tipLeft & 0xFFFF, tipTop & 0xFFFF));
        SendMessageA(TipWindow, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&TipRecord));
    } else if (ShownTipItem != -1 && item != ShownTipItem) {
        ShownTipItem = -1;
        SendMessageA(TipWindow, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&TipRecord));
    }
}

void RunPage() {
    ShowWindow(MainWindow, SW_SHOWNORMAL);
    UpdateWindow(MainWindow);
    BringWindowToTop(MainWindow);
    UpdateHoverTip();
    while (GetMessageA(&PageMessage, nullptr, 0, 0)) {
        TranslateMessage(&PageMessage);
        DispatchMessageA(&PageMessage);
        UpdateHoverTip();
    }
    UpdateHoverTip();
}
