#include "driver/earlier_run_texts.h"

namespace {

const char Gap[] = "\r\n\r\n";
const char Line[] = "\r\n";

std::string Filled(const std::string& templ, const std::string& argument) {
    std::string text;
    FormatTemplate(templ, argument, text);
    return text;
}

std::string PackageOf(const JournalHeader& header) {
    return header.PackVersion.empty() ? header.PackName : header.PackName + " " + header.PackVersion;
}

// What cannot be vouched for, where it lies, and why.
EarlierRunBox NotVouched(const Catalogue& texts, const std::string& where, const std::string& why) {
    std::string text = texts.MsgJournalNotVouched + Gap + where;
    if (!why.empty()) text += Line + why;
    return {text, texts.CapWarning, BoxKind::Warning};
}

// A folder link that leads elsewhere than it did: the link, and nothing done through it.
EarlierRunBox LinkMoved(const Catalogue& texts, const std::string& link) {
    return {texts.MsgLinkMoved + Gap + link, texts.CapWarning, BoxKind::Warning};
}

}  // namespace

std::optional<EarlierRunBox> FindingBox(const Catalogue& texts, const JournalFinding& finding,
                                        const std::string& target) {
    switch (finding.state) {
        case JournalState::None: return std::nullopt;
        case JournalState::Busy: return EarlierRunBox{texts.MsgCopyBusy + Gap + target, texts.CapWarning, BoxKind::Warning};
        case JournalState::Damaged:
        case JournalState::Untrusted: return NotVouched(texts, finding.journalPath, finding.reason);
        case JournalState::LinkMoved: return LinkMoved(texts, finding.reason);
        case JournalState::Unfinished:
        case JournalState::Committed: break;
    }
    const std::string& templ =
        finding.state == JournalState::Committed ? texts.MsgInterruptedFinish : texts.MsgInterruptedUndo;
    std::string text = Filled(templ, PackageOf(finding.header)) + Gap + target;
    if (!finding.header.startedAt.empty()) text += Line + finding.header.startedAt;
    return EarlierRunBox{text, texts.CapConfirm, BoxKind::Question};
}

bool RecoveryGotThrough(const RecoveryReport& report) {
    return report.outcome != Recovery::Stuck && report.outcome != Recovery::Refused &&
           report.outcome != Recovery::LinkMoved;
}

EarlierRunBox SettledBox(const Catalogue& texts, const JournalFinding& finding, const RecoveryReport& report,
                         const std::string& systemText) {
    if (report.outcome == Recovery::Refused) return NotVouched(texts, finding.journalPath, report.file);
    if (report.outcome == Recovery::LinkMoved) return LinkMoved(texts, report.file);
    if (report.outcome == Recovery::Stuck) {
        std::string text = texts.MsgFileNotPutBack + Gap + report.file;
        if (!systemText.empty()) text += Line + systemText;
        return {text, texts.CapWarning, BoxKind::Error};
    }
    std::string text = Filled(texts.MsgInterruptionSettled, PackageOf(finding.header));
    if (!report.leftAlone.empty()) {
        text += Gap + texts.MsgLeftAsChanged;
        for (const auto& file : report.leftAlone) text += Line + file;
    }
    return {text, texts.CapMessage, BoxKind::Info};
}
