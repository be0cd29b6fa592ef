#include "engine/install_journal.h"

#include <algorithm>
#include <cstdio>

#include "base/ascii.h"
#include "base/failure.h"
#include "base/package_layout.h"
#include "base/paths.h"
#include "engine/folder_links.h"
#include "engine/script_safety.h"

namespace {

const char AccessDenied[] = "Access is denied.";
const unsigned long AccessDeniedCode = 5;  // the system's, so the user is told what to do
const char Magic[] = "SetupJournal";
const char Version[] = "1";
const unsigned long ErrorAlreadyExists = 183;
const char AlreadyExists[] = "Cannot create a file when that file already exists.";
// Package copies written beside their paths before their identities are
// flushed to the journal together and they are put in place: one journal
// flush for so many files, and their own flushes taken by the disk together.
const size_t CopiesAtOnce = 128;
// ... or once they hold so many bytes: a long copy does not keep the ones
// before it waiting.
const unsigned long long BytesAtOnce = 8ull << 20;

std::string Hex(unsigned long long value, int digits) {
    char text[17];
    std::snprintf(text, sizeof text, "%0*llx", digits, value);
    return text;
}

bool ParseHex(std::string_view text, unsigned long long& value) {
    if (text.empty() || text.size() > 16) return false;
    value = 0;
    for (char c : text) {
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return false;
        value = value << 4 | static_cast<unsigned>(digit);
    }
    return true;
}

// FNV-1a over the nonce and the line: a line of another run, or one with a
// piece of the disk lost in it, does not check out.
std::string Checksum(unsigned long long nonce, std::string_view body) {
    unsigned long long hash = 14695981039346656037ull;
    auto mix = [&](unsigned char c) { hash = (hash ^ c) * 1099511628211ull; };
    for (int i = 0; i < 8; ++i) mix(static_cast<unsigned char>(nonce >> (8 * i)));
    for (char c : body) mix(static_cast<unsigned char>(c));
    return Hex(hash, 16);
}


// A header field holds no tab or line end, whatever the package says.
std::string Field(std::string text) {
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) c = '?';
    }
    return text;
}

std::vector<std::string_view> Split(std::string_view line) {
    std::vector<std::string_view> fields;
    for (size_t from = 0;;) {
        size_t tab = line.find('\t', from);
        fields.push_back(line.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from));
        if (tab == std::string_view::npos) return fields;
        from = tab + 1;
    }
}

// The line's body when its checksum holds.
bool CheckLine(std::string_view line, unsigned long long nonce, std::string_view& body) {
    size_t tab = line.rfind('\t');
    if (tab == std::string_view::npos) return false;
    body = line.substr(0, tab);
    return line.substr(tab + 1) == Checksum(nonce, body);
}

std::string FormatIdentity(const FileIdentity& id) {
    if (id.size < 0) return "-";
    return std::to_string(id.size) + "," + Hex(id.written, 16) + "," + Hex(id.volume, 8) + "," +
           (id.hasIndex ? Hex(id.index, 16) : "-");
}

bool ParseIdentity(std::string_view text, FileIdentity& id) {
    id = FileIdentity{};
    if (text == "-") return true;
    std::vector<std::string_view> parts;
    for (size_t from = 0;;) {
        size_t comma = text.find(',', from);
        parts.push_back(text.substr(from, comma == std::string_view::npos ? std::string_view::npos : comma - from));
        if (comma == std::string_view::npos) break;
        from = comma + 1;
    }
    unsigned long long size = 0, volume = 0;
    if (parts.size() != 4 || parts[0].empty() || parts[0].find_first_not_of("0123456789") != std::string_view::npos ||
        parts[0].size() > 18 || !ParseHex(parts[1], id.written) || !ParseHex(parts[2], volume))
        return false;
    for (char c : parts[0]) size = size * 10 + static_cast<unsigned>(c - '0');
    id.size = static_cast<long long>(size);
    id.volume = static_cast<unsigned long>(volume);
    id.hasIndex = parts[3] != "-";
    return !id.hasIndex || ParseHex(parts[3], id.index);
}

// Where a folder link led: "VOLUME,INDEX" in hex, "-" for nowhere.
std::string FormatLead(const FileIdentity& id) {
    return id.size < 0 ? "-" : Hex(id.volume, 8) + "," + Hex(id.index, 16);
}

bool ParseLead(std::string_view text, FileIdentity& id) {
    id = FileIdentity{};
    if (text == "-") return true;
    unsigned long long volume = 0;
    size_t comma = text.find(',');
    if (comma == std::string_view::npos || comma > 8 || !ParseHex(text.substr(0, comma), volume) ||
        !ParseHex(text.substr(comma + 1), id.index))
        return false;
    id.size = 0;
    id.volume = static_cast<unsigned long>(volume);
    id.hasIndex = true;
    return true;
}

