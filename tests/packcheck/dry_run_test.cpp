// The dry run's file work: the real folders found as Windows finds names, and
// the install run over it ending where the same run over the engine tests'
// in-memory disk ends, without writing.
#include "packcheck/dry_run_files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/text_lines.h"
#include "engine/install_run.h"
#include "engine/memory_files.h"
#include "packcheck/dry_run.h"

using Files = std::map<std::string, std::string>;

TEST(DryRunFolders, NamesAreFoundAsWindowsFindsThem) {
    FolderTree tree = FolderTree::InMemory({{"Source\\PACK\\Data\\readme.txt", "r"}, {"Source\\PACK\\\xC0\xE1.map", "m"}});
    ASSERT_NE(tree.Find("source\\pack\\DATA\\Readme.TXT"), nullptr);
    EXPECT_EQ(tree.Find("source/pack/DATA/Readme.TXT")->name, "Source\\PACK\\Data\\readme.txt");
    EXPECT_NE(tree.Find("Source\\PACK\\\xE0\xC1.map"), nullptr) << "Cyrillic letters fold too";
    EXPECT_NE(tree.Find("Source\\.\\x\\..\\PACK\\Data\\readme.txt. "), nullptr);
    EXPECT_EQ(tree.Find("..\\Source\\PACK\\Data\\readme.txt"), nullptr);
    EXPECT_TRUE(tree.Find("Source\\PACK")->folder);
    EXPECT_FALSE(tree.IsPresent("Source\\PACK"));
    tree.entries[tree.Find("Source\\PACK\\Data\\readme.txt") - tree.entries.data()].dosDated = false;
    EXPECT_FALSE(tree.IsPresent("Source\\PACK\\Data\\readme.txt")) << "setup takes a file dated before 1980 as absent";
}

namespace {

struct NoProgress : InstallProgress {
    void SetProgressRange(int) override {}
    void ShowProgressStep(int) override {}
};

struct Outcome {
    bool ok;
    Files target;  // every file of the target afterwards
};

Outcome InstallInMemory(const Files& setup, const Files& target, const Package& package) {
    MemoryFiles disk;
    disk.CreateFolderTree("C:\\Game");
    for (const auto& [path, bytes] : setup) disk.Put("C:\\Setup\\" + path, bytes);
    for (const auto& [path, bytes] : target) disk.Put("C:\\Game\\" + path, bytes);
    NoProgress progress;
    Outcome outcome{RunInstall("C:\\Setup", "C:\\Game", package, disk, progress), {}};
    for (const auto& [path, bytes] : disk.files) {
        if (path.rfind("C:\\Game\\", 0) == 0) outcome.target[path.substr(8)] = bytes;
    }
    return outcome;
}

Outcome DryInstall(const Files& setup, const Files& target, const Package& package, std::vector<Change>& changes) {
    FolderTree setupTree = FolderTree::InMemory(setup), targetTree = FolderTree::InMemory(target);
    setupTree.root = "C:\\Setup";
    targetTree.root = "C:\\Game";
    DryRunFiles files(setupTree, targetTree);
    NoProgress progress;
    Outcome outcome{RunInstall(setupTree.root, targetTree.root, package, files, progress), {}};
    Files candidates = target;
    for (const auto& change : files.changes) candidates[change.place.relative];
    for (const auto& [path, bytes] : candidates) {
        if (auto lines = files.LinesAfter(path)) outcome.target[path] = JoinTextLines(*lines);
    }
    changes = files.changes;
    return outcome;
}

Package DemoPackage(const std::string& mode) {
    Package package;
    package.PackName = "Pack";
    package.PackBaseFolder = "Addons";
    package.PackVersion = "2.1";
    package.PackMode = mode;
    return package;
}

}  // namespace

