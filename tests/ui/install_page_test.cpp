// The install page around the run: its header, buttons, bar and label while
// the run works, the result box, and the wait afterwards, also when the window
// is closed or a quit arrives during the run.
#include "ui/install_page.h"

#include <commctrl.h>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>

#include "support/box_watcher.h"
#include "support/test_files.h"
#include "ui/wizard.h"

namespace {

const char OkText[] = "Installed fine";
const char FailedText[] = "Installation failed";

// What a watcher saw while the result box was up.
struct PageSeen {
    AnsweredBox confirmation;
    AnsweredBox box;
    int barPosition = -1;
    int barTop = -1;
    std::string elapsedText;
    std::string headerText;
    bool exitEnabled = true, nextEnabled = true, backEnabled = true;
    bool waitEndedByItself = false;
};

HWND MainWindowOfThisProcess() {
    for (HWND w = FindWindowExA(nullptr, nullptr, "myWindow", nullptr); w;
         w = FindWindowExA(nullptr, w, "myWindow", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId()) return w;
    }
    return nullptr;
}

BOOL CALLBACK NoteChild(HWND child, LPARAM data) {
    auto* seen = reinterpret_cast<PageSeen*>(data);
    char name[64] = "";
    GetClassNameA(child, name, sizeof name);
    std::string text = WindowTextOf(child);
    if (std::string(name) == "msctls_progress32") {
        seen->barPosition = static_cast<int>(SendMessageA(child, PBM_GETPOS, 0, 0));
        seen->barTop = static_cast<int>(SendMessageA(child, PBM_GETRANGE, FALSE, 0));
    } else if (text.rfind("Elapsed:", 0) == 0) {
        seen->elapsedText = text;
    } else if (text == "Progress:") {
        seen->headerText = text;
    }
    return TRUE;
}

class InstallPageTest : public ::testing::Test {
protected:
    ScratchDir setup;
    Package package;
    Catalogue texts;
    std::string target;
    std::unique_ptr<Wizard> wizard;
    HWND main = nullptr;
    bool finished = false;  // the page's answer: false when the run was abandoned
    bool expectResultBox = true;

    void SetUp() override {
        texts.MsgInstallOk = OkText;
        texts.MsgInstallFailed = FailedText;
        texts.CapMessage = "Message";
        texts.LblInstallProgress = "Progress:";
        texts.LblElapsed = "Elapsed:";
        texts.MsgExitConfirm = "exit?";
        package.PackTitle = "Stage";
        wizard = std::make_unique<Wizard>(setup.path, package, texts, target, "Product 1.0");
        wizard->ShowLanguagePage();  // no language files: the window is built and shown
        main = MainWindowOfThisProcess();
        ASSERT_NE(main, nullptr);
    }
    void TearDown() override {
        if (IsWindow(main)) DestroyWindow(main);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
        wizard.reset();
    }

    // Runs the page with `run` as the install; a watcher answers the result box
    // and, unless the run is to end the wait itself, ends the page's wait.
    // With `confirmExit` the first box answered is the exit confirmation, with Yes.
    PageSeen Install(const std::function<InstallOutcome(InstallProgress&)>& run, bool waitEndsItself = false,
                     bool confirmExit = false) {
        PageSeen seen;
        DWORD mainThread = GetCurrentThreadId();
        std::atomic<bool> returned{false};
        std::thread watcher([&] {
            if (confirmExit) seen.confirmation = AnswerNextBox(mainThread, nullptr, nullptr, 60000, IDYES);
            if (expectResultBox) seen.box = AnswerNextBox(mainThread, waitEndsItself ? nullptr : main, [&](HWND) {
                EnumChildWindows(main, NoteChild, reinterpret_cast<LPARAM>(&seen));
                seen.exitEnabled = IsWindowEnabled(GetDlgItem(main, CmdExit));
                seen.nextEnabled = IsWindowEnabled(GetDlgItem(main, CmdNext));
                seen.backEnabled = IsWindowEnabled(GetDlgItem(main, CmdBack));
            });
            if (!waitEndsItself) return;
            for (DWORD start = GetTickCount(); !returned && GetTickCount() - start < 10000;) Sleep(5);
            seen.waitEndedByItself = returned;
            if (!returned) PostThreadMessageA(mainThread, WM_QUIT, 0, 0);
        });
        finished = wizard->ShowInstallPage(run);
        returned = true;
        watcher.join();
        return seen;
    }
};

InstallOutcome Steps(InstallProgress& progress, int total, int steps) {
    progress.SetProgressRange(total);
    for (int i = 1; i <= steps; ++i) progress.ShowProgressStep(i);
    return InstallOutcome::Installed;
}

// True when no part of the window or its children waits to be painted.
bool Painted(HWND window) {
    if (GetUpdateRect(window, nullptr, FALSE)) return false;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) return false;
    }
    return true;
}

}  // namespace

