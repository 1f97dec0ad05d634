// The archive reader: name lookup, reads, seeks, text reads, damaged archives and searches.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "resources/PakInterface.h"
#include "tests/support/TestSupport.h"
#include "tools/pak/PakFormat.h"

using namespace Quor;
using paktool::PakEntry;

namespace {

using quortest::CurrentDir;

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::string WritePak(const quortest::TempDir& dir, const std::string& file, const std::vector<PakEntry>& entries,
                     const std::string& password = PakInterface::DEFAULT_PASSWORD) {
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(paktool::BuildPak(entries, password, bytes, error)) << error;
    std::string path = dir.File(file);
    quortest::WriteFile(path, bytes);
    return path;
}

std::string ReadAll(PakInterface& pak, PakFile* f) {
    std::string s;
    char buf[64];
    size_t n;
    while ((n = pak.FRead(buf, 1, sizeof(buf), f)) > 0) s.append(buf, n);
    return s;
}

} // namespace

TEST(PakInterface, NormalizesNames) {
    struct Case {
        const char* name;
        const char* key;
    } cases[] = {
        {"images\\Logo.png", "IMAGES\\LOGO.PNG"},
        {"IMAGES/LOGO.PNG", "IMAGES\\LOGO.PNG"},
        {"images//logo.png", "IMAGES\\LOGO.PNG"},
        {"sounds\\..\\images\\logo.png", "IMAGES\\LOGO.PNG"},
        {"a/b/../../c.txt", "C.TXT"},
        {"..\\x.png", "..\\X.PNG"},
        {"\\a\\..\\b", "\\B"},
        {"a\\.\\b", "A\\.\\B"},
        {"d:\\other\\x.png", "D:\\OTHER\\X.PNG"},
        {"caf\xe9.txt", "CAF\xe9.TXT"},  // only a-z change case
    };
    for (const Case& c : cases) {
        std::string key;
        EXPECT_TRUE(PakInterface::NormalizeName(c.name, key)) << c.name;
        EXPECT_EQ(key, c.key) << c.name;
    }
    std::string key;
    EXPECT_TRUE(PakInterface::NormalizeName(std::string(259, 'a').c_str(), key));
    EXPECT_FALSE(PakInterface::NormalizeName(std::string(260, 'a').c_str(), key));
    EXPECT_FALSE(PakInterface::NormalizeName(std::string(5000, 'a').c_str(), key));
}

TEST(PakInterface, CutsTheCurrentFolderOffAbsoluteNames) {
    quortest::TempDir dir;
    CurrentDir cd(dir.Path().string());
    std::string cwd = plat::GetCurrentDirectory();
    std::string key;
    ASSERT_TRUE(PakInterface::NormalizeName((cwd + "/images/x.png").c_str(), key));
    EXPECT_EQ(key, "IMAGES\\X.PNG");
}

TEST(PakInterface, OpensAndReadsEntriesByAnyFormOfTheirName) {
    quortest::TempDir dir;
    std::string path = WritePak(dir, "main.pak", {{"images\\Logo.png", Bytes("logo bytes"), 42},
                                                  {"empty.txt", {}, 0},
                                                  {"data\\a.xml", Bytes("<a/>"), 7}});
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile(path));
    struct Case {
        const char* name;
        const char* mode;
        const char* content;
    } cases[] = {
        {"images\\Logo.png", "r", "logo bytes"},
        {"IMAGES/LOGO.PNG", "rb", "logo bytes"},
        {"images//logo.png", "RB", "logo bytes"},
        {"sounds\\..\\images\\logo.png", "rt", "logo bytes"},
        {"empty.txt", "rb", ""},
        {"Data/A.xml", "r", "<a/>"},
    };
    for (const Case& c : cases) {
        PakFile* f = pak.FOpen(c.name, c.mode);
        ASSERT_NE(f, nullptr) << c.name;
        EXPECT_NE(f->mRecord, nullptr) << c.name;
        EXPECT_EQ(ReadAll(pak, f), c.content) << c.name;
        pak.FClose(f);
    }
    EXPECT_EQ(pak.FOpen("images\\missing.png", "rb"), nullptr);
    EXPECT_EQ(pak.mPakRecordMap.at("IMAGES\\LOGO.PNG").mFileTime, 42u);
    // The archive file itself is not an entry of its own directory.
    EXPECT_EQ(pak.mPakRecordMap.size(), 3u);
}

