#include "packcheck/refusal.h"

#include "base/paths.h"
#include "engine/script_safety.h"
#include "packcheck/folder_tree.h"

static bool NamesDevice(const std::string& line) {
    for (std::string_view name : PathNames(line)) {
        if (IsDeviceName(name)) return true;
    }
    return false;
}

std::string RefusalReason(const std::string& subFolder, const std::string& line) {
    bool leadingSeparator = !line.empty() && (line[0] == '\\' || line[0] == '/');
    if (leadingSeparator && line.size() > 1 && (line[1] == '\\' || line[1] == '/')) return "it is a UNC or device path";
    if (line.size() >= 2 && line[1] == ':') return "it names a drive";
    if (line.find(':') != std::string::npos) return "it names a stream";
    if (line.find_first_of("*?<>\"|") != std::string::npos) return "it holds a wildcard or reserved character";
    for (unsigned char c : line) {
        if (c < 0x20) return "it holds a control byte";
    }
    if (NamesDevice(line)) return "it names a device";
    std::string normal;
    if (!NormalRelativePath(subFolder + "\\" + ScriptLineRelative(line), normal)) return "it leaves the target folder";
    return "setup refuses it";
}
