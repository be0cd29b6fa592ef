// Measures the install run against the plain file work it rests on, in the
// same process and the same run, and prints the ratios:
//   copy: RunInstall over 2,000 small files and a few large ones (window,
//         progress and pump included) against a bare CopyFileA loop, and
//         against its durable floor, a loop that copies and flushes each file;
//   uninstall: the clear and add scripts on a 20,000-line record against one
//         read and one write of that record.
// The package is built in the program's own folder (its setup folder), so
// run it from a scratch folder (scripts/bench.sh does).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "base/files.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "base/text_lines.h"
#include "engine/disk_files.h"
#include "engine/install_run.h"
#include "engine/uninstall_records.h"
#include "support/box_watcher.h"
#include "support/test_files.h"
#include "ui/wizard.h"

static double Seconds() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Texts and numbers joined by appending: GCC 12's 32-bit build warns falsely
// (-Wrestrict) on a literal put before a temporary string.
static void Append(std::string& text, const std::string& part) { text += part; }
static void Append(std::string& text, const char* part) { text += part; }
static void Append(std::string& text, int number) { text += std::to_string(number); }
template <typename... Parts>
static std::string Cat(const Parts&... parts) {
    std::string text;
    (Append(text, parts), ...);
    return text;
}

static const int SmallFiles = 2000;
static const int LargeFiles = 4;
static const size_t LargeSize = 8u << 20;

// The package's files, relative to Source\PACK (and to the target).
static std::vector<std::string> BuildPackage(const std::string& pack) {
    std::vector<std::string> lines;
    std::string small(1024, 's');
    for (int i = 0; i < SmallFiles; ++i) {
        std::string line = Cat("Data", i % 20, "\\file", i, ".dat");
        WriteBytes(pack + "\\" + line, small);
        lines.push_back(line);
    }
    std::string large(LargeSize, 'L');
    for (int i = 0; i < LargeFiles; ++i) {
        std::string line = Cat("Big\\large", i, ".bin");
        WriteBytes(pack + "\\" + line, large);
        lines.push_back(line);
    }
    return lines;
}

static double BareCopy(const std::string& pack, const std::string& target, const std::vector<std::string>& lines) {
    for (int i = 0; i < 20; ++i) MakeFolders(Cat(target, "\\Data", i));
    MakeFolders(target + "\\Big");
    double start = Seconds();
    for (const auto& line : lines) CopyFileA((pack + "\\" + line).c_str(), (target + "\\" + line).c_str(), FALSE);
    return Seconds() - start;
}

