// Fuzzes the fast uninstall merge against the plain reference model: any
// difference in the final record bytes or in the step count aborts.
// Input: one byte of presence bits (1 record, 2 clear script, 4 add script),
// then the three files' bytes separated by NUL bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/uninstall_reference.h"

static std::string_view NextPart(std::string_view& rest) {
    size_t cut = rest.find('\0');
    std::string_view part = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    return part;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reference re-reads files per line; keep its quadratic work small.
    if (size == 0 || size > 4096) return 0;
    unsigned present = data[0];
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string_view record = NextPart(rest);
    std::string_view clear = NextPart(rest);
    std::string_view add = NextPart(rest);
    UninstallFiles files;
    if (present & 1) files.record = std::string(record);
    if (present & 2) files.clearScript = std::string(clear);
    if (present & 4) files.addScript = std::string(add);
    UninstallFiles expected = files;
    int expectedSteps = 0;
    int actualSteps = 0;
    ReferenceUninstallPhase(expected, expectedSteps);
    FastUninstallPhase(files, actualSteps);
    if (files.record != expected.record || actualSteps != expectedSteps) abort();
    return 0;
}
