// A stage for the install run under Wine: the main window with its header and
// buttons, the package in the test program's own Source folder (the run's
// setup folder), a scratch target, and a watcher thread that answers the
// run's result box the way a user would.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_files.h"

// What the watcher saw while the result box was up, and the box itself.
struct InstallOutcome {
    bool boxSeen = false;
    std::string boxText;
    std::string boxCaption;
    int barPosition = -1;
    int barTop = -1;
    std::string elapsedText;
    std::string headerText;
    bool exitEnabled = true;
    bool nextEnabled = true;
    bool backEnabled = true;
    bool waitEndedByItself = false;  // the page's wait ended without the watcher's help
};

// What happens to the main window while the phases run.
enum class DuringRun { Nothing, CloseWindow, QuitMessage };

class InstallStage : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Files of the package: Source\<name> and Source\PACK\<relative>.
    void Script(const std::string& name, const std::vector<std::string>& lines);
    void PackFile(const std::string& relative, const std::string& bytes);
    std::string SourcePath(const std::string& name) const { return source + "\\" + name; }
    std::string TargetPath(const std::string& relative) const { return target / relative; }

    // Runs RunInstall; the watcher notes the window state at the result box,
    // presses OK and then ends the page's wait. CloseWindow destroys the main
    // window at the run's first step; QuitMessage has a quit waiting there. In
    // both the watcher leaves the run to end by itself (ending the page's wait
    // after a deadline if it does not).
    InstallOutcome Install(DuringRun during = DuringRun::Nothing);

    std::string source;  // the setup folder's Source folder
    ScratchDir target;
};

// Window texts that tell the result boxes apart.
extern const char* const OkText;
extern const char* const FailedText;

// Sets the file's last-write time to a day in 1975.
void StampBefore1980(const std::string& path);
