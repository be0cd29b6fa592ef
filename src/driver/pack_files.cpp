#include "driver/pack_files.h"

#include "base/files.h"
#include "base/package_layout.h"
#include "base/paths.h"
#include "base/text_file.h"
#include "lang/about_text.h"

Package ReadPackIni(const std::string& setupFolder) {
    return ParsePackIni(ReadTextLines(JoinPath(SourceFolder(setupFolder), PackIniName)));
}

std::string LoadAboutText(const std::string& setupFolder, const std::string& currentLanguage) {
    std::string path = JoinPath(SourceFolder(setupFolder), AboutPackName);
    if (!FileIsPresent(path)) return "";
    return ExtractAboutText(ReadTextLines(path), currentLanguage);
}
