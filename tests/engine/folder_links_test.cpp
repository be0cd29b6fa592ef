// Folder links below the target, on files in memory: the run records each one
// it crosses before its first change below it, a killed run is recovered
// through links that still lead where they did, and nothing is done through a
// link that moved, appeared or went since.
#include "engine/folder_links.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/text_lines.h"
#include "engine/install_run.h"
#include "engine/memory_files.h"

namespace {

struct Steps : InstallProgress {
    std::function<void()> onStep;
    void SetProgressRange(int) override {}
    void ShowProgressStep(int) override {
        if (onStep) onStep();
    }
};

struct Tree {
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    bool operator==(const Tree&) const = default;
};

Tree TreeOf(const MemoryFiles& disk) { return {disk.files, disk.folders}; }

std::string Describe(const Tree& tree) {
    std::string text;
    for (const auto& [path, bytes] : tree.files) text += path + " = " + bytes.substr(0, 40) + "\n";
    return text;
}

// Everything below `folder`, relative to it.
std::map<std::string, std::string> FilesBelow(const MemoryFiles& disk, const std::string& folder) {
    std::map<std::string, std::string> below;
    for (const auto& [path, bytes] : disk.files) {
        if (path.rfind(folder + "\\", 0) == 0) below[path.substr(folder.size() + 1)] = bytes;
    }
    return below;
}

// A copy whose Data folder the user moved to another drive behind a link, with
// a link inside it to a third place: the run deletes, replaces and creates
// files, and makes a folder, through both.
class LinkedTarget : public ::testing::Test {
protected:
    MemoryFiles disk;
    Package package;
    const std::string setup = "C:\\Setup";
    const std::string target = "C:\\Game";
    const std::string moved = "D:\\Moved\\Data";
    const std::string maps = "E:\\Maps";

    void SetUp() override {
        package.PackName = "Pack";
        package.PackBaseFolder = "Base";
        package.PackVersion = "1.2";
        disk.Put(target + "\\Resource\\Uninstall.ini", "[Files]\r\n");
        disk.Put(target + "\\Resource\\InstallComponents.ini", "Base/1.0\r\n");
        disk.Put(moved + "\\old.dat", "old");
        disk.Put(moved + "\\a.txt", "a1");
        disk.Put(maps + "\\m.map", "m1");
        disk.folderLinks[target + "\\Data"] = moved;
        disk.folderLinks[moved + "\\Maps"] = maps;
        Script("Script_Delete.ini", {"Data\\old.dat"});
        Script("Script_ACopy.ini", {"Data\\a.txt", "Data\\Maps\\m.map", "Data\\New\\b.txt"});
        Script("Script_Copy.ini", {"p.txt"});
        Pack("Data\\a.txt", "a2");
        Pack("Data\\Maps\\m.map", "m2");
        Pack("Data\\New\\b.txt", "b2");
        Pack("p.txt", "p2");
    }
    void Script(const std::string& name, const std::vector<std::string>& lines) {
        disk.Put(setup + "\\Source\\" + name, JoinTextLines(lines));
    }
    void Pack(const std::string& relative, const std::string& bytes) {
        disk.Put(setup + "\\Source\\PACK\\" + relative, bytes);
    }
    InstallOutcome Run(Steps steps = {}, TransactedRun* report = nullptr) {
        return RunTransactedInstall(setup, target, package, disk, disk, steps, report);
    }
    // The run killed at change `at`; true when the kill came before it ended.
    bool RunKilledAt(int at) {
        disk.changes = 0;
        disk.killAt = at;
        disk.killed = false;
        Run();
        disk.killAt = -1;
        disk.PowerCut();
        return disk.killed;
    }
    void Restore(const Tree& tree) {
        disk.files = tree.files;
        disk.folders = tree.folders;
        disk.unflushed.clear();
        disk.runRecords.clear();
    }
    ParsedJournal Journal() { return ParseJournal(disk.Bytes(JournalPath(target))); }
    // Kills the run once the old m.map is kept aside, behind both links.
    void KillAfterTheMapIsAside() {
        for (int at = 0;; ++at) {
            Restore(before);
            ASSERT_TRUE(RunKilledAt(at)) << "the run ended before the map was kept aside";
            if (disk.Has(maps + "\\m.map.setup-old")) return;
        }
    }
    Tree before;
};

}  // namespace

