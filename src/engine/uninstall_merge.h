// The edits of the target's uninstall record and installed-components list, on
// lines held in memory: the clear filter, the merge of the add script's
// sections, and the components entry. Pure: uninstall_records.h does the files.
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

// One section's merge: the block goes under every line equal to the header, or
// header and block are appended. An empty block changes nothing (returns false).
bool InsertSectionBlock(std::vector<std::string>& record, const std::string& header,
                        const std::vector<std::string>& block);

// True when a line of `lines` equals `line` exactly.
bool HoldsLine(const std::vector<std::string>& lines, const std::string& line);
