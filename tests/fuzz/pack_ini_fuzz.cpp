// Pack.ini: the eight fields are the first eight non-comment lines, whatever the file holds.
#include "base/package.h"
#include "base/text_lines.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> lines = SplitTextLines(FuzzBytes(data, size));
    Package p = ParsePackIni(lines);
    const std::string* fields[] = {&p.PackTitle, &p.PackProgramName, &p.PackExeName,    &p.PackWindowClass,
                                   &p.PackName,  &p.PackVersion,     &p.PackBaseFolder, &p.PackMode};
    size_t field = 0;
    for (const auto& line : lines) {
        if (field == 8) break;
        if (!IsCommentLine(line)) FUZZ_CHECK(*fields[field++] == line);
    }
    for (; field < 8; ++field) FUZZ_CHECK(fields[field]->empty());
    return 0;
}