// Each link is in the journal once, ahead of the first change below it, with
// where it leads; the files go where the links lead.
TEST_F(LinkedTarget, TheRunRecordsEachLinkItCrossesAheadOfTheChangesBelowIt) {
    before = TreeOf(disk);
    KillAfterTheMapIsAside();
    ParsedJournal journal = Journal();
    ASSERT_EQ(journal.state, JournalState::Unfinished) << journal.reason;
    std::map<std::string, int> linkAt;
    for (size_t i = 0; i < journal.entries.size(); ++i) {
        const JournalEntry& e = journal.entries[i];
        if (e.kind == JournalEntry::Kind::Link) {
            EXPECT_FALSE(linkAt.count(e.path)) << e.path << " recorded twice";
            linkAt[e.path] = static_cast<int>(i);
            EXPECT_EQ(e.identity.size, 0) << e.path << " leads somewhere";
            continue;
        }
        if (e.path.rfind("Data\\", 0) == 0) {
            ASSERT_TRUE(linkAt.count("Data")) << e.path << " before its link";
        }
        if (e.path.rfind("Data\\Maps\\", 0) == 0) {
            ASSERT_TRUE(linkAt.count("Data\\Maps")) << e.path << " before its link";
        }
    }
    EXPECT_EQ(linkAt.size(), 2u);
    EXPECT_NE(journal.entries[linkAt["Data"]].identity, journal.entries[linkAt["Data\\Maps"]].identity);

    Restore(before);
    ASSERT_EQ(Run(), InstallOutcome::Installed);
    EXPECT_EQ(disk.Bytes(moved + "\\a.txt"), "a2");
    EXPECT_EQ(disk.Bytes(maps + "\\m.map"), "m2");
    EXPECT_EQ(disk.Bytes(moved + "\\New\\b.txt"), "b2");
    EXPECT_FALSE(disk.Has(moved + "\\old.dat"));
    EXPECT_TRUE(disk.folderLinks.count(target + "\\Data")) << "the link itself stays";
}

// A kill at any change, through the links as the run recorded them: recovery
// leaves the tree before the run or the tree of one whole run.
TEST_F(LinkedTarget, KillsAnywhereAreRecoveredThroughTheLinksTheRunCrossed) {
    before = TreeOf(disk);
    ASSERT_EQ(Run(), InstallOutcome::Installed);
    Tree installed = TreeOf(disk);
    int kills = 0;
    for (int at = 0;; ++at, ++kills) {
        Restore(before);
        if (!RunKilledAt(at)) break;
        JournalState state = InspectJournal(disk, target).state;
        bool committed = state == JournalState::Committed || (state == JournalState::None && TreeOf(disk) == installed);
        Recovery recovery = RecoverTarget(disk, target).outcome;
        EXPECT_NE(recovery, Recovery::LinkMoved) << "kill at " << at;
        EXPECT_NE(recovery, Recovery::Stuck) << "kill at " << at;
        Tree after = TreeOf(disk);
        EXPECT_EQ(after, committed ? installed : before) << "kill at " << at << ":\n" << Describe(after);
    }
    EXPECT_GT(kills, 10);
}

// Between the kill and the recovery a link is swapped for one leading
// elsewhere, a linked folder becomes a plain one, or a folder the run made
// becomes a link: recovery says which folder, acts on nothing, and keeps the journal.
// Put back as it was, the link lets the recovery through.
TEST_F(LinkedTarget, NothingIsDoneThroughALinkThatMovedAppearedOrWent) {
    disk.Put("F:\\Elsewhere\\a.txt", "someone else's a.txt");
    disk.Put("F:\\Elsewhere\\Maps\\m.map.setup-old", "someone else's old map");
    disk.Put("F:\\Res\\b.txt", "someone else's b.txt");
    before = TreeOf(disk);
    KillAfterTheMapIsAside();
    const auto linked = disk.folderLinks;
    struct Change {
        const char* what;
        std::function<void()> make;
        std::string folder;
    };
    const std::vector<Change> changes{
        {"Data swapped", [&] { disk.folderLinks[target + "\\Data"] = "F:\\Elsewhere"; }, target + "\\Data"},
        {"Maps swapped", [&] { disk.folderLinks[moved + "\\Maps"] = "F:\\Elsewhere\\Maps"; }, target + "\\Data\\Maps"},
        {"Data a plain folder",
         [&] {
             disk.folderLinks.erase(target + "\\Data");
             disk.CreateFolderTree(target + "\\Data\\Maps");
         },
         target + "\\Data"},
        {"New, made by the run, a link", [&] { disk.folderLinks[moved + "\\New"] = "F:\\Res"; }, target + "\\Data\\New"},
    };
    for (const Change& change : changes) {
        change.make();
        Tree changed = TreeOf(disk);
        std::string journal = disk.Bytes(JournalPath(target));
        JournalFinding finding = InspectJournal(disk, target);
        EXPECT_EQ(finding.state, JournalState::LinkMoved) << change.what;
        EXPECT_EQ(finding.reason, change.folder) << change.what;
        RecoveryReport report = RecoverTarget(disk, target);
        EXPECT_EQ(report.outcome, Recovery::LinkMoved) << change.what;
        EXPECT_EQ(report.file, change.folder) << change.what;
        EXPECT_EQ(TreeOf(disk), changed) << change.what;
        EXPECT_EQ(disk.Bytes(JournalPath(target)), journal) << change.what << ": the journal stays";
        EXPECT_FALSE(disk.runRecords.empty()) << change.what;
        disk.folderLinks = linked;
        disk.folders.erase(target + "\\Data\\Maps");
        disk.folders.erase(target + "\\Data");
    }
    EXPECT_EQ(RecoverTarget(disk, target).outcome, Recovery::UndoneRun);
    EXPECT_EQ(TreeOf(disk), before) << Describe(TreeOf(disk));
}

