// The page the install run works on: the progress bar and the elapsed-time
// label, moved step by step, and the pump that keeps the window alive between
// steps, since the run never returns to a message loop until it is done.
#pragma once
#include <windows.h>

#include <string>

#include "engine/install_run.h"
#include "ui/toolkit.h"

class InstallPage : public InstallProgress {
public:
    InstallPage(HWND window, const Fonts& fonts, std::string elapsedLabel);
    ~InstallPage() override;
    void SetProgressRange(int total) override;
    // Moves the bar, shows the elapsed time, drains the queue. The bar and the
    // queue are looked after at most every few milliseconds, the label only
    // when its second changes.
    void ShowProgressStep(int position) override;
    // The one place the queue is drained during the run, between steps and
    // during a long copy alike: at most every few milliseconds, with the
    // elapsed time brought up to date. False once the window is gone.
    bool KeepAlive() override;
    // Puts the bar at the last step's position if it has not caught up yet;
    // the next message loop paints it.
    void FinishProgressSteps();
    // The quit the pump took off the queue (the window was destroyed during
    // the run), posted again so that the page loop after the run ends.
    bool RepostPumpedQuit();

    HWND progressBar() const { return progressBar_; }
    HWND elapsedLabel() const { return elapsedLabel_; }

private:
    void MoveBar(DWORD now);
    void MoveBarUnpainted();
    void PumpMessages();
    bool PumpOneMessage(MSG& message);

    HWND window_;
    HWND progressBar_;
    HWND elapsedLabel_;
    std::string lblElapsed_;
    DWORD StartTick;  // tick count at the start of the install run
    int shownSeconds_ = -1;  // the whole seconds the label shows; none yet
    int rangeTop_ = 100;  // the control's own default range
    int shownPosition_ = 0;
    int wantedPosition_ = 0;
    DWORD lastBarTick_;
    DWORD lastPumpTick_;
    bool quitPumped_ = false;
    int quitPumpedCode_ = 0;
};
