// aboutPack.ini for any current language: the input's first line is the
// language key, the rest the file. The text is made of the file's own lines.
#include "base/text_lines.h"
#include "lang/about_text.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input = FuzzBytes(data, size);
    std::string language(TakeField(input, '\n'));
    std::vector<std::string> lines = SplitTextLines(input);
    std::string text = ExtractAboutText(lines, language);
    FUZZ_CHECK(text.size() <= input.size() + 2 * lines.size());
    // Every piece between line breaks is a non-comment line of the file.
    std::string_view rest = text;
    while (!text.empty()) {
        size_t cut = rest.find("\r\n");
        std::string_view piece = rest.substr(0, cut);
        FUZZ_CHECK(!IsCommentLine(piece));
        bool found = false;
        for (const auto& line : lines) found = found || line == piece;
        FUZZ_CHECK(found);
        if (cut == std::string_view::npos) break;
        rest = rest.substr(cut + 2);
    }
    return 0;
}
