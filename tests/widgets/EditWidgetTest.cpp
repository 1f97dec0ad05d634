// The edit field: key scripts (typing, limits, selection, word jumps, clipboard, undo), the
// listener's vetoes, mouse selection, scrolling, masking, focus and caret, and the drawing.
#include "TestFont.h"
#include "WidgetTestSupport.h"

#include "app/QuorAppBase.h"
#include "graphics/Graphics.h"
#include "widgets/EditListener.h"
#include "widgets/EditWidget.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace Quor;
using namespace widgettest;

namespace {

class EditLog : public EditListener {
public:
    explicit EditLog(Log* log) : mLog(log) {}
    void EditWidgetText(int id, const std::string& text) override
    {
        mLog->push_back("enter " + std::to_string(id) + " " + text);
    }
    bool AllowKey(int id, int key) override
    {
        (void)id;
        mKeysAsked.push_back(key);
        return key != mRefuseKey;
    }
    bool AllowChar(int id, char c) override { (void)id; return mRefuseChars.find(c) == std::string::npos; }
    bool AllowText(int id, const std::string& text) override { (void)id; return text != mRefuseText; }

    Log* mLog;
    std::vector<int> mKeysAsked; // every key the field asked about
    int mRefuseKey = -1;
    std::string mRefuseChars;
    std::string mRefuseText = "\x01"; // no text is refused unless a case sets one
};

// A field with id 5 at (10, 10, 100, 20) on the manager, with the focus and the test font: six
// pixels a character, so the text area (92 pixels) shows 15 of them.
class EditFixture : public ::testing::Test {
protected:
    EditFixture() : manager(*app.mWidgetManager), listener(&log), edit(5, &listener)
    {
        manager.SetMouseMapping(Rect(0, 0, 400, 300), Rect(0, 0, 400, 300));
        edit.SetFont(&font);
        edit.Resize(10, 10, 100, 20);
        manager.AddWidget(&edit);
        manager.SetFocus(&edit);
    }
    ~EditFixture() override { manager.RemoveAllWidgets(); }

    // Keys in a script: <L> <R> <BS> <DEL> <HOME> <END> <ENTER>, <S+>/<S-> and <C+>/<C->
    // hold and release Shift and Control, ^C ^X ^V ^Z the control characters; anything else is
    // typed.
    void Run(const std::string& script)
    {
        static const std::pair<const char*, int> keys[] = {
            {"<L>", 37}, {"<R>", 39}, {"<BS>", 8}, {"<DEL>", 46}, {"<HOME>", 36},
            {"<END>", 35}, {"<ENTER>", 13},
        };
        size_t i = 0;
        while (i < script.size()) {
            bool matched = false;
            for (const auto& [name, code] : keys) {
                if (script.compare(i, strlen(name), name) == 0) {
                    manager.KeyDown(code);
                    manager.KeyUp(code);
                    i += strlen(name);
                    matched = true;
                    break;
                }
            }
            if (matched)
                continue;
            if (script.compare(i, 4, "<S+>") == 0 || script.compare(i, 4, "<C+>") == 0) {
                manager.KeyDown(script[i + 1] == 'S' ? 16 : 17);
                i += 4;
            } else if (script.compare(i, 4, "<S->") == 0 || script.compare(i, 4, "<C->") == 0) {
                manager.KeyUp(script[i + 1] == 'S' ? 16 : 17);
                i += 4;
            } else if (script[i] == '^' && i + 1 < script.size()) {
                manager.KeyChar(static_cast<char>(script[i + 1] - 'A' + 1));
                i += 2;
            } else {
                manager.KeyChar(script[i]);
                i += 1;
            }
        }
    }

    QuorAppBase app;
    WidgetManager& manager;
    Log log;
    EditLog listener;
    TestFont font;
    EditWidget edit;
};

} // namespace

