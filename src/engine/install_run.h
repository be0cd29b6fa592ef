// The install run's rules: deletes and copies the package's files as its
// scripts say, updates the target's uninstall record and components list and
// writes the version stamps, reporting one progress step per script line. The
// window around it (progress page, result box) belongs to the wizard.
#pragma once
#include <string>

#include "base/package.h"
#include "engine/install_files.h"
#include "engine/install_journal.h"

// What the run reports while it works; the wizard's progress page implements it.
class InstallProgress {
public:
    virtual ~InstallProgress() = default;
    // Called once before the first step with the number of steps to come.
    virtual void SetProgressRange(int total) = 0;
    // Called after each step with the number of steps taken so far.
    virtual void ShowProgressStep(int position) = 0;
    // Lets the window handle what is waiting, when it is due; called after
    // each step and during long copies. False once the user has abandoned the run.
    virtual bool KeepAlive() { return true; }
};

// Busy: another run holds the target's journal (or one nobody finished is
// there); nothing was changed.
enum class InstallOutcome { Installed, Failed, Abandoned, Busy };

// Installs the package from setupFolder\Source into the target folder. True
// when every step succeeded (InstallOk). Any failure (a text file that cannot
// be read or written, a record that cannot be replaced, memory) ends the run
// there with false, keeping what was already done. The components entry and
// the stamps are written only after every earlier step succeeded, Version.ini
// last. A package whose folder would leave the target installs nothing.
bool RunInstall(const std::string& setupFolder, const std::string& target, const Package& package,
                InstallFiles& files, InstallProgress& progress);

// What a transacted run tells besides its outcome.
struct TransactedRun {
    int flushes = 0;      // journal and file flushes
    RecoveryReport undo;  // after a failed run: Stuck names the file not put back
};

// The same run as one transaction over the target (install_journal.h): a
// failure of any kind (a copy or a write that fails, memory) or the user
// abandoning it ends the run and puts every change back before it returns.
// A journal there already makes it Busy before anything is changed.
InstallOutcome RunTransactedInstall(const std::string& setupFolder, const std::string& target, const Package& package,
                                    InstallFiles& files, JournalDisk& disk, InstallProgress& progress,
                                    TransactedRun* report = nullptr);

// True when PackBaseFolder and PackName name a folder inside the target: not
// absolute, no drive or stream colon, no ".." that climbs out. Pure.
bool PackageFolderIsSafe(const Package& package);
