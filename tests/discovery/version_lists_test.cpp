#include "discovery/version_lists.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "base/failure.h"
#include "records_support.h"
#include "support/test_files.h"

namespace {

Package QuillPackage() {
    Package package;
    package.PackProgramName = "Quillset";
    package.PackName = "QuillPack";
    package.PackVersion = "1.0";
    return package;
}

class VersionListTest : public ::testing::Test {
protected:
    ScratchDir setup;
    ScratchDir copies;
    void SetUp() override {
        WriteBytes(setup / "Source\\Versions.ini", "1.2.3\r\n10.2.1\r\n3.0.1\r\n2005.1 \r\n");
    }
    bool Supported(const std::string& version, const std::string& exe) {
        return IsVersionSupported(setup.path, QuillPackage(), version, exe);
    }
};

TEST_F(VersionListTest, PackageVersionsMatchByPrefix) {
    std::string exe = copies / "Quill.exe";
    EXPECT_TRUE(Supported("1.2.3.4", exe));
    EXPECT_TRUE(Supported("10.2.1.0", exe));
    EXPECT_FALSE(Supported("1.2.4.0", exe));
    EXPECT_FALSE(Supported("3.0", exe));
    EXPECT_FALSE(Supported("2005.1", exe));  // the listed line has a trailing space
    EXPECT_FALSE(Supported("", exe));
    WriteBytes(setup / "Source\\Versions.ini", "1.2.3\r\n\r\n");
    EXPECT_TRUE(Supported("", exe));
}

TEST_F(VersionListTest, ACopyWithThisPackageInstalledFits) {
    std::string exe = copies / "Quill.exe";
    EXPECT_FALSE(Supported("9.9.9.9", exe));
    WriteBytes(copies / "Resource\\Packages.ini", "OtherPack/2.0\r\nquillpack/1.0\r\nQuillPack/1.0 \r\n");
    EXPECT_FALSE(Supported("9.9.9.9", exe));
    WriteBytes(copies / "Resource\\Packages.ini", "OtherPack/2.0\r\nQuillPack/1.0\r\n");
    EXPECT_TRUE(Supported("9.9.9.9", exe));
}

TEST_F(VersionListTest, MissingPackageListIsAnError) {
    DeleteFileA((setup / "Source\\Versions.ini").c_str());
    EXPECT_THROW(Supported("1.2.3.4", copies / "Quill.exe"), FileError);
}

// Collection walks the records of the program in the test prefix.
class CollectTest : public CopyRecordsTest {
protected:
    ScratchDir setup;
    ScratchDir copies;
    FoundCopyTable found;