// An aside is its own file's path with the aside suffix and perhaps a number.
bool AsideFits(const std::string& path, const std::string& aside) {
    std::string stem = path + AsideSuffix;
    if (aside.compare(0, stem.size(), stem) != 0) return false;
    return aside.find_first_not_of("0123456789", stem.size()) == std::string::npos;
}

enum class LineFit { Good, Unknown, Unsafe };

LineFit ReadEntry(std::string_view body, JournalEntry& entry) {
    std::vector<std::string_view> f = Split(body);
    entry = {JournalEntry::Kind::Committed, "", "", {}};
    if (f[0] == "committed" && f.size() == 1) return LineFit::Good;
    if (f.size() < 2) return LineFit::Unknown;
    entry.path = std::string(f[1]);
    if (f[0] == "folder" && f.size() == 2) {
        entry.kind = JournalEntry::Kind::Folder;
    } else if (f[0] == "new" && f.size() == 2) {
        entry.kind = JournalEntry::Kind::New;
    } else if (f[0] == "aside" && f.size() == 3) {
        entry.kind = JournalEntry::Kind::Aside;
        entry.aside = std::string(f[2]);
        if (!JournalPathIsSafe(entry.aside) || !AsideFits(entry.path, entry.aside)) return LineFit::Unsafe;
    } else if (f[0] == "done" && f.size() == 3) {
        entry.kind = JournalEntry::Kind::Done;
        if (!ParseIdentity(f[2], entry.identity)) return LineFit::Unknown;
    } else if (f[0] == "link" && f.size() == 3) {
        entry.kind = JournalEntry::Kind::Link;
        if (!ParseLead(f[2], entry.identity)) return LineFit::Unknown;
    } else {
        return LineFit::Unknown;
    }
    return JournalPathIsSafe(entry.path) ? LineFit::Good : LineFit::Unsafe;
}

bool ReadHeader(std::string_view line, JournalHeader& header, std::string& reason) {
    std::vector<std::string_view> f = Split(line);
    if (f[0] != Magic || f.size() < 2) {
        reason = "it is not a journal this program writes";
        return false;
    }
    if (f[1] != Version || f.size() != 8) {
        reason = "its format version is unknown";
        return false;
    }
    std::string_view body;
    if (!ParseHex(f[2], header.nonce) || !CheckLine(line, header.nonce, body)) {
        reason = "its header is damaged";
        return false;
    }
    header.PackName = std::string(f[3]);
    header.PackVersion = std::string(f[4]);
    header.startedAt = std::string(f[5]);
    header.setupFolder = std::string(f[6]);
    return true;
}

std::string Absolute(const std::string& target, const std::string& relative) { return JoinPath(target, relative); }

void Stuck(RecoveryReport& report, const std::string& file, unsigned long error) {
    if (report.outcome == Recovery::Stuck) return;  // the first one is told
    report.outcome = Recovery::Stuck;
    report.file = file;
    report.error = error;
}

bool SameFile(const FileIdentity& a, const FileIdentity& b) { return a.size >= 0 && a.hasIndex && a == b; }

// Each step is taken only where its change is found, so a step whose change
// never happened, or was undone already, does nothing: the undo can run again
// after a kill. A file whose identity differs from the one the run left there
// was changed since, by someone else: it stays, and is told.
RecoveryReport UndoEntries(JournalDisk& disk, const std::string& target, const std::vector<JournalEntry>& entries) {
    RecoveryReport report;
    report.outcome = Recovery::UndoneRun;
    // A path written twice was left each copy in turn: a kill between them leaves either.
    std::map<std::string, std::vector<FileIdentity>> left;  // folded path -> what the run left there
    for (const auto& e : entries) {
        if (e.kind == JournalEntry::Kind::Done) left[disk.FoldCase(e.path)].push_back(e.identity);
    }
    auto changedSince = [&](const JournalEntry& e, const std::string& path) {
        auto it = left.find(disk.FoldCase(e.path));
        if (it == left.end()) return false;
        FileIdentity now = disk.Identify(path);
        // Nothing there: nothing of anyone's to keep.
        if (now.size < 0 || std::find(it->second.begin(), it->second.end(), now) != it->second.end()) return false;
        report.leftAlone.push_back(path);
        left.erase(it);  // told once
        return true;
    };
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const JournalEntry& e = *it;
        std::string path = Absolute(target, e.path);
        switch (e.kind) {
            case JournalEntry::Kind::New: {
                JournalDisk::Entry now = disk.EntryAt(path);
                if (now == JournalDisk::Entry::None || now == JournalDisk::Entry::Folder) break;
                // A new file reaches its path only after its identity is on
                // the disk: with none, what is there came from another hand.
                // Only the run's own temporaries go without one.
                if (!IsReplacementPath(e.path) && (!left.count(disk.FoldCase(e.path)) || changedSince(e, path))) break;
                if (!disk.Erase(path)) Stuck(report, path, disk.LastError());
                break;
            }
            case JournalEntry::Kind::Aside: {
                std::string aside = Absolute(target, e.aside);
                if (disk.EntryAt(aside) == JournalDisk::Entry::None) break;
                if (SameFile(disk.Identify(path), disk.Identify(aside))) {
                    // Kept under its second name, never replaced: the second name goes.
                    if (!disk.Erase(aside)) Stuck(report, aside, disk.LastError());
                    break;
                }
                if (std::find(report.leftAlone.begin(), report.leftAlone.end(), path) != report.leftAlone.end() ||
                    changedSince(e, path))
                    break;  // the old file stays aside, beside the user's
                if (disk.EntryAt(path) == JournalDisk::Entry::Folder) {
                    Stuck(report, path, ErrorAlreadyExists);
                } else if (!disk.Replace(aside, path)) {
                    Stuck(report, path, disk.LastError());
                }
                break;
            }
            case JournalEntry::Kind::Folder:
                // A folder something else has filled since stays; it is not ours alone.
                if (disk.EntryAt(path) == JournalDisk::Entry::Folder) disk.RemoveFolder(path);
                break;
            case JournalEntry::Kind::Done:
            case JournalEntry::Kind::Committed:
            case JournalEntry::Kind::Link: break;
        }
    }
    return report;
}

