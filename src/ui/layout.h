// The wizard's window as data: its size and style, every control as a named
// rectangle with its class, style bits, command and font, and the pages with
// their header text, controls and button states. Client coordinates of the
// 495 x 328 client area, in pixels at 96 DPI; the window scales them to the
// screen's DPI.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "lang/catalogue.h"

enum CommandId {
    CmdExit = 1027,
    CmdCopyList = 1029,
    CmdNext = 1030,
    CmdBack = 1046,
    CmdLanguageList = 1050,
};

struct Rect {
    int x, y, width, height;
};

constexpr int DesignDpi = 96;
// A length of the tables at `dpi`, rounded half away from zero as MulDiv does.
constexpr int ScaleLength(int units, int dpi) {
    long long product = static_cast<long long>(units) * dpi;
    long long half = DesignDpi / 2;
    return static_cast<int>(product >= 0 ? (product + half) / DesignDpi : -((-product + half) / DesignDpi));
}
constexpr Rect ScaleRect(const Rect& rect, int dpi) {
    return {ScaleLength(rect.x, dpi), ScaleLength(rect.y, dpi), ScaleLength(rect.width, dpi),
            ScaleLength(rect.height, dpi)};
}

enum class FontKind { None, Normal, Title };

struct ControlTemplate {
    const char* className;
    DWORD style;  // complete, WS_CHILD | WS_VISIBLE included for child controls
    Rect rect;
    int id;
    FontKind font;
};

namespace Layout {

constexpr int ClientWidth = 495;
constexpr int ClientHeight = 328;
constexpr DWORD MainStyle = WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD ChildStyle = WS_CHILD | WS_VISIBLE;
// The lists, the text box and the three buttons take the focus by Tab.
constexpr DWORD ListStyle = ChildStyle | WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
constexpr DWORD TextBoxStyle = ChildStyle | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE;
constexpr DWORD ButtonStyle = ChildStyle | WS_TABSTOP;
constexpr DWORD FrameStyle = ChildStyle | SS_ETCHEDFRAME;

// The permanent controls, in the order they are made (which is their Z order
// and the order screen readers and Tab follow): the header comes right before
// the page's control, which each page puts there, and the buttons after it.
constexpr ControlTemplate BottomRule{"static", ChildStyle | SS_ETCHEDHORZ, {10, 288, 475, 10}, 0, FontKind::None};
constexpr ControlTemplate VersionLabel{"static", ChildStyle | WS_DISABLED, {12, 302, 210, 14}, 0, FontKind::Normal};
constexpr ControlTemplate Banner{"static", ChildStyle | SS_BITMAP | SS_CENTERIMAGE, {0, 0, 495, 58}, 0, FontKind::None};
constexpr ControlTemplate TitleFrame{"static", FrameStyle, {130, 20, 340, 24}, 0, FontKind::None};
constexpr ControlTemplate TitlePanel{"static", ChildStyle, {131, 21, 337, 21}, 0, FontKind::None};
constexpr ControlTemplate PackageTitle{"static", ChildStyle | SS_CENTER, {138, 25, 300, 15}, 0, FontKind::Title};
constexpr ControlTemplate HeaderLabel{"static", ChildStyle, {80, 76, 340, 28}, 0, FontKind::Title};
constexpr ControlTemplate BackButton{"button", ButtonStyle, {160, 298, 100, 22}, CmdBack, FontKind::Normal};
// Enter presses Next.
constexpr ControlTemplate NextButton{"button", ButtonStyle | BS_DEFPUSHBUTTON, {270, 298, 100, 22}, CmdNext,
                                     FontKind::Normal};
constexpr ControlTemplate ExitButton{"button", ButtonStyle, {380, 298, 100, 22}, CmdExit, FontKind::Normal};

// Page controls: a framed list or text box, the copy list's tip, the progress pair.
constexpr ControlTemplate LanguageFrame{"static", FrameStyle, {43, 104, 405, 156}, 0, FontKind::None};
constexpr ControlTemplate LanguageList{"listbox", ListStyle, {45, 106, 400, 152}, CmdLanguageList, FontKind::Normal};
constexpr ControlTemplate TextFrame{"static", FrameStyle, {73, 105, 344, 156}, 0, FontKind::None};
constexpr ControlTemplate TextBox{"edit", TextBoxStyle, {75, 107, 340, 152}, 0, FontKind::Normal};
constexpr ControlTemplate CopyListFrame{"static", FrameStyle, {23, 109, 445, 154}, 0, FontKind::None};
constexpr ControlTemplate CopyList{"listbox", ListStyle, {25, 111, 440, 150}, CmdCopyList, FontKind::Normal};
constexpr ControlTemplate TipWindow{"tooltips_class32", WS_POPUP, {0, 0, 0, 0}, 0, FontKind::Normal};
constexpr ControlTemplate ProgressBar{"msctls_progress32", ChildStyle, {80, 163, 340, 20}, 0, FontKind::Normal};
constexpr ControlTemplate ElapsedLabel{"static", ChildStyle, {80, 266, 340, 20}, 0, FontKind::Normal};

}  // namespace Layout

enum class PageId { Language, About, CopyList, Folder, Install };
enum class ButtonState { Unchanged, Enabled, Disabled };

// One page: its header (a catalogue text, or a fixed one on the language page),
// the framed control it shows, and what it does to the Next and Back buttons.
struct PageEntry {
    PageId id;
    std::string Catalogue::*header;  // nullptr: the fixed text below
    const char* fixedHeader;
    const ControlTemplate* frame;
    const ControlTemplate* control;
    ButtonState next;
    ButtonState back;
};

constexpr PageEntry Pages[] = {
    {PageId::Language, nullptr, "Please select a language:", &Layout::LanguageFrame, &Layout::LanguageList,
     ButtonState::Disabled, ButtonState::Disabled},
    {PageId::About, &Catalogue::LblAboutPackage, nullptr, &Layout::TextFrame, &Layout::TextBox, ButtonState::Enabled,
     ButtonState::Disabled},
    {PageId::CopyList, &Catalogue::LblChooseCopy, nullptr, &Layout::CopyListFrame, &Layout::CopyList,
     ButtonState::Disabled, ButtonState::Enabled},
    {PageId::Folder, &Catalogue::LblProgramNotFound, nullptr, &Layout::TextFrame, &Layout::TextBox,
     ButtonState::Unchanged, ButtonState::Enabled},
    {PageId::Install, &Catalogue::LblInstallProgress, nullptr, nullptr, nullptr, ButtonState::Disabled,
     ButtonState::Disabled},
};

constexpr bool PagesInIdOrder() {
    int at = 0;
    for (const PageEntry& page : Pages) {
        if (static_cast<int>(page.id) != at++) return false;
    }
    return true;
}
static_assert(PagesInIdOrder(), "PageOf finds a page by its place in Pages");

constexpr const PageEntry& PageOf(PageId id) { return Pages[static_cast<int>(id)]; }
