#include "ui/main_window.h"

#include <exception>

#include "ui/toolkit.h"
#include "ui/wizard.h"

static LRESULT Dispatch(Wizard* wizard, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!wizard) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
        case WM_DESTROY: wizard->OnDestroy(); return 0;
        case WM_CLOSE: wizard->ConfirmExit(); return 0;
        case WM_COMMAND: wizard->OnCommand(LOWORD(wParam)); return 0;
        // The keyboard handling of the page loop asks which button Enter presses.
        case DM_GETDEFID: return wizard->DefaultButton();
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) wizard->RememberFocus();
            return DefWindowProcA(window, message, wParam, lParam);
        // The window itself takes no input: the focus goes on to a control.
        case WM_SETFOCUS: wizard->RestoreFocus(); return 0;
        default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

// A failure raised here (a language file that cannot be read, a template that
// does not fit) may not unwind through the system's frames that called us: the
// 32-bit build's exceptions cannot cross them. So it ends the run right here,
// the way the last-resort handler would.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        auto* wizard = static_cast<Wizard*>(MainWindowOwner(window, message, lParam));
        return Dispatch(wizard, window, message, wParam, lParam);
    } catch (const std::exception& failure) {
        EndWithFatalError(failure.what());
    }
}
