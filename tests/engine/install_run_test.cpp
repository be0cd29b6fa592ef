// The install run's rules on files held in memory: the phases and their order,
// the progress steps, the record edits, the stamps and what fails the run.
#include "engine/install_run.h"

#include <gtest/gtest.h>

#include <new>
#include <utility>

#include "base/text_lines.h"
#include "engine/memory_files.h"
#include "engine/uninstall_records.h"

namespace {

struct RecordingProgress : InstallProgress {
    int total = -1;
    int position = 0;
    int steps = 0;
    void SetProgressRange(int range) override { total = range; }
    void ShowProgressStep(int at) override {
        position = at;
        ++steps;
    }
};

class InstallRules : public ::testing::Test {
protected:
    MemoryFiles disk;
    Package package;
    RecordingProgress progress;
    const std::string setup = "C:\\Setup";
    const std::string target = "C:\\Game";

    void SetUp() override {
        package.PackName = "Pack";
        package.PackBaseFolder = "Base";
        package.PackVersion = "1.2";
        disk.CreateFolderTree(target + "\\Resource");
        disk.CreateFolderTree(setup + "\\Source");
    }
    void Script(const std::string& name, const std::vector<std::string>& lines) {
        disk.Put(setup + "\\Source\\" + name, JoinTextLines(lines));
    }
    void PackFile(const std::string& relative, const std::string& bytes) {
        disk.Put(setup + "\\Source\\PACK\\" + relative, bytes);
    }
    void TargetFile(const std::string& relative, const std::string& bytes) { disk.Put(target + "\\" + relative, bytes); }
    std::string Target(const std::string& relative) const { return disk.Bytes(target + "\\" + relative); }
    bool Install() {
        progress = RecordingProgress{};
        return RunInstall(setup, target, package, disk, progress);
    }
};

// GCC 12 warns falsely about "f" + number + ".txt" built in one expression.
std::string Numbered(int i) { return std::string("f").append(std::to_string(i)).append(".txt"); }

}  // namespace

TEST_F(InstallRules, EmptyPackageWritesTheStampsAndSucceeds) {
    EXPECT_TRUE(Install());
    EXPECT_EQ(progress.total, 0);
    EXPECT_EQ(progress.steps, 0);
    EXPECT_EQ(Target("Base\\Pack\\Version.ini"), "1.2\r\n");
    EXPECT_EQ(Target("Resource\\InstallComponents.ini"), "Pack/1.2\r\n");
}

TEST_F(InstallRules, OnlyTheExactModeNewLeavesTheStampsOut) {
    Script("OldVersions.ini", {"1.0", "1.1"});
    package.PackMode = "New";
    EXPECT_TRUE(Install());
    EXPECT_FALSE(disk.Has(target + "\\Base\\Pack\\Version.ini"));
    EXPECT_FALSE(disk.Has(target + "\\Resource\\InstallComponents.ini"));
    EXPECT_EQ(Target("Base\\Pack\\OldVersions.ini"), "1.0\r\n1.1\r\n") << "copied whatever the mode";

    package.PackMode = "new";
    EXPECT_TRUE(Install());
    EXPECT_EQ(Target("Base\\Pack\\Version.ini"), "1.2\r\n");
    EXPECT_EQ(Target("Resource\\InstallComponents.ini"), "Pack/1.2\r\n");
    EXPECT_TRUE(Install());
    EXPECT_EQ(Target("Resource\\InstallComponents.ini"), "Pack/1.2\r\n") << "each entry once";
    package.PackVersion = "1.3";
    EXPECT_TRUE(Install());
    EXPECT_EQ(Target("Resource\\InstallComponents.ini"), "Pack/1.2\r\nPack/1.3\r\n");
}

TEST_F(InstallRules, EmptyFolderPartsPutEverythingIntoTheTarget) {
    package.PackName = "";
    package.PackBaseFolder = "";
    PackFile("a.txt", "A");
    PackFile("Sub\\b.txt", "B");
    Script("Script_Copy.ini", {"a.txt"});
    Script("Script_ACopy.ini", {"Sub\\b.txt"});
    Script("OldVersions.ini", {"0.9"});
    EXPECT_TRUE(Install());
    EXPECT_EQ(Target("a.txt"), "A");
    EXPECT_EQ(Target("Sub\\b.txt"), "B");
    EXPECT_EQ(Target("Version.ini"), "1.2\r\n");
    EXPECT_EQ(Target("OldVersions.ini"), "0.9\r\n");
    EXPECT_EQ(Target("Resource\\InstallComponents.ini"), "/1.2\r\n");
}

