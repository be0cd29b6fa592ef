#include "discovery/version_match.h"

#include <gtest/gtest.h>

TEST(VersionsMatch, TheReferencesFirstDotDecidesTheCut) {
    // Dot at position 2: five characters.
    EXPECT_TRUE(VersionsMatch("1.2.3.4", "1.2.3.9"));
    EXPECT_TRUE(VersionsMatch("1.2.3.4", "1.2.3"));
    EXPECT_FALSE(VersionsMatch("1.2.3.4", "1.2.4"));
    EXPECT_TRUE(VersionsMatch("1.05.2", "1.05.7"));
    EXPECT_FALSE(VersionsMatch("3.0", "3.0.1"));  // the short string stays whole
    // Dot at position 3: six characters.
    EXPECT_TRUE(VersionsMatch("10.1.0.2", "10.1.0"));
    EXPECT_FALSE(VersionsMatch("10.1.0.2", "10.1.5"));
    // Otherwise whole strings.
    EXPECT_TRUE(VersionsMatch("2005.1", "2005.1"));
    EXPECT_FALSE(VersionsMatch("2005.1", "2005.10"));
    EXPECT_FALSE(VersionsMatch("2005.1", "2005.1 "));
    EXPECT_TRUE(VersionsMatch("", ""));
    EXPECT_FALSE(VersionsMatch("1.0.0.0", ""));
    EXPECT_FALSE(VersionsMatch("", "1.0"));
    // Case matters.
    EXPECT_FALSE(VersionsMatch("1.2.a", "1.2.A"));
}