// A link swapped while the run works, before it fails: its undo stops before
// any step, says which folder, and the journal stays for the next run.
TEST_F(LinkedTarget, AFailedRunsUndoActsThroughNoLinkSwappedDuringIt) {
    disk.Put("F:\\Elsewhere\\a.txt", "someone else's a.txt");
    disk.Put("F:\\Elsewhere\\Maps\\m.map", "someone else's map");
    disk.refusedCopies.insert(MemoryFiles::Normal(setup + "\\Source\\PACK\\p.txt"));
    Steps steps;
    // Once every copy below Data is written, Data comes to lead elsewhere.
    std::map<std::string, std::string> atSwap;
    steps.onStep = [&] {
        if (atSwap.empty() && disk.Has(moved + "\\New\\b.txt.setup-tmp")) {
            atSwap = FilesBelow(disk, moved);
            disk.folderLinks[target + "\\Data"] = "F:\\Elsewhere";
        }
    };
    TransactedRun report;
    EXPECT_EQ(Run(steps, &report), InstallOutcome::Failed);
    EXPECT_EQ(report.undo.outcome, Recovery::LinkMoved);
    EXPECT_EQ(report.undo.file, target + "\\Data");
    EXPECT_EQ(FilesBelow(disk, "F:\\Elsewhere"),
              (std::map<std::string, std::string>{{"a.txt", "someone else's a.txt"}, {"Maps\\m.map", "someone else's map"}}));
    ASSERT_FALSE(atSwap.empty());
    EXPECT_EQ(FilesBelow(disk, moved), atSwap) << "nothing put back through the link either";
    EXPECT_EQ(InspectJournal(disk, target).state, JournalState::LinkMoved);

    disk.folderLinks[target + "\\Data"] = moved;
    EXPECT_EQ(RecoverTarget(disk, target).outcome, Recovery::UndoneRun);
    EXPECT_EQ(disk.Bytes(moved + "\\a.txt"), "a1");
    EXPECT_EQ(disk.Bytes(moved + "\\old.dat"), "old");
}

// The target folder itself may be a link: it is the folder the user chose,
// never one the run crosses; the links below it are recorded as before.
TEST_F(LinkedTarget, ATargetThatIsALinkIsTheUsersChoice) {
    const std::string real = "G:\\Real";
    std::map<std::string, std::string> files;
    for (const auto& [path, bytes] : disk.files) {
        files[path.rfind(target + "\\", 0) == 0 ? real + path.substr(target.size()) : path] = bytes;
    }
    disk.files = files;
    std::set<std::string> folders;
    for (const auto& folder : disk.folders) {
        folders.insert(folder.rfind(target, 0) == 0 ? real + folder.substr(target.size()) : folder);
    }
    disk.folders = folders;
    disk.folders.insert("G:");
    disk.folderLinks.erase(target + "\\Data");
    disk.folderLinks[real + "\\Data"] = moved;
    disk.folderLinks[target] = real;
    before = TreeOf(disk);
    KillAfterTheMapIsAside();
    std::set<std::string> recorded;
    for (const auto& e : Journal().entries) {
        if (e.kind == JournalEntry::Kind::Link) recorded.insert(e.path);
    }
    EXPECT_EQ(recorded, (std::set<std::string>{"Data", "Data\\Maps"}));
    EXPECT_EQ(RecoverTarget(disk, target).outcome, Recovery::UndoneRun);
    EXPECT_EQ(TreeOf(disk), before) << Describe(TreeOf(disk));
}

