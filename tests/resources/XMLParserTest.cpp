// The XML pull parser: items, sections, attributes, encodings and the exact error texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/XMLParser.h"
#include "tests/support/TestSupport.h"

using namespace Quor;

namespace {

struct Item {
    int type;
    std::string section;
    std::string value;
    std::string instruction;
    std::vector<std::pair<std::string, std::string>> attributes;  // in the order read

    bool operator==(const Item&) const = default;
};

void PrintTo(const Item& i, std::ostream* os) {
    *os << "{" << i.type << ", \"" << i.section << "\", \"" << i.value << "\", \"" << i.instruction << "\"";
    for (auto& [k, v] : i.attributes) *os << ", " << k << "=" << v;
    *os << "}";
}

struct Result {
    std::vector<Item> items;
    bool failed = false;
    std::string error;
    int line = 0;
};

Result ParseFile(XMLParser& parser, const std::string& path) {
    Result r;
    EXPECT_TRUE(parser.OpenFile(path));
    XMLElement e;
    while (parser.NextElement(&e)) {
        Item item{e.mType, e.mSection, e.mValue, e.mInstruction, {}};
        for (const std::string& k : e.mAttributeKeys) item.attributes.emplace_back(k, e.mAttributes.at(k));
        r.items.push_back(item);
    }
    r.failed = parser.HasFailed();
    r.error = parser.GetErrorText();
    r.line = parser.GetCurrentLineNum();
    return r;
}

Result Parse(const std::string& text, bool allowComments = false) {
    quortest::TempDir dir;
    quortest::WriteFile(dir.File("t.xml"), text);
    XMLParser parser;
    parser.mAllowComments = allowComments;
    return ParseFile(parser, dir.File("t.xml"));
}

constexpr int S = XMLElement::TYPE_START, E = XMLElement::TYPE_END, T = XMLElement::TYPE_TEXT,
              I = XMLElement::TYPE_INSTRUCTION, C = XMLElement::TYPE_COMMENT;

} // namespace

TEST(XMLParser, ReadsItemsSectionsAndAttributes) {
    struct Case {
        const char* what;
        const char* text;
        std::vector<Item> items;
    } cases[] = {
        {"text is trimmed and inner runs become one space",
         "  <a>  hello   big \n\t world  </a>  \n",
         {{S, "", "a", "", {}}, {T, "a", "hello big world", "", {}}, {E, "a", "a", "", {}}}},
        {"quoted text keeps its spaces and angle brackets",
         "<a>say \"x  <b>  y\"  end</a>",
         {{S, "", "a", "", {}}, {T, "a", "say \"x  <b>  y\" end", "", {}}, {E, "a", "a", "", {}}}},
        {"empty-element tags give a start and an end tag",
         "<r><img src=\"a.png\" w=5/><br/><hr /><p x='1'/></r>",
         {{S, "", "r", "", {}},
          {S, "r", "img", "", {{"src", "a.png"}, {"w", "5"}}},
          {E, "r/img", "img", "", {}},
          {S, "r", "br", "", {}},
          {E, "r/br", "br", "", {}},
          {S, "r", "hr", "", {}},
          {E, "r/hr", "hr", "", {}},
          {S, "r", "p", "", {{"x", "'1'"}}},
          {E, "r/p", "p", "", {}},
          {E, "r", "r", "", {}}}},
        {"bare, quoted, spaced, empty and value-less attributes; a bare '=' is dropped",
         "<t a=1 b = \"two words\" c=\"\" d e=\"x=y\" f=\"3\"g=4/>",
         {{S, "", "t", "", {{"a", "1"}, {"b", "two words"}, {"c", ""}, {"d", ""}, {"e", "x=y"}, {"f", "3g4"}}},
          {E, "t", "t", "", {}}}},
        {"a value ending the tag with '/' is decoded once",
         "<p v=&amp;lt;/>",
         {{S, "", "p", "", {{"v", "&lt;"}}}, {E, "p", "p", "", {}}}},
        {"only the value still open at the closing '>' loses a trailing '/'",
         "<a p=\"x/\" q=\"y\"><m path=images/ n=1></m></a>",
         {{S, "", "a", "", {{"p", "x/"}, {"q", "y"}}},
          {S, "a", "m", "", {{"path", "images/"}, {"n", "1"}}},
          {E, "a/m", "m", "", {}},
          {E, "a", "a", "", {}}}},
        {"a repeated attribute keeps the last value and both names",
         "<t a=1 a=2></t>",
         {{S, "", "t", "", {{"a", "2"}, {"a", "2"}}}, {E, "t", "t", "", {}}}},
        {"entities in text and attributes, character references stay",
         "<a t=\"&lt;&amp;&quot;\">x &gt; y &#65; &cr;</a>",
         {{S, "", "a", "", {{"t", "<&\""}}}, {T, "a", "x > y &#65; \n", "", {}}, {E, "a", "a", "", {}}}},
        {"processing instruction",
         "<?xml version=\"1.0\"?><a/>",
         {{I, "", "xml", " version=\"1.0\"", {}}, {S, "", "a", "", {}}, {E, "a", "a", "", {}}}},
        {"comments are dropped",
         "<a><!-- note <b> --></a>",
         {{S, "", "a", "", {}}, {E, "a", "a", "", {}}}},
        {"nested sections",
         "<a><b><c>x</c></b></a>",
         {{S, "", "a", "", {}}, {S, "a", "b", "", {}}, {S, "a/b", "c", "", {}}, {T, "a/b/c", "x", "", {}},
          {E, "a/b/c", "c", "", {}}, {E, "a/b", "b", "", {}}, {E, "a", "a", "", {}}}},
    };
    for (const Case& c : cases) {
        Result r = Parse(c.text);
        EXPECT_FALSE(r.failed) << c.what << ": " << r.error;
        EXPECT_EQ(r.items, c.items) << c.what;
    }
}

