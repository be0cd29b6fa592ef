// The wizard's pages driven as a user would: languages, the about page, the
// copy list, the folder page with its chooser, and leaving the program.
#include <algorithm>

#include "e2e/wizard_fixture.h"
#include "ui/layout.h"

static const char AboutHeaderRu[] = "О пакете:";
static const char FolderHeaderRu[] = "Программа не найдена:";

// Next on the folder page opens the folder browser.
static HWND OpenFolderBrowser(HWND main, DWORD pid) {
    ClickButton(main, CmdNext);
    return WaitForFolderBrowser(pid);
}

TEST_F(WizardRun, WithoutLanguageFilesTheAboutPageOpensInRussianAndExitAsksFirst) {
    Start();
    ASSERT_TRUE(WaitForHeader(AboutHeaderRu)) << Header();
    EXPECT_EQ(GetDlgItem(main, CmdLanguageList), nullptr);
    EXPECT_EQ(Text(CmdExit), "&Выход");
    EXPECT_EQ(Text(CmdBack), "<< &Назад");
    EXPECT_FALSE(Enabled(CmdBack));
    EXPECT_TRUE(Enabled(CmdNext));
    EXPECT_EQ(WindowText(main), "Quillset Demo Pack 2.1");
    EXPECT_EQ(PageText().substr(0, 37), "Демонстрационный пакет Quillset 2.1\r\n") << PageText();

    ClickButton(main, CmdExit);
    BoxSeen no = AnswerBox(process.pid(), IDNO);
    EXPECT_EQ(no.text, "Действительно хотите закрыть программу?");
    EXPECT_EQ(no.caption, "Подтверждение выхода...");
    EXPECT_TRUE(process.running());
    EXPECT_EQ(Header(), AboutHeaderRu);

    PostMessageA(main, WM_CLOSE, 0, 0);  // the close box asks the same question
    AnswerBox(process.pid(), IDYES);
    EXPECT_EQ(process.waitExit(), 0);
}

TEST_F(WizardRun, LanguagePicksSwitchTextsAndAShortFileKeepsTheEarlierOnes) {
    UseDemoLanguages();
    WriteLanguage("Short.txt", "Shorty\r\n// only the first three lines\r\nQuit now?\r\n\r\nLeave\r\nOnward\r\n");
    Start();
    ASSERT_TRUE(WaitForHeader("Please select a language:"));
    auto items = ListItems(List(CmdLanguageList));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0], "Russian [Русский]");
    EXPECT_NE(std::find(items.begin(), items.end(), "English [English]"), items.end());
    EXPECT_NE(std::find(items.begin(), items.end(), "Short [Shorty]"), items.end());
    EXPECT_FALSE(Enabled(CmdNext));
    EXPECT_FALSE(Enabled(CmdBack));
    EXPECT_EQ(Text(CmdNext), "&Next >>");

    ClickButton(main, CmdExit);  // English until a language is picked
    EXPECT_EQ(AnswerBox(process.pid(), IDNO).text, "Do you really want to close the program?");

    ClickListItem(main, CmdLanguageList, 0);  // the very first click counts, on the first entry too
    EXPECT_TRUE(Enabled(CmdNext));
    EXPECT_EQ(Text(CmdNext), "&Далее >>");
    ClickButton(main, CmdExit);
    EXPECT_EQ(AnswerBox(process.pid(), IDNO).caption, "Подтверждение выхода...");

    ASSERT_TRUE(PickEntry(CmdLanguageList, "English [English]"));
    EXPECT_EQ(Text(CmdNext), "&Next >>");
    ASSERT_TRUE(PickEntry(CmdLanguageList, "Short [Shorty]"));
    EXPECT_EQ(Text(CmdNext), "Onward >>");

    ClickButton(main, CmdNext);
    // The short file reaches three texts; the rest stay English.
    ASSERT_TRUE(WaitForHeader("About the package:")) << Header();
    EXPECT_EQ(Text(CmdExit), "E&xit");
    EXPECT_EQ(Text(CmdBack), "<< &Back");
    EXPECT_EQ(PageText().substr(0, 24), "Quillset Demo Pack 2.1\r\n");
    ClickButton(main, CmdExit);
    BoxSeen yes = AnswerBox(process.pid(), IDYES);
    EXPECT_EQ(yes.text, "Quit now?");
    EXPECT_EQ(yes.caption, "Leave...");
    EXPECT_EQ(process.waitExit(), 0);
}

