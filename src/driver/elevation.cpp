#include "driver/elevation.h"

#include <windows.h>

#include <set>
#include <vector>

#include "base/failure.h"
#include "base/files.h"
#include "base/handles.h"
#include "base/package_layout.h"
#include "base/paths.h"
#include "base/system_library.h"
#include "base/text_file.h"
#include "driver/stamps.h"
#include "engine/install_run.h"
#include "engine/script_safety.h"

namespace {

// Values of the newer SDKs, spelled out: the program is built for XP.
const int TokenElevationClass = 20;                  // TokenElevation
const DWORD_PTR ParentProcessAttribute = 0x00020000;  // PROC_THREAD_ATTRIBUTE_PARENT_PROCESS
const DWORD ExtendedStartupInfoPresent = 0x00080000;  // EXTENDED_STARTUPINFO_PRESENT

struct StartupInfoWithAttributes {  // STARTUPINFOEXA
    STARTUPINFOA startup;
    void* attributes;
};

using InitializeAttributesFn = BOOL(WINAPI*)(void*, DWORD, DWORD, SIZE_T*);
using UpdateAttributeFn = BOOL(WINAPI*)(void*, DWORD, DWORD_PTR, void*, SIZE_T, void*, SIZE_T*);
using DeleteAttributesFn = void(WINAPI*)(void*);

bool AccessRefused() { return GetLastError() == ERROR_ACCESS_DENIED; }

// A uniquely named file created and deleted on close: what the run does to a folder.
bool FolderTakesNewFiles(const std::string& folder) {
    static unsigned probes = 0;
    std::string name = "setup-probe-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++probes) + ".tmp";
    FileHandle probe(OpenFilePath(JoinPath(folder, name), GENERIC_WRITE, 0, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE));
    return probe.valid() || !AccessRefused();
}

// Opened for writing, sharing everything: another program's handle is no
// refusal, nor is a file that is not there. A read-only file, or a folder
// where a file should be, fails the run whoever runs it: rights would not help.
bool FileTakesChanges(const std::string& path) {
    FileHandle file(OpenFilePath(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 OPEN_EXISTING, 0));
    if (file.valid() || !AccessRefused()) return true;
    unsigned long attributes = PathAttributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0;
}

// The nearest folder of `path` that exists, not above `target`.
std::string NearestFolder(const std::string& target, std::string path) {
    while (path.size() > target.size() && !FolderExists(path)) path = FolderOf(path);
    return path.size() > target.size() ? path : target;
}

// Every folder the run creates files in and every file it may change. Each
// file costs one open: a large install's probe stays a fraction of its work.
struct RunReach {
    std::set<std::string> folders;
    std::set<std::string> namedFolders;  // each looked at once
    std::vector<std::string> files;

