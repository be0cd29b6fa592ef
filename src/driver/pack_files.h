// Reading the package description files from the setup folder's Source folder.
#pragma once
#include <string>

#include "base/package.h"

// The fields of Source\Pack.ini; throws FileError when it is missing.
Package ReadPackIni(const std::string& setupFolder);
// The about text for the language from Source\aboutPack.ini; "" when absent.
std::string LoadAboutText(const std::string& setupFolder, const std::string& currentLanguage);
