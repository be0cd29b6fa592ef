#include "packcheck/file_version_bytes.h"

#include <cstdint>
#include <cstdio>
#include <optional>

#include "base/ascii.h"

namespace {

const uint32_t VersionType = 16;  // RT_VERSION
const size_t NoOffset = static_cast<size_t>(-1);

// Little-endian reads that fail past the end rather than read it.
struct Bytes {
    const std::string& data;
    std::optional<uint32_t> U16(size_t at) const {
        if (at > data.size() || data.size() - at < 2) return std::nullopt;
        return static_cast<uint32_t>(static_cast<unsigned char>(data[at]) | static_cast<unsigned char>(data[at + 1]) << 8);
    }
    std::optional<uint32_t> U32(size_t at) const {
        auto low = U16(at), high = U16(at + 2);
        if (!low || !high) return std::nullopt;
        return *low | *high << 16;
    }
};

// The file offset of a virtual address, by the section that holds it.
size_t FileOffset(const Bytes& b, size_t sections, uint32_t count, uint32_t address) {
    for (uint32_t i = 0; i < count; ++i) {
        size_t header = sections + i * 40;
        auto virtualSize = b.U32(header + 8), virtualAddress = b.U32(header + 12);
        auto rawSize = b.U32(header + 16), rawOffset = b.U32(header + 20);
        if (!virtualSize || !virtualAddress || !rawSize || !rawOffset) return NoOffset;
        uint32_t size = *virtualSize > *rawSize ? *virtualSize : *rawSize;
        if (address >= *virtualAddress && address - *virtualAddress < size) return *rawOffset + (address - *virtualAddress);
    }
    return NoOffset;
}

// The entry of a resource directory with that id, or its first entry when
// `id` is nothing; the offset it points to within the resource section.
std::optional<uint32_t> DirectoryEntry(const Bytes& b, size_t resources, uint32_t directory, std::optional<uint32_t> id) {
    auto named = b.U16(resources + directory + 12), ids = b.U16(resources + directory + 14);
    if (!named || !ids) return std::nullopt;
    for (uint32_t i = 0; i < *named + *ids; ++i) {
        size_t entry = resources + directory + 16 + i * 8;
        auto name = b.U32(entry), target = b.U32(entry + 4);
        if (!name || !target) return std::nullopt;
        if (!id || (!(*name & 0x80000000u) && *name == *id)) return *target;
    }
    return std::nullopt;
}

// The version resource's bytes.
std::optional<std::string> VersionResource(const std::string& data) {
    Bytes b{data};
    if (data.compare(0, 2, "MZ") != 0) return std::nullopt;
    auto pe = b.U32(0x3C);
    if (!pe || *pe > data.size() || data.compare(*pe, 4, std::string("PE\0\0", 4)) != 0) return std::nullopt;
    auto sectionCount = b.U16(*pe + 6), optionalSize = b.U16(*pe + 20), magic = b.U16(*pe + 24);
    if (!sectionCount || !optionalSize || !magic || (*magic != 0x10B && *magic != 0x20B)) return std::nullopt;
    size_t directories = *pe + 24 + (*magic == 0x10B ? 96 : 112);
    auto directoryCount = b.U32(directories - 4), resourceAddress = b.U32(directories + 16);
    if (!directoryCount || *directoryCount < 3 || !resourceAddress || *resourceAddress == 0) return std::nullopt;
    size_t sections = *pe + 24 + *optionalSize;
    size_t resources = FileOffset(b, sections, *sectionCount, *resourceAddress);
    if (resources == NoOffset) return std::nullopt;
    // Type, then name, then language: the first of each below the version type.
    std::optional<uint32_t> level = DirectoryEntry(b, resources, 0, VersionType);
    for (int depth = 0; depth < 2 && level && (*level & 0x80000000u); ++depth)
        level = DirectoryEntry(b, resources, *level & 0x7FFFFFFFu, std::nullopt);
    if (!level || (*level & 0x80000000u)) return std::nullopt;
    auto address = b.U32(resources + *level), size = b.U32(resources + *level + 4);
    if (!address || !size) return std::nullopt;
    size_t start = FileOffset(b, sections, *sectionCount, *address);
    if (start == NoOffset || start > data.size() || data.size() - start < *size) return std::nullopt;
    return data.substr(start, *size);
}

// One block of the version resource: its key, its value and its children.
struct Block {
    std::string key;  // the wide key's characters, each below 0x100
    size_t value = 0, valueBytes = 0, children = 0, end = 0;
};

size_t Aligned(size_t at) { return (at + 3) & ~static_cast<size_t>(3); }

std::optional<Block> ReadBlock(const Bytes& b, size_t at, size_t limit) {
    auto length = b.U16(at), valueLength = b.U16(at + 2), type = b.U16(at + 4);
    if (!length || !valueLength || !type || *length < 6 || at + *length > limit) return std::nullopt;
    Block block;
    block.end = at + *length;
    size_t i = at + 6;
    for (;; i += 2) {
        auto c = b.U16(i);
        if (!c || i + 2 > block.end) return std::nullopt;
        if (*c == 0) break;
        block.key += static_cast<char>(*c < 0x100 ? *c : '?');
    }
    block.value = Aligned(i + 2);
    // A text value counts its length in characters, a binary one in bytes.
    block.valueBytes = *type == 1 ? *valueLength * 2 : *valueLength;
    if (block.value > block.end || block.end - block.value < block.valueBytes) block.valueBytes = 0;
    block.children = Aligned(block.value + block.valueBytes);
    return block;
}

// The child block with that key (ASCII case ignored), as the system looks it up.
std::optional<Block> Child(const Bytes& b, const Block& parent, const std::string& key) {
    for (size_t at = parent.children; at + 6 <= parent.end;) {
        auto child = ReadBlock(b, at, parent.end);
        if (!child) return std::nullopt;
        if (EqualsAsciiNoCase(child->key, key)) return child;
        at = Aligned(child->end);
    }
    return std::nullopt;
}

}  // namespace

std::string FileVersionFromBytes(const std::string& bytes) {
    auto resource = VersionResource(bytes);
    if (!resource) return "";
    Bytes b{*resource};
    auto root = ReadBlock(b, 0, resource->size());
    if (!root) return "";
    std::string table;
    auto variables = Child(b, *root, "VarFileInfo");
    auto translation = variables ? Child(b, *variables, "Translation") : std::nullopt;
    if (translation && translation->valueBytes >= 4) {
        char digits[9];
        std::snprintf(digits, sizeof digits, "%04X%04X", *b.U16(translation->value), *b.U16(translation->value + 2));
        table = digits;
    }
    auto strings = Child(b, *root, "StringFileInfo");
    auto language = strings ? Child(b, *strings, table) : std::nullopt;
    auto version = language ? Child(b, *language, "FileVersion") : std::nullopt;
    if (!version) return "";
    std::string text;
    for (size_t at = version->value; at + 2 <= version->value + version->valueBytes; at += 2) {
        uint32_t c = *b.U16(at);
        if (c == 0) break;
        text += static_cast<char>(c < 0x80 ? c : '?');
    }
    return text;
}
