// The demo's scripted walk: starts setup.exe and goes through every page as a
// user would, asking the demo script for a screenshot at each stop.
//   walker.exe SETUP_EXE SIGNAL_FOLDER [LANGUAGE]
// LANGUAGE picks the language list's entry starting with it (the first entry,
// Russian, when not given); a package without language files has no such page.
// A stop is a file NN-name.want in the signal folder; the script answers with
// NN-name.done once the shot is saved. The walk ends with walk.ok or walk.failed.
#include <windows.h>

#include <stdexcept>
#include <string>

#include "e2e/harness.h"
#include "ui/layout.h"

static std::string SignalFolder;
static std::string Language;
static int ShotNumber = 0;

static void WriteSignal(const std::string& name, const std::string& text) {
    HANDLE file = CreateFileA((SignalFolder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD wrote = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
    CloseHandle(file);
}

// Repaints the window, then waits until the script has taken the shot.
static void Shot(const std::string& name, HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    char number[8];
    wsprintfA(number, "%02d", ++ShotNumber);
    std::string stem = std::string(number) + "-" + name;
    WriteSignal(stem + ".want", "");
    std::string done = SignalFolder + "\\" + stem + ".done";
    if (!WaitFor([&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000)) {
        throw std::runtime_error("no screenshot was taken for " + stem);
    }
}

// A message box over the wizard. Without a window manager Wine never paints a
// box where it overlaps another window of its process, so the box is moved
// just below the wizard for its shot; on a screen too short for both (a high
// DPI) the wizard moves up for that shot and back afterwards.
static void BoxShot(const std::string& name, HWND box, HWND main) {
    RECT wizard{}, place{};
    if (!IsWindow(main) || !GetWindowRect(main, &wizard) || !GetWindowRect(box, &place)) {
        Shot(name, box);
        return;
    }
    int boxHeight = place.bottom - place.top;
    int room = GetSystemMetrics(SM_CYSCREEN) - 8 - boxHeight;
    int wizardTop = wizard.top;
    if (wizard.bottom > room) {
        wizardTop = room - (wizard.bottom - wizard.top);
        if (wizardTop < 0) wizardTop = 0;
        SetWindowPos(main, nullptr, wizard.left, wizardTop, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowPos(box, HWND_TOP, place.left, wizardTop + (wizard.bottom - wizard.top) + 8, 0, 0, SWP_NOSIZE);
    Shot(name, box);
    if (wizardTop != wizard.top) {
        SetWindowPos(main, nullptr, wizard.left, wizard.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

static void Require(bool condition, const std::string& what) {
    if (!condition) throw std::runtime_error(what);
}

static HWND NextBox(DWORD pid, const std::string& what) {
    HWND box = WaitForTextBox(pid, 20000);
    Require(box != nullptr, "no message box: " + what);
    return box;
}

static void Answer(HWND box, int button) {
    PressDialogButton(box, button);
    Require(WaitGone(box), "a message box stayed");
}

static bool HasList(HWND main, int id) { return GetDlgItem(main, id) != nullptr; }

// Rests the mouse on the third copy, whose path is wider than the list, so its
// tip shows the whole path; then moves the mouse away again. A pointer moved
// from another process reaches the wizard a moment later, so the rest is tried
// again from outside the list when no tip comes.
static void ShowLongPathTip(HWND main, DWORD pid) {
    RECT list{};
    HWND copies = GetDlgItem(main, CmdCopyList);
    GetWindowRect(copies, &list);
    int row = static_cast<int>(SendMessageA(copies, LB_GETITEMHEIGHT, 0, 0));  // follows the screen's DPI
    HWND tip = nullptr;
    for (int attempt = 0; attempt < 5 && !tip; ++attempt) {
        SetCursorPos(list.left - 40, list.bottom + 40);
        SetCursorPos(list.left + 60, list.top + 2 * row + row / 2);
        tip = WaitForTopWindow(pid, "tooltips_class32", 2000);
    }
    Require(tip != nullptr, "the long path showed no tip");
    Shot("copy-list-tip", main);
    SetCursorPos(list.left - 40, list.bottom + 40);
    WaitGone(tip, 5000);
}

// The about page is ready once its text box shows the package's text.
static bool AboutPageShown(HWND main) {
    HWND text = FindWindowExA(main, nullptr, "Edit", nullptr);
    return text && !WindowText(text).empty() && !IsWindowEnabled(GetDlgItem(main, CmdBack));
}

// The language list's entry that starts with the language asked for.
static int LanguageEntry(HWND main) {
    if (Language.empty()) return 0;  // Russian [Русский]
    std::vector<std::string> entries = ListItems(GetDlgItem(main, CmdLanguageList));
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].rfind(Language, 0) == 0) return static_cast<int>(i);
    }
    throw std::runtime_error("no language entry starts with " + Language);
}

// After the install: the closing boxes, which depend on the run's result and
// on the copies, taken as they come; every question is answered No.
static void CloseBoxes(SetupProcess& setup, HWND main) {
    for (;;) {
        HWND box = nullptr;
        Require(WaitFor([&] { return (box = WaitForTextBox(setup.pid(), 0)) != nullptr || !setup.running(); }, 20000),
                "setup.exe neither asked nor ended");
        if (!box) return;
        bool question = GetDlgItem(box, IDNO) != nullptr;
        BoxShot(question ? "launch-question" : "other-copies", box, main);
        Answer(box, question ? IDNO : IDOK);
    }
}

static void Walk(SetupProcess& setup) {
    DWORD pid = setup.pid();
    HWND main = WaitForTopWindow(pid, "myWindow", 30000);
    Require(main != nullptr, "the wizard window did not appear");
    Require(WaitFor([&] { return HasList(main, CmdLanguageList) || AboutPageShown(main); }), "no first page");
    if (HasList(main, CmdLanguageList)) {
        Shot("language-page", main);
        ClickListItem(main, CmdLanguageList, LanguageEntry(main));
        Shot("language-picked", main);
        ClickButton(main, CmdNext);
    }
    Require(WaitFor([&] { return AboutPageShown(main); }), "the about page did not come");
    Shot("about-page", main);
    ClickButton(main, CmdNext);
    Require(WaitFor([&] { return HasList(main, CmdCopyList); }, 20000), "no copy list");
    Shot("copy-list", main);
    ShowLongPathTip(main, pid);
    ClickListItem(main, CmdCopyList, 1);
    Shot("copy-picked", main);
    ClickButton(main, CmdNext);
    HWND box = NextBox(pid, "folder found");
    BoxShot("folder-found", box, main);
    Answer(box, IDOK);
    box = NextBox(pid, "install result");
    BoxShot("install-result", box, main);
    Answer(box, IDOK);
    Shot("progress-page", main);
    ClickButton(main, CmdExit);
    box = NextBox(pid, "exit confirmation");
    BoxShot("exit-confirmation", box, main);
    Answer(box, IDYES);
    CloseBoxes(setup, main);
    Require(setup.waitExit(20000) == 0, "setup.exe did not end with exit code 0");
}

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) return 2;
    SignalFolder = argv[2];
    if (argc == 4) Language = argv[3];
    SetupProcess setup;
    std::string commandLine = std::string("\"") + argv[1] + "\"";
    std::string exe = argv[1];
    std::string folder = exe.substr(0, exe.find_last_of('\\'));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &setup.info)) {
        WriteSignal("walk.failed", "cannot start " + exe);
        return 1;
    }
    try {
        Walk(setup);
    } catch (const std::exception& failure) {
        WriteSignal("walk.failed", failure.what());
        return 1;
    }
    WriteSignal("walk.ok", "");
    return 0;
}