// After the commit the old files kept aside go; the new ones stay.
RecoveryReport RemoveAsides(JournalDisk& disk, const std::string& target, const std::vector<JournalEntry>& entries) {
    RecoveryReport report;
    report.outcome = Recovery::FinishedCleanUp;
    for (const auto& entry : entries) {
        if (entry.kind != JournalEntry::Kind::Aside) continue;
        std::string aside = Absolute(target, entry.aside);
        if (disk.EntryAt(aside) != JournalDisk::Entry::None && !disk.Erase(aside)) Stuck(report, aside, disk.LastError());
    }
    return report;
}

// The journal goes first, the record of the run after it: a record without a
// journal means nothing.
bool EndJournal(JournalDisk& disk, const std::string& target) {
    disk.CloseJournal();
    std::string journal = JournalPath(target);
    bool gone = disk.EntryAt(journal) == JournalDisk::Entry::None || disk.Erase(journal);
    if (gone) disk.EraseRunRecord(target);
    return gone;
}

std::string RunRecord(JournalDisk& disk, const std::string& headerLine, const std::string& target) {
    return headerLine + "\r\n" + disk.FoldCase(target) + "\r\n";
}

// InspectJournal with the lines it read.
ParsedJournal Examine(JournalDisk& disk, const std::string& target) {
    ParsedJournal parsed;
    std::string bytes;
    switch (disk.ReadJournal(JournalPath(target), bytes)) {
        case JournalDisk::Read::Absent: return parsed;
        case JournalDisk::Read::Busy:
            parsed.state = JournalState::Busy;
            parsed.reason = "another setup is installing into this folder";
            return parsed;
        case JournalDisk::Read::Failed:
            parsed.state = JournalState::Damaged;
            parsed.reason = "it cannot be read (error " + std::to_string(disk.LastError()) + ")";
            return parsed;
        case JournalDisk::Read::Done: break;
    }
    parsed = ParseJournal(bytes);
    if (parsed.state == JournalState::Damaged) return parsed;
    // Cut before its header was whole: no change was made, and there is nothing to vouch for.
    if (bytes.find("\r\n") == std::string::npos) return parsed;
    // Only a run of this user, on this target, left its record, naming the journal's header.
    bool authentic = disk.ReadRunRecord(target) == RunRecord(disk, parsed.headerLine, target);
    if (!authentic) {
        parsed.state = JournalState::Untrusted;
        parsed.reason = "no run of this user on this folder wrote it";
        return parsed;
    }
    // Every path is looked at before any step: nothing is done through a link that moved.
    std::string link = LinkNotAsRecorded(disk, target, parsed.entries);
    if (!link.empty()) {
        parsed.state = JournalState::LinkMoved;
        parsed.reason = link;
    }
    return parsed;
}

}  // namespace

std::string FoldCp1251Case(std::string text) {
    for (char& c : text) {
        unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 0xE0)) {
            b = static_cast<unsigned char>(b - 0x20);  // а-я -> А-Я like a-z -> A-Z
        } else if (b == 0xB8) {
            b = 0xA8;  // ё
        } else if (b == 0xA2 || b == 0xB3 || b == 0xBA || b == 0xBF) {
            b = b == 0xA2 ? 0xA1 : b == 0xB3 ? 0xB2 : b == 0xBA ? 0xAA : 0xAF;  // ў і є ї
        } else if (b == 0xBE || b == 0xBC) {
            b = b == 0xBE ? 0xBD : 0xA3;  // ѕ ј
        } else if (b >= 0x9A && b <= 0x9F && b != 0x9B && b != 0x9D) {
            b = static_cast<unsigned char>(b - 0x10);  // љ њ ќ ћ џ
        } else if (b == 0x90) {
            b = 0x80;  // ђ
        } else if (b == 0x83) {
            b = 0x81;  // ѓ
        } else if (b == 0xB4) {
            b = 0xA5;  // ґ
        }
        c = static_cast<char>(b);
    }
    return text;
}

