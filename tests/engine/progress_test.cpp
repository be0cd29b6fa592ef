// The progress display: elapsed-time text, the bar's clamped position, and the
// pump that hands every waiting message on but keeps a quit for later.
#include "engine/progress.h"

#include <commctrl.h>

#include "engine/install_fixture.h"
#include "lang/catalogue.h"
#include "ui/pages.h"
#include "ui/toolkit.h"

using ProgressDisplay = InstallStage;

static std::string LabelText() {
    char text[128] = "";
    GetWindowTextA(ElapsedLabel, text, sizeof text);
    return text;
}

TEST_F(ProgressDisplay, LabelShowsTheElapsedTimeAndTheBarClampsToItsRange) {
    CreateProgressControls();
    EXPECT_EQ(LabelText(), "Elapsed:");
    SetProgressRange(65536 + 10);
    EXPECT_EQ(SendMessageA(ProgressBar, PBM_GETRANGE, FALSE, 0), 10);
    StartTick = GetTickCount() - (3 * 3600 + 4 * 60 + 5) * 1000;
    ShowProgressStep(3);
    EXPECT_EQ(LabelText().rfind("Elapsed: 03:04:0", 0), 0u) << LabelText();
    EXPECT_EQ(SendMessageA(ProgressBar, PBM_GETPOS, 0, 0), 3);
    ShowProgressStep(11);
    EXPECT_EQ(SendMessageA(ProgressBar, PBM_GETPOS, 0, 0), 10) << "a position past the top shows a full bar";
    DestroyWindow(ProgressBar);
    DestroyWindow(ElapsedLabel);
}

TEST(ProgressTime, ElapsedSurvivesTheTickCounterWrapping) {
    EXPECT_EQ(ElapsedSince(0xFFFFFF00u, 0x00000100u), 0x200);
    EXPECT_EQ(ElapsedSince(1000, 66000), 65000);
}

TEST_F(ProgressDisplay, PumpDispatchesEverythingButKeepsTheQuit) {
    PostMessageA(HeaderLabel, WM_SETFONT, reinterpret_cast<WPARAM>(FontNormal), 0);
    PostQuitMessage(7);
    QuitPumped = false;
    PumpMessages();
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(HeaderLabel, WM_GETFONT, 0, 0)), FontNormal);
    EXPECT_TRUE(QuitPumped);
    EXPECT_EQ(QuitPumpedCode, 7);
    MSG message;
    EXPECT_FALSE(PumpOneMessage(message)) << "the queue is empty and the pump does not wait";
}
