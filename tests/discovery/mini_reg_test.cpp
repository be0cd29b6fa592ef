#include "discovery/mini_reg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string Scratch = "Software\\QuillTests\\MiniReg";

// Stores raw bytes of any type, bypassing the layer under test.
void StoreRaw(const std::string& name, DWORD type, const std::string& bytes) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Scratch.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void DeleteScratch() {
    RegDeleteKeyA(HKEY_CURRENT_USER, (Scratch + "\\Deep\\Deeper").c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, (Scratch + "\\Deep").c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, (Scratch + "\\Leaf").c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, Scratch.c_str());
}

class MiniRegTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteScratch(); }
    void TearDown() override { DeleteScratch(); }
    static std::string At(const std::string& name) { return Scratch + "\\" + name; }
};

TEST_F(MiniRegTest, PathWithoutBackslashFailsEveryOperation) {
    std::string text = "untouched";
    int value = 77;
    std::vector<BYTE> bytes{1, 2};
    EXPECT_FALSE(WriteRegString(HKEY_CURRENT_USER, "QuillNoSplit", "x"));
    EXPECT_FALSE(WriteRegInteger(HKEY_CURRENT_USER, "QuillNoSplit", 1));
    EXPECT_FALSE(WriteRegData(HKEY_CURRENT_USER, "QuillNoSplit", REG_BINARY, "x", 1));
    EXPECT_FALSE(ReadRegString(HKEY_CURRENT_USER, "QuillNoSplit", text));
    EXPECT_FALSE(ReadRegInteger(HKEY_CURRENT_USER, "QuillNoSplit", value));
    EXPECT_FALSE(ReadRegData(HKEY_CURRENT_USER, "QuillNoSplit", REG_SZ, bytes));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, "QuillNoSplit"));
    EXPECT_FALSE(DeleteRegKey(HKEY_CURRENT_USER, "QuillNoSplit"));
    EXPECT_EQ(text, "untouched");
    EXPECT_EQ(value, 77);
    EXPECT_EQ(bytes.size(), 2u);
    // Nothing was written at the root either.
    HKEY root = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &root), ERROR_SUCCESS);
    EXPECT_NE(RegQueryValueExA(root, "QuillNoSplit", nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    RegCloseKey(root);
}

TEST_F(MiniRegTest, WritesCreateKeysAndReadBack) {
    std::string text;
    int value = 0;
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, At("Deep\\Deeper\\Name"), "Перо Quill"));
    ASSERT_TRUE(ReadRegString(HKEY_CURRENT_USER, At("Deep\\Deeper\\Name"), text));
    EXPECT_EQ(text, "Перо Quill");
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, At("Deep\\Deeper\\Name"), "second"));
    ASSERT_TRUE(ReadRegString(HKEY_CURRENT_USER, At("Deep\\Deeper\\Name"), text));
    EXPECT_EQ(text, "second");

    ASSERT_TRUE(WriteRegInteger(HKEY_CURRENT_USER, At("Count"), -5));
    ASSERT_TRUE(ReadRegInteger(HKEY_CURRENT_USER, At("Count"), value));
    EXPECT_EQ(value, -5);
    std::vector<BYTE> raw;
    ASSERT_TRUE(ReadRegData(HKEY_CURRENT_USER, At("Count"), REG_DWORD, raw));
    EXPECT_EQ(raw, (std::vector<BYTE>{0xFB, 0xFF, 0xFF, 0xFF}));

    // A trailing backslash addresses the key's default value.
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, Scratch + "\\", "default"));
    ASSERT_TRUE(ReadRegString(HKEY_CURRENT_USER, Scratch + "\\", text));
    EXPECT_EQ(text, "default");

    // Large values survive whole.
    std::string big(200000, 'q');
    big[123456] = 'Z';
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, At("Big"), big));
    ASSERT_TRUE(ReadRegString(HKEY_CURRENT_USER, At("Big"), text));
    EXPECT_EQ(text, big);
}

