// setup.exe's entry: runs the wizard under the last-resort handler, which turns
// any failure that escapes the run into the "Application Error" box and exit code 1.
#include <windows.h>

#include <exception>

#include "driver/setup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    try {
        RunSetup();
    } catch (const std::exception& failure) {
        ShowFatalError(failure.what());
        return 1;
    } catch (...) {
        ShowFatalError("Unknown failure.");
        return 1;
    }
    return 0;
}
