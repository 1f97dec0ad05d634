// Colour-coded and word-wrapped text, checked through a font that records its draw calls.
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Quor;

namespace {

struct DrawCall {
    int mX, mY;
    std::string mText;
    Color mColor;
};

// Every character is 5 pixels wide, 'W' 9; kerning makes "AV" 1 pixel narrower.
class RecordingFont : public Font {
public:
    std::vector<DrawCall>* mCalls;
    explicit RecordingFont(std::vector<DrawCall>* calls) : mCalls(calls)
    {
        mAscent = 8;
        mAscentPadding = 1;
        mHeight = 10;
        mLineSpacingOffset = 2;
    }
    int CharWidthKern(char c, char prev) override
    {
        return (c == 'W' ? 9 : 5) - (prev == 'A' && c == 'V' ? 1 : 0);
    }
    int CharWidth(char c) override { return CharWidthKern(c, 0); }
    int StringWidth(const std::string& s) override
    {
        int w = 0;
        char prev = 0;
        for (char c : s) {
            w += CharWidthKern(c, prev);
            prev = c;
        }
        return w;
    }
    void DrawString(Graphics*, int x, int y, const std::string& s, const Color& color,
                    const Rect&) override
    {
        mCalls->push_back({x, y, s, color});
    }
    Font* Duplicate() override { return new RecordingFont(*this); }
};

std::string Texts(const std::vector<DrawCall>& calls)
{
    std::string out;
    for (const DrawCall& c : calls) {
        if (c.mText.empty())
            continue;
        out += (out.empty() ? "" : "|") + c.mText;
    }
    return out;
}

class GraphicsText : public ::testing::Test {
protected:
    std::vector<DrawCall> mCalls;
    RecordingFont mFont{&mCalls};
    MemoryImage mImage;
    Graphics mG;
    GraphicsText() : mG((mImage.Create(200, 200), &mImage)) { mG.SetFont(&mFont); }
};

} // namespace

TEST_F(GraphicsText, ColorCodes)
{
    mG.SetColor(Color(10, 20, 30, 128));
    EXPECT_EQ(mG.DrawColorCodedText("ab^FF0000^cd", 3, 40, 0, -1), 20);
    ASSERT_EQ(mCalls.size(), 2u);
    EXPECT_EQ(mCalls[0].mText, "ab");
    EXPECT_EQ(mCalls[0].mColor, Color(10, 20, 30, 128));
    EXPECT_EQ(mCalls[1].mText, "cd");
    EXPECT_EQ(mCalls[1].mX, 13);
    EXPECT_EQ(mCalls[1].mColor, Color(255, 0, 0, 128));
    EXPECT_EQ(mG.GetColor(), Color(255, 0, 0, 128)); // the last code's colour stays

    mCalls.clear();
    mG.mWriteColoredString = false;
    EXPECT_EQ(mG.DrawColorCodedText("ab^FF0000^cd", 0, 0, 0, -1), 60);
    ASSERT_EQ(mCalls.size(), 1u);
    EXPECT_EQ(mCalls[0].mText, "ab^FF0000^cd");
    mG.mWriteColoredString = true;

    struct Case {
        const char* text;
        int start, length;
        const char* drawn;
        int width;
    } cases[] = {
        {"x^^y", 0, -1, "x^y", 15},
        {"ab^1234", 0, -1, "ab", 10},           // fewer than 8 characters from the caret
        {"ab^", 0, -1, "ab", 10},
        {"a^oldclr^b^zz0000^c", 0, -1, "a|b|c", 15}, // bad digits count as 0
        {"abcdef", 2, 2, "cd", 10},
        {"abcdef", 2, 99, "cdef", 20},             // a length past the end runs to the end
        {"abc", 7, 1, "", 0},                      // a start past the end draws nothing
        {"AV", 0, -1, "AV", 9},
    };
    for (const Case& c : cases) {
        mCalls.clear();
        EXPECT_EQ(mG.DrawColorCodedText(c.text, 0, 0, 0, -1, true, c.start, c.length), c.width)
            << c.text;
        EXPECT_EQ(Texts(mCalls), c.drawn) << c.text;
    }
}