TEST(XMLParser, CommentsBecomeItemsWhenAllowed) {
    Result r = Parse("<a><!-- note <b> --><!--x--></a>", true);
    // "<!--x-->" has no white space after "!--": it is a start tag of that name.
    ASSERT_GE(r.items.size(), 3u);
    EXPECT_EQ(r.items[1], (Item{C, "a", "!--", "note <b> ", {}}));
    EXPECT_EQ(r.items[2].type, S);
    EXPECT_EQ(r.items[2].value, "!--x--");
}

TEST(XMLParser, FailsWithTheExactTextsAndLines) {
    struct Case {
        const char* text;
        const char* error;
        int line;
        size_t itemsBefore;
    } cases[] = {
        {"<a>\n<b>\n</a>", "End 'a' Doesn't Match Start 'b'", 3, 2},
        {"<a></a>\n</a>", "Unexpected End", 2, 2},
        {"<a>text runs on", "Unexpected End of File", 1, 1},
        {"<a", "Unexpected End of File", 1, 0},
        {"<a <b>", "Unexpected '<'", 1, 0},
        {"<a>x > y</a>", "Unexpected '>'", 1, 1},
        {">", "Unexpected '>'", 1, 0},
        {"<a>\x01</a>", "Illegal Character", 1, 1},
        {"<a>\n\n\n<b x=\"1\"></a>", "End 'a' Doesn't Match Start 'b'", 4, 2},
    };
    for (const Case& c : cases) {
        Result r = Parse(c.text);
        EXPECT_TRUE(r.failed) << c.text;
        EXPECT_EQ(r.error, c.error) << c.text;
        EXPECT_EQ(r.line, c.line) << c.text;
        EXPECT_EQ(r.items.size(), c.itemsBefore) << c.text;
    }
    XMLParser parser;
    EXPECT_FALSE(parser.OpenFile("no/such/file.xml"));
    EXPECT_TRUE(parser.HasFailed());
    EXPECT_EQ(parser.GetErrorText(), "Unable to open file no/such/file.xml");
    EXPECT_EQ(parser.GetCurrentLineNum(), 0);
}

