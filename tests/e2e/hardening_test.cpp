// Start-up hardening seen from outside: DLL redirection beside the program is
// refused before anything is read or changed.
#include <gtest/gtest.h>

#include "e2e/wizard_fixture.h"

namespace {
bool StaleRecordStillThere() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Torvane\\QuillsetPatch\\QuillsetPatch1", 0, KEY_READ, &key))
        return false;
    RegCloseKey(key);
    return true;
}
}  // namespace

TEST(Hardening, RedirectionBesideTheProgramIsRefusedWithNothingChanged) {
    for (bool asFolder : {false, true}) {
        SCOPED_TRACE(asFolder ? "setup.exe.local folder" : "setup.exe.local file");
        ScratchDir setupFolder;
        WriteBytes(setupFolder / "Source\\Pack.ini", "Title\r\nProgram\r\nprog.exe\r\nClass\r\nPack\r\n1.0\r\n\r\n\r\n");
        if (asFolder) MakeFolders(setupFolder / "setup.exe.local");
        else WriteBytes(setupFolder / "setup.exe.local", "");
        ClearCopyRecords();
        AddCopyRecord("C:\\nowhere\\missing.exe");

        SetupProcess process;
        StartSetup(process, setupFolder.path);
        HWND box = WaitForMessageBox(process.pid());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(WindowText(box), "Application Error");
        EXPECT_NE(MessageBoxText(box).find("setup.exe.local"), std::string::npos) << MessageBoxText(box);
        EXPECT_TRUE(TopWindows(process.pid(), "myWindow").empty()) << "no wizard window may appear";
        PressDialogButton(box, IDOK);
        EXPECT_EQ(process.waitExit(), 1);
        EXPECT_TRUE(StaleRecordStillThere()) << "the copy records must be left alone";
        ClearCopyRecords();
    }
}
