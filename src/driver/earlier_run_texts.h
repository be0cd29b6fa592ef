// What the boxes say about an install run that was interrupted in the chosen
// copy: the question before it is settled, and what came of it. Pure: the
// system's error text is handed in.
#pragma once
#include <optional>
#include <string>

#include "engine/install_journal.h"
#include "lang/catalogue.h"

enum class BoxKind { Question, Info, Warning, Error };

struct EarlierRunBox {
    std::string text;
    std::string caption;
    BoxKind kind;
};

// The box for what was found in `target`: a Yes/No question when the run can
// be finished or undone, a warning when nothing will be done (another setup
// at work, a journal not to be trusted, a folder link that leads elsewhere
// than during the run); none when nothing was left.
std::optional<EarlierRunBox> FindingBox(const Catalogue& texts, const JournalFinding& finding,
                                        const std::string& target);
// True when recovery got through: the copy is as before the run or as after it.
bool RecoveryGotThrough(const RecoveryReport& report);
// The box after recovery: done (with the files it left alone, changed since
// the run), or the file it could not put back with `systemText`, the
// system's words for the report's error, or what it refused to act on (the
// journal, or the folder link through which nothing was done).
EarlierRunBox SettledBox(const Catalogue& texts, const JournalFinding& finding, const RecoveryReport& report,
                         const std::string& systemText);
