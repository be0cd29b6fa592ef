// Fuzzes the script line check: a line taken as a file must not hold a
// pattern, drive or stream character, and must resolve inside the target
// folder when appended to it the way the install run does, with the system's
// path rules taken at their most permissive (a name of dots and blanks may
// climb). Lines taken as naming no file are never acted on.
// Input: one byte choosing the package sub-folder, then the line.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/script_safety.h"
#include "fuzz/fuzz_support.h"

static const char* const SubFolders[] = {"", "\\Base\\Name", "\\Name", "\\A\\B\\C", "\\..\\Up", "\\Base\\..\\Name"};

// Resolves `path` onto `names` as the system might, noting the fewest names
// held at any point.
static void Resolve(std::vector<std::string>& names, const std::string& path, size_t& fewest) {
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) end = path.size();
        std::string name = path.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == ".") continue;
        if (name.find_first_not_of(". ") == std::string::npos) {
            if (!names.empty()) names.pop_back();
        } else {
            names.push_back(name);
        }
        if (names.size() < fewest) fewest = names.size();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string sub = SubFolders[data[0] % (sizeof SubFolders / sizeof SubFolders[0])];
    std::string line(FuzzBytes(data + 1, size - 1));
    if (ClassifyScriptLine(sub, line) != ScriptLineKind::File) return 0;
    FUZZ_CHECK(line.find_first_of(std::string(":*?<>\"|\0", 8)) == std::string::npos);
    std::string relative = ScriptLineRelative(line);
    FUZZ_CHECK(!relative.empty() && relative[0] != '\\' && relative[0] != '/');
    // The target "Games\Target" lies two names below the drive root; the path
    // must never leave it, not even on the way.
    std::vector<std::string> names{"Games", "Target"};
    size_t fewest = names.size();
    Resolve(names, sub + "\\" + relative, fewest);
    FUZZ_CHECK(fewest >= 2);
    return 0;
}
