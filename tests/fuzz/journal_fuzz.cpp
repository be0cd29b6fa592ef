// A journal of any lines, each sealed as a run seals them and vouched for by
// this user's record: reading it never fails, what it accepts is written back
// the same, and its recovery never changes a file outside the target through
// a folder link the journal did not record.
#include "engine/folder_links.h"
#include "engine/memory_files.h"
#include "fuzz/fuzz_support.h"

namespace {

const std::string Target = "C:\\T";
const unsigned long long Nonce = 0x5eed;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input = FuzzBytes(data, size);
    std::string head = FormatJournalHeader({"Pack", "1.2", "2026-12-10 03:30", "C:\\Setup", Nonce});
    std::string bytes = head;
    while (!input.empty()) bytes += SealJournalLine(std::string(TakeField(input, '\n')), Nonce);
    ParsedJournal parsed = ParseJournal(bytes);
    bool linked = false;
    if (parsed.state == JournalState::Unfinished || parsed.state == JournalState::Committed) {
        std::string again = head;
        for (const auto& entry : parsed.entries) {
            if (entry.kind != JournalEntry::Kind::Committed) FUZZ_CHECK(JournalPathIsSafe(entry.path));
            linked = linked || entry.kind == JournalEntry::Kind::Link;
            again += FormatJournalEntry(entry, Nonce);
        }
        ParsedJournal reread = ParseJournal(again);
        FUZZ_CHECK(reread.state == parsed.state && reread.entries.size() == parsed.entries.size());
        for (size_t i = 0; i < reread.entries.size(); ++i) {
            FUZZ_CHECK(reread.entries[i].kind == parsed.entries[i].kind);
            FUZZ_CHECK(reread.entries[i].path == parsed.entries[i].path);
            FUZZ_CHECK(reread.entries[i].identity == parsed.entries[i].identity);
        }
    }

    // Two folders of the target lead outside it; nothing there may change.
    MemoryFiles disk;
    disk.Put(Target + "\\a.txt", "a");
    disk.Put("C:\\Out\\a.txt", "outside");
    disk.Put("C:\\Out\\a.txt.setup-old", "outside, old");
    disk.Put("C:\\Out\\Deep\\b.txt", "outside, deep");
    disk.folderLinks[Target + "\\L"] = "C:\\Out";
    disk.folderLinks[Target + "\\M\\N"] = "C:\\Out\\Deep";
    disk.CreateFolderTree(Target + "\\M");
    disk.Put(JournalPath(Target), bytes);
    disk.WriteRunRecord(Target, head.substr(0, head.size() - 2) + "\r\n" + FoldCp1251Case(Target) + "\r\n");
    auto outside = [&] {
        std::map<std::string, std::string> files;
        for (const auto& [path, content] : disk.files) {
            if (path.rfind("C:\\Out\\", 0) == 0) files[path] = content;
        }
        return files;
    };
    auto before = outside();
    RecoveryReport report = RecoverTarget(disk, Target);
    if (!linked) FUZZ_CHECK(outside() == before);
    if (report.outcome == Recovery::LinkMoved) FUZZ_CHECK(outside() == before);
    return 0;
}
