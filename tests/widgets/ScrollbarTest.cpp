// The scrollbar and its arrows: geometry, clamping and its reports, paging and arrow repeat,
// thumb dragging, and the drawn track, thumb and arrow glyphs.
#include "WidgetTestSupport.h"

#include "graphics/Graphics.h"
#include "widgets/ScrollListener.h"
#include "widgets/ScrollbarWidget.h"
#include "widgets/ScrollbuttonWidget.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace Quor;
using namespace widgettest;

namespace {

class ScrollLog : public ScrollListener {
public:
    explicit ScrollLog(Log* log) : mLog(log) {}
    void Add(const char* what, int id, double value)
    {
        char text[64];
        snprintf(text, sizeof text, "%s %d %g", what, id, value);
        mLog->push_back(text);
    }
    void ScrollPosition(int id, double value) override { Add("pos", id, value); }
    void ScrollbarReleased(int id, double value) override { Add("released", id, value); }
    void ScrollbarPressed(int id, double value) override { Add("pressed", id, value); }
    void ScrollArrowStep(int id, double value) override { Add("arrow", id, value); }
    Log* mLog;
};

// A vertical bar with id 3 at (0, 0, 20, 240): arrows of 20, a track of 200 pixels.
class ScrollbarFixture : public ::testing::Test {
protected:
    ScrollbarFixture() : listener(&log), bar(3, &listener)
    {
        manager.SetMouseMapping(Rect(0, 0, 400, 300), Rect(0, 0, 400, 300));
        bar.ResizeScrollbar(0, 0, 20, 240);
        manager.AddWidget(&bar);
    }
    ~ScrollbarFixture() override { manager.RemoveAllWidgets(); }

    void Extents(double max, double page, double value)
    {
        bar.SetMaxValue(max);
        bar.SetPageSize(page);
        bar.SetValue(value);
        log.clear();
    }

    Log log;
    ScrollLog listener;
    WidgetManager manager{nullptr};
    ScrollbarWidget bar;
};

} // namespace

TEST_F(ScrollbarFixture, Geometry)
{
    struct Case {
        const char* what;
        double max, page, value;
        int thumbSize, thumbPos;
        bool disabled;
    } cases[] = {
        {"page a tenth of the extent", 100, 10, 45, 20, 20 + 90, false},
        {"at the end", 100, 10, 90, 20, 20 + 180, false},
        {"less than a page: no thumb, disabled", 5, 10, 0, 0, 20, true},
        {"a thumb under 8 pixels is drawn 8 long", 1000, 10, 0, 8, 20, false},
        {"exactly one page: whole track, nothing to divide", 10, 10, 0, 200, 20, true},
        {"no extents at all", 0, 0, 0, 0, 20, true},
    };
    for (const Case& tc : cases) {
        bar.SetMaxValue(tc.max);
        bar.SetPageSize(tc.page);
        bar.SetValue(tc.value);
        EXPECT_EQ(bar.GetTrackSize(), 200) << tc.what;
        EXPECT_EQ(bar.GetThumbSize(), tc.thumbSize) << tc.what;
        EXPECT_EQ(bar.GetThumbPosition(), tc.thumbPos) << tc.what;
        EXPECT_EQ(bar.mDisabled, tc.disabled) << tc.what;
        EXPECT_EQ(bar.mUpButton->mDisabled, tc.disabled) << tc.what;
        EXPECT_EQ(bar.mDownButton->mDisabled, tc.disabled) << tc.what;
        EXPECT_TRUE(bar.mVisible) << tc.what;
    }
    // A horizontal bar measures along its width with arrows as wide as it is high.
    bar.SetHorizontal(true);
    bar.ResizeScrollbar(0, 0, 240, 16);
    EXPECT_EQ(bar.mDownButton->GetRect(), Rect(224, 0, 16, 16));
    EXPECT_EQ(bar.GetTrackSize(), 208);
    EXPECT_TRUE(bar.mDownButton->mHorizontal);
}

