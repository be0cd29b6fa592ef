#include "ui/wizard.h"

#include "base/files.h"
#include "base/paths.h"
#include "discovery/file_version.h"
#include "discovery/find_exe.h"
#include "discovery/version_lists.h"
#include "lang/language_files.h"
#include "lang/language_list.h"
#include "ui/folder_chooser.h"
#include "ui/install_page.h"
#include "ui/main_window.h"

Wizard::Wizard(const std::string& setupFolder, const Package& package, Catalogue& texts, std::string& chosenFolder,
               std::string productLine)
    : setupFolder_(setupFolder),
      package_(package),
      texts_(texts),
      ChosenFolder(chosenFolder),
      productLine_(std::move(productLine)) {}

Wizard::~Wizard() {
    if (MainWindow && IsWindow(MainWindow)) SetWindowLongPtrA(MainWindow, GWLP_USERDATA, 0);
}

HWND Wizard::Create(const ControlTemplate& control, const std::string& text) {
    return CreateControl(control, text, MainWindow, fonts_);
}

void Wizard::SetHeader(const PageEntry& page) {
    const std::string& text = page.header ? texts_.*page.header : std::string(page.fixedHeader);
    SetWindowTextA(HeaderLabel, text.c_str());
}

void Wizard::ApplyButton(HWND button, ButtonState state) {
    if (state != ButtonState::Unchanged) EnableWindow(button, state == ButtonState::Enabled);
}

PageEnd Wizard::RunPage(const std::function<void()>& onceShown) {
    bool shown = false;
    ::RunPage(MainWindow, [&] {
        if (!shown) {
            FocusPage();
            if (onceShown) onceShown();
        }
        shown = true;
        tip_.UpdateHoverTip();
    });
    if (WindowClosed) return PageEnd::Closed;
    return GoBack ? PageEnd::Back : PageEnd::Next;
}

void Wizard::PlaceOnPage(HWND frame, HWND control) {
    PlaceAfter(frame, HeaderLabel);
    PlaceAfter(control, frame);
    pageControl_ = control;
}

// The page's list or text box; on a page without one Next, or Exit when Next
// is disabled; never a disabled button.
HWND Wizard::FocusTarget() const {
    if (pageControl_ && IsWindow(pageControl_)) return pageControl_;
    if (IsWindowEnabled(NextButton)) return NextButton;
    if (IsWindowEnabled(ExitButton)) return ExitButton;
    return nullptr;
}

void Wizard::FocusPage() {
    lastFocus_ = nullptr;
    HWND target = FocusTarget();
    SetFocus(target ? target : MainWindow);
}

void Wizard::RememberFocus() {
    HWND focus = GetFocus();
    if (focus && IsChild(MainWindow, focus)) lastFocus_ = focus;
}

void Wizard::RestoreFocus() {
    bool usable = lastFocus_ && IsWindow(lastFocus_) && IsChild(MainWindow, lastFocus_) &&
                  IsWindowEnabled(lastFocus_) && IsWindowVisible(lastFocus_);
    HWND target = usable ? lastFocus_ : FocusTarget();
    if (target) SetFocus(target);
}

LRESULT Wizard::DefaultButton() const {
    HWND focus = GetFocus();
    for (HWND button : {BackButton, NextButton, ExitButton}) {
        if (focus == button && IsWindowEnabled(button)) return MAKELRESULT(GetDlgCtrlID(button), DC_HASDEFID);
    }
    return IsWindowEnabled(NextButton) ? MAKELRESULT(CmdNext, DC_HASDEFID) : 0;
}

// The banner bitmap fills its control at any DPI: above 96 it is stretched
// smoothly to the scaled size (the control centres it, as at 96).
void Wizard::ShowBanner(HWND banner) {
    HMODULE module = GetModuleHandleA(nullptr);
    BannerImage.reset(LoadBitmapA(module, "BGIMAGE"));
    BITMAP size{};
    if (ScreenDpi() != DesignDpi && BannerImage.valid() && GetObjectA(BannerImage.get(), sizeof size, &size)) {
        GdiObject stretched = StretchedBitmap(static_cast<HBITMAP>(BannerImage.get()), Scaled(size.bmWidth),
                                              Scaled(size.bmHeight));
        if (stretched.valid()) BannerImage = std::move(stretched);
    }
    SendMessageA(banner, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(BannerImage.get()));
}