TEST_F(WizardRun, OneCopyIsTakenWithoutAListAndDuplicateRecordsCountOnce) {
    std::string copy = MakeRecordedCopy("Only");
    AddCopyRecord(copy + "\\quill.exe");
    StampCopy(copy, "Version.ini", "2.1");
    Start();
    ASSERT_TRUE(WaitForHeader(AboutHeaderRu));
    ClickButton(main, CmdNext);
    BoxSeen found = AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(found.text, "Папка программы успешно найдена!\r\nПуть к найденной папке: \"" + copy + "\"");
    EXPECT_EQ(found.caption, "Предупреждение...");
    EXPECT_EQ(GetDlgItem(main, CmdCopyList), nullptr);
    CancelAtReinstallQuestion();
}

TEST_F(WizardRun, TwoCopiesAreListedAndBackReturnsToTheAboutPage) {
    std::string first = MakeRecordedCopy("First");
    std::string second = MakeRecordedCopy("Second");
    StampCopy(second, "Version.ini", "2.1");
    Start();
    ASSERT_TRUE(WaitForHeader(AboutHeaderRu));
    ClickButton(main, CmdNext);
    ASSERT_TRUE(WaitForHeader("Выберите копию программы Quillset для установки:")) << Header();
    EXPECT_EQ(ListItems(List(CmdCopyList)),
              (std::vector<std::string>{first + "\\quill.exe", second + "\\quill.exe"}));
    EXPECT_FALSE(Enabled(CmdNext));
    EXPECT_TRUE(Enabled(CmdBack));

    ClickButton(main, CmdBack);
    ASSERT_TRUE(WaitForHeader(AboutHeaderRu));
    EXPECT_EQ(GetDlgItem(main, CmdCopyList), nullptr);
    EXPECT_FALSE(Enabled(CmdBack));

    ClickButton(main, CmdNext);
    ASSERT_TRUE(WaitForHeader("Выберите копию программы Quillset для установки:"));
    EXPECT_FALSE(Enabled(CmdNext));
    ClickListItem(main, CmdCopyList, 0);
    EXPECT_TRUE(Enabled(CmdNext));
    ClickListItem(main, CmdCopyList, 1);
    ClickButton(main, CmdNext);
    BoxSeen found = AnswerBox(process.pid(), IDOK);
    EXPECT_NE(found.text.find("\"" + second + "\""), std::string::npos) << found.text;
    CancelAtReinstallQuestion();
}

TEST_F(WizardRun, FolderPageGoesBackToAboutAndSurvivesACancelledChooser) {
    std::string copy = MakeCopy("ByHand");
    StampCopy(copy, "Version.ini", "2.1");
    std::string deep = copy + "\\a\\b\\c\\d";
    MakeFolders(deep);
    Start();
    ASSERT_TRUE(WaitForHeader(AboutHeaderRu));
    ClickButton(main, CmdNext);
    ASSERT_TRUE(WaitForHeader(FolderHeaderRu)) << Header();
    EXPECT_EQ(PageText().substr(0, 36), "Не найдено ни одной копии программы!");
    EXPECT_NE(PageText().find("Запустите программу Quillset и после этого нажмите "), std::string::npos);
    EXPECT_TRUE(Enabled(CmdBack));
    EXPECT_TRUE(Enabled(CmdNext));

    ClickButton(main, CmdBack);
    ASSERT_TRUE(WaitForHeader(AboutHeaderRu));
    ClickButton(main, CmdNext);
    ASSERT_TRUE(WaitForHeader(FolderHeaderRu));

    HWND browser = OpenFolderBrowser(main, process.pid());
    ASSERT_NE(browser, nullptr);
    PressDialogButton(browser, IDCANCEL);
    ASSERT_TRUE(WaitGone(browser));
    EXPECT_EQ(WaitForTextBox(process.pid(), 300), nullptr);  // no message after a cancel
    EXPECT_EQ(Header(), FolderHeaderRu);

    browser = OpenFolderBrowser(main, process.pid());  // four levels below the program still finds it
    ASSERT_NE(browser, nullptr);
    PickFolderInBrowser(browser, process.pid(), deep);
    BoxSeen found = AnswerBox(process.pid(), IDOK);
    EXPECT_NE(found.text.find("\"" + copy + "\""), std::string::npos) << found.text;
    CancelAtReinstallQuestion();
}

