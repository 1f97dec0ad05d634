// Live tuning: the literal parsers, the tail split, the record scan, and reparses of source
// files written by the test.
#include "app/LiveTuning.h"
#include "tests/support/TestSupport.h"

#include "platform/Files.h"
#include "platform/Sys.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace Quor;

namespace {

// A record in the program's constant data, as a marked constant would leave it: state 1, an
// empty holder slot, the marker word, and the tail naming "tuned.cpp", sequence 1, line 3.
const char kConstRecord[] = "\x01"
                            "\0\0\0\0\0\0\0\0"
                            "QUORMODVAL"
                            "tuned.cpp1,3";
static_assert(sizeof(void*) == 8, "the record above has an 8-byte holder slot");

// A record built at run time in writable memory.
std::vector<char> MakeRecord(const std::string& tail)
{
    std::vector<char> record(kModValTailOffset, 0);
    record[0] = 1;
    const std::string word = std::string("QUORMOD") + "VAL";
    std::memcpy(record.data() + kModValMarkerOffset, word.data(), word.size());
    record.insert(record.end(), tail.begin(), tail.end());
    record.push_back(0);
    return record;
}

ModValHolder* HolderOf(const char* record)
{
    ModValHolder* holder = nullptr;
    std::memcpy(&holder, record + kModValHolderOffset, sizeof(holder));
    return holder;
}

// Message boxes without a display land in the debugger output.
std::string gBoxes;
void Capture(const char* text)
{
    gBoxes += text;
}

class Reparse : public ::testing::Test {
protected:
    void SetUp() override
    {
        mOldDir = plat::GetCurrentDirectory();
        plat::SetCurrentDirectory(mDir.Path());
        GetModValFiles().clear();
        gModValReferenceTime = 1; // not 0: no address-space scan unless a test asks for it
        gBoxes.clear();
        plat::SetDebugOutputSink(&Capture);
    }
    void TearDown() override
    {
        plat::SetDebugOutputSink(nullptr);
        GetModValFiles().clear();
        gModValReferenceTime = 0;
        plat::SetCurrentDirectory(mOldDir);
    }
    // Registers and binds a record for a file and line.
    ModValHolder* Bind(std::vector<char>& record)
    {
        EXPECT_TRUE(ScanRangeForModVals(record.data(), record.size()));
        return BindModVal(record.data());
    }

    quortest::TempDir mDir;
    std::string mOldDir;
};

} // namespace