TEST(XMLParser, PicksTheReaderByTheByteOrderMark) {
    auto utf16 = [](const std::u16string& s, bool bigEndian) {
        std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t ch : s) {
            char lo = static_cast<char>(ch & 0xFF), hi = static_cast<char>(ch >> 8);
            out += bigEndian ? hi : lo;
            out += bigEndian ? lo : hi;
        }
        return out;
    };
    struct Case {
        const char* what;
        std::string bytes;
        std::string text;  // the text item between <a> and </a>
    } cases[] = {
        {"UTF-8 with a mark", "\xEF\xBB\xBF<a>caf\xC3\xA9</a>", "caf\xE9"},
        {"no mark: one byte a character", "<a>caf\xC3\xA9</a>", "caf\xC3\xA9"},
        {"UTF-16 little-endian", utf16(u"<a>caf\u00e9</a>", false), "caf\xE9"},
        {"UTF-16 big-endian", utf16(u"<a>caf\u00e9</a>", true), "caf\xE9"},
        // A pair keeps the low 16 bits of its code point (U+10441 -> 0x0441); a unit that is not
        // part of a proper pair reads as '?', and 0xF841 is an ordinary character.
        {"UTF-16 surrogates", utf16(u"<a>\xD801\xDC41\xD801" u"b\xDC41\xF841" u"c</a>", false), "A?b?Ac"},
    };
    for (const Case& c : cases) {
        Result r = Parse(c.bytes);
        EXPECT_FALSE(r.failed) << c.what << ": " << r.error;
        ASSERT_EQ(r.items.size(), 3u) << c.what;
        EXPECT_EQ(r.items[1].value, c.text) << c.what;
    }
}

TEST(XMLParser, RejectsIllegalUTF8) {
    const char* bad[] = {
        "\x80",              // continuation byte as a lead
        "\xC0\xAF",          // overlong '/'
        "\xE0\x80\xAF",      // overlong, three bytes
        "\xED\xA0\x80",      // a surrogate
        "\xEF\xBF\xBF",      // U+FFFF
        "\xC3\x28",          // bad continuation
        "\xFE",              // no such lead byte
    };
    for (const char* seq : bad) {
        // Inside a text item the item breaks off too, which has the last word.
        Result r = Parse(std::string("\xEF\xBB\xBF<a>x") + seq + "</a>");
        EXPECT_TRUE(r.failed) << seq;
        EXPECT_EQ(r.error, "Unexpected End of File") << seq;
        r = Parse(std::string("\xEF\xBB\xBF<a>") + seq + "</a>");
        EXPECT_TRUE(r.failed) << seq;
        EXPECT_EQ(r.error, "Illegal Character") << seq;
    }
    Result r = Parse("\xEF\xBB\xBF<a/>\xFF");
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(r.error, "Illegal Character");
    r = Parse("\xEF\xBB\xBF<a>\xF0\x90\x91\x81</a>");  // U+10441 keeps its low 16 bits
    ASSERT_EQ(r.items.size(), 3u);
    EXPECT_EQ(r.items[1].value, "A");
}

TEST(XMLParser, OpeningAgainClosesTheEarlierFile) {
    quortest::TempDir dir;
    quortest::WriteFile(dir.File("one.xml"), std::string("<one>\n<x/>"));
    quortest::WriteFile(dir.File("two.xml"), std::string("<two/>"));
    XMLParser parser;
    ASSERT_TRUE(parser.OpenFile(dir.File("one.xml")));
    XMLElement e;
    ASSERT_TRUE(parser.NextElement(&e));
    ASSERT_TRUE(parser.NextElement(&e));  // <x/> pushed back its end tag
    Result r = ParseFile(parser, dir.File("two.xml"));
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(r.items, (std::vector<Item>{{S, "", "two", "", {}}, {E, "two", "two", "", {}}}));
    EXPECT_EQ(parser.GetFileName(), dir.File("two.xml"));
    EXPECT_EQ(r.line, 1);
}
