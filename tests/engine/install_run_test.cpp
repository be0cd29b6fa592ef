// The install run on real files with a real window: phases, stamps, failures,
// the progress range and the window closed while the run works.
#include <string>
#include <windows.h>
#include <commctrl.h>

#include "driver/pack_info.h"
#include "engine/install_fixture.h"
#include "engine/progress.h"
#include "ui/pages.h"
#include "ui/toolkit.h"

TEST_F(InstallStage, EmptyPackageWritesTheStampsAndSucceeds) {
    InstallOutcome outcome = Install();
    ASSERT_TRUE(outcome.boxSeen);
    EXPECT_EQ(outcome.boxText, OkText);
    EXPECT_EQ(outcome.boxCaption, "Message");
    EXPECT_EQ(outcome.headerText, "Progress:");
    EXPECT_FALSE(outcome.exitEnabled || outcome.nextEnabled || outcome.backEnabled) << "all buttons off during the run";
    EXPECT_EQ(outcome.barPosition, 0);
    EXPECT_EQ(outcome.elapsedText, "Elapsed:") << "no step: the label keeps its first text";
    EXPECT_EQ(ReadBytes(TargetPath("Base\\Pack\\Version.ini")), "1.2\r\n");
    EXPECT_EQ(ReadBytes(TargetPath("Resource\\InstallComponents.ini")), "Pack/1.2\r\n");
    EXPECT_TRUE(IsWindowEnabled(ExitButton));
    EXPECT_FALSE(IsWindowEnabled(NextButton) || IsWindowEnabled(BackButton));
    EXPECT_FALSE(IsWindow(ProgressBar) || IsWindow(ElapsedLabel)) << "the run removes its controls";
}

TEST_F(InstallStage, OnlyTheExactModeNewLeavesTheStampsOut) {
    Script("OldVersions.ini", {"1.0", "1.1"});
    PackMode = "New";
    EXPECT_EQ(Install().boxText, OkText);
    EXPECT_FALSE(PathExists(TargetPath("Base\\Pack\\Version.ini")));
    EXPECT_FALSE(PathExists(TargetPath("Resource\\InstallComponents.ini")));
    EXPECT_EQ(ReadBytes(TargetPath("Base\\Pack\\OldVersions.ini")), "1.0\r\n1.1\r\n") << "copied whatever the mode";

    PackMode = "new";
    EXPECT_EQ(Install().boxText, OkText);
    EXPECT_EQ(ReadBytes(TargetPath("Base\\Pack\\Version.ini")), "1.2\r\n");
    EXPECT_EQ(ReadBytes(TargetPath("Resource\\InstallComponents.ini")), "Pack/1.2\r\n");
}

TEST_F(InstallStage, EmptyFolderPartsPutEverythingIntoTheTarget) {
    PackName = "";
    PackBaseFolder = "";
    PackFile("a.txt", "A");
    PackFile("Sub\\b.txt", "B");
    Script("Script_Copy.ini", {"a.txt"});
    Script("Script_ACopy.ini", {"Sub\\b.txt"});
    Script("OldVersions.ini", {"0.9"});
    EXPECT_EQ(Install().boxText, OkText);
    EXPECT_EQ(ReadBytes(TargetPath("a.txt")), "A");
    EXPECT_EQ(ReadBytes(TargetPath("Sub\\b.txt")), "B");
    EXPECT_EQ(ReadBytes(TargetPath("Version.ini")), "1.2\r\n");
    EXPECT_EQ(ReadBytes(TargetPath("OldVersions.ini")), "0.9\r\n");
    EXPECT_EQ(ReadBytes(TargetPath("Resource\\InstallComponents.ini")), "/1.2\r\n");
}

TEST_F(InstallStage, WholeRecordReplacesTheTargetsAndTheScriptsAreIgnored) {
    WriteBytes(TargetPath("Resource\\Uninstall.ini"), "[Old]\r\nold\r\n");
    WriteBytes(SourcePath("Uninstall.ini"), "[New]\nnew");
    Script("Script_Uninstall_Clear.ini", {"[New]"});
    Script("Script_Uninstall_Add.ini", {"[New]", "added", "more"});
    PackFile("a.txt", "A");
    Script("Script_ACopy.ini", {"a.txt", "missing.txt"});
    InstallOutcome outcome = Install();
    EXPECT_EQ(outcome.boxText, OkText);
    EXPECT_EQ(ReadBytes(TargetPath("Resource\\Uninstall.ini")), "[New]\nnew") << "copied byte for byte";
    EXPECT_EQ(outcome.barTop, 3) << "one step for the record, two for the copy lines";
    EXPECT_EQ(outcome.barPosition, 3);
}

