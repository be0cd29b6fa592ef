#include "base/text_file.h"

#include <windows.h>

#include <algorithm>

#include "base/failure.h"
#include "base/files.h"
#include "base/handles.h"
#include "base/paths.h"
#include "base/text_lines.h"

std::string SystemErrorText(unsigned long code) {
    char* buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length ? std::string(buffer, length) : "System error " + std::to_string(code);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) text.pop_back();
    return text;
}

FileError LastFileError(const std::string& path) {
    DWORD code = GetLastError();
    return FileError(path, SystemErrorText(code), code);
}

std::string ReadFileBytes(const std::string& path) {
    FileHandle file(OpenFilePath(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL));
    if (!file.valid()) throw LastFileError(path);
    std::string bytes;
    char chunk[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) throw LastFileError(path);
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    return bytes;
}

std::vector<std::string> ReadTextLines(const std::string& path) { return SplitTextLines(ReadFileBytes(path)); }

TextBuffer ReadTextBuffer(const std::string& path) {
    FileHandle file(OpenFilePath(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL));
    if (!file.valid()) throw LastFileError(path);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) throw LastFileError(path);
    // One more byte than the file holds shows whether it grew meanwhile.
    std::vector<char> bytes(static_cast<size_t>(size.QuadPart) + 1);
    size_t done = 0;
    for (;;) {
        if (done == bytes.size()) bytes.resize(bytes.size() * 2);
        DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 24));
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, want, &got, nullptr)) throw LastFileError(path);
        if (got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return SplitTextBuffer(std::move(bytes));
}

static bool WriteAllBytes(HANDLE file, const char* bytes, size_t size) {
    size_t done = 0;
    while (done < size) {
        DWORD wrote = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(size - done, 1 << 20));
        if (!WriteFile(file, bytes + done, want, &wrote, nullptr)) return false;
        if (wrote == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        done += wrote;
    }
    return true;
}

// The attributes the new file takes over; read-only is refused before.
static const DWORD KeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Writes the new contents into the temporary file; false when the system refused.
using ContentsWriter = bool (*)(HANDLE file, const void* context);

// MoveFileEx rather than ReplaceFile: one rename that either happens or not,
// for new files as well as existing ones, where ReplaceFile has failure modes
// that leave the destination under another name and no write-through. The
// rename does not carry the old file's attributes, so the temporary file is
// created with them.
static void ReplaceFileWith(const std::string& path, ContentsWriter write, const void* context) {
    DWORD old = PathAttributes(path);
    // Windows refuses to rename over a read-only file, Wine does not: the same
    // answer everywhere.
    if (old != INVALID_FILE_ATTRIBUTES && (old & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        throw FileError(path, SystemErrorText(ERROR_ACCESS_DENIED), ERROR_ACCESS_DENIED);
    DWORD attributes = old == INVALID_FILE_ATTRIBUTES ? 0 : old & KeptAttributes;
    std::string temporary = ReplacementPath(path);
    DeletePath(temporary);  // left by a run that was killed before its rename
    FileHandle file(OpenFilePath(temporary, GENERIC_WRITE, 0, CREATE_ALWAYS, attributes ? attributes : FILE_ATTRIBUTE_NORMAL));
    if (!file.valid()) throw LastFileError(temporary);
    bool replaced = write(file.get(), context) && FlushFileBuffers(file.get());
    DWORD error = replaced ? ERROR_SUCCESS : GetLastError();
    if (!file.reset() && replaced) {
        replaced = false;
        error = GetLastError();
    }
    if (replaced && !RenamePath(temporary, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        replaced = false;
        error = GetLastError();
    }
    if (!replaced) {
        DeletePath(temporary);
        throw FileError(path, SystemErrorText(error), error);
    }
}

void ReplaceFileBytes(const std::string& path, const std::string& bytes) {
    ReplaceFileWith(path, [](HANDLE file, const void* context) {
        const auto& all = *static_cast<const std::string*>(context);
        return WriteAllBytes(file, all.data(), all.size());
    }, &bytes);
}

void WriteTextLines(const std::string& path, const std::vector<std::string>& lines) {
    ReplaceFileBytes(path, JoinTextLines(lines));
}

void WriteTextLineStream(const std::string& path,
                         const std::function<void(const std::function<void(std::string_view)>&)>& produce) {
    ReplaceFileWith(path, [](HANDLE file, const void* context) {
        const auto& make = *static_cast<const std::function<void(const std::function<void(std::string_view)>&)>*>(context);
        const size_t PieceSize = 1 << 16;
        std::string piece;
        piece.reserve(PieceSize + 256);
        bool written = true;
        DWORD error = ERROR_SUCCESS;
        make([&](std::string_view line) {
            if (!written) return;
            piece.append(line).append("\r\n");
            if (piece.size() >= PieceSize) {
                written = WriteAllBytes(file, piece.data(), piece.size());
                if (!written) error = GetLastError();
                piece.clear();
            }
        });
        if (!written) SetLastError(error);  // the rest of the lines went nowhere
        return written && WriteAllBytes(file, piece.data(), piece.size());
    }, &produce);
}