TEST_F(EditFixture, KeyScripts)
{
    struct Case {
        const char* what;
        std::function<void(EditWidget&, EditLog&)> setup;
        const char* script;
        const char* text;
        int cursor, anchor;
    } cases[] = {
        {"typing", nullptr, "abc", "abc", 3, -1},
        {"three typed characters undo in one step", nullptr, "abc^Z", "", 0, -1},
        {"a second undo brings them back", nullptr, "abc^Z^Z", "abc", 3, -1},
        {"typing elsewhere starts a new undo step", nullptr, "ab<L>c^Z", "ab", 1, -1},
        {"Backspace at the start changes nothing, not even the undo step", nullptr, "abc<HOME><BS>^Z", "", 0, -1},
        {"Delete at the end changes nothing, not even the undo step", nullptr, "abc<DEL>^Z", "", 0, -1},
        {"Backspace and Delete", nullptr, "abcd<L><L><BS><DEL>", "ad", 1, -1},
        {"Home, End", nullptr, "abc<HOME>x<END>y", "xabcy", 5, -1},
        {"Shift+Left selects", nullptr, "hello<S+><L><L>", "hello", 3, 5},
        {"Left without Shift goes to the selection's start", nullptr, "hello<HOME><S+><R><R><R><S-><L>", "hello", 0, -1},
        {"Right without Shift goes to the selection's end", nullptr, "hello<S+><L><L><L><S-><R>", "hello", 5, -1},
        {"typing replaces the selection", nullptr, "hello<S+><L><L><S->X", "helX", 4, -1},
        {"Backspace deletes the selection", nullptr, "hello<S+><HOME><S-><BS>", "", 0, -1},
        {"Control+Left jumps over words", nullptr, "foo bar_1 baz<C+><L><L><C->", "foo bar_1 baz", 4, -1},
        {"Control+Right jumps to the next word", nullptr, "foo bar_1 baz<HOME><C+><R><C->", "foo bar_1 baz", 4, -1},
        {"Control+Shift+Left selects a word", nullptr, "foo bar<S+><C+><L><C-><S->", "foo bar", 4, 7},
        {"the 16th character of a 15-character field is cut", [](EditWidget& e, EditLog&) { e.mMaxChars = 15; }, "abcdefghijklmnop", "abcdefghijklmno", 15, -1},
        {"a limit below -1 is no limit", [](EditWidget& e, EditLog&) { e.mMaxChars = -2; }, "abc<L>d", "abdc", 3, -1},
        {"a limit of 0 takes nothing", [](EditWidget& e, EditLog&) { e.mMaxChars = 0; }, "abc", "", 0, -1},
        {"the pixel limit cuts from the end", [](EditWidget& e, EditLog&) { e.mMaxPixels = 30; }, "abcdefg", "abcde", 5, -1},
        {"a limit font measures instead", [](EditWidget& e, EditLog&) { e.mMaxPixels = 30; TestFont f; e.AddLimitFont(&f, 20); }, "WWWWW", "WW", 2, -1},
        {"a refused character keeps the selection", [](EditWidget&, EditLog& l) { l.mRefuseChars = "1"; }, "ab<S+><L><S->1", "ab", 1, 2},
        {"control characters are not typed", nullptr, "a\tb", "ab", 2, -1},
        {"characters the font does not draw are not typed", nullptr, "a~b", "ab", 2, -1},
        {"high characters by default", nullptr, "caf\xE9", "caf\xE9", 4, -1},
        {"a refused text undoes the whole step", [](EditWidget&, EditLog& l) { l.mRefuseText = "Xb"; }, "ab<L><S+><L><S->X", "ab", 0, 1},
        {"a refused key is not handled", [](EditWidget&, EditLog& l) { l.mRefuseKey = 8; }, "ab<BS>", "ab", 2, -1},
    };
    for (const Case& tc : cases) {
        manager.KeyUp(16);
        manager.KeyUp(17);
        edit.SetText("", true);
        edit.mHilitePos = -1;
        edit.mMaxChars = -1;
        edit.mMaxPixels = -1;
        edit.ClearLimitFonts();
        edit.mUndoString.clear();
        edit.mUndoCursor = edit.mUndoHilitePos = 0;
        edit.mLastModifyIdx = 0;
        listener = EditLog(&log);
        if (tc.setup)
            tc.setup(edit, listener);
        Run(tc.script);
        EXPECT_EQ(edit.mString, tc.text) << tc.what;
        EXPECT_EQ(edit.mCursorPos, tc.cursor) << tc.what;
        EXPECT_EQ(edit.mHilitePos, tc.anchor) << tc.what;
    }
}