int Wizard::ShowOwnedBox(const std::string& text, const std::string& caption, UINT flags) {
    return MessageBoxA(MainWindow, text.c_str(), caption.c_str(), flags);
}

// A page's framed control: the etched frame with the control 2 pixels inside it.
struct Wizard::Framed {
    HWND frame = nullptr;
    HWND control = nullptr;
    void Remove() {
        DestroyWindow(control);
        DestroyWindow(frame);
    }
};

Wizard::Framed Wizard::BuildFramedPage(const PageEntry& page, const std::string& text,
                                       const std::function<void(HWND)>& setUp) {
    FrozenPainting frozen(MainWindow);
    ApplyButton(NextButton, page.next);
    ApplyButton(BackButton, page.back);
    SetHeader(page);
    Framed box{Create(*page.frame), Create(*page.control, text)};
    PlaceOnPage(box.frame, box.control);
    if (page.control == &Layout::TextBox) MakeReadOnly(box.control);
    if (setUp) setUp(box.control);
    return box;
}

void Wizard::BuildTitleBox() {
    Create(Layout::TitleFrame);
    Create(Layout::TitlePanel);
    Create(Layout::PackageTitle, package_.PackTitle);
}

// The built-in entry and one per language file, or nothing without language
// files; returns their number.
int Wizard::FillLanguageList() {
    std::vector<LanguageFile> files = ListLanguageFiles(setupFolder_);
    CurrentLanguage = RussianLanguage;
    if (!files.empty()) {
        SendMessageA(PageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(RussianEntry));
        for (const auto& file : files)
            SendMessageA(PageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(file.entry.c_str()));
    }
    return static_cast<int>(files.size());
}

bool Wizard::BuildMainWindow() {
    WindowClosed = false;
    fonts_.CreateFonts();
    MainWindow = CreateMainWindow(package_.PackTitle, MainWindowProc, this);
    if (!MainWindow) {
        WindowClosed = true;
        return false;
    }
    Create(Layout::BottomRule);
    Create(Layout::VersionLabel, productLine_);
    ShowBanner(Create(Layout::Banner));
    BuildTitleBox();
    HeaderLabel = Create(Layout::HeaderLabel, PageOf(PageId::Language).fixedHeader);
    return true;
}

PageEnd Wizard::ShowWindowIn(const std::string& language) {
    if (!BuildMainWindow()) return PageEnd::Closed;
    CurrentLanguage = RussianLanguage;
    for (const auto& file : ListLanguageFiles(setupFolder_)) {
        if (file.name == language) CurrentLanguage = file.name;
    }
    LoadMessages(texts_, setupFolder_, package_.PackProgramName, CurrentLanguage, MessageScope::Whole);
    BackButton = Create(Layout::BackButton, texts_.BtnBack);
    NextButton = Create(Layout::NextButton, texts_.BtnNext);
    ExitButton = Create(Layout::ExitButton, texts_.BtnExit);
    LanguagePageDone = true;
    // This window's one page is the install page: no way forward or back from it.
    const PageEntry& page = PageOf(PageId::Install);
    SetHeader(page);
    ApplyButton(NextButton, page.next);
    ApplyButton(BackButton, page.back);
    // No page runs before the boxes and the install page: the window shows now.
    ShowWindow(MainWindow, SW_SHOWNORMAL);
    UpdateWindow(MainWindow);
    return PageEnd::Next;
}

void Wizard::RunDisabled(const std::function<void(HWND)>& work) {
    EnableWindow(MainWindow, FALSE);
    work(MainWindow);
    EnableWindow(MainWindow, TRUE);
}

