// The wizard on its one main window: the pages the driver runs in turn, and
// the navigation state the window's buttons and lists change while a page
// runs (which way it ended, whether the window is gone, the language picked,
// the copy picked). The pages show what the lower modules return.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "base/handles.h"
#include "base/package.h"
#include "discovery/found_copies.h"
#include "engine/install_run.h"
#include "lang/catalogue.h"
#include "ui/hover_tip.h"
#include "ui/toolkit.h"

class InstallPage;

// How a page ended: Next or Back pressed, or the window gone (every stage
// then ends at once).
enum class PageEnd { Next, Back, Closed };

class Wizard {
public:
    // `texts` is the run's catalogue: the language page loads into it; the
    // copy and folder pages leave the target folder in `chosenFolder`.
    Wizard(const std::string& setupFolder, const Package& package, Catalogue& texts, std::string& chosenFolder,
           std::string productLine);
    // The window may outlive the wizard by the last moments of the run: it
    // then gets no more calls into it.
    ~Wizard();
    Wizard(const Wizard&) = delete;
    Wizard& operator=(const Wizard&) = delete;

    // Builds the window; with language files, runs the language page until
    // Next or the window is closed, leaving CurrentLanguage set.
    PageEnd ShowLanguagePage();
    // For an install handed on by another instance: builds the window without
    // the language page and loads every text, in `language` when that is a
    // language file listed now, otherwise in the built-in language.
    PageEnd ShowWindowIn(const std::string& language);
    // `onceShown` runs once the page is on the screen, before it takes any input.
    PageEnd ShowAboutPage(const std::string& aboutText, const std::function<void()>& onceShown = nullptr);
    // With two or more copies, shows the list and returns how it ended;
    // ChosenFolder is then the picked copy's folder. Otherwise shows nothing,
    // returns no end and leaves the one copy's folder or "".
    std::optional<PageEnd> ShowCopyListPage(const FoundCopyTable& copies);
    // Until Back, the window's end, or a folder holding a compatible copy
    // picked after Next (then ChosenFolder).
    PageEnd ShowFolderPage();
    // Runs `install` on the progress page, shows its result box, then waits
    // until the window is closed. False when the user abandoned the run by
    // closing the window: then no box is shown. `failureDetails` gives the
    // lines the failure box shows below its first.
    bool ShowInstallPage(const std::function<InstallOutcome(InstallProgress&)>& install,
                         const std::function<std::string()>& failureDetails = nullptr);

    // The folder page's own check of a folder the user named: the target
    // folder, or "" after the box that says why not.
    std::string CheckPickedFolder(const std::string& picked);
    // Runs `work` with the window disabled (its messages still handled by
    // whoever waits); `work` gets the window to own what it shows.
    void RunDisabled(const std::function<void(HWND)>& work);
    // Ends the window as a confirmed Exit does, for boxes that follow alone.
    void CloseWindow();

    // True when the target folder's executable is there and of a version the
    // package fits; otherwise tells the user which (owned warning) and is false.
    bool AcceptsTarget(const std::string& folder);

    // A box owned by the main window (system-modal, like every box).
    int ShowOwnedBox(const std::string& text, const std::string& caption, UINT flags);

    // What the pages leave for the driver.
    bool WindowClosed = false;  // the window is gone: every stage ends at once
    std::string CurrentLanguage;
    // Whether a folder holds what an interrupted run left; such a folder picked
    // by hand is taken before its executable is judged (the driver settles the
    // run first, then asks AcceptsTarget).
    std::function<bool(const std::string& folder)> UnfinishedRunIn;

    // The window's own events, from its procedure.
    void OnDestroy();
    void ConfirmExit();
    void OnCommand(int id);
    // The button Enter presses: the focused one, else Next while it is enabled.
    LRESULT DefaultButton() const;
    // The focus leaves with the window's activation and comes back with it.
    void RememberFocus();
    void RestoreFocus();

private:
    struct Framed;

    HWND Create(const ControlTemplate& control, const std::string& text = "");
    void SetHeader(const PageEntry& page);
    void ApplyButton(HWND button, ButtonState state);
    PageEnd RunPage(const std::function<void()>& onceShown = nullptr);
    // The page's header, buttons and framed control, put together unseen and
    // painted once; `setUp` finishes the control before the page shows.
    Framed BuildFramedPage(const PageEntry& page, const std::string& text = "",
                           const std::function<void(HWND)>& setUp = nullptr);
    void BuildTitleBox();
    int FillLanguageList();
    bool BuildMainWindow();
    Framed CreateCopyList(const FoundCopyTable& copies);
    std::unique_ptr<InstallPage> CreateProgressControls();
    // A page's list or text box goes right after the header in Z order.
    void PlaceOnPage(HWND frame, HWND control);
    HWND FocusTarget() const;
    void FocusPage();
    void ShowBanner(HWND banner);
    void EndPage(bool back);
    void HandleListSelection(bool inactive, const std::function<void(const std::string&)>& onPick);
    void HandleCopyListSelection();
    void HandleLanguageListSelection();

    const std::string setupFolder_;
    const Package& package_;
    Catalogue& texts_;
    std::string& ChosenFolder;  // the target folder the copy or folder page found
    const std::string productLine_;
    Fonts fonts_;
    GdiObject BannerImage;  // shown by the banner, which does not own it
    HWND MainWindow = nullptr;
    HWND HeaderLabel = nullptr;
    HWND BackButton = nullptr;
    HWND NextButton = nullptr;
    HWND ExitButton = nullptr;
    HWND PageList = nullptr;  // the list box of the current page
    HWND pageControl_ = nullptr;  // the current page's list or text box, which gets the focus
    HWND lastFocus_ = nullptr;   // the control that had the focus when the window was deactivated
    HoverTip tip_;
    std::unique_ptr<ComApartment> com_;  // entered for the folder browser only
    bool GoBack = false;                 // the page ended with Back
    bool LanguagePageDone = false;       // language list notifications are ignored
    bool CopyListInactive = true;        // copy list notifications are ignored
    int LastListSelection = 0;           // the last list selection handled
    std::string PickedExe;               // the copy picked in the list
};
