#include "driver/running_check.h"

#include <gtest/gtest.h>

#include "support/test_files.h"

namespace {

const char TargetClass[] = "QuillTargetWnd";

std::string CopyTarget(const std::string& variant, const std::string& folder) {
    MakeFolders(folder);
    std::string exe = folder + "\\Quill.exe";
    std::string built = std::string(TEST_BIN_DIR) + "\\demo\\" + variant + ".exe";
    EXPECT_TRUE(CopyFileA(built.c_str(), exe.c_str(), FALSE));
    return exe;
}

HWND WindowOfProcess(DWORD pid) {
    for (HWND w = FindWindowExA(nullptr, nullptr, TargetClass, nullptr); w;
         w = FindWindowExA(nullptr, w, TargetClass, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid) return w;
    }
    return nullptr;
}

// A running target copy (not recording itself); closed again at the end.
struct RunningTarget {
    PROCESS_INFORMATION info{};
    HWND window = nullptr;
    explicit RunningTarget(const std::string& exe) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        std::string line = "\"" + exe + "\" /norecord";
        if (!CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            return;
        DWORD start = GetTickCount();
        while (!(window = WindowOfProcess(info.dwProcessId)) && GetTickCount() - start < 20000) {
            if (WaitForSingleObject(info.hProcess, 20) == WAIT_OBJECT_0) break;
        }
    }
    ~RunningTarget() {
        if (!info.hProcess) return;
        if (window) PostMessageA(window, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
    RunningTarget(const RunningTarget&) = delete;
    RunningTarget& operator=(const RunningTarget&) = delete;
};

std::string LatinUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

TEST(RunningCheck, OnlyTheChosenCopyCounts) {
    ScratchDir dir;
    std::string chosen = CopyTarget("target_v1", dir / "chosen");
    std::string other = CopyTarget("target_v1", dir / "other");
    Package package;
    package.PackWindowClass = "quilltargetWND";
    package.PackExeName = "Quill.exe";
    std::string folder = dir / "chosen";

    EXPECT_FALSE(IsTargetRunning(package, folder));
    {
        RunningTarget elsewhere(other);
        ASSERT_NE(elsewhere.window, nullptr);
        EXPECT_FALSE(IsTargetRunning(package, folder));
        EXPECT_EQ(GetWindowExePath(elsewhere.window), other);
        RunningTarget running(chosen);
        ASSERT_NE(running.window, nullptr);
        EXPECT_TRUE(IsTargetRunning(package, folder));
        EXPECT_EQ(GetWindowExePath(running.window), chosen);
        // Any name of the running file counts; classes need their letters, not their case.
        EXPECT_TRUE(IsProgramRunning(TargetClass, LatinUpper(chosen)));
        EXPECT_TRUE(IsProgramRunning(TargetClass, chosen + " "));
        EXPECT_TRUE(IsProgramRunning(TargetClass, folder + "\\.\\..\\chosen\\\\Quill.exe"));
        EXPECT_FALSE(IsProgramRunning(TargetClass, chosen + "x"));
        EXPECT_FALSE(IsProgramRunning("QuillTargetWndX", chosen));
        EXPECT_FALSE(IsProgramRunning("QuillTarget", chosen));
        EXPECT_TRUE(IsProgramRunning("QUILLTARGETWND", chosen));
    }
    EXPECT_FALSE(IsTargetRunning(package, folder));
    EXPECT_EQ(GetWindowExePath(nullptr), "");
}

// A program started through its short (8.3) name is the same file as its long name.
TEST(RunningCheck, AShortNameIsTheSameProgram) {
    ScratchDir dir;
    std::string exe = CopyTarget("target_v1", dir / "chosen copy folder");
    char shortName[MAX_PATH];
    DWORD length = GetShortPathNameA(exe.c_str(), shortName, MAX_PATH);
    ASSERT_TRUE(length > 0 && length < MAX_PATH);
    ASSERT_EQ(std::string(shortName).find("chosen copy folder"), std::string::npos) << shortName;
    EXPECT_EQ(SystemPathKey(shortName), SystemPathKey(exe));
    EXPECT_NE(SystemPathKey(shortName), SystemPathKey(dir / "other\\Quill.exe"));
    RunningTarget running(shortName);
    ASSERT_NE(running.window, nullptr);
    EXPECT_TRUE(IsProgramRunning(TargetClass, exe));
    EXPECT_TRUE(IsProgramRunning(TargetClass, shortName));
}

// Where the program sits in memory decides which way its path is found:
// the fixed variant at the classic base, the relocated one as the snapshot's
// first module, and the system's own image name as the last resort.
TEST(RunningCheck, FindsTheImageWhereverItIsLoaded) {
    ScratchDir dir;
    for (const char* variant : {"target_v1", "target_fixed"}) {
        std::string exe = CopyTarget(variant, dir / variant);
        RunningTarget running(exe);
        ASSERT_NE(running.window, nullptr) << variant;
        TModuleArray modules;
        ASSERT_TRUE(GetProcessModules(running.info.dwProcessId, modules)) << variant;
        ASSERT_FALSE(modules.empty());
        EXPECT_EQ(std::string(modules.front().szExePath), exe);
        bool atClassicBase = reinterpret_cast<UINT_PTR>(modules.front().modBaseAddr) == 0x00400000;
        EXPECT_EQ(atClassicBase, std::string(variant) == "target_fixed") << variant;
        EXPECT_EQ(GetWindowExePath(running.window), exe) << variant;
        EXPECT_EQ(QueryProcessImagePath(running.info.dwProcessId), exe) << variant;
        EXPECT_TRUE(IsProgramRunning(TargetClass, exe)) << variant;
    }
    TModuleArray modules{MODULEENTRY32{}};
    EXPECT_FALSE(GetProcessModules(0xFFFFFFF0, modules));
    EXPECT_TRUE(modules.empty());
    EXPECT_EQ(QueryProcessImagePath(0xFFFFFFF0), "");
}

}  // namespace
