#include "driver/pack_info.h"

#include "engine/text_lines.h"

std::string PackTitle;
std::string PackProgramName;
std::string PackExeName;
std::string PackWindowClass;
std::string PackName;
std::string PackVersion;
std::string PackBaseFolder;
std::string PackMode;

void ApplyPackIniLines(const std::vector<std::string>& lines) {
    std::string* fields[] = {&PackTitle, &PackProgramName, &PackExeName,    &PackWindowClass,
                             &PackName,  &PackVersion,     &PackBaseFolder, &PackMode};
    for (auto* field : fields) field->clear();
    size_t counter = 0;
    for (const auto& line : lines) {
        if (IsCommentLine(line)) continue;
        if (counter < 8) *fields[counter] = line;
        ++counter;
    }
}

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

bool EqualsAsciiNoCase(const std::string& a, const std::string& b) { return AsciiLower(a) == AsciiLower(b); }

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