// The durable floor: each file copied and flushed on its own handle, as a
// run that must survive a power cut has to at least.
static double DurableCopy(const std::string& pack, const std::string& target, const std::vector<std::string>& lines) {
    for (int i = 0; i < 20; ++i) MakeFolders(Cat(target, "\\Data", i));
    MakeFolders(target + "\\Big");
    double start = Seconds();
    for (const auto& line : lines) {
        CopyFileA((pack + "\\" + line).c_str(), (target + "\\" + line).c_str(), FALSE);
        HANDLE file = CreateFileA((target + "\\" + line).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        FlushFileBuffers(file);
        CloseHandle(file);
    }
    return Seconds() - start;
}

static double BoxShownAt = 0;

// The result box's creation on the main thread ends the measured run.
static LRESULT CALLBACK NoteBoxCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && BoxShownAt == 0) {
        char className[64] = "";
        GetClassNameA(reinterpret_cast<HWND>(wParam), className, sizeof className);
        if (std::string(className) == "#32770") BoxShownAt = Seconds();
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct Bench {
    std::string root;  // the setup folder
    Package package;
    Catalogue texts;
    std::string chosenFolder;
    std::unique_ptr<Wizard> wizard;
    HWND main = nullptr;
};

static void MakeWizardWindow(Bench& bench) {
    bench.wizard = std::make_unique<Wizard>(bench.root, bench.package, bench.texts, bench.chosenFolder, "Bench");
    bench.wizard->ShowLanguagePage();
    bench.main = FindWindowA("myWindow", nullptr);
}

static TransactedRun LastRun;  // flushes of the last install

static double TimedInstall(Bench& bench, const std::string& target) {
    MakeFolders(target + "\\Resource");
    BoxShownAt = 0;
    HHOOK hook = SetWindowsHookExA(WH_CBT, NoteBoxCreation, nullptr, GetCurrentThreadId());
    DWORD mainThread = GetCurrentThreadId();
    AnsweredBox box;
    std::thread watcher([&] { box = AnswerNextBox(mainThread, bench.main, nullptr); });
    double start = Seconds();
    DiskFiles files;
    bench.wizard->ShowInstallPage([&](InstallProgress& progress) {
        return RunTransactedInstall(bench.root, target, bench.package, files, files, progress, &LastRun);
    });
    watcher.join();
    UnhookWindowsHookEx(hook);
    if (box.text != bench.texts.MsgInstallOk) std::printf("unexpected result box: %s\n", box.text.c_str());
    return BoxShownAt - start;
}

static std::vector<std::string> UninstallRecord() {
    std::vector<std::string> lines;
    for (int s = 0; s < 50; ++s) {
        lines.push_back(Cat("[Section ", s, "]"));
        for (int e = 0; e < 399; ++e) lines.push_back(Cat("Data\\Section", s, "\\entry", e, ".dat"));
    }
    return lines;
}

static void UninstallScripts(const std::string& source) {
    std::vector<std::string> clear, add;
    for (int s = 0; s < 50; ++s) {
        for (int e = 0; e < 40; ++e) clear.push_back(Cat("Data\\Section", s, "\\entry", e * 9, ".dat"));
        add.push_back(Cat("[Section ", s, "]"));
        for (int e = 0; e < 39; ++e) add.push_back(Cat("Data\\Section", s, "\\new", e, ".dat"));
    }
    WriteTextLines(source + "\\Script_Uninstall_Clear.ini", clear);
    WriteTextLines(source + "\\Script_Uninstall_Add.ini", add);
}

// The quickest of several rounds: the machine's other work only ever adds time.
static double Fastest(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

int main() {
    setvbuf(stdout, nullptr, _IONBF, 0);
    Bench bench;
    bench.root = FolderOf(OwnExecutablePath());
    std::string root = bench.root;
    std::string source = SourceFolder(root);
    std::printf("building the package in %s ...\n", root.c_str());
    std::vector<std::string> lines = BuildPackage(source + "\\PACK");
    WriteTextLines(source + "\\Script_ACopy.ini", lines);
    bench.package.PackName = "Bench";
    bench.package.PackVersion = "1.0";
    bench.texts.MsgInstallOk = "Installed.";
    bench.texts.MsgInstallFailed = "Failed.";
    bench.texts.LblElapsed = "Elapsed:";
    MakeWizardWindow(bench);

    std::vector<double> bare, durable, install;
    for (int round = 0; round < 8; ++round) {
        std::string suffix = std::to_string(round);
        // Alternate the order, so neither side always follows the other's writes.
        if (round % 2) install.push_back(TimedInstall(bench, root + "\\Target" + suffix));
        bare.push_back(BareCopy(source + "\\PACK", root + "\\Bare" + suffix, lines));
        durable.push_back(DurableCopy(source + "\\PACK", root + "\\Durable" + suffix, lines));
        if (round % 2 == 0) install.push_back(TimedInstall(bench, root + "\\Target" + suffix));
    }
    double copyRatio = Fastest(install) / Fastest(bare);
    double durableRatio = Fastest(install) / Fastest(durable);
    std::printf("copy: %d small + %d large files: RunInstall %.3f s, bare CopyFileA loop %.3f s, ratio %.2fx; "
                "durable floor (copy and flush each) %.3f s, ratio %.2fx (goal <= 1.10x); "
                "%d flushes (journal and files)\n",
                SmallFiles, LargeFiles, Fastest(install), Fastest(bare), copyRatio, Fastest(durable), durableRatio,
                LastRun.flushes);

    DeleteFileA((source + "\\Script_ACopy.ini").c_str());
    std::string target = root + "\\Record";
    MakeFolders(target + "\\Resource");
    RecordPaths paths{target + "\\Resource\\Uninstall.ini", target + "\\Resource\\InstallComponents.ini",
                      source + "\\Script_Uninstall_Clear.ini", source + "\\Script_Uninstall_Add.ini"};
    std::string record = paths.record;
    std::vector<std::string> recordLines = UninstallRecord();
    UninstallScripts(source);
    DiskFiles files;
    std::vector<double> plain, phase;
    for (int round = 0; round < 7; ++round) {
        WriteTextLines(record, recordLines);
        double start = Seconds();
        // A plain write, without the flush and rename that keep the record whole.
        WriteBytes(target + "\\copy.ini", JoinTextLines(ReadTextLines(record)));
        plain.push_back(Seconds() - start);
        int steps = 0;
        start = Seconds();
        ApplyUninstallScripts(files, paths, [&] { ++steps; });
        phase.push_back(Seconds() - start);
    }
    double recordRatio = Fastest(phase) / Fastest(plain);
    std::printf("uninstall: 20,000-line record, 2,000 clear and 2,000 add lines: phase %.4f s, one read + write %.4f s, "
                "ratio %.2fx (goal <= 10x)\n",
                Fastest(phase), Fastest(plain), recordRatio);
    std::printf("record now %zu lines\n", ReadTextLines(record).size());
    DestroyWindow(bench.main);
    return durableRatio <= 1.10 && recordRatio <= 10 ? 0 : 2;
}
