#include "ui/folder_chooser.h"

#include <shlobj.h>

#include "base/handles.h"

std::string ChooseFolder(HWND owner, const std::string& title) {
    char displayName[MAX_PATH + 1] = {};
    BROWSEINFOA browse{};
    browse.hwndOwner = owner;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = title.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    ShellMemory item(SHBrowseForFolderA(&browse));
    if (!item.valid()) return "";
    char path[MAX_PATH + 1] = {};
    if (!SHGetPathFromIDListA(static_cast<PCIDLIST_ABSOLUTE>(item.get()), path)) return "";
    return path;
}
