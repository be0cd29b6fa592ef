// The program's start: a setup folder without Source\Pack.ini ends in the
// "Application Error" box naming the file, then exit code 1.
#include <gtest/gtest.h>

#include "e2e/harness.h"
#include "support/test_files.h"

TEST(Startup, MissingPackIniShowsApplicationErrorAndExitsWithOne) {
    ScratchDir setupFolder;
    ScratchDir elsewhere;  // the current folder must not matter
    MakeFolders(setupFolder / "Source");
    SetupProcess process;
    StartSetup(process, setupFolder.path, elsewhere.path);

    HWND box = WaitForMessageBox(process.pid());
    ASSERT_NE(box, nullptr) << "no error box appeared";
    EXPECT_EQ(WindowText(box), "Application Error");
    EXPECT_NE(MessageBoxText(box).find(setupFolder / "Source\\Pack.ini"), std::string::npos) << MessageBoxText(box);
    PressDialogButton(box, IDOK);
    EXPECT_EQ(process.waitExit(), 1);
}