TEST_F(EditFixture, LetterKeysArriveAsCharactersOnly)
{
    // A letter key is neither handled nor offered to the listener: its character does the work.
    // Keys around the letters are, as every other key.
    Run("ab<L>");
    listener.mKeysAsked.clear();
    for (int key : {'A', 'M', 'Z'}) {
        manager.KeyDown(key);
        manager.KeyUp(key);
    }
    EXPECT_TRUE(listener.mKeysAsked.empty());
    for (int key : {'A' - 1, 'Z' + 1}) {
        manager.KeyDown(key);
        manager.KeyUp(key);
    }
    EXPECT_EQ(listener.mKeysAsked, (std::vector<int>{'A' - 1, 'Z' + 1}));
    EXPECT_EQ(edit.mString, "ab");
    EXPECT_EQ(edit.mCursorPos, 1);
}

TEST_F(EditFixture, HighCharactersOnlyWhenTheApplicationAllowsThem)
{
    app.mAllowHighCharacters = false;
    Run("caf\xE9\x7F");
    EXPECT_EQ(edit.mString, "caf");
}

TEST_F(EditFixture, EnterReportsTheText)
{
    Run("hi<ENTER>");
    EXPECT_EQ(Join(log), "enter 5 hi");
}

TEST_F(EditFixture, Clipboard)
{
    struct Case {
        const char* what;
        const char* start;    // typed first
        const char* clipboard; // before the script
        const char* script;
        const char* text;
        int cursor, anchor;
        const char* clipboardAfter;
    } cases[] = {
        {"copy keeps the selection", "abcdefg", "", "<HOME><R><R><S+><R><R><R><S->^C", "abcdefg", 5, 2, "cde"},
        {"cut removes it", "abcdefg", "", "<HOME><R><R><S+><R><R><R><S->^X", "abfg", 2, -1, "cde"},
        {"copy without a selection does nothing", "abc", "old", "^C", "abc", 3, -1, "old"},
        {"paste stops at the first line break", "ab", "xy\r\nz", "<L>^V", "axyb", 3, -1, "xy\r\nz"},
        {"paste replaces the selection", "abcd", "XY", "<L><S+><L><L><S->^V", "aXYd", 3, -1, "XY"},
        {"paste skips what the font cannot draw", "", "a~b", "^V", "ab", 2, -1, "a~b"},
        {"pasted text is one undo step", "ab", "XY", "^V^Z", "ab", 2, -1, "XY"},
        {"Windows-1252 text round trip", "caf\xE9", "", "<S+><HOME><S->^C<END>^V", "caf\xE9" "caf\xE9", 8, -1, "caf\xE9"},
    };
    for (const Case& tc : cases) {
        edit.SetText("", true);
        edit.mHilitePos = -1;
        Run(tc.start);
        app.CopyToClipboard(tc.clipboard);
        Run(tc.script);
        EXPECT_EQ(edit.mString, tc.text) << tc.what;
        EXPECT_EQ(edit.mCursorPos, tc.cursor) << tc.what;
        EXPECT_EQ(edit.mHilitePos, tc.anchor) << tc.what;
        EXPECT_EQ(app.GetClipboard(), tc.clipboardAfter) << tc.what;
    }
}

TEST_F(EditFixture, PasteIsCutToTheLimitsWithoutLosingTheTextAfterTheCursor)
{
    struct Case {
        const char* what;
        int maxChars, maxPixels;
        const char* refuse;
        const char* text;
        int cursor;
    } cases[] = {
        {"character limit", 8, -1, "", "abXYcdef", 4},
        {"pixel limit", -1, 48, "", "abXYcdef", 4},
        {"characters the listener refuses are left out first", 8, -1, "X", "abYZcdef", 4},
        {"a full field takes nothing", 6, -1, "", "abcdef", 2},
    };
    for (const Case& tc : cases) {
        edit.SetText("abcdef", true);
        edit.mHilitePos = -1;
        edit.mCursorPos = 2;
        edit.mMaxChars = tc.maxChars;
        edit.mMaxPixels = tc.maxPixels;
        listener.mRefuseChars = tc.refuse;
        app.CopyToClipboard("XYZW");
        Run("^V");
        EXPECT_EQ(edit.mString, tc.text) << tc.what;
        EXPECT_EQ(edit.mCursorPos, tc.cursor) << tc.what;
    }
}

