// The install run as a transaction, on files in memory: a failed run is put
// back whole, and a run killed at any change (the undo and the clean-up
// included) is finished by the next one: undone, or cleaned up after its
// commit, always leaving the tree before the run or the tree of one whole run.
#include "engine/install_journal.h"

#include <gtest/gtest.h>

#include "base/text_lines.h"
#include "engine/install_run.h"
#include "engine/memory_files.h"

namespace {

struct Steps : InstallProgress {
    void SetProgressRange(int) override {}
    void ShowProgressStep(int) override {}
};

// What a tree holds, for comparing it whole.
struct Tree {
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    std::set<std::string> readOnly;
    bool operator==(const Tree&) const = default;
};

Tree TreeOf(const MemoryFiles& disk) { return {disk.files, disk.folders, disk.readOnly}; }

std::string Describe(const Tree& tree) {
    std::string text;
    for (const auto& [path, bytes] : tree.files) text += path + " = " + bytes.substr(0, 40) + "\n";
    for (const auto& folder : tree.folders) text += folder + "\\\n";
    return text;
}

class Transaction : public ::testing::Test {
protected:
    MemoryFiles disk;
    Package package;
    const std::string setup = "C:\\Setup";
    const std::string target = "C:\\Game";

    // A run that deletes, overwrites, creates (folders too) and merges.
    void SetUp() override {
        package.PackName = "Pack";
        package.PackBaseFolder = "Base";
        package.PackVersion = "1.2";
        disk.Put(target + "\\Resource\\Uninstall.ini", "[Files]\r\nold.dat\r\n");
        disk.Put(target + "\\Resource\\InstallComponents.ini", "Base/1.0\r\n");
        disk.Put(target + "\\old.dat", "old");
        disk.Put(target + "\\Data\\a.txt", "a1");
        Script("Script_Delete.ini", {"old.dat", "missing.dat"});
        Script("Script_Uninstall_Add.ini", {"[Files]", "Data\\a.txt", "New\\Deep\\b.txt"});
        Script("Script_ACopy.ini", {"Data\\a.txt", "New\\Deep\\b.txt", "absent.txt"});
        Script("Script_Copy.ini", {"p.txt"});
        Script("OldVersions.ini", {"1.0"});
        Pack("Data\\a.txt", "a2");
        Pack("New\\Deep\\b.txt", "b2");
        Pack("p.txt", "p2");
    }
    void Script(const std::string& name, const std::vector<std::string>& lines) {
        disk.Put(setup + "\\Source\\" + name, JoinTextLines(lines));
    }
    void Pack(const std::string& relative, const std::string& bytes) {
        disk.Put(setup + "\\Source\\PACK\\" + relative, bytes);
    }
    InstallOutcome Run() {
        Steps steps;
        return RunTransactedInstall(setup, target, package, disk, disk, steps);
    }
    // Runs with the disk killed at change `at`; true when the kill came before the run ended.
    bool RunKilledAt(int at) {
        disk.changes = 0;
        disk.killAt = at;
        disk.killed = false;
        Run();
        disk.killAt = -1;
        return disk.killed;
    }
    // The run that makes the package fail at its very last copy.
    void FailAtTheEnd() { disk.refusedCopies.insert(MemoryFiles::Normal(target + "\\Base\\Pack\\p.txt")); }
};

}  // namespace

TEST_F(Transaction, SuccessLeavesNoJournalAndNoOldFile) {
    Tree before = TreeOf(disk);
    ASSERT_EQ(Run(), InstallOutcome::Installed);
    EXPECT_EQ(disk.Bytes(target + "\\Data\\a.txt"), "a2");
    EXPECT_EQ(disk.Bytes(target + "\\New\\Deep\\b.txt"), "b2");
    EXPECT_FALSE(disk.Has(target + "\\old.dat"));
    EXPECT_EQ(disk.Bytes(target + "\\Resource\\InstallComponents.ini"), "Base/1.0\r\nPack/1.2\r\n");
    EXPECT_EQ(disk.Bytes(target + "\\Resource\\Uninstall.ini"), "[Files]\r\nData\\a.txt\r\nNew\\Deep\\b.txt\r\nold.dat\r\n");
    for (const auto& [path, bytes] : disk.files) {
        EXPECT_EQ(path.find(".setup-"), std::string::npos) << path;
        EXPECT_EQ(path.find("Setup.journal"), std::string::npos) << path;
    }
    EXPECT_NE(TreeOf(disk), before);
}

