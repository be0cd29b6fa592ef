#include "discovery/version_lists.h"

#include <gtest/gtest.h>

#include "driver/errors.h"
#include "driver/pack_info.h"
#include "records_support.h"
#include "support/test_files.h"
#include "ui/copy_list.h"
#include "ui/main_window.h"
#include "ui/pages.h"
#include "ui/toolkit.h"

namespace {

std::string ClassOfWindow(HWND window) {
    char name[257];
    int length = GetClassNameA(window, name, sizeof name);
    return std::string(name, length > 0 ? length : 0);
}

class VersionListTest : public ::testing::Test {
protected:
    ScratchDir setup;
    ScratchDir copies;
    void SetUp() override {
        PackName = "QuillPack";
        PackVersion = "1.0";
        WriteBytes(setup / "Source\\Versions.ini", "1.2.3\r\n10.2.1\r\n3.0.1\r\n2005.1 \r\n");
    }
    bool Supported(const std::string& version, const std::string& exe) {
        return IsVersionSupportedIn(setup.path, version, exe);
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

// Collection runs against a real main window with a Next button, as on the copy list page.
class CollectTest : public CopyRecordsTest {
protected:
    ScratchDir setup;
    ScratchDir copies;
    bool listCreated = false;

    static void SetUpTestSuite() {
        if (MainWindow) return;
        CreateMainWindow("Quill tests", 328, 495, 0xA0000);
        NextButton = CreateControl("button", "Next", ChildStyle, 300, 290, 80, 25, MainWindow, CmdNext, FontNormal);
    }
    void SetUp() override {
        CopyRecordsTest::SetUp();
        PackProgramName = "Quillset";
        PackName = "QuillPack";
        PackVersion = "1.0";
        WriteBytes(setup / "Source\\Versions.ini", "1.2.3.4\r\n");
        FoundCopies = {};
        PageList = nullptr;
        EnableWindow(NextButton, TRUE);
    }
    void TearDown() override {
        if (listCreated) {
            DestroyWindow(PageList);
            DestroyWindow(CopyListFrame);
        }
        CopyRecordsTest::TearDown();
    }
    void Collect() { CollectCompatibleCopiesIn(setup.path, listCreated); }
    std::vector<std::string> Listed() {
        std::vector<std::string> items;
        LRESULT count = SendMessageA(PageList, LB_GETCOUNT, 0, 0);
        for (int i = 0; i < count; ++i) items.push_back(ListItemText(PageList, i));
        return items;
    }
};

TEST_F(CollectTest, OneCopyRecordedTwiceNeedsNoList) {
    std::string exe = InstallTargetCopy("target_v1", copies / "a");
    WriteCopyRecords({
        {exe, "1.2.3.4", "Quillset"},
        {exe, "1.2.3.4", "QUILLSET"},
    });
    Collect();
    EXPECT_EQ(FoundCopies[0], exe);
    EXPECT_FALSE(listCreated);
    EXPECT_EQ(PageList, nullptr);
    EXPECT_TRUE(IsWindowEnabled(NextButton));
}

TEST_F(CollectTest, StartedCopiesAreListedInDiscoveryOrder) {
    std::string a = InstallTargetCopy("target_v1", copies / "a");
    std::string b = InstallTargetCopy("target_v1", copies / "b");
    std::string other = InstallTargetCopy("target_v2", copies / "old");
    std::string c = InstallTargetCopy("target_v1", copies / "c");
    for (const std::string& exe : {a, b, other, a, c}) RunTargetToRecord(exe);
    Collect();

    ASSERT_TRUE(listCreated);
    EXPECT_EQ(Listed(), (std::vector<std::string>{a, b, c}));
    EXPECT_EQ(FoundCopies[0], a);
    EXPECT_EQ(FoundCopies[1], b);
    EXPECT_EQ(FoundCopies[2], c);
    EXPECT_EQ(FoundCopies[3], "");
    EXPECT_FALSE(IsWindowEnabled(NextButton));

    EXPECT_EQ(GetDlgCtrlID(PageList), CmdCopyList);
    // The list box drops WS_VSCROLL itself while three items need no scrolling.
    DWORD listStyle = static_cast<DWORD>(GetWindowLongPtrA(PageList, GWL_STYLE));
    EXPECT_EQ(listStyle & (WS_CHILD | WS_VISIBLE | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | LBS_SORT | LBS_MULTIPLESEL |
                           LBS_EXTENDEDSEL),
              0x50000101u);
    EXPECT_EQ(ClassOfWindow(PageList), "ListBox");
    RECT box;
    GetWindowRect(PageList, &box);
    MapWindowPoints(nullptr, MainWindow, reinterpret_cast<POINT*>(&box), 2);
    EXPECT_EQ(box.left, 25);
    EXPECT_EQ(box.top, 111);
    EXPECT_EQ(box.right - box.left, 440);
    EXPECT_EQ(box.bottom - box.top, 150);
    DWORD frameStyle = static_cast<DWORD>(GetWindowLongPtrA(CopyListFrame, GWL_STYLE));
    EXPECT_EQ(frameStyle & (WS_CHILD | WS_VISIBLE | SS_TYPEMASK), 0x50000012u);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(PageList, WM_GETFONT, 0, 0)), FontNormal);

