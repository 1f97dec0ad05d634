// The descriptor language: splitting files into commands, the tokeniser, defines, conversions.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/Common.h"
#include "resources/DescParser.h"
#include "tests/support/TestSupport.h"

using namespace Quor;

namespace {

// Records every command as text; "Define name value" stores a define.
class RecordingParser : public DescParser {
public:
    std::vector<std::string> mCommands;
    std::vector<int> mLines;
    std::string mErrorWhere;

    bool HandleCommand(const ListDataElement& params) override {
        mCommands.push_back(DataElementToString(&params));
        mLines.push_back(mCurrentLineNum);
        const auto& v = params.mElementVector;
        auto* first = static_cast<const SingleDataElement*>(v[0]);
        if (StringToUpper(first->mString) == "DEFINE" && v.size() == 3 && !v[1]->mIsList) {
            std::string name = StringToUpper(static_cast<const SingleDataElement*>(v[1])->mString);
            delete mDefineMap[name];
            mDefineMap[name] = v[2]->Duplicate();
        }
        if (first->mString == "Fail") return Error("Command Failed");
        return true;
    }
    bool Error(const std::string& text) override {
        mErrorWhere = text + " at line " + std::to_string(mCurrentLineNum);
        return DescParser::Error(text);
    }

    // Parses one text into a value: a word, or the list of everything in it.
    ListDataElement Parse(const std::string& text) {
        ListDataElement list;
        EXPECT_TRUE(ParseToList(text, &list, false, nullptr)) << text << ": " << mError;
        return list;
    }
};

} // namespace

TEST(DescParser, SplitsAFileIntoCommands) {
    quortest::TempDir dir;
    quortest::WriteFile(dir.File("f.txt"), std::string(
        "# a comment line; not a command\r\n"
        "Define Size 12;  # comment after a command\n"
        "  Text 'a;b' x#y\n"
        "     (1 2);\n"
        "\n"
        "Quote 'it''s' \"say \\\"hi\\\"\";\n"
        "Last one"));
    RecordingParser p;
    ASSERT_TRUE(p.LoadDescriptor(dir.File("f.txt"))) << p.mError;
    EXPECT_EQ(p.mCommands, (std::vector<std::string>{
                               "(Define, Size, 12)",
                               "(Text, 'a;b', x#y, (1, 2))",
                               "(Quote, 'it''s', \"say \"hi\"\")",
                               "(Last, one)",
                           }));
    EXPECT_EQ(p.mLines, (std::vector<int>{2, 3, 6, 7}));
    EXPECT_EQ(p.mCurrentLineNum, 0);
    EXPECT_EQ(p.mCurrentLine, "");
    ASSERT_NE(p.GetDefine("size"), nullptr);
}

TEST(DescParser, AFailingCommandStopsTheFile) {
    quortest::TempDir dir;
    quortest::WriteFile(dir.File("f.txt"), std::string("Define A 1;\nFail now;\nDefine B 2;"));
    RecordingParser p;
    EXPECT_FALSE(p.LoadDescriptor(dir.File("f.txt")));
    EXPECT_EQ(p.mError, "Command Failed");
    EXPECT_EQ(p.mErrorWhere, "Command Failed at line 2");
    EXPECT_NE(p.GetDefine("A"), nullptr);  // commands before the failure keep their effects
    EXPECT_EQ(p.GetDefine("B"), nullptr);

    quortest::WriteFile(dir.File("g.txt"), std::string("Ok;\n\nBad (x;\nNever;"));
    RecordingParser q;
    EXPECT_FALSE(q.LoadDescriptor(dir.File("g.txt")));
    EXPECT_EQ(q.mErrorWhere, "Unterminated List at line 3");
    EXPECT_EQ(q.mCommands.size(), 1u);

    EXPECT_FALSE(q.LoadDescriptor(dir.File("missing.txt")));
}

TEST(DescParser, TokenisesWordsAndLists) {
    struct Case {
        const char* text;
        const char* parsed;  // DataElementToString of the list, or the error text
        bool ok;
    } cases[] = {
        {"a b,c\td\ne", "(a, b, c, d, e)", true},
        {"a (b c) d", "(a, (b, c), d)", true},
        {"(b)c", "((b), c)", true},
        {"a ((1,2),(3)) ()", "(a, ((1, 2), (3)), ())", true},
        {"'x y;(z)' \"q'r\"", "('x y;(z)', \"q'r\")", true},
        {"a\\ b \\(c\\)", "(a b, (c))", true},
        {"a\r b", "(a\r, b)", true},
        {"", "()", true},
        {"a(b)", "Unexpected List Start", false},
        {"a)", "Unexpected List End", false},
        {"a (b", "Unterminated List", false},
        {"'abc", "Unterminated Single Quotes", false},
        {"\"abc", "Unterminated Double Quotes", false},
        {"('abc)", "Unterminated Single Quotes", false},
    };
    for (const Case& c : cases) {
        RecordingParser p;
        ListDataElement list;
        bool ok = p.ParseToList(c.text, &list, false, nullptr);
        EXPECT_EQ(ok, c.ok) << c.text;
        EXPECT_EQ(ok ? p.DataElementToString(&list) : p.mError, c.parsed) << c.text;
    }
    // Nesting is bounded: one level deeper than allowed is an error, not a deep recursion.
    RecordingParser p;
    std::string deep(DescParser::MAX_LIST_DEPTH, '(');
    deep += std::string(DescParser::MAX_LIST_DEPTH, ')');
    ListDataElement list;
    EXPECT_TRUE(p.ParseToList(deep, &list, false, nullptr)) << p.mError;
    std::string tooDeep = "(" + deep + ")";
    ListDataElement list2;
    EXPECT_FALSE(p.ParseToList(tooDeep, &list2, false, nullptr));
    EXPECT_EQ(p.mError, "List Nesting Too Deep");
    ListDataElement list3;
    EXPECT_FALSE(p.ParseToList(std::string(100000, '('), &list3, false, nullptr));
}

