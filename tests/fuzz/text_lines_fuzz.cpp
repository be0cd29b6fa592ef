// The line splitters against an independent reference, and the writer's round trip.
#include "base/text_lines.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes = FuzzBytes(data, size);
    std::vector<std::string> lines = SplitTextLines(bytes);
    FUZZ_CHECK(lines == ReferenceSplitLines(bytes));
    // The in-place splitter that large records take gives the same lines.
    TextBuffer buffer = SplitTextBuffer(std::vector<char>(bytes.begin(), bytes.end()));
    FUZZ_CHECK(LineStrings(buffer.lines) == lines);
    for (const auto& line : lines) {
        FUZZ_CHECK(line.find_first_of("\r\n\x1A") == std::string::npos);
        if (IsCommentLine(line)) FUZZ_CHECK(line.size() >= 2 && (line[0] == '/' || line[0] == '\\'));
    }
    FUZZ_CHECK(SplitTextLines(JoinTextLines(lines)) == lines);
    return 0;
}
