#include "ui/pages.h"

#include "discovery/copy_registry.h"
#include "discovery/find_exe.h"
#include "discovery/path_time.h"
#include "discovery/version_lists.h"
#include "driver/pack_files.h"
#include "driver/pack_info.h"
#include "driver/setup.h"
#include "lang/catalogue.h"
#include "lang/language_files.h"
#include "ui/copy_list.h"
#include "ui/folder_chooser.h"
#include "ui/main_window.h"
#include "ui/toolkit.h"

HWND BannerImage = nullptr;
HWND HeaderLabel = nullptr;
HWND BackButton = nullptr;
HWND NextButton = nullptr;
HWND ExitButton = nullptr;

static const DWORD StaticCentered = SS_CENTER;
static const DWORD StaticEtchedLine = SS_ETCHEDHORZ;
static const DWORD StaticEtchedFrame = SS_ETCHEDFRAME;
static const DWORD StaticBitmap = SS_BITMAP | SS_CENTERIMAGE;
static const DWORD ListStyle = WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
static const DWORD TextBoxStyle = WS_VSCROLL | ES_MULTILINE;

// A page's framed control: an etched frame with the control 2 pixels inside it.
struct FramedControl {
    HWND frame = nullptr;
    HWND control = nullptr;
};

static HWND AddStatic(const std::string& text, DWORD bits, int x, int y, int w, int h, HFONT font) {
    return CreateControl("static", text, ChildStyle | bits, x, y, w, h, MainWindow, 0, font);
}

static HWND AddButton(const std::string& text, int x, int id) {
    return CreateControl("button", text, ChildStyle, x, 298, 100, 22, MainWindow, id, FontNormal);
}

static void RemoveFramed(FramedControl& framed) {
    DestroyWindow(framed.control);
    DestroyWindow(framed.frame);
    framed = {};
}

// The read-only text box of the about and folder pages.
static FramedControl AddTextBox(const std::string& text) {
    FramedControl box;
    box.frame = AddStatic("", StaticEtchedFrame, 73, 105, 344, 156, nullptr);
    box.control = CreateControl("edit", text, ChildStyle | TextBoxStyle, 75, 107, 340, 152, MainWindow, 0, FontNormal);
    MakeReadOnly(box.control);
    return box;
}

static void SetHeader(const std::string& text) { SetWindowTextA(HeaderLabel, text.c_str()); }

static void ShowBanner() {
    BannerImage = AddStatic("", StaticBitmap, 0, 0, 495, 58, nullptr);
    HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), "BGIMAGE");
    SendMessageA(BannerImage, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

void BuildTitleBox() {
    AddStatic("", StaticEtchedFrame, 130, 20, 340, 24, nullptr);
    AddStatic("", 0, 131, 21, 337, 21, nullptr);
    AddStatic(PackTitle, StaticCentered, 138, 25, 300, 15, FontTitle);
}

static void CreatePermanentControls() {
    AddStatic("", StaticEtchedLine, 10, 288, 475, 10, nullptr);
    AddStatic(ProductName + " " + ProductVersion, WS_DISABLED, 12, 302, 210, 14, FontNormal);
    ShowBanner();
    BuildTitleBox();
}

static void CreateButtonsAndHeader() {
    ExitButton = AddButton("Exit", 380, CmdExit);
    NextButton = AddButton("Next >>", 270, CmdNext);
    BackButton = AddButton("<< Back", 160, CmdBack);
    HeaderLabel = AddStatic("Please select a language:", 0, 80, 76, 340, 28, FontTitle);
}

void ShowLanguagePage() {
    HoverTipsOn = 0;
    WindowClosed = false;
    InitStartupState();
    CreateMainWindow(PackTitle, 328, 495, WS_SYSMENU | WS_MINIMIZEBOX);
    if (WindowClosed) return;
    CreatePermanentControls();
    FramedControl list;
    list.frame = AddStatic("", StaticEtchedFrame, 43, 104, 405, 156, nullptr);
    list.control = CreateControl("listbox", "", ChildStyle | ListStyle, 45, 106, 400, 152, MainWindow,
                                 CmdLanguageList, FontNormal);
    PageList = list.control;
    int languageFiles = FillLanguageList();
    CreateButtonsAndHeader();
    if (languageFiles == 0) {
        RemoveFramed(list);
        ShowWindow(MainWindow, SW_SHOWNORMAL);
        UpdateWindow(MainWindow);
        return;
    }
    EnableWindow(NextButton, FALSE);
    EnableWindow(BackButton, FALSE);
    RunPage();
    LanguagePageDone = true;
    RemoveFramed(list);
}

void ShowAboutPage() {
    HoverTipsOn = 0;
    SetWindowTextA(ExitButton, BtnExit.c_str());
    SetWindowTextA(BackButton, BtnBack.c_str());
    std::string text = LoadAboutText();
    EnableWindow(NextButton, TRUE);
    EnableWindow(BackButton, FALSE);
    SetHeader(LblAboutPackage);
    FramedControl box = AddTextBox(text);
    RunPage();
    RemoveFramed(box);
}

static void HideHoverTip() {
    if (ShownTipItem != -1 && TipWindow) {
        SendMessageA(TipWindow, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&TipRecord));
    }
    ShownTipItem = -1;
    HoverTipsOn = 0;
}

// Runs the page over the list that discovery built; a pick puts the copy's
// executable path into ChosenFolder.
static void RunCopyList() {
    ChosenFolder.clear();
    CopyListInactive = false;
    LastListSelection = 0;
    SetHeader(LblChooseCopy);
    RunPage();
    CopyListInactive = true;
    DestroyWindow(PageList);
    DestroyWindow(CopyListFrame);
    PageList = nullptr;
    CopyListFrame = nullptr;
}

bool ShowCopyListPage() {
    HoverTipsOn = 1;
    ShownTipItem = -1;
    EnableWindow(BackButton, TRUE);
    FoundCopies[0].clear();
    ChosenFolder.clear();
    bool listCreated = false;
    CollectCompatibleCopies(listCreated);
    ChosenFolder = FoundCopies[0];
    if (listCreated) RunCopyList();
    ChosenFolder = ParentFolder(ChosenFolder);
    HideHoverTip();
    return listCreated;
}

static void WarnOnFolderPage(const std::string& text) {
    MessageBoxA(MainWindow, text.c_str(), CapWarning.c_str(), MB_SYSTEMMODAL | MB_ICONWARNING | MB_OK);
}

// The target folder for a folder picked by hand, or "" after telling the user
// why it does not do.
static std::string CheckPickedFolder(const std::string& picked) {
    std::string folder = FindExeFolder(picked);
    if (folder.empty()) {
        WarnOnFolderPage(MsgNotInFolder);
        return "";
    }
    std::string exe = folder + "\\" + PackExeName;
    if (!IsVersionSupported(GetFileVersionString(exe), exe)) {
        WarnOnFolderPage(MsgIncompatibleVersion);
        return "";
    }
    return folder;
}

void ShowFolderPage() {
    EnableWindow(BackButton, TRUE);
    SetHeader(LblProgramNotFound);
    FramedControl box = AddTextBox(MsgNoCopyFound);
    for (;;) {
        RunPage();
        if (WindowClosed) return;
        if (GoBack) break;
        ChosenFolder.clear();
        std::string picked = ChooseFolder();
        if (picked.empty()) continue;
        std::string folder = CheckPickedFolder(picked);
        if (folder.empty()) continue;
        ChosenFolder = folder;
        break;
    }
    RemoveFramed(box);
}
