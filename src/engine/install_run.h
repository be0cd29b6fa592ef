// The install run: deletes and copies the package's files as its scripts say,
// updates the target's uninstall record and components list, writes the
// version stamps, shows progress and the result, then waits for the window.
#pragma once

void RunInstall();
