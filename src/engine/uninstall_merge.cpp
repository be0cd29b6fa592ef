#include "engine/uninstall_merge.h"

#include <algorithm>
#include <unordered_map>

bool IsSectionHeader(std::string_view line) { return line.find('[') != std::string_view::npos; }

namespace {

// The lines now in the record, as a set of indices: the record's own lines are
// not copied, only added lines are kept here. Open addressing keeps a large
// record to a few bytes a line.
class LineSet {
    friend bool LineAbsentFrom(const LineSet& lines, std::string_view line);

public:
    LineSet(const std::vector<std::string_view>& record, size_t extra) : record_(&record) {
        size_t capacity = 16;
        while (capacity < 2 * (record.size() + extra)) capacity *= 2;
        slots_.assign(capacity, 0);
        for (size_t i = 0; i < record.size(); ++i) {
            if (LineAbsentFrom(*this, record[i])) Place(static_cast<std::uint32_t>(i));
        }
    }
    void Insert(std::string_view line) {
        if (!LineAbsentFrom(*this, line)) return;
        extras_.push_back(line);
        Place(static_cast<std::uint32_t>(extras_.size() - 1) | ExtraBit);
        if (2 * count_ > slots_.size()) Grow();
    }

private:
    static constexpr std::uint32_t ExtraBit = 0x80000000u;
    std::string_view At(std::uint32_t id) const { return id & ExtraBit ? extras_[id & ~ExtraBit] : (*record_)[id]; }
    size_t Find(std::string_view line) const {
        size_t mask = slots_.size() - 1;
        size_t at = std::hash<std::string_view>()(line) & mask;
        while (slots_[at] != 0 && At(slots_[at] - 1) != line) at = (at + 1) & mask;
        return at;
    }
    void Place(std::uint32_t id) {
        slots_[Find(At(id))] = id + 1;
        ++count_;
    }
    void Grow() {
        std::vector<std::uint32_t> old(slots_.size() * 2, 0);
        old.swap(slots_);
        count_ = 0;
        for (std::uint32_t slot : old) {
            if (slot) Place(slot - 1);
        }
    }

    const std::vector<std::string_view>* record_;
    std::vector<std::string_view> extras_;
    std::vector<std::uint32_t> slots_;  // 0 for empty, else an id + 1
    size_t count_ = 0;
};

bool LineAbsentFrom(const LineSet& lines, std::string_view line) { return lines.slots_[lines.Find(line)] == 0; }

struct AddMerge {
    MergedRecord& result;
    const std::vector<std::string_view>& record;
    LineSet present;
    // Lines that blocks can go under which hold "[": the record's and appended headers.
    std::unordered_map<std::string_view, std::vector<std::uint32_t>> headers;

    std::string_view Anchor(std::uint32_t id, const std::vector<std::string_view>& appended) const {
        return id < record.size() ? record[id] : appended[id - record.size()];
    }
};

void MergeUninstallSection(AddMerge& merge, std::vector<std::string_view>& appended, std::string_view header,
                           std::vector<std::string_view>& block) {
    if (block.empty()) return;
    MergedRecord& result = merge.result;
    auto index = static_cast<std::uint32_t>(result.blocks.size());
    std::vector<std::uint32_t> targets;
    if (IsSectionHeader(header)) {
        auto it = merge.headers.find(header);
        if (it != merge.headers.end()) targets = it->second;
    } else {
        // Only the empty header lacks "[", and it is merged once, as the last
        // merge of a script without headers, when the record holds only its
        // original lines: a plain scan sees every candidate.
        auto anchors = static_cast<std::uint32_t>(merge.record.size() + appended.size());
        for (std::uint32_t id = 0; id < anchors; ++id) {
            if (merge.Anchor(id, appended) == header) targets.push_back(id);
        }
    }
    if (targets.empty()) {
        merge.present.Insert(header);
        appended.push_back(header);
        auto id = static_cast<std::uint32_t>(merge.record.size() + appended.size() - 1);
        if (IsSectionHeader(header)) merge.headers[header].push_back(id);
        targets.push_back(id);
    }
    for (std::uint32_t target : targets) result.attachments.emplace_back(target, index);
    for (std::string_view line : block) merge.present.Insert(line);
    result.blocks.push_back(std::move(block));
    block.clear();
    result.changed = true;
}

}  // namespace

void ApplyUninstallClear(std::vector<std::string_view>& record, const std::vector<std::string_view>& clearScript) {
    LineSet listed(clearScript, 0);
    record.erase(std::remove_if(record.begin(), record.end(),
                                [&](std::string_view line) { return !LineAbsentFrom(listed, line); }),
                 record.end());
}

MergedRecord ApplyUninstallAdd(const std::vector<std::string_view>& record, const std::vector<std::string_view>& addScript,
                               const std::function<void()>& onStep) {
    MergedRecord result;
    result.record = &record;
    AddMerge merge{result, record, LineSet(record, addScript.size()), {}};
    for (size_t i = 0; i < record.size(); ++i) {
        if (IsSectionHeader(record[i])) merge.headers[record[i]].push_back(static_cast<std::uint32_t>(i));
    }
    std::string_view header;
    std::vector<std::string_view> block;
    bool seen = false;
    for (std::string_view line : addScript) {
        onStep();
        if (IsSectionHeader(line)) {
            if (seen) MergeUninstallSection(merge, result.appended, header, block);
            header = line;
            seen = true;
        } else if (LineAbsentFrom(merge.present, line)) {
            // The block is built as one CR LF-joined text, so an empty line
            // that would start it leaves it empty and is lost.
            if (!(block.empty() && line.empty())) block.push_back(line);
        }
    }
    MergeUninstallSection(merge, result.appended, header, block);
    // Each merge put its block directly under the line, so the newest comes first.
    std::sort(result.attachments.begin(), result.attachments.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second > b.second;
    });
    return result;
}

void MergedRecord::ForEachLine(const std::function<void(std::string_view)>& sink) const {
    static const std::vector<std::string_view> none;
    const std::vector<std::string_view>& lines = record ? *record : none;
    size_t next = 0;
    auto anchors = lines.size() + appended.size();
    for (size_t id = 0; id < anchors; ++id) {
        sink(id < lines.size() ? lines[id] : appended[id - lines.size()]);
        for (; next < attachments.size() && attachments[next].first == id; ++next) {
            for (std::string_view line : blocks[attachments[next].second]) sink(line);
        }
    }
}
