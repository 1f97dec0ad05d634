// The settings files: values of every type survive a round trip, damaged files read as empty.
#include "platform/Settings.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

TEST(SettingsStore, ValuesRoundTripThroughTheFile)
{
    const std::string key = "SOFTWARE\\StoreTest\\Round";
    struct Case {
        std::string name;
        uint32_t type;
        std::vector<uint8_t> data;
    } cases[] = {
        {"Plain", plat::SETTING_DWORD, {0x78, 0x56, 0x34, 0x12}},
        {"Max", plat::SETTING_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}},
        {"with space=and%", plat::SETTING_STRING, {'a', ' ', '=', '%', '\n', 0xE9}},
        {"Empty", plat::SETTING_STRING, {}},
        {"Blob", plat::SETTING_BINARY, {0, 1, 0xAB}},
        {"Odd", 77, {9}},
        {"ShortDword", plat::SETTING_DWORD, {1, 2}}, // kept as raw bytes of its type
    };
    for (const Case& c : cases)
        ASSERT_TRUE(plat::SettingsWrite(key, c.name, c.type, c.data.data(), c.data.size()))
            << c.name;
    for (const Case& c : cases) {
        uint32_t type = 0;
        std::vector<uint8_t> data;
        ASSERT_TRUE(plat::SettingsRead(key, c.name, &type, &data)) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
        EXPECT_EQ(data, c.data) << c.name;
    }
    EXPECT_FALSE(plat::SettingsRead(key, "Missing", nullptr, nullptr));
    EXPECT_FALSE(plat::SettingsRead("SOFTWARE\\StoreTest\\NoSuchKey", "Plain", nullptr, nullptr));
}

TEST(SettingsStore, UnusableKeysAndDamagedText)
{
    for (const char* key : {"", "SOFTWARE\\", "SOFTWARE\\..\\x", "a\\\\b", "."}) {
        std::string error;
        uint8_t byte = 1;
        EXPECT_FALSE(plat::SettingsWrite(key, "v", plat::SETTING_BINARY, &byte, 1, &error))
            << key;
        EXPECT_FALSE(error.empty()) << key;
        EXPECT_TRUE(plat::SettingsFilePath(key).empty()) << key;
    }
    std::vector<plat::SettingRecord> records;
    const char* bad[] = {
        "",
        "Other 1\n",
        "QuorSettings 1\nnoequals\n",
        "QuorSettings 1\n=dword 1\n",
        "QuorSettings 1\nx=dword 4294967296\n",
        "QuorSettings 1\nx=dword -1\n",
        "QuorSettings 1\nx=sz bad%4\n",
        "QuorSettings 1\nx=sz bad%zz\n",
        "QuorSettings 1\nx=hex3 ABC\n",
        "QuorSettings 1\nx=hex 00\n",
        "QuorSettings 1\nx=float 1.0\n",
        "QuorSettings 1\nx%=dword 1\n",
    };
    for (const char* text : bad)
        EXPECT_FALSE(plat::ParseSettingsText(text, &records)) << text;
    ASSERT_TRUE(plat::ParseSettingsText("QuorSettings 1\r\n\r\na%3Db=dword 7\r\n", &records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].name, "a=b");
    EXPECT_EQ(records[0].data, (std::vector<uint8_t>{7, 0, 0, 0}));
}
