// A language file applied to the catalogue. The input's first NUL-terminated
// field is PackProgramName, the rest the file. A refused template is an
// expected outcome; anything the formatter accepts must come out as the C
// library's printf would print it.
#include <cstdio>

#include "driver/errors.h"
#include "driver/pack_info.h"
#include "engine/text_lines.h"
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
    PackProgramName = std::string(TakeField(input, '\0'));
    std::vector<std::string> lines = SplitTextLines(input);
    for (auto* entry : CatalogueEntries) entry->clear();

    int messageLines = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        if (!lines[i].empty() && !IsCommentLine(lines[i])) ++messageLines;
        CheckAgainstPrintf(lines[i], PackProgramName);
    }
    try {
        ApplyLanguageLines(lines, "Language\\fuzz.txt");
    } catch (const TemplateError& error) {
        FUZZ_CHECK(std::string(error.what()).find("Language\\fuzz.txt, line ") == 0);
        return 0;
    }
    FUZZ_CHECK(MessageLineCounter == messageLines);
    FUZZ_CHECK(BtnBack.rfind("<< ", 0) == 0);
    if (messageLines >= 3) FUZZ_CHECK(BtnNext.size() >= 3 && BtnNext.compare(BtnNext.size() - 3, 3, " >>") == 0);
    if (messageLines >= 25) FUZZ_CHECK(MsgFolderFound.find("\r\n") != std::string::npos && MsgFolderFound.back() == ':');
    if (messageLines < 29) FUZZ_CHECK(LblAboutPackage.empty());
    return 0;
}
