// Progress of the install run: the bar and the elapsed-time label, one step per
// script line, and the pump that keeps the window alive between steps.
#pragma once
#include <windows.h>

extern DWORD StartTick;    // tick count at the start of the install run
extern HWND ProgressBar;   // "msctls_progress32" of the run
extern HWND ElapsedLabel;  // "static" showing LblElapsed and the elapsed time
extern bool QuitPumped;    // the pump took a WM_QUIT off the queue
extern int QuitPumpedCode; // its exit code, to post it again

void CreateProgressControls();
// PBM_SETRANGE 0..total, the total cut to 16 bits.
void SetProgressRange(int total);
// Moves the bar to `position`, shows the elapsed time, drains the queue. The
// bar and the queue are looked after at most every few milliseconds, the label
// only when its text changes.
void ShowProgressStep(int position);
// Shows the position of the last step if the bar has not caught up yet.
void FinishProgressSteps();
// Takes and dispatches every waiting message; never waits.
void PumpMessages();
// Takes one waiting message off the queue (dispatching all but WM_QUIT); false
// when none was waiting.
bool PumpOneMessage(MSG& message);

// Milliseconds from `start` to `now` in 32-bit arithmetic, so a tick counter
// that wrapped around in between still gives the right count.
int ElapsedSince(DWORD start, DWORD now);
