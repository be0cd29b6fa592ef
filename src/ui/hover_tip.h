// The tip of the copy list: while the cursor rests on an item too wide for the
// list, a tracking tooltip shows its full text just below that row.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>

class HoverTip {
public:
    // Makes the tip window for `list` (owned by `window`) and registers its tool.
    void Create(HWND window, HWND list, HFONT font);
    // Shows, moves or hides the tip for where the cursor is now. Does nothing
    // until Create and after Stop.
    void UpdateHoverTip();
    // Hides a tip that is showing and stops watching the list.
    void Stop();

private:
    bool HoverTipsOn = false;  // while the copy list exists
    HWND list_ = nullptr;
    HWND TipWindow = nullptr;
    HFONT font_ = nullptr;
    TOOLINFOA TipRecord{};
    int ShownTipItem = -1;  // the row whose tip shows; -1 for none
    std::string text_;  // the record's text points into it while the tip shows
    char emptyText_[1] = "";
};
