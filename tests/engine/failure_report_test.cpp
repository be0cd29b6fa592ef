// What a failed run tells the user, and the second chance a file in use gets:
// on files in memory, the Retry asked once per refusal, Cancel putting the
// target back whole, and the run's failure named by file and system code.
#include "engine/failure_report.h"

#include <gtest/gtest.h>

#include "base/text_lines.h"
#include "engine/in_use_retry.h"
#include "engine/install_run.h"
#include "engine/memory_files.h"
#include "engine/space_need.h"

namespace {

struct Steps : InstallProgress {
    void SetProgressRange(int) override {}
    void ShowProgressStep(int) override {}
};

const unsigned long SharingViolation = 32;
const unsigned long AccessDenied = 5;

class InUse : public ::testing::Test {
protected:
    MemoryFiles disk;
    Package package;
    const std::string setup = "C:\\Setup";
    const std::string target = "C:\\Game";
    unsigned long code = SharingViolation;  // what the system says of a refused step
    std::vector<std::string> asked;
    std::function<bool(const std::string&)> answer = [](const std::string&) { return false; };
    InstallFailure failure;

    void SetUp() override {
        package.PackName = "Pack";
        package.PackVersion = "1.2";
        disk.Put(target + "\\Resource\\Uninstall.ini", "[Files]\r\n");
        disk.Put(target + "\\Data\\a.txt", "a1");
        disk.Put(setup + "\\Source\\Script_ACopy.ini", JoinTextLines({"Data\\a.txt"}));
        disk.Put(setup + "\\Source\\PACK\\Data\\a.txt", "a2");
    }
    InstallOutcome Run(InUseRetry& retry) {
        Steps steps;
        return RunTransactedInstall(setup, target, package, retry, retry, steps, nullptr, &failure);
    }
    InUseRetry Retry() {
        return InUseRetry(disk, disk, [this] { return code; }, [this](const std::string& path) {
            asked.push_back(path);
            return answer(path);
        });
    }
    std::string Normal(const std::string& path) { return MemoryFiles::Normal(path); }
};

}  // namespace

TEST_F(InUse, RetryAfterTheHolderLetsGoInstalls) {
    std::string held = target + "\\Data\\a.txt";
    disk.locked.insert(Normal(held));
    answer = [&](const std::string&) {
        disk.locked.clear();  // the other program closed it while the box was up
        return true;
    };
    InUseRetry retry = Retry();
    EXPECT_EQ(Run(retry), InstallOutcome::Installed);
    EXPECT_EQ(asked, std::vector<std::string>{held});
    EXPECT_EQ(disk.Bytes(held), "a2");
}

TEST_F(InUse, CancelFailsTheRunWithTheTargetAsBeforeAndNamesTheFile) {
    std::string held = target + "\\Data\\a.txt";
    disk.locked.insert(Normal(held));
    auto before = disk.files;
    InUseRetry retry = Retry();
    EXPECT_EQ(Run(retry), InstallOutcome::Failed);
    EXPECT_EQ(asked.size(), 1u) << "one box per refusal, no loop without the user";
    EXPECT_EQ(disk.files, before);
    InUseRetry again = Retry();
    again.Erase(held);
    EXPECT_EQ(asked.size(), 2u);
    again.Erase(held);
    EXPECT_EQ(asked.size(), 2u) << "after a Cancel the run's undo asks nothing more";
    InstallFailure told = WithRefusalCode(failure, retry.lastRefusal());
    EXPECT_EQ(told.path, held);
    EXPECT_EQ(told.code, SharingViolation);
    EXPECT_EQ(told.reason, "") << "left for the system's own text";
    EXPECT_EQ(FailureDetails({held, "in use", SharingViolation}, target, "Ask an administrator."),
              "\r\n\r\nData\\a.txt\r\nin use");
}

