// The about text of Source\aboutPack.ini: the block for the current language,
// or English, or Russian, as the file's language list offers. Pure.
#pragma once
#include <string>
#include <vector>

// The about text for the language key `currentLanguage` ("Russian" or a
// language file's name), or "" when the file offers none.
std::string ExtractAboutText(const std::vector<std::string>& lines, const std::string& currentLanguage);