bool JournalPathIsSafe(const std::string& path) {
    if (path.empty() || path[0] == '\\' || path[0] == '/') return false;
    for (unsigned char c : path) {
        if (c < 0x20 || std::string_view(":*?<>\"|").find(static_cast<char>(c)) != std::string_view::npos) return false;
    }
    for (std::string_view name : PathNames(path)) {
        if (name.empty() || name == "." || name == ".." || name.back() == '.' || name.back() == ' ' ||
            IsDeviceName(name))
            return false;
    }
    return true;
}

std::string JournalPath(const std::string& target) { return JoinPath(target, JournalName); }

std::string SealJournalLine(const std::string& body, unsigned long long nonce) {
    return body + "\t" + Checksum(nonce, body) + "\r\n";
}

std::string FormatJournalHeader(const JournalHeader& header) {
    return SealJournalLine(std::string(Magic) + "\t" + Version + "\t" + Hex(header.nonce, 16) + "\t" +
                                    Field(header.PackName) + "\t" + Field(header.PackVersion) + "\t" +
                                    Field(header.startedAt) + "\t" + Field(header.setupFolder),
                           header.nonce);
}

std::string FormatJournalEntry(const JournalEntry& entry, unsigned long long nonce) {
    switch (entry.kind) {
        case JournalEntry::Kind::Folder: return SealJournalLine("folder\t" + entry.path, nonce);
        case JournalEntry::Kind::New: return SealJournalLine("new\t" + entry.path, nonce);
        case JournalEntry::Kind::Aside: return SealJournalLine("aside\t" + entry.path + "\t" + entry.aside, nonce);
        case JournalEntry::Kind::Done: return SealJournalLine("done\t" + entry.path + "\t" + FormatIdentity(entry.identity), nonce);
        case JournalEntry::Kind::Link: return SealJournalLine("link\t" + entry.path + "\t" + FormatLead(entry.identity), nonce);
        case JournalEntry::Kind::Committed: break;
    }
    return SealJournalLine("committed", nonce);
}

ParsedJournal ParseJournal(const std::string& bytes) {
    ParsedJournal parsed;
    parsed.state = JournalState::Unfinished;
    std::vector<std::string_view> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.emplace_back(bytes.data() + start, end - start);
    if (lines.empty()) {
        // Cut before its header was whole (its header is flushed before any
        // change): nothing to undo. Anything else there is not ours.
        std::string start = std::string(Magic) + "\t";
        bool zeros = bytes.find_first_not_of('\0') == std::string::npos;
        if (!zeros && start.compare(0, std::min(start.size(), bytes.size()), bytes, 0, start.size()) != 0) {
            parsed.state = JournalState::Damaged;
            parsed.reason = "it is not a journal this program writes";
        }
        return parsed;
    }
    parsed.headerLine = std::string(lines[0]);
    if (!ReadHeader(lines[0], parsed.header, parsed.reason)) {
        parsed.state = JournalState::Damaged;
        return parsed;
    }
    unsigned long long nonce = parsed.header.nonce;
    std::string_view body;
    size_t good = lines.size();
    for (size_t i = 1; i < lines.size(); ++i) {
        if (CheckLine(lines[i], nonce, body)) continue;
        good = i;
        break;
    }
    // A bad line is a torn end only when nothing after it checks out.
    for (size_t i = good + 1; i < lines.size(); ++i) {
        if (CheckLine(lines[i], nonce, body)) {
            parsed.state = JournalState::Damaged;
            parsed.reason = "line " + std::to_string(good + 1) + " is damaged";
            return parsed;
        }
    }
    for (size_t i = 1; i < good; ++i) {
        CheckLine(lines[i], nonce, body);
        JournalEntry entry;
        LineFit fit = ReadEntry(body, entry);
        if (fit == LineFit::Unknown) {
            parsed.state = JournalState::Damaged;
            parsed.reason = "line " + std::to_string(i + 1) + " is of a kind this program does not know";
            return parsed;
        }
        if (fit == LineFit::Unsafe) {
            parsed.state = JournalState::Untrusted;
            parsed.reason = "line " + std::to_string(i + 1) + " names a file outside the folder";
            return parsed;
        }
        if (entry.kind == JournalEntry::Kind::Committed) parsed.state = JournalState::Committed;
        parsed.entries.push_back(std::move(entry));
    }
    return parsed;
}

JournalFinding InspectJournal(JournalDisk& disk, const std::string& target) {
    ParsedJournal parsed = Examine(disk, target);
    return {parsed.state, parsed.header, JournalPath(target), parsed.reason};
}

