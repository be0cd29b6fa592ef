#include "packcheck/dry_run_files.h"

#include <algorithm>

#include "base/failure.h"
#include "base/paths.h"
#include "base/text_lines.h"

Place DryRunFiles::Locate(const std::string& path) const {
    Place place{Place::Root::Outside, path};
    size_t matched = 0;
    for (auto [root, tree] : {std::pair{Place::Root::Setup, &setup_}, std::pair{Place::Root::Target, &target_}}) {
        const std::string prefix = tree->root + "\\";
        bool inside = path == tree->root || path.rfind(prefix, 0) == 0;
        // Nested roots: the longer one owns its paths.
        if (!inside || prefix.size() <= matched) continue;
        std::string normal;
        if (!NormalRelativePath(path.substr(std::min(prefix.size(), path.size())), normal))
            return {Place::Root::Outside, path};
        place = {root, normal};
        matched = prefix.size();
    }
    return place;
}

std::optional<DryRunFiles::Written> DryRunFiles::Now(const Place& place) const {
    if (place.root == Place::Root::Outside) return std::nullopt;
    if (place.root == Place::Root::Target) {
        auto it = overlay_.find(FoldNameCase(place.relative));
        if (it != overlay_.end()) return it->second.exists ? std::optional(it->second) : std::nullopt;
    }
    const FolderTree& tree = place.root == Place::Root::Setup ? setup_ : target_;
    if (place.relative.empty()) return Written{true, true, "", false};
    const TreeEntry* entry = tree.Find(place.relative);
    if (!entry) return std::nullopt;
    if (entry->folder) return Written{true, true, "", false};
    // A file that cannot be read is taken as empty; setup would fail on it instead.
    return Written{true, false, tree.Read(*entry).value_or(""), entry->readOnly};
}

void DryRunFiles::Put(const Place& place, Written state) {
    if (place.root == Place::Root::Target) overlay_[FoldNameCase(place.relative)] = std::move(state);
}

bool DryRunFiles::FolderExistsNow(const Place& place) const {
    auto now = Now(place);
    return now && now->folder;
}

std::string DryRunFiles::FileInTheWay(const Place& place) const {
    const std::string whole = FolderOf(place.relative);
    std::string folder;
    for (std::string_view name : PathNames(whole)) {
        if (!folder.empty()) folder += '\\';
        folder.append(name);
        auto now = Now({place.root, folder});
        if (now && !now->folder) return folder;
    }
    return "";
}

static const char PutBack[] = ", fails and puts the target back as it was";

bool DryRunFiles::Writable(const Place& place) const {
    if (place.root != Place::Root::Target || overlay_.count(FoldNameCase(place.relative))) return true;
    return target_.CanWrite(place.relative);
}

std::string DryRunFiles::WriteRefusal(const Place& place) const {
    if (place.root != Place::Root::Target) return "";
    // A file is replaced by one written beside it, so its folder must take new files.
    std::string folder = FolderOf(place.relative);
    if (!Writable({place.root, folder}))
        return (folder.empty() ? std::string("the target folder") : "the folder " + folder) +
               " cannot be written by this user (access denied): setup cannot write " + place.relative;
    auto now = Now(place);
    if (now && !now->folder && !Writable(place))
        return place.relative + " cannot be written by this user (access denied): setup cannot replace it";
    return "";
}

bool DryRunFiles::FileIsPresent(const std::string& path) {
    Place place = Locate(path);
    if (place.root == Place::Root::Target && overlay_.count(FoldNameCase(place.relative))) {
        auto now = Now(place);
        return now && !now->folder;
    }
    if (place.root == Place::Root::Outside) return false;
    return (place.root == Place::Root::Setup ? setup_ : target_).IsPresent(place.relative);
}

TextBuffer DryRunFiles::ReadText(const std::string& path) {
    auto now = Now(Locate(path));
    if (!now || now->folder) throw FileError(path, "The system cannot find the file specified.");
    return SplitTextBuffer(std::vector<char>(now->bytes.begin(), now->bytes.end()));
}

void DryRunFiles::Replace(const std::string& path, Change change, const std::string& bytes) {
    if (change.place.root != Place::Root::Outside) {
        // As on the disk: the file's folder must be there, and no folder may hold its name.
        Place folder{change.place.root, FolderOf(change.place.relative)};
        auto now = Now(change.place);
        if (!FolderExistsNow(folder) || (now && now->folder))
            throw FileError(path, "The system cannot find the path specified.");
        if (now && now->readOnly) {
            failures.push_back(change.place.relative + " is read-only: setup cannot replace it" + PutBack);
            throw FileError(path, "Access is denied.");
        }
        if (std::string refusal = WriteRefusal(change.place); !refusal.empty()) {
            failures.push_back(refusal + PutBack);
            throw FileError(path, "Access is denied.");
        }
        change.overwrites = now.has_value();
    }
    bytesWritten += bytes.size();
    changes.push_back(change);
    Put(change.place, {true, false, bytes, false});
}

