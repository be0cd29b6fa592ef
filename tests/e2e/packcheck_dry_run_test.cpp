// packcheck.exe's dry run against the real setup.exe: its report for one copy
// of the target program describes exactly what setup.exe then writes into an
// identical copy, and the copy it read is left as it was.
#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <stdexcept>

#include "base/ascii.h"
#include "base/handles.h"
#include "base/text_lines.h"
#include "e2e/wizard_fixture.h"
#include "packcheck/diff_apply.h"
#include "ui/layout.h"

namespace {

struct ProgramRun {
    bool ended = false;
    DWORD exitCode = 0;
    std::string output;  // standard output and error
};

ProgramRun RunConsoleProgram(std::string commandLine) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    FileHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.receive(), writeEnd.receive(), &inherited, 0)) throw std::runtime_error("no pipe");
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd.get();
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info))
        throw std::runtime_error("cannot start " + commandLine);
    ProcessHandle process(info.hProcess), thread(info.hThread);
    writeEnd.reset();
    ProgramRun run;
    auto drain = [&] {
        DWORD waiting = 0;
        char chunk[4096];
        while (PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0) {
            DWORD got = 0;
            if (!ReadFile(readEnd.get(), chunk, std::min<DWORD>(waiting, sizeof chunk), &got, nullptr) || got == 0) return;
            run.output.append(chunk, got);
        }
    };
    run.ended = WaitFor([&] {
        drain();
        return WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0;
    });
    drain();
    if (!run.ended) TerminateProcess(process.get(), 1);
    GetExitCodeProcess(process.get(), &run.exitCode);
    return run;
}

// Every file below the folder (relative name, lower case -> bytes) and every folder.
struct Snapshot {
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    bool operator==(const Snapshot&) const = default;
};

void AddToSnapshot(const std::string& root, const std::string& relative, Snapshot& snapshot) {
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA((root + "\\" + (relative.empty() ? "" : relative + "\\") + "*").c_str(), &data));
    if (!find.valid()) return;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        std::string path = relative.empty() ? name : relative + "\\" + name;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            snapshot.folders.insert(AsciiLower(path));
            AddToSnapshot(root, path, snapshot);
        } else {
            snapshot.files[AsciiLower(path)] = ReadBytes(root + "\\" + path);
        }
    } while (FindNextFileA(find.get(), &data));
}

Snapshot TakeSnapshot(const std::string& root) {
    Snapshot snapshot;
    AddToSnapshot(root, "", snapshot);
    return snapshot;
}

// The dry run's report by section: the items of each section without their
// indent, the record section's diff lines as they are.
std::map<std::string, std::vector<std::string>> ReportSections(const std::string& output) {
    static const std::set<std::string> titles{"Before installing:", "Files deleted:", "Files copied:", "Folders created:",
                                              "Uninstall record:", "Components entry:", "Stamps:",
                                              "Links in the target:"};
    std::map<std::string, std::vector<std::string>> sections;
    std::string section;
    for (const auto& line : SplitTextLines(output)) {
        if (titles.count(line) || line.rfind("Result: ", 0) == 0 || line.rfind("Space: ", 0) == 0 ||
            line.find(" errors, ") != std::string::npos) {
            section = line;
            sections[section];
        } else if (!section.empty()) {
            bool item = section != "Uninstall record:" && line.rfind("  ", 0) == 0;
            sections[section].push_back(item ? line.substr(2) : line);
        }
    }
    return sections;
}

std::vector<std::string> Lines(const std::string& bytes) { return SplitTextLines(bytes); }

}  // namespace

TEST_F(WizardRun, DryRunReportsWhatSetupWrites) {
    std::string dryCopy = MakeCopy("Dry");
    std::string realCopy = MakeRecordedCopy("Real");
    Snapshot before = TakeSnapshot(realCopy);
    ASSERT_EQ(TakeSnapshot(dryCopy), before);

    // GCC 12 warns falsely about a quoted command line built in one expression.
    std::string command = std::string("\"").append(TEST_BIN_DIR).append("\\packcheck.exe\" --strict \"");
    ProgramRun dry = RunConsoleProgram(command.append(setup.path).append("\" --target \"").append(dryCopy).append("\""));
    ASSERT_TRUE(dry.ended);
    EXPECT_EQ(dry.exitCode, 0u) << dry.output;
    EXPECT_EQ(TakeSnapshot(dryCopy), before) << "the dry run wrote into the copy it read";
    auto report = ReportSections(dry.output);
    ASSERT_EQ(report.count("Result: setup reports success"), 1u) << dry.output;
    EXPECT_EQ(report.count("0 errors, 0 warnings"), 1u) << dry.output;

    Start();
    ASSERT_TRUE(WaitForHeader("О пакете:"));
    ClickButton(main, CmdNext);
    AnswerBox(process.pid(), IDOK);
    FinishAfterInstall(false, false);
    Snapshot after = TakeSnapshot(realCopy);

    std::set<std::string> deleted, written, folders;
    for (const auto& [path, bytes] : before.files) {
        if (!after.files.count(path)) deleted.insert(path);
    }
    for (const auto& [path, bytes] : after.files) {
        auto old = before.files.find(path);
        if (old == before.files.end() || old->second != bytes) written.insert(path);
    }
    std::set_difference(after.folders.begin(), after.folders.end(), before.folders.begin(), before.folders.end(),
                        std::inserter(folders, folders.end()));

    auto listed = [&](const std::string& section) {
        std::set<std::string> names;
        for (const auto& item : report[section]) {
            if (item.rfind("  ", 0) != 0 && item != "(none)") names.insert(AsciiLower(item));
        }
        return names;
    };
    EXPECT_EQ(listed("Files deleted:"), deleted);
    EXPECT_EQ(listed("Folders created:"), folders);
    std::set<std::string> reportedWrites;
    for (std::string item : listed("Files copied:")) {
        const std::string mark = " (overwrites)";
        bool overwrites = item.size() > mark.size() && item.compare(item.size() - mark.size(), mark.size(), mark) == 0;
        if (overwrites) item.resize(item.size() - mark.size());
        reportedWrites.insert(item);
        EXPECT_EQ(overwrites, before.files.count(item) == 1) << item;
    }
    for (const auto& stamp : listed("Stamps:")) {
        reportedWrites.insert(stamp);
        auto stampLines = report["Stamps:"];
        auto at = std::find_if(stampLines.begin(), stampLines.end(), [&](const auto& s) { return AsciiLower(s) == stamp; });
        std::vector<std::string> shown;
        for (++at; at != stampLines.end() && at->rfind("  ", 0) == 0; ++at) shown.push_back(at->substr(2));
        EXPECT_EQ(shown, Lines(after.files[stamp])) << stamp;
    }
    const std::string record = "resource\\uninstall.ini", components = "resource\\installcomponents.ini";
    std::vector<std::string> recordAfter;
    ASSERT_TRUE(ApplyUnifiedDiff(Lines(before.files[record]), report["Uninstall record:"], recordAfter));
    EXPECT_EQ(recordAfter, Lines(after.files[record]));
    if (recordAfter != Lines(before.files[record])) reportedWrites.insert(record);
    ASSERT_EQ(report["Components entry:"], std::vector<std::string>{"DemoPack/2.1 added to Resource\\InstallComponents.ini"});
    std::vector<std::string> componentsAfter = Lines(before.files[components]);
    componentsAfter.push_back("DemoPack/2.1");
    EXPECT_EQ(Lines(after.files[components]), componentsAfter);
    reportedWrites.insert(components);
    EXPECT_EQ(reportedWrites, written);
}