RecoveryReport RecoverTarget(JournalDisk& disk, const std::string& target) {
    ParsedJournal parsed = Examine(disk, target);
    RecoveryReport report;
    switch (parsed.state) {
        case JournalState::None: return report;
        case JournalState::Damaged:
        case JournalState::Untrusted:
        case JournalState::Busy: report.outcome = Recovery::Refused; return report;
        case JournalState::LinkMoved:
            report.outcome = Recovery::LinkMoved;
            report.file = parsed.reason;
            return report;
        case JournalState::Unfinished: report = UndoEntries(disk, target, parsed.entries); break;
        case JournalState::Committed: report = RemoveAsides(disk, target, parsed.entries); break;
    }
    if (report.outcome != Recovery::Stuck && !EndJournal(disk, target)) Stuck(report, JournalPath(target), disk.LastError());
    return report;
}

InstallTransaction::InstallTransaction(InstallFiles& files, JournalDisk& disk, std::string target,
                                       const JournalHeader& header)
    : files_(files), disk_(disk), target_(std::move(target)), journal_(JournalPath(target_)) {
    // A journal there already: a run at work, or one nobody finished; this run must not write over it.
    if (!disk_.CreateJournal(journal_)) throw JournalBusy{};
    open_ = true;
    try {
        JournalHeader ours = header;
        ours.nonce = disk_.RandomNumber();
        if (ours.startedAt.empty()) ours.startedAt = disk_.LocalTimeNow();
        nonce_ = ours.nonce;
        std::string line = FormatJournalHeader(ours);
        // The record first: a journal is never without one.
        if (!disk_.WriteRunRecord(target_, RunRecord(disk_, line.substr(0, line.size() - 2), target_)))
            throw FileError(journal_, AccessDenied, AccessDeniedCode);
        ++flushes_;
        disk_.AppendJournal(line);
        ++flushes_;
    } catch (...) {
        End();
        throw;
    }
    folders_.insert(Key(target_));
    present_.insert(Key(target_));
}

InstallTransaction::~InstallTransaction() {
    if (open_) disk_.CloseJournal();
}

void InstallTransaction::AnnounceFolderTree(const std::string& folder) { AnnounceFolders(Inside(folder)); }

std::string InstallTransaction::Relative(const std::string& path) const {
    // Every path the run builds starts with the target; one that does not is never touched.
    if (path.size() <= target_.size() + 1 || path.compare(0, target_.size(), target_) != 0 || path[target_.size()] != '\\')
        throw FileError(path, AccessDenied, AccessDeniedCode);
    std::string relative = path.substr(target_.size() + 1);
    if (!JournalPathIsSafe(relative)) throw FileError(path, AccessDenied, AccessDeniedCode);
    return relative;
}

std::string InstallTransaction::Inside(const std::string& path) const {
    // The name the system gives the path: "/" as "\", no empty or "." names,
    // ".." resolved, each name without the trailing dots and blanks it drops.
    // Two spellings of one file are then one path to the run and its journal.
    if (path.size() <= target_.size() + 1 || path.compare(0, target_.size(), target_) != 0 ||
        (path[target_.size()] != '\\' && path[target_.size()] != '/'))
        throw FileError(path, AccessDenied, AccessDeniedCode);
    std::vector<std::string> names;
    for (std::string_view name : PathNames(std::string_view(path).substr(target_.size() + 1))) {
        if (name == "..") {
            if (names.empty()) throw FileError(path, AccessDenied, AccessDeniedCode);
            names.pop_back();
            continue;
        }
        while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.remove_suffix(1);
        if (!name.empty()) names.emplace_back(name);
    }
    if (names.empty()) throw FileError(path, AccessDenied, AccessDeniedCode);
    std::string inside = target_;
    for (const auto& name : names) inside += "\\" + name;
    return inside;
}

void InstallTransaction::Log(const JournalEntry& entry) {
    pending_.push_back(entry);
    // What a change left needs no flush of its own: it rides with the next
    // line that must be on the disk before its change.
    announced_ = announced_ || entry.kind != JournalEntry::Kind::Done;
}

void InstallTransaction::CrossLinks(const std::string& folder) {
    for (const auto& link : LinksOnTheWay(disk_, target_, folder, linksSeen_)) {
        links_.insert(Key(Absolute(target_, link.path)));
        Log(link);
    }
}

void InstallTransaction::Durable() {
    if (!announced_) return;
    announced_ = false;
    std::string bytes;
    for (const auto& entry : pending_) bytes += FormatJournalEntry(entry, nonce_);
    disk_.AppendJournal(bytes);
    entries_.insert(entries_.end(), pending_.begin(), pending_.end());
    pending_.clear();
    ++flushes_;
}

