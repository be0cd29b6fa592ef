// The edits of the target's uninstall record on lines held in memory: the clear
// filter and the merge of the add script's sections. Lines are views into the
// files' own bytes, so a record of any size costs no allocation per line.
// Pure: uninstall_records.h does the files.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A line of the add script that holds "[" anywhere starts a section.
bool IsSectionHeader(std::string_view line);

// Drops from the record every line that equals a line of the clear script.
void ApplyUninstallClear(std::vector<std::string_view>& record, const std::vector<std::string_view>& clearScript);

// The record with the add script merged in, as section-by-section rewrites
// would leave it: entry lines already anywhere in the record are dropped, lines
// above the first header belong to it, a block goes right under every record
// line equal to its header (newest block first) or, with no such line, is
// appended after its header at the end. It refers to the record's and the
// script's lines, which must outlive it.
struct MergedRecord {
    // True when some block was not empty, so the record is to be rewritten.
    bool changed = false;
    // Hands every line of the merged record to `sink`, in order.
    void ForEachLine(const std::function<void(std::string_view)>& sink) const;

    // The parts the lines are written from: after each of the record's lines
    // and each appended header, the blocks attached to it.
    const std::vector<std::string_view>* record = nullptr;
    std::vector<std::string_view> appended;                              // headers appended at the end
    std::vector<std::vector<std::string_view>> blocks;                   // in merge order
    std::vector<std::pair<std::uint32_t, std::uint32_t>> attachments;  // (line, block), in writing order
};

// `onStep` runs once per script line, before it is looked at.
MergedRecord ApplyUninstallAdd(const std::vector<std::string_view>& record, const std::vector<std::string_view>& addScript,
                               const std::function<void()>& onStep);