void Wizard::CloseWindow() {
    if (WindowClosed || !MainWindow) return;
    DestroyWindow(MainWindow);
    // The quit message the window's end posts would end the next box at once.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

PageEnd Wizard::ShowLanguagePage() {
    const PageEntry& page = PageOf(PageId::Language);
    if (!BuildMainWindow()) return PageEnd::Closed;

    Framed list{Create(*page.frame), Create(*page.control)};
    PageList = pageControl_ = list.control;
    int languageFiles = FillLanguageList();
    BackButton = Create(Layout::BackButton, "<< &Back");
    NextButton = Create(Layout::NextButton, "&Next >>");
    ExitButton = Create(Layout::ExitButton, "E&xit");
    // Without language files the first page shown is the about page: the
    // window appears with it, built while hidden, rather than empty before it.
    if (languageFiles == 0) {
        list.Remove();
        pageControl_ = nullptr;
        return PageEnd::Next;
    }
    ApplyButton(NextButton, page.next);
    ApplyButton(BackButton, page.back);
    PageEnd end = RunPage();
    LanguagePageDone = true;
    list.Remove();
    pageControl_ = nullptr;
    return end;
}

PageEnd Wizard::ShowAboutPage(const std::string& aboutText, const std::function<void()>& onceShown) {
    Framed box = BuildFramedPage(PageOf(PageId::About), aboutText, [&](HWND) {
        SetWindowTextA(ExitButton, texts_.BtnExit.c_str());
        SetWindowTextA(BackButton, texts_.BtnBack.c_str());
    });
    PageEnd end = RunPage(onceShown);
    pageControl_ = nullptr;
    box.Remove();
    return end;
}

// The list of the copies found, with its tip.
Wizard::Framed Wizard::CreateCopyList(const FoundCopyTable& copies) {
    return BuildFramedPage(PageOf(PageId::CopyList), "", [&](HWND list) {
        PageList = list;
        for (int slot = 0; slot < copies.count(); ++slot) {
            SendMessageA(PageList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(copies.FoundCopies[slot].c_str()));
        }
        tip_.Create(MainWindow, PageList, fonts_.Of(Layout::TipWindow.font));
    });
}

std::optional<PageEnd> Wizard::ShowCopyListPage(const FoundCopyTable& copies) {
    ApplyButton(BackButton, PageOf(PageId::CopyList).back);
    PickedExe = copies.FoundCopies[0];
    std::optional<PageEnd> end;
    if (copies.listCreated) {
        Framed list = CreateCopyList(copies);
        PickedExe.clear();
        CopyListInactive = false;
        LastListSelection = 0;
        end = RunPage();
        CopyListInactive = true;
        list.Remove();
        PageList = pageControl_ = nullptr;
    }
    ChosenFolder = ParentFolder(PickedExe);
    tip_.Stop();
    return end;
}

// The target folder for a folder picked by hand, or "" after telling the user
// why it does not do. A folder with an interrupted run in it, nearer than the
// first that holds the executable, is taken as it is.
std::string Wizard::CheckPickedFolder(const std::string& picked) {
    for (const auto& candidate : FolderAndAncestors(picked, 4)) {
        // An empty parent would send the test to the current drive's root.
        if (candidate.empty()) continue;
        if (UnfinishedRunIn && UnfinishedRunIn(candidate)) return candidate;
        if (FileIsPresent(JoinPath(candidate, package_.PackExeName))) break;
    }
    std::string folder = FindExeFolder(picked, package_.PackExeName);
    if (folder.empty()) {
        ShowOwnedBox(texts_.MsgNotInFolder, texts_.CapWarning, MB_SYSTEMMODAL | MB_ICONWARNING | MB_OK);
        return "";
    }
    return AcceptsTarget(folder) ? folder : "";
}

bool Wizard::AcceptsTarget(const std::string& folder) {
    std::string exe = JoinPath(folder, package_.PackExeName);
    if (!FileIsPresent(exe)) {
        ShowOwnedBox(texts_.MsgNotInFolder, texts_.CapWarning, MB_SYSTEMMODAL | MB_ICONWARNING | MB_OK);
        return false;
    }
    if (!IsVersionSupported(setupFolder_, package_, GetFileVersionString(exe), exe)) {
        ShowOwnedBox(texts_.MsgIncompatibleVersion, texts_.CapWarning, MB_SYSTEMMODAL | MB_ICONWARNING | MB_OK);
        return false;
    }
    return true;
}

PageEnd Wizard::ShowFolderPage() {
    Framed box = BuildFramedPage(PageOf(PageId::Folder), texts_.MsgNoCopyFound);
    PageEnd end = PageEnd::Next;
    for (;;) {
        end = RunPage();
        if (end == PageEnd::Closed) return end;
        if (end == PageEnd::Back) break;
        ChosenFolder.clear();
        // The browser's tree relies on COM; one apartment serves the whole run.
        if (!com_) com_ = std::make_unique<ComApartment>();
        std::string picked = ChooseFolder(MainWindow, texts_.LblChooseFolder);
        if (picked.empty()) continue;
        std::string folder = CheckPickedFolder(picked);
        if (folder.empty()) continue;
        ChosenFolder = folder;
        break;
    }
    box.Remove();
    pageControl_ = nullptr;
    return end;
}

// The progress bar and the elapsed-time label, right after the header.
std::unique_ptr<InstallPage> Wizard::CreateProgressControls() {
    auto progress = std::make_unique<InstallPage>(MainWindow, fonts_, texts_.LblElapsed);
    PlaceAfter(progress->progressBar(), HeaderLabel);
    PlaceAfter(progress->elapsedLabel(), progress->progressBar());
    return progress;
}

bool Wizard::ShowInstallPage(const std::function<InstallOutcome(InstallProgress&)>& install,
                             const std::function<std::string()>& failureDetails) {
    const PageEntry& page = PageOf(PageId::Install);
    SetHeader(page);
    ApplyButton(NextButton, page.next);
    ApplyButton(BackButton, page.back);
    EnableWindow(ExitButton, FALSE);
    std::unique_ptr<InstallPage> progress = CreateProgressControls();
    FocusPage();  // no button takes it while they are all disabled
    InstallOutcome outcome = install(*progress);
    if (outcome == InstallOutcome::Abandoned) return false;  // the user chose to leave: no box
    progress->FinishProgressSteps();
    if (outcome == InstallOutcome::Installed) {
        ShowMessageBox(texts_.MsgInstallOk, texts_.CapMessage, MB_SYSTEMMODAL | MB_ICONINFORMATION);
    } else if (outcome == InstallOutcome::Busy) {
        // Another setup took the copy after this one looked: nothing was changed.
        ShowMessageBox(texts_.MsgCopyBusy + "\r\n\r\n" + ChosenFolder, texts_.CapWarning,
                       MB_SYSTEMMODAL | MB_ICONWARNING);
    } else {
        ShowMessageBox(texts_.MsgInstallFailed + (failureDetails ? failureDetails() : ""), texts_.CapMessage,
                       MB_SYSTEMMODAL | MB_ICONERROR);
    }
    EnableWindow(ExitButton, TRUE);
    // The page ends at WM_QUIT. A window closed during the run has already
    // posted it and the pump took it; one closed behind the owner-less result
    // box left it queued, where it would end the closing questions at once.
    if (WindowClosed) {
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        return true;
    }
    progress->RepostPumpedQuit();
    RunPage();
    return true;
}

void Wizard::OnDestroy() {
    WindowClosed = true;
    PostQuitMessage(0);
}

// Exit button and close box alike: only a Yes ends the run.
void Wizard::ConfirmExit() {
    if (ShowOwnedBox(texts_.MsgExitConfirm, texts_.CapExitConfirm, MB_SYSTEMMODAL | MB_ICONQUESTION | MB_YESNO) ==
        IDYES) {
        DestroyWindow(MainWindow);
    }
}

void Wizard::EndPage(bool back) {
    PostQuitMessage(0);
    GoBack = back;
}

static int CurrentSelection(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)); }