TEST_F(InstallStage, ScriptsMergeIntoTheRecordThroughTemporaryFiles) {
    WriteBytes(TargetPath("Resource\\Uninstall.ini"), "[A]\r\nold\r\ngone\r\n[Z]\r\n");
    Script("Script_Uninstall_Clear.ini", {"gone"});
    Script("Script_Uninstall_Add.ini", {"[A]", "a1", "old", "[B]", "b1"});
    InstallOutcome outcome = Install();
    EXPECT_EQ(outcome.boxText, OkText);
    EXPECT_EQ(ReadBytes(TargetPath("Resource\\Uninstall.ini")), "[A]\r\na1\r\nold\r\n[Z]\r\n[B]\r\nb1\r\n");
    EXPECT_EQ(outcome.barTop, 5) << "the add script counts, the clear script does not";
    EXPECT_EQ(outcome.barPosition, 5);
    EXPECT_FALSE(PathExists(SourcePath("Uninstall.tmp")));
    EXPECT_FALSE(PathExists(SourcePath("InstallComponents.tmp")));
}

TEST_F(InstallStage, NoRecordInTheTargetChangesNothingAndIsNoFailure) {
    Script("Script_Uninstall_Clear.ini", {"x"});
    Script("Script_Uninstall_Add.ini", {"[A]", "a"});
    InstallOutcome outcome = Install();
    EXPECT_EQ(outcome.boxText, OkText);
    EXPECT_EQ(outcome.barPosition, 2) << "the add lines still take their steps";
    EXPECT_FALSE(PathExists(TargetPath("Resource\\Uninstall.ini")));
}

TEST_F(InstallStage, CopiesCreateFoldersDeletesComeFirstAndMissingSourcesPassOver) {
    PackFile("Data\\Maps\\x.map", "new map");
    PackFile("same.txt", "fresh");
    PackFile("old.txt", "old source");
    StampBefore1980(SourcePath("PACK\\old.txt"));
    WriteBytes(TargetPath("same.txt"), "stale");
    WriteBytes(TargetPath("keep.txt"), "kept");
    StampBefore1980(TargetPath("keep.txt"));
    WriteBytes(TargetPath("drop.txt"), "dropped");
    MakeFolders(TargetPath("Folder"));
    Script("Script_Delete.ini", {"same.txt", "keep.txt", "drop.txt", "Folder", "nothing.txt", ""});
    Script("Script_ACopy.ini", {"same.txt", "", "Data", "absent.txt", "old.txt"});
    Script("Script_Copy.ini", {"Data\\Maps\\x.map"});
    InstallOutcome outcome = Install();
    EXPECT_EQ(outcome.boxText, OkText);
    EXPECT_EQ(ReadBytes(TargetPath("same.txt")), "fresh") << "deleted, then copied afresh";
    EXPECT_EQ(ReadBytes(TargetPath("keep.txt")), "kept") << "a file from before 1980 counts as absent";
    EXPECT_FALSE(PathExists(TargetPath("drop.txt")));
    EXPECT_TRUE(PathExists(TargetPath("Folder"))) << "a folder is never deleted";
    EXPECT_FALSE(PathExists(TargetPath("old.txt"))) << "a source from before 1980 is passed over";
    EXPECT_EQ(ReadBytes(TargetPath("Base\\Pack\\Data\\Maps\\x.map")), "new map");
    EXPECT_EQ(outcome.barTop, 12);
    EXPECT_EQ(outcome.barPosition, 12);
    EXPECT_EQ(outcome.elapsedText.rfind("Elapsed: 00:00:", 0), 0u) << outcome.elapsedText;
}

static std::string Numbered(int i, const char* suffix = "") { return std::string("f").append(std::to_string(i)).append(suffix); }

TEST_F(InstallStage, OneFailedCopyFailsTheRunWhileEveryOtherLineIsCopied) {
    std::vector<std::string> lines;
    for (int i = 0; i < 20; ++i) {
        std::string name = Numbered(i, ".txt");
        PackFile(name, name);
        lines.push_back(name);
    }
    MakeFolders(TargetPath("f7.txt"));  // a folder where the file should go: no copy can land there
    Script("Script_ACopy.ini", lines);
    EXPECT_EQ(Install().boxText, FailedText);
    for (int i = 0; i < 20; ++i) {
        if (i == 7) continue;
        std::string name = Numbered(i, ".txt");
        EXPECT_EQ(ReadBytes(TargetPath(name)), name);
    }
}