TEST(PakInterface, WritingModesAndUnknownNamesGoToDisk) {
    quortest::TempDir dir;
    CurrentDir cd(dir.Path().string());
    WritePak(dir, "main.pak", {{"notes.txt", Bytes("from archive"), 0}});
    quortest::WriteFile(dir.File("notes.txt"), std::string("from disk"));
    quortest::WriteFile(dir.File("other.txt"), std::string("other"));
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("main.pak"));

    PakFile* f = pak.FOpen("notes.txt", "r+");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->mRecord, nullptr);
    EXPECT_EQ(ReadAll(pak, f), "from disk");
    pak.FClose(f);

    f = pak.FOpen("NOTES.TXT", "w");  // a new file on disk; the archive is untouched
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->mRecord, nullptr);
    pak.FClose(f);
    f = pak.FOpen("notes.txt", "rb");
    EXPECT_EQ(ReadAll(pak, f), "from archive");
    pak.FClose(f);

    f = pak.FOpen("other.txt", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ReadAll(pak, f), "other");
    pak.FClose(f);
    EXPECT_EQ(pak.FOpen("absent.txt", "rb"), nullptr);
}

TEST(PakInterface, ReadsPartialElementsSeeksAndClamps) {
    quortest::TempDir dir;
    std::string path = WritePak(dir, "p.pak", {{"nine", Bytes("123456789"), 0}, {"crlf", Bytes("A\r\nB"), 0}});
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile(path));
    PakFile* f = pak.FOpen("nine", "rb");
    char buf[40] = {};
    EXPECT_EQ(pak.FRead(buf, 4, 10, f), 2u);  // 9 bytes copied, two whole elements
    EXPECT_EQ(std::string(buf, 9), "123456789");
    EXPECT_EQ(pak.FTell(f), 9);
    EXPECT_EQ(pak.FEof(f), 1);
    EXPECT_EQ(pak.FRead(buf, 0, 10, f), 0u);

    struct Seek {
        long offset;
        int origin;
        long expect;
    } seeks[] = {
        {3, SEEK_SET, 3}, {2, SEEK_CUR, 5}, {0, SEEK_END, 9}, {-4, SEEK_END, 5},
        {-20, SEEK_CUR, 0}, {100, SEEK_SET, 9}, {1, 7, 9},
    };
    for (const Seek& s : seeks) {
        EXPECT_EQ(pak.FSeek(f, s.offset, s.origin), 0);
        EXPECT_EQ(pak.FTell(f), s.expect) << s.offset << " " << s.origin;
    }
    EXPECT_EQ(pak.FGetC(f), -1);
    pak.FSeek(f, 4, SEEK_SET);
    EXPECT_EQ(pak.FGetC(f), '5');
    EXPECT_EQ(pak.UnGetC('x', f), 'x');
    EXPECT_EQ(pak.FGetC(f), '5');  // the byte at the position is read again
    pak.FSeek(f, 0, SEEK_SET);
    EXPECT_EQ(pak.UnGetC('x', f), 'x');
    EXPECT_EQ(pak.FTell(f), 0);
    pak.FClose(f);

    f = pak.FOpen("crlf", "r");
    EXPECT_EQ(pak.FGetC(f), 'A');
    EXPECT_EQ(pak.FGetC(f), '\n');
    EXPECT_EQ(pak.FGetC(f), 'B');
    EXPECT_EQ(pak.FGetC(f), -1);
    pak.FSeek(f, 0, SEEK_SET);
    EXPECT_STREQ(pak.FGetS(buf, sizeof(buf), f), "A\n");
    EXPECT_STREQ(pak.FGetS(buf, sizeof(buf), f), "B");
    EXPECT_EQ(pak.FGetS(buf, sizeof(buf), f), nullptr);
    pak.FSeek(f, 0, SEEK_SET);
    EXPECT_STREQ(pak.FGetS(buf, 1, f), "");
    EXPECT_STREQ(pak.FGetS(buf, 2, f), "A");
    pak.FClose(f);
}