TEST_F(InstallRules, WholeRecordReplacesTheTargetsAndTheScriptsAreIgnored) {
    TargetFile("Resource\\Uninstall.ini", "[Old]\r\nold\r\n");
    disk.Put(setup + "\\Source\\Uninstall.ini", "[New]\nnew");
    Script("Script_Uninstall_Clear.ini", {"[New]"});
    Script("Script_Uninstall_Add.ini", {"[New]", "added", "more"});
    PackFile("a.txt", "A");
    Script("Script_ACopy.ini", {"a.txt", "missing.txt"});
    EXPECT_TRUE(Install());
    EXPECT_EQ(Target("Resource\\Uninstall.ini"), "[New]\nnew") << "copied byte for byte";
    EXPECT_EQ(progress.total, 3) << "one step for the record, two for the copy lines";
    EXPECT_EQ(progress.position, 3);
}

TEST_F(InstallRules, ScriptsMergeIntoTheRecord) {
    TargetFile("Resource\\Uninstall.ini", "[A]\r\nold\r\ngone\r\n[Z]\r\n");
    Script("Script_Uninstall_Clear.ini", {"gone"});
    Script("Script_Uninstall_Add.ini", {"[A]", "a1", "old", "[B]", "b1"});
    EXPECT_TRUE(Install());
    EXPECT_EQ(Target("Resource\\Uninstall.ini"), "[A]\r\na1\r\nold\r\n[Z]\r\n[B]\r\nb1\r\n");
    EXPECT_EQ(progress.total, 5) << "the add script counts, the clear script does not";
    EXPECT_EQ(progress.position, 5);
    EXPECT_EQ(disk.rewrites, 1) << "cleared and merged, then written once";
}

TEST_F(InstallRules, ARecordTheScriptsLeaveAsItIsIsNotRewritten) {
    TargetFile("Resource\\Uninstall.ini", "[A]\na");
    Script("Script_Uninstall_Add.ini", {"[A]", "a", "[B]"});
    EXPECT_TRUE(Install());
    EXPECT_EQ(Target("Resource\\Uninstall.ini"), "[A]\na");
    EXPECT_EQ(disk.rewrites, 0) << "no block, no rewrite (the components list is new)";
}

TEST_F(InstallRules, NoRecordInTheTargetChangesNothingAndIsNoFailure) {
    Script("Script_Uninstall_Clear.ini", {"x"});
    Script("Script_Uninstall_Add.ini", {"[A]", "a"});
    EXPECT_TRUE(Install());
    EXPECT_EQ(progress.position, 2) << "the add lines still take their steps";
    EXPECT_FALSE(disk.Has(target + "\\Resource\\Uninstall.ini"));
}

TEST_F(InstallRules, CopiesCreateFoldersDeletesComeFirstAndMissingSourcesPassOver) {
    PackFile("Data\\Maps\\x.map", "new map");
    PackFile("same.txt", "fresh");
    TargetFile("same.txt", "stale");
    TargetFile("drop.txt", "dropped");
    disk.CreateFolderTree(target + "\\Folder");
    Script("Script_Delete.ini", {"same.txt", "drop.txt", "Folder", "nothing.txt", ""});
    Script("Script_ACopy.ini", {"same.txt", "", "Data", "absent.txt"});
    Script("Script_Copy.ini", {"Data\\Maps\\x.map"});
    EXPECT_TRUE(Install());
    EXPECT_EQ(Target("same.txt"), "fresh") << "deleted, then copied afresh";
    EXPECT_FALSE(disk.Has(target + "\\drop.txt"));
    EXPECT_EQ(Target("Base\\Pack\\Data\\Maps\\x.map"), "new map");
    EXPECT_EQ(progress.total, 10);
    EXPECT_EQ(progress.position, 10);
}

