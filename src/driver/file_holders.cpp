#include "driver/file_holders.h"

#include <windows.h>
#include <restartmanager.h>

#include "base/system_library.h"

namespace {

using StartSessionFn = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
using RegisterFn = DWORD(WINAPI*)(DWORD, UINT, LPCWSTR*, UINT, RM_UNIQUE_PROCESS*, UINT, LPCWSTR*);
using GetListFn = DWORD(WINAPI*)(DWORD, UINT*, UINT*, RM_PROCESS_INFO*, DWORD*);
using EndSessionFn = DWORD(WINAPI*)(DWORD);

struct RestartManager {
    StartSessionFn start = SystemFunctionAs<StartSessionFn>("rstrtmgr.dll", "RmStartSession");
    RegisterFn registerFiles = SystemFunctionAs<RegisterFn>("rstrtmgr.dll", "RmRegisterResources");
    GetListFn getList = SystemFunctionAs<GetListFn>("rstrtmgr.dll", "RmGetList");
    EndSessionFn end = SystemFunctionAs<EndSessionFn>("rstrtmgr.dll", "RmEndSession");
    bool present() const { return start && registerFiles && getList && end; }
};

std::wstring WideText(const std::string& text) {
    int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string AnsiText(const WCHAR* text) {
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 1) return "";
    std::string ansi(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi.data(), length, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(length - 1));
    return ansi;
}

// The session's list, asked again while it grows (a program may open the file meanwhile).
std::vector<RM_PROCESS_INFO> HolderList(const RestartManager& rm, DWORD session) {
    std::vector<RM_PROCESS_INFO> list;
    for (int tries = 0; tries < 3; ++tries) {
        UINT needed = 0, count = static_cast<UINT>(list.size());
        DWORD reasons = 0;
        DWORD result = rm.getList(session, &needed, &count, list.empty() ? nullptr : list.data(), &reasons);
        if (result == ERROR_SUCCESS) {
            list.resize(count);
            return list;
        }
        if (result != ERROR_MORE_DATA) break;
        list.resize(needed);
    }
    return {};
}

}  // namespace

std::vector<std::string> ProgramsHoldingFile(const std::string& path) {
    static const RestartManager rm;
    if (!rm.present()) return {};
    DWORD session = 0;
    WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
    if (rm.start(&session, 0, key) != ERROR_SUCCESS) return {};
    std::vector<std::string> names;
    std::wstring file = WideText(path);
    LPCWSTR files[] = {file.c_str()};
    if (rm.registerFiles(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS) {
        for (const RM_PROCESS_INFO& holder : HolderList(rm, session)) {
            std::string name = AnsiText(holder.strAppName);
            if (!name.empty()) names.push_back(name);
        }
    }
    rm.end(session);
    return names;
}
