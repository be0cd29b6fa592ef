// Times the real setup.exe from outside, the way a user waits on it: it is
// started on prepared packages and targets, its buttons are pressed, and the
// time between its windows appearing is taken. Each figure is a ratio to a
// baseline measured in the same run, program and baseline taking turns:
//   a  start-up: CreateProcess until the about page shows and answers, against
//      a minimal window program;
//   b  uninstall record: OK on the folder-found box until the result box, on a
//      20,000-line record, against one read and write of the record, and
//      against the two-box floor (a box, and on OK at once a second one);
//   c  install: 2,000 small files and five large ones through Script_Copy.ini,
//      against a bare CopyFileA loop over the same files;
//   d  growth: a 200,000-line record against the 20,000-line one, a
//      20,000-file install against the 2,000-file one, and the peak working
//      set while the 200,000-line record is merged.
// The peak working set of setup.exe is read through the memory counters.
//   outside_bench [--reps N] [--figures abcd]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "e2e/harness.h"
#include "support/test_files.h"

namespace {

const std::string TargetProgram = std::string(TEST_BIN_DIR) + "\\demo\\target.exe";
const std::string DemoSource = std::string(DEMO_PACKAGE_DIR) + "\\Source";
const std::string MinimalWindowExe = std::string(BENCH_BIN_DIR) + "\\minimal_window.exe";
const std::string TwoBoxesExe = std::string(BENCH_BIN_DIR) + "\\two_boxes.exe";

const char AboutHeader[] = "О пакете:";
const char WarningCaption[] = "Предупреждение...";
const char MessageCaption[] = "Сообщение...";
const char InstalledText[] = "Пакет установлен успешно!";
const char RecordsKey[] = "Software\\Torvane\\QuillsetPatch";
const int CmdNext = 1030;
const int CmdExit = 1027;
const DWORD Limit = 300000;  // a run that takes longer is broken, not slow

double Seconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Polls every millisecond, so a window is seen within about a millisecond of
// showing, until the condition holds or the deadline passes.
bool PollUntil(const std::function<bool()>& condition, DWORD limitMs = Limit) {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < limitMs) {
        if (condition()) return true;
        Sleep(1);
    }
    return condition();
}

void Require(bool condition, const std::string& what) {
    if (!condition) throw std::runtime_error(what);
}

// Another process's window text as the system keeps it: no message is sent,
// so a busy program is not waited for.
std::string StoredText(HWND window) {
    char buffer[1024];
    int n = GetWindowTextA(window, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

HWND VisibleTopWindow(DWORD pid, const char* className, const char* caption) {
    for (HWND window = FindWindowExA(nullptr, nullptr, className, nullptr); window;
         window = FindWindowExA(nullptr, window, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != pid || !IsWindowVisible(window)) continue;
        if (caption && StoredText(window) != caption) continue;
        return window;
    }
    return nullptr;
}

// A message box proper: it holds the text static (id 0xFFFF).
HWND VisibleBox(DWORD pid, const char* caption) {
    HWND box = VisibleTopWindow(pid, "#32770", caption);
    return box && GetDlgItem(box, 0xFFFF) ? box : nullptr;
}

// The page header: the static at the header's place, in both programs.
bool ShowsHeader(HWND main, const std::string& header) {
    HWND label = ChildAt(main, 80, 76, 340, 28);
    return label && IsWindowVisible(label) && StoredText(label) == header;
}

// Returns once the window's thread takes messages again: the page is painted
// and the program waits for the user.
void WaitAnswering(HWND window) {
    DWORD_PTR result = 0;
    Require(SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, Limit, &result) != 0, "the window does not answer");
}

struct Memory {
    double current = 0;  // MB
    double peak = 0;
};

struct Program {
    PROCESS_INFORMATION info{};
    HANDLE counters = nullptr;

    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program() {
        if (info.hProcess) {
            if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(info.hProcess, 99);
                WaitForSingleObject(info.hProcess, 10000);
            }
            CloseHandle(info.hProcess);
            CloseHandle(info.hThread);
        }
        if (counters) CloseHandle(counters);
    }
    DWORD pid() const { return info.dwProcessId; }

    void start(const std::string& exe, const std::string& folder) {
        std::string commandLine = "\"" + exe + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        // As the shell starts a program the user double-clicks: with the
        // limited token, so setup asks the launch question it would ask then.
        HANDLE token = LimitedToken();
        BOOL started = token ? CreateProcessAsUserA(token, exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                                    nullptr, folder.c_str(), &startup, &info)
                             : CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                              folder.c_str(), &startup, &info);
        if (token) CloseHandle(token);
        Require(started != 0, "cannot start " + exe);
        counters = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, info.dwProcessId);
    }

    Memory memory() const {
        PROCESS_MEMORY_COUNTERS c{};
        c.cb = sizeof c;
        Memory m;
        if (counters && GetProcessMemoryInfo(counters, &c, sizeof c)) {
            m.current = static_cast<double>(c.WorkingSetSize) / (1 << 20);
            m.peak = static_cast<double>(c.PeakWorkingSetSize) / (1 << 20);
        }
        return m;
    }

    void waitExit() {
        Require(WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0, "the program did not end");
    }
};

