// Helpers the fuzz targets share: a check that aborts (so libFuzzer keeps the
// input), an independent line splitter to compare the real one with, and a
// way to cut one fuzz input into fields.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

[[noreturn]] void FuzzFailure(const char* condition, const char* file, int line);
#define FUZZ_CHECK(condition) \
    do { \
        if (!(condition)) FuzzFailure(#condition, __FILE__, __LINE__); \
    } while (0)

// The text-file rules written differently from the product: cut at Ctrl-Z,
// split at LF, drop every CR, and no line after a final LF.
std::vector<std::string> ReferenceSplitLines(std::string_view bytes);

// The fuzz input as text.
inline std::string_view FuzzBytes(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}
// Takes what stands before the first `separator` (or everything) off `input`.
std::string_view TakeField(std::string_view& input, char separator);
