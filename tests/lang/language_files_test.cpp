// Language files on disk: the list's entries, the key of a chosen entry, and
// loading the catalogue from a file.
#include "lang/language_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "driver/errors.h"
#include "driver/pack_info.h"
#include "lang/catalogue.h"
#include "lang/language_list.h"
#include "support/test_files.h"
#include "ui/toolkit.h"

namespace {

std::vector<std::string> Names(const std::vector<LanguageFile>& files) {
    std::vector<std::string> names;
    for (const auto& file : files) names.push_back(file.name);
    return names;
}

std::string EntryOf(const std::vector<LanguageFile>& files, const std::string& name) {
    for (const auto& file : files)
        if (file.name == name) return file.entry;
    return "<missing>";
}

struct LanguageFolder : ::testing::Test {
    ScratchDir dir;
    void Write(const std::string& name, const std::string& bytes) { WriteBytes(dir / ("Language\\" + name), bytes); }
    void TearDown() override {
        for (auto* entry : CatalogueEntries) entry->clear();
        CurrentLanguage = "Russian";
        PackProgramName.clear();
    }
};

}  // namespace

TEST_F(LanguageFolder, OnlyTxtFilesAreListedWithTheirDisplayNames) {
    EXPECT_TRUE(ListLanguageFilesIn(dir.path).empty()) << "no Language folder";
    Write("Deutsch.txt", "Deutsch\r\nmsg\r\n");
    Write("Plain.txt", "\r\nmsg\r\n");
    Write("Upper.TXT", "Upper case\n");
    Write("Empty.txt", "");
    Write("notes.ini", "x\r\n");
    Write("readme.txt.bak", "x\r\n");
    MakeFolders(dir / "Language\\Folder.txt");
    auto files = ListLanguageFilesIn(dir.path);
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(EntryOf(files, "Deutsch.txt"), "Deutsch [Deutsch]");
    EXPECT_EQ(EntryOf(files, "Plain.txt"), "Plain") << "an empty display line gives no brackets";
    EXPECT_EQ(EntryOf(files, "Upper.TXT"), "Upper [Upper case]") << "the key keeps the extension as written";
    EXPECT_EQ(EntryOf(files, "Empty.txt"), "Empty");
}

TEST_F(LanguageFolder, FillingTheListPutsTheBuiltInEntryFirst) {
    HWND list = CreateWindowA("LISTBOX", "", 0, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(list);
    PageList = list;
    CurrentLanguage = "x.txt";
    EXPECT_EQ(FillLanguageListFrom(dir.path), 0);
    EXPECT_EQ(CurrentLanguage, "Russian");
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);

    Write("A.txt", "Alpha\r\n");
    Write("B.txt", "Beta\r\n");
    CurrentLanguage = "x.txt";
    EXPECT_EQ(FillLanguageListFrom(dir.path), 2);
    EXPECT_EQ(CurrentLanguage, "Russian");
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
    char text[64] = {};
    SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, RussianEntry);
    DestroyWindow(list);
    PageList = nullptr;
}

TEST_F(LanguageFolder, EntryTextsMapBackToKeys) {
    Write("Deutsch.txt", "Deutsch\r\n");
    Write("Russian.txt", "Русский\r\n");
    Write("Twin1.txt", "\r\n");
    EXPECT_EQ(LanguageKeyForEntryIn(dir.path, "Deutsch [Deutsch]"), "Deutsch.txt");
    EXPECT_EQ(LanguageKeyForEntryIn(dir.path, RussianEntry), "Russian") << "a file can never shadow the built-in";
    EXPECT_EQ(LanguageKeyForEntryIn(dir.path, "Gone [Vanished]"), "Russian") << "no file matches: built-in";
    EXPECT_EQ(LanguageKeyForEntryIn(dir.path, ""), "Russian");

    // Two files giving the same entry: the last one listed wins.
    Write("Twin1.TXT.txt", "\r\n");
    Write("Twin1.TXT", "\r\n");
    auto files = ListLanguageFilesIn(dir.path);
    std::string last;
    for (const auto& name : Names(files))
        if (name == "Twin1.txt" || name == "Twin1.TXT") last = name;
    EXPECT_EQ(LanguageKeyForEntryIn(dir.path, "Twin1"), last);
}

TEST_F(LanguageFolder, LoadingMessages) {
    Write("de.txt", "Deutsch\r\n// comment\r\nWirklich beenden?\r\nBeenden\r\n\r\nWeiter\r\nProgramm %s\r\n");
    PackProgramName = "Game";
    LoadMessagesFrom(dir.path, "de.txt");
    EXPECT_EQ(MsgExitConfirm, "Wirklich beenden?");
    EXPECT_EQ(CapExitConfirm, "Beenden...");
    EXPECT_EQ(BtnNext, "Weiter >>");
    EXPECT_EQ(MsgProgramRunning, "Programm Game");
    EXPECT_EQ(BtnBack, "<< Back");
    EXPECT_EQ(MessageLineCounter, 4);

    LoadMessagesFrom(dir.path, "Russian");
    EXPECT_EQ(BtnNext, "Далее >>");
    EXPECT_EQ(MsgProgramRunning, "Programm Game") << "the language page's pick sets three texts only";
    EXPECT_EQ(MessageLineCounter, 0);

    CurrentLanguage = "Russian";
    LoadMessagesFrom(dir.path, "");
    EXPECT_EQ(MsgLaunchQuestion, "Запустить программу Game?");

    CurrentLanguage = "de.txt";
    LoadMessagesFrom(dir.path, "");
    EXPECT_EQ(BtnNext, "Weiter >>");
}

TEST_F(LanguageFolder, MissingOrBadFilesFail) {
    std::string path = dir / "Language\\gone.txt";
    try {
        LoadMessagesFrom(dir.path, "gone.txt");
        FAIL() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path, path);
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos);
    }
    Write("bad.txt", "Bad\r\n1\r\n2\r\n3\r\n%s and %s\r\n");
    EXPECT_THROW(LoadMessagesFrom(dir.path, "bad.txt"), TemplateError);
}