// ---- copy records, as the wizard tests write them ----

void ClearCopyRecords() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, RecordsKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        std::vector<std::string> children;
        char name[256];
        for (DWORD i = 0;; ++i) {
            DWORD size = sizeof name;
            if (RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            children.emplace_back(name, size);
        }
        RegCloseKey(key);
        for (const auto& child : children) RegDeleteKeyA(HKEY_CURRENT_USER, (std::string(RecordsKey) + "\\" + child).c_str());
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, RecordsKey);
}

void SetString(HKEY key, const char* name, const std::string& value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

void RecordOnlyCopy(const std::string& exePath) {
    ClearCopyRecords();
    HKEY key = nullptr;
    std::string record = std::string(RecordsKey) + "\\QuillsetPatch1";
    Require(RegCreateKeyExA(HKEY_CURRENT_USER, record.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
                ERROR_SUCCESS,
            "cannot create " + record);
    SetString(key, "ExePatch", exePath);
    SetString(key, "Version", "1.2.3.4");
    SetString(key, "ProgramName", "Quillset");
    RegCloseKey(key);
    DWORD count = 1;
    RegCreateKeyExA(HKEY_CURRENT_USER, RecordsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, "QuillsetPatchCount", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
    RegCloseKey(key);
}

// ---- packages and the installed copy ----

void CopyFileOrFail(const std::string& from, const std::string& to) {
    Require(CopyFileA(from.c_str(), to.c_str(), FALSE) != 0, "cannot copy " + from + " to " + to);
}

// A setup folder: setup.exe beside the demo package's description files, no
// Language folder (so the run opens on the about page) and no scripts yet.
void MakeSetupFolder(const std::string& folder) {
    MakeFolders(folder + "\\Source");
    CopyFileOrFail(SETUP_EXE_PATH, folder + "\\setup.exe");
    for (const char* name : {"Pack.ini", "Versions.ini", "aboutPack.ini", "OldVersions.ini"}) {
        CopyFileOrFail(DemoSource + "\\" + name, folder + "\\Source\\" + name);
    }
}

std::string Join(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

// An installed copy as it stands before each run: the record, the components
// list, and no package folder (so no stamp asks about a reinstall).
void ResetCopy(const std::string& copy, const std::string& record) {
    WriteBytes(copy + "\\Resource\\Uninstall.ini", record);
    WriteBytes(copy + "\\Resource\\InstallComponents.ini", "Base/1.0\r\n");
    RemoveTree(copy + "\\Addons");
}

size_t CountLines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// A record of `sections` sections of 100 lines (the header and 99 entries).
std::string RecordText(int sections) {
    std::string text;
    for (int s = 0; s < sections; ++s) {
        std::string folder = "Data\\Section" + std::to_string(s) + "\\entry";
        text += "[Section " + std::to_string(s) + "]\r\n";
        for (int e = 0; e < 99; ++e) text += folder + std::to_string(e) + ".dat\r\n";
    }
    return text;
}

// 2,000 lines to clear, 1,000 of them in the record (five entries of each of
// the first 200 sections), and 2,000 lines to add in 50 sections: half of the
// headers are in the record, half are appended; each block repeats four
// entries the record holds. Returns the number of lines the record gains.
long WriteUninstallScripts(const std::string& source) {
    std::vector<std::string> clear, add;
    for (int s = 0; s < 200; ++s) {
        for (int e = 0; e < 5; ++e) clear.push_back("Data\\Section" + std::to_string(s) + "\\entry" + std::to_string(e * 20) + ".dat");
    }
    for (int i = 0; i < 1000; ++i) clear.push_back("Data\\Gone\\old" + std::to_string(i) + ".dat");
    long gained = -1000;
    for (int k = 0; k < 50; ++k) {
        bool known = k < 25;
        int section = k * 8;
        add.push_back(known ? "[Section " + std::to_string(section) + "]" : "[Added " + std::to_string(k) + "]");
        if (!known) ++gained;
        int fresh = 39;
        if (known) {
            for (int e = 1; e <= 4; ++e) add.push_back("Data\\Section" + std::to_string(section) + "\\entry" + std::to_string(e) + ".dat");
            fresh -= 4;
        }
        for (int e = 0; e < fresh; ++e) add.push_back("Addons\\DemoPack\\Data\\Set" + std::to_string(k) + "\\file" + std::to_string(e) + ".dat");
        gained += fresh;
    }
    WriteBytes(source + "\\Script_Uninstall_Clear.ini", Join(clear));
    WriteBytes(source + "\\Script_Uninstall_Add.ini", Join(add));
    return gained;
}

const size_t SmallSize = 4096;
const size_t LargeSize = 5u << 20;
const int LargeFiles = 5;

// The package files below Source\PACK, listed in Script_Copy.ini: `small`
// files of 4 KB, 100 to a folder, and five of 5 MB. Returns the lines.
std::vector<std::string> WriteCopyPackage(const std::string& source, int small) {
    std::vector<std::string> lines;
    std::string smallBytes(SmallSize, 's');
    for (int i = 0; i < small; ++i) {
        std::string line = "Data" + std::to_string(i / 100) + "\\file" + std::to_string(i) + ".dat";
        WriteBytes(source + "\\PACK\\" + line, smallBytes);
        lines.push_back(line);
    }
    std::string largeBytes(LargeSize, 'L');
    for (int i = 0; i < LargeFiles; ++i) {
        std::string line = "Big\\large" + std::to_string(i) + ".bin";
        WriteBytes(source + "\\PACK\\" + line, largeBytes);
        lines.push_back(line);
    }
    WriteBytes(source + "\\Script_Copy.ini", Join(lines));
    return lines;
}

long long FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// ---- the timed runs ----

struct Timed {
    double seconds = 0;
    Memory atStart;  // when the timed span began
    Memory atEnd;
};

// Start-up: CreateProcess until the page with the about header shows and the
// program answers; then the program is closed (untimed).
Timed TimeStartup(const std::string& exe, const std::string& folder, const char* className, bool wizard) {
    Program program;
    double start = Seconds();
    program.start(exe, folder);
    HWND main = nullptr;
    Require(PollUntil([&] {
                main = VisibleTopWindow(program.pid(), className, nullptr);
                return main && ShowsHeader(main, AboutHeader);
            }),
            "the about page did not show");
    WaitAnswering(main);
    Timed timed;
    timed.seconds = Seconds() - start;
    timed.atEnd = program.memory();
    if (wizard) {
        ClickButton(main, CmdExit);
        AnswerBox(program.pid(), IDYES);
    } else {
        PostMessageA(main, WM_CLOSE, 0, 0);
    }
    program.waitExit();
    return timed;
}

// A whole wizard run into the recorded copy: about page, Next, and from OK on
// the folder-found box until the result box shows (timed); then the result
// box, Exit and the launch question, as a user ends the run.
Timed TimeInstallRun(const std::string& setupFolder) {
    Program program;
    program.start(setupFolder + "\\setup.exe", setupFolder);
    HWND main = nullptr;
    Require(PollUntil([&] {
                main = VisibleTopWindow(program.pid(), "myWindow", nullptr);
                return main && ShowsHeader(main, AboutHeader);
            }),
            "the about page did not show");
    WaitAnswering(main);
    ClickButton(main, CmdNext);
    HWND found = nullptr;
    Require(PollUntil([&] { return (found = VisibleBox(program.pid(), WarningCaption)) != nullptr; }),
            "the folder-found box did not show");
    WaitAnswering(found);
    Timed timed;
    timed.atStart = program.memory();
    double start = Seconds();
    PressDialogButton(found, IDOK);
    HWND result = nullptr;
    Require(PollUntil([&] { return (result = VisibleBox(program.pid(), MessageCaption)) != nullptr; }),
            "the result box did not show");
    timed.seconds = Seconds() - start;
    timed.atEnd = program.memory();
    std::string text = StoredText(GetDlgItem(result, 0xFFFF));
    Require(text == InstalledText, "the install failed: " + text);
    PressDialogButton(result, IDOK);
    Require(WaitGone(result), "the result box stayed");
    Require(WaitFor([&] { return IsWindowEnabled(GetDlgItem(main, CmdExit)) != 0; }), "Exit stayed disabled");
    ClickButton(main, CmdExit);
    AnswerBox(program.pid(), IDYES);
    AnswerBox(program.pid(), IDNO);
    program.waitExit();
    return timed;
}

// The two-box floor: OK on the first box until the second shows.
Timed TimeTwoBoxes(const std::string& exe, const std::string& folder) {
    Program program;
    program.start(exe, folder);
    HWND first = nullptr;
    Require(PollUntil([&] { return (first = VisibleBox(program.pid(), WarningCaption)) != nullptr; }),
            "the first box did not show");
    WaitAnswering(first);
    Timed timed;
    timed.atStart = program.memory();
    double start = Seconds();
    PressDialogButton(first, IDOK);
    HWND second = nullptr;
    Require(PollUntil([&] { return (second = VisibleBox(program.pid(), MessageCaption)) != nullptr; }),
            "the second box did not show");
    timed.seconds = Seconds() - start;
    timed.atEnd = program.memory();
    PressDialogButton(second, IDOK);
    program.waitExit();
    return timed;
}

// One whole-file read of the record and one whole-file write of it.
double TimeRecordReadWrite(const std::string& record, const std::string& copy) {
    double start = Seconds();
    HANDLE in = CreateFileA(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
    Require(in != INVALID_HANDLE_VALUE, "cannot read " + record);
    DWORD size = GetFileSize(in, nullptr);
    std::string bytes(size, '\0');
    DWORD got = 0;
    ReadFile(in, bytes.data(), size, &got, nullptr);
    CloseHandle(in);
    HANDLE out = CreateFileA(copy.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    Require(out != INVALID_HANDLE_VALUE, "cannot write " + copy);
    DWORD wrote = 0;
    WriteFile(out, bytes.data(), got, &wrote, nullptr);
    CloseHandle(out);
    double took = Seconds() - start;
    Require(got == size && wrote == got, "short read or write of " + record);
    return took;
}

// The package's files copied one by one into a fresh folder, folders made
// when a copy needs them.
double TimeBareCopy(const std::string& pack, const std::string& destination, const std::vector<std::string>& lines) {
    RemoveTree(destination);
    double start = Seconds();
    for (const auto& line : lines) {
        std::string from = pack + "\\" + line;
        std::string to = destination + "\\" + line;
        if (!CopyFileA(from.c_str(), to.c_str(), FALSE)) {
            MakeFolders(to.substr(0, to.find_last_of('\\')));
            Require(CopyFileA(from.c_str(), to.c_str(), FALSE) != 0, "cannot copy " + from);
        }
    }
    double took = Seconds() - start;
    RemoveTree(destination);
    return took;
}

// ---- figures ----

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Min(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

double Max(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

struct Figure {
    std::string name;
    std::string goal;  // "" when the figure has none
    double goalRatio = 0;
    std::vector<double> ratios, programMs, baselineMs, peakMb;
    void add(double program, double baseline, double peak) {
        ratios.push_back(program / baseline);
        programMs.push_back(program * 1000);
        baselineMs.push_back(baseline * 1000);
        peakMb.push_back(peak);
    }
    bool met() const { return goalRatio <= 0 || Median(ratios) <= goalRatio; }
};

std::vector<Figure> Figures;
bool AllGoalsMet = true;

void PrintRow(const Figure& f) {
    std::printf("%-46s %7.2f %7.2f %10.1f %10.1f %10.1f %8.1f  %s\n", f.name.c_str(), Min(f.ratios), Median(f.ratios),
                Median(f.programMs), Min(f.programMs), Median(f.baselineMs), Max(f.peakMb),
                f.goal.empty() ? "" : (f.goal + (f.met() ? " met" : " MISSED")).c_str());
}

void Report(Figure figure) {
    if (!figure.met()) AllGoalsMet = false;
    PrintRow(figure);
    Figures.push_back(std::move(figure));
}

void PrintHeading() {
    std::printf("%-46s %7s %7s %10s %10s %10s %8s  %s\n", "figure", "min", "median", "prog ms", "prog min", "base ms",
                "peak MB", "goal");
}

// Each round's times, on the error stream, so a noisy figure can be looked into.
void RoundDone(const char* what, int round, const std::vector<std::pair<const char*, double>>& seconds) {
    std::fprintf(stderr, "  %s, round %d:", what, round + 1);
    for (const auto& [name, value] : seconds) std::fprintf(stderr, " %s %.1f ms", name, value * 1000);
    std::fprintf(stderr, "\n");
}

void StartupFigure(const std::string& work, int rounds) {
    std::string setupFolder = work + "\\startup";
    MakeSetupFolder(setupFolder);
    std::string minimalFolder = work + "\\minimal";
    MakeFolders(minimalFolder);
    CopyFileOrFail(MinimalWindowExe, minimalFolder + "\\minimal_window.exe");
    Figure figure{"a start-up / minimal window", "", 0, {}, {}, {}, {}};
    std::vector<double> minimalPeak;
    // A first start of each outside the count: it brings the files into the cache.
    TimeStartup(setupFolder + "\\setup.exe", setupFolder, "myWindow", true);
    TimeStartup(minimalFolder + "\\minimal_window.exe", minimalFolder, "MinimalBenchWindow", false);
    for (int round = 0; round < rounds; ++round) {
        Timed setup, minimal;
        if (round % 2 == 0) setup = TimeStartup(setupFolder + "\\setup.exe", setupFolder, "myWindow", true);
        minimal = TimeStartup(minimalFolder + "\\minimal_window.exe", minimalFolder, "MinimalBenchWindow", false);
        if (round % 2 == 1) setup = TimeStartup(setupFolder + "\\setup.exe", setupFolder, "myWindow", true);
        RoundDone("start-up", round, {{"setup", setup.seconds}, {"minimal", minimal.seconds}});
        figure.add(setup.seconds, minimal.seconds, setup.atEnd.peak);
        minimalPeak.push_back(minimal.atEnd.peak);
    }
    Report(figure);
    std::printf("%-46s %7s %7s %10s %10s %10.1f %8.1f\n", "  (minimal window itself)", "", "", "", "",
                Median(figure.baselineMs), Max(minimalPeak));
}

void RecordFigures(const std::string& work, const std::string& copy, int rounds) {
    std::string setupFolder = work + "\\record";
    MakeSetupFolder(setupFolder);
    long gained = WriteUninstallScripts(setupFolder + "\\Source");
    std::string floorFolder = work + "\\floor";
    MakeFolders(floorFolder);
    CopyFileOrFail(TwoBoxesExe, floorFolder + "\\two_boxes.exe");
    std::string small = RecordText(200), large = RecordText(2000);
    std::string record = copy + "\\Resource\\Uninstall.ini";
    std::string scratchCopy = work + "\\record-copy.ini";

    auto programRun = [&](const std::string& text) {
        ResetCopy(copy, text);
        Timed timed = TimeInstallRun(setupFolder);
        size_t lines = CountLines(ReadBytes(record));
        Require(lines == CountLines(text) + static_cast<size_t>(gained),
                "the record holds " + std::to_string(lines) + " lines, not " + std::to_string(CountLines(text) + gained));
        return timed;
    };
    auto readWrite = [&](const std::string& text) {
        WriteBytes(record, text);
        return TimeRecordReadWrite(record, scratchCopy);
    };

    Figure vsFile{"b uninstall phase / record read+write", "", 0, {}, {}, {}, {}};
    Figure vsFloor{"b uninstall phase / two-box floor", "", 0, {}, {}, {}, {}};
    Figure growth{"d 200,000-line phase / 20,000-line phase", "<= 12x", 12, {}, {}, {}, {}};
    Figure largeVsFile{"  200,000-line phase / its read+write", "", 0, {}, {}, {}, {}};
    std::vector<double> largePeak, largeRise;
    programRun(small);  // outside the count: brings the files into the cache
    for (int round = 0; round < rounds; ++round) {
        Timed phase, phaseLarge, floor;
        double file = 0, fileLarge = 0;
        bool programFirst = round % 2 == 0;
        if (programFirst) {
            phase = programRun(small);
            phaseLarge = programRun(large);
        }
        file = readWrite(small);
        fileLarge = readWrite(large);
        floor = TimeTwoBoxes(floorFolder + "\\two_boxes.exe", floorFolder);
        if (!programFirst) {
            phaseLarge = programRun(large);
            phase = programRun(small);
        }
        RoundDone("uninstall record", round,
                  {{"phase", phase.seconds}, {"read+write", file}, {"floor", floor.seconds},
                   {"200k phase", phaseLarge.seconds}, {"200k read+write", fileLarge}});
        vsFile.add(phase.seconds, file, phase.atEnd.peak);
        vsFloor.add(phase.seconds, floor.seconds, phase.atEnd.peak);
        growth.add(phaseLarge.seconds, phase.seconds, phaseLarge.atEnd.peak);
        largeVsFile.add(phaseLarge.seconds, fileLarge, phaseLarge.atEnd.peak);
        largePeak.push_back(phaseLarge.atEnd.peak);
        largeRise.push_back(phaseLarge.atEnd.peak - phaseLarge.atStart.current);
    }
    Report(vsFile);
    Report(vsFloor);
    std::printf("%-46s %7s %7s %10s %10s %10.1f\n", "  (two-box floor itself)", "", "", "", "", Median(vsFloor.baselineMs));
    Report(growth);
    Report(largeVsFile);
    double recordMb = static_cast<double>(large.size()) / (1 << 20);
    double allowed = 4 * recordMb + 16;
    bool met = Max(largePeak) <= allowed;
    if (!met) AllGoalsMet = false;
    std::printf("d peak working set, 200,000-line merge: %.1f MB (median %.1f), rise over the working set at OK %.1f MB; "
                "record %.1f MB, goal <= 4 x record + 16 MB = %.1f MB: %s\n",
                Max(largePeak), Median(largePeak), Max(largeRise), recordMb, allowed, met ? "met" : "MISSED");
    ResetCopy(copy, "");
}

void InstallFigures(const std::string& work, const std::string& copy, int rounds, bool growth) {
    std::string setupSmall = work + "\\install2k";
    std::string setupLarge = work + "\\install20k";
    MakeSetupFolder(setupSmall);
    std::fprintf(stderr, "  writing the 2,000-file package\n");
    std::vector<std::string> linesSmall = WriteCopyPackage(setupSmall + "\\Source", 2000);
    std::vector<std::string> linesLarge;
    if (growth) {
        MakeSetupFolder(setupLarge);
        std::fprintf(stderr, "  writing the 20,000-file package\n");
        linesLarge = WriteCopyPackage(setupLarge + "\\Source", 20000);
    }
    std::string package = copy + "\\Addons\\DemoPack";
    auto programRun = [&](const std::string& setupFolder, const std::vector<std::string>& lines) {
        ResetCopy(copy, "[Files]\r\nquill.exe\r\n");
        Timed timed = TimeInstallRun(setupFolder);
        Require(FileSize(package + "\\" + lines[lines.size() - LargeFiles - 1]) == static_cast<long long>(SmallSize) &&
                    FileSize(package + "\\" + lines.back()) == static_cast<long long>(LargeSize),
                "the install left the package's files incomplete");
        ResetCopy(copy, "");
        return timed;
    };
    auto bare = [&](const std::string& setupFolder, const std::vector<std::string>& lines) {
        return TimeBareCopy(setupFolder + "\\Source\\PACK", work + "\\bare", lines);
    };

    Figure install{"c install 2,000+5 files / CopyFileA loop", "", 0, {}, {}, {}, {}};
    Figure scaled{"d 20,000-file install / 2,000-file install", "<= 11x", 11, {}, {}, {}, {}};
    Figure scaledBare{"  (CopyFileA loop 20,000 / 2,000 files)", "", 0, {}, {}, {}, {}};
    Figure largeInstall{"  20,000+5 files install / CopyFileA loop", "", 0, {}, {}, {}, {}};
    programRun(setupSmall, linesSmall);  // outside the count: brings the files into the cache
    for (int round = 0; round < rounds; ++round) {
        bool programFirst = round % 2 == 0;
        Timed small, large;
        double bareSmall = 0, bareLarge = 0;
        if (programFirst) {
            small = programRun(setupSmall, linesSmall);
            if (growth) large = programRun(setupLarge, linesLarge);
        }
        bareSmall = bare(setupSmall, linesSmall);
        if (growth) bareLarge = bare(setupLarge, linesLarge);
        if (!programFirst) {
            if (growth) large = programRun(setupLarge, linesLarge);
            small = programRun(setupSmall, linesSmall);
        }
        RoundDone("install", round,
                  {{"2k install", small.seconds}, {"2k bare", bareSmall}, {"20k install", large.seconds},
                   {"20k bare", bareLarge}});
        install.add(small.seconds, bareSmall, small.atEnd.peak);
        if (growth) {
            scaled.add(large.seconds, small.seconds, large.atEnd.peak);
            scaledBare.add(bareLarge, bareSmall, 0);
            largeInstall.add(large.seconds, bareLarge, large.atEnd.peak);
        }
    }
    Report(install);
    if (growth) {
        Report(scaled);
        Report(scaledBare);
        Report(largeInstall);
    }
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    int rounds = 5;
    std::string figures = "abcd";
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--reps") rounds = std::max(1, std::atoi(argv[i + 1]));
        else if (option == "--figures") figures = argv[i + 1];
    }
    auto wanted = [&](char figure) { return figures.find(figure) != std::string::npos; };
    std::printf("outside-in benchmark of %s (%s), %d rounds per figure\n", SETUP_EXE_PATH,
                sizeof(void*) == 4 ? "PE32" : "PE32+", rounds);
    std::printf("ratios are program / baseline per round; ms are medians (prog min: fastest round); "
                "peak MB: setup.exe's peak working set, largest of the rounds\n");
    int status = 0;
    try {
        ScratchDir work;
        std::string copy = work.path + "\\copies\\Game";
        MakeFolders(copy + "\\Resource");
        CopyFileOrFail(TargetProgram, copy + "\\quill.exe");
        RecordOnlyCopy(copy + "\\quill.exe");
        PrintHeading();
        if (wanted('a')) StartupFigure(work.path, rounds * 2);
        if (wanted('b') || wanted('d')) RecordFigures(work.path, copy, rounds);
        if (wanted('c') || wanted('d')) InstallFigures(work.path, copy, rounds, wanted('d'));
        ClearCopyRecords();
        status = AllGoalsMet ? 0 : 2;
    } catch (const std::exception& failure) {
        std::printf("benchmark failed: %s\n", failure.what());
        ClearCopyRecords();
        status = 1;
    }
    return status;
}
