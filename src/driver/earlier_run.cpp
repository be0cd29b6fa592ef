#include "driver/earlier_run.h"

#include <windows.h>

#include "base/text_file.h"
#include "driver/earlier_run_texts.h"

namespace {

UINT FlagsOf(BoxKind kind) {
    switch (kind) {
        case BoxKind::Question: return MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO;
        case BoxKind::Info: return MB_SYSTEMMODAL | MB_ICONINFORMATION | MB_OK;
        case BoxKind::Warning: return MB_SYSTEMMODAL | MB_ICONWARNING | MB_OK;
        case BoxKind::Error: break;
    }
    return MB_SYSTEMMODAL | MB_ICONERROR | MB_OK;
}

std::string SystemTextOf(const RecoveryReport& report) { return report.error ? SystemErrorText(report.error) : ""; }

int Show(Wizard& wizard, const EarlierRunBox& box) { return wizard.ShowOwnedBox(box.text, box.caption, FlagsOf(box.kind)); }

}  // namespace

bool HasUnfinishedRun(JournalDisk& disk, const std::string& target) {
    return InspectJournal(disk, target).state != JournalState::None;
}

bool SettleEarlierRun(Wizard& wizard, const Catalogue& texts, JournalDisk& disk, const std::string& target) {
    JournalFinding finding = InspectJournal(disk, target);
    std::optional<EarlierRunBox> question = FindingBox(texts, finding, target);
    if (!question) return true;
    if (Show(wizard, *question) != IDYES || question->kind != BoxKind::Question) return false;
    // The window is gone: the user left while the question was up.
    if (wizard.WindowClosed) return false;
    RecoveryReport report = RecoverTarget(disk, target);
    Show(wizard, SettledBox(texts, finding, report, SystemTextOf(report)));
    return RecoveryGotThrough(report);
}

void TellUndoNotFinished(Wizard& wizard, const Catalogue& texts, const RecoveryReport& undo) {
    if (RecoveryGotThrough(undo)) return;
    Show(wizard, SettledBox(texts, JournalFinding{}, undo, SystemTextOf(undo)));
}
