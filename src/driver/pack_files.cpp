#include "driver/pack_files.h"

#include "driver/pack_info.h"
#include "driver/setup.h"
#include "engine/file_ops.h"
#include "engine/text_file.h"
#include "lang/language_list.h"

void ReadPackIni() { ApplyPackIniLines(ReadTextLines(SetupFolder() + "\\Source\\Pack.ini")); }

std::string LoadAboutText() {
    std::string path = SetupFolder() + "\\Source\\aboutPack.ini";
    if (!FileIsPresent(path)) return "";
    return ExtractAboutText(ReadTextLines(path), CurrentLanguage);
}
