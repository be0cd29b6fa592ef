// The handoff to the elevated copy: what it is handed survives the system's
// command-line splitting, anything else is refused, and the copy is asked for
// only when the target refuses a process that could still be elevated.
#include "driver/handoff.h"

#include <gtest/gtest.h>

static std::string CommandLineFor(const Handoff& handoff) {
    return "\"C:\\Games Setup\\setup.exe\" " + HandoffArguments(handoff);
}

TEST(Handoff, FoldersAndLanguagesComeBackAsTheyWereHanded) {
    const Handoff cases[] = {
        {"C:\\Games\\Quillset", "Russian"},
        {"C:\\Program Files (x86)\\Quillset 2", "English.txt"},
        {"C:\\", "Russian"},                          // a trailing backslash before the closing quote
        {"\\\\server\\share\\Quill set\\\\", "Deutsch.txt"},  // a share, doubled backslashes at the end
        {"D:\\Игры\\Квиллсет", "Русский язык.txt"},     // ANSI bytes above 0x7F
        {"E:\\a\\b c\\d\\\\e", "x y.txt"},
    };
    for (const Handoff& handed : cases) {
        std::optional<Handoff> parsed = ParseHandoff(CommandLineFor(handed));
        ASSERT_TRUE(parsed.has_value()) << handed.target;
        EXPECT_EQ(parsed->target, handed.target);
        EXPECT_EQ(parsed->language, handed.language);
    }
}

TEST(Handoff, AnythingButTheOneFormIsNoHandoff) {
    const char* refused[] = {
        "setup.exe",
        "setup.exe /install",
        "setup.exe /install \"C:\\Games\"",
        "setup.exe /install \"C:\\Games\" /language",
        "setup.exe /install \"C:\\Games\" /language \"Russian\" /extra",
        "setup.exe /language \"Russian\" /install \"C:\\Games\"",
        "setup.exe /INSTALL \"C:\\Games\" /language Russian",
        "setup.exe /install \"\" /language Russian",
        "setup.exe /install \"C:\\Ga\\\"mes\" /language Russian",  // a quote inside the folder
        "setup.exe /install C:\\Games /language ..\\..\\evil.txt",
        "setup.exe /install C:\\Games /language C:evil.txt",
        "setup.exe /install C:\\Games /language a/b.txt",
        "setup.exe /install \"C:\\Ga\tmes\" /language Russian",  // a control byte
    };
    for (const char* commandLine : refused) EXPECT_FALSE(ParseHandoff(commandLine).has_value()) << commandLine;
    // Unquoted words are what the system gives, so they are a handoff too.
    std::optional<Handoff> plain = ParseHandoff("setup.exe /install C:\\Games /language Russian");
    ASSERT_TRUE(plain.has_value());
    EXPECT_EQ(plain->target, "C:\\Games");
}

TEST(Handoff, SplitsAsTheSystemDoes) {
    using Items = std::vector<std::string>;
    EXPECT_EQ(SplitCommandLine("\"C:\\a b\\p.exe\"x  y"), (Items{"C:\\a b\\p.exe", "x", "y"}));
    EXPECT_EQ(SplitCommandLine("p.exe a\\\\\\\"b \"c d\" e\\\\\"f g\""), (Items{"p.exe", "a\\\"b", "c d", "e\\f g"}));
    EXPECT_EQ(SplitCommandLine("p.exe a\\\\b \t \"\""), (Items{"p.exe", "a\\\\b", ""}));
    EXPECT_EQ(SplitCommandLine("C:\\p\\q.exe"), (Items{"C:\\p\\q.exe"}));
}

TEST(Handoff, ElevationIsAskedForOnlyWhereItCanHelp) {
    ElevationFacts facts;
    facts.consentPromptExists = true;
    facts.targetDenied = true;
    EXPECT_TRUE(ShouldAskForElevation(facts));
    ElevationFacts writable = facts;
    writable.targetDenied = false;
    EXPECT_FALSE(ShouldAskForElevation(writable)) << "a target this process may change needs no rights";
    ElevationFacts xp = facts;
    xp.consentPromptExists = false;
    EXPECT_FALSE(ShouldAskForElevation(xp)) << "without a prompt the run reports the refusal itself";
    ElevationFacts elevated = facts;
    elevated.processElevated = true;
    EXPECT_FALSE(ShouldAskForElevation(elevated)) << "more rights are not to be had";
}

TEST(Handoff, OnlyTheFinishedCodesBringTheClosingQuestions) {
    EXPECT_EQ(EndFromExitCode(InstallFinishedExitCode), ElevatedRunEnd::InstallFinished);
    EXPECT_EQ(EndFromExitCode(InstalledExitCode), ElevatedRunEnd::Installed);
    for (unsigned long code : {0ul, 1ul, 4ul, 259ul /* still active */, 0xC0000005ul})
        EXPECT_EQ(EndFromExitCode(code), ElevatedRunEnd::Stopped) << code;
}
