// packcheck SETUP_FOLDER [--strict] [--target FOLDER]: checks a setup folder
// as setup.exe would read it and, with --target, shows what an install into
// a copy of the target program would do, writing nothing.
#include <cstdio>
#include <string>
#include <vector>

#include "base/package_layout.h"
#include "base/text_lines.h"
#include "packcheck/dry_run.h"
#include "packcheck/folder_access.h"
#include "packcheck/setup_check.h"

namespace {

const int ExitClean = 0, ExitFindings = 1, ExitUnreadable = 2;

struct Options {
    std::string setupFolder;
    std::string targetFolder;
    bool strict = false;
};

bool ParseArguments(const std::vector<std::string>& args, Options& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--strict") options.strict = true;
        else if (args[i] == "--target" && i + 1 < args.size()) options.targetFolder = args[++i];
        else if (args[i].rfind("--", 0) != 0 && options.setupFolder.empty()) options.setupFolder = args[i];
        else return false;
    }
    return !options.setupFolder.empty();
}

void PrintLine(const std::string& text) { std::printf("%s\n", text.c_str()); }

// The report of the dry run; setup goes nowhere without its package description.
DryRunReport RunDry(const FolderTree& setup, const FolderTree& target) {
    const TreeEntry* entry = setup.Find(SourcePackIni);
    auto bytes = entry ? setup.Read(*entry) : std::nullopt;
    if (!bytes) return {{"Dry run: none, setup stops without " + std::string(SourcePackIni)}, {}};
    Package package = ParsePackIni(SplitTextLines(*bytes));
    return DryRun(setup, target, package, FreeBytesOnVolume(target.root), TargetRunsFrom(package, target.root));
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseArguments(std::vector<std::string>(argv + 1, argv + argc), options)) {
        std::fprintf(stderr, "usage: packcheck SETUP_FOLDER [--strict] [--target FOLDER]\n");
        return ExitUnreadable;
    }
    PrepareConsole();
    FolderTree setup, target;
    for (auto [tree, folder] : {std::pair{&setup, &options.setupFolder}, std::pair{&target, &options.targetFolder}}) {
        if (!folder->empty() && !tree->Load(*folder)) {
            std::fprintf(stderr, "packcheck: cannot read the folder %s\n", folder->c_str());
            return ExitUnreadable;
        }
    }
    std::vector<Finding> findings = CheckSetupFolder(setup);
    // Locations read as the folder was given, so that editors can follow them.
    std::string prefix = setup.root;
    if (prefix.back() != '/' && prefix.back() != '\\') prefix += NativeSeparator;
    for (const auto& finding : findings) PrintLine(prefix + ConsoleText(FormatFinding(finding, NativeSeparator)));
    FindingCounts counts = CountFindings(findings);
    if (!options.targetFolder.empty()) {
        DryRunReport report = RunDry(setup, target);
        for (const auto& line : report.lines) PrintLine(ConsoleText(line));
        // An install that would not do what the package means is an error of the package for this copy.
        for (const auto& stop : report.stops) PrintLine(ConsoleText(options.targetFolder + ": error: " + stop));
        counts.errors += static_cast<int>(report.stops.size());
    }
    PrintLine(FormatSummary(counts));
    bool failed = counts.errors > 0 || (options.strict && counts.warnings > 0);
    return failed ? ExitFindings : ExitClean;
}
