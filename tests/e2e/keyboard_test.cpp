// The wizard with the keyboard alone, as a user without a mouse or with a
// screen reader meets it: Tab, the arrows, Enter, Esc, Alt+letter and Alt+F4
// from the language page to the result box, where the focus lands after each
// page change, and which label a screen reader reads for each list and text box.
#include "e2e/wizard_fixture.h"
#include "ui/layout.h"

namespace {

class KeyboardRun : public WizardRun {
protected:
    std::string step;  // what the test was doing, reported with a failure
    void TearDown() override {
        if (HasFailure()) ADD_FAILURE() << "at step: " << step;
        WizardRun::TearDown();
    }
    bool WaitForFocus(HWND control) {
        return WaitFor([&] { return FocusedWindow(main) == control; });
    }
    HWND TextBox() { return ChildAt(main, 75, 107, 340, 152); }
    // Down until the list's selection is `entry`; false when it never is.
    bool ArrowTo(HWND list, const std::string& entry) {
        for (int press = 0; press < 8; ++press) {
            int selection = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
            if (selection >= 0 && ListItems(list)[selection] == entry) return true;
            PressKey(main, VK_DOWN);
            WaitFor([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) != selection; }, 2000);
        }
        return false;
    }
    // Each way of leaving asks first; No keeps the page.
    void ExpectExitQuestion(const char* key, const std::function<void()>& press, const std::string& question) {
        step = key;
        press();
        EXPECT_EQ(AnswerBoxByKey(process.pid(), 1).text, question) << key;
        EXPECT_TRUE(process.running());
        // The next key goes to the window, not to the box still closing.
        EXPECT_TRUE(WaitFor([&] {
            HWND focus = FocusedWindow(main);
            return focus == main || IsChild(main, focus);
        })) << "the focus comes back after the question";
    }
};

}  // namespace

TEST_F(KeyboardRun, TheWholeWizardWithTheKeyboardAlone) {
    UseDemoLanguages();
    MakeRecordedCopy("First");
    std::string second = MakeRecordedCopy("Second");
    Start();
    ASSERT_TRUE(WaitForHeader("Please select a language:"));
    HWND languages = List(CmdLanguageList);
    ASSERT_TRUE(WaitForFocus(languages)) << "the focus starts in the language list";
    EXPECT_EQ(ScreenReaderLabel(languages), "Please select a language:");

    const std::string english = "Do you really want to close the program?";
    ExpectExitQuestion("Esc", [&] { PressKey(main, VK_ESCAPE); }, english);
    ExpectExitQuestion("Alt+F4", [&] { PressAltF4(main); }, english);
    ASSERT_TRUE(WaitForFocus(languages)) << "the focus comes back after the question";

    step = "arrows to English";
    ASSERT_TRUE(ArrowTo(languages, "English [English]"));
    EXPECT_TRUE(Enabled(CmdNext));
    EXPECT_EQ(Text(CmdNext), "&Next >>") << "a language file's own & marks the key too";
    PressKey(main, VK_TAB);
    ASSERT_TRUE(WaitForFocus(GetDlgItem(main, CmdNext))) << "Tab passes over the disabled Back";
    PressKey(main, VK_TAB);
    ASSERT_TRUE(WaitForFocus(GetDlgItem(main, CmdExit)));
    PressKey(main, VK_TAB);
    ASSERT_TRUE(WaitForFocus(languages));
    ExpectExitQuestion("Alt+X", [&] { PressAltKey(main, 'x'); }, english);
    ASSERT_TRUE(WaitForFocus(GetDlgItem(main, CmdExit))) << "Alt+X pressed Exit, which keeps the focus";
    PressKey(main, VK_TAB);
    ASSERT_TRUE(WaitForFocus(languages));

    step = "Enter on the list";
    PressKey(main, VK_RETURN);  // Next, from the list
    ASSERT_TRUE(WaitForHeader("About the package:")) << Header();
    HWND about = TextBox();
    ASSERT_TRUE(WaitForFocus(about));
    EXPECT_EQ(ScreenReaderLabel(about), "About the package:");

    step = "Alt+N to the copy list";
    PressAltKey(main, 'n');
    ASSERT_TRUE(WaitFor([&] { return List(CmdCopyList) != nullptr; }));
    HWND copies = List(CmdCopyList);
    ASSERT_TRUE(WaitForFocus(copies));
    EXPECT_EQ(ScreenReaderLabel(copies), Header());
    EXPECT_FALSE(Enabled(CmdNext));
    PressKey(main, VK_TAB);
    ASSERT_TRUE(WaitForFocus(GetDlgItem(main, CmdBack))) << "Tab passes over the disabled Next";
    step = "Enter on Back";
    PressKey(main, VK_RETURN);  // Enter presses the focused button
    ASSERT_TRUE(WaitForHeader("About the package:"));
    ASSERT_TRUE(WaitForFocus(TextBox()));

    step = "Enter in the text box";
    PressKey(main, VK_RETURN);  // the text box leaves Enter to the window
    ASSERT_TRUE(WaitFor([&] { return List(CmdCopyList) != nullptr; }));
    copies = List(CmdCopyList);
    ASSERT_TRUE(WaitForFocus(copies));
    ASSERT_TRUE(ArrowTo(copies, second + "\\quill.exe"));
    EXPECT_TRUE(Enabled(CmdNext));
    step = "Enter with a copy picked";
    PressKey(main, VK_RETURN);
    EXPECT_NE(AnswerBoxByKey(process.pid()).text.find(second), std::string::npos);
    EXPECT_EQ(AnswerBoxByKey(process.pid()).text, "The package was installed successfully!");

    step = "after the install";
    HWND exitButton = GetDlgItem(main, CmdExit);
    ASSERT_TRUE(WaitForFocus(exitButton)) << "after the run the focus is on Exit, the one enabled button";
    PressKey(main, VK_RETURN);
    EXPECT_EQ(AnswerBoxByKey(process.pid()).text, english);  // Yes
    AnswerBoxByKey(process.pid());                           // the other copies notice
    EXPECT_EQ(AnswerBoxByKey(process.pid(), 1).text, "Start Quillset now?");  // No
    EXPECT_EQ(process.waitExit(), 0);
    EXPECT_TRUE(PathExists(PackageFolder(second) + "\\Data\\Maps\\valley.map"));
}