void InstallTransaction::AnnounceFolders(const std::string& folder) {
    CrossLinks(folder);
    std::vector<std::string> missing;
    for (std::string level = folder; !folders_.count(Key(level)); level = FolderOf(level)) {
        JournalDisk::Entry entry = disk_.EntryAt(level);
        if (entry == JournalDisk::Entry::Folder) {
            folders_.insert(Key(level));
            present_.insert(Key(level));
            break;
        }
        // A file where a folder must go: the copy cannot be made, and the file stays.
        if (entry != JournalDisk::Entry::None) throw FileError(level, AccessDenied, AccessDeniedCode);
        missing.push_back(level);
        Relative(level);
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        Log({JournalEntry::Kind::Folder, Relative(*it), "", {}});
        folders_.insert(Key(*it));
        fresh_.insert(Key(*it));
    }
}

void InstallTransaction::MakeFolders(const std::string& folder) {
    // Most copies go to folders met before: they cost no look at the disk.
    std::string key = Key(folder);
    if (present_.count(key)) return;
    if (fresh_.count(key)) {
        // Its files were taken to be none when it was announced: one that
        // another hand made meanwhile may hold files of the user's.
        MakeFolders(FolderOf(folder));
        if (!disk_.MakeFolder(folder)) throw FileError(folder, AccessDenied, AccessDeniedCode);
    } else if (disk_.EntryAt(folder) != JournalDisk::Entry::Folder) {
        if (key != Key(target_)) MakeFolders(FolderOf(folder));
        if (!disk_.MakeFolder(folder) && disk_.EntryAt(folder) != JournalDisk::Entry::Folder)
            throw FileError(folder, AccessDenied, AccessDeniedCode);
    }
    // Every copy passes through the staging folder: nobody else's folder, nor
    // a link to one, may take its place while the run writes there.
    if (!staging_.empty() && key == Key(staging_) && !disk_.HoldFolder(folder))
        throw FileError(folder, AccessDenied, AccessDeniedCode);
    present_.insert(key);
}

std::string InstallTransaction::FreeAsideName(const std::string& path) {
    // Free on the disk, and no name this run takes or writes.
    auto taken = [&](const std::string& name) {
        return asides_.count(Key(name)) || planned_.count(Key(name)) || disk_.EntryAt(name) != JournalDisk::Entry::None;
    };
    std::string aside = path + AsideSuffix;
    for (int n = 1; taken(aside); ++n) aside = path + AsideSuffix + std::to_string(n);
    asides_.insert(Key(aside));
    return aside;
}

void InstallTransaction::Announce(const std::string& givenPath) {
    const std::string path = Inside(givenPath);
    AnnounceFile(path, true);
    AnnounceFile(TemporaryFor(path), false);  // the copy is written there first
}

std::string InstallTransaction::TemporaryFor(const std::string& destination) {
    auto known = temporaries_.find(Key(destination));
    if (known != temporaries_.end()) return known->second;
    // A rename cannot cross volumes, and a link below the target may lead to another.
    std::string temporary = !BehindLink(FolderOf(destination)) && StagingReady()
                                ? staging_ + "\\" + std::to_string(++staged_) + ReplacementSuffix
                                : ReplacementPath(destination);
    temporaries_[Key(destination)] = temporary;
    return temporary;
}

bool InstallTransaction::StagingReady() {
    if (stagingTried_) return !staging_.empty();
    stagingTried_ = true;
    // Only a folder this run makes: whatever is found under such a name stays as it is.
    for (int n = 0; n < 10; ++n) {
        std::string folder = target_ + "\\" + StagingFolderName + (n ? std::to_string(n) : "") + ReplacementSuffix;
        if (folders_.count(Key(folder)) || planned_.count(Key(folder)) ||
            disk_.EntryAt(folder) != JournalDisk::Entry::None)
            continue;
        AnnounceFolders(folder);
        staging_ = folder;
        return true;
    }
    return false;
}

bool InstallTransaction::BehindLink(const std::string& folder) const {
    for (std::string level = folder; level.size() > target_.size(); level = FolderOf(level)) {
        if (links_.count(Key(level))) return true;
    }
    return false;
}

void InstallTransaction::AnnounceFile(const std::string& path, bool withFolders) {
    std::string key = Key(path);
    if (planned_.count(key)) return;
    std::string relative = Relative(path);
    CrossLinks(FolderOf(path));
    // In a folder the run is to make, nothing is there yet: no look at the disk.
    switch (fresh_.count(Key(FolderOf(path))) ? JournalDisk::Entry::None : disk_.EntryAt(path)) {
        case JournalDisk::Entry::Folder:
        case JournalDisk::Entry::ReadOnlyFile: throw FileError(path, AccessDenied, AccessDeniedCode);
        case JournalDisk::Entry::File: {
            std::string aside = FreeAsideName(path);
            Log({JournalEntry::Kind::Aside, relative, Relative(aside), {}});
            planned_[key] = {true, aside};
            break;
        }
        case JournalDisk::Entry::None:
            if (withFolders) {
                AnnounceFolders(FolderOf(path));
            } else if (!folders_.count(Key(FolderOf(path))) &&
                       disk_.EntryAt(FolderOf(path)) != JournalDisk::Entry::Folder) {
                throw FileError(path, "The system cannot find the path specified.");
            }
            Log({JournalEntry::Kind::New, relative, "", {}});
            planned_[key] = {false, ""};
            break;
    }
}