TEST(DescParser, ExecutesOneCommandLine) {
    RecordingParser p;
    EXPECT_TRUE(p.ParseDescriptorLine("   "));
    EXPECT_TRUE(p.mCommands.empty());
    EXPECT_FALSE(p.ParseDescriptorLine("(x) y"));
    EXPECT_EQ(p.mError, "Missing Command");
    EXPECT_TRUE(p.ParseDescriptorLine("Go 1"));
    EXPECT_EQ(p.mCommands, std::vector<std::string>{"(Go, 1)"});
}

TEST(DescParser, UnquotesAndResolvesDefines) {
    RecordingParser p;
    struct Quote {
        const char* word;
        const char* plain;
    } quotes[] = {
        {"'it''s'", "it's"}, {"\"a b\"", "a b"}, {"plain", "plain"}, {"'x'", "x"}, {"'a\"b'", "a\"b"},
    };
    for (const Quote& q : quotes) EXPECT_EQ(p.Unquote(q.word), q.plain) << q.word;

    for (const char* word : {"1", "-2", "+3", "'q'", "\"q\""}) EXPECT_TRUE(p.IsImmediate(word)) << word;
    for (const char* word : {"name", "_1", "(", ""}) EXPECT_FALSE(p.IsImmediate(word)) << word;

    ASSERT_TRUE(p.ParseDescriptorLine("Define Name 'Arial'"));
    ASSERT_TRUE(p.ParseDescriptorLine("Define Sizes (10, 0x10, -3)"));
    ASSERT_TRUE(p.ParseDescriptorLine("Define Mixed (1, (2))"));
    ASSERT_TRUE(p.ParseDescriptorLine("Define Both (Name, 'lit', 7, Sizes)"));

    ListDataElement resolved;
    ListDataElement source = p.Parse("name 'x''y' 5 (SIZES)");
    ASSERT_TRUE(p.DereferenceList(&source, &resolved));
    EXPECT_EQ(p.DataElementToString(&resolved), "('Arial', x'y, 5, ((10, 0x10, -3)))");
    ListDataElement unknown = p.Parse("name Nope");
    ListDataElement out;
    EXPECT_FALSE(p.DereferenceList(&unknown, &out));
    EXPECT_EQ(p.mError, "Unable to Dereference \"Nope\"");

    ListDataElement words = p.Parse("Name 'quoted' Sizes Mixed Undefined");
    const auto& w = words.mElementVector;
    std::string s;
    EXPECT_TRUE(p.DataToString(w[0], &s));
    EXPECT_EQ(s, "Arial");
    EXPECT_TRUE(p.DataToString(w[1], &s));
    EXPECT_EQ(s, "quoted");
    EXPECT_FALSE(p.DataToString(w[2], &s));  // a define that is a list
    EXPECT_TRUE(p.DataToString(w[4], &s));   // an undefined word is a literal
    EXPECT_EQ(s, "Undefined");

    IntVector ints;
    EXPECT_TRUE(p.DataToIntVector(w[2], &ints));
    EXPECT_EQ(ints, (IntVector{10, 16, -3}));
    ListDataElement literal = p.Parse("(1 +2)");
    EXPECT_FALSE(p.DataToIntVector(literal.mElementVector[0], &ints));  // '+' is immediate, not a number
    DoubleVector doubles;
    ListDataElement reals = p.Parse("(1.5 -.25 3)");
    EXPECT_TRUE(p.DataToDoubleVector(reals.mElementVector[0], &doubles));
    EXPECT_EQ(doubles, (DoubleVector{1.5, -0.25, 3.0}));

    StringVector strings{"stale"};
    EXPECT_FALSE(p.DataToStringVector(w[3], &strings));  // an item that is a list
    EXPECT_TRUE(strings.empty());
    EXPECT_FALSE(p.DataToStringVector(w[0], &strings));  // a define that is a single value
    EXPECT_FALSE(p.DataToStringVector(w[4], &strings));
    EXPECT_EQ(p.mError, "Unable to Dereference \"Undefined\"");
    ListDataElement both = p.Parse("(Name 'lit' 7)");
    EXPECT_TRUE(p.DataToStringVector(both.mElementVector[0], &strings));
    EXPECT_EQ(strings, (StringVector{"'Arial'", "lit", "7"}));

    ListDataElement list;
    EXPECT_TRUE(p.DataToList(w[3], &list));
    EXPECT_EQ(p.DataElementToString(&list), "(1, (2))");
    EXPECT_FALSE(p.DataToList(w[0], &list));
    EXPECT_TRUE(p.DataToList(both.mElementVector[0], &list));
    EXPECT_EQ(p.DataElementToString(&list), "('Arial', lit, 7)");
}

TEST(DescParser, ListValuesCopyDeeply) {
    RecordingParser p;
    ListDataElement a = p.Parse("x (y (z))");
    ListDataElement b(a);
    ListDataElement c;
    c = a;
    ListDataElement& same = c;
    c = same;  // assigning a list to itself keeps it
    std::unique_ptr<DataElement> d(a.Duplicate());
    a = ListDataElement();
    EXPECT_EQ(p.DataElementToString(&b), "(x, (y, (z)))");
    EXPECT_EQ(p.DataElementToString(&c), "(x, (y, (z)))");
    EXPECT_EQ(p.DataElementToString(d.get()), "(x, (y, (z)))");
    EXPECT_TRUE(d->mIsList);
}