TEST_F(ScrollbarFixture, ValueReports)
{
    Extents(100, 10, 50);
    struct Case {
        const char* what;
        void (*op)(ScrollbarWidget&);
        const char* expected;
    } cases[] = {
        {"below 0: the clamp and the setter both report", [](ScrollbarWidget& b) { b.SetValue(-5); }, "pos 3 0; pos 3 0"},
        {"within range: once", [](ScrollbarWidget& b) { b.SetValue(3); }, "pos 3 3"},
        {"beyond the end: twice at the end", [](ScrollbarWidget& b) { b.SetValue(95); }, "pos 3 90; pos 3 90"},
        {"a smaller maximum pulls the value back once", [](ScrollbarWidget& b) { b.SetValue(90); b.SetMaxValue(50); }, "pos 3 90; pos 3 40"},
        {"to the end", [](ScrollbarWidget& b) { b.SetMaxValue(100); b.SetValue(0); b.GoToEnd(); }, "pos 3 0; pos 3 90"},
    };
    for (const Case& tc : cases) {
        log.clear();
        tc.op(bar);
        EXPECT_EQ(Join(log), tc.expected) << tc.what;
    }
}

TEST_F(ScrollbarFixture, AtEnd)
{
    const double cases[][2] = {{90, 1}, {89, 1}, {88.9, 0}, {0, 0}};
    for (const auto& tc : cases) {
        Extents(100, 10, tc[0]);
        EXPECT_EQ(bar.AtEnd(), tc[1] != 0) << tc[0];
    }
}

TEST_F(ScrollbarFixture, HiddenWhileNothingToScroll)
{
    bar.SetHideWhenNoScroll(true);
    EXPECT_FALSE(bar.mVisible);
    EXPECT_FALSE(bar.mUpButton->mVisible);
    bar.SetMaxValue(5);
    bar.SetPageSize(10);
    EXPECT_FALSE(bar.mVisible);
    bar.SetMaxValue(100);
    EXPECT_TRUE(bar.mVisible);
    EXPECT_TRUE(bar.mDownButton->mVisible);
    EXPECT_FALSE(bar.mDisabled);
}

TEST_F(ScrollbarFixture, PagingRepeatsUntilTheThumbReachesThePointer)
{
    Extents(100, 10, 0);
    manager.MouseDown(10, 200, 1); // below the thumb (20..39)
    EXPECT_EQ(Join(log), "pressed 3 0; pos 3 10");
    log.clear();
    std::string steps;
    for (int update = 1; update <= 70; ++update) {
        manager.UpdateFrame();
        for (const std::string& line : log)
            steps += std::to_string(update) + ":" + line.substr(6) + " ";
        log.clear();
        if (update == 61) {
            EXPECT_EQ(bar.mUpdateMode, 0);
        }
    }
    EXPECT_EQ(steps, "25:20 30:30 35:40 40:50 45:60 50:70 55:80 60:90 ");
    manager.MouseUp(10, 200, 1);
    EXPECT_EQ(Join(log), "released 3 90");
}

TEST_F(ScrollbarFixture, PagingBackStopsOnRelease)
{
    Extents(100, 10, 90);
    manager.MouseDown(10, 25, 1); // above the thumb (200..219)
    for (int update = 0; update < 25; ++update)
        manager.UpdateFrame();
    manager.MouseUp(10, 25, 1);
    for (int update = 0; update < 10; ++update)
        manager.UpdateFrame();
    EXPECT_EQ(Join(log), "pressed 3 90; pos 3 80; pos 3 70; released 3 70");
}

TEST_F(ScrollbarFixture, HeldArrowRepeatsAfter25Updates)
{
    Extents(1000, 10, 0);
    manager.MouseMove(10, 230);
    manager.MouseDown(10, 230, 1); // the down arrow
    EXPECT_EQ(Join(log), "pos 3 10; arrow 3 10");
    std::string values;
    for (int update = 1; update <= 27; ++update) {
        log.clear();
        manager.UpdateFrame();
        ASSERT_FALSE(log.empty()) << "a report on every update";
        values += log.back().substr(8) + " ";
    }
    EXPECT_EQ(values, "10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 10 "
                      "20 30 40 ");
    manager.MouseUp(10, 230, 1);
    // The up arrow steps back.
    log.clear();
    manager.MouseDown(10, 5, 1);
    manager.MouseUp(10, 5, 1);
    EXPECT_EQ(Join(log), "pos 3 30; arrow 3 30");
}