void InstallTransaction::AnnounceText(const std::string& givenPath) {
    const std::string path = Inside(givenPath);
    AnnounceFile(path, false);
    AnnounceFile(ReplacementPath(path), false);  // where the disk writes first; gone again when it succeeds
    // A new one is written under the temporary name, which the disk writes beside in turn.
    if (planned_[Key(path)].aside.empty()) AnnounceFile(ReplacementPath(ReplacementPath(path)), false);
}

void InstallTransaction::AnnounceRemoval(const std::string& givenPath) {
    const std::string path = Inside(givenPath);
    // A delete the system refuses (read-only) was never a failure: the file stays.
    if (disk_.EntryAt(path) == JournalDisk::Entry::ReadOnlyFile) return;
    AnnounceFile(path, false);
}

bool InstallTransaction::BeforeWrite(const std::string& path, bool withFolders) {
    AnnounceFile(path, withFolders);
    Durable();
    Planned& plan = planned_[Key(path)];
    if (!plan.asidePending) {
        if (withFolders) MakeFolders(FolderOf(path));
        return false;
    }
    plan.asidePending = false;
    // The old file keeps its path until the new one replaces it in one step.
    if (disk_.Link(path, plan.aside)) return false;
    // No links on this volume (FAT32, some shares): the old file moves aside,
    // and the path stays empty until the new file is in place.
    if (!disk_.Rename(path, plan.aside, true)) throw FileError(path, "The file is in use or cannot be moved aside.");
    return true;
}

void InstallTransaction::AfterWrite(const std::string& path, bool movedAside) {
    if (movedAside) disk_.KeepAttributes(planned_[Key(path)].aside, path);
    ++flushes_;  // every file the run writes is flushed on its own handle
    Log({JournalEntry::Kind::Done, Relative(path), "", disk_.Identify(path)});
}

void InstallTransaction::MoveLeftOverAside(const std::string& temporary) {
    Planned& leftOver = planned_[Key(temporary)];
    if (!leftOver.asidePending) return;
    leftOver.asidePending = false;
    if (!disk_.Rename(temporary, leftOver.aside, true)) throw FileError(temporary, AccessDenied, AccessDeniedCode);
}

void InstallTransaction::WriteText(const std::string& path, const std::function<void(const std::string&)>& write) {
    AnnounceText(path);
    PutCopiesInPlace();
    if (!planned_[Key(path)].aside.empty()) {
        bool moved = BeforeWrite(path, false);
        write(path);
        AfterWrite(path, moved);
        return;
    }
    std::string temporary = ReplacementPath(path);
    Durable();
    MoveLeftOverAside(temporary);
    write(temporary);
    ++flushes_;
    FileIdentity identity = disk_.Identify(temporary);
    Log({JournalEntry::Kind::Done, Relative(path), "", identity});
    announced_ = true;
    Durable();
    PutNewInPlace(temporary, path, identity);
}

void InstallTransaction::PutNewInPlace(const std::string& temporary, const std::string& path,
                                       const FileIdentity& identity) {
    Planned& plan = planned_[Key(path)];
    if (plan.written) {
        // Written twice in one run: the second replaces the run's own first, and only that.
        if (disk_.Identify(path) != plan.left) throw FileError(path, AlreadyExists, ErrorAlreadyExists);
        if (!disk_.Replace(temporary, path)) throw FileError(path, "The file is in use or cannot be replaced.");
    } else if (!disk_.Rename(temporary, path, false)) {
        // Never over a file another hand made after the run looked: that one stays.
        throw FileError(path, AlreadyExists, ErrorAlreadyExists);
    }
    plan.written = true;
    plan.left = identity;
}

void InstallTransaction::WriteLineStream(const std::string& givenPath,
                                         const std::function<void(const LineSink&)>& produce) {
    WriteText(Inside(givenPath), [&](const std::string& path) { files_.WriteLineStream(path, produce); });
}

void InstallTransaction::CopyWholeFile(const std::string& source, const std::string& givenDestination) {
    WriteText(Inside(givenDestination), [&](const std::string& path) { files_.CopyWholeFile(source, path); });
}

bool InstallTransaction::CopyPackageFile(const std::string& source, const std::string& givenDestination) {
    const std::string destination = Inside(givenDestination);
    // A second copy to one path waits for the first to be in place.
    if (copiedPaths_.count(Key(destination))) PutCopiesInPlace();
    Announce(destination);
    std::string temporary = TemporaryFor(destination);
    Durable();
    MakeFolders(FolderOf(destination));
    MakeFolders(FolderOf(temporary));
    MoveLeftOverAside(temporary);
    // Judged by the copy's own result; a failed one ends the run.
    if (!files_.CopyPackageFile(source, temporary)) throw FileError(destination, "The file could not be copied.");
    copies_.push_back({destination, temporary});
    copiedPaths_.insert(Key(destination));
    if (copies_.size() >= CopiesAtOnce || disk_.UnsettledBytes() >= BytesAtOnce) PutCopiesInPlace();
    return true;
}

