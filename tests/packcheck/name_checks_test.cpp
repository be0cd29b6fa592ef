// The slips packcheck takes for one name meant as another, and the names the
// install run keeps for itself.
#include "packcheck/name_checks.h"

#include <gtest/gtest.h>

TEST(NamesAreClose, OneSlipOfTheKindsAuthorsMake) {
    const struct {
        const char* typed;
        const char* meant;
        bool close;
    } cases[] = {
        {"Data\\Mpas\\tundra.map", "Data\\Maps\\tundra.map", true},   // neighbours swapped
        {"Data\\readdme.txt", "Data\\readme.txt", true},              // a letter doubled
        {"Data\\readne.txt", "Data\\readme.txt", true},               // one letter wrong
        {"Data\\tundra.map", "Data\\Maps\\tundra.map", true},         // a folder level left out
        {"Maps\\Data\\x\\tundra.map", "Maps\\x\\tundra.map", true},   // one level too many
        {"DATA\\README.TXT", "Data\\readme.txt", false},              // the same name: not a slip
        {"Data\\notes.txt", "Data\\readme.txt", false},
        {"Data\\Maps\\tundra.map", "Other\\Maps\\tundra.map", false},  // another folder, not a level
        {"a\\b\\tundra.map", "tundra.map", false},                     // two levels
        {"Data\\\xC4\xE0\xED\xED\xFB\\m.map", "Data\\\xE4\xE0\xED\xED\xFB\\m.map", false},  // Cyrillic case only
    };
    for (const auto& c : cases) EXPECT_EQ(NamesAreClose(c.typed, c.meant), c.close) << c.typed << " / " << c.meant;
}

TEST(ReservedNameIn, TheRunsOwnSuffixesAndJournalInAnyName) {
    EXPECT_EQ(ReservedNameIn("Data\\a.txt.setup-old"), ".setup-old");
    EXPECT_EQ(ReservedNameIn("Data\\a.txt.SETUP-OLD12"), ".setup-old");
    EXPECT_EQ(ReservedNameIn("Data\\a.txt.setup-tmp. "), ".setup-tmp") << "the system drops trailing dots and blanks";
    EXPECT_EQ(ReservedNameIn("x.setup-old\\a.txt"), ".setup-old") << "a folder's name too";
    EXPECT_EQ(ReservedNameIn("setup.JOURNAL"), "Setup.journal");
    EXPECT_EQ(ReservedNameIn("Data\\a.setup-older"), "");
    EXPECT_EQ(ReservedNameIn("Data\\setup-old.txt"), "");
    EXPECT_EQ(ReservedNameIn("Data\\old-setup.journal.txt"), "");
}