TEST_F(InstallRules, OneFailedCopyFailsTheRunWhileEveryOtherLineIsCopied) {
    std::vector<std::string> lines;
    for (int i = 0; i < 20; ++i) {
        std::string name = Numbered(i);
        PackFile(name, name);
        lines.push_back(name);
    }
    disk.refusedCopies.insert(target + "\\f7.txt");
    Script("Script_ACopy.ini", lines);
    EXPECT_FALSE(Install());
    for (int i = 0; i < 20; ++i) {
        std::string name = Numbered(i);
        EXPECT_EQ(Target(name), i == 7 ? "<absent>" : name);
    }
}

TEST_F(InstallRules, TheRangeIsTheWholeTotal) {
    // Add script lines without a record only take steps: cheap lines.
    Script("Script_Uninstall_Add.ini", std::vector<std::string>(65540, "[A]"));
    EXPECT_TRUE(Install());
    EXPECT_EQ(progress.total, 65540) << "the page cuts it to the bar's 16 bits";
    EXPECT_EQ(progress.position, 65540);
}

TEST_F(InstallRules, LinesReachingOutsideTheTargetAreRefused) {
    TargetFile("a.txt", "a");
    TargetFile("b.txt", "b");
    disk.Put("C:\\outside.txt", "victim");
    disk.Put(setup + "\\Source\\outside.txt", "escaped");
    Script("Script_Delete.ini", {"..\\outside.txt", "*.txt", "a?txt", "C:\\outside.txt"});
    Script("Script_ACopy.ini", {"..\\outside.txt"});
    EXPECT_FALSE(Install()) << "a refused copy line is a failed copy";
    EXPECT_EQ(disk.Bytes("C:\\outside.txt"), "victim");
    EXPECT_TRUE(disk.Has(target + "\\a.txt") && disk.Has(target + "\\b.txt"));

    // Package-folder lines may climb as long as they stay inside the target;
    // source and destination climb alike (PACK\..\outside.txt is Source\outside.txt).
    Script("Script_Delete.ini", {});
    Script("Script_ACopy.ini", {});
    Script("Script_Copy.ini", {"..\\outside.txt", "..\\..\\..\\outside.txt"});
    EXPECT_FALSE(Install());
    EXPECT_EQ(Target("Base\\outside.txt"), "escaped");
}

TEST_F(InstallRules, LinesNamingNoFileDoNothingAndALeadingSeparatorMeansTheTarget) {
    PackFile("a.txt", "A");
    PackFile("Data\\b.txt", "B");
    TargetFile("gone.txt", "x");
    TargetFile("kept.txt", "y");
    Script("Script_ACopy.ini", {"\\a.txt", "   ", "\t", "...", "", "Data\\", "/Data/b.txt"});
    Script("Script_Delete.ini", {"\\gone.txt", "CON", "kept.txt\\..\\..\\kept.txt", " "});
    EXPECT_TRUE(Install()) << "blank lines and names of dots are no failure";
    EXPECT_EQ(Target("a.txt"), "A");
    EXPECT_EQ(Target("Data\\b.txt"), "B");
    EXPECT_FALSE(disk.Has(target + "\\gone.txt"));
    EXPECT_EQ(Target("kept.txt"), "y") << "a refused delete line does nothing";
    EXPECT_EQ(progress.position, 11);

    Script("Script_ACopy.ini", {"a.txt", "nul.txt"});
    EXPECT_FALSE(Install()) << "a refused copy line fails the run";
    EXPECT_EQ(Target("a.txt"), "A");
}

