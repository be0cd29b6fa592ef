#include "ui/copy_list.h"

#include <commctrl.h>

#include "ui/main_window.h"
#include "ui/pages.h"
#include "ui/toolkit.h"

std::array<std::string, FoundCopySlots> FoundCopies;
HWND CopyListFrame = nullptr;

static char EmptyTipText[] = "";

static void AppendToList(const std::string& path) {
    SendMessageA(PageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path.c_str()));
}

// A tracking tool at absolute screen positions; the size is the one every
// common controls version from 4.70 on accepts.
static void RegisterTipRecord() {
    TipRecord = TOOLINFOA{};
    TipRecord.cbSize = TTTOOLINFOA_V2_SIZE;
    TipRecord.uFlags = TTF_TRACK | TTF_ABSOLUTE;
    TipRecord.hwnd = MainWindow;
    TipRecord.hinst = GetModuleHandleA(nullptr);
    TipRecord.lpszText = EmptyTipText;
    SendMessageA(TipWindow, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&TipRecord));
}

void CreateCopyList(const std::string& secondPath, bool& listCreated) {
    listCreated = true;
    EnableWindow(NextButton, FALSE);
    CopyListFrame = CreateControl("static", "", ChildStyle | SS_ETCHEDFRAME, 23, 109, 445, 154, MainWindow, 0, nullptr);
    PageList = CreateControl("listbox", "", ChildStyle | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY, 25, 111, 440,
                             150, MainWindow, CmdCopyList, FontNormal);
    AppendToList(FoundCopies[0]);
    FoundCopies[1] = secondPath;
    AppendToList(secondPath);
    TipWindow = CreateControl("tooltips_class32", "", WS_POPUP, 0, 0, 0, 0, MainWindow, 0, FontNormal);
    RegisterTipRecord();
}

void AddFoundCopy(bool& listCreated, const std::string& path, int& usedSlots) {
    if (!listCreated) {
        CreateCopyList(path, listCreated);
        return;
    }
    int last = usedSlots < 0 ? 0 : (usedSlots >= FoundCopySlots ? FoundCopySlots - 1 : usedSlots);
    for (int slot = 0; slot <= last; ++slot) {
        if (FoundCopies[slot] == path) return;
    }
    // The table is full: later copies are neither stored nor listed.
    if (last + 1 >= FoundCopySlots) return;
    usedSlots = last + 1;
    FoundCopies[usedSlots] = path;
    AppendToList(path);
}