TEST_F(MiniRegTest, StringsEndAtTheirTerminator) {
    std::string text = "untouched";
    StoreRaw("Empty", REG_SZ, "");
    ASSERT_TRUE(ReadRegString(HKEY_CURRENT_USER, At("Empty"), text));
    EXPECT_EQ(text, "");
    StoreRaw("Bare", REG_SZ, "abc");
    ASSERT_TRUE(ReadRegString(HKEY_CURRENT_USER, At("Bare"), text));
    EXPECT_EQ(text, "abc");
    StoreRaw("Twice", REG_SZ, std::string("ab\0cd\0", 6));
    ASSERT_TRUE(ReadRegString(HKEY_CURRENT_USER, At("Twice"), text));
    EXPECT_EQ(text, "ab");
}

TEST_F(MiniRegTest, TypesMustMatchExactly) {
    StoreRaw("Expand", REG_EXPAND_SZ, std::string("%TEMP%\0", 7));
    StoreRaw("Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
    StoreRaw("Number", REG_SZ, std::string("12\0", 3));
    StoreRaw("Binary", REG_BINARY, "\x01\x02\x03\x04");
    std::string text = "untouched";
    int value = 77;
    EXPECT_FALSE(ReadRegString(HKEY_CURRENT_USER, At("Expand"), text));
    EXPECT_FALSE(ReadRegString(HKEY_CURRENT_USER, At("Multi"), text));
    EXPECT_FALSE(ReadRegInteger(HKEY_CURRENT_USER, At("Number"), value));
    EXPECT_FALSE(ReadRegInteger(HKEY_CURRENT_USER, At("Binary"), value));
    EXPECT_FALSE(ReadRegString(HKEY_CURRENT_USER, At("Missing"), text));
    EXPECT_EQ(text, "untouched");
    EXPECT_EQ(value, 77);
    for (const char* name : {"Expand", "Multi", "Number", "Binary"}) EXPECT_TRUE(RegValueExists(HKEY_CURRENT_USER, At(name))) << name;
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, At("Missing")));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, "Software\\QuillTests\\NoSuchKey\\Value"));
}

TEST_F(MiniRegTest, IntegersTakeAtMostFourBytes) {
    int value = 0;
    StoreRaw("Long", REG_DWORD, "\x01\x02\x03\x04\x05\x06\x07\x08");
    ASSERT_TRUE(ReadRegInteger(HKEY_CURRENT_USER, At("Long"), value));
    EXPECT_EQ(value, 0x04030201);
    StoreRaw("Short", REG_DWORD, "\x2A\x01");
    ASSERT_TRUE(ReadRegInteger(HKEY_CURRENT_USER, At("Short"), value));
    EXPECT_EQ(value, 0x012A);
}

TEST_F(MiniRegTest, KeysAreTestedAndDeletedOneLevelAtATime) {
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, Scratch + "\\"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, Scratch));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "")) << "not the root itself";
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, At("Deep\\Deeper\\V"), "v"));
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, At("Leaf\\V"), "v"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, Scratch + "\\"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, Scratch)) << "with or without the trailing backslash";
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "Software"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, At("Deep\\Deeper\\V"))) << "a value is not a key";

    EXPECT_FALSE(DeleteRegKey(HKEY_CURRENT_USER, At("Deep")));  // still has a subkey
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, At("Deep\\Deeper\\")));
    EXPECT_TRUE(DeleteRegKey(HKEY_CURRENT_USER, At("Deep\\Deeper")));
    EXPECT_TRUE(DeleteRegKey(HKEY_CURRENT_USER, At("Deep")));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, At("Deep\\")));
    EXPECT_FALSE(DeleteRegKey(HKEY_CURRENT_USER, At("Deep")));  // already gone
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, At("Leaf\\")));
}

}  // namespace