// Every notification ends by recording the selection, so the focus
// notification before a first click records -1 and that click counts.
void Wizard::HandleListSelection(bool inactive, const std::function<void(const std::string&)>& onPick) {
    if (inactive) return;
    int selection = CurrentSelection(PageList);
    if (selection != LastListSelection && selection != LB_ERR) {
        onPick(ListItemText(PageList, selection));
        EnableWindow(NextButton, TRUE);
    }
    LastListSelection = CurrentSelection(PageList);
}

void Wizard::HandleCopyListSelection() {
    HandleListSelection(CopyListInactive, [&](const std::string& exe) { PickedExe = exe; });
}

void Wizard::HandleLanguageListSelection() {
    HandleListSelection(LanguagePageDone, [&](const std::string& entry) {
        std::string language = LanguageKeyForEntry(setupFolder_, entry);
        LoadMessages(texts_, setupFolder_, package_.PackProgramName, language, MessageScope::LanguagePage);
        CurrentLanguage = language;
        SetWindowTextA(NextButton, texts_.BtnNext.c_str());
    });
}

void Wizard::OnCommand(int id) {
    switch (id) {
        case CmdExit:
        case IDCANCEL:  // Esc
            ConfirmExit();
            break;
        case CmdCopyList: HandleCopyListSelection(); break;
        case CmdNext: EndPage(false); break;
        case CmdBack: EndPage(true); break;
        case CmdLanguageList: HandleLanguageListSelection(); break;
        default: break;
    }
}
