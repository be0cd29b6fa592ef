#include "lang/about_text.h"

#include "base/ascii.h"
#include "base/text_lines.h"

std::string ExtractAboutText(const std::vector<std::string>& lines, const std::string& currentLanguage) {
    enum class Section { List, Blocks, Text } section = Section::List;
    bool english = false, russian = false, current = false;
    std::string header;
    std::string text;
    for (const auto& line : lines) {
        if (IsCommentLine(line)) continue;
        switch (section) {
            case Section::List:
                if (line == "English") english = true;
                if (line == "Russian") russian = true;
                if (line == currentLanguage) current = true;
                if (EqualsAsciiNoCase(line, "List: end")) {
                    if (current) header = "Language: " + currentLanguage;
                    else if (english) header = "Language: English";
                    else if (russian) header = "Language: Russian";
                    else return text;
                    section = Section::Blocks;
                }
                break;
            case Section::Blocks:
                if (line == header) section = Section::Text;
                break;
            case Section::Text:
                if (EqualsAsciiNoCase(line, "Language: End")) return text;
                if (text.empty()) text = line;
                else text += "\r\n" + line;
                break;
        }
    }
    return text;
}