// A journal this user's run vouches for, naming files behind a link it never
// recorded, or recorded as leading elsewhere: nothing is acted on.
TEST_F(LinkedTarget, JournalsReachingThroughLinksTheyDidNotCrossAreNotActedOn) {
    disk.Put("F:\\Victim\\precious.txt", "precious");
    disk.Put("F:\\Victim\\victim.dll", "the victim");
    disk.Put("F:\\Victim\\victim.dll.setup-old", "the payload");
    disk.folderLinks[target + "\\Saves"] = "F:\\Victim";
    JournalHeader header{"Pack", "1.2", "2026-12-10 03:30", setup, 42};
    std::string head = FormatJournalHeader(header);
    auto line = [](JournalEntry e) { return FormatJournalEntry(e, 42); };
    FileIdentity elsewhere{0, 0, 1, 999, true};
    const std::vector<std::string> planted{
        line({JournalEntry::Kind::New, "Saves\\precious.txt", "", {}}),
        line({JournalEntry::Kind::Aside, "Saves\\victim.dll", "Saves\\victim.dll.setup-old", {}}),
        line({JournalEntry::Kind::Aside, "Saves\\victim.dll", "Saves\\victim.dll.setup-old", {}}) +
            line({JournalEntry::Kind::Committed, "", "", {}}),
        line({JournalEntry::Kind::Link, "Saves", "", elsewhere}) + line({JournalEntry::Kind::New, "Saves\\precious.txt", "", {}}),
        line({JournalEntry::Kind::Link, "Saves", "", {}}) + line({JournalEntry::Kind::New, "Saves\\precious.txt", "", {}}),
    };
    for (const std::string& lines : planted) {
        disk.Put(JournalPath(target), head + lines);
        disk.runRecords.clear();
        disk.WriteRunRecord(target, head.substr(0, head.size() - 2) + "\r\n" + FoldCp1251Case(target) + "\r\n");
        Tree plantedTree = TreeOf(disk);
        EXPECT_EQ(InspectJournal(disk, target).state, JournalState::LinkMoved) << lines;
        RecoveryReport report = RecoverTarget(disk, target);
        EXPECT_EQ(report.outcome, Recovery::LinkMoved) << lines;
        EXPECT_EQ(report.file, target + "\\Saves");
        EXPECT_EQ(TreeOf(disk), plantedTree) << lines;
    }
}

TEST(JournalLinkLines, ReadBackStrictly) {
    JournalHeader header{"Pack", "1.2", "2026-12-10 03:30", "C:\\Setup", 0x77};
    std::string head = FormatJournalHeader(header);
    FileIdentity lead{0, 0, 0x5a000000, 0xa722f3, true};
    for (const FileIdentity& id : {lead, FileIdentity{}}) {
        JournalEntry link{JournalEntry::Kind::Link, "Data\\Maps", "", id};
        ParsedJournal parsed = ParseJournal(head + FormatJournalEntry(link, 0x77));
        ASSERT_EQ(parsed.state, JournalState::Unfinished) << parsed.reason;
        ASSERT_EQ(parsed.entries.size(), 1u);
        EXPECT_EQ(parsed.entries[0].kind, JournalEntry::Kind::Link);
        EXPECT_EQ(parsed.entries[0].path, "Data\\Maps");
        EXPECT_EQ(parsed.entries[0].identity, id);
    }
    EXPECT_EQ(FormatJournalEntry({JournalEntry::Kind::Link, "Data", "", lead}, 0x77).substr(0, 31),
              "link\tData\t5a000000,0000000000a7");
    for (const char* path : {"..\\x", "C:\\x", "\\\\?\\C:\\x", "a:s", "CON", "a."}) {
        std::string line = FormatJournalEntry({JournalEntry::Kind::Link, path, "", lead}, 0x77);
        EXPECT_EQ(ParseJournal(head + line).state, JournalState::Untrusted) << path;
    }
    for (const char* body : {"link\tData\tzz,1", "link\tData\t1", "link\tData\t1,", "link\tData\t123456789,1",
                             "link\tData\t1,2\textra", "link\tData"}) {
        ParsedJournal parsed = ParseJournal(head + SealJournalLine(body, 0x77));
        EXPECT_EQ(parsed.state, JournalState::Damaged) << body;
    }
}
