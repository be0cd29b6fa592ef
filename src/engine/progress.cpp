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

// What the two controls show now: a step that would not change them leaves
// them alone, since every change costs a repaint.
static std::string ShownElapsedText;
static int RangeTop = 0;
static int BarWidth = 0;
static int ShownBarPixels = -1;
// Under Wine every look at the queue costs about 50 microseconds, a repaint far
// more; draining it at most every 20 ms keeps the window as lively as a 50 Hz
// screen while thousands of quick steps stay cheap.
static const DWORD PumpInterval = 20;
static DWORD LastPumpTick = 0;

void CreateProgressControls() {
    ProgressBar = CreateControl("msctls_progress32", "", ChildStyle, 80, 163, 340, 20, MainWindow, 0, FontNormal);
    ElapsedLabel = CreateControl("static", LblElapsed, ChildStyle, 80, 266, 340, 20, MainWindow, 0, FontNormal);
    ShownElapsedText = LblElapsed;
    RangeTop = 0;
    ShownBarPixels = -1;
    QuitPumped = false;
    LastPumpTick = GetTickCount() - PumpInterval;
    UpdateWindow(MainWindow);
}

void SetProgressRange(int total) {
    WORD top = static_cast<WORD>(total);
    SendMessageA(ProgressBar, PBM_SETRANGE, 0, MAKELPARAM(0, top));
    RangeTop = top;
    RECT client{};
    GetClientRect(ProgressBar, &client);
    BarWidth = client.right - client.left;
    ShownBarPixels = -1;
}

int ElapsedSince(DWORD start, DWORD now) { return static_cast<int>(now - start); }

// The filled width the bar would draw for the position, or -1 when it cannot be told.
static int BarPixels(int position) {
    if (RangeTop <= 0 || BarWidth <= 0) return -1;
    if (position < 0) position = 0;
    if (position > RangeTop) position = RangeTop;
    return static_cast<int>(static_cast<long long>(position) * BarWidth / RangeTop);
}

void ShowProgressStep(int position) {
    DWORD now = GetTickCount();
    std::string text = LblElapsed + " " + FormatElapsedTime(ElapsedSince(StartTick, now));
    if (text != ShownElapsedText) {
        SetWindowTextA(ElapsedLabel, text.c_str());
        ShownElapsedText = text;
    }
    int pixels = BarPixels(position);
    if (pixels < 0 || pixels != ShownBarPixels) {
        SendMessageA(ProgressBar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
        ShownBarPixels = pixels;
    }
    if (now - LastPumpTick >= PumpInterval) {
        PumpMessages();
        LastPumpTick = now;
    }
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
