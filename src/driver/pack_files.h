// Reading the package description files from the setup folder's Source folder.
#pragma once
#include <string>

// Fills PackTitle..PackMode from Source\Pack.ini; throws FileError when it is missing.
void ReadPackIni();
// The about text for CurrentLanguage from Source\aboutPack.ini; "" when absent.
std::string LoadAboutText();
