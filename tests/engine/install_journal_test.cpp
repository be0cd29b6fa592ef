// The install run as a transaction, on files in memory: a failed run is put
// back whole, and a run killed at any change (the undo and the clean-up
// included) is finished by the next one: undone, or cleaned up after its
// commit, always leaving the tree before the run or the tree of one whole run.
#include "engine/install_journal.h"

#include <gtest/gtest.h>

#include "base/failure.h"
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
    void FailAtTheEnd() { disk.refusedCopies.insert(MemoryFiles::Normal(setup + "\\Source\\PACK\\p.txt")); }
    void Restore(const Tree& tree) {
        disk.files = tree.files, disk.folders = tree.folders, disk.readOnly = tree.readOnly;
        disk.unflushed.clear();
    }
    // Recovery cut by the power at each of its changes in turn, each cut
    // recovered by the next try, until one gets through.
    Recovery RecoverThroughCuts() {
        for (int again = 0;; ++again) {
            disk.changes = 0;
            disk.killAt = again;
            disk.killed = false;
            Recovery recovery = Recovery::Stuck;
            try {
                recovery = RecoverTarget(disk, target).outcome;
            } catch (const Killed&) {
                disk.PowerCut();
            }
            disk.killAt = -1;
            if (!disk.killed) return recovery;
        }
    }
    // The power cut after every single change of a run (and of its undo, for
    // a failing one), each cut recovered through cuts of its own. Returns what
    // went wrong: a file the run replaces found neither old nor new at a cut
    // (only where the volume has links), or a tree after recovery that is
    // neither the tree before the run nor the tree of one whole run.
    std::vector<std::string> CutEverywhere(bool failing) {
        std::vector<std::string> faults;
        Tree before = TreeOf(disk);
        if (Run() != InstallOutcome::Installed) return {"the whole run failed"};
        Tree installed = TreeOf(disk);
        int cuts = 0;
        for (int at = 0;; ++at, ++cuts) {
            Restore(before);
            if (failing) FailAtTheEnd();
            bool killed = RunKilledAt(at);
            disk.refusedCopies.clear();
            if (!killed) break;
            disk.PowerCut();
            Tree atCut = TreeOf(disk);
            std::string where = std::string(failing ? "failing " : "") + "run cut after change " + std::to_string(at);
            if (disk.linksWork) {
                for (const auto& [path, bytes] : before.files) {
                    auto now = atCut.files.find(path), whole = installed.files.find(path);
                    if (whole == installed.files.end() || whole->second == bytes) continue;
                    if (now == atCut.files.end() || (now->second != bytes && now->second != whole->second))
                        faults.push_back(where + ": " + path + " neither old nor new");
                }
            }
            // Past the commit mark, or past the journal's end (only the run's record left to go).
            JournalState state = InspectJournal(disk, target).state;
            bool committed = state == JournalState::Committed || (state == JournalState::None && atCut == installed);
            Recovery recovery = RecoverThroughCuts();
            if (recovery == Recovery::Stuck || recovery == Recovery::Refused) faults.push_back(where + ": not recovered");
            Tree after = TreeOf(disk);
            if (after != (committed ? installed : before))
                faults.push_back(where + (committed ? " after" : " before") + " its commit:\n" + Describe(after));
        }
        if (cuts < 20) faults.push_back("only " + std::to_string(cuts) + " changes");
        Restore(before);
        return faults;
    }
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
    for (const auto& folder : disk.folders) EXPECT_EQ(folder.find(".setup-"), std::string::npos) << folder;
    EXPECT_NE(TreeOf(disk), before);
}

