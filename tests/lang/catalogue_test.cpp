// The message catalogue: built-in Russian texts, language-file lines with
// their endings and joins, and the one-argument templates.
#include "lang/catalogue.h"

#include <gtest/gtest.h>

#include "base/failure.h"

using Lines = std::vector<std::string>;

namespace {

// The 25 entries in the order a language file supplies them.
std::vector<std::string> Entries(const Catalogue& t) {
    return {t.MsgExitConfirm,  t.CapExitConfirm, t.BtnNext,         t.MsgProgramRunning, t.MsgNewerInstalled,
            t.MsgAlreadyInstalled, t.CapConfirm, t.LblProgramNotFound, t.LblInstallProgress, t.MsgNoCopyFound,
            t.LblChooseFolder, t.CapWarning,     t.MsgNotInFolder,  t.MsgIncompatibleVersion, t.MsgLaunchQuestion,
            t.MsgInstallOk,    t.CapMessage,     t.MsgInstallFailed, t.LblChooseCopy,     t.MsgOtherCopies,
            t.MsgFolderFound,  t.BtnBack,        t.LblElapsed,      t.BtnExit,           t.LblAboutPackage};
}

std::string Format(const std::string& templ, const std::string& argument) {
    std::string out;
    EXPECT_TRUE(FormatTemplate(templ, argument, out)) << templ;
    return out;
}

bool Refused(const std::string& templ) {
    std::string out;
    return !FormatTemplate(templ, "Game", out);
}

// A complete file: display line, then message line n reads "Tn", the
// template lines "Tn %s".
Lines CompleteFile() {
    Lines lines{"Deutsch"};
    for (int n = 1; n <= LanguageMessageLines; ++n) {
        bool isTemplate = n == 4 || n == 12 || n == 13 || n == 17 || n == 18 || n == 22 || n == 23;
        std::string line(1, 'T');
        line += std::to_string(n);
        if (isTemplate) line += " %s";
        lines.push_back(line);
    }
    return lines;
}

struct CatalogueTest : ::testing::Test {
    Catalogue t;
    std::string programName = "Game";
    int messageLines = -1;
    void Apply(const Lines& lines) { messageLines = ApplyLanguageLines(t, lines, programName); }
};

}  // namespace

TEST_F(CatalogueTest, RussianTextsAreCp1251BytesWithTheProgramNameJoinedIn) {
    SetRussianTexts(t, programName, false);
    EXPECT_EQ(t.BtnNext, "&\xC4\xE0\xEB\xE5\xE5 >>");
    EXPECT_EQ(t.BtnBack, "<< &\xCD\xE0\xE7\xE0\xE4");
    EXPECT_EQ(t.MsgLaunchQuestion, "\xC7\xE0\xEF\xF3\xF1\xF2\xE8\xF2\xFC \xEF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xF3 Game?");
    EXPECT_NE(t.MsgAlreadyInstalled.find("\xE5\xF9\xB8 \xF0\xE0\xE7?"), std::string::npos) << "yo is 0xB8";
    EXPECT_EQ(t.MsgFolderFound, "Папка программы успешно найдена!\r\nПуть к найденной папке:");
    EXPECT_EQ(t.MsgNoCopyFound,
              "Не найдено ни одной копии программы!\r\n\r\nЗапустите программу Game и после этого нажмите "
              "\r\n\"<< Назад\" и ещё раз \"Далее >>\".\r\n\r\nИли нажмите \"Далее >>\", чтобы указать "
              "местоположение программы вручную.");
    EXPECT_EQ(t.LblChooseCopy, "Выберите копию программы Game для установки:");
    for (const auto& entry : Entries(t)) EXPECT_FALSE(entry.empty());

    programName = "";
    SetRussianTexts(t, programName, false);
    EXPECT_EQ(t.MsgLaunchQuestion, "Запустить программу ?");
}

TEST_F(CatalogueTest, RussianForTheLanguagePageSetsOnlyItsThreeTexts) {
    t.BtnBack = "<< Back";
    SetRussianTexts(t, programName, true);
    EXPECT_EQ(t.MsgExitConfirm, "Действительно хотите закрыть программу?");
    EXPECT_EQ(t.CapExitConfirm, "Подтверждение выхода...");
    EXPECT_EQ(t.BtnNext, "&Далее >>");
    EXPECT_EQ(t.BtnBack, "<< Back");
    EXPECT_EQ(t.MsgLaunchQuestion, "");
}

