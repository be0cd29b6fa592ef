// Folder links in the copy, driven through the real setup.exe under Wine (a
// Unix symbolic link made from the test reads as a reparse point there):
// journals planted to reach outside the copy through a link act on nothing,
// and a run killed while it writes through a link the user made is recovered
// through it, but not through one swapped for another after the kill.
#include "e2e/wizard_fixture.h"
#include "engine/disk_files.h"
#include "support/unix_side.h"
#include "ui/layout.h"

namespace {

const char InstallOkText[] = "Пакет установлен успешно!";
const char ConfirmCaption[] = "Подтверждение...";
const char NotVouchedText[] = "В этой копии программы найдена запись о прерванной установке, за которую программа "
                              "установки не может поручиться. Ничего не изменено, и пакет не будет установлен, "
                              "пока эта запись там:";
const char LinkMovedText[] = "Папка этой копии программы ведёт в другое место, чем во время прерванной установки. "
                             "Программа установки ничего не изменила через неё. Папка:";

long long SizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return static_cast<long long>((static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool IsLink(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

class LinkedCopy : public WizardRun {
protected:
    std::vector<std::string> links;
    void TearDown() override {
        // The links go first: removing the tree through one would empty what it leads to.
        for (const auto& link : links) RemoveFolderLink(link);
        WizardRun::TearDown();
    }
    bool Link(const std::string& link, const std::string& destination) {
        links.push_back(link);
        return MakeFolderLink(link, destination);
    }
    // A setup run that meets what was left in `copy` and says so in one box; nothing installed.
    BoxSeen ToldAndEnded() {
        BeginInstall(process, setup.path);
        BoxSeen box = AnswerBox(process.pid(), IDOK);
        EXPECT_EQ(process.waitExit(), 0);
        return box;
    }
    void FinishInstall(SetupProcess& run) {
        EXPECT_EQ(AnswerBox(run.pid(), IDOK).text, InstallOkText);
        ClickButton(main, CmdExit);
        AnswerBox(run.pid(), IDYES);
        AnswerBox(run.pid(), IDNO);
        EXPECT_EQ(run.waitExit(), 0);
    }
};

// A copy whose Data folder the user moved elsewhere behind a link before the
// run; the run, killed while it writes a large file through that link.
class KilledThroughALink : public LinkedCopy {
protected:
    std::string copy, outside, journal;
    TreeBytes outsideBefore;
    void SetUp() override {
        LinkedCopy::SetUp();
        HANDLE big = CreateFileA((setup / "Source\\PACK\\Data\\big.dat").c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(big, INVALID_HANDLE_VALUE);
        LARGE_INTEGER size;
        size.QuadPart = 128ll << 20;
        SetFilePointerEx(big, size, nullptr, FILE_BEGIN);
        SetEndOfFile(big);
        CloseHandle(big);
        std::string script = setup / "Source\\Script_ACopy.ini";
        WriteBytes(script, ReadBytes(script) + "Data\\big.dat\r\n");

        copy = MakeRecordedCopy("Linked");
        journal = copy + "\\Setup.journal";
        outside = copies / "MovedData";
        CopyTree(copy + "\\Data", outside);
        RemoveTree(copy + "\\Data");
        if (!Link(copy + "\\Data", outside)) GTEST_SKIP() << "no Linux side to make a link with";
        outsideBefore = TreeOf(outside);

        // Killed once the old map is kept aside and the large copy is under way, both through the link.
        std::string killedSetup = copies / "KilledSetup";
        CopyTree(setup / "Source", killedSetup + "\\Source");
        SetupProcess run;
        BeginInstall(run, killedSetup);
        ASSERT_TRUE(WaitFor([&] { return SizeOf(outside + "\\big.dat.setup-tmp") > (1 << 20); }, 30000));
        TerminateProcess(run.info.hProcess, 99);
        ASSERT_EQ(WaitForSingleObject(run.info.hProcess, 10000), WAIT_OBJECT_0);
        ASSERT_TRUE(PathExists(journal));
        ASSERT_FALSE(PathExists(outside + "\\old_demo.map")) << "the run got through the link before the kill";
    }
};

}  // namespace

// Journals left in the copy by another user, naming files behind a link to a
// folder outside it: with no record of this user's run they are not vouched
// for; with one (as if forged) the link is one no run recorded. Either way
// every file outside keeps its bytes, the copy stays as it is, and the user is told.
TEST_F(LinkedCopy, PlantedJournalsReachingOutThroughALinkActOnNothing) {
    std::string copy = MakeRecordedCopy("Planted");
    std::string victim = copies / "Victim";
    WriteBytes(victim + "\\precious.txt", "the user's precious file");
    WriteBytes(victim + "\\victim.dll", "the victim");
    WriteBytes(victim + "\\victim.dll.setup-old", "the payload");
    if (!Link(copy + "\\Saves", victim)) GTEST_SKIP() << "no Linux side to make a link with";
    TreeBytes outside = TreeOf(victim);
    const std::string journal = copy + "\\Setup.journal";

    JournalHeader header{"DemoPack", "2.1", "2026-12-10 03:30", setup.path, 0x5eed5eed};
    std::string head = FormatJournalHeader(header);
    auto line = [&](JournalEntry entry) { return FormatJournalEntry(entry, header.nonce); };
    const std::vector<std::string> planted{
        line({JournalEntry::Kind::New, "Saves\\precious.txt", "", {}}),
        line({JournalEntry::Kind::Aside, "Saves\\victim.dll", "Saves\\victim.dll.setup-old", {}}),
        line({JournalEntry::Kind::Aside, "Saves\\precious.txt", "Saves\\precious.txt.setup-old", {}}) +
            line({JournalEntry::Kind::Aside, "Saves\\victim.dll", "Saves\\victim.dll.setup-old", {}}) +
            line({JournalEntry::Kind::Committed, "", "", {}}),
    };
    DiskFiles disk;
    for (const std::string& lines : planted) {
        for (bool recorded : {false, true}) {
            WriteBytes(journal, head + lines);
            disk.EraseRunRecord(copy);
            if (recorded) {
                ASSERT_TRUE(disk.WriteRunRecord(copy, head.substr(0, head.size() - 2) + "\r\n" + disk.FoldCase(copy) + "\r\n"));
            }
            TreeBytes before = TreeOf(copy);
            BoxSeen box = ToldAndEnded();
            std::string expected = recorded ? std::string(LinkMovedText) + "\r\n\r\n" + copy + "\\Saves"
                                            : std::string(NotVouchedText) + "\r\n\r\n" + journal + "\r\n";
            EXPECT_EQ(box.text.rfind(expected, 0), 0u) << box.text;
            TreeBytes after = TreeOf(victim);
            EXPECT_TRUE(after == outside) << lines << TreeDifference(outside, after);
            EXPECT_TRUE(TreeOf(copy) == before) << lines << TreeDifference(before, TreeOf(copy));
        }
    }
    disk.EraseRunRecord(copy);
    DeleteFileA(journal.c_str());
}

// Recovered through the link it wrote through: the files outside are as
// before the run once it is undone, and the install then completes there.
TEST_F(KilledThroughALink, IsRecoveredThroughItAndTheInstallCompletes) {
    BeginInstall(process, setup.path);
    BoxSeen question = AnswerBox(process.pid(), IDYES);
    EXPECT_EQ(question.caption, ConfirmCaption) << question.text;
    // While the box after the recovery is up, the install has not begun again.
    HWND settled = WaitForTextBox(process.pid());
    ASSERT_NE(settled, nullptr);
    EXPECT_FALSE(PathExists(journal)) << MessageBoxText(settled);
    TreeBytes undone = TreeOf(outside);
    EXPECT_TRUE(undone == outsideBefore) << TreeDifference(outsideBefore, undone);
    PressDialogButton(settled, IDOK);
    ASSERT_TRUE(WaitGone(settled));
    FinishInstall(process);
    EXPECT_EQ(SizeOf(outside + "\\big.dat"), 128ll << 20);
    EXPECT_FALSE(PathExists(outside + "\\old_demo.map"));
    EXPECT_TRUE(IsLink(copy + "\\Data")) << "the user's link stays a link";
    for (const auto& name : FolderListing(outside)) EXPECT_EQ(name.find(".setup-"), std::string::npos) << name;
}

// The link swapped for one leading elsewhere after the kill: nothing is done
// through either, the journal stays, and the user is told which folder. Led
// back, the next run recovers through it and installs.
TEST_F(KilledThroughALink, SwappedForAnotherLinkActsOnNothingOutside) {
    TreeBytes outsideAtKill = TreeOf(outside);
    std::string elsewhere = copies / "Elsewhere";
    CopyTree(outside, elsewhere);
    ASSERT_TRUE(Link(copy + "\\Data", elsewhere));
    TreeBytes elsewhereBefore = TreeOf(elsewhere);
    std::string journalBytes = ReadBytes(journal);

    BoxSeen box = ToldAndEnded();
    EXPECT_EQ(box.text, std::string(LinkMovedText) + "\r\n\r\n" + copy + "\\Data");
    EXPECT_EQ(box.caption, "Предупреждение...");
    EXPECT_TRUE(TreeOf(outside) == outsideAtKill) << TreeDifference(outsideAtKill, TreeOf(outside));
    EXPECT_TRUE(TreeOf(elsewhere) == elsewhereBefore) << TreeDifference(elsewhereBefore, TreeOf(elsewhere));
    EXPECT_EQ(ReadBytes(journal), journalBytes);

    ASSERT_TRUE(Link(copy + "\\Data", outside));
    BeginInstall(process, setup.path, false, true);
    FinishInstall(process);
    EXPECT_EQ(SizeOf(outside + "\\big.dat"), 128ll << 20);
    EXPECT_TRUE(TreeOf(elsewhere) == elsewhereBefore);
}
