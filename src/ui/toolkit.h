// The window toolkit every page builds on: the shared fonts, the control
// factory, the main window, message boxes by kind word, read-only edits, text
// measuring, the page loop and the hover tip of the copy list.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

extern HWND MainWindow;       // the one top-level window; 0 until created
extern bool WindowClosed;     // the main window is gone (or its class could not be registered)
extern HFONT FontNormal;      // Tahoma -11, normal
extern HFONT FontTitle;       // Tahoma 13, bold
extern DWORD ChildStyle;      // WS_CHILD | WS_VISIBLE: every control's base style
extern int HoverTipsOn;       // 1 while the copy list exists
extern int ShownTipItem;      // list item whose tip is showing, -1 for none
extern HWND PageList;         // the list box of the current page
extern HWND TipWindow;        // the tooltip window of the copy list
extern TOOLINFOA TipRecord;   // the one tracking tool registered with TipWindow

// MessageBoxA without owner; the kind word ("warning", "info", "quest",
// "error", any case) adds its icon to the base flags.
int ShowMessageBox(const std::string& text, const std::string& caption, const std::string& kind, UINT baseFlags);
// Icon flags for a kind word; 0 for any other word. Pure arithmetic, kept apart for tests.
UINT IconFlagsForKind(const std::string& kind);

int OuterWidth(int clientWidth);
int OuterHeight(int clientHeight);
int CenteredLeft(int width);
int CenteredTop(int height);

HWND CreateControl(const std::string& className, const std::string& text, DWORD style, int x, int y, int width,
                   int height, HWND parent, int id, HFONT font);
void CreateFonts();
void CreateMainWindow(const std::string& title, int clientHeight, int clientWidth, DWORD style);
void MakeReadOnly(HWND edit);
SIZE MeasureText(HDC dc, const std::string& text);
int TextWidth(HDC dc, const std::string& text);
// The text of a list box item ("" when there is none), whatever its length.
std::string ListItemText(HWND list, int index);
void UpdateHoverTip();
void RunPage();
