// The program's start: a setup folder without Source\Pack.ini ends in the
// plain box that names the folder setup looked in, then exit code 1.
#include <gtest/gtest.h>

#include "e2e/harness.h"
#include "support/test_files.h"

TEST(Startup, MissingPackIniIsToldWithTheFolderAndExitsWithOne) {
    ScratchDir setupFolder;
    ScratchDir elsewhere;  // the current folder must not matter
    MakeFolders(setupFolder / "Source");
    SetupProcess process;
    StartSetup(process, setupFolder.path, elsewhere.path);

    HWND box = WaitForMessageBox(process.pid());
    ASSERT_NE(box, nullptr) << "no box appeared";
    EXPECT_EQ(WindowText(box), "Предупреждение...") << "not the \"Application Error\" box";
    std::string text = MessageBoxText(box);
    EXPECT_EQ(text.substr(text.find("\r\n") + 2), setupFolder / "Source") << text;
    PressDialogButton(box, IDOK);
    EXPECT_EQ(process.waitExit(), 1);
}
