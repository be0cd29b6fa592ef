// Rights only where the target needs them: whether this process may change
// the chosen target (found by trying, never guessed from names), whether it
// runs elevated, and how the target program is started as the user who
// started setup even then.
#pragma once
#include <string>

#include "base/package.h"

// Vista and later, where the system can ask for an administrator's consent.
bool ConsentPromptExists();
// True when the process's token is elevated; false where the system has no
// such notion (XP) or will not say.
bool ProcessIsElevated();
// False when this process may not create a file in the target (or in a
// folder the scripts copy into) or may not write a file the run changes: its
// records, its stamps, the files its scripts delete or replace. Only a refusal
// of access counts: a file another program holds open, a read-only file or a
// read-only disk is no matter of rights, and the run reports it itself.
bool TargetIsWritable(const std::string& setupFolder, const std::string& target, const Package& package);

// The program is started as the user who started setup: directly when setup
// is not elevated, otherwise as a child of the desktop shell (which runs with
// the user's own token). False when that cannot be done here.
bool CanStartAsInvokingUser();
void StartAsInvokingUser(const std::string& folder, const std::string& exeName);