TEST(DryRunFiles, EndsWhereTheInstallRunOverTheMemoryDiskEnds) {
    const Files record{{"Resource\\Uninstall.ini", "[Files]\r\nquill.exe\r\nold.map\r\n"},
                       {"Resource\\InstallComponents.ini", "Base/1.0\r\n"}, {"old.map", "old\r\n"}, {"cfg.txt", "c\r\n"}};
    const Files scripts{{"Source\\Script_Delete.ini", "old.map\r\nmissing.map\r\n"},
                        {"Source\\Script_Uninstall_Clear.ini", "old.map\r\n"},
                        {"Source\\Script_Uninstall_Add.ini", "[Files]\r\nAddons\\Pack\\a.map\r\n[Folders]\r\nAddons\\Pack\r\n"},
                        {"Source\\Script_ACopy.ini", "cfg.txt\r\n"},
                        {"Source\\Script_Copy.ini", "Maps\\a.map\r\nnot-shipped.map\r\n"},
                        {"Source\\PACK\\cfg.txt", "new\r\n"}, {"Source\\PACK\\Maps\\a.map", "a\r\n"},
                        {"Source\\OldVersions.ini", "2.0\r\n"}};
    Files wholeRecord = scripts;
    wholeRecord["Source\\Uninstall.ini"] = "[Files]\r\nAddons\\Pack\\Maps\\a.map\r\n";
    Files noResource = record;
    noResource.erase("Resource\\Uninstall.ini");
    noResource.erase("Resource\\InstallComponents.ini");
    const struct {
        const char* name;
        Files setup, target;
        std::string mode;
    } cases[] = {{"scripts and stamps", scripts, record, ""},
                 {"whole record, mode New", wholeRecord, record, "New"},
                 {"no Resource folder: the components list cannot be made", scripts, noResource, ""}};
    for (const auto& c : cases) {
        std::vector<Change> changes;
        Outcome expected = InstallInMemory(c.setup, c.target, DemoPackage(c.mode));
        Outcome dry = DryInstall(c.setup, c.target, DemoPackage(c.mode), changes);
        EXPECT_EQ(dry.ok, expected.ok) << c.name;
        EXPECT_EQ(dry.target, expected.target) << c.name;
        EXPECT_FALSE(changes.empty()) << c.name;
    }
}

TEST(DryRunFiles, ChangesAreRecordedInOrderAndOverwritesMarked) {
    std::vector<Change> changes;
    DryInstall({{"Source\\Script_Delete.ini", "old.map\r\n"}, {"Source\\Script_ACopy.ini", "CFG.txt\r\n"},
                {"Source\\PACK\\CFG.txt", "new\r\n"}},
               {{"old.map", "o"}, {"cfg.txt", "c"}}, DemoPackage("New"), changes);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].kind, Change::Kind::Delete);
    EXPECT_EQ(changes[0].place.relative, "old.map");
    EXPECT_EQ(changes[1].kind, Change::Kind::Copy);
    EXPECT_TRUE(changes[1].overwrites) << "cfg.txt is there under another case";
    EXPECT_EQ(changes[1].source.relative, "Source\\PACK\\CFG.txt");
}

// What the disk refuses: a read-only file that setup must replace or copy
// over, and a file where a copy needs its folder. The run fails there, says
// why, and changes nothing for that file.
TEST(DryRunFiles, ReadOnlyFilesAndAFileInAFoldersPlaceFailTheRun) {
    const Files setup{{"Source\\Script_Copy.ini", "Maps\\a.map\r\n"}, {"Source\\PACK\\Maps\\a.map", "a\r\n"}};
    const Files target{{"Resource\\InstallComponents.ini", "Base/1.0\r\n"}, {"Addons\\Pack\\Maps\\a.map", "old\r\n"}};
    const struct {
        Files target;
        const char* readOnly;
        const char* failure;  // "" when the run gets through
        bool copies;          // the map is copied
    } cases[] = {
        {target, "", "", true},
        {target, "Resource\\InstallComponents.ini",
         "Resource\\InstallComponents.ini is read-only: setup cannot replace it, fails and puts the target back as it was",
         true},
        {target, "Addons\\Pack\\Maps\\a.map",
         "Addons\\Pack\\Maps\\a.map is read-only: setup does not copy over it, fails and puts the target back as it was",
         false},
        {{{"Addons\\Pack\\Maps", "a file"}}, "",
         "Addons\\Pack\\Maps\\a.map: the file Addons\\Pack\\Maps stands where its folder must be: setup copies nothing "
         "there, fails and puts the target back as it was",
         false},
    };
    for (const auto& c : cases) {
        FolderTree setupTree = FolderTree::InMemory(setup), targetTree = FolderTree::InMemory(c.target);
        setupTree.root = "C:\\Setup";
        targetTree.root = "C:\\Game";
        for (auto& entry : targetTree.entries) entry.readOnly = entry.name == c.readOnly;
        DryRunFiles files(setupTree, targetTree);
        NoProgress progress;
        bool ok = RunInstall(setupTree.root, targetTree.root, DemoPackage(""), files, progress);
        std::string failure = c.failure;
        EXPECT_EQ(ok, failure.empty()) << c.readOnly;
        EXPECT_EQ(files.failures, failure.empty() ? std::vector<std::string>{} : std::vector<std::string>{failure});
        bool copied = false;
        for (const auto& change : files.changes) {
            EXPECT_NE(change.place.relative, c.readOnly) << "a read-only file stays as it is";
            copied = copied || change.place.relative == "Addons\\Pack\\Maps\\a.map";
        }
        EXPECT_EQ(copied, c.copies) << c.failure;
    }
}

