// The window toolkit the pages build on: the two fonts, the control factory,
// the main window, message boxes, the fatal error box, read-only edits, text
// measuring and the page loop.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "base/handles.h"
#include "ui/layout.h"

// Tahoma -11 normal for every button, list, edit and ordinary label; Tahoma 13
// bold for the package title and the page header; both heights at 96 DPI,
// scaled to the screen's. Made once per run.
struct Fonts {
    GdiObject FontNormal;
    GdiObject FontTitle;
    void CreateFonts();
    HFONT Of(FontKind kind) const;
};

// Shows a box without owner; `flags` are MessageBoxA's (system-modal, the
// icon, the buttons). Returns the button pressed.
int ShowMessageBox(const std::string& text, const std::string& caption, UINT flags);
// The "Application Error" box for a failure that ends the run.
void ShowFatalError(const std::string& text);
// Shows that box and ends the process with exit code 1, for failures met where
// an exception cannot travel up to the last-resort handler (32-bit exceptions
// cannot cross the system's frames).
[[noreturn]] void EndWithFatalError(const std::string& text);

// The screen's DPI (LOGPIXELSY), read once; the program declares itself DPI
// aware, so this is the real one.
int ScreenDpi();
// A length or rectangle of the layout tables on this screen.
int Scaled(int units);
Rect Scaled(const Rect& rect);

// The outer width and height of the main window whose client area is that
// wide and high, from the frame the system really draws for its style.
int OuterWidth(int clientWidth);
int OuterHeight(int clientHeight);
int CenteredLeft(int width);
int CenteredTop(int height);

HWND CreateControl(const std::string& className, const std::string& text, DWORD style, const Rect& rect, HWND parent,
                   int id, HFONT font);
// A control of the layout on `parent`, its rectangle scaled to the screen.
HWND CreateControl(const ControlTemplate& control, const std::string& text, HWND parent, const Fonts& fonts);
// Puts `control` right after `previous` in Z order, which is the order Tab
// and screen readers follow.
void PlaceAfter(HWND control, HWND previous);

// Registers the class "myWindow" with `procedure` and creates the centred main
// window (not shown); `owner` reaches the procedure as the window's user data.
// 0 when the class cannot be registered.
HWND CreateMainWindow(const std::string& title, WNDPROC procedure, void* owner);
// The pointer handed to CreateMainWindow, from inside the window procedure.
void* MainWindowOwner(HWND window, UINT message, LPARAM lParam);

// The icon group `name` of the program's own resources at the large icon size,
// as the system's icon extraction from the file would give it.
HICON LoadOwnIcon(const char* name);

// Holds back the painting of a visible window and its controls while a page is
// put together on it, then paints it once. Does nothing for a hidden window.
class FrozenPainting {
public:
    explicit FrozenPainting(HWND window);
    ~FrozenPainting();
    FrozenPainting(const FrozenPainting&) = delete;
    FrozenPainting& operator=(const FrozenPainting&) = delete;

private:
    HWND window_;
};

// A copy of `source` stretched smoothly (halftone) to width x height; empty
// when the system refuses.
GdiObject StretchedBitmap(HBITMAP source, int width, int height);

// Typed characters and single clicks never reach the edit; the rest does.
// Tab, Enter and Esc are left to the window's keyboard handling.
void MakeReadOnly(HWND edit);
SIZE MeasureText(HDC dc, HFONT font, const std::string& text);
int TextWidth(HDC dc, HFONT font, const std::string& text);
// The text of a list box item ("" when there is none), whatever its length.
std::string ListItemText(HWND list, int index);
// One message of `window`'s loop, with dialog keyboard handling: Tab and the
// arrows move the focus, Enter presses the default button, Esc sends IDCANCEL,
// Alt+letter presses the button with that mnemonic.
void DispatchPageMessage(HWND window, MSG& message);
// Shows the window and runs its message loop until WM_QUIT; `watch` runs
// before the loop, after every message and at the end.
void RunPage(HWND window, const std::function<void()>& watch);
