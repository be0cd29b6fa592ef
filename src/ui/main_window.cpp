#include "ui/main_window.h"

#include <exception>

#include "driver/setup.h"
#include "lang/catalogue.h"
#include "lang/language_files.h"
#include "lang/language_list.h"
#include "ui/pages.h"
#include "ui/toolkit.h"

static int CurrentListSelection() { return static_cast<int>(SendMessageA(PageList, LB_GETCURSEL, 0, 0)); }

// Exit button and close box alike: only a Yes ends the run.
static void ConfirmExit() {
    if (MessageBoxA(MainWindow, MsgExitConfirm.c_str(), CapExitConfirm.c_str(),
                    MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO) == IDYES) {
        DestroyWindow(MainWindow);
    }
}

// Every notification ends by recording the selection, so the focus
// notification before a first click records -1 and that click counts.
static void HandleCopyListSelection() {
    if (CopyListInactive) return;
    int selection = CurrentListSelection();
    if (selection != LastListSelection && selection != LB_ERR) {
        ChosenFolder = ListItemText(PageList, selection);
        EnableWindow(NextButton, TRUE);
    }
    LastListSelection = CurrentListSelection();
}

static void HandleLanguageListSelection() {
    if (LanguagePageDone) return;
    int selection = CurrentListSelection();
    if (selection != LastListSelection && selection != LB_ERR) {
        std::string entry = ListItemText(PageList, selection);
        std::string language = entry == RussianEntry ? std::string("Russian") : LanguageKeyForEntry(entry);
        LoadMessages(language);
        CurrentLanguage = language;
        SetWindowTextA(NextButton, BtnNext.c_str());
        EnableWindow(NextButton, TRUE);
    }
    LastListSelection = CurrentListSelection();
}

static void EndPage(bool back) {
    PostQuitMessage(0);
    GoBack = back;
}

static void HandleCommand(WPARAM wParam) {
    switch (LOWORD(wParam)) {
        case CmdExit: ConfirmExit(); break;
        case CmdCopyList: HandleCopyListSelection(); break;
        case CmdNext: EndPage(false); break;
        case CmdBack: EndPage(true); break;
        case CmdLanguageList: HandleLanguageListSelection(); break;
        default: break;
    }
}

static void HandleDestroy() {
    WindowClosed = true;
    PostQuitMessage(0);
}

static LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DESTROY: HandleDestroy(); return 0;
        case WM_CLOSE: ConfirmExit(); return 0;
        case WM_COMMAND: HandleCommand(wParam); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// A failure raised here (a language file that cannot be read, a template that
// does not fit) may not unwind through the system's frames that called us: the
// 32-bit build's exceptions cannot cross them. So it ends the run right here,
// the way the last-resort handler would.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        return Dispatch(window, message, wParam, lParam);
    } catch (const std::exception& failure) {
        EndWithFatalError(failure.what());
    }
}
