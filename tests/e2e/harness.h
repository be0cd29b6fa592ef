// Drives a real setup.exe from outside: starts it in a prepared setup folder,
// finds its windows by process and class, reads texts, presses buttons and
// waits for conditions with a deadline (never a bare sleep).
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct SetupProcess {
    PROCESS_INFORMATION info{};
    ~SetupProcess();  // kills a process that is still running
    DWORD pid() const { return info.dwProcessId; }
    bool running() const;
    // Waits for the exit; returns the exit code, or -1 on timeout.
    int waitExit(DWORD timeoutMs = 10000);
};

// The token setup starts with. Standard: an administrator's programs as the
// system starts them with consent prompts on (the limited half of the split
// token, where the system has one). Elevated: this process's own.
enum class SetupRights { Standard, Elevated };
// The Standard token as a primary token to start a process with (the caller
// closes it); null when this process's token is not split.
HANDLE LimitedToken();

// Copies the built setup.exe into `folder` and starts it there, with the
// current folder set to `currentFolder` (the setup folder when empty).
void StartSetup(SetupProcess& process, const std::string& folder, const std::string& currentFolder = "");
// The same with another build of setup.exe (a signed copy, say), arguments
// after the program's name, and the rights it runs with.
void StartSetupFrom(SetupProcess& process, const std::string& builtExe, const std::string& folder,
                    const std::string& currentFolder = "", const std::string& arguments = "",
                    SetupRights rights = SetupRights::Standard);
// Whether the process's token is elevated (false where the system does not say).
bool ProcessTokenIsElevated(DWORD pid);
// The process that started `pid` (0 when it cannot be found).
DWORD ParentProcessOf(DWORD pid);

// Polls `condition` until it holds or `timeoutMs` passes.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// Visible top-level windows of the process with the class (any class when empty).
std::vector<HWND> TopWindows(DWORD pid, const std::string& className = "");
// Waits for a visible top-level window of the process with that class; 0 on timeout.
HWND WaitForTopWindow(DWORD pid, const std::string& className, DWORD timeoutMs = 10000);
// Waits for a message box ("#32770") of the process; 0 on timeout.
HWND WaitForMessageBox(DWORD pid, DWORD timeoutMs = 10000);

std::string WindowText(HWND window);
std::string ClassOf(HWND window);
// The text of a message box (its static with id 0xFFFF).
std::string MessageBoxText(HWND box);
// Presses the button with that id in a dialog or message box (IDOK, IDYES, ...).
void PressDialogButton(HWND dialog, int id);

// A message box proper: a "#32770" of the process with the text static (id 0xFFFF).
HWND WaitForTextBox(DWORD pid, DWORD timeoutMs = 10000);
// The shell's folder browser: a "#32770" of the process holding a tree view.
HWND WaitForFolderBrowser(DWORD pid, DWORD timeoutMs = 10000);
// Waits until the window is gone.
bool WaitGone(HWND window, DWORD timeoutMs = 10000);

// A box the wizard showed, as read before it was answered.
struct BoxSeen {
    std::string caption;
    std::string text;
};
// Waits for the next message box, reads it, presses `buttonId` and waits until it is gone.
BoxSeen AnswerBox(DWORD pid, int buttonId);

// What the user does on the main window, sent as the controls would send it.
// A click on a button: the main window gets the button's WM_COMMAND (posted,
// since the command may open a modal box).
void ClickButton(HWND mainWindow, int id);
// A click on a list item: the focus notification, the selection, then the
// selection-change notification, each handled before the next.
void ClickListItem(HWND mainWindow, int listId, int index);
// The texts of a list box's items.
std::vector<std::string> ListItems(HWND list);
// The child of `parent` at that client rectangle: the wizard's header label and
// page text boxes have no id of their own.
HWND ChildAt(HWND parent, int x, int y, int width, int height);
// The keyboard as the user's hand: keys go to the window that has the focus
// in `anyWindow`'s thread, posted as the keyboard driver posts them.
HWND FocusedWindow(HWND anyWindow);
void PressKey(HWND anyWindow, UINT virtualKey);
// Alt+letter (a mnemonic) and Alt+F4.
void PressAltKey(HWND anyWindow, char letter);
void PressAltF4(HWND anyWindow);
// A real mouse click in a list box, at the middle of the row `index`.
void MouseClickListRow(HWND list, int index);
// Waits for the next message box and answers it with the keyboard: Tab
// `tabs` times from its default button, then Enter.
BoxSeen AnswerBoxByKey(DWORD pid, int tabs = 0);
// The label a screen reader reads for a control: the nearest static with text
// before it in Z order ("" when there is none).
std::string ScreenReaderLabel(HWND control);
// Puts `folder` into the folder browser's tree and presses OK.
void PickFolderInBrowser(HWND browser, DWORD pid, const std::string& folder);
