// setup.exe's entry: hardens the process, then runs the wizard under the
// last-resort handler, which turns any failure that escapes the run into the
// "Application Error" box and exit code 1.
#include <windows.h>

#include <exception>
#include <string>

#include "driver/hardening.h"
#include "driver/setup.h"
#include "ui/toolkit.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HardenProcess();
    std::string redirection = DllRedirectionPath();
    if (!redirection.empty()) {
        ShowFatalError(redirection + "\r\n\r\nThis file or folder could make setup load foreign libraries, "
                       "so setup stops here without changing anything. Remove it and start setup again.");
        return 1;
    }
    try {
        return RunSetup();
    } catch (const std::exception& failure) {
        ShowFatalError(failure.what());
        return 1;
    } catch (...) {
        ShowFatalError("Unknown failure.");
        return 1;
    }
}