TEST_F(Transaction, AnyFailurePutsTheTargetBackWhole) {
    Tree before = TreeOf(disk);
    FailAtTheEnd();
    EXPECT_EQ(Run(), InstallOutcome::Failed);
    EXPECT_EQ(TreeOf(disk), before) << Describe(TreeOf(disk));

    disk.refusedCopies.clear();
    disk.locked.insert(MemoryFiles::Normal(target + "\\Data\\a.txt"));  // in use: it cannot go aside
    EXPECT_EQ(Run(), InstallOutcome::Failed);
    EXPECT_EQ(TreeOf(disk), before);

    disk.locked.clear();
    disk.readOnly.insert(MemoryFiles::Normal(target + "\\Data\\a.txt"));
    EXPECT_EQ(Run(), InstallOutcome::Failed);
    before.readOnly = disk.readOnly;
    EXPECT_EQ(TreeOf(disk), before);
}

TEST_F(Transaction, WhatIsNoFailureStaysNone) {
    disk.readOnly.insert(MemoryFiles::Normal(target + "\\old.dat"));  // a delete the system refuses
    Script("Script_Delete.ini", {"old.dat", "missing.dat", "..\\outside.dat", "Data"});
    EXPECT_EQ(Run(), InstallOutcome::Installed);
    EXPECT_EQ(disk.Bytes(target + "\\old.dat"), "old");
}

TEST_F(Transaction, AFileWhereAFolderMustGoFailsTheRunAndStays) {
    disk.Put(target + "\\New", "the user's file");
    Tree before = TreeOf(disk);
    EXPECT_EQ(Run(), InstallOutcome::Failed);
    EXPECT_EQ(TreeOf(disk), before);
}

TEST_F(Transaction, ARecordOrListDatedBefore1980IsEditedNotReplaced) {
    disk.undated.insert(MemoryFiles::Normal(target + "\\Resource\\InstallComponents.ini"));
    disk.undated.insert(MemoryFiles::Normal(target + "\\Resource\\Uninstall.ini"));
    ASSERT_EQ(Run(), InstallOutcome::Installed);
    EXPECT_EQ(disk.Bytes(target + "\\Resource\\InstallComponents.ini"), "Base/1.0\r\nPack/1.2\r\n");
    EXPECT_EQ(disk.Bytes(target + "\\Resource\\Uninstall.ini"), "[Files]\r\nData\\a.txt\r\nNew\\Deep\\b.txt\r\nold.dat\r\n");
}

TEST_F(Transaction, AJournalNobodyFinishedStopsTheRunBeforeAnyChange) {
    disk.Put(JournalPath(target), "new\tx\r\n");
    Tree before = TreeOf(disk);
    EXPECT_EQ(Run(), InstallOutcome::Busy);
    EXPECT_EQ(TreeOf(disk), before);
}

// The run killed before each of its changes, and each recovery killed at each
// of its own: the next run's recovery leaves the tree before the run, or the
// one a whole run leaves once the kill came after the commit mark.
TEST_F(Transaction, KillsAnywhereAreRecoveredToTheTreeBeforeOrTheWholeRun) {
    Tree before = TreeOf(disk);
    ASSERT_EQ(Run(), InstallOutcome::Installed);
    Tree installed = TreeOf(disk);
    int runChanges = disk.changes;
    ASSERT_GT(runChanges, 20);
    for (bool failing : {false, true}) {
        int changes = 0;
        for (int at = 0;; ++at) {
            disk.files = before.files, disk.folders = before.folders, disk.readOnly = before.readOnly;
            if (failing) FailAtTheEnd();
            bool killed = RunKilledAt(at);
            disk.refusedCopies.clear();
            if (!killed) {
                changes = at;
                break;
            }
            Tree atKill = TreeOf(disk);
            // Past the commit mark, or past the journal's end (only the run's record left to go).
            JournalState state = InspectJournal(disk, target).state;
            bool committed = state == JournalState::Committed || (state == JournalState::None && atKill == installed);
            // The recovery killed at each of its changes, then finished.
            for (int again = 0;; ++again) {
                disk.changes = 0;
                disk.killAt = again;
                disk.killed = false;
                Recovery recovery = Recovery::Stuck;
                try {
                    recovery = RecoverTarget(disk, target).outcome;
                } catch (const Killed&) {
                }
                disk.killAt = -1;
                if (!disk.killed) {
                    EXPECT_TRUE(recovery != Recovery::Stuck && recovery != Recovery::Refused);
                    break;
                }
            }
            Tree after = TreeOf(disk);
            EXPECT_TRUE(after == (committed ? installed : before))
                << (failing ? "failing " : "") << "run killed at change " << at << (committed ? " after" : " before")
                << " its commit:\n" << Describe(after) << "at the kill:\n" << Describe(atKill);
            // And the next run succeeds as a whole one does.
            if (!committed && at % 7 == 0) {
                EXPECT_EQ(Run(), InstallOutcome::Installed);
                EXPECT_EQ(TreeOf(disk), installed) << "run after the kill at " << at;
            }
        }
        EXPECT_GT(changes, 20) << (failing ? "the failing run and its undo" : "the whole run");
    }
}
