// How an instance that may not change the chosen target hands its install to
// an elevated copy of itself: when it does, the arguments it passes, and the
// exit codes the copy answers with. Pure: the facts are gathered by the caller.
#pragma once
#include <optional>
#include <string>
#include <vector>

// What the elevated copy is handed: a folder and a language key to check
// again as if the user had typed them, never taken on trust.
struct Handoff {
    std::string target;
    std::string language;
};

// The arguments that hand `handoff` on (without the program's own name).
std::string HandoffArguments(const Handoff& handoff);
// The handoff in a whole command line (the program's name first), or none
// for anything but the form HandoffArguments writes.
std::optional<Handoff> ParseHandoff(const std::string& commandLine);
// The command line split by the system's rules (quotes, and backslashes
// before a quote); the program's name is the first item.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

struct ElevationFacts {
    bool consentPromptExists = false;  // Vista and later; XP has no prompt
    bool processElevated = false;
    bool targetDenied = false;  // the target, or a file the run changes, refused this process
};
// Only a target this process may not change, where the system can prompt,
// from a process not elevated yet. (The elevated copy never asks: it takes
// the handed-on path, which has no such question.)
bool ShouldAskForElevation(const ElevationFacts& facts);

// How the elevated copy's part ended, as the first instance sees it.
enum class ElevatedRunEnd {
    Installed,        // the install page ran to its end and installed: the closing questions are due
    InstallFinished,  // the install page ran to its end without installing: only the launch question
    Stopped,          // stopped before the install, the window closed, or a fatal error
    Declined,         // the user refused the consent prompt: nothing changed
    NotStarted,       // the system could not start it for another reason
};
// The elevated copy's exit codes after its install page ran to its end, with
// the package installed or not (0 is every other normal end, 1 the fatal error box).
inline constexpr unsigned long InstallFinishedExitCode = 2;
inline constexpr unsigned long InstalledExitCode = 3;
ElevatedRunEnd EndFromExitCode(unsigned long exitCode);