TEST(LiveTuning, LiteralParsers)
{
    struct Case {
        const char* text;
        int kind; // 0 error, 1 string, 2 integer, 3 real
        int32_t integer;
        double real;
        const char* str;
    } cases[] = {
        {"5)", 2, 5, 0, ""},
        {"5f)", 3, 0, 5.0, ""},
        {"5.)", 3, 0, 5.0, ""},
        {"-.5)", 3, 0, -0.5, ""},
        {"2.25f)", 3, 0, 2.25, ""},
        {"0x1F)", 2, 31, 0, ""},
        {"0x)", 2, 0, 0, ""},
        {"-12)", 2, -12, 0, ""},
        {"-0x10)", 0, 0, 0, ""},
        {"1e3)", 0, 0, 0, ""},
        {" 5)", 0, 0, 0, ""},
        {"5 )", 0, 0, 0, ""},
        {"5F)", 0, 0, 0, ""},
        {"Name)", 0, 0, 0, ""},
        {"\"a\\tb\\n\")", 1, 0, 0, "a\tb\n"},
        {"\"say \\\"hi\\\"\" + more)", 1, 0, 0, "say \"hi\""},
        {"\"back\\\\\")", 1, 0, 0, "back\\"},
        {"\"bad \\q\")", 0, 0, 0, ""},
        {"\"open)", 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        std::string str = "untouched";
        int32_t integer = -1;
        double real = -1;
        bool isString = ParseModValString(c.text, &str);
        bool isInteger = !isString && ParseModValInt(c.text, &integer);
        bool isReal = !isString && !isInteger && ParseModValDouble(c.text, &real);
        int kind = isString ? 1 : isInteger ? 2 : isReal ? 3 : 0;
        EXPECT_EQ(kind, c.kind) << c.text;
        if (c.kind == 1) {
            EXPECT_EQ(str, c.str) << c.text;
        } else if (c.kind == 2) {
            EXPECT_EQ(integer, c.integer) << c.text;
        } else if (c.kind == 3) {
            EXPECT_DOUBLE_EQ(real, c.real) << c.text;
        }
        if (c.kind == 0) {
            EXPECT_EQ(integer, 0) << c.text; // a failed parse leaves 0
            EXPECT_EQ(real, 0.0) << c.text;
        }
    }
    ModValNames()["Seven"] = 7;
    int32_t named = 0;
    EXPECT_TRUE(ParseModValInt("Seven + 1)", &named));
    EXPECT_EQ(named, 7);
    ModValNames().clear();
}

TEST(LiveTuning, TailSplit)
{
    struct Case {
        const char* tail;
        bool ok;
        const char* path;
        int sequence;
        int line;
    } cases[] = {
        {"src/game.cpp17,240", true, "src/game.cpp", 17, 240},
        {"a.h0,1", true, "a.h", 0, 1},
        {"game.cpp17", false, "", 0, 0},     // one number only
        {"game.cpp1,2,3", true, "game.cpp1,", 2, 3}, // a second comma stops the walk
        {"game.cpp", false, "", 0, 0},       // stops at the last character
        {"17,240", false, "", 0, 0},         // runs down to the start
        {"", false, "", 0, 0},
    };
    for (const Case& c : cases) {
        std::string text = c.tail;
        int32_t sequence = -1;
        int32_t line = -1;
        EXPECT_EQ(SplitModValTail(text, &sequence, &line), c.ok) << c.tail;
        if (c.ok) {
            EXPECT_EQ(text, c.path);
            EXPECT_EQ(sequence, c.sequence);
            EXPECT_EQ(line, c.line);
        }
    }
}

TEST(LiveTuning, RangeScanRegistersRecordsButNotTheBareMarkerWord)
{
    GetModValFiles().clear();
    std::vector<char> range;
    const std::string word = std::string("QUORMOD") + "VAL";
    range.insert(range.end(), word.begin(), word.end()); // too close to the start for a record
    range.push_back(0);
    for (const char* tail : {"x.cpp2,9", "x.cpp1,4", "y.cpp1,1", "bare"}) {
        std::vector<char> record = MakeRecord(tail);
        range.insert(range.end(), record.begin(), record.end());
    }
    range.insert(range.end(), word.begin(), word.end()); // a word whose tail has no end
    EXPECT_TRUE(ScanRangeForModVals(range.data(), range.size()));
    ModValFileMap& files = GetModValFiles();
    ASSERT_EQ(files.size(), 2u);
    EXPECT_FALSE(files["x.cpp"].mInUse);
    ASSERT_EQ(files["x.cpp"].mRecords.size(), 2u);
    EXPECT_EQ(files["x.cpp"].mRecords.begin()->second.mLine, 4); // ordered by sequence number
    EXPECT_EQ(files["y.cpp"].mRecords[1].mAddress[0], 1);
    EXPECT_FALSE(ScanRangeForModVals(word.data(), word.size()));
    EXPECT_EQ(FindModValMarker(range.data(), 9, range.data()), nullptr); // not wholly inside
    GetModValFiles().clear();
}

TEST_F(Reparse, NoFileInUseWarnsWithNone)
{
    EXPECT_FALSE(ReparseModVals());
    EXPECT_NE(gBoxes.find("[MODVAL WARNING!] WARNING: No file changes detected.  Files parsed: "
                          "\r\n  none"),
              std::string::npos)
        << gBoxes;
}

TEST_F(Reparse, ChangedFileStoresItsLiteralsAndAnUnchangedOneWarns)
{
    quortest::WriteFile("tuned.cpp", std::string("int a = M(1);\n"
                                                 "// M(2) in a comment\n"
                                                 "const char* s = \"M(3)\"; double d = M1(2.5f);\n"
                                                 "M(9); auto t = M(\"text\");\n"));
    std::vector<char> first = MakeRecord("tuned.cpp1,1");
    std::vector<char> second = MakeRecord("tuned.cpp2,3");
    std::vector<char> third = MakeRecord("tuned.cpp3,4");
    ModValHolder* a = Bind(first);
    EXPECT_EQ(first[0], 0); // bound
    EXPECT_EQ(HolderOf(first.data()), a);
    ASSERT_TRUE(ScanRangeForModVals(second.data(), second.size()));
    ASSERT_TRUE(ScanRangeForModVals(third.data(), third.size()));

    EXPECT_TRUE(ReparseModVals()) << gBoxes;
    EXPECT_TRUE(a->mSet);
    EXPECT_EQ(a->mInteger, 1);
    ModValHolder* d = HolderOf(second.data()); // bound by the reparse
    ASSERT_NE(d, nullptr);
    EXPECT_DOUBLE_EQ(d->mReal, 2.5);
    EXPECT_EQ(d->mInteger, 0);
    ModValHolder* t = HolderOf(third.data());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->mText, "text"); // "M(9)" at the start of the line is no marked call

    // Without an edit the file is read again, its values stored again, and the warning names it.
    a->mInteger = 100;
    EXPECT_FALSE(ReparseModVals());
    EXPECT_EQ(a->mInteger, 1);
    EXPECT_NE(gBoxes.find("Files parsed: \r\n  tuned.cpp"), std::string::npos) << gBoxes;
}