void InstallTransaction::PutCopiesInPlace() {
    if (copies_.empty()) return;
    std::vector<Copy> copies;
    copies.swap(copies_);
    copiedPaths_.clear();
    std::map<std::string, FileIdentity> written;
    std::string failed;
    if (!disk_.SettleCopies(written, failed)) {
        unsigned long error = disk_.LastError();
        // Told by the name the user knows.
        for (const auto& copy : copies) {
            if (copy.temporary == failed) failed = copy.destination;
        }
        throw FileError(failed, "The file could not be written to the disk (error " + std::to_string(error) + ").", error);
    }
    std::vector<FileIdentity> identities;
    for (const auto& copy : copies) {
        auto it = written.find(copy.temporary);
        ++flushes_;  // each on its own handle
        // The rename keeps the file's identity.
        identities.push_back(it != written.end() && it->second.size >= 0 ? it->second : disk_.Identify(copy.temporary));
        Log({JournalEntry::Kind::Done, Relative(copy.destination), "", identities.back()});
    }
    announced_ = true;
    Durable();
    for (size_t i = 0; i < copies.size(); ++i) {
        const Copy& copy = copies[i];
        bool moved = BeforeWrite(copy.destination, false);
        if (planned_[Key(copy.destination)].aside.empty()) {
            PutNewInPlace(copy.temporary, copy.destination, identities[i]);
        } else if (!disk_.Replace(copy.temporary, copy.destination)) {
            throw FileError(copy.destination, "The file is in use or cannot be replaced.");
        } else if (moved) {
            disk_.KeepAttributes(planned_[Key(copy.destination)].aside, copy.destination);
        }
    }
}

void InstallTransaction::RemoveFile(const std::string& givenPath) {
    PutCopiesInPlace();
    const std::string path = Inside(givenPath);
    JournalDisk::Entry entry = disk_.EntryAt(path);
    if (entry == JournalDisk::Entry::None || entry == JournalDisk::Entry::Folder) return;
    if (entry == JournalDisk::Entry::ReadOnlyFile) return;
    auto known = planned_.find(Key(path));
    if (known != planned_.end() && !known->second.asidePending) {
        // Made or replaced by this run: its undo is known already.
        disk_.Erase(path);
    } else {
        AnnounceFile(path, false);
        Durable();
        Planned& plan = planned_[Key(path)];
        plan.asidePending = false;
        if (!disk_.Rename(path, plan.aside, true)) throw FileError(path, "The file is in use or cannot be moved aside.");
    }
    Log({JournalEntry::Kind::Done, Relative(path), "", {}});
}

void InstallTransaction::CreateFolderTree(const std::string& givenFolder) {
    const std::string folder = Inside(givenFolder);
    AnnounceFolders(folder);
    Durable();
    MakeFolders(folder);
}

void InstallTransaction::End() {
    open_ = false;
    EndJournal(disk_, target_);
}

void InstallTransaction::Commit() {
    // Every file the run wrote is flushed and in place before the mark goes.
    PutCopiesInPlace();
    // Empty now; one that another hand put a file into stays, and so does its file.
    if (!staging_.empty() && present_.count(Key(staging_))) disk_.RemoveFolder(staging_);
    Log({JournalEntry::Kind::Committed, "", "", {}});
    Durable();
    // A link swapped during the run: the old files stay, and the next run says why.
    if (LinkNotAsRecorded(disk_, target_, entries_).empty() &&
        RemoveAsides(disk_, target_, entries_).outcome != Recovery::Stuck) {
        End();
    } else {
        open_ = false;
        disk_.CloseJournal();  // the next run finishes the clean-up
    }
}

RecoveryReport InstallTransaction::Undo() {
    // The copies still being flushed are let finish; their files are the run's temporaries.
    copies_.clear();
    copiedPaths_.clear();
    std::map<std::string, FileIdentity> written;
    std::string failed;
    try {
        disk_.SettleCopies(written, failed);
    } catch (...) {
    }
    // Lines never flushed name changes never made.
    pending_.clear();
    announced_ = false;
    RecoveryReport report;
    report.file = LinkNotAsRecorded(disk_, target_, entries_);
    if (!report.file.empty()) {
        report.outcome = Recovery::LinkMoved;
    } else {
        report = UndoEntries(disk_, target_, entries_);
    }
    if (report.outcome == Recovery::Stuck || report.outcome == Recovery::LinkMoved) {
        open_ = false;
        disk_.CloseJournal();
    } else {
        End();
    }
    return report;
}