TEST_F(EditFixture, MaskedFieldShowsAndCopiesMaskCharacters)
{
    edit.mPasswordChar = '*';
    Run("pw1<S+><HOME><S->^C");
    EXPECT_EQ(edit.mString, "pw1");
    EXPECT_EQ(edit.GetDisplayText(), "***");
    EXPECT_EQ(app.GetClipboard(), "***");
}

TEST_F(EditFixture, MouseSelection)
{
    edit.SetText("foo bar_1 baz", true);
    // Characters are 6 wide from x = 0 of the text; a point counts for the next position from
    // the middle of a character plus 5 pixels.
    struct Case {
        const char* what;
        std::function<void(WidgetManager&)> script;
        int cursor, anchor;
    } cases[] = {
        {"click", [](WidgetManager& m) { m.MouseDown(30, 15, 1); m.MouseUp(30, 15, 1); }, 3, -1},
        {"click at the far left", [](WidgetManager& m) { m.MouseDown(12, 15, 1); m.MouseUp(12, 15, 1); }, 0, -1},
        {"drag selects", [](WidgetManager& m) { m.MouseDown(30, 15, 1); m.MouseMove(54, 15); m.MouseUp(54, 15, 1); }, 7, 3},
        {"double click selects the word with '_' and digits", [](WidgetManager& m) {
             m.MouseDown(43, 15, 1); m.MouseUp(43, 15, 1); m.MouseDown(43, 15, 2); m.MouseUp(43, 15, 2); }, 9, 4},
        {"a right click places the cursor too", [](WidgetManager& m) { m.MouseDown(30, 15, -1); m.MouseUp(30, 15, -1); }, 3, -1},
    };
    for (const Case& tc : cases) {
        tc.script(manager);
        EXPECT_EQ(edit.mCursorPos, tc.cursor) << tc.what;
        EXPECT_EQ(edit.mHilitePos, tc.anchor) << tc.what;
    }
    edit.mClearOnClick = true;
    manager.MouseDown(30, 15, 1);
    manager.MouseUp(30, 15, 1);
    EXPECT_EQ(edit.mString, "");
    EXPECT_EQ(edit.mCursorPos, 0);
    EXPECT_EQ(edit.mHilitePos, -1);
}

TEST_F(EditFixture, ScrollingFollowsTheCursor)
{
    const std::string text(30, 'a'); // 180 pixels in a 92-pixel text area
    edit.SetText(text, false);
    EXPECT_EQ(edit.mLeftPos, 20); // steps of 10 until the cursor fits
    // A click left of the first shown character goes to position 0 and scrolls back.
    manager.MouseDown(12, 15, 1);
    manager.MouseUp(12, 15, 1);
    EXPECT_EQ(edit.mCursorPos, 0);
    EXPECT_EQ(edit.mLeftPos, 0);
    Run("<END>");
    EXPECT_EQ(edit.mLeftPos, 20);
    Run("<HOME>");
    EXPECT_EQ(edit.mLeftPos, 0);
}

TEST_F(EditFixture, AFieldNarrowerThanACharacterStillEndsScrolling)
{
    edit.Resize(10, 10, 14, 20); // 6 pixels of text area
    Run("WWW");
    EXPECT_EQ(edit.mString, "WWW");
    EXPECT_LE(edit.mLeftPos, edit.mCursorPos);
    EXPECT_EQ(edit.mLeftPos, 2);
    edit.Resize(10, 10, 9, 20); // no text area at all
    Run("<HOME>W");
    EXPECT_EQ(edit.mString, "WWWW");
}

TEST_F(EditFixture, FocusCaretBlinkAndCursorShape)
{
    EXPECT_TRUE(edit.mShowingCursor);
    for (int update = 0; update < 40; ++update)
        manager.UpdateFrame();
    EXPECT_TRUE(edit.mShowingCursor);
    manager.UpdateFrame(); // the 41st
    EXPECT_FALSE(edit.mShowingCursor);
    Run("<HOME>a"); // a key that moves the cursor restarts the blink on
    EXPECT_TRUE(edit.mShowingCursor);
    EXPECT_EQ(edit.mBlinkAcc, 0);
    manager.SetFocus(nullptr);
    EXPECT_FALSE(edit.mShowingCursor);
    for (int update = 0; update < 100; ++update)
        manager.UpdateFrame();
    EXPECT_FALSE(edit.mShowingCursor);

    manager.MouseMove(20, 15);
    EXPECT_EQ(app.mCursorNum, 3);
    manager.MouseMove(200, 200);
    EXPECT_EQ(app.mCursorNum, 0);
}

