// Language files in the setup folder's Language folder.
#pragma once
#include <string>

void LoadMessages(const std::string& language = "");
int FillLanguageList();
std::string LanguageKeyForEntry(const std::string& entryText);
