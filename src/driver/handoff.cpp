#include "driver/handoff.h"

namespace {

const char TargetSwitch[] = "/install";
const char LanguageSwitch[] = "/language";

// Quoted so that the system's splitting gives the text back: backslashes
// are doubled only where a quote follows them.
std::string QuoteArgument(const std::string& text) {
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : text) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') backslashes = backslashes * 2 + 1;
        quoted.append(backslashes, '\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, '\\');
    return quoted + "\"";
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// No control byte, no quote: nothing a folder or a language file's name holds.
bool PlainText(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '"') return false;
    }
    return true;
}

}  // namespace

std::string HandoffArguments(const Handoff& handoff) {
    return std::string(TargetSwitch) + " " + QuoteArgument(handoff.target) + " " + LanguageSwitch + " " +
           QuoteArgument(handoff.language);
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> items;
    size_t i = 0, n = commandLine.size();
    // The program's name: up to the closing quote, or the first blank; no escapes.
    std::string program;
    if (i < n && commandLine[i] == '"') {
        for (++i; i < n && commandLine[i] != '"'; ++i) program += commandLine[i];
        if (i < n) ++i;
    } else {
        for (; i < n && !IsBlank(commandLine[i]); ++i) program += commandLine[i];
    }
    items.push_back(program);
    for (;;) {
        while (i < n && IsBlank(commandLine[i])) ++i;
        if (i >= n) break;
        std::string item;
        bool quoted = false;
        while (i < n && (quoted || !IsBlank(commandLine[i]))) {
            size_t backslashes = 0;
            while (i < n && commandLine[i] == '\\') ++backslashes, ++i;
            if (i < n && commandLine[i] == '"') {
                item.append(backslashes / 2, '\\');
                if (backslashes % 2) {
                    item += '"';
                } else if (quoted && i + 1 < n && commandLine[i + 1] == '"') {
                    item += '"';  // "" inside quotes: one quote, as the system reads it
                    ++i;
                } else {
                    quoted = !quoted;
                }
                ++i;
                continue;
            }
            item.append(backslashes, '\\');
            if (i < n && (quoted || !IsBlank(commandLine[i]))) item += commandLine[i++];
        }
        items.push_back(item);
    }
    return items;
}

std::optional<Handoff> ParseHandoff(const std::string& commandLine) {
    std::vector<std::string> items = SplitCommandLine(commandLine);
    if (items.size() != 5 || items[1] != TargetSwitch || items[3] != LanguageSwitch) return std::nullopt;
    if (!PlainText(items[2]) || !PlainText(items[4])) return std::nullopt;
    // A language is a key, never a path: the copy looks it up in its own list.
    if (items[4].find_first_of("\\/:") != std::string::npos) return std::nullopt;
    return Handoff{items[2], items[4]};
}

bool ShouldAskForElevation(const ElevationFacts& facts) {
    return facts.consentPromptExists && !facts.processElevated && facts.targetDenied;
}

ElevatedRunEnd EndFromExitCode(unsigned long exitCode) {
    if (exitCode == InstalledExitCode) return ElevatedRunEnd::Installed;
    return exitCode == InstallFinishedExitCode ? ElevatedRunEnd::InstallFinished : ElevatedRunEnd::Stopped;
}
