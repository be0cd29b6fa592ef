#include "ui/toolkit.h"

#include <commctrl.h>

#include "base/system_library.h"

static GdiObject MakeTahoma(int height, int weight) {
    return GdiObject(CreateFontA(height, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma"));
}

void Fonts::CreateFonts() {
    FontNormal = MakeTahoma(Scaled(-11), FW_NORMAL);
    FontTitle = MakeTahoma(Scaled(13), FW_BOLD);
}

HFONT Fonts::Of(FontKind kind) const {
    switch (kind) {
        case FontKind::Normal: return static_cast<HFONT>(FontNormal.get());
        case FontKind::Title: return static_cast<HFONT>(FontTitle.get());
        case FontKind::None: break;
    }
    return nullptr;
}

int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), flags);
}

void ShowFatalError(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Application Error", MB_TASKMODAL | MB_ICONERROR | MB_OK);
}

void EndWithFatalError(const std::string& text) {
    ShowFatalError(text);
    ExitProcess(1);
}

int ScreenDpi() {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        int found = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
        if (screen) ReleaseDC(nullptr, screen);
        return found > 0 ? found : DesignDpi;
    }();
    return dpi;
}

int Scaled(int units) { return ScaleLength(units, ScreenDpi()); }
Rect Scaled(const Rect& rect) { return ScaleRect(rect, ScreenDpi()); }

// The frame around a client area of the main window's style.
static RECT MainFrame() {
    RECT frame{0, 0, 0, 0};
    DWORD style = Layout::MainStyle;
    // An overlapped window gets a caption whether its style names one or not.
    if (!(style & (WS_POPUP | WS_CHILD))) style |= WS_CAPTION;
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    return frame;
}

int OuterWidth(int clientWidth) {
    RECT frame = MainFrame();
    return clientWidth + frame.right - frame.left;
}

int OuterHeight(int clientHeight) {
    RECT frame = MainFrame();
    return clientHeight + frame.bottom - frame.top;
}

int CenteredLeft(int width) { return GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2; }
int CenteredTop(int height) { return GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2; }

static HWND CreateWindowWith(const std::string& className, const std::string& text, DWORD style, const Rect& rect,
                             HWND parent, int id, HFONT font, void* creationData) {
    HWND window = CreateWindowExA(0, className.c_str(), text.c_str(), style, rect.x, rect.y, rect.width, rect.height,
                                  parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                  creationData);
    if (window && font) SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    return window;
}

HWND CreateControl(const std::string& className, const std::string& text, DWORD style, const Rect& rect, HWND parent,
                   int id, HFONT font) {
    return CreateWindowWith(className, text, style, rect, parent, id, font, nullptr);
}

HWND CreateControl(const ControlTemplate& control, const std::string& text, HWND parent, const Fonts& fonts) {
    return CreateControl(control.className, text, control.style, Scaled(control.rect), parent, control.id,
                         fonts.Of(control.font));
}

void PlaceAfter(HWND control, HWND previous) {
    SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
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

HWND CreateMainWindow(const std::string& title, WNDPROC procedure, void* owner) {
    RegisterCommonControls();
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    // The file's second icon group; taken from the resources directly, which
    // spares loading the shell at start-up.
    windowClass.hIcon = LoadOwnIcon("MICON");
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = "myWindow";
    // A class that is already there (a second window in one process) serves as well.
    if (!RegisterClassExA(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    int width = OuterWidth(Scaled(Layout::ClientWidth)), height = OuterHeight(Scaled(Layout::ClientHeight));
    Rect place{CenteredLeft(width), CenteredTop(height), width, height};
    return CreateWindowWith("myWindow", title, Layout::MainStyle, place, nullptr, 0, nullptr, owner);
}

void* MainWindowOwner(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        void* owner = reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
        return owner;
    }
    return reinterpret_cast<void*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

HICON LoadOwnIcon(const char* name) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC group = FindResourceA(module, name, reinterpret_cast<LPCSTR>(RT_GROUP_ICON));
    HGLOBAL groupData = group ? LoadResource(module, group) : nullptr;
    auto* directory = groupData ? static_cast<PBYTE>(LockResource(groupData)) : nullptr;
    if (!directory) return nullptr;
    int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
    int id = LookupIconIdFromDirectoryEx(directory, TRUE, width, height, LR_DEFAULTCOLOR);
    HRSRC image = id ? FindResourceA(module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_ICON)) : nullptr;
    HGLOBAL imageData = image ? LoadResource(module, image) : nullptr;
    auto* bits = imageData ? static_cast<PBYTE>(LockResource(imageData)) : nullptr;
    if (!bits) return nullptr;
    return CreateIconFromResourceEx(bits, SizeofResource(module, image), TRUE, 0x00030000, width, height,
                                    LR_DEFAULTCOLOR);
}

FrozenPainting::FrozenPainting(HWND window) : window_(IsWindowVisible(window) ? window : nullptr) {
    if (window_) SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
}

FrozenPainting::~FrozenPainting() {
    if (!window_) return;
    SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

GdiObject StretchedBitmap(HBITMAP source, int width, int height) {
    BITMAP size{};
    if (!GetObjectA(source, sizeof size, &size)) return GdiObject();
    HDC screen = GetDC(nullptr);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    GdiObject stretched(CreateCompatibleBitmap(screen, width, height));
    ReleaseDC(nullptr, screen);
    if (from && to && stretched.valid()) {
        HGDIOBJ oldFrom = SelectObject(from, source);
        HGDIOBJ oldTo = SelectObject(to, stretched.get());
        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, nullptr);  // as HALFTONE requires
        StretchBlt(to, 0, 0, width, height, from, 0, 0, size.bmWidth, size.bmHeight, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
    }
    if (from) DeleteDC(from);
    if (to) DeleteDC(to);
    return stretched;
}

// The edit's own procedure is kept in its user data, which edits leave to the program.
static LRESULT CALLBACK ReadOnlyEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR || message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) return 0;
    auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_USERDATA));
    LRESULT result = CallWindowProcA(original, window, message, wParam, lParam);
    // A multi-line edit asks for every key; one that takes no typing keeps
    // only the arrows, so Tab, Enter and Esc work as in the rest of the window.
    if (message == WM_GETDLGCODE) result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
    return result;
}

void MakeReadOnly(HWND edit) {
    LONG_PTR original = SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReadOnlyEditProc));
    SetWindowLongPtrA(edit, GWLP_USERDATA, original);
}

SIZE MeasureText(HDC dc, HFONT font, const std::string& text) {
    SIZE size{0, 0};
    SelectObject(dc, font);
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return size;
}

int TextWidth(HDC dc, HFONT font, const std::string& text) { return MeasureText(dc, font, text).cx; }

std::string ListItemText(HWND list, int index) {
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length == LB_ERR || length <= 0) return "";
    std::string text(static_cast<size_t>(length) + 1, '\0');
    LRESULT got = SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got == LB_ERR ? 0 : static_cast<size_t>(got));
    return text;
}

void DispatchPageMessage(HWND window, MSG& message) {
    if (window && IsDialogMessageA(window, &message)) return;
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

void RunPage(HWND window, const std::function<void()>& watch) {
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    BringWindowToTop(window);
    watch();
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        DispatchPageMessage(window, message);
        watch();
    }
    watch();
}
