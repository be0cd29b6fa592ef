// What the boxes about an interrupted run say, and which of them ask.
#include "driver/earlier_run_texts.h"

#include <gtest/gtest.h>

namespace {

const std::string Target = "C:\\Games\\Quill";

Catalogue Texts() {
    Catalogue texts;
    SetRussianTexts(texts, "Quillset", false);
    return texts;
}

JournalFinding Found(JournalState state) {
    JournalFinding finding{};
    finding.state = state;
    finding.header = {"DemoPack", "2.1", "2026-12-09 22:14:05", "D:\\Setup"};
    finding.journalPath = Target + "\\Setup.journal";
    return finding;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

// Only a run that can be finished or undone is asked about; a busy copy and a
// journal not to be trusted are told, with where and why, and never offered.
TEST(EarlierRunBoxes, OnlyARunThatCanBeSettledIsAskedAbout) {
    Catalogue texts = Texts();
    EXPECT_FALSE(FindingBox(texts, Found(JournalState::None), Target));

    for (JournalState state : {JournalState::Unfinished, JournalState::Committed}) {
        auto box = FindingBox(texts, Found(state), Target);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->kind, BoxKind::Question);
        EXPECT_EQ(box->caption, texts.CapConfirm);
        EXPECT_TRUE(Has(box->text, "DemoPack 2.1")) << box->text;
        EXPECT_TRUE(Has(box->text, "\r\n" + Target + "\r\n2026-12-09 22:14:05")) << box->text;
        EXPECT_FALSE(Has(box->text, "%s"));
    }
    std::string undo = FindingBox(texts, Found(JournalState::Unfinished), Target)->text;
    std::string finish = FindingBox(texts, Found(JournalState::Committed), Target)->text;
    EXPECT_NE(undo, finish) << "undoing and finishing are told apart";

    auto busy = FindingBox(texts, Found(JournalState::Busy), Target);
    ASSERT_TRUE(busy);
    EXPECT_EQ(busy->kind, BoxKind::Warning);
    EXPECT_EQ(busy->text, texts.MsgCopyBusy + "\r\n\r\n" + Target);

    for (JournalState state : {JournalState::Damaged, JournalState::Untrusted}) {
        JournalFinding finding = Found(state);
        finding.reason = "line 7 is not whole";
        auto box = FindingBox(texts, finding, Target);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->kind, BoxKind::Warning);
        EXPECT_EQ(box->text, texts.MsgJournalNotVouched + "\r\n\r\n" + finding.journalPath + "\r\nline 7 is not whole");
    }
}

// After recovery: done, with the files left as the user changed them; or the
// file that could not be put back and the system's words; or a refusal.
TEST(EarlierRunBoxes, TheOutcomeNamesWhatWasNotPutBack) {
    Catalogue texts = Texts();
    JournalFinding finding = Found(JournalState::Unfinished);

    RecoveryReport undone{};
    undone.outcome = Recovery::UndoneRun;
    EarlierRunBox done = SettledBox(texts, finding, undone, "");
    EXPECT_EQ(done.kind, BoxKind::Info);
    EXPECT_TRUE(Has(done.text, "DemoPack 2.1"));
    EXPECT_FALSE(Has(done.text, texts.MsgLeftAsChanged));
    EXPECT_TRUE(RecoveryGotThrough(undone));

    undone.leftAlone = {"Data\\a.txt", "Data\\b.txt"};
    EXPECT_TRUE(Has(SettledBox(texts, finding, undone, "").text,
                    "\r\n\r\n" + texts.MsgLeftAsChanged + "\r\nData\\a.txt\r\nData\\b.txt"));

    RecoveryReport stuck{};
    stuck.outcome = Recovery::Stuck;
    stuck.file = Target + "\\Data\\a.txt";
    stuck.error = 32;
    EarlierRunBox notBack = SettledBox(texts, finding, stuck, "The file is in use.");
    EXPECT_EQ(notBack.kind, BoxKind::Error);
    EXPECT_EQ(notBack.text, texts.MsgFileNotPutBack + "\r\n\r\n" + stuck.file + "\r\nThe file is in use.");
    EXPECT_FALSE(RecoveryGotThrough(stuck));

    RecoveryReport refused{};
    refused.outcome = Recovery::Refused;
    EarlierRunBox refusal = SettledBox(texts, finding, refused, "");
    EXPECT_EQ(refusal.kind, BoxKind::Warning);
    EXPECT_TRUE(Has(refusal.text, texts.MsgJournalNotVouched + "\r\n\r\n" + finding.journalPath));
    EXPECT_FALSE(RecoveryGotThrough(refused));
}

// A folder link that leads elsewhere than during the run: told with the
// folder, found before any question or met by an undo, never a success.
TEST(EarlierRunBoxes, ALinkThatMovedIsToldWithItsFolderAndNeverAsked) {
    Catalogue texts = Texts();
    const std::string link = Target + "\\Data";
    JournalFinding finding = Found(JournalState::LinkMoved);
    finding.reason = link;
    auto found = FindingBox(texts, finding, Target);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->kind, BoxKind::Warning);
    EXPECT_EQ(found->caption, texts.CapWarning);
    EXPECT_EQ(found->text, texts.MsgLinkMoved + "\r\n\r\n" + link);

    RecoveryReport moved{};
    moved.outcome = Recovery::LinkMoved;
    moved.file = link;
    EarlierRunBox settled = SettledBox(texts, JournalFinding{}, moved, "");
    EXPECT_EQ(settled.kind, BoxKind::Warning);
    EXPECT_EQ(settled.text, found->text);
    EXPECT_FALSE(RecoveryGotThrough(moved));
}
