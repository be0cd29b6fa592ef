// The edits of the target's uninstall record on lines held in memory: the clear
// filter and the merge of the add script's sections. Pure: uninstall_records.h
// does the files.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A line of the add script that holds "[" anywhere starts a section.
bool IsSectionHeader(std::string_view line);

// The record without every line that equals a line of the clear script.
std::vector<std::string> ClearRecord(const std::vector<std::string>& record,
                                     const std::vector<std::string>& clearScript);

// Merges the add script into the record as section-by-section rewrites would:
// entry lines already anywhere in the record are dropped, lines above the first
// header belong to it, a block goes right under every record line equal to its
// header (newest block first) or, with no such line, is appended after its
// header at the end. `onStep` runs once per script line, before it is looked at.
// Returns true when the record was rewritten (some block was not empty).
bool MergeAddScript(std::vector<std::string>& record, const std::vector<std::string>& addScript,
                    const std::function<void()>& onStep);
