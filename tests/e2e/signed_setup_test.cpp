// What tells a user the file is genuine: its version resource, and a copy
// signed by the package author (tests/binary/check-signing.sh signs it first)
// that still starts and runs as the unsigned one does.
#include <vector>

#include "discovery/file_version.h"
#include "e2e/wizard_fixture.h"
#include "ui/layout.h"

namespace {

std::string VersionText(const std::string& exe, const std::string& name) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    if (!size) return "";
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(exe.c_str(), 0, size, block.data())) return "";
    char* value = nullptr;
    UINT length = 0;
    std::string path = "\\StringFileInfo\\040904B0\\" + name;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) || !length) return "";
    return std::string(value, length - 1);
}

class SignedSetup : public WizardRun {};

}  // namespace

TEST_F(SignedSetup, TheVersionResourceNamesTheProgramAndItsVersion) {
    for (const std::string& exe : {std::string(SETUP_EXE_PATH), std::string(SIGNED_SETUP_EXE_PATH)}) {
        SCOPED_TRACE(exe);
        EXPECT_EQ(GetFileVersionString(exe), SETUP_VERSION);
        EXPECT_EQ(VersionText(exe, "ProductVersion"), SETUP_VERSION);
        EXPECT_EQ(VersionText(exe, "ProductName"), "Quillsetter.TV");
        EXPECT_NE(VersionText(exe, "FileDescription"), "");
        EXPECT_EQ(VersionText(exe, "LegalCopyright").rfind("Copyright", 0), 0u);
        EXPECT_EQ(VersionText(exe, "OriginalFilename"), "setup.exe");
    }
}

TEST_F(SignedSetup, TheSignedCopyStartsAndEndsAsUsual) {
    StartSetupFrom(process, SIGNED_SETUP_EXE_PATH, setup.path);
    main = WaitForTopWindow(process.pid(), "myWindow");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForHeader("О пакете:"));
    ClickButton(main, CmdExit);
    AnswerBox(process.pid(), IDYES);
    EXPECT_EQ(process.waitExit(), 0);
}
