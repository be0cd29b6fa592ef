// Keeps script lines inside the target folder: a line that could act outside
// it (absolute, a drive, UNC or device path, a stream, a pattern, a device
// name, climbing out) is refused; a line that can name no file does nothing.
// Pure.
#pragma once
#include <string>
#include <string_view>

enum class ScriptLineKind {
    Refused,  // could act outside the target: a copy line fails the run, a delete line does nothing
    Inert,    // names no file (blank, a bare separator, a name of only dots): takes its step, does nothing
    File,     // a path below the target: acted on when its source (or, to delete, the file) is present
};

// Why a line is refused, so that packcheck words the classifier's own reason.
enum class ScriptLineFault { None, UncPath, Drive, Stream, ReservedCharacter, ControlByte, Device, LeavesTarget, Reserved };

// How `line`, appended to the folder `subFolder` below the target ("" for the
// target itself, or "\Base\Name"), is taken. "." and ".." are resolved as the
// system does; climbing above the target at any point, a colon, a control
// byte, a pattern character (* ? < > " |), two leading separators, or a device
// name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without an
// extension) in any name refuses the line. One leading "\" or "/" means the
// same path relative to the target. A name the install's transaction keeps
// for itself (the journal's, or one ending in .setup-old, .setup-old<N> or
// .setup-tmp) refuses it too. For a refused line `fault`, when given,
// gets the reason (of several, the first in ScriptLineFault's order).
ScriptLineKind ClassifyScriptLine(const std::string& subFolder, const std::string& line,
                                  ScriptLineFault* fault = nullptr);
// True for a name the system takes as a device in every folder, whatever its
// extension and trailing blanks ("nul.txt", "COM1 .log").
bool IsDeviceName(std::string_view name);
// True for a name the transaction keeps for itself, whatever its case.
bool IsReservedName(std::string_view name);
// True unless the line is refused.
bool ScriptLineIsSafe(const std::string& subFolder, const std::string& line);
// The line as a path relative to its root: without the one leading separator.
std::string ScriptLineRelative(const std::string& line);