TEST_F(InstallRules, FilesThatCannotBeReplacedFailTheRunAndKeepTheirBytes) {
    const std::string record = target + "\\Resource\\Uninstall.ini";
    const std::string list = target + "\\Resource\\InstallComponents.ini";
    TargetFile("Resource\\Uninstall.ini", "[A]\r\n");
    TargetFile("Resource\\InstallComponents.ini", "Other/1\r\n");
    Script("Script_Uninstall_Add.ini", {"[A]", "a"});
    PackFile("a.txt", "A");
    Script("Script_ACopy.ini", {"a.txt"});
    disk.refusedWrites.insert(record);
    EXPECT_FALSE(Install());
    EXPECT_EQ(Target("Resource\\Uninstall.ini"), "[A]\r\n");
    EXPECT_FALSE(disk.Has(target + "\\a.txt")) << "the run ends at the record";

    disk.refusedWrites = {list};
    EXPECT_FALSE(Install());
    EXPECT_EQ(Target("Resource\\InstallComponents.ini"), "Other/1\r\n");
    EXPECT_FALSE(disk.Has(target + "\\Base\\Pack\\Version.ini")) << "Version.ini comes last";

    disk.refusedWrites = {record};
    disk.Put(setup + "\\Source\\Uninstall.ini", "[Whole]\r\n");
    EXPECT_FALSE(Install()) << "the whole record that cannot replace the target's";

    disk.refusedWrites.clear();
    disk.files.erase(list);
    disk.folders.erase(target + "\\Resource");
    disk.files.erase(record);
    disk.files.erase(setup + "\\Source\\Uninstall.ini");
    EXPECT_FALSE(Install()) << "no Resource folder for the components list";
    EXPECT_FALSE(disk.Has(target + "\\Base\\Pack\\Version.ini"));
}

TEST_F(InstallRules, StampsFollowOnlyARunWhoseEveryStepSucceeded) {
    PackFile("a.txt", "A");
    Script("Script_ACopy.ini", {"a.txt"});
    Script("OldVersions.ini", {"1.0"});
    disk.refusedCopies.insert(target + "\\a.txt");
    EXPECT_FALSE(Install());
    EXPECT_FALSE(disk.Has(target + "\\Base\\Pack\\Version.ini"));
    EXPECT_FALSE(disk.Has(target + "\\Base\\Pack\\OldVersions.ini"));
    EXPECT_FALSE(disk.Has(target + "\\Resource\\InstallComponents.ini"));
}

TEST_F(InstallRules, PackageFolderOutsideTheTargetInstallsNothing) {
    PackFile("a.txt", "A");
    Script("Script_ACopy.ini", {"a.txt"});
    Script("Script_Copy.ini", {"a.txt"});
    const auto before = disk.files;
    for (auto [base, name] : std::vector<std::pair<std::string, std::string>>{
             {"..", "Pack"}, {"Base", "..\\..\\Pack"}, {"C:\\Elsewhere", "Pack"}, {"\\\\Server\\Share", "Pack"},
             {"", "Pack:stream"}, {"c:", ""}, {"", "//Server/Share"}}) {
        package.PackBaseFolder = base;
        package.PackName = name;
        EXPECT_FALSE(PackageFolderIsSafe(package)) << base << " | " << name;
        EXPECT_FALSE(Install()) << base << " | " << name;
        EXPECT_EQ(disk.files, before) << base << " | " << name;
    }
    for (auto [base, name] : std::vector<std::pair<std::string, std::string>>{
             {"", ""}, {"Addons", ""}, {"", "Pack"}, {"Addons\\Deep", "Pack"}, {"Addons\\..", "Pack"}, {"\\Addons", "Pack"}}) {
        package.PackBaseFolder = base;
        package.PackName = name;
        EXPECT_TRUE(PackageFolderIsSafe(package)) << base << " | " << name;
    }
}

// Any failure inside the run, not only a file's: it ends as a failed run.
struct FilesOutOfMemory : MemoryFiles {
    TextBuffer ReadText(const std::string& path) override {
        if (path.find("Script_Uninstall_Add") != std::string::npos) throw std::bad_alloc();
        return MemoryFiles::ReadText(path);
    }
};

TEST_F(InstallRules, RunningOutOfMemoryFailsTheRun) {
    FilesOutOfMemory files;
    files.files = disk.files;
    files.folders = disk.folders;
    files.Put(target + "\\Resource\\Uninstall.ini", "[A]\r\n");
    files.Put(setup + "\\Source\\Script_Uninstall_Add.ini", "[A]\r\na\r\n");
    bool ok = true;
    EXPECT_NO_THROW(ok = RunInstall(setup, target, package, files, progress));
    EXPECT_FALSE(ok);
    EXPECT_FALSE(files.Has(target + "\\Base\\Pack\\Version.ini"));
}
