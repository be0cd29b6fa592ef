// The table of copies found: slot 0, then distinct further copies, eleven at most.
#include "discovery/found_copies.h"

#include <gtest/gtest.h>

TEST(FoundCopies, DistinctCopiesInOrderAndNoneBeyondTheEleventh) {
    FoundCopyTable table;
    table.FoundCopies[0] = "C:\\a\\q.exe";
    EXPECT_EQ(table.count(), 1);
    AddFoundCopy(table, "C:\\b\\q.exe");
    EXPECT_TRUE(table.listCreated);
    AddFoundCopy(table, "C:\\a\\q.exe");
    AddFoundCopy(table, "C:\\b\\q.exe");
    AddFoundCopy(table, "C:\\B\\q.exe");
    EXPECT_EQ(table.count(), 3) << "repeats are dropped, case makes a new copy";
    for (int i = 0; i < 20; ++i) AddFoundCopy(table, "C:\\more\\" + std::to_string(i));
    EXPECT_EQ(table.count(), FoundCopySlots);
    EXPECT_EQ(table.FoundCopies[FoundCopySlots - 1], "C:\\more\\7");
}
