// Plays the user at a message box shown by this process's main thread: finds
// the box from a second thread, lets the caller look at the window state while
// it is up, presses OK, then ends the page loop that follows.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

// The text and caption of the box that was answered; empty when none came.
struct AnsweredBox {
    bool seen = false;
    std::string text;
    std::string caption;
};

// Run on a second thread: waits up to `timeoutMs` for a visible "#32770" of
// this process, calls `atBox` while it is up, presses `button` and waits for it to
// go. Then, when `window` is given and still exists, posts WM_QUIT to
// `mainThread` so its page loop ends.
AnsweredBox AnswerNextBox(DWORD mainThread, HWND window, const std::function<void(HWND box)>& atBox,
                          DWORD timeoutMs = 60000, int button = IDOK);

std::string WindowTextOf(HWND window);
