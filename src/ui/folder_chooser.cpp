#include "ui/folder_chooser.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "lang/catalogue.h"
#include "ui/toolkit.h"

// The browser's tree relies on COM; one initialisation serves the whole run.
static void EnsureComReady() {
    static bool ready = false;
    if (!ready) ready = SUCCEEDED(CoInitialize(nullptr));
}

std::string ChooseFolder() {
    EnsureComReady();
    char displayName[MAX_PATH + 1] = {};
    BROWSEINFOA browse{};
    browse.hwndOwner = MainWindow;
    browse.pszDisplayName = displayName;
    browse.lpszTitle = LblChooseFolder.c_str();
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    LPITEMIDLIST item = SHBrowseForFolderA(&browse);
    if (!item) return "";
    char path[MAX_PATH + 1] = {};
    std::string result = SHGetPathFromIDListA(item, path) ? std::string(path) : std::string();
    CoTaskMemFree(item);
    return result;
}