TEST_F(CatalogueTest, CompleteFileGetsEndingsJoinsAndTemplates) {
    Apply(CompleteFile());
    EXPECT_EQ(messageLines, 29);
    const Lines expected{
        "T1",      "T2...",  "T3 >>",   "T4 Game\r\n\r\nT5",     "T6",
        "T7",      "T8...",  "T9:",     "T10:",                  "T11\r\n\r\nT12 Game\r\n\r\nT13 Game",
        "T14:",    "T15...", "T16",     "T17 Game",              "T18 Game",
        "T19",     "T20...", "T21",     "T22 Game:",             "T23 Game",
        "T24\r\nT25:", "<< T26", "T27:", "T28",                  "T29:",
    };
    EXPECT_EQ(Entries(t), expected);
}

TEST_F(CatalogueTest, CommentsAndEmptyLinesDoNotCountButTheFirstLineIsAlwaysTheName) {
    Apply({"// display", "", "//c", "\\\\c", "one", "", "two", "/three"});
    EXPECT_EQ(messageLines, 3);
    EXPECT_EQ(t.MsgExitConfirm, "one");
    EXPECT_EQ(t.CapExitConfirm, "two...");
    EXPECT_EQ(t.BtnNext, "/three >>") << "a single slash is no comment";
}

TEST_F(CatalogueTest, ShortFilesKeepWhatTheyDoNotReach) {
    t.MsgExitConfirm = "Do you really want to close the program?";
    t.CapExitConfirm = "Confirmation of exit...";
    Apply({"Only a name"});
    EXPECT_EQ(t.BtnBack, "<< &Back");
    EXPECT_EQ(t.LblElapsed, "Passed time:");
    EXPECT_EQ(t.MsgExitConfirm, "Do you really want to close the program?");
    EXPECT_EQ(t.CapExitConfirm, "Confirmation of exit...");
    EXPECT_EQ(t.BtnNext, "");
    EXPECT_EQ(messageLines, 0);

    Lines lines = CompleteFile();
    lines.resize(1 + 27);
    t = Catalogue{};
    Apply(lines);
    EXPECT_EQ(t.BtnExit, "");
    EXPECT_EQ(t.LblAboutPackage, "");
    EXPECT_EQ(t.LblElapsed, "T27:");

    Apply(CompleteFile());
    Apply({"short", "S1", "S2"});
    EXPECT_EQ(t.MsgExitConfirm, "S1");
    EXPECT_EQ(t.CapExitConfirm, "S2...");
    EXPECT_EQ(t.BtnNext, "T3 >>") << "entries the short file does not reach keep the earlier file's texts";
    EXPECT_EQ(t.BtnBack, "<< &Back") << "but the two English texts are set anew";
    EXPECT_EQ(t.LblAboutPackage, "T29:");
}

// The optional lines after the 29: a file that stops at 29 shows them in
// English, never in the Russian set before it; lines past them are ignored.
TEST_F(CatalogueTest, OptionalLinesAreEnglishUntilSuppliedAndLinesBeyondThemAreIgnored) {
    SetRussianTexts(t, programName, false);
    const std::string russianMissing = t.MsgPackageMissing;
    Apply(CompleteFile());
    EXPECT_EQ(messageLines, LanguageMessageLines);
    EXPECT_NE(t.MsgPackageMissing, russianMissing);
    EXPECT_EQ(t.MsgPackageMissing.rfind("Setup files are missing", 0), 0u);
    EXPECT_FALSE(t.MsgAccessDenied.empty());
    EXPECT_EQ(t.MsgNeedsAdmin.rfind("Installing the package", 0), 0u) << t.MsgNeedsAdmin;
    EXPECT_EQ(t.MsgLinkMoved.rfind("A folder of this copy", 0), 0u) << t.MsgLinkMoved;

    Lines lines = CompleteFile();
    lines.push_back("Missing 100% %s");
    for (int n = LanguageMessageLines + 2; n <= MessageLineCount() + 2; ++n) lines.push_back("extra");
    Apply(lines);
    EXPECT_EQ(messageLines, MessageLineCount() + 2);
    EXPECT_EQ(t.MsgPackageMissing, "Missing 100% %s") << "an optional line is plain text";
    EXPECT_EQ(t.LblAboutPackage, "T29:");
}

TEST_F(CatalogueTest, PlainLinesKeepTheirPercentSignsTemplatesAreFormatted) {
    Lines lines = CompleteFile();
    lines[1] = "100% %d %s";
    lines[4] = "Stop %%s: %-6s|";
    Apply(lines);
    EXPECT_EQ(t.MsgExitConfirm, "100% %d %s");
    EXPECT_EQ(t.MsgProgramRunning.substr(0, t.MsgProgramRunning.find('\r')), "Stop %s: Game  |");

    programName = "";
    Apply(lines);
    EXPECT_EQ(t.MsgLaunchQuestion, "T18 ") << "an empty name leaves the rest of the line";
}

