// A wizard run to drive: a setup folder holding the demo package, installed
// copies of the stand-in target program with their registry records, the
// running setup.exe and what a user sees and does on its main window.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>

#include "e2e/harness.h"
#include "support/test_files.h"

// Copies every file below `from` into `to`, creating folders.
void CopyTree(const std::string& from, const std::string& to);
// Removes HKCU\Software\Torvane\QuillsetPatch with all its records.
void ClearCopyRecords();
// Appends a copy record and raises the count.
void AddCopyRecord(const std::string& exePath, const std::string& version = "1.2.3.4",
                   const std::string& programName = "Quillset");
int CopyRecordCount();

class WizardRun : public ::testing::Test {
protected:
    ScratchDir setup;   // the setup folder: setup.exe beside the package
    ScratchDir copies;  // the installed copies of the target program
    SetupProcess process;
    HWND main = nullptr;

    void SetUp() override;
    void TearDown() override;

    // An installed copy in copies\<name>: quill.exe (a stand-in target built as
    // `program`), its uninstall record and installed-components list. Returns the folder.
    std::string MakeCopy(const std::string& name, const std::string& program = "target.exe");
    // The same copy in any folder (another drive, say).
    void MakeCopyAt(const std::string& folder, const std::string& program = "target.exe");
    // A copy that also has its record; returns the folder.
    std::string MakeRecordedCopy(const std::string& name);
    // Stamps a copy as holding `version` of the package.
    void StampCopy(const std::string& folder, const std::string& file, const std::string& version);
    // The demo package's language files (without them there is no language page).
    void UseDemoLanguages();
    void WriteLanguage(const std::string& fileName, const std::string& lines);

    // Starts setup.exe and waits for its main window.
    void Start();
    std::string Header();
    std::string Text(int id);
    bool Enabled(int id);
    bool WaitForHeader(const std::string& header);
    // The text of the page's read-only text box ("" when there is none).
    std::string PageText();
    HWND List(int id);
    // Clicks the list entry with that text; false when it is not listed.
    bool PickEntry(int listId, const std::string& entry);
    // The rest of a run after the install: the result box, Exit confirmed, the
    // other-copies notice when expected, the launch question; checks exit code 0.
    void FinishAfterInstall(bool otherCopiesNotice, bool launch);
    // Starts setup.exe and picks copy `index` from the copy list after the
    // about page; the folder-found box must name `folder`.
    void PickListedCopy(int index, const std::string& folder);
    // Ends a run at the reinstall question by cancelling it.
    void CancelAtReinstallQuestion();
    // Starts setup.exe in the setup folder and takes it past the about page and
    // the folder-found box of a single recorded copy (with `settle`, past the
    // question about an interrupted run, answered Yes, and the box after it;
    // with `reinstall`, past the reinstall question): the install begins.
    void BeginInstall(SetupProcess& run, const std::string& setupFolder, bool reinstall = false, bool settle = false);
    // A whole run into the one recorded copy; returns the result box's text.
    std::string InstallAndFinish(bool reinstall = false, bool settle = false);
    // From the result box on: answers it, confirms Exit, expects the launch
    // question next (no other-copies notice) and answers No; returns the result's text.
    std::string FinishFromResultBox();
    // The same run with a file in use: its box answered with Cancel, then as above.
    std::string InstallCancellingFileInUse(bool reinstall = false, bool settle = false);
};

std::string PackageFolder(const std::string& copy);

// The boxes' first lines, as the built-in Russian texts say them.
inline const char InstallFailedText[] = "В процессе установки произошла ошибка, попробуйте установить пакет ещё раз!";
inline const char FileInUseText[] =
    "Файл занят другой программой. Закройте её и нажмите \"Повтор\" или нажмите \"Отмена\", чтобы прервать установку:";
inline const char DiskSpaceText[] =
    "На диске недостаточно свободного места для установки пакета. Нужно / свободно (МБ):";
// A box's text up to its first line break: the text, without the details below it.
std::string FirstLine(const std::string& text);
// Presses Cancel on the file-in-use box when one is shown; false when none is.
bool CancelFileInUseBox(DWORD pid);

// Everything below a folder, for comparing trees whole: relative path -> the
// file's bytes, or "<folder>". Reaches paths beyond MAX_PATH.
using TreeBytes = std::map<std::string, std::string>;
TreeBytes TreeOf(const std::string& folder);
// The differences between two trees, one line each, for a failure message.
std::string TreeDifference(const TreeBytes& expected, const TreeBytes& actual);
