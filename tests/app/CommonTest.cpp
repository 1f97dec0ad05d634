// Text, number and path helpers.
#include "app/Common.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

using namespace Quor;

TEST(Common, StringToInt)
{
    struct Case {
        const char* text;
        bool ok;
        int value;
    } cases[] = {
        {"0", true, 0},         {"123", true, 123},     {"-12", true, -12},
        {"0x1F", true, 31},     {"0X10", true, 16},     {"0xff", true, 255},
        {"010", true, 10},      {"-", true, 0},         {"-x1F", true, -31},
        {"", false, 0},         {"12a", false, 0},      {"x1F", false, 0},
        {"-0x1F", false, 0},    {"1x2", false, 0},      {" 1", false, 0},
        {"1F", false, 0},       {"0xFFFFFFFF", true, -1}, {"4294967297", true, 1},
        {"2147483647", true, INT_MAX}, {"-2147483648", true, INT_MIN},
    };
    for (const Case& c : cases) {
        int value = 77;
        EXPECT_EQ(StringToInt(c.text, &value), c.ok) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(Common, StringToDouble)
{
    struct Case {
        const char* text;
        bool ok;
        double value;
    } cases[] = {
        {"1.5", true, 1.5}, {".5", true, 0.5},      {"3.", true, 3.0},  {"-2.25", true, -2.25},
        {"42", true, 42.0}, {"", false, 0.0},       {"1e3", false, 0.0}, {"1.2.3", false, 0.0},
        {"1.x", false, 0.0}, {"+1", false, 0.0}, {"1 ", false, 0.0}, {"-.", true, 0.0},
    };
    for (const Case& c : cases) {
        double value = 77.0;
        EXPECT_EQ(StringToDouble(c.text, &value), c.ok) << c.text;
        EXPECT_DOUBLE_EQ(value, c.value) << c.text;
    }
    // Fractions read as the nearest double, never a digit's rounding error away from it.
    for (const char* text : {"0.75", "0.1", "7.25", "130.0", "0.3", "123456.789", "-0.07"}) {
        double value = 0.0;
        EXPECT_TRUE(StringToDouble(text, &value));
        EXPECT_EQ(value, std::strtod(text, nullptr)) << text;
    }
    double value = 1.0;
    EXPECT_TRUE(StringToDouble("-", &value));
    EXPECT_EQ(value, 0.0);
    EXPECT_TRUE(std::signbit(value));
}

TEST(Common, CaseTrimAndWide)
{
    EXPECT_EQ(StringToUpper("abC1\xe9"), "ABC1\xe9");
    EXPECT_EQ(ToUpperCopy("mixed Case"), "MIXED CASE");
    EXPECT_EQ(StringToLower("MiXeD"), "mixed");
    EXPECT_EQ(StringToUpper(""), "");
    EXPECT_EQ(StringTrim(" \t a b \r\n"), "a b");
    EXPECT_EQ(StringTrim(" \t "), "");
    EXPECT_EQ(CopyString("text"), "text");
    EXPECT_EQ(CopyString(nullptr), "");

    std::wstring wide = StringToWString("A\xe9\xff");
    ASSERT_EQ(wide.size(), 3u);
    EXPECT_EQ(wide[1], 0xE9);
    EXPECT_EQ(wide[2], 0xFF);
    EXPECT_EQ(WStringToString(wide), "A\xe9\xff");
    EXPECT_EQ(WStringToString(L"ab\x20AC"), ""); // not representable as one byte
}

TEST(Common, NumberText)
{
    struct Case {
        int value;
        const char* text;
    } cases[] = {
        {0, "0"},       {999, "999"},         {1000, "1,000"},          {1234567, "1,234,567"},
        {-5, "-5"},     {-1000, "-1,000"},    {-1234567, "-1,234,567"}, {100000, "100,000"},
        {INT_MAX, "2,147,483,647"}, {INT_MIN, "-2,147,483,648"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CommaSeparate(c.value), c.text) << c.value;
    EXPECT_EQ(IntToString(-42), "-42");
}

TEST(Common, FormatLongTexts)
{
    EXPECT_EQ(StrFormat("%d-%s", 7, "x"), "7-x");
    // Texts around the first buffer's limit and far beyond it, with arguments after the long
    // one so that a reused argument list would show.
    for (size_t len : {159u, 160u, 161u, 5000u, 400000u}) {
        std::string big(len, 'q');
        std::string text = StrFormat("%s|%d|%s", big.c_str(), 12345, "end");
        EXPECT_EQ(text, big + "|12345|end") << len;
    }
}

TEST(Common, FindNoCaseAndCentering)
{
    EXPECT_EQ(StrFindNoCase("Hello World", "WORLD"), 6);
    EXPECT_EQ(StrFindNoCase("Hello", "xyz"), -1);
    EXPECT_EQ(StrFindNoCase("", ""), -1);
    EXPECT_EQ(StrFindNoCase("abc", ""), 0);
    EXPECT_EQ(StrFindNoCase("ab", "abc"), -1);

    EXPECT_EQ(GetCenteredX(1024), 0);
    EXPECT_EQ(GetCenteredX(100), 462);
    EXPECT_EQ(GetCenteredX(1025), 0);
    EXPECT_EQ(GetCenteredX(1027), -1);
}

TEST(Common, ResolveRelativePath)
{
    struct Case {
        const char* relative;
        const char* base;
        const char* result;
    } cases[] = {
        {"../fonts/a.txt", "c:/game/data/", "c:/game/fonts/a.txt"},
        {"..\\fonts\\a.txt", "c:\\game\\data\\", "c:\\game\\fonts\\a.txt"},
        {"img/x.png", "data", "data/img/x.png"},
        {"d:/x", "c:/anything", "d:/x"},
        {"../../x", "a/", "../x"},
        {"./x", "a/b", "a/b/x"},
        {"../x", "../", "../../x"},
        {"/abs/x", "a/b/", "/abs/x"},
        {"sub/../x", "a/", "a/sub/../x"},
        {"x/y", "a\\b", "a\\b\\x\\y"},
        {"x", "", "x"},
        {"../x", "c:game/", "c:x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResolveRelativePath(c.relative, c.base), c.result) << c.relative << " on " << c.base;
}

TEST(Common, PathPieces)
{
    struct Case {
        const char* path;
        const char* noExt;
        const char* dir;
    } cases[] = {
        {"a/b.c.txt", "b.c", "a"}, {"readme", "readme", ""},        {"dir.x/file", "file", "dir.x"},
        {"file.txt", "file", ""},  {"a/b\\c", "c", "a/b"},           {"a\\b/c.d", "c", "a\\b"},
        {".hidden", "", ""},       {"dir/", "", "dir"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetFileNameWithoutExt(c.path), c.noExt) << c.path;
        EXPECT_EQ(GetFileDir(c.path), c.dir) << c.path;
    }
    EXPECT_EQ(RemoveTrailingSlash("a\\\\"), "a\\");
    EXPECT_EQ(RemoveTrailingSlash("a/"), "a");
    EXPECT_EQ(RemoveTrailingSlash(""), "");
    EXPECT_EQ(AddTrailingSlash("a"), "a\\");
    EXPECT_EQ(AddTrailingSlash("a/"), "a/");
    EXPECT_EQ(AddTrailingSlash(""), "");
}

TEST(Common, XMLDecode)
{
    struct Case {
        const char* text;
        const char* result;
    } cases[] = {
        {"a&lt;b&amp;c", "a<b&c"},
        {"&gt;&quot;&apos;&nbsp;", ">\"' "},
        {"&cr;", "\n"},
        {"AT&T", "AT&T"},
        // Only real entity names are decoded; other '&' ... ';' runs stay as text.
        {"x&foo;y", "x&foo;y"},
        {"a & b; c &lt;", "a & b; c <"},
        {"&LT;", "&LT;"},
        {"&amp;lt;", "&lt;"},
        {"&;", "&;"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(XMLDecodeString(c.text), c.result) << c.text;
        EXPECT_EQ(XMLDecodeWString(StringToWString(c.text)), StringToWString(c.result)) << c.text;
    }
}

TEST(Common, AppDataFolderAndVersion)
{
    EXPECT_FALSE(IsWindows9x());
    EXPECT_TRUE(IsVistaOrLater());
    SetAppDataFolder("/data/folder");
    EXPECT_EQ(GetAppDataFolder(), "/data/folder\\");
    SetAppDataFolder("/data/other/");
    EXPECT_EQ(GetAppDataFolder(), "/data/other/");
    SetAppDataFolder("");
    EXPECT_EQ(GetAppDataFolder(), "");
}

TEST(Common, FoldersAndDates)
{
    quortest::TempDir tmp;
    std::string root = tmp.Path().string();
    CreateDirectories(root + "\\one/two\\three");
    EXPECT_TRUE(std::filesystem::is_directory(tmp.Path() / "one/two/three"));
    CreateDirectories(root + "/one"); // exists already: ignored

    quortest::WriteFile(root + "/one/two/f.txt", "x");
    quortest::WriteFile(root + "/one/g.txt", "y");
    struct utimbuf times = {1000000000, 1234567890};
    ASSERT_EQ(utime((root + "/one/g.txt").c_str(), &times), 0);
    EXPECT_EQ(GetFileDate(root + "\\one\\G.TXT"), 1234567890);
    EXPECT_EQ(GetFileDate(root + "/one/missing.txt"), 0);

    // A link inside the tree is removed, not followed.
    std::filesystem::create_directory(tmp.Path() / "keep");
    quortest::WriteFile(root + "/keep/k.txt", "k");
    std::filesystem::create_directory_symlink(tmp.Path() / "keep", tmp.Path() / "one/link");

    EXPECT_FALSE(DeleteTree("a"));
    EXPECT_FALSE(DeleteTree(root + "/missing"));
    EXPECT_TRUE(DeleteTree(root + "/one"));
    EXPECT_FALSE(std::filesystem::exists(tmp.Path() / "one"));
    EXPECT_TRUE(std::filesystem::exists(tmp.Path() / "keep/k.txt"));

    // A folder that cannot be emptied reports failure but removes what it can.
    if (geteuid() != 0) {
        CreateDirectories(root + "/ro/inner");
        quortest::WriteFile(root + "/ro/inner/f", "f");
        quortest::WriteFile(root + "/ro/other", "o");
        chmod((root + "/ro/inner").c_str(), 0555);
        EXPECT_FALSE(DeleteTree(root + "/ro"));
        EXPECT_TRUE(std::filesystem::exists(tmp.Path() / "ro/inner/f"));
        EXPECT_FALSE(std::filesystem::exists(tmp.Path() / "ro/other"));
        chmod((root + "/ro/inner").c_str(), 0755);
    }
}