TEST(FormatTemplate, OneStringWithWidthPrecisionAndAlignment) {
    EXPECT_EQ(Format("Run %s?", "Game"), "Run Game?");
    EXPECT_EQ(Format("100%%", "Game"), "100%");
    EXPECT_EQ(Format("no directive", "Game"), "no directive");
    EXPECT_EQ(Format("[%6s]", "Game"), "[  Game]");
    EXPECT_EQ(Format("[%-6s]", "Game"), "[Game  ]");
    EXPECT_EQ(Format("[%.2s]", "Game"), "[Ga]");
    EXPECT_EQ(Format("[%5.3s]", "Game"), "[  Gam]");
    EXPECT_EQ(Format("[%.s]", "Game"), "[]");
    EXPECT_EQ(Format("[%2s]", "Game"), "[Game]");
    EXPECT_EQ(Format("[%6s]", "Игра"), "[  Игра]") << "widths count bytes";
    EXPECT_EQ(Format("%% %s %%", "%s"), "% %s %") << "the name is not a template";
}

TEST(FormatTemplate, AnythingElseIsRefused) {
    for (const char* bad : {"%s %s", "%d", "50%", "%", "%-", "%5", "%.", "%ls", "%*s", "%S", "% s", "%+s",
                            "%#s", "%10000s", "%.10000s", "%99999999999999999999s", "%-5.2d", "%%%"}) {
        EXPECT_TRUE(Refused(bad)) << bad;
    }
    EXPECT_FALSE(Refused("%9999s"));
}

// The fault names the first directive shown as written, for packcheck to word.
TEST(FormatTemplate, TheFaultIsTheFirstDirectiveShownAsWritten) {
    const struct {
        const char* templ;
        TemplateFault::Kind kind;
        const char* directive;
    } cases[] = {
        {"Run %s", TemplateFault::None, ""},         {"Run %s at 50%", TemplateFault::LonePercent, ""},
        {"%5.10000s", TemplateFault::FieldTooLarge, ""}, {"%s %-3s %d", TemplateFault::SecondArgument, ""},
        {"%s %-5.2d %", TemplateFault::Unsupported, "%-5.2d"}, {"%1.2.s", TemplateFault::Unsupported, "%1.2."},
        {"at 50%-", TemplateFault::Unsupported, "%-"},
    };
    for (const auto& c : cases) {
        std::string out;
        TemplateFault fault{TemplateFault::LonePercent, "stale"};
        FormatTemplate(c.templ, "Game", out, &fault);
        EXPECT_EQ(fault.kind, c.kind) << c.templ;
        EXPECT_EQ(fault.directive, c.directive) << c.templ;
    }
    EXPECT_TRUE(MessageLineShowsName(12));
    EXPECT_FALSE(MessageLineShowsName(13)) << "a template whose built-in text names no program";
    EXPECT_TRUE(MessageLineIsTemplate(13));
    EXPECT_FALSE(MessageLineShowsName(5));
}

// A translator's slip keeps the install going: the name goes in once, at the
// first "%s" that fits, and every other directive shows as written.
TEST(FormatTemplate, ARefusedTemplateStillGivesItsText) {
    const struct {
        const char* templ;
        const char* shown;
    } cases[] = {
        {"Program %s runs %s", "Program Game runs %s"}, {"%d of %s", "%d of Game"}, {"50% off %s", "50% off Game"},
        {"%s at 100%", "Game at 100%"},                   {"%10000s %s", "%10000s Game"}, {"%% %-6s| %s", "% Game  | %s"},
        {"%", "%"},                                       {"%S %ls", "%S %ls"},
    };
    for (const auto& c : cases) {
        std::string out = "stale";
        EXPECT_FALSE(FormatTemplate(c.templ, "Game", out)) << c.templ;
        EXPECT_EQ(out, c.shown) << c.templ;
    }
}

TEST_F(CatalogueTest, BadTemplatesAreShownWithTheNameOnceAndTheRestFollows) {
    Lines lines = CompleteFile();
    lines[4] = "Program %s runs %d times";  // message line 4
    lines[18] = "Start %s? (%s)";           // message line 18
    Apply(lines);
    EXPECT_EQ(messageLines, LanguageMessageLines);
    EXPECT_EQ(t.MsgProgramRunning, "Program Game runs %d times\r\n\r\nT5");
    EXPECT_EQ(t.MsgLaunchQuestion, "Start Game? (%s)");
    EXPECT_EQ(t.LblAboutPackage, "T29:") << "the lines after a bad template are still read";
}