    void SetUp() override {
        CopyRecordsTest::SetUp();
        WriteBytes(setup / "Source\\Versions.ini", "1.2.3.4\r\n");
    }
    void Collect() { found = CollectCompatibleCopies(setup.path, QuillPackage()); }
    std::vector<std::string> Listed() const {
        return std::vector<std::string>(found.FoundCopies.begin(), found.FoundCopies.begin() + found.count());
    }
};

TEST_F(CollectTest, OneCopyRecordedTwiceNeedsNoList) {
    std::string exe = InstallTargetCopy("target_v1", copies / "a");
    WriteCopyRecords({
        {exe, "1.2.3.4", "Quillset"},
        {exe, "1.2.3.4", "QUILLSET"},
    });
    Collect();
    EXPECT_EQ(found.FoundCopies[0], exe);
    EXPECT_FALSE(found.listCreated);
    EXPECT_EQ(found.count(), 1);
}

TEST_F(CollectTest, StartedCopiesAreFoundInDiscoveryOrder) {
    std::string a = InstallTargetCopy("target_v1", copies / "a");
    std::string b = InstallTargetCopy("target_v1", copies / "b");
    std::string other = InstallTargetCopy("target_v2", copies / "old");
    std::string c = InstallTargetCopy("target_v1", copies / "c");
    for (const std::string& exe : {a, b, other, a, c}) RunTargetToRecord(exe);
    Collect();
    ASSERT_TRUE(found.listCreated);
    EXPECT_EQ(Listed(), (std::vector<std::string>{a, b, c}));
    EXPECT_EQ(found.FoundCopies[3], "");
}

TEST_F(CollectTest, PathsDifferingInCaseAreDistinct) {
    std::string exe = InstallTargetCopy("target_v1", copies / "a");
    std::string upper = copies / "A\\Quill.exe";
    WriteCopyRecords({
        {exe, "1.2.3.4", "Quillset"},
        {upper, "1.2.3.4", "Quillset"},
        {exe, "1.2.3.4", "Quillset"},
    });
    Collect();
    ASSERT_TRUE(found.listCreated);
    EXPECT_EQ(Listed(), (std::vector<std::string>{exe, upper}));
}

TEST_F(CollectTest, AMatchingRecordWithoutExecutableEndsTheWalk) {
    std::string a = InstallTargetCopy("target_v1", copies / "a");
    std::string b = InstallTargetCopy("target_v1", copies / "b");
    WriteCopyRecords({
        {a, "1.2.3.4", "Quillset"},
        {"", "", "Quillset"},
        {b, "1.2.3.4", "Quillset"},
    });
    Collect();
    EXPECT_EQ(found.FoundCopies[0], a);
    EXPECT_FALSE(found.listCreated);
}

TEST_F(CollectTest, ACopyWhoseDriveIsAwayIsNotOffered) {
    std::string a = InstallTargetCopy("target_v1", copies / "a");
    WriteBytes(setup / "Source\\Versions.ini", "1.2.3.4\r\n\r\n");  // an empty line fits an unreadable version
    WriteCopyRecords({
        {"Q:\\Games\\Quill.exe", "1.2.3.4", "Quillset"},
        {a, "1.2.3.4", "Quillset"},
    });
    Collect();
    EXPECT_EQ(found.FoundCopies[0], a);
    EXPECT_FALSE(found.listCreated);
}

// An offline share answers only after a network time-out: in one run the
// pruning and every later search ask about its root once, whatever the case
// of its name, and never about its files.
TEST_F(CollectTest, AShareThatIsAwayIsAskedAboutOncePerRun) {
    std::string a = InstallTargetCopy("target_v1", copies / "a");
    WriteCopyRecords({
        {"\\\\offline\\games\\Quill\\Quill.exe", "1.2.3.4", "Quillset"},
        {"\\\\OFFLINE\\Games\\Other\\Quill.exe", "1.2.3.4", "Quillset"},
        {a, "1.2.3.4", "Quillset"},
    });
    int shareProbes = 0;
    RootReachability roots([&](const std::string& path) {
        bool share = path.rfind("\\\\", 0) == 0;
        shareProbes += share;
        return !share;
    });
    PruneCopyRecords("", "", "", roots);
    EXPECT_EQ(ReadCopyCount(), 3) << "records on a share that is away are kept";
    for (int search = 0; search < 3; ++search) {  // Back and Next on the about page, again and again
        found = CollectCompatibleCopies(setup.path, QuillPackage(), roots);
        EXPECT_EQ(found.FoundCopies[0], a);
        EXPECT_FALSE(found.listCreated);
    }
    EXPECT_EQ(shareProbes, 1);
}

TEST_F(CollectTest, UnfitCopiesAndOtherProgramsAreSkipped) {
    std::string fit = InstallTargetCopy("target_v1", copies / "fit");
    std::string old = InstallTargetCopy("target_v2", copies / "old");
    std::string installed = InstallTargetCopy("target_v2", copies / "installed");
    WriteBytes(copies / "installed\\Resource\\Packages.ini", "QuillPack/1.0\r\n");
    WriteCopyRecords({
        {old, "2.0.0.0", "Quillset"},
        {fit, "1.2.3.4", "Other"},
        {installed, "2.0.0.0", "Quillset"},
        {fit, "1.2.3.4", "Quillset"},
    });
    Collect();
    ASSERT_TRUE(found.listCreated);
    EXPECT_EQ(Listed(), (std::vector<std::string>{installed, fit}));
}

}  // namespace

// A copy an interrupted run left behind: its executable gone aside, or of the
// version the run brought. Its record survives the pruning and the copy is
// offered, so the interrupted run can be settled; no other copy gains by it.
TEST_F(CollectTest, ACopyWithAnUnfinishedRunIsKeptAndOfferedWhateverItsExecutable) {
    std::string fit = InstallTargetCopy("target_v1", copies / "fit");
    std::string other = InstallTargetCopy("target_v2", copies / "other");
    std::string aside = copies / "aside\\Quill.exe";
    std::string replaced = InstallTargetCopy("target_v2", copies / "replaced");
    WriteCopyRecords({
        {aside, "1.2.3.4", "Quillset"},
        {other, "1.2.3.4", "Quillset"},
        {fit, "1.2.3.4", "Quillset"},
        {replaced, "1.2.3.4", "Quillset"},
    });
    std::vector<std::string> asked;
    auto unfinished = [&](const std::string& exe) {
        asked.push_back(exe);
        return exe == aside || exe == replaced;
    };
    RootReachability roots;
    PruneCopyRecords("", "", "", roots, unfinished);
    EXPECT_EQ(ReadCopyCount(), 3) << "only the copy of another version with no unfinished run goes";
    found = CollectCompatibleCopies(setup.path, QuillPackage(), roots, unfinished);
    EXPECT_EQ(Listed(), (std::vector<std::string>{aside, fit, replaced}));

    // Without the test the same records are pruned as before.
    PruneCopyRecords("", "", "", roots);
    EXPECT_EQ(ReadCopyCount(), 1);
}
