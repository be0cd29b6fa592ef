// The driver: RunSetup walks the wizard's stages in their fixed order from the
// language page to the closing questions, and owns the run's data: the package
// description, the catalogue, the target folder and the final launch.
#pragma once

bool CheckOsVersion();
// The whole run; returns the exit code (0, also for a refused system or a
// closed window; 1 when the package is missing beside setup.exe). A failure
// that escapes it is the caller's to report.
int RunSetup();
