// DLLs planted beside setup.exe under the names of the libraries it and the
// system's own libraries use are never loaded during a whole install, even with
// Wine told to prefer copies beside the program, as Windows does for every
// library that is not one of its known DLLs. A control program that imports
// version.dll the ordinary way shows that the same settings catch the fault.
#include "e2e/wizard_fixture.h"
#include "support/test_registry.h"
#include "ui/layout.h"

namespace {
// Libraries outside the system's known DLLs: Windows would search the program's
// folder for them first, so Wine is told to do the same.
const char* const SearchedNames[] = {"version", "comctl32", "uxtheme", "dwmapi",   "msimg32", "winmm",
                                     "propsys", "mpr",      "userenv", "cryptbase", "profapi"};
// Known DLLs: Windows always takes them from the system folder; Wine's own
// copies win by default too.
const char* const KnownNames[] = {"shell32", "ole32",   "oleaut32", "advapi32", "user32",
                                  "gdi32",   "msvcrt",  "shlwapi",  "comdlg32", "imm32"};

std::string HardeningBinary(const std::string& name) { return std::string(TEST_BIN_DIR) + "\\tests\\hardening\\" + name; }

void Plant(const std::string& folder, const char* name) {
    std::string target = folder + "\\" + name + ".dll";
    ASSERT_TRUE(CopyFileA(HardeningBinary("planted.dll").c_str(), target.c_str(), FALSE)) << target;
}

std::vector<std::string> LoadedMarkers(const std::string& folder) {
    std::vector<std::string> markers;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*.loaded").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return markers;
    do markers.push_back(data.cFileName);
    while (FindNextFileA(find, &data));
    FindClose(find);
    return markers;
}

// Makes Wine prefer the copies beside the two programs for the searched names
// while it lives: the registry form of WINEDLLOVERRIDES="version=n,b;...",
// which a program started from a Windows process does not take from its parent.
struct NativeFirstOverrides {
    static constexpr const char* Programs[] = {"setup.exe", "importer.exe"};
    NativeFirstOverrides() {
        for (const char* program : Programs) {
            HKEY key;
            std::string path = std::string("Software\\Wine\\AppDefaults\\") + program + "\\DllOverrides";
            if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr))
                continue;
            for (const char* name : SearchedNames) {
                const char value[] = "native,builtin";
                RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
            }
            RegCloseKey(key);
        }
    }
    ~NativeFirstOverrides() {
        for (const char* program : Programs)
            DeleteRegistryTree(HKEY_CURRENT_USER, std::string("Software\\Wine\\AppDefaults\\") + program);
    }
};

int RunAndWait(const std::string& exe) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + exe + "\"";
    std::string folder = exe.substr(0, exe.find_last_of('\\'));
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &info))
        return -1;
    WaitForSingleObject(info.hProcess, 10000);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return static_cast<int>(code);
}
}  // namespace

TEST_F(WizardRun, PlantedLibrariesAreNotLoadedDuringAWholeInstall) {
    NativeFirstOverrides overrides;

    // The control: an ordinary importer of version.dll loads the planted copy.
    ScratchDir control;
    std::string importer = control / "importer.exe";
    ASSERT_TRUE(CopyFileA(HardeningBinary("version_importer.exe").c_str(), importer.c_str(), FALSE));
    Plant(control.path, "version");
    RunAndWait(importer);
    ASSERT_EQ(LoadedMarkers(control.path).size(), 1u) << "the planting is not caught here, so the test proves nothing";

    for (const char* name : SearchedNames) Plant(setup.path, name);
    for (const char* name : KnownNames) Plant(setup.path, name);
    std::string copy = MakeRecordedCopy("Game");
    Start();
    ASSERT_TRUE(WaitForHeader("О пакете:"));
    ClickButton(main, CmdNext);
    EXPECT_NE(AnswerBox(process.pid(), IDOK).text.find(copy), std::string::npos);
    EXPECT_EQ(AnswerBox(process.pid(), IDOK).text, "Пакет установлен успешно!");
    ASSERT_TRUE(WaitFor([&] { return Enabled(CmdExit); }));
    ClickButton(main, CmdExit);
    AnswerBox(process.pid(), IDYES);
    EXPECT_EQ(AnswerBox(process.pid(), IDNO).text, "Запустить программу Quillset?");
    EXPECT_EQ(process.waitExit(), 0);

    EXPECT_EQ(ReadBytes(PackageFolder(copy) + "\\Version.ini"), "2.1\r\n") << "the install itself must have run";
    std::vector<std::string> loaded = LoadedMarkers(setup.path);
    EXPECT_TRUE(loaded.empty()) << "loaded from beside the program: " << (loaded.empty() ? "" : loaded.front());
}