TEST_F(GraphicsText, CodeColoursAndJustification)
{
    mG.SetColor(Color(1, 2, 3, 200));
    mG.DrawColorCodedText("a^00ff80^b^oldclr^c^oops!!^d", 0, 0, 0, -1, true, 0, -1,
                          0x00405060);
    ASSERT_EQ(mCalls.size(), 4u);
    EXPECT_EQ(mCalls[1].mColor, Color(0, 255, 0x80, 200));
    EXPECT_EQ(mCalls[2].mColor, Color(0x40, 0x50, 0x60, 200));
    EXPECT_EQ(mCalls[3].mColor, Color(0, 0, 0, 200));

    struct Case {
        int just, x;
    } cases[] = {{0, 100 + (51 - 15) / 2}, {1, 100 + 51 - 15}, {-1, 100}, {7, 100}};
    for (const Case& c : cases) {
        mCalls.clear();
        EXPECT_EQ(mG.DrawColorCodedText("abc", 100, 5, 51, c.just), 15);
        ASSERT_EQ(mCalls.size(), 1u);
        EXPECT_EQ(mCalls[0].mX, c.x) << c.just;
    }
    mCalls.clear();
    EXPECT_EQ(mG.DrawColorCodedText("abc", 0, 0, 51, 0, false), 15);
    EXPECT_TRUE(mCalls.empty());
}

TEST_F(GraphicsText, Wrapping)
{
    // Line spacing 12, first baseline at rect y + 7, result offset - 12 + descent 2.
    struct Case {
        const char* text;
        int width;
        const char* lines;
        int height;
    } cases[] = {
        {"ab cd", 100, "ab cd", 9},
        {"ab cd", 12, "ab|cd", 21},
        {"ab   cd ef", 12, "ab|cd|ef", 33},  // spaces after a break are skipped
        {"abcdefg", 17, "abc|def|g", 33},    // a long word breaks at the last fitting character
        {"WWW", 4, "W|W|W", 33},             // one character wider than the rect: a line each
        {"a\nb", 100, "a|b", 21},
        {"a\n", 100, "a", 21},               // a final newline counts one more line
        {"a\n\nb", 100, "a|b", 33},
        {"ab^FF0000^cd ef", 22, "ab|cd|ef", 21}, // codes are not measured
        {"ab^FF", 100, "ab", 9},              // a code cut by the end is not run past
        {"a^", 100, "a", 9},
        {"", 100, "", -3},
    };
    for (const Case& c : cases) {
        mCalls.clear();
        EXPECT_EQ(mG.DrawWrappedText(c.text, Rect(4, 10, c.width, 0)), c.height) << c.text;
        EXPECT_EQ(Texts(mCalls), c.lines) << c.text;
    }

    mCalls.clear();
    mG.DrawWrappedText("ab cd ef", Rect(4, 10, 12, 0), 20, 1);
    ASSERT_EQ(mCalls.size(), 3u);
    EXPECT_EQ(mCalls[0].mY, 17);
    EXPECT_EQ(mCalls[1].mY, 37);
    EXPECT_EQ(mCalls[2].mX, 4 + 12 - 10); // right-aligned
}

TEST_F(GraphicsText, WrappingRestoresColourAndSkipsInvisibleLines)
{
    mG.SetColor(Color::White);
    mG.DrawWrappedText("a ^oldclr^b ^00FF00^c d", Rect(0, 0, 12, 0));
    EXPECT_EQ(mG.GetColor(), Color::White);
    // oldclr of an opaque white is white, not -1 (which would mean "current colour").
    bool sawWhiteB = false;
    for (const DrawCall& c : mCalls)
        if (c.mText == "b")
            sawWhiteB = c.mColor == Color::White;
    EXPECT_TRUE(sawWhiteB);

    // Lines whose baseline lies above the clip are not drawn; the last one always is.
    mCalls.clear();
    mG.SetClipRect(0, 30, 200, 20);
    EXPECT_EQ(mG.DrawWrappedText("aa bb cc dd ee", Rect(0, 0, 12, 0)), 7 + 4 * 12 + 2);
    EXPECT_EQ(Texts(mCalls), "cc|dd|ee");
}

TEST_F(GraphicsText, WrappedHeightAndNoFont)
{
    EXPECT_EQ(mG.GetWrappedTextHeight("one", 100), 8 - 1 + 2);
    EXPECT_EQ(mG.GetWrappedTextHeight("ab cd", 12, 30), 7 + 30 + 2);
    EXPECT_EQ(mG.DrawWrappedTextAt("ab", 5, 50, 100), 9);
    EXPECT_EQ(mCalls.back().mY, 50);

    mG.SetFont(nullptr);
    EXPECT_EQ(mG.DrawColorCodedText("abc", 0, 0, 0, -1), 0);
    EXPECT_EQ(mG.DrawWrappedText("abc", Rect(0, 0, 10, 0)), 0);
    EXPECT_EQ(mG.GetWrappedTextHeight("abc", 10), 0);
    EXPECT_EQ(mG.DrawWrappedTextAt("abc", 0, 0, 10), 0);
    mG.DrawString("abc", 0, 0);
}
