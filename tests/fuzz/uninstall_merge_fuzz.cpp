// Fuzzes the fast uninstall merge against the plain reference model: any
// difference in the final record bytes or in the step count aborts.
// Input: one byte of presence bits (1 record, 2 clear script, 4 add script),
// then the three files' bytes separated by NUL bytes.
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/uninstall_reference.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The reference re-reads files per line; keep its quadratic work small.
    if (size == 0 || size > 4096) return 0;
    unsigned present = data[0];
    std::string_view rest = FuzzBytes(data + 1, size - 1);
    std::string_view record = TakeField(rest, '\0');
    std::string_view clear = TakeField(rest, '\0');
    std::string_view add = TakeField(rest, '\0');
    UninstallFiles files;
    if (present & 1) files.record = std::string(record);
    if (present & 2) files.clearScript = std::string(clear);
    if (present & 4) files.addScript = std::string(add);
    UninstallFiles expected = files;
    int expectedSteps = 0;
    int actualSteps = 0;
    ReferenceUninstallPhase(expected, expectedSteps);
    FastUninstallPhase(files, actualSteps);
    FUZZ_CHECK(files.record == expected.record);
    FUZZ_CHECK(actualSteps == expectedSteps);
    return 0;
}