// Alt with a Cyrillic letter needs a Russian keyboard layout, which the test
// display does not have: the Russian captions are checked for their marks and
// the page is left by Tab and Enter.
TEST_F(KeyboardRun, TheFolderPageInRussian) {
    Start();
    ASSERT_TRUE(WaitForHeader("О пакете:"));
    ASSERT_TRUE(WaitForFocus(TextBox()));
    EXPECT_EQ(Text(CmdNext), "&Next >>") << "the language page's caption stays";
    PressAltKey(main, 'n');
    ASSERT_TRUE(WaitForHeader("Программа не найдена:")) << Header();
    HWND instructions = TextBox();
    ASSERT_TRUE(WaitForFocus(instructions));
    EXPECT_EQ(ScreenReaderLabel(instructions), "Программа не найдена:");
    EXPECT_EQ(Text(CmdBack), "<< &Назад");
    EXPECT_EQ(Text(CmdExit), "&Выход");
    PressKey(main, VK_TAB);
    ASSERT_TRUE(WaitForFocus(GetDlgItem(main, CmdBack)));
    PressKey(main, VK_RETURN);
    ASSERT_TRUE(WaitForHeader("О пакете:"));
    ASSERT_TRUE(WaitForFocus(TextBox()));
    ExpectExitQuestion("Esc", [&] { PressKey(main, VK_ESCAPE); }, "Действительно хотите закрыть программу?");
    PressKey(main, VK_ESCAPE);
    AnswerBoxByKey(process.pid());  // Yes
    EXPECT_EQ(process.waitExit(), 0);
}

TEST_F(KeyboardRun, TheFirstMouseClickInAListCountsThoughTheListHasTheFocus) {
    UseDemoLanguages();
    Start();
    ASSERT_TRUE(WaitForHeader("Please select a language:"));
    HWND languages = List(CmdLanguageList);
    ASSERT_TRUE(WaitForFocus(languages));
    MouseClickListRow(languages, 0);
    ASSERT_TRUE(WaitFor([&] { return Enabled(CmdNext); })) << "the very first click, on the first entry";
    EXPECT_EQ(Text(CmdNext), "&Далее >>");
    PressKey(main, VK_ESCAPE);
    EXPECT_EQ(AnswerBoxByKey(process.pid()).text, "Действительно хотите закрыть программу?");
    EXPECT_EQ(process.waitExit(), 0);
}
