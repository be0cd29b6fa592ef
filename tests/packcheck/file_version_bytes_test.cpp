// packcheck reads a program's file version from its bytes, setup asks the
// system: both must give the same text.
#include "packcheck/file_version_bytes.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "discovery/file_version.h"
#include "support/test_files.h"

TEST(FileVersionFromBytes, AgreesWithTheSystem) {
    for (const char* variant : {"target_v1", "target_v2", "target_nover", "target_fixed"}) {
        std::string exe = std::string(TEST_BIN_DIR) + "\\demo\\" + variant + ".exe";
        std::string bytes = ReadBytes(exe);
        ASSERT_FALSE(bytes.empty()) << exe;
        EXPECT_EQ(FileVersionFromBytes(bytes), GetFileVersionString(exe)) << variant;
    }
    EXPECT_EQ(FileVersionFromBytes(ReadBytes(std::string(TEST_BIN_DIR) + "\\demo\\target_v2.exe")), "2.0.0.0");
    EXPECT_EQ(FileVersionFromBytes(""), "");
    EXPECT_EQ(FileVersionFromBytes("MZ not really a program"), "");
}

// A program cut short anywhere gives its version or none, reading nothing past the end.
TEST(FileVersionFromBytes, ACutProgramIsNoTrouble) {
    std::string bytes = ReadBytes(std::string(TEST_BIN_DIR) + "\\demo\\target_v1.exe");
    for (size_t cut = 0; cut < bytes.size(); cut += 97) {
        std::string version = FileVersionFromBytes(bytes.substr(0, cut));
        EXPECT_TRUE(version.empty() || version == "1.2.3.4") << cut;
    }
}
