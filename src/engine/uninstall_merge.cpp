#include "engine/uninstall_merge.h"

#include <deque>
#include <unordered_map>
#include <unordered_set>

bool IsSectionHeader(std::string_view line) { return line.find('[') != std::string_view::npos; }

std::vector<std::string> ClearRecord(const std::vector<std::string>& record,
                                     const std::vector<std::string>& clearScript) {
    std::unordered_set<std::string_view> listed(clearScript.begin(), clearScript.end());
    std::vector<std::string> kept;
    kept.reserve(record.size());
    for (const auto& line : record) {
        if (!listed.count(line)) kept.push_back(line);
    }
    return kept;
}

namespace {

// A line of the record that blocks can go under: an original line or an
// appended header. Blocks are kept in merge order and written newest first,
// because each merge puts its block directly under the header.
struct Anchor {
    std::string line;
    std::vector<size_t> blocks;
};

struct AddMerge {
    std::deque<Anchor> anchors;  // a deque keeps the keys of `headers` in place
    std::unordered_map<std::string_view, std::vector<size_t>> headers;  // anchors whose line holds "["
    std::unordered_set<std::string> present;                            // every line now in the record
    std::vector<std::vector<std::string>> blocks;
    bool changed = false;
};

void AddAnchor(AddMerge& merge, std::string line) {
    merge.anchors.push_back(Anchor{std::move(line), {}});
    const std::string& stored = merge.anchors.back().line;
    if (IsSectionHeader(stored)) merge.headers[stored].push_back(merge.anchors.size() - 1);
}

void MergeBlock(AddMerge& merge, const std::string& header, std::vector<std::string>& block) {
    if (block.empty()) return;
    size_t index = merge.blocks.size();
    std::vector<size_t> targets;
    if (IsSectionHeader(header)) {
        auto it = merge.headers.find(header);
        if (it != merge.headers.end()) targets = it->second;
    } else {
        // Only the empty header lacks "[", and it is merged once, as the last
        // merge of a script without headers, when the record holds only its
        // original lines: a plain scan sees every candidate.
        for (size_t i = 0; i < merge.anchors.size(); ++i) {
            if (merge.anchors[i].line == header) targets.push_back(i);
        }
    }
    if (targets.empty()) {
        merge.present.insert(header);
        AddAnchor(merge, header);
        targets.push_back(merge.anchors.size() - 1);
    }
    for (size_t target : targets) merge.anchors[target].blocks.push_back(index);
    for (const auto& line : block) merge.present.insert(line);
    merge.blocks.push_back(std::move(block));
    block.clear();
    merge.changed = true;
}

}  // namespace

bool MergeAddScript(std::vector<std::string>& record, const std::vector<std::string>& addScript,
                    const std::function<void()>& onStep) {
    AddMerge merge;
    merge.present.reserve(record.size() * 2 + addScript.size());
    for (auto& line : record) {
        merge.present.insert(line);
        AddAnchor(merge, std::move(line));
    }
    std::string header;
    std::vector<std::string> block;
    bool seen = false;
    for (const auto& line : addScript) {
        onStep();
        if (IsSectionHeader(line)) {
            if (seen) MergeBlock(merge, header, block);
            header = line;
            seen = true;
        } else if (!merge.present.count(line)) {
            // The block is built as one CR LF-joined text, so an empty line
            // that would start it leaves it empty and is lost.
            if (!(block.empty() && line.empty())) block.push_back(line);
        }
    }
    MergeBlock(merge, header, block);

    record.clear();
    for (auto& anchor : merge.anchors) {
        record.push_back(std::move(anchor.line));
        for (auto it = anchor.blocks.rbegin(); it != anchor.blocks.rend(); ++it) {
            const auto& lines = merge.blocks[*it];
            record.insert(record.end(), lines.begin(), lines.end());
        }
    }
    return merge.changed;
}