TEST_F(InUse, ARefusalForAnotherReasonIsNeverAskedAbout) {
    code = AccessDenied;
    disk.refusedCopies.insert(Normal(target + "\\Data\\a.txt"));
    InUseRetry retry = Retry();
    EXPECT_EQ(Run(retry), InstallOutcome::Failed);
    EXPECT_TRUE(asked.empty());
    InstallFailure told = WithRefusalCode(failure, retry.lastRefusal());
    EXPECT_EQ(told.code, AccessDenied);
    EXPECT_EQ(FailureDetails({told.path, "Access is denied.", told.code}, target, "Run setup as an administrator."),
              "\r\n\r\nData\\a.txt\r\nAccess is denied.\r\n\r\nRun setup as an administrator.\r\nC:\\Game");
}

TEST(FailureReport, PathsAreShownRelativeToTheTargetOnlyWhenTheyLieBelowIt) {
    EXPECT_EQ(PathForUser("C:\\Game\\Resource\\Uninstall.ini", "c:\\game"), "Resource\\Uninstall.ini");
    EXPECT_EQ(PathForUser("C:\\Games\\x.dat", "C:\\Game"), "C:\\Games\\x.dat");
    EXPECT_EQ(PathForUser("C:\\Game", "C:\\Game"), "C:\\Game");
    EXPECT_EQ(PathForUser("D:\\Setup\\Source\\PACK\\a.txt", "C:\\Game"), "D:\\Setup\\Source\\PACK\\a.txt");
    // A failure with no file says only why; one with a code of its own keeps it.
    EXPECT_EQ(FailureDetails({"", "Out of memory.", 0}, "C:\\Game", "advice"), "\r\n\r\nOut of memory.");
    InstallFailure own{"C:\\Game\\a", "The disk is full.", 112};
    EXPECT_EQ(WithRefusalCode(own, {"C:\\Game\\a", "", 32}).code, 112u);
    EXPECT_EQ(WithRefusalCode({"C:\\Game\\a", "words", 0}, {"C:\\Game\\b", "", 32}).code, 0u);
    EXPECT_TRUE(IsDiskFullCode(112));
    EXPECT_TRUE(IsFileInUseCode(33));
    EXPECT_FALSE(IsFileInUseCode(5));
}

TEST(SpaceNeed, CountsEveryFileTheRunWritesInWholeClusters) {
    MemoryFiles disk;
    Package package;
    package.PackName = "Pack";
    package.PackVersion = "1.2";
    disk.Put("C:\\Setup\\Source\\Script_ACopy.ini", JoinTextLines({"a.dat", "missing.dat", "..\\out.dat", ""}));
    disk.Put("C:\\Setup\\Source\\Script_Copy.ini", JoinTextLines({"b.dat"}));
    disk.Put("C:\\Setup\\Source\\PACK\\a.dat", std::string(5000, 'a'));
    disk.Put("C:\\Setup\\Source\\PACK\\b.dat", std::string(10, 'b'));
    disk.Put("C:\\Game\\a.dat", std::string(9000, 'o'));  // kept aside until the commit: no room given back
    disk.Put("C:\\Game\\Resource\\Uninstall.ini", std::string(100, 'r'));
    disk.Put("C:\\Setup\\Source\\Script_Uninstall_Add.ini", std::string(50, 'u'));
    auto sizeOf = [&](const std::string& path) -> long long {
        return disk.Has(path) ? static_cast<long long>(disk.Bytes(path).size()) : -1;
    };
    // a.dat two clusters, b.dat one, the record one, components and Version.ini one each, the journal one.
    EXPECT_EQ(BytesTheRunWrites(disk, sizeOf, "C:\\Setup", "C:\\Game", package, 4096), 7u * 4096);
    package.PackMode = "New";
    EXPECT_EQ(BytesTheRunWrites(disk, sizeOf, "C:\\Setup", "C:\\Game", package, 4096), 5u * 4096);
    EXPECT_EQ(MegabytesText(1, true), "0.1");
    EXPECT_EQ(MegabytesText(1, false), "0.0");
    EXPECT_EQ(MegabytesText(5u << 20, true), "5.0");
    EXPECT_EQ(MegabytesText((5u << 20) + 1, true), "5.1");
    EXPECT_EQ(MegabytesText((5u << 20) + (1u << 19), false), "5.5");
}