TEST_F(WizardRun, FolderFiveLevelsBelowTheProgramIsRefused) {
    std::string copy = MakeCopy("TooDeep");
    std::string deeper = copy + "\\a\\b\\c\\d\\e";
    MakeFolders(deeper);
    Start();
    ASSERT_TRUE(WaitForHeader(AboutHeaderRu));
    ClickButton(main, CmdNext);
    ASSERT_TRUE(WaitForHeader(FolderHeaderRu));
    HWND browser = OpenFolderBrowser(main, process.pid());
    ASSERT_NE(browser, nullptr);
    PickFolderInBrowser(browser, process.pid(), deeper);
    BoxSeen refused = AnswerBox(process.pid(), IDOK);
    EXPECT_EQ(refused.text, "В выбранной папке программа не обнаружена!");
    EXPECT_EQ(refused.caption, "Предупреждение...");
    EXPECT_EQ(Header(), FolderHeaderRu);  // the page shows again
    ClickButton(main, CmdExit);
    AnswerBox(process.pid(), IDYES);
    EXPECT_EQ(process.waitExit(), 0);
    EXPECT_FALSE(PathExists(PackageFolder(copy)));
}

// A translator's slip in a template does not stop the install: the name goes
// in at the first %s and the rest of the line shows as written.
TEST_F(WizardRun, ALanguageFileWithBadTemplatesStillInstallsAndShowsThemAsWritten) {
    UseDemoLanguages();
    std::string english = ReadBytes(setup / "Language\\English.txt");
    for (auto [from, to] : {std::pair<std::string, std::string>{"Start %s now?", "Start %s now (%s, %d)?"},
                            {"The program %s is running", "The program %d is running"}}) {
        size_t at = english.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        english.replace(at, from.size(), to);
    }
    WriteLanguage("English.txt", english);
    std::string copy = MakeRecordedCopy("Game");
    Start();
    ASSERT_TRUE(WaitForHeader("Please select a language:"));
    HWND list = List(CmdLanguageList);
    auto items = ListItems(list);
    auto entry = std::find(items.begin(), items.end(), "English [English]");
    ASSERT_NE(entry, items.end());
    // Posted, not sent: a pick that opened a box would hold a sent message until it closed.
    SendMessageA(list, LB_SETCURSEL, entry - items.begin(), 0);
    PostMessageA(main, WM_COMMAND, MAKEWPARAM(CmdLanguageList, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    ASSERT_TRUE(WaitFor([&] { return Enabled(CmdNext); })) << "the pick ended in a box";
    ClickButton(main, CmdNext);
    ASSERT_TRUE(WaitForHeader("About the package:"));
    ClickButton(main, CmdNext);
    EXPECT_EQ(AnswerBox(process.pid(), IDOK).caption, "Warning...");
    EXPECT_EQ(AnswerBox(process.pid(), IDOK).text, "The package was installed successfully!");
    ASSERT_TRUE(WaitFor([&] { return Enabled(CmdExit); }));
    ClickButton(main, CmdExit);
    AnswerBox(process.pid(), IDYES);
    EXPECT_EQ(AnswerBox(process.pid(), IDNO).text, "Start Quillset now (%s, %d)?");
    EXPECT_EQ(process.waitExit(), 0);
    EXPECT_EQ(ReadBytes(PackageFolder(copy) + "\\Version.ini"), "2.1\r\n");
}
