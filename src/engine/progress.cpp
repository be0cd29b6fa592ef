#include "engine/progress.h"

#include <commctrl.h>

#include <string>

#include "discovery/path_time.h"
#include "lang/catalogue.h"
#include "ui/toolkit.h"

DWORD StartTick = 0;
HWND ProgressBar = nullptr;
HWND ElapsedLabel = nullptr;
bool QuitPumped = false;
int QuitPumpedCode = 0;

// What the two controls show. Under Wine a bar move repaints at once (about
// 0.6 ms), a look at the queue costs some 50 microseconds and a label text
// repaints too, so the label is set only when its text changes, the queue is
// drained at most every 20 ms (as lively as a 50 Hz screen) and the bar moves
// at most every 50 ms; its last position is shown once the steps are over.
static const DWORD PumpInterval = 20;
static const DWORD BarInterval = 50;
static std::string ShownElapsedText;
static int RangeTop = 0;
static int ShownPosition = 0;
static int WantedPosition = 0;
static DWORD LastBarTick = 0;
static DWORD LastPumpTick = 0;

void CreateProgressControls() {
    ProgressBar = CreateControl("msctls_progress32", "", ChildStyle, 80, 163, 340, 20, MainWindow, 0, FontNormal);
    ElapsedLabel = CreateControl("static", LblElapsed, ChildStyle, 80, 266, 340, 20, MainWindow, 0, FontNormal);
    ShownElapsedText = LblElapsed;
    RangeTop = 100;  // the control's own default range
    ShownPosition = WantedPosition = 0;
    QuitPumped = false;
    LastBarTick = GetTickCount() - BarInterval;
    LastPumpTick = GetTickCount() - PumpInterval;
    UpdateWindow(MainWindow);
}

void SetProgressRange(int total) {
    WORD top = static_cast<WORD>(total);
    SendMessageA(ProgressBar, PBM_SETRANGE, 0, MAKELPARAM(0, top));
    RangeTop = top;
}

int ElapsedSince(DWORD start, DWORD now) { return static_cast<int>(now - start); }

static void MoveBar(DWORD now) {
    SendMessageA(ProgressBar, PBM_SETPOS, static_cast<WPARAM>(WantedPosition), 0);
    ShownPosition = WantedPosition;
    LastBarTick = now;
}

void ShowProgressStep(int position) {
    DWORD now = GetTickCount();
    std::string text = LblElapsed + " " + FormatElapsedTime(ElapsedSince(StartTick, now));
    if (text != ShownElapsedText) {
        SetWindowTextA(ElapsedLabel, text.c_str());
        ShownElapsedText = text;
    }
    // The bar clamps the position to its range; so does the bookkeeping.
    WantedPosition = position < 0 ? 0 : position > RangeTop ? RangeTop : position;
    if (WantedPosition != ShownPosition && (WantedPosition == RangeTop || now - LastBarTick >= BarInterval)) {
        MoveBar(now);
    }
    if (now - LastPumpTick >= PumpInterval) {
        PumpMessages();
        LastPumpTick = now;
    }
}

void FinishProgressSteps() {
    if (WantedPosition != ShownPosition) MoveBar(GetTickCount());
}

void PumpMessages() {
    MSG message;
    while (PumpOneMessage(message)) {
    }
}

bool PumpOneMessage(MSG& message) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) return false;
    bool wide = message.hwnd && IsWindowUnicode(message.hwnd);
    BOOL taken = wide ? PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) : PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);
    if (!taken) return false;
    if (message.message == WM_QUIT) {
        // Not dispatched; remembered so the page loop after the run still ends.
        QuitPumped = true;
        QuitPumpedCode = static_cast<int>(message.wParam);
        return true;
    }
    if (wide) {
        DispatchMessageW(&message);
    } else {
        DispatchMessageA(&message);
    }
    return true;
}
