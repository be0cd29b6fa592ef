// The copy list's tip: shown for a row too wide for the list while the cursor
// rests on it, hidden on a row that fits.
#include "ui/hover_tip.h"

#include <gtest/gtest.h>

#include "base/system_library.h"
#include "ui/toolkit.h"

// The tip window the list's owner got: the one tooltip owned by it.
static HWND TipOf(HWND owner) {
    HWND found = nullptr;
    for (HWND w = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr); w && !found;
         w = FindWindowExA(nullptr, w, TOOLTIPS_CLASSA, nullptr)) {
        if (GetWindow(w, GW_OWNER) == owner) found = w;
    }
    return found;
}

TEST(HoverTip, ShowsTheFullTextOfAWideRowOnly) {
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    if (auto init = SystemFunctionAs<InitFn>("comctl32.dll", "InitCommonControlsEx")) init(&controls);
    Fonts fonts;
    fonts.CreateFonts();
    HWND window = CreateControl("static", "", WS_POPUP | WS_VISIBLE, {100, 100, 495, 328}, nullptr, 0, nullptr);
    HWND list = CreateControl(Layout::CopyList, "", window, fonts);
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("C:\\a\\Quill.exe"));
    std::string wide = "C:\\" + std::string(90, 'q') + "\\Quill.exe";
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    HoverTip tip;
    tip.UpdateHoverTip();  // nothing to watch yet
    tip.Create(window, list, fonts.Of(FontKind::Normal));
    HWND tipWindow = TipOf(window);
    ASSERT_NE(tipWindow, nullptr);
    RECT box;
    GetWindowRect(list, &box);
    int row = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    SetCursorPos(box.left + 50, box.top + row + 6);  // on the second row
    tip.UpdateHoverTip();
    EXPECT_TRUE(IsWindowVisible(tipWindow));
    SetCursorPos(box.left + 50, box.top + 6);  // the first row fits the list
    tip.UpdateHoverTip();
    EXPECT_FALSE(IsWindowVisible(tipWindow));
    SetCursorPos(box.left + 50, box.top + row + 6);
    tip.UpdateHoverTip();
    tip.Stop();
    EXPECT_FALSE(IsWindowVisible(tipWindow)) << "no tip is left once the list is gone";
    DestroyWindow(window);
}