TEST_F(Reparse, ErrorsNameTheFileAndLine)
{
    struct Case {
        std::string source;
        std::string box;
    } cases[] = {
        {"int a = M(5 );\n", "ERROR in bad.cpp on line 1.  Parsing Error."},
        {"\n\nx = M(Name);\n", "ERROR in bad.cpp on line 3.  Parsing Error."},
        {"x = M(\"a\\q\");\n", "ERROR in bad.cpp on line 1.  Parsing Error."},
        {"s = \"open\nM(1);\n", "ERROR in bad.cpp on line 1: Error parsing quotes"},
        {"s = \"go on \\\n\n", "ERROR in bad.cpp on line 2: Error parsing quotes"},
        {"/* never closed\n\n", "ERROR in bad.cpp on line 3: Error parsing c comment"},
        {"// carried on \\", "ERROR in bad.cpp on line 2: Error parsing c++ comment"},
        {"x = 1;\n" + std::string(9000, 'x') + "\n", "ERROR in bad.cpp on line 2.  Parsing Error."},
    };
    for (const Case& c : cases) {
        GetModValFiles().clear();
        gBoxes.clear();
        quortest::WriteFile("bad.cpp", c.source);
        std::vector<char> record = MakeRecord("bad.cpp1,1");
        std::vector<char> later = MakeRecord("bad.cpp2,3");
        Bind(record);
        ScanRangeForModVals(later.data(), later.size());
        EXPECT_FALSE(ReparseModVals()) << c.source;
        EXPECT_NE(gBoxes.find("[MODVAL ERROR] " + c.box), std::string::npos)
            << c.source << "\n" << gBoxes;
    }
    gBoxes.clear();
    plat::DeleteFile("bad.cpp");
    EXPECT_FALSE(ReparseModVals());
    EXPECT_NE(gBoxes.find("[MODVAL ERROR!] ERROR: Unable to open bad.cpp for reparsing."),
              std::string::npos)
        << gBoxes;
}

TEST_F(Reparse, CommentsStringsAndContinuations)
{
    // Each marked call that is code takes the next record of its line; the rest is skipped.
    quortest::WriteFile("scan.cpp",
                        std::string("/*/ x = M(10); /* M(1) */\n"       // line 1: 10
                                    "s = \"\\\\\"; y = M(20); // M(2)\n" // line 2: 20
                                    "// comment \\\n"                    // line 3
                                    "M(3) still comment\n"               // line 4
                                    "c = '\"'; M(4);\n"                  // line 5: a string opens
                                    "z = _M(30) + aM(5) + M0(6) + M7(40);\n")); // 6: 30, 40
    std::vector<std::vector<char>> records;
    for (const char* tail : {"scan.cpp1,1", "scan.cpp2,2", "scan.cpp3,6", "scan.cpp4,6"})
        records.push_back(MakeRecord(tail));
    for (auto& record : records)
        ASSERT_TRUE(ScanRangeForModVals(record.data(), record.size()));
    BindModVal(records[0].data());
    EXPECT_FALSE(ReparseModVals()); // line 5's string never ends
    EXPECT_NE(gBoxes.find("on line 5: Error parsing quotes"), std::string::npos) << gBoxes;
    EXPECT_EQ(HolderOf(records[0].data())->mInteger, 10);
    EXPECT_EQ(HolderOf(records[1].data())->mInteger, 20);

    quortest::WriteFile("scan.cpp",
                        std::string("/*/ x = M(10); /* M(1) */\n"
                                    "s = \"\\\\\"; y = M(20); // M(2)\n"
                                    "// comment \\\n"
                                    "M(3) still comment\n"
                                    "c = 0; M(4);\n"
                                    "z = _M(30) + aM(5) + M0(6) + M7(40);\n"));
    gBoxes.clear();
    gModValReferenceTime = 1;
    EXPECT_TRUE(ReparseModVals()) << gBoxes;
    EXPECT_EQ(HolderOf(records[2].data())->mInteger, 30);
    EXPECT_EQ(HolderOf(records[3].data())->mInteger, 40);
}

TEST_F(Reparse, TheLoadedProgramIsScannedOnTheFirstRequest)
{
    quortest::WriteFile("tuned.cpp", std::string("\n\nint v = M(42);\n"));
    gModValReferenceTime = 0;
    // The constant record lies in this program's read-only data; the reparse finds it.
    EXPECT_FALSE(ReparseModVals()); // nothing bound yet: nothing in use
    ModValFileMap& files = GetModValFiles();
    ASSERT_EQ(files.count("tuned.cpp"), 1u);
    EXPECT_EQ(files["tuned.cpp"].mRecords[1].mAddress, kConstRecord);
    EXPECT_EQ(files.count(""), 0u);

    // Binding writes into read-only data around a protection change.
    ModValHolder* holder = BindModVal(const_cast<char*>(kConstRecord));
    EXPECT_EQ(*static_cast<const volatile char*>(kConstRecord), 0); // read the memory itself
    gModValReferenceTime = 1;
    EXPECT_TRUE(ReparseModVals()) << gBoxes;
    EXPECT_TRUE(holder->mSet);
    EXPECT_EQ(holder->mInteger, 42);
}
