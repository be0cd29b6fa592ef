// Built into setup.exe as it ships, and once more with SETUP_TEST_SEAMS for the
// tests alone, where the environment can stand in for a refused prompt.
#include "driver/consent.h"

#include <shellapi.h>

#include "base/files.h"
#include "base/handles.h"
#include "base/paths.h"

namespace {

BOOL AskToStartElevated(SHELLEXECUTEINFOA& info) {
#ifdef SETUP_TEST_SEAMS
    char answer[16] = "";
    if (GetEnvironmentVariableA("SETUP_TEST_CONSENT", answer, sizeof answer) && std::string(answer) == "declined") {
        SetLastError(ERROR_CANCELLED);
        return FALSE;
    }
#endif
    return ShellExecuteExA(&info);
}

// Until the process ends; a quit message met meanwhile is put back for the page loop.
DWORD WaitPumping(HANDLE process) {
    bool quit = false;
    int quitCode = 0;
    while (MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                quitCode = static_cast<int>(message.wParam);
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    if (quit) PostQuitMessage(quitCode);
    DWORD exitCode = 1;
    if (!GetExitCodeProcess(process, &exitCode)) exitCode = 1;
    return exitCode;
}

}  // namespace

ElevatedRunEnd RunElevatedCopy(HWND owner, const std::string& arguments) {
    std::string program = OwnExecutablePath();
    std::string folder = FolderOf(program);
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = "runas";
    info.lpFile = program.c_str();
    info.lpParameters = arguments.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!AskToStartElevated(info)) {
        return GetLastError() == ERROR_CANCELLED ? ElevatedRunEnd::Declined : ElevatedRunEnd::NotStarted;
    }
    if (!info.hProcess) return ElevatedRunEnd::NotStarted;
    ProcessHandle process(info.hProcess);
    return EndFromExitCode(WaitPumping(process.get()));
}
