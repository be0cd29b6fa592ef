#include "packcheck/refusal.h"

#include "engine/script_safety.h"

std::string RefusalReason(const std::string& subFolder, const std::string& line) {
    ScriptLineFault fault = ScriptLineFault::None;
    ClassifyScriptLine(subFolder, line, &fault);
    switch (fault) {
    case ScriptLineFault::UncPath: return "it is a UNC or device path";
    case ScriptLineFault::Drive: return "it names a drive";
    case ScriptLineFault::Stream: return "it names a stream";
    case ScriptLineFault::ReservedCharacter: return "it holds a wildcard or reserved character";
    case ScriptLineFault::ControlByte: return "it holds a control byte";
    case ScriptLineFault::Device: return "it names a device";
    case ScriptLineFault::LeavesTarget: return "it leaves the target folder";
    case ScriptLineFault::Reserved: return "it names a file setup keeps for its own use";
    case ScriptLineFault::None: break;
    }
    return "setup refuses it";
}