// The copies are written in a staging folder the run makes itself: a folder
// of that name found in the target is someone else's and stays as it was.
TEST_F(Transaction, CopiesAreStagedInAFolderOfTheRunsOwn) {
    disk.Put(target + "\\Setup.setup-tmp\\1.setup-tmp", "someone's");
    std::set<std::string> staged;
    Steps steps;
    steps.onStep = [&] {
        for (const auto& [path, bytes] : disk.files)
            if (path.rfind(target + "\\Setup1.setup-tmp\\", 0) == 0) staged.insert(path);
    };
    ASSERT_EQ(RunTransactedInstall(setup, target, package, disk, disk, steps), InstallOutcome::Installed);
    EXPECT_FALSE(staged.empty());
    EXPECT_EQ(disk.Bytes(target + "\\Setup.setup-tmp\\1.setup-tmp"), "someone's");
    EXPECT_FALSE(disk.folders.count(target + "\\Setup1.setup-tmp"));
    EXPECT_EQ(disk.Bytes(target + "\\New\\Deep\\b.txt"), "b2");

    // Failed, the run leaves no staging folder either.
    Tree before = TreeOf(disk);
    FailAtTheEnd();
    EXPECT_EQ(Run(), InstallOutcome::Failed);
    EXPECT_EQ(TreeOf(disk), before) << Describe(TreeOf(disk));
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

// The power cut after every single change of a run that deletes, overwrites,
// creates and merges, of its undo, and of its recovery: the tree after
// recovery is the tree before the run or of one whole run, every file whole,
// and every file the run replaces is old or new at every cut.
TEST_F(Transaction, PowerCutAnywhereIsRecoveredToTheTreeBeforeOrTheWholeRun) {
    for (bool failing : {false, true}) {
        std::vector<std::string> faults = CutEverywhere(failing);
        EXPECT_TRUE(faults.empty()) << faults.size() << " faults, the first:\n" << faults[0];
    }
    // Where the volume has no hard links the old file is moved aside instead:
    // still recovered whole, though its path is empty for a moment.
    disk.linksWork = false;
    std::vector<std::string> faults = CutEverywhere(true);
    EXPECT_TRUE(faults.empty()) << faults.size() << " faults, the first:\n" << faults[0];
}

// Two copy lines naming one file, a new one and an old one: the second copy
// replaces the run's own first, and a cut between the two is still the run's.
TEST_F(Transaction, AFileCopiedTwiceIsInstalledAndRecoveredAtEveryCut) {
    Script("Script_ACopy.ini", {"Data\\a.txt", "New\\Deep\\b.txt", "absent.txt", "New\\Deep\\b.txt", "Data\\a.txt"});
    for (bool failing : {false, true}) {
        std::vector<std::string> faults = CutEverywhere(failing);
        EXPECT_TRUE(faults.empty()) << faults.size() << " faults, the first:\n" << faults[0];
    }
    // Another hand's file put there between the two copies is not the run's first: it stays.
    struct Hand : Steps {
        MemoryFiles& disk;
        std::string path;
        Hand(MemoryFiles& d, std::string p) : disk(d), path(std::move(p)) {}
        void ShowProgressStep(int) override {
            if (disk.Bytes(path) == "b2") disk.Put(path, "the user's");
        }
    } hand(disk, MemoryFiles::Normal(target + "\\New\\Deep\\b.txt"));
    EXPECT_EQ(RunTransactedInstall(setup, target, package, disk, disk, hand), InstallOutcome::Failed);
    EXPECT_EQ(disk.Bytes(hand.path), "the user's");
}

// The model finds the fault it exists for: copies not flushed before the
// commit mark leave files of zeros after a cut.
TEST_F(Transaction, PowerCutModelCatchesCopiesNotFlushed) {
    disk.copiesFlushed = false;
    std::vector<std::string> faults = CutEverywhere(false);
    bool afterCommit = false;
    for (const auto& fault : faults) afterCommit = afterCommit || fault.find("after its commit") != std::string::npos;
    EXPECT_TRUE(afterCommit) << faults.size() << " faults";
}

TEST_F(Transaction, RunCountsItsFlushes) {
    Steps steps;
    TransactedRun report;
    ASSERT_EQ(RunTransactedInstall(setup, target, package, disk, disk, steps, &report), InstallOutcome::Installed);
    // The record and the header, one flush per phase's announcements, one per file written, the commit mark.
    EXPECT_GE(report.flushes, 10);
    EXPECT_LE(report.flushes, 24);
}

// The journal is read strictly: a tear at its end is ignored, anything else
// that does not check out is damage, and a line naming a path that could
// leave the target makes the whole journal untrusted.
TEST(JournalLines, TornTailIgnoredDamageAndStrangersRefused) {
    JournalHeader header{"Pack", "1.2", "2026-12-10 03:30", "C:\\Setup", 0x1234};
    const unsigned long long nonce = header.nonce;
    FileIdentity id{5, 77, 1, 9, true};
    std::vector<JournalEntry> entries{{JournalEntry::Kind::Folder, "New", "", {}},
                                      {JournalEntry::Kind::New, "New\\b.txt", "", {}},
                                      {JournalEntry::Kind::Aside, "a b.txt", "a b.txt.setup-old2", {}},
                                      {JournalEntry::Kind::Done, "a b.txt", "", id},
                                      {JournalEntry::Kind::Done, "gone.txt", "", {}},
                                      {JournalEntry::Kind::Committed, "", "", {}}};
    std::string head = FormatJournalHeader(header);
    std::vector<std::string> lines;
    for (const auto& entry : entries) lines.push_back(FormatJournalEntry(entry, nonce));
    auto join = [&](size_t from, size_t to) {
        std::string bytes;
        for (size_t i = from; i < to; ++i) bytes += lines[i];
        return bytes;
    };
    ParsedJournal whole = ParseJournal(head + join(0, 6));
    ASSERT_EQ(whole.state, JournalState::Committed) << whole.reason;
    ASSERT_EQ(whole.entries.size(), 6u);
    EXPECT_EQ(whole.header.PackName, "Pack");
    EXPECT_EQ(whole.header.startedAt, "2026-12-10 03:30");
    EXPECT_EQ(whole.entries[2].aside, "a b.txt.setup-old2");
    EXPECT_EQ(whole.entries[3].identity, id);
    EXPECT_EQ(whole.entries[4].identity.size, -1);

    // Torn: the last line cut short, or zeros where the disk lost it.
    ParsedJournal torn = ParseJournal(head + join(0, 5) + lines[5].substr(0, 5));
    EXPECT_EQ(torn.state, JournalState::Unfinished);
    EXPECT_EQ(torn.entries.size(), 5u);
    std::string zeros(lines[4].size(), '\0');
    EXPECT_EQ(ParseJournal(head + join(0, 4) + zeros + "\r\n").entries.size(), 4u);
    EXPECT_EQ(ParseJournal(std::string(40, '\0')).state, JournalState::Unfinished) << "cut before its header was whole";

    // Damage: a bad line with a good one after it; a line of another run; an unknown line, well sealed.
    std::string bad = lines[1];
    bad[5] = 'X';
    EXPECT_EQ(ParseJournal(head + lines[0] + bad + join(2, 6)).state, JournalState::Damaged);
    EXPECT_EQ(ParseJournal(head + lines[0] + FormatJournalEntry(entries[1], nonce + 1) + join(2, 6)).state,
              JournalState::Damaged);
    ParsedJournal unknown = ParseJournal(head + lines[0] + SealJournalLine("rename\tx\ty", nonce) + join(1, 4));
    EXPECT_EQ(unknown.state, JournalState::Damaged) << "not taken for a torn end";
    EXPECT_NE(unknown.reason.find("line 3"), std::string::npos) << unknown.reason;
    EXPECT_EQ(ParseJournal("Journal\t1\r\n").state, JournalState::Damaged);
    std::string future = head;
    future.replace(future.find("\t1\t"), 3, "\t2\t");
    EXPECT_EQ(ParseJournal(future + join(0, 2)).state, JournalState::Damaged) << "an unknown version";
    EXPECT_EQ(ParseJournal("garbage").state, JournalState::Damaged);

    // Untrusted: paths that could leave the target, asides that are not their file's.
    for (const char* path : {"..\\x", "a\\..\\..\\x", "C:\\x", "\\x", "\\\\?\\C:\\x", "a:stream", "CON", "a\\nul.txt",
                             "a.", "a ", ".\\x", "a\\\\b", ""}) {
        EXPECT_FALSE(JournalPathIsSafe(path)) << path;
        std::string line = FormatJournalEntry({JournalEntry::Kind::New, path, "", {}}, nonce);
        EXPECT_EQ(ParseJournal(head + line).state, JournalState::Untrusted) << path;
    }
    for (const char* path : {"a.txt", "Data\\a b.txt", "\xC4\xE0\xED\xED\xFB\xE5\\x"}) EXPECT_TRUE(JournalPathIsSafe(path));
    for (const char* aside : {"b.txt.setup-old", "a.txt.setup-oldx", "a.txt.setup-tmp", "..\\a.txt.setup-old"}) {
        std::string line = FormatJournalEntry({JournalEntry::Kind::Aside, "a.txt", aside, {}}, nonce);
        EXPECT_EQ(ParseJournal(head + line).state, JournalState::Untrusted) << aside;
    }
}

TEST(JournalCase, CyrillicNamesDifferingOnlyInCaseAreOneKey) {
    // "Данные\Файл.txt" and "ДАННЫЕ\ФАЙЛ.TXT", "ёж" and "ЁЖ", in code page 1251.
    EXPECT_EQ(FoldCp1251Case("\xC4\xE0\xED\xED\xFB\xE5\\\xD4\xE0\xE9\xEB.txt"),
              FoldCp1251Case("\xC4\xC0\xCD\xCD\xDB\xC5\\\xD4\xC0\xC9\xCB.TXT"));
    EXPECT_EQ(FoldCp1251Case("\xB8\xE6"), "\xA8\xC6");
    EXPECT_NE(FoldCp1251Case("\xE0"), FoldCp1251Case("a")) << "Cyrillic a is not Latin a";
}

TEST_F(Transaction, CyrillicNamesDifferingOnlyInCaseAreOneFileToTheRun) {
    // Two spellings Windows takes for one file: one aside, kept once, put back once.
    disk.Put(target + "\\\xC4\xE0\xED\xED\xFB\xE5\\\xD4\xE0\xE9\xEB.txt", "the user's");
    {
        InstallTransaction run(disk, disk, target, {"Pack", "1", "", setup});
        run.Announce(target + "\\\xC4\xE0\xED\xED\xFB\xE5\\\xD4\xE0\xE9\xEB.txt");
        run.Announce(target + "\\\xC4\xC0\xCD\xCD\xDB\xC5\\\xD4\xC0\xC9\xCB.txt");
        run.CreateFolderTree(target + "\\Data");
        disk.CloseJournal();
        ParsedJournal journal = ParseJournal(disk.Bytes(JournalPath(target)));
        int asides = 0;
        for (const auto& entry : journal.entries) asides += entry.kind == JournalEntry::Kind::Aside;
        EXPECT_EQ(asides, 1);
        EXPECT_EQ(journal.entries.size(), 3u) << "the staging folder, the aside and the temporary copy";
        run.Undo();
    }
    EXPECT_EQ(disk.Bytes(target + "\\\xC4\xE0\xED\xED\xFB\xE5\\\xD4\xE0\xE9\xEB.txt"), "the user's");
}

TEST_F(Transaction, AFolderAnotherHandMakesAfterItWasAnnouncedMissingFailsTheRunAndItsFilesStay) {
    // Nothing in a folder the run is to make is looked at: one that turns up
    // meanwhile may hold the user's files, and the run writes nothing there.
    InstallTransaction run(disk, disk, target, {"Pack", "1", "", setup});
    run.Announce(target + "\\Fresh\\b.txt");
    disk.Put(target + "\\Fresh\\b.txt", "the user's");
    EXPECT_THROW(run.CopyPackageFile(setup + "\\Source\\PACK\\p.txt", target + "\\Fresh\\b.txt"), FileError);
    EXPECT_EQ(disk.Bytes(target + "\\Fresh\\b.txt"), "the user's");
    EXPECT_FALSE(disk.Has(target + "\\Fresh\\b.txt.setup-tmp"));
}

// A file another hand makes at a path the run announced as new, before the
// run's copy gets there, is never replaced nor deleted: not by the run, not by
// its undo, not by a recovery after a power cut at any change.
TEST_F(Transaction, AFileAnotherHandMakesAtANewPathKeepsItsBytes) {
    const std::string path = target + "\\Data\\c.txt";
    Script("Script_ACopy.ini", {"Data\\a.txt", "Data\\c.txt", "New\\Deep\\b.txt"});
    Pack("Data\\c.txt", "the package's");
    // Makes the file as soon as the journal says the run will.
    struct Hand : Steps {
        MemoryFiles& disk;
        std::string journal, path;
        bool made = false;
        Hand(MemoryFiles& d, std::string j, std::string p) : disk(d), journal(std::move(j)), path(std::move(p)) {}
        void ShowProgressStep(int) override {
            if (!made && disk.Bytes(journal).find("new\tData\\c.txt\t") != std::string::npos) {
                disk.Put(path, "the user's");
                made = true;
            }
        }
    };
    Tree before = TreeOf(disk);
    for (int at = -1;; ++at) {
        Restore(before);
        Hand hand(disk, MemoryFiles::Normal(JournalPath(target)), path);
        disk.changes = 0;
        disk.killAt = at;
        disk.killed = false;
        InstallOutcome outcome = RunTransactedInstall(setup, target, package, disk, disk, hand);
        disk.killAt = -1;
        std::string where = at < 0 ? "the run" : "a cut after change " + std::to_string(at);
        if (at < 0) {
            EXPECT_EQ(outcome, InstallOutcome::Failed);
        } else {
            if (!disk.killed) break;
            disk.PowerCut();
            RecoverThroughCuts();
        }
        Tree expected = before;
        if (hand.made) expected.files[MemoryFiles::Normal(path)] = "the user's";
        EXPECT_EQ(TreeOf(disk), expected) << where << ":\n" << Describe(TreeOf(disk));
    }
}

TEST_F(Transaction, ReservedNamesInTheScriptsFailTheRunBeforeAnyChange) {
    Script("Script_ACopy.ini", {"Data\\a.txt.setup-old", "Data\\a.txt"});
    Pack("Data\\a.txt.setup-old", "the package's");
    Tree before = TreeOf(disk);
    EXPECT_EQ(Run(), InstallOutcome::Failed);
    EXPECT_EQ(TreeOf(disk), before);
    EXPECT_EQ(disk.Bytes(target + "\\Data\\a.txt"), "a1");
}

// A journal is acted on only when this user's record of the run vouches for
// it, and only on files nobody changed since the run.
TEST_F(Transaction, RecoveryActsOnNothingItCannotVouchFor) {
    disk.killAt = 36;
    Run();
    disk.killAt = -1;
    disk.PowerCut();
    ASSERT_EQ(InspectJournal(disk, target).state, JournalState::Unfinished);
    Tree atKill = TreeOf(disk);
    auto records = disk.runRecords;

    // No record of this user: a journal someone else left.
    disk.runRecords.clear();
    JournalFinding finding = InspectJournal(disk, target);
    EXPECT_EQ(finding.state, JournalState::Untrusted);
    EXPECT_EQ(finding.header.PackName, "Pack") << "still told which package it claims";
    EXPECT_EQ(RecoverTarget(disk, target).outcome, Recovery::Refused);
    EXPECT_EQ(TreeOf(disk), atKill);
    EXPECT_EQ(Run(), InstallOutcome::Busy) << "nothing is installed over it";

    // A record of another run on this target.
    disk.runRecords = records;
    std::string& record = disk.runRecords.begin()->second;
    std::string genuine = record;
    record[record.find('\t', 16) - 1] ^= 1;
    EXPECT_EQ(InspectJournal(disk, target).state, JournalState::Untrusted);
    record = genuine;

    // The genuine one, with a file edited after the kill: that file stays.
    ASSERT_EQ(disk.Bytes(target + "\\Data\\a.txt"), "a2");
    disk.Put(target + "\\Data\\a.txt", "edited later");
    RecoveryReport report = RecoverTarget(disk, target);
    EXPECT_EQ(report.outcome, Recovery::UndoneRun);
    ASSERT_EQ(report.leftAlone.size(), 1u);
    EXPECT_EQ(report.leftAlone[0], target + "\\Data\\a.txt");
    EXPECT_EQ(disk.Bytes(target + "\\Data\\a.txt"), "edited later");
    EXPECT_EQ(disk.Bytes(target + "\\old.dat"), "old");
    EXPECT_TRUE(disk.runRecords.empty());
}

TEST_F(Transaction, PlantedJournalsAreNeverActedOn) {
    Tree before = TreeOf(disk);
    JournalHeader header{"Pack", "1.2", "2026-12-10 03:30", "C:\\Setup", 42};
    std::string head = FormatJournalHeader(header);
    for (const JournalEntry& line : std::vector<JournalEntry>{{JournalEntry::Kind::New, "..\\x", "", {}},
                                                              {JournalEntry::Kind::New, "Data\\a.txt", "", {}},
                                                              {JournalEntry::Kind::Aside, "old.dat", "Data\\a.txt", {}}}) {
        Restore(before);
        disk.Put(JournalPath(target), head + FormatJournalEntry(line, 42));
        // Even with a record that names it: a path outside, or an aside not its file's, refuses it whole.
        disk.runRecords.clear();
        if (line.path != "Data\\a.txt") disk.WriteRunRecord(target, head.substr(0, head.size() - 2) + "\r\n" + FoldCp1251Case(target) + "\r\n");
        Tree planted = TreeOf(disk);
        EXPECT_EQ(RecoverTarget(disk, target).outcome, Recovery::Refused) << line.path;
        EXPECT_EQ(TreeOf(disk), planted) << line.path;
    }
}

TEST_F(Transaction, OneRunPerTarget) {
    Tree before = TreeOf(disk);
    {
        InstallTransaction first(disk, disk, target, {"Other", "9", "", setup});
        first.CreateFolderTree(target + "\\Made");
        EXPECT_EQ(InspectJournal(disk, target).state, JournalState::Busy);
        EXPECT_EQ(RecoverTarget(disk, target).outcome, Recovery::Refused);
        Tree during = TreeOf(disk);
        EXPECT_EQ(Run(), InstallOutcome::Busy);
        EXPECT_EQ(TreeOf(disk), during) << "the second run changed nothing";
        first.Undo();
    }
    EXPECT_EQ(TreeOf(disk), before);
    EXPECT_EQ(InspectJournal(disk, target).state, JournalState::None);
}

// An undo that cannot put a file back keeps the journal and names the file;
// the next run finishes it.
TEST_F(Transaction, AnUndoThatCannotFinishSaysWhichFile) {
    // The run fails at its end; the aside of a.txt is held open when the undo
    // comes. Its second copy puts the first in place, aside made, before the
    // steps that follow.
    Script("Script_ACopy.ini", {"Data\\a.txt", "Data\\a.txt", "New\\Deep\\b.txt", "absent.txt"});
    Tree before = TreeOf(disk);
    FailAtTheEnd();
    struct Holding : Steps {
        MemoryFiles& disk;
        std::string aside;
        explicit Holding(MemoryFiles& d, std::string a) : disk(d), aside(std::move(a)) {}
        void ShowProgressStep(int) override {
            if (disk.Has(aside)) disk.locked.insert(MemoryFiles::Normal(aside));
        }
    } holding(disk, target + "\\Data\\a.txt.setup-old");
    TransactedRun report;
    EXPECT_EQ(RunTransactedInstall(setup, target, package, disk, disk, holding, &report), InstallOutcome::Failed);
    EXPECT_EQ(report.undo.outcome, Recovery::Stuck);
    EXPECT_EQ(report.undo.file, target + "\\Data\\a.txt");
    EXPECT_EQ(report.undo.error, 32u);
    EXPECT_EQ(InspectJournal(disk, target).state, JournalState::Unfinished);
    disk.locked.clear();
    disk.refusedCopies.clear();
    EXPECT_EQ(RecoverTarget(disk, target).outcome, Recovery::UndoneRun);
    EXPECT_EQ(TreeOf(disk), before) << Describe(TreeOf(disk));
}

TEST_F(Transaction, SpellingsTheSystemResolvesAreOneFile) {
    Script("Script_ACopy.ini", {"Data\\..\\Data\\a.txt", ".\\Data//a.txt"});
    ASSERT_EQ(Run(), InstallOutcome::Installed);
    EXPECT_EQ(disk.Bytes(target + "\\Data\\a.txt"), "a2");
    FailAtTheEnd();
    disk.Put(target + "\\Data\\a.txt", "a1");
    Tree before = TreeOf(disk);
    EXPECT_EQ(Run(), InstallOutcome::Failed);
    EXPECT_EQ(TreeOf(disk), before) << Describe(TreeOf(disk));
}