TEST_F(EditFixture, TranslucentBackgroundRedrawsWhatLiesBehind)
{
    manager.RemoveWidget(&edit);
    LogWidget below(&log, "below", 0, 0, 200, 100);
    manager.AddWidget(&below);
    manager.AddWidget(&edit);
    manager.SetFocus(&edit);
    for (bool translucent : {false, true}) {
        edit.SetColor(0, Color(255, 255, 255, translucent ? 128 : 255));
        below.mDirty = edit.mDirty = false;
        manager.mDirty = false;
        Run("x");
        EXPECT_TRUE(edit.mDirty) << translucent;
        EXPECT_EQ(below.mDirty, translucent) << translucent;
    }
    manager.RemoveWidget(&below);
}

TEST(EditWidget, Drawing)
{
    struct Case {
        const char* what;
        bool focus, caretOn, selection;
        const char* calls;
    } cases[] = {
        {"caret with the focus", true, true, false,
         "fill 0,0,100,20 255,255,255,255; text 'abc' 4,13 0,0,0,255 clip 4,0,92,20; "
         "fill 22,4,2,12 0,0,0,255; text 'abc' 4,13 255,255,255,255 clip 22,4,2,12; "
         "fill 0,0,100,1 0,0,0,255; fill 0,19,100,1 0,0,0,255; fill 0,1,1,18 0,0,0,255; fill 99,1,1,18 0,0,0,255"},
        {"caret off: the second pass has no width", true, false, false,
         "fill 0,0,100,20 255,255,255,255; text 'abc' 4,13 0,0,0,255 clip 4,0,92,20; "
         "fill 24,4,0,12 0,0,0,255; text 'abc' 4,13 255,255,255,255 clip 24,4,0,12; "
         "fill 0,0,100,1 0,0,0,255; fill 0,19,100,1 0,0,0,255; fill 0,1,1,18 0,0,0,255; fill 99,1,1,18 0,0,0,255"},
        {"selection", true, true, true,
         "fill 0,0,100,20 255,255,255,255; text 'abc' 4,13 0,0,0,255 clip 4,0,92,20; "
         "fill 10,4,12,12 0,0,0,255; text 'abc' 4,13 255,255,255,255 clip 10,4,12,12; "
         "fill 0,0,100,1 0,0,0,255; fill 0,19,100,1 0,0,0,255; fill 0,1,1,18 0,0,0,255; fill 99,1,1,18 0,0,0,255"},
        {"no emphasis without the focus", false, true, true,
         "fill 0,0,100,20 255,255,255,255; text 'abc' 4,13 0,0,0,255 clip 4,0,92,20; "
         "text 'abc' 4,13 0,0,0,255 clip 10,4,12,12; "
         "fill 0,0,100,1 0,0,0,255; fill 0,19,100,1 0,0,0,255; fill 0,1,1,18 0,0,0,255; fill 99,1,1,18 0,0,0,255"},
    };
    for (const Case& tc : cases) {
        RecordingImage screen(400, 300);
        TestFont font(&screen.mCalls);
        EditWidget edit(1, nullptr);
        edit.SetFont(&font);
        edit.Resize(0, 0, 100, 20);
        edit.mDrawFrame = true;
        edit.SetText("abc", true);
        edit.mHilitePos = tc.selection ? 1 : -1;
        edit.mHasFocus = tc.focus;
        edit.mShowingCursor = tc.caretOn;
        Graphics g(&screen);
        edit.Draw(&g);
        EXPECT_EQ(Join(screen.mCalls), tc.calls) << tc.what;
    }
}

TEST(EditWidget, AKeyBeforeTheFirstDrawMakesTheDefaultFont)
{
    QuorAppBase app;
    EditWidget edit(1, nullptr);
    edit.Resize(0, 0, 100, 20);
    app.mWidgetManager->AddWidget(&edit);
    app.mWidgetManager->SetFocus(&edit);
    app.mWidgetManager->KeyChar('a');
    ASSERT_NE(edit.mFont, nullptr);
    EXPECT_GT(edit.mFont->StringWidth("a"), 0);
    EXPECT_EQ(edit.mString, "a");
    app.mWidgetManager->RemoveWidget(&edit);
}
