// The record and components files rewritten through the setup folder's
// temporary files, called directly on real files.
#include "engine/uninstall_records.h"

#include "driver/errors.h"
#include "engine/install_fixture.h"
#include "engine/progress.h"

using RecordFiles = InstallStage;

TEST_F(RecordFiles, ClearAndAddRewriteTheRecordAndLeaveNoTemporaryFile) {
    std::string record = TargetPath("Resource\\Uninstall.ini");
    WriteBytes(record, "[A]\nold\n\n[B]\r\nx\x1A" "ignored");
    Script("Script_Uninstall_Clear.ini", {"x", "[B]"});
    ApplyUninstallClear();
    EXPECT_EQ(ReadBytes(record), "[A]\r\nold\r\n\r\n");
    EXPECT_FALSE(LineAbsentFrom(UninstallList::Record, "old"));
    EXPECT_TRUE(LineAbsentFrom(UninstallList::Record, "x"));
    EXPECT_FALSE(LineAbsentFrom(UninstallList::ClearScript, "[B]"));

    Script("Script_Uninstall_Add.ini", {"lead", "[A]", "old", "a", "[C]", "c"});
    CreateProgressControls();
    int steps = 10;
    ApplyUninstallAdd(steps);
    EXPECT_EQ(steps, 16);
    EXPECT_EQ(ReadBytes(record), "[A]\r\nlead\r\na\r\nold\r\n\r\n[C]\r\nc\r\n");
    EXPECT_FALSE(PathExists(SourcePath("Uninstall.tmp")));

    MergeUninstallSection("[C]", "n1\r\nn2");
    EXPECT_EQ(ReadBytes(record), "[A]\r\nlead\r\na\r\nold\r\n\r\n[C]\r\nn1\r\nn2\r\nc\r\n");
}

TEST_F(RecordFiles, AnUntouchedRecordKeepsItsBytes) {
    std::string record = TargetPath("Resource\\Uninstall.ini");
    WriteBytes(record, "[A]\na");
    Script("Script_Uninstall_Add.ini", {"[A]", "a", "[B]"});
    CreateProgressControls();
    int steps = 0;
    ApplyUninstallAdd(steps);
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(ReadBytes(record), "[A]\na") << "no block: no rewrite";
}

TEST_F(RecordFiles, RecordThatCannotBeReplacedStaysAsItWas) {
    std::string record = TargetPath("Resource\\Uninstall.ini");
    WriteBytes(record, "[A]\r\n");
    HANDLE held = CreateFileA(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    Script("Script_Uninstall_Add.ini", {"[A]", "a"});
    CreateProgressControls();
    int steps = 0;
    EXPECT_NO_THROW(ApplyUninstallAdd(steps));
    CloseHandle(held);
    EXPECT_EQ(ReadBytes(record), "[A]\r\n");
    EXPECT_FALSE(PathExists(SourcePath("Uninstall.tmp")));
}

TEST_F(RecordFiles, ComponentsListGetsEachEntryOnce) {
    std::string list = TargetPath("Resource\\InstallComponents.ini");
    AddInstalledComponent("");
    EXPECT_FALSE(PathExists(list)) << "an empty entry is not written";
    AddInstalledComponent("Pack/1.0");
    EXPECT_EQ(ReadBytes(list), "Pack/1.0\r\n");
    WriteBytes(list, "Other/3\nPack/1.0");
    AddInstalledComponent("Pack/1.0");
    EXPECT_EQ(ReadBytes(list), "Other/3\r\nPack/1.0\r\n") << "rewritten, nothing added";
    AddInstalledComponent("Pack/1.1");
    EXPECT_EQ(ReadBytes(list), "Other/3\r\nPack/1.0\r\nPack/1.1\r\n");
    EXPECT_FALSE(PathExists(SourcePath("InstallComponents.tmp")));

    RemoveTree(TargetPath("Resource"));
    EXPECT_THROW(AddInstalledComponent("Pack/1.2"), FileError) << "the Resource folder is not created";
}