TEST_F(ScrollbarFixture, DraggingTheThumb)
{
    Extents(100, 10, 0);
    manager.MouseDown(10, 25, 1);   // 5 below the thumb's top (20)
    manager.MouseMove(10, 115);     // thumb top at 110: value 45
    manager.MouseMove(300, 1000);   // far past the end
    manager.MouseUp(300, 1000, 1);
    EXPECT_EQ(Join(log), "pressed 3 0; pos 3 45; pos 3 90; pos 3 90; released 3 90");
    EXPECT_FALSE(bar.mPressedOnThumb);
}

TEST_F(ScrollbarFixture, APressOnADisabledBarOnlyReports)
{
    bar.MouseDownButton(10, 200, 0, 1);
    EXPECT_EQ(Join(log), "pressed 3 0");
    EXPECT_FALSE(bar.mPressed);
    EXPECT_EQ(bar.mUpdateMode, 0);
    EXPECT_EQ(bar.mLastMouseY, 200);
}

TEST(Scrollbar, DrawnTrackAndThumb)
{
    const char* bevel = "fill 0,110,20,20 212,212,212,255; fill 1,111,18,1 255,255,255,255; "
                        "fill 1,111,1,18 255,255,255,255; fill 0,129,20,1 0,0,0,255; "
                        "fill 19,110,1,20 0,0,0,255; fill 1,128,18,1 132,132,132,255; "
                        "fill 18,111,1,18 132,132,132,255";
    struct Case {
        const char* what;
        int paging;
        std::string calls;
    } cases[] = {
        {"idle", 0, "fill 0,0,20,110 232,232,232,255; " + std::string(bevel) + "; fill 0,130,20,110 232,232,232,255"},
        {"paging back darkens the part before the thumb", 1, "fill 0,0,20,110 48,48,48,255; " + std::string(bevel) + "; fill 0,130,20,110 232,232,232,255"},
        {"paging forward the part after it", 2, "fill 0,0,20,110 232,232,232,255; " + std::string(bevel) + "; fill 0,130,20,110 48,48,48,255"},
    };
    for (const Case& tc : cases) {
        RecordingImage screen(400, 300);
        ScrollbarWidget bar(1, nullptr);
        bar.ResizeScrollbar(0, 0, 20, 240);
        bar.SetMaxValue(100);
        bar.SetPageSize(10);
        bar.SetValue(45);
        bar.mUpdateMode = tc.paging;
        Graphics g(&screen);
        bar.Draw(&g);
        EXPECT_EQ(Join(screen.mCalls), tc.calls) << tc.what;
    }
}

TEST(Scrollbar, ThumbImagesByState)
{
    struct Case {
        const char* what;
        bool pressed, over;
        int value;
        const char* image;
    } cases[] = {
        {"normal", false, false, 45, "N"},
        {"hover", false, true, 45, "H"},
        {"pressed wins over hover", true, true, 45, "P"},
    };
    for (const Case& tc : cases) {
        RecordingImage screen(400, 300);
        RecordingImage normal(9, 9, "N"), hover(9, 9, "H"), pressed(9, 9, "P");
        ScrollbarWidget bar(1, nullptr);
        bar.ResizeScrollbar(0, 0, 20, 240);
        bar.SetMaxValue(100);
        bar.SetPageSize(10);
        bar.SetValue(tc.value);
        bar.SetThumbImages(&normal, &hover, &pressed);
        bar.mPressed = tc.pressed;
        bar.mMouseOver = tc.over;
        Graphics g(&screen);
        bar.Draw(&g);
        ASSERT_FALSE(screen.mCalls.empty()) << tc.what;
        for (const std::string& call : screen.mCalls)
            EXPECT_EQ(call.substr(0, 6), std::string("blt ") + tc.image + " ") << tc.what;
        // The box covers the thumb's rectangle (0, 110, 20, 20): its first corner lands there.
        EXPECT_EQ(screen.mCalls.front().substr(6, 6), "0,110 ") << tc.what;
    }
}

