// An install run interrupted in the chosen copy (killed, a power cut, an undo
// that could not finish) is found before anything else is done to the copy,
// told to the user, and settled only with the user's yes.
#pragma once
#include <string>

#include "engine/install_journal.h"
#include "lang/catalogue.h"
#include "ui/wizard.h"

// True when `target` holds anything an earlier run left (whatever its state).
bool HasUnfinishedRun(JournalDisk& disk, const std::string& target);
// True when the copy may be installed into: nothing was left, or what was left
// has been finished or undone after the user said yes. False when the user
// said no, another setup is at work on it, what was left cannot be trusted,
// or a file could not be put back (each told in a box; nothing installed).
bool SettleEarlierRun(Wizard& wizard, const Catalogue& texts, JournalDisk& disk, const std::string& target);
// After a failed run whose undo could not finish (a file held): the box names
// the file and the reason; the journal stays for the next run.
void TellUndoNotFinished(Wizard& wizard, const Catalogue& texts, const RecoveryReport& undo);
