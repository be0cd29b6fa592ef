// A language file applied to the catalogue. The input's first NUL-terminated
// field is the program's name, the rest the file. A refused template is still
// applied; anything the formatter accepts must come out as the C library's
// printf would print it.
#include <cstdio>

#include "base/text_lines.h"
#include "fuzz/fuzz_support.h"
#include "lang/catalogue.h"

static void CheckAgainstPrintf(const std::string& templ, const std::string& argument) {
    std::string out;
    if (!FormatTemplate(templ, argument, out)) return;
    if (templ.find('\0') != std::string::npos || argument.find('\0') != std::string::npos) return;
    int length = std::snprintf(nullptr, 0, templ.c_str(), argument.c_str());
    FUZZ_CHECK(length >= 0);
    std::string expected(static_cast<size_t>(length) + 1, '\0');
    std::snprintf(expected.data(), expected.size(), templ.c_str(), argument.c_str());
    expected.resize(static_cast<size_t>(length));
    FUZZ_CHECK(out == expected);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input = FuzzBytes(data, size);
    std::string programName(TakeField(input, '\0'));
    std::vector<std::string> lines = SplitTextLines(input);
    Catalogue t;

    int messageLines = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (!lines[i].empty() && !IsCommentLine(lines[i])) ++messageLines;
        CheckAgainstPrintf(lines[i], programName);
    }
    int counted = ApplyLanguageLines(t, lines, programName);
    FUZZ_CHECK(counted == messageLines);
    FUZZ_CHECK(t.BtnBack.rfind("<< ", 0) == 0);
    if (messageLines >= 3) FUZZ_CHECK(t.BtnNext.size() >= 3 && t.BtnNext.compare(t.BtnNext.size() - 3, 3, " >>") == 0);
    if (messageLines >= 25) FUZZ_CHECK(t.MsgFolderFound.find("\r\n") != std::string::npos && t.MsgFolderFound.back() == ':');
    if (messageLines < 29) FUZZ_CHECK(t.LblAboutPackage.empty());
    return 0;
}