TEST(PakInterface, ReadsOfEverySizeAndKeyPhaseMatchTheData) {
    std::vector<uint8_t> data(70000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    quortest::TempDir dir;
    for (const std::string& password : {std::string(PakInterface::DEFAULT_PASSWORD), std::string("k"),
                                       std::string(3000, 'z') + "q", std::string(20000, 'w') + "v"}) {
        std::string path = WritePak(dir, "big.pak", {{"odd", Bytes("xyz"), 0}, {"big.bin", data, 0}}, password);
        PakInterface pak;
        pak.mDecryptPassword = password;
        ASSERT_TRUE(pak.AddPakFile(path));
        PakFile* f = pak.FOpen("big.bin", "rb");
        std::vector<uint8_t> got(data.size());
        size_t pos = 0;
        const size_t steps[] = {1, 7, 255, 256, 300, 5000, 4099, 33};
        for (size_t i = 0; pos < got.size(); ++i) {
            size_t want = std::min(steps[i % 8], got.size() - pos);
            ASSERT_EQ(pak.FRead(got.data() + pos, 1, want, f), want);
            pos += want;
        }
        EXPECT_EQ(got, data) << "password length " << password.size();
        pak.FClose(f);
    }
}

TEST(PakInterface, RejectsWrongPasswordsVersionsAndDamagedArchives) {
    quortest::TempDir dir;
    std::vector<PakEntry> entries = {{"a.txt", Bytes("hello"), 0}, {"b.txt", Bytes("world!"), 0}};
    std::vector<uint8_t> plain;
    std::string error;
    ASSERT_TRUE(paktool::BuildPlainPak(entries, plain, error));
    const size_t dirEnd = plain.size() - 11;

    auto scrambled = [](std::vector<uint8_t> bytes) {
        paktool::Scramble(bytes, PakInterface::DEFAULT_PASSWORD);
        return bytes;
    };
    std::vector<uint8_t> version = plain;
    version[4] = 1;
    std::vector<uint8_t> tooBig = plain;  // b.txt claims one byte more than the file holds
    tooBig[dirEnd - 1 - 8 - 4] = 7;
    std::vector<uint8_t> negative = plain;
    negative[dirEnd - 1 - 8 - 1] = 0x80;
    std::vector<uint8_t> cutInRecord(plain.begin(), plain.begin() + 12);
    std::vector<uint8_t> wrongPassword = plain;
    paktool::Scramble(wrongPassword, "another password");

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* message;
    } cases[] = {
        {"wrong password", wrongPassword, "Invalid File or Invalid Password."},
        {"unscrambled", plain, "Invalid File or Invalid Password."},
        {"version 1", scrambled(version), "Invalid Version or Invalid Password."},
        {"entry past the end", scrambled(tooBig), "Invalid File or Invalid Password."},
        {"negative size", scrambled(negative), "Invalid File or Invalid Password."},
        {"directory cut in a record", scrambled(cutInRecord), "Invalid File or Invalid Password."},
        {"three bytes", scrambled({1, 2, 3}), "Invalid File or Invalid Password."},
    };
    for (const Case& c : cases) {
        quortest::WriteFile(dir.File("bad.pak"), c.bytes);
        PakInterface pak;
        EXPECT_FALSE(pak.AddPakFile(dir.File("bad.pak"))) << c.what;
        EXPECT_EQ(pak.mError, c.message) << c.what;
        EXPECT_TRUE(pak.mPakRecordMap.empty()) << c.what;
        EXPECT_TRUE(pak.mPakCollectionList.empty()) << c.what;
    }

    // Failures of the file itself leave no message.
    PakInterface pak;
    EXPECT_FALSE(pak.AddPakFile(dir.File("absent.pak")));
    quortest::WriteFile(dir.File("zero.pak"), std::vector<uint8_t>{});
    EXPECT_FALSE(pak.AddPakFile(dir.File("zero.pak")));
    EXPECT_EQ(pak.mError, "");
    // A directory ended by the end of the file, with empty entries only, is whole.
    std::vector<uint8_t> noEnd(plain.begin(), plain.begin() + 8);
    noEnd.insert(noEnd.end(), {0, 1, 'e', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    quortest::WriteFile(dir.File("noend.pak"), scrambled(noEnd));
    EXPECT_TRUE(pak.AddPakFile(dir.File("noend.pak")));
    PakFile* f = pak.FOpen("e", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(pak.FGetC(f), -1);
    pak.FClose(f);
}

TEST(PakInterface, LaterArchiveWinsAndAFailedOneIsNotUsed) {
    quortest::TempDir dir;
    std::string first = WritePak(dir, "1.pak", {{"same.txt", Bytes("first"), 0}, {"only1", Bytes("1"), 0}});
    std::string second = WritePak(dir, "2.pak", {{"SAME.TXT", Bytes("second"), 0}});
    std::string bad = WritePak(dir, "3.pak", {{"same.txt", Bytes("third"), 0}}, "wrong");
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile(first));
    ASSERT_TRUE(pak.AddPakFile(second));
    EXPECT_FALSE(pak.AddPakFile(bad));
    for (const char* name : {"same.txt", "only1"}) {
        PakFile* f = pak.FOpen(name, "rb");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(ReadAll(pak, f), std::string(name) == "only1" ? "1" : "second");
        pak.FClose(f);
    }
}

TEST(PakInterface, EmptyPasswordKeepsTheDefault) {
    quortest::TempDir dir;
    std::string path = WritePak(dir, "d.pak", {{"x", Bytes("default key"), 0}});
    PakInterface pak;
    pak.mDecryptPassword = "";
    ASSERT_TRUE(pak.AddPakFile(path));
    PakFile* f = pak.FOpen("x", "rb");
    EXPECT_EQ(ReadAll(pak, f), "default key");
    pak.FClose(f);
}

TEST(PakInterface, FindListsArchiveEntriesBeforeDiskFiles) {
    quortest::TempDir dir;
    CurrentDir cd(dir.Path().string());
    WritePak(dir, "main.pak", {{"images\\b.png", Bytes("bb"), 5},
                              {"images\\a.png", Bytes("a"), 6},
                              {"images\\sub\\c.png", Bytes("ccc"), 7},
                              {"images\\d.jpg", Bytes("d"), 8}});
    plat::MakeDirectory(dir.File("images"));
    quortest::WriteFile(dir.File("images/disk.png"), std::string("disk"));
    PakInterface pak;
    ASSERT_TRUE(pak.AddPakFile("main.pak"));

    PakFindData data;
    std::vector<std::string> names;
    std::vector<uint32_t> attributes;
    PakFindHandle* search = pak.FindFirstFile("images\\*.png", &data);
    ASSERT_NE(search, nullptr);
    do {
        names.push_back(data.mFileName);
        attributes.push_back(data.mAttributes);
    } while (pak.FindNextFile(search, &data));
    EXPECT_TRUE(pak.FindClose(search));
    EXPECT_EQ(names, (std::vector<std::string>{"a.png", "b.png", "c.png", "disk.png"}));
    EXPECT_EQ(attributes, (std::vector<uint32_t>{0, 0, PAK_FILE_ATTRIBUTE_DIRECTORY, 0}));

    search = pak.FindFirstFile("images/*.*", &data);
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(data.mFileName, "a.png");
    EXPECT_EQ(data.mFileSizeLow, 1u);
    EXPECT_EQ(data.mLastWriteTime, 6u);
    pak.FindClose(search);

    // Without a '*' only the disk is searched.
    search = pak.FindFirstFile("images\\a.png", &data);
    EXPECT_EQ(search, nullptr);
    search = pak.FindFirstFile("images\\disk.png", &data);
    ASSERT_NE(search, nullptr);
    EXPECT_EQ(data.mFileName, "disk.png");
    EXPECT_FALSE(pak.FindNextFile(search, &data));
    pak.FindClose(search);
    EXPECT_EQ(pak.FindFirstFile("nothing\\*.png", &data), nullptr);
}

TEST(PakInterface, GlobalFunctionsUseTheRegisteredInstance) {
    quortest::TempDir dir;
    PakInterface* pak = GetPakInterface();
    ASSERT_NE(pak, nullptr);
    EXPECT_EQ(GetPakInterface(), pak);
    EXPECT_EQ(pak->mDecryptPassword, PakInterface::DEFAULT_PASSWORD);
    std::string path = WritePak(dir, "g.pak", {{"global\\entry.txt", Bytes("abc\r\n"), 0}});
    ASSERT_TRUE(pak->AddPakFile(path));
    PakFile* f = PakFOpen("GLOBAL/entry.txt", "r");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(PakFGetC(f), 'a');
    EXPECT_EQ(PakUnGetC('a', f), 'a');
    char buf[8] = {};
    EXPECT_EQ(PakFRead(buf, 1, 8, f), 5u);
    EXPECT_EQ(std::string(buf, 5), "abc\r\n");  // block reads keep the CR
    EXPECT_EQ(PakFEof(f), 1);
    EXPECT_EQ(PakFSeek(f, -1, SEEK_END), 0);
    EXPECT_EQ(PakFTell(f), 4);
    EXPECT_EQ(PakFClose(f), 0);

    // Plain files go through the C runtime, with either separator.
    quortest::WriteFile(dir.File("plain.txt"), std::string("xy"));
    std::string winName = dir.Path().string() + "\\plain.txt";
    f = PakFOpen(winName.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->mRecord, nullptr);
    EXPECT_EQ(PakFGetC(f), 'x');
    EXPECT_EQ(PakFGetC(f), 'y');
    EXPECT_EQ(PakFGetC(f), -1);
    EXPECT_NE(PakFEof(f), 0);
    EXPECT_EQ(PakFClose(f), 0);
}
