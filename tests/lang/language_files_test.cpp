// Language files on disk: the list's entries, the key of a chosen entry, and
// loading the catalogue from a file.
#include "lang/language_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/failure.h"
#include "lang/language_list.h"
#include "support/test_files.h"

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
    Catalogue t;
    void Write(const std::string& name, const std::string& bytes) { WriteBytes(dir / ("Language\\" + name), bytes); }
    void Load(const std::string& language, MessageScope scope = MessageScope::LanguagePage) {
        LoadMessages(t, dir.path, "Game", language, scope);
    }
};

}  // namespace

TEST_F(LanguageFolder, OnlyTxtFilesAreListedWithTheirDisplayNames) {
    EXPECT_TRUE(ListLanguageFiles(dir.path).empty()) << "no Language folder";
    Write("Deutsch.txt", "Deutsch\r\nmsg\r\n");
    Write("Plain.txt", "\r\nmsg\r\n");
    Write("Upper.TXT", "Upper case\n");
    Write("Empty.txt", "");
    Write("notes.ini", "x\r\n");
    Write("readme.txt.bak", "x\r\n");
    MakeFolders(dir / "Language\\Folder.txt");
    auto files = ListLanguageFiles(dir.path);
    ASSERT_EQ(files.size(), 4u);
    EXPECT_EQ(EntryOf(files, "Deutsch.txt"), "Deutsch [Deutsch]");
    EXPECT_EQ(EntryOf(files, "Plain.txt"), "Plain") << "an empty display line gives no brackets";
    EXPECT_EQ(EntryOf(files, "Upper.TXT"), "Upper [Upper case]") << "the key keeps the extension as written";
    EXPECT_EQ(EntryOf(files, "Empty.txt"), "Empty");
}

TEST_F(LanguageFolder, EntryTextsMapBackToKeys) {
    Write("Deutsch.txt", "Deutsch\r\n");
    Write("Russian.txt", "Русский\r\n");
    Write("Twin1.txt", "\r\n");
    EXPECT_EQ(LanguageKeyForEntry(dir.path, "Deutsch [Deutsch]"), "Deutsch.txt");
    EXPECT_EQ(LanguageKeyForEntry(dir.path, RussianEntry), "Russian") << "a file can never shadow the built-in";
    EXPECT_EQ(LanguageKeyForEntry(dir.path, "Gone [Vanished]"), "Russian") << "no file matches: built-in";
    EXPECT_EQ(LanguageKeyForEntry(dir.path, ""), "Russian");

    // Two files giving the same entry: the last one listed wins.
    Write("Twin1.TXT.txt", "\r\n");
    Write("Twin1.TXT", "\r\n");
    auto files = ListLanguageFiles(dir.path);
    std::string last;
    for (const auto& name : Names(files))
        if (name == "Twin1.txt" || name == "Twin1.TXT") last = name;
    EXPECT_EQ(LanguageKeyForEntry(dir.path, "Twin1"), last);
}

TEST_F(LanguageFolder, LoadingMessages) {
    Write("de.txt", "Deutsch\r\n// comment\r\nWirklich beenden?\r\nBeenden\r\n\r\nWeiter\r\nProgramm %s\r\n");
    Load("de.txt");
    EXPECT_EQ(t.MsgExitConfirm, "Wirklich beenden?");
    EXPECT_EQ(t.CapExitConfirm, "Beenden...");
    EXPECT_EQ(t.BtnNext, "Weiter >>");
    EXPECT_EQ(t.MsgProgramRunning, "Programm Game");
    EXPECT_EQ(t.BtnBack, "<< &Back");

    Load("Russian");
    EXPECT_EQ(t.BtnNext, "&Далее >>");
    EXPECT_EQ(t.MsgProgramRunning, "Programm Game") << "the language page's pick sets three texts only";

    Load("Russian", MessageScope::Whole);
    EXPECT_EQ(t.MsgLaunchQuestion, "Запустить программу Game?");

    Load("de.txt", MessageScope::Whole);
    EXPECT_EQ(t.BtnNext, "Weiter >>");
}

TEST_F(LanguageFolder, MissingFilesFailAndBadTemplatesDoNot) {
    std::string path = dir / "Language\\gone.txt";
    try {
        Load("gone.txt");
        FAIL() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_EQ(error.path, path);
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos);
    }
    // A template with two directives is no failure: it shows the name once.
    Write("bad.txt", "Bad\r\n1\r\n2\r\n3\r\n%s and %s\r\n");
    Load("bad.txt");
    EXPECT_EQ(t.MsgProgramRunning.substr(0, t.MsgProgramRunning.find('\r')), "Game and %s");
}
