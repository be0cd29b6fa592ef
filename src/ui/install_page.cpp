#include "ui/install_page.h"

#include <commctrl.h>

#include "base/elapsed_time.h"

// Under Wine a themed bar repaints at once when it moves (some 8 ms), a look
// at the queue costs some 50 microseconds and a label text repaints too, so the
// label is set only when its second changes, the queue is drained at most
// every 20 ms (as lively as a 50 Hz screen) and the bar moves at most every
// 100 ms, the first time 100 ms into the run. The page is first painted by the
// first drain, 20 ms into the run, so a short run paints it only once, behind
// its result box. The last position is left for the loop after the run to
// paint, so the result box does not wait on the bar.
static const DWORD PumpInterval = 20;
static const DWORD BarInterval = 100;

InstallPage::InstallPage(HWND window, const Fonts& fonts, std::string elapsedLabel)
    : window_(window),
      progressBar_(CreateControl(Layout::ProgressBar, "", window, fonts)),
      elapsedLabel_(CreateControl(Layout::ElapsedLabel, elapsedLabel, window, fonts)),
      lblElapsed_(std::move(elapsedLabel)),
      StartTick(GetTickCount()),
      lastBarTick_(GetTickCount()),
      lastPumpTick_(GetTickCount()) {
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

InstallPage::~InstallPage() {
    DestroyWindow(progressBar_);
    DestroyWindow(elapsedLabel_);
}

void InstallPage::SetProgressRange(int total) {
    WORD top = static_cast<WORD>(total);
    SendMessageA(progressBar_, PBM_SETRANGE, 0, MAKELPARAM(0, top));
    rangeTop_ = top;
}

void InstallPage::MoveBar(DWORD now) {
    SendMessageA(progressBar_, PBM_SETPOS, static_cast<WPARAM>(wantedPosition_), 0);
    shownPosition_ = wantedPosition_;
    lastBarTick_ = now;
}

void InstallPage::MoveBarUnpainted() {
    SendMessageA(progressBar_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(progressBar_, PBM_SETPOS, static_cast<WPARAM>(wantedPosition_), 0);
    SendMessageA(progressBar_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(progressBar_, nullptr, TRUE);
    shownPosition_ = wantedPosition_;
}

void InstallPage::ShowProgressStep(int position) {
    DWORD now = GetTickCount();
    // The bar clamps the position to its range; so does the bookkeeping.
    wantedPosition_ = position < 0 ? 0 : position > rangeTop_ ? rangeTop_ : position;
    if (wantedPosition_ != shownPosition_ && wantedPosition_ != rangeTop_ && now - lastBarTick_ >= BarInterval) {
        MoveBar(now);
    }
    KeepAlive();
}

bool InstallPage::KeepAlive() {
    DWORD now = GetTickCount();
    int seconds = ElapsedSince(StartTick, now) / 1000;
    if (seconds < 0) seconds = 0;
    if (seconds != shownSeconds_) {
        SetWindowTextA(elapsedLabel_, (lblElapsed_ + " " + FormatElapsedTime(seconds * 1000)).c_str());
        shownSeconds_ = seconds;
    }
    if (now - lastPumpTick_ >= PumpInterval) {
        PumpMessages();
        lastPumpTick_ = now;
    }
    return !quitPumped_;
}

void InstallPage::FinishProgressSteps() {
    if (wantedPosition_ != shownPosition_) MoveBarUnpainted();
}

bool InstallPage::RepostPumpedQuit() {
    if (quitPumped_) PostQuitMessage(quitPumpedCode_);
    return quitPumped_;
}

void InstallPage::PumpMessages() {
    MSG message;
    while (PumpOneMessage(message)) {
    }
}

bool InstallPage::PumpOneMessage(MSG& message) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) return false;
    bool wide = message.hwnd && IsWindowUnicode(message.hwnd);
    BOOL taken = wide ? PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) : PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
    if (!taken) return false;
    if (message.message == WM_QUIT) {
        // Not dispatched; remembered so the page loop after the run still ends.
        quitPumped_ = true;
        quitPumpedCode_ = static_cast<int>(message.wParam);
        return true;
    }
    if (wide) {
        DispatchMessageW(&message);
    } else {
        DispatchPageMessage(window_, message);
    }
    return true;
}
