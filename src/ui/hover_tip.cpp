#include "ui/hover_tip.h"

#include "base/handles.h"
#include "ui/layout.h"
#include "ui/toolkit.h"

// A tracking tool at absolute screen positions; the size is the one every
// common controls version from 4.70 on accepts.
void HoverTip::Create(HWND window, HWND list, HFONT font) {
    list_ = list;
    font_ = font;
    shownTipItem_ = -1;
    tipWindow_ = CreateControl(Layout::TipWindow.className, "", Layout::TipWindow.style, Layout::TipWindow.rect, window,
                               0, font);
    tipRecord_ = TOOLINFOA{};
    tipRecord_.cbSize = TTTOOLINFOA_V2_SIZE;
    tipRecord_.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    tipRecord_.hwnd = window;
    tipRecord_.hinst = GetModuleHandleA(nullptr);
    tipRecord_.lpszText = emptyText_;
    SendMessageA(tipWindow_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tipRecord_));
}

// The list's own row height, which follows its font and so the screen's DPI.
static int RowHeight(HWND list) {
    LRESULT height = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    return height == LB_ERR || height < 1 ? 1 : static_cast<int>(height);
}

void HoverTip::UpdateHoverTip() {
    if (!list_) return;
    int rowHeight = RowHeight(list_);
    int item = -1;
    int width = 0;
    bool show = false;
    POINT cursor{};
    RECT list{};
    GetCursorPos(&cursor);
    GetWindowRect(list_, &list);
    if (cursor.x >= list.left && cursor.x <= list.right && cursor.y >= list.top && cursor.y <= list.bottom) {
        item = GetScrollPos(list_, SB_VERT) + (cursor.y - list.top) / rowHeight;
        if (item != shownTipItem_) {
            text_ = ListItemText(list_, item);
            WindowDC dc(list_);
            width = TextWidth(dc.get(), font_, text_);
            show = width > (list.right - list.left) - Scaled(20);
        }
    }
    if (show) {
        shownTipItem_ = item;
        int screenWidth = GetSystemMetrics(SM_CXSCREEN);
        int tipLeft = list.left + Scaled(20);
        if (screenWidth < tipLeft + width + Scaled(20)) tipLeft = screenWidth - width - Scaled(10);
        tipRecord_.lpszText = text_.data();
        SendMessageA(tipWindow_, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&tipRecord_));
        int tipTop = (item - GetScrollPos(list_, SB_VERT) + 1) * rowHeight + list.top;
        SendMessageA(tipWindow_, TTM_TRACKPOSITION, 0, MAKELPARAM(tipLeft & 0xFFFF, tipTop & 0xFFFF));
        SendMessageA(tipWindow_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tipRecord_));
    } else if (shownTipItem_ != -1 && item != shownTipItem_) {
        shownTipItem_ = -1;
        SendMessageA(tipWindow_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tipRecord_));
    }
}

void HoverTip::Stop() {
    if (shownTipItem_ != -1 && tipWindow_) {
        SendMessageA(tipWindow_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tipRecord_));
    }
    shownTipItem_ = -1;
    list_ = nullptr;
}