// What this process may write, not what the attributes say: a folder it cannot
// write fails the run where a file must go into it, wherever in the run that is.
TEST(DryRunFiles, PlacesTheProcessCannotWriteFailTheRun) {
    const Files setup{{"Source\\Script_Copy.ini", "Maps\\a.map\r\n"}, {"Source\\PACK\\Maps\\a.map", "a\r\n"}};
    const Files target{{"Resource\\InstallComponents.ini", "Base/1.0\r\n"}, {"Addons\\Pack\\Maps\\a.map", "old\r\n"}};
    const struct {
        const char* unwritable;
        const char* failure;  // "" when the run gets through
    } cases[] = {
        {"Resource\\Uninstall.ini", ""},  // not there: nothing asks for it
        {"", "the target folder cannot be written by this user (access denied): setup cannot make Addons"},
        {"Resource", "the folder Resource cannot be written by this user (access denied): setup cannot write "
                     "Resource\\InstallComponents.ini"},
        {"Addons\\Pack\\Maps\\a.map",
         "Addons\\Pack\\Maps\\a.map cannot be written by this user (access denied): setup cannot replace it"},
    };
    for (const auto& c : cases) {
        std::string unwritable = c.unwritable;
        Files fresh = target;
        if (unwritable.empty()) fresh = {{"Resource\\InstallComponents.ini", "Base/1.0\r\n"}};
        FolderTree setupTree = FolderTree::InMemory(setup), targetTree = FolderTree::InMemory(fresh);
        setupTree.root = "C:\\Setup";
        targetTree.root = "C:\\Game";
        targetTree.unwritable.insert(unwritable);
        DryRunFiles files(setupTree, targetTree);
        NoProgress progress;
        bool ok = RunInstall(setupTree.root, targetTree.root, DemoPackage(""), files, progress);
        std::string failure = c.failure;
        EXPECT_EQ(ok, failure.empty()) << c.unwritable;
        ASSERT_EQ(files.failures.size(), failure.empty() ? 0u : 1u) << c.unwritable;
        if (!failure.empty()) {
            EXPECT_EQ(files.failures[0], failure + ", fails and puts the target back as it was");
        }
    }
}

// The checks before any change: the folder, the running program, and the space
// (every byte the run writes against the volume's free bytes).
TEST(DryRun, PredictsTheSpaceCheckAndStopsWhatSetupWouldStop) {
    const Files setup{{"Source\\Script_Copy.ini", "Maps\\a.map\r\n"}, {"Source\\PACK\\Maps\\a.map", std::string(5000, 'a')},
                      {"Source\\Versions.ini", "1.2\r\n"}};
    const Files target{{"Resource\\InstallComponents.ini", "Base/1.0\r\n"}};
    FolderTree setupTree = FolderTree::InMemory(setup), targetTree = FolderTree::InMemory(target);
    setupTree.root = "C:\\Setup";
    targetTree.root = "C:\\Game";
    Package package = DemoPackage("");
    package.PackExeName = "quill.exe";
    // 5000 bytes of the map, the components list (20) and the stamp (5).
    DryRunReport roomy = DryRun(setupTree, targetTree, package, 5025);
    EXPECT_NE(std::find(roomy.lines.begin(), roomy.lines.end(), "Space: 5025 bytes to write; the target's volume has enough free"),
              roomy.lines.end());
    ASSERT_EQ(roomy.stops.size(), 1u) << "no executable: setup finds no copy here";
    EXPECT_EQ(roomy.stops[0], "quill.exe is not in the target: setup finds no copy of the program there");
    DryRunReport full = DryRun(setupTree, targetTree, package, 5024);
    ASSERT_EQ(full.stops.size(), 2u);
    EXPECT_EQ(full.stops[1], "5025 bytes to write, but the target's volume has only 5024 bytes free: setup says so "
                             "and changes nothing");
    DryRunReport running = DryRun(setupTree, targetTree, package, 5025, true);
    ASSERT_EQ(running.stops.size(), 2u);
    EXPECT_EQ(running.stops[1], "quill.exe runs from the target now: setup waits until the program is closed");
}