TEST_F(InstallStage, DestinationThatRefusesTheCopyStaysAndCountsAsCopied) {
    PackFile("locked.txt", "new");
    WriteBytes(TargetPath("locked.txt"), "old");
    // Held open without sharing, the file refuses to be overwritten, as a
    // read-only one does on Windows (Wine's root user would overwrite that).
    HANDLE held = CreateFileA(TargetPath("locked.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Script("Script_ACopy.ini", {"locked.txt"});
    std::string box = Install().boxText;
    CloseHandle(held);
    EXPECT_EQ(box, OkText);
    EXPECT_EQ(ReadBytes(TargetPath("locked.txt")), "old");
}

TEST_F(InstallStage, TemporaryRecordThatCannotBeWrittenFailsBeforeTheCopies) {
    // A folder in the way of the temporary file acts like a setup folder
    // without write access: creating the file fails.
    MakeFolders(SourcePath("Uninstall.tmp"));
    WriteBytes(TargetPath("Resource\\Uninstall.ini"), "[A]\r\n");
    Script("Script_Uninstall_Add.ini", {"[A]", "a"});
    Script("Script_Delete.ini", {"doomed.txt"});
    WriteBytes(TargetPath("doomed.txt"), "x");
    PackFile("a.txt", "A");
    Script("Script_ACopy.ini", {"a.txt"});
    EXPECT_EQ(Install().boxText, FailedText);
    EXPECT_FALSE(PathExists(TargetPath("doomed.txt"))) << "the delete phase ran before";
    EXPECT_FALSE(PathExists(TargetPath("a.txt"))) << "the copy phases never ran";
    EXPECT_FALSE(PathExists(TargetPath("Base\\Pack\\Version.ini")));
    EXPECT_EQ(ReadBytes(TargetPath("Resource\\Uninstall.ini")), "[A]\r\n");
}

TEST_F(InstallStage, MissingResourceFolderFailsAfterTheVersionStamp) {
    RemoveTree(TargetPath("Resource"));
    EXPECT_EQ(Install().boxText, FailedText);
    EXPECT_EQ(ReadBytes(TargetPath("Base\\Pack\\Version.ini")), "1.2\r\n");
}

TEST_F(InstallStage, RangeTakesTheLow16BitsOfTheTotal) {
    // Add script lines without a record only take steps: cheap lines.
    Script("Script_Uninstall_Add.ini", std::vector<std::string>(65540, "[A]"));
    InstallOutcome outcome = Install();
    EXPECT_EQ(outcome.boxText, OkText);
    EXPECT_EQ(outcome.barTop, 4);
    EXPECT_EQ(outcome.barPosition, 4) << "positions past the top show a full bar";
}

TEST_F(InstallStage, LinesReachingOutsideTheTargetAreRefused) {
    std::string outside = target.path + "_outside.txt";
    WriteBytes(outside, "victim");
    WriteBytes(SourcePath("outside.txt"), "escaped");
    WriteBytes(TargetPath("a.txt"), "a");
    WriteBytes(TargetPath("b.txt"), "b");
    std::string outsideName = outside.substr(outside.find_last_of('\\') + 1);
    Script("Script_Delete.ini", {"..\\" + outsideName, "*.txt", "a?txt", outside});
    Script("Script_ACopy.ini", {"..\\outside.txt"});
    InstallOutcome outcome = Install();
    EXPECT_EQ(outcome.boxText, FailedText) << "a refused copy line is a failed copy";
    EXPECT_EQ(ReadBytes(outside), "victim");
    EXPECT_TRUE(PathExists(TargetPath("a.txt")) && PathExists(TargetPath("b.txt")));
    EXPECT_FALSE(PathExists(target.path + "\\..\\outside.txt"));
    DeleteFileA(outside.c_str());

    // Package-folder lines may climb as long as they stay inside the target;
    // source and destination climb alike (PACK\..\outside.txt is Source\outside.txt).
    Script("Script_Delete.ini", {});
    Script("Script_ACopy.ini", {});
    Script("Script_Copy.ini", {"..\\outside.txt", "..\\..\\..\\outside.txt"});
    EXPECT_EQ(Install().boxText, FailedText);
    EXPECT_EQ(ReadBytes(TargetPath("Base\\outside.txt")), "escaped");
}

TEST_F(InstallStage, ClosingTheWindowDuringTheRunFinishesTheRunAndSkipsTheWait) {
    for (int i = 0; i < 5; ++i) PackFile(Numbered(i), "x");
    Script("Script_ACopy.ini", {"f0", "f1", "f2", "f3", "f4"});
    InstallOutcome outcome = Install(DuringRun::CloseWindow);
    EXPECT_EQ(outcome.boxText, OkText);
    EXPECT_TRUE(outcome.waitEndedByItself) << "no wait for a window that is gone";
    EXPECT_TRUE(WindowClosed);
    EXPECT_TRUE(QuitPumped);
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(PathExists(TargetPath(Numbered(i))));
    EXPECT_EQ(ReadBytes(TargetPath("Base\\Pack\\Version.ini")), "1.2\r\n");
}

TEST_F(InstallStage, QuitTakenByThePumpStillEndsTheFinalWait) {
    PackFile("f0", "x");
    Script("Script_ACopy.ini", {"f0"});
    InstallOutcome outcome = Install(DuringRun::QuitMessage);
    EXPECT_EQ(outcome.boxText, OkText);
    EXPECT_FALSE(WindowClosed);
    EXPECT_TRUE(outcome.waitEndedByItself) << "the quit is posted again for the page after the run";
}