TEST_F(InstallPageTest, ShowsTheRunAndItsResultThenWaitsWithOnlyExitEnabled) {
    PageSeen seen = Install([](InstallProgress& progress) { return Steps(progress, 3, 3); });
    ASSERT_TRUE(seen.box.seen);
    EXPECT_EQ(seen.box.text, OkText);
    EXPECT_EQ(seen.box.caption, "Message");
    EXPECT_EQ(seen.headerText, "Progress:");
    EXPECT_FALSE(seen.exitEnabled || seen.nextEnabled || seen.backEnabled) << "all buttons off during the run";
    EXPECT_EQ(seen.barTop, 3);
    EXPECT_EQ(seen.barPosition, 3);
    EXPECT_EQ(seen.elapsedText, "Elapsed: 00:00:00");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, CmdExit)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(main, CmdNext)) || IsWindowEnabled(GetDlgItem(main, CmdBack)));
    EXPECT_EQ(FindWindowExA(main, nullptr, "msctls_progress32", nullptr), nullptr) << "the page removes its controls";

    seen = Install([](InstallProgress&) { return InstallOutcome::Failed; });
    EXPECT_EQ(seen.box.text, FailedText);
}

TEST_F(InstallPageTest, ThePageIsPaintedBeforeTheRunsFirstStep) {
    bool paintedAtOnce = false;
    PageSeen seen = Install([&](InstallProgress& progress) {
        paintedAtOnce = Painted(main);  // a long first copy would show whatever is painted now
        return Steps(progress, 1, 1);
    });
    EXPECT_TRUE(paintedAtOnce);
    EXPECT_EQ(seen.box.text, OkText);
}

TEST_F(InstallPageTest, NoStepKeepsTheFirstLabelAndTheBarTakesTheLow16BitsOfTheTotal) {
    PageSeen seen = Install([](InstallProgress& progress) {
        progress.SetProgressRange(0);
        return InstallOutcome::Installed;
    });
    EXPECT_EQ(seen.elapsedText, "Elapsed:") << "no step: the label keeps its first text";
    EXPECT_EQ(seen.barPosition, 0);

    seen = Install([](InstallProgress& progress) { return Steps(progress, 65536 + 10, 11); });
    EXPECT_EQ(seen.barTop, 10);
    EXPECT_EQ(seen.barPosition, 10) << "a position past the top shows a full bar";
}

TEST_F(InstallPageTest, ClosingTheWindowDuringTheRunAbandonsItWithoutABox) {
    int steps = 0;
    expectResultBox = false;
    PageSeen seen = Install(
        [&](InstallProgress& progress) {
            progress.SetProgressRange(5);
            for (int i = 1; i <= 5; ++i) {
                // As the close box would: the pump hands the window its close.
                if (i == 2) PostMessageA(main, WM_CLOSE, 0, 0);
                Sleep(25);  // a step's file work: the pump looks at the queue at most every 20 ms
                progress.ShowProgressStep(i);
                ++steps;
                if (!progress.KeepAlive()) return InstallOutcome::Abandoned;
            }
            return InstallOutcome::Installed;
        },
        true, true);
    EXPECT_EQ(seen.confirmation.text, "exit?");
    EXPECT_FALSE(seen.box.seen) << "no result box after the user left";
    EXPECT_EQ(steps, 2) << "the run learns of it at the step after the close";
    EXPECT_TRUE(seen.waitEndedByItself) << "no wait for a window that is gone";
    EXPECT_FALSE(finished);
    EXPECT_TRUE(wizard->WindowClosed);
}

TEST_F(InstallPageTest, AQuitTakenByThePumpStillEndsTheFinalWait) {
    PageSeen seen = Install(
        [](InstallProgress& progress) {
            PostQuitMessage(0);
            Sleep(25);  // the pump's first look at the queue comes 20 ms into the run
            return Steps(progress, 1, 1);
        },
        true);
    EXPECT_EQ(seen.box.text, OkText);
    EXPECT_FALSE(wizard->WindowClosed);
    EXPECT_TRUE(seen.waitEndedByItself) << "the quit is posted again for the page after the run";
}