void DryRunFiles::WriteLineStream(const std::string& path, const std::function<void(const LineSink&)>& produce) {
    Place place = Locate(path);
    bool existed = Now(place).has_value();
    std::string bytes;
    produce([&](std::string_view line) { bytes.append(line).append("\r\n"); });
    Replace(path, {existed ? Change::Kind::Rewrite : Change::Kind::Write, place, {}, false}, bytes);
}

void DryRunFiles::CopyWholeFile(const std::string& source, const std::string& destination) {
    Place from = Locate(source);
    auto bytes = Now(from);
    if (!bytes || bytes->folder) throw FileError(source, "The system cannot find the file specified.");
    Replace(destination, {Change::Kind::Copy, Locate(destination), from, false}, bytes->bytes);
}

bool DryRunFiles::CopyPackageFile(const std::string& source, const std::string& destination) {
    Place from = Locate(source);
    Place to = Locate(destination);
    CreateFolderTree(FolderOf(destination));
    auto bytes = Now(from);
    auto before = Now(to);
    if (to.root != Place::Root::Outside && bytes && !bytes->folder) {
        std::string blocker = FileInTheWay(to);
        if (!blocker.empty()) {
            failures.push_back(to.relative + ": the file " + blocker +
                               " stands where its folder must be: setup copies nothing there" + PutBack);
            return false;
        }
        if (before && before->readOnly) {
            failures.push_back(to.relative + " is read-only: setup does not copy over it" + PutBack);
            return false;
        }
        if (FolderExistsNow({to.root, FolderOf(to.relative)})) {
            if (std::string refusal = WriteRefusal(to); !refusal.empty()) {
                failures.push_back(refusal + PutBack);
                return false;
            }
        }
    }
    if (!bytes || bytes->folder || (before && before->folder) ||
        (to.root != Place::Root::Outside && !FolderExistsNow({to.root, FolderOf(to.relative)})))
        return false;
    changes.push_back({Change::Kind::Copy, to, from, before.has_value()});
    bytesWritten += bytes->bytes.size();
    Put(to, {true, false, bytes->bytes, false});
    return true;
}

void DryRunFiles::RemoveFile(const std::string& path) {
    Place place = Locate(path);
    auto now = Now(place);
    if (place.root == Place::Root::Outside || (now && !now->folder)) changes.push_back({Change::Kind::Delete, place, {}, false});
    if (now && !now->folder) Put(place, {});
}

void DryRunFiles::CreateFolderTree(const std::string& folder) {
    Place place = Locate(folder);
    if (place.root == Place::Root::Outside) {
        changes.push_back({Change::Kind::Folder, place, {}, false});
        return;
    }
    std::string path;
    size_t start = 0;
    while (start <= place.relative.size() && !place.relative.empty()) {
        size_t end = place.relative.find('\\', start);
        if (end == std::string::npos) end = place.relative.size();
        path = place.relative.substr(0, end);
        start = end + 1;
        auto now = Now({place.root, path});
        if (now && !now->folder) return;  // a file holds the name: the folder cannot be made
        if (now) continue;
        std::string parent = FolderOf(path);
        if (!Writable({place.root, parent})) {
            std::string failure = (parent.empty() ? std::string("the target folder") : "the folder " + parent) +
                                  " cannot be written by this user (access denied): setup cannot make " + path + PutBack;
            // Every copy into the folder tries again; one line says it.
            if (std::find(failures.begin(), failures.end(), failure) == failures.end()) failures.push_back(failure);
            return;
        }
        changes.push_back({Change::Kind::Folder, {place.root, path}, {}, false});
        Put({place.root, path}, {true, true, "", false});
    }
}

std::optional<std::vector<std::string>> DryRunFiles::LinesBefore(const std::string& relative) const {
    const TreeEntry* entry = target_.Find(relative);
    if (!entry || entry->folder) return std::nullopt;
    return SplitTextLines(target_.Read(*entry).value_or(""));
}

std::optional<std::vector<std::string>> DryRunFiles::LinesAfter(const std::string& relative) const {
    auto now = Now({Place::Root::Target, relative});
    if (!now || now->folder) return std::nullopt;
    return SplitTextLines(now->bytes);
}
