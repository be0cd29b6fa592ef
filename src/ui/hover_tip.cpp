#include "ui/hover_tip.h"

#include "base/handles.h"
#include "ui/layout.h"
#include "ui/toolkit.h"

// A tracking tool at absolute screen positions; the size is the one every
// common controls version from 4.70 on accepts.
void HoverTip::Create(HWND window, HWND list, HFONT font) {
    HoverTipsOn = true;
    list_ = list;
    font_ = font;
    ShownTipItem = -1;
    TipWindow = CreateControl(Layout::TipWindow.className, "", Layout::TipWindow.style, Layout::TipWindow.rect, window,
                              0, font);
    TipRecord = TOOLINFOA{};
    TipRecord.cbSize = TTTOOLINFOA_V2_SIZE;
    TipRecord.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    TipRecord.hwnd = window;
    TipRecord.hinst = GetModuleHandleA(nullptr);
    TipRecord.lpszText = emptyText_;
    SendMessageA(TipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&TipRecord));
}

// The list's own row height, which follows its font and so the screen's DPI.
static int RowHeight(HWND list) {
    LRESULT height = SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
    return height == LB_ERR || height < 1 ? 1 : static_cast<int>(height);
}

void HoverTip::UpdateHoverTip() {
    if (!HoverTipsOn) return;
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
        if (item != ShownTipItem) {
            text_ = ListItemText(list_, item);
            WindowDC dc(list_);
            width = TextWidth(dc.get(), font_, text_);
            show = width > (list.right - list.left) - Scaled(20);
        }
    }
    if (show) {
        ShownTipItem = item;
        int screenWidth = GetSystemMetrics(SM_CXSCREEN);
        int tipLeft = list.left + Scaled(20);
        if (screenWidth < tipLeft + width + Scaled(20)) tipLeft = screenWidth - width - Scaled(10);
        TipRecord.lpszText = text_.data();
        SendMessageA(TipWindow, TTM_UPDATETIPTEXTA, 0, reinterpret_cast<LPARAM>(&TipRecord));
        int tipTop = (item - GetScrollPos(list_, SB_VERT) + 1) * rowHeight + list.top;
        SendMessageA(TipWindow, TTM_TRACKPOSITION, 0, MAKELPARAM(tipLeft & 0xFFFF, tipTop & 0xFFFF));
        SendMessageA(TipWindow, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&TipRecord));
    } else if (ShownTipItem != -1 && item != ShownTipItem) {
        ShownTipItem = -1;
        SendMessageA(TipWindow, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&TipRecord));
    }
}

void HoverTip::Stop() {
    if (ShownTipItem != -1 && TipWindow) {
        SendMessageA(TipWindow, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&TipRecord));
    }
    ShownTipItem = -1;
    HoverTipsOn = false;
}