    // The tooltip window holds one tracking tool placed at absolute positions.
    EXPECT_EQ(ClassOfWindow(TipWindow), "tooltips_class32");
    EXPECT_EQ(SendMessageA(TipWindow, TTM_GETTOOLCOUNT, 0, 0), 1);
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    ASSERT_TRUE(SendMessageA(TipWindow, TTM_ENUMTOOLSA, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(tool.uFlags & (TTF_TRACK | TTF_ABSOLUTE), static_cast<UINT>(TTF_TRACK | TTF_ABSOLUTE));
}

TEST_F(CollectTest, ALongPathShowsItsTipWhileHovered) {
    std::string shortPath = InstallTargetCopy("target_v1", copies / "a");
    std::string longPath = InstallTargetCopy("target_v1", copies / std::string(90, 'q'));
    WriteCopyRecords({{shortPath, "1.2.3.4", "Quillset"}, {longPath, "1.2.3.4", "Quillset"}});
    Collect();
    ASSERT_TRUE(listCreated);
    ShowWindow(MainWindow, SW_SHOWNORMAL);
    RECT box;
    GetWindowRect(PageList, &box);
    HoverTipsOn = 1;
    ShownTipItem = -1;
    SetCursorPos(box.left + 50, box.top + 13 + 6);  // on the second row
    UpdateHoverTip();
    EXPECT_EQ(ShownTipItem, 1);
    EXPECT_TRUE(IsWindowVisible(TipWindow));
    SetCursorPos(box.left + 50, box.top + 6);  // the first row fits the list
    UpdateHoverTip();
    EXPECT_EQ(ShownTipItem, -1);
    EXPECT_FALSE(IsWindowVisible(TipWindow));
    HoverTipsOn = 0;
    ShowWindow(MainWindow, SW_HIDE);
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
    ASSERT_TRUE(listCreated);
    EXPECT_EQ(Listed(), (std::vector<std::string>{exe, upper}));
}

TEST_F(CollectTest, CopiesPastTheEleventhAreDropped) {
    std::vector<std::string> exes;
    for (int i = 0; i < 13; ++i) {
        exes.push_back(InstallTargetCopy("target_v1", copies / ("copy" + std::to_string(i))));
        WriteCopyRecord(i + 1, exes.back(), "1.2.3.4", "Quillset");
    }
    WriteCopyRecord(14, exes[3], "1.2.3.4", "Quillset");
    WriteCopyCount(14);
    Collect();
    ASSERT_TRUE(listCreated);
    std::vector<std::string> first(exes.begin(), exes.begin() + FoundCopySlots);
    EXPECT_EQ(Listed(), first);
    for (int slot = 0; slot < FoundCopySlots; ++slot) EXPECT_EQ(FoundCopies[slot], exes[slot]);
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
    EXPECT_EQ(FoundCopies[0], a);
    EXPECT_FALSE(listCreated);
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
    ASSERT_TRUE(listCreated);
    EXPECT_EQ(Listed(), (std::vector<std::string>{installed, fit}));
}

}  // namespace
