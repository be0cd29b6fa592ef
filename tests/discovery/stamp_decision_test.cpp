#include "discovery/stamp_decision.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "base/package_layout.h"

namespace {

// Decides over the stamps in `listing`, recording which stamps were asked about.
StampDecision Decide(const std::set<std::string>& listing, std::vector<std::string>& asked) {
    return DecideFromStamps([&](const char* name) {
        asked.push_back(name);
        return listing.count(name) > 0;
    });
}

}  // namespace

TEST(StampDecision, OldVersionsWinsAndAStampNotNeededIsNeverRead) {
    std::vector<std::string> asked;
    EXPECT_EQ(Decide({OldVersionsName, VersionStampName}, asked), StampDecision::NewerInstalled);
    EXPECT_EQ(asked, std::vector<std::string>{OldVersionsName}) << "Version.ini may be unreadable: it is not read";
    asked.clear();
    EXPECT_EQ(Decide({VersionStampName}, asked), StampDecision::AskReinstall);
    EXPECT_EQ(asked, (std::vector<std::string>{OldVersionsName, VersionStampName}));
    asked.clear();
    EXPECT_EQ(Decide({}, asked), StampDecision::Install);
    EXPECT_STREQ(DecidingStamp(StampDecision::NewerInstalled), OldVersionsName);
    EXPECT_STREQ(DecidingStamp(StampDecision::AskReinstall), VersionStampName);
    EXPECT_EQ(DecidingStamp(StampDecision::Install), nullptr);
}
