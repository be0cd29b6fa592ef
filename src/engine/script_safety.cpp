#include "engine/script_safety.h"

#include <string_view>

#include "base/ascii.h"
#include "base/package_layout.h"
#include "base/paths.h"

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

static bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsDeviceName(std::string_view name) {
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    std::string lower = AsciiLower(std::string(base));
    if (lower == "con" || lower == "prn" || lower == "aux" || lower == "nul" || lower == "conin$" ||
        lower == "conout$")
        return true;
    return lower.size() == 4 && (lower.compare(0, 3, "com") == 0 || lower.compare(0, 3, "lpt") == 0) &&
           lower[3] >= '1' && lower[3] <= '9';
}

bool IsReservedName(std::string_view name) {
    // The system drops trailing dots and blanks: "x.setup-tmp." is "x.setup-tmp".
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
    std::string lower = AsciiLower(std::string(name));
    auto endsWith = [&](std::string_view suffix) {
        return lower.size() >= suffix.size() && lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    if (lower == AsciiLower(JournalName) || endsWith(ReplacementSuffix)) return true;
    size_t digits = lower.find_last_not_of("0123456789");
    std::string_view stem = std::string_view(lower).substr(0, digits == std::string::npos ? 0 : digits + 1);
    std::string_view aside = AsideSuffix;
    return stem.size() >= aside.size() && stem.substr(stem.size() - aside.size()) == aside;
}

// Walks the path's names, counting how deep below the target it stands. A
// path whose last name is no file name (none at all, ".", "..", or only dots
// and blanks, which the system drops) names a folder.
static ScriptLineKind WalkNames(std::string_view path) {
    int depth = 0;
    bool namesFile = false;
    std::vector<std::string_view> names = PathNames(path);
    for (size_t i = 0; i < names.size(); ++i) {
        std::string_view name = names[i];
        bool last = i + 1 == names.size();
        namesFile = false;
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (--depth < 0) return ScriptLineKind::Refused;
            continue;
        }
        // Anywhere but at the end, the meaning of such a name is unsure.
        if (name.find_first_not_of(". ") == std::string_view::npos) {
            if (last) break;
            return ScriptLineKind::Refused;
        }
        if (IsDeviceName(name) || IsReservedName(name)) return ScriptLineKind::Refused;
        ++depth;
        namesFile = true;
    }
    return namesFile ? ScriptLineKind::File : ScriptLineKind::Inert;
}

std::string ScriptLineRelative(const std::string& line) {
    return !line.empty() && IsSeparator(line[0]) ? line.substr(1) : line;
}

// The reason for a path refused for its characters: a colon says most.
static ScriptLineFault CharacterFault(const std::string& line, const std::string& path) {
    if (path.find(':') != std::string::npos)
        return line.size() >= 2 && line[1] == ':' ? ScriptLineFault::Drive : ScriptLineFault::Stream;
    if (path.find_first_of("*?<>\"|") != std::string::npos) return ScriptLineFault::ReservedCharacter;
    return ScriptLineFault::ControlByte;
}

// The reason for a path refused while walking its names: a device name anywhere
// says more than climbing out.
static ScriptLineFault NameFault(std::string_view path) {
    for (std::string_view name : PathNames(path)) {
        if (IsDeviceName(name)) return ScriptLineFault::Device;
        if (IsReservedName(name)) return ScriptLineFault::Reserved;
    }
    return ScriptLineFault::LeavesTarget;
}

static ScriptLineKind Refuse(ScriptLineFault reason, ScriptLineFault* fault) {
    if (fault) *fault = reason;
    return ScriptLineKind::Refused;
}

ScriptLineKind ClassifyScriptLine(const std::string& subFolder, const std::string& line, ScriptLineFault* fault) {
    if (fault) *fault = ScriptLineFault::None;
    bool blank = true;
    for (char c : line) blank = blank && IsBlank(c);
    if (blank) return ScriptLineKind::Inert;
    // Two leading separators start a UNC, device or \\?\ path.
    if (line.size() >= 2 && IsSeparator(line[0]) && IsSeparator(line[1]))
        return Refuse(ScriptLineFault::UncPath, fault);
    std::string path = subFolder + "\\" + ScriptLineRelative(line);
    for (unsigned char c : path) {
        // Control bytes (a NUL would cut the path short) and the characters
        // that name drives, streams, devices or patterns.
        if (c < 0x20 || std::string_view(":*?<>\"|").find(static_cast<char>(c)) != std::string_view::npos)
            return Refuse(CharacterFault(line, path), fault);
    }
    ScriptLineKind kind = WalkNames(path);
    return kind == ScriptLineKind::Refused ? Refuse(NameFault(path), fault) : kind;
}

bool ScriptLineIsSafe(const std::string& subFolder, const std::string& line) {
    return ClassifyScriptLine(subFolder, line) != ScriptLineKind::Refused;
}
