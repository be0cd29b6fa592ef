// Whether setup may change a target is found by trying what the run will do:
// only a refusal of access to a folder it writes into or a file it changes
// asks for rights; a file held open by another program does not, and lines
// that could act outside the target are not tried at all.
#include "driver/elevation.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "support/locked_path.h"
#include "support/test_files.h"

namespace {

struct AccessProbe : ::testing::Test {
    ScratchDir setup;
    ScratchDir base;  // holds the target and a folder beside it
    std::string target = base / "Game";
    Package package;

    void SetUp() override {
        package.PackBaseFolder = "Addons";
        package.PackName = "Demo";
        WriteBytes(setup / "Source\\Script_Delete.ini", "Old\\gone.dat\r\n");
        WriteBytes(setup / "Source\\Script_ACopy.ini", "Data\\a.dat\r\n..\\Beside\\b.dat\r\n");
        WriteBytes(setup / "Source\\Script_Copy.ini", "Maps\\new.map\r\n");
        WriteBytes(target + "\\Data\\a.dat", "old");
        WriteBytes(target + "\\Old\\gone.dat", "old");
        WriteBytes(target + "\\Resource\\Uninstall.ini", "[Files]\r\n");
        WriteBytes(target + "\\Addons\\Demo\\Version.ini", "1.0\r\n");
        WriteBytes(base / "Beside\\b.dat", "not the target's");
    }
    bool Writable() { return TargetIsWritable(setup.path, target, package); }
};

}  // namespace

TEST_F(AccessProbe, EveryFileAndFolderTheRunChangesIsTried) {
    ASSERT_TRUE(Writable());
    for (const char* relative : {"Old\\gone.dat", "Data\\a.dat", "Resource\\Uninstall.ini", "Addons\\Demo\\Version.ini",
                                 "Data", "Addons\\Demo", ""}) {
        std::string path = relative[0] ? target + "\\" + relative : target;
        LockedPath lock(path);
        if (!lock.locked()) GTEST_SKIP() << "no way to make a path unwritable here";
        EXPECT_FALSE(Writable()) << relative;
        lock.Unlock();
    }
    EXPECT_TRUE(Writable());
    // Nothing of the probe is left behind.
    EXPECT_EQ(FolderListing(target), (std::vector<std::string>{"Addons", "Data", "Old", "Resource"}));
}

TEST_F(AccessProbe, AFileHeldOpenOrALineOutsideTheTargetAsksForNoRights) {
    HANDLE held = CreateFileA((target + "\\Data\\a.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(Writable()) << "a sharing violation is no refusal of rights";
    CloseHandle(held);

    LockedPath beside(base / "Beside");
    if (!beside.locked()) GTEST_SKIP() << "no way to make a folder unwritable here";
    EXPECT_TRUE(Writable()) << "a line that could leave the target copies nothing: nothing to try there";
}