    void AddFile(const std::string& target, const std::string& path) {
        std::string folder = FolderOf(path);
        if (namedFolders.insert(folder).second) folders.insert(NearestFolder(target, folder));
        files.push_back(path);
    }
    void AddScript(const std::string& script, const std::string& target, const std::string& subFolder) {
        if (!FileIsPresent(script)) return;
        std::vector<std::string> lines;
        try {
            lines = ReadTextLines(script);
        } catch (const FileError&) {
            return;  // the run itself reports a script it cannot read
        }
        for (const std::string& line : lines) {
            if (ClassifyScriptLine(subFolder, line) != ScriptLineKind::File) continue;
            AddFile(target, JoinPath(target + subFolder, ScriptLineRelative(line)));
        }
    }
};

ProcessHandle OpenShellProcess() {
    HWND shell = GetShellWindow();
    DWORD processId = 0;
    if (!shell || !GetWindowThreadProcessId(shell, &processId) || !processId) return ProcessHandle();
    return ProcessHandle(OpenProcess(PROCESS_CREATE_PROCESS, FALSE, processId));
}

bool AttributeListFunctionsExist() {
    return KernelFunctionAs<InitializeAttributesFn>("InitializeProcThreadAttributeList") &&
           KernelFunctionAs<UpdateAttributeFn>("UpdateProcThreadAttribute") &&
           KernelFunctionAs<DeleteAttributesFn>("DeleteProcThreadAttributeList");
}

// CreateProcess with the shell as the new process's parent, whose token it then gets.
bool StartAsChildOf(HANDLE parent, const std::string& program, const std::string& folder) {
    auto initialize = KernelFunctionAs<InitializeAttributesFn>("InitializeProcThreadAttributeList");
    auto update = KernelFunctionAs<UpdateAttributeFn>("UpdateProcThreadAttribute");
    auto remove = KernelFunctionAs<DeleteAttributesFn>("DeleteProcThreadAttributeList");
    if (!initialize || !update || !remove) return false;
    SIZE_T size = 0;
    initialize(nullptr, 1, 0, &size);
    std::vector<char> list(size);
    if (size == 0 || !initialize(list.data(), 1, 0, &size)) return false;
    StartupInfoWithAttributes info{};
    info.startup.cb = sizeof info;
    info.attributes = list.data();
    bool started = false;
    if (update(list.data(), 0, ParentProcessAttribute, &parent, sizeof parent, nullptr, nullptr)) {
        std::string commandLine = "\"" + program + "\"";
        PROCESS_INFORMATION process{};
        started = CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                                 ExtendedStartupInfoPresent, nullptr, folder.c_str(), &info.startup, &process) != 0;
        if (started) {
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
    }
    remove(list.data());
    return started;
}

}  // namespace

bool ConsentPromptExists() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
    return info.dwMajorVersion >= 6;
}

bool ProcessIsElevated() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return false;
    ProcessHandle token(raw);
    DWORD elevated = 0, size = 0;
    if (!GetTokenInformation(token.get(), static_cast<TOKEN_INFORMATION_CLASS>(TokenElevationClass), &elevated,
                             sizeof elevated, &size)) {
        return false;
    }
    return elevated != 0;
}

bool TargetIsWritable(const std::string& setupFolder, const std::string& target, const Package& package) {
    std::string packageSub = PackageFolderIn("", package.PackBaseFolder, package.PackName);
    std::string packageFolder = target + packageSub;
    RunReach reach;
    reach.folders.insert(target);
    reach.AddFile(target, JoinPath(target, ResourceUninstall));
    reach.AddFile(target, JoinPath(target, ResourceInstallComponents));
    reach.AddScript(JoinPath(setupFolder, SourceDeleteScript), target, "");
    reach.AddScript(JoinPath(setupFolder, SourceTargetCopyScript), target, "");
    // A package folder outside the target installs nothing: nothing there to try.
    if (PackageFolderIsSafe(package)) {
        reach.AddFile(target, JoinPath(packageFolder, VersionStampName));
        reach.AddFile(target, JoinPath(packageFolder, OldVersionsName));
        reach.AddScript(JoinPath(setupFolder, SourcePackageCopyScript), target, packageSub);
    }
    for (const std::string& folder : reach.folders) {
        if (!FolderTakesNewFiles(folder)) return false;
    }
    for (const std::string& file : reach.files) {
        if (!FileTakesChanges(file)) return false;
    }
    return true;
}

bool CanStartAsInvokingUser() {
    if (!ProcessIsElevated()) return true;
    return AttributeListFunctionsExist() && OpenShellProcess().valid();
}

void StartAsInvokingUser(const std::string& folder, const std::string& exeName) {
    if (!ProcessIsElevated()) {
        LaunchTarget(folder, exeName);
        return;
    }
    ProcessHandle shell = OpenShellProcess();
    if (!shell.valid()) return;
    std::string program = JoinPath(folder, exeName);
    SetErrorMode(0);  // the program gets the system's error boxes, not setup's quiet mode
    StartAsChildOf(shell.get(), program, FolderOf(program));
}
