#include "driver/setup.h"

#include <windows.h>

#include "driver/pack_files.h"
#include "lang/catalogue.h"

std::string ProductName;
std::string ProductVersion;
std::string ChosenFolder;
bool GoBack = false;
bool LanguagePageDone = false;
bool CopyListInactive = true;
int LastListSelection = 0;
bool LaunchOnExit = false;

std::string SetupFolder() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    size_t cut = path.find_last_of('\\');
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool CheckOsVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExA(&info);
#pragma GCC diagnostic pop
    if (info.dwMajorVersion >= 5) return true;
    std::string text = "\r\n" + ProductName + "\r\n\r\nNot supported OS..." + std::string(16, ' ');
    MessageBoxA(nullptr, text.c_str(), "Warning...", MB_SYSTEMMODAL | MB_ICONERROR | MB_OK);
    return false;
}

void InitStartupState() {
    LastListSelection = 0;
    LanguagePageDone = false;
    CopyListInactive = true;
    MsgExitConfirm = "Do you really want to close the program?";
    CapExitConfirm = "Confirmation of exit...";
    ReadPackIni();
}

void RunSetup() {
    ProductName = "Quillsetter.TV";
    ProductVersion = "1.0.0.lang";
    LaunchOnExit = false;
    if (!CheckOsVersion()) return;
    InitStartupState();
}

void ShowFatalError(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Application Error", MB_TASKMODAL | MB_ICONERROR | MB_OK);
}