TEST(Scrollbar, OwnerDrawnBarDrawsOnlyThroughDrawIfVisible)
{
    RecordingImage screen(400, 300);
    ScrollbarWidget bar(1, nullptr);
    bar.ResizeScrollbar(100, 50, 16, 100);
    bar.SetMaxValue(10);
    bar.SetPageSize(10);
    bar.SetInvisibleArrows();
    Graphics g(&screen);
    bar.Draw(&g);
    bar.mUpButton->Draw(&g);
    EXPECT_TRUE(screen.mCalls.empty());
    bar.DrawIfVisible(&g);
    // Up arrow at the bar's position, down arrow at its bottom, then the bar itself.
    ASSERT_GE(screen.mCalls.size(), 3u);
    EXPECT_EQ(screen.mCalls[0], "fill 100,50,16,16 212,212,212,255");
    bool sawDownArrow = false, sawTrack = false;
    for (const std::string& call : screen.mCalls) {
        sawDownArrow |= call == "fill 100,134,16,16 212,212,212,255";
        sawTrack |= call.rfind("fill 100,50,16,16 232,232,232,255", 0) == 0;
    }
    EXPECT_TRUE(sawDownArrow);
    EXPECT_TRUE(sawTrack);
    screen.mCalls.clear();
    bar.SetVisible(false);
    bar.DrawIfVisible(&g);
    EXPECT_TRUE(screen.mCalls.empty());
}

TEST(Scrollbutton, Glyphs)
{
    struct Case {
        const char* what;
        int id, kind;
        bool horizontal, pressed, disabled;
        const char* glyph; // the last four fills
    } cases[] = {
        {"up", 0, 0, false, false, false, "fill 7,6,1,1 0,0,0,255; fill 6,7,3,1 0,0,0,255; fill 5,8,5,1 0,0,0,255; fill 4,9,7,1 0,0,0,255"},
        {"down", 1, 0, false, false, false, "fill 7,9,1,1 0,0,0,255; fill 6,8,3,1 0,0,0,255; fill 5,7,5,1 0,0,0,255; fill 4,6,7,1 0,0,0,255"},
        {"kind 1 points up whatever the id", 1, 1, false, false, false, "fill 7,6,1,1 0,0,0,255; fill 6,7,3,1 0,0,0,255; fill 5,8,5,1 0,0,0,255; fill 4,9,7,1 0,0,0,255"},
        {"left", 0, 0, true, false, false, "fill 6,7,1,1 0,0,0,255; fill 7,6,1,3 0,0,0,255; fill 8,5,1,5 0,0,0,255; fill 9,4,1,7 0,0,0,255"},
        {"right", 1, 2, true, false, false, "fill 9,7,1,1 0,0,0,255; fill 8,6,1,3 0,0,0,255; fill 7,5,1,5 0,0,0,255; fill 6,4,1,7 0,0,0,255"},
        {"kind 3 is horizontal and points left", 1, 3, false, false, false, "fill 6,7,1,1 0,0,0,255; fill 7,6,1,3 0,0,0,255; fill 8,5,1,5 0,0,0,255; fill 9,4,1,7 0,0,0,255"},
        {"kind 4 is horizontal, by id", 1, 4, false, false, false, "fill 9,7,1,1 0,0,0,255; fill 8,6,1,3 0,0,0,255; fill 7,5,1,5 0,0,0,255; fill 6,4,1,7 0,0,0,255"},
        {"pressed shifts by one", 0, 0, false, true, false, "fill 8,7,1,1 0,0,0,255; fill 7,8,3,1 0,0,0,255; fill 6,9,5,1 0,0,0,255; fill 5,10,7,1 0,0,0,255"},
        {"disabled: grey, never pressed", 0, 0, false, true, true, "fill 7,6,1,1 132,132,132,255; fill 6,7,3,1 132,132,132,255; fill 5,8,5,1 132,132,132,255; fill 4,9,7,1 132,132,132,255"},
    };
    for (const Case& tc : cases) {
        RecordingImage screen(100, 100);
        ScrollbuttonWidget arrow(tc.id, nullptr);
        arrow.Resize(0, 0, 16, 16);
        arrow.mType = tc.kind;
        arrow.mHorizontal = tc.horizontal;
        arrow.mIsDown = arrow.mIsOver = tc.pressed;
        arrow.mDisabled = tc.disabled;
        Graphics g(&screen);
        arrow.Draw(&g);
        ASSERT_GE(screen.mCalls.size(), 4u) << tc.what;
        Log glyph(screen.mCalls.end() - 4, screen.mCalls.end());
        EXPECT_EQ(Join(glyph), tc.glyph) << tc.what;
        // The raised face has six edge fills after the face; the pressed one an outline.
        const bool pressedLook = tc.pressed && !tc.disabled;
        EXPECT_EQ(screen.mCalls.size(), pressedLook ? 1u + 4u + 4u : 1u + 6u + 4u) << tc.what;
    }
}
