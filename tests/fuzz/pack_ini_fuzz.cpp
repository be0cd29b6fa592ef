// Pack.ini: the eight fields are the first eight non-comment lines, whatever the file holds.
#include "driver/pack_info.h"
#include "engine/text_lines.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> lines = SplitTextLines(FuzzBytes(data, size));
    ApplyPackIniLines(lines);
    const std::string* fields[] = {&PackTitle, &PackProgramName, &PackExeName,    &PackWindowClass,
                                   &PackName,  &PackVersion,     &PackBaseFolder, &PackMode};
    size_t field = 0;
    for (const auto& line : lines) {
        if (field == 8) break;
        if (!IsCommentLine(line)) FUZZ_CHECK(*fields[field++] == line);
    }
    for (; field < 8; ++field) FUZZ_CHECK(fields[field]->empty());
    return 0;
}
