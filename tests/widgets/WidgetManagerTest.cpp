// The widget manager: event scripts whose listener sequences are compared with the expected
// ones (hover, capture, popup, modal stack, keys and window focus), mouse mapping and drawing.
#include "WidgetTestSupport.h"

#include "graphics/Graphics.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Quor;
using namespace widgettest;

namespace {

// A screen S at (20, 20) holding B1 at (30, 30)-(80, 50) and B2 at (120, 30)-(170, 50) in
// absolute coordinates; S logs no moves.
class ManagerFixture : public ::testing::Test {
protected:
    ManagerFixture()
        : manager(nullptr), screen(&log, "S", 20, 20, 300, 200), b1(&log, "B1", 10, 10, 50, 20),
          b2(&log, "B2", 100, 10, 50, 20)
    {
        manager.SetMouseMapping(Rect(0, 0, 400, 300), Rect(0, 0, 400, 300));
        screen.mLogMoves = false;
        manager.AddWidget(&screen);
        screen.AddWidget(&b1);
        screen.AddWidget(&b2);
        log.clear();
    }
    ~ManagerFixture() override
    {
        screen.RemoveAllWidgets();
        manager.RemoveAllWidgets();
    }

    std::string Take()
    {
        std::string text = Join(log);
        log.clear();
        return text;
    }

    Log log;
    WidgetManager manager;
    LogWidget screen;
    LogWidget b1;
    LogWidget b2;
};

} // namespace

TEST_F(ManagerFixture, PressDragOffAndRelease)
{
    manager.MouseMove(40, 40);
    manager.MouseDown(40, 40, 1);
    manager.MouseMove(130, 40);
    manager.MouseMove(135, 40);
    EXPECT_FALSE(b1.mIsOver);
    EXPECT_TRUE(b1.mIsDown);
    manager.MouseUp(135, 40, 1);
    EXPECT_EQ(Take(), "B1 enter; B1 move 10,10; B1 down 10,10 b0 c1 isdown; "
                      "B1 drag 100,10; B1 leave; B1 drag 105,10; "
                      "B1 up 105,10 b0 c1; B2 enter; B2 move 15,10");
    EXPECT_EQ(manager.mLastDownWidget, nullptr);
    EXPECT_EQ(manager.mOverWidget, &b2);
}

TEST_F(ManagerFixture, DragOffAndBackEntersTheHolderAgain)
{
    manager.MouseMove(40, 40);
    manager.MouseDown(40, 40, 1);
    manager.MouseMove(300, 200); // over the screen only
    manager.MouseMove(45, 41);
    manager.MouseUp(45, 41, 1);
    EXPECT_EQ(Take(), "B1 enter; B1 move 10,10; B1 down 10,10 b0 c1 isdown; "
                      "B1 drag 270,170; B1 leave; B1 drag 15,11; B1 enter; "
                      "B1 up 15,11 b0 c1");
}

TEST_F(ManagerFixture, TwoButtonsOnOneWidget)
{
    manager.MouseMove(40, 40);
    manager.MouseDown(40, 40, 1);
    manager.MouseDown(40, 40, -1);
    manager.MouseUp(40, 40, 1);
    EXPECT_EQ(manager.mLastDownWidget, &b1);
    EXPECT_EQ(manager.mDownButtons, 2);
    manager.MouseUp(40, 40, -1);
    EXPECT_EQ(manager.mLastDownWidget, nullptr);
    EXPECT_EQ(manager.mDownButtons, 0);
    EXPECT_EQ(Take(), "B1 enter; B1 move 10,10; B1 down 10,10 b0 c1 isdown; "
                      "B1 down 10,10 b1 c1 isdown; B1 up 10,10 b0 c1; B1 up 10,10 b1 c1");
}

TEST_F(ManagerFixture, APressWhileHeldGoesToTheHolderInItsOwnCoordinates)
{
    manager.MouseMove(40, 40);
    manager.MouseDown(40, 40, 1);
    manager.MouseMove(130, 40);
    Take();
    // Over B2 (whose local point is 10,10) and over nothing at all: the holder gets its own.
    manager.MouseDown(130, 40, -1);
    manager.MouseUp(130, 40, -1);
    manager.MouseDown(390, 290, 3);
    manager.MouseUp(390, 290, 3);
    manager.MouseUp(390, 290, 1);
    EXPECT_EQ(Take(), "B2 enter; B2 move 10,10; B1 down 100,10 b1 c1 isdown; B1 up 100,10 b1 c1; "
                      "B2 leave; B1 down 360,260 b2 c1 isdown; B1 up 360,260 b2 c1; "
                      "B1 up 360,260 b0 c1");
}

TEST_F(ManagerFixture, RemovingOrReleasingTheHolderSendsUpsAtTheLastPosition)
{
    manager.MouseMove(40, 40);
    manager.MouseDown(40, 40, 1);
    manager.MouseDown(40, 40, 3);
    manager.MouseMove(50, 45);
    Take();
    screen.RemoveWidget(&b1);
    EXPECT_EQ(Take(), "B1 leave; B1 up 20,15 b0 c1; B1 up 20,15 b2 c1; B1 removed");
    EXPECT_EQ(manager.mLastDownWidget, nullptr);
    EXPECT_EQ(manager.mDownButtons, 0);

    screen.AddWidget(&b1);
    manager.MouseDown(50, 45, -1);
    Take();
    manager.ReleaseMouseCapture();
    EXPECT_EQ(Take(), "B1 up 20,15 b1 c1");
    EXPECT_EQ(manager.mDownButtons, 0);
    EXPECT_EQ(manager.mLastDownWidget, nullptr);
}

TEST_F(ManagerFixture, APressOutsideThePopupRemovesItFirst)
{
    LogWidget popup(&log, "P", 300, 200, 50, 50);
    popup.mLogMoves = false;
    manager.AddWidget(&popup);
    manager.mPopupCommandWidget = &popup;
    manager.MouseMove(310, 210);
    manager.MouseDown(310, 210, 1);
    manager.MouseUp(310, 210, 1);
    EXPECT_TRUE(manager.HasWidget(&popup));
    manager.MouseDown(40, 40, 1);
    manager.MouseUp(40, 40, 1);
    EXPECT_FALSE(manager.HasWidget(&popup));
    EXPECT_EQ(manager.mPopupCommandWidget, nullptr);
    EXPECT_EQ(Take(), "P enter; P down 10,10 b0 c1 isdown; P up 10,10 b0 c1; "
                      "P leave; B1 enter; B1 move 10,10; P removed; "
                      "B1 down 10,10 b0 c1 isdown; B1 up 10,10 b0 c1");
}

TEST_F(ManagerFixture, ModalWidgetBlocksWhatLiesBelowAndGivesTheFocusBack)
{
    LogWidget modal(&log, "M", 200, 100, 100, 100);
    modal.mLogMoves = false;
    manager.AddWidget(&modal);
    b1.mWantsFocus = true;
    manager.MouseMove(40, 40);
    manager.MouseDown(40, 40, 1);
    EXPECT_EQ(manager.mFocusWidget, &b1);
    Take();

    manager.AddBaseModal(&modal);
    EXPECT_EQ(Take(), "B1 leave; B1 up 10,10 b0 c1; B1 lostfocus");
    EXPECT_EQ(manager.GetWidgetAt(40, 40, nullptr, nullptr), nullptr);
    EXPECT_EQ(manager.GetWidgetAt(250, 150, nullptr, nullptr), &modal);
    manager.MouseMove(41, 41);
    manager.KeyChar('x'); // no focus widget
    EXPECT_EQ(Take(), "");

    manager.RemoveBaseModal(&b2); // not the top entry: nothing
    EXPECT_EQ(manager.mBaseModalWidget, &modal);
    manager.RemoveBaseModal(&modal);
    EXPECT_EQ(Take(), "B1 gotfocus");
    EXPECT_EQ(manager.mBaseModalWidget, nullptr);
    EXPECT_EQ(manager.GetWidgetAt(40, 40, nullptr, nullptr), &b1);
    manager.RemoveWidget(&modal);
}

TEST_F(ManagerFixture, NestedModalsWhoseLowerOneWasRemovedUnwindTogether)
{
    LogWidget first(&log, "M1", 200, 100, 100, 100), second(&log, "M2", 210, 110, 50, 50);
    manager.AddWidget(&first);
    manager.AddWidget(&second);
    manager.SetFocus(&b2);
    manager.AddBaseModal(&first);
    manager.AddBaseModal(&second);
    manager.RemoveWidget(&first);
    manager.RemoveBaseModal(&first); // not on top: nothing
    EXPECT_EQ(manager.mPreModalInfoList.size(), 2u);
    manager.RemoveWidget(&second);
    manager.RemoveBaseModal(&second);
    EXPECT_TRUE(manager.mPreModalInfoList.empty());
    EXPECT_EQ(manager.mBaseModalWidget, nullptr);
    EXPECT_EQ(manager.mFocusWidget, &b2);
    EXPECT_EQ(manager.mBelowModalFlagsMod.mRemoveFlags, 0);
}

TEST_F(ManagerFixture, LosingTheWindowFocusReleasesHeldKeysInOrder)
{
    manager.SetFocus(&b1);
    manager.KeyDown(65);
    manager.KeyDown(17);
    manager.KeyDown(40);
    manager.KeyDown(300); // passed on, not recorded
    manager.MouseDown(0, 0, 1);
    Take();
    manager.LostFocus();
    manager.LostFocus();
    EXPECT_EQ(Take(), "B1 keyup 17; B1 keyup 40; B1 keyup 65; B1 lostfocus");
    EXPECT_EQ(manager.mActualDownButtons, 0);
    manager.GotFocus();
    manager.GotFocus();
    EXPECT_EQ(Take(), "B1 gotfocus");

    // The press landed on nothing; losing the capture still ends it, so moves are no drags.
    EXPECT_EQ(manager.mDownButtons, 1);
    manager.ReleaseMouseCapture();
    EXPECT_EQ(manager.mDownButtons, 0);
    manager.MouseMove(40, 40);
    EXPECT_EQ(Take(), "B1 enter; B1 move 10,10");
}

TEST_F(ManagerFixture, ControlTabGoesToTheDefaultTabWidget)
{
    manager.SetFocus(&b1);
    manager.mDefaultTab = &b2;
    manager.KeyDown(17);
    manager.KeyChar(9);
    manager.KeyUp(9);
    manager.KeyChar('a');
    manager.KeyUp(17);
    manager.MouseWheel(-2);
    EXPECT_EQ(Take(), "B1 gotfocus; B1 keydown 17; B2 char 9; B1 char 97; B1 keyup 17; "
                      "B1 wheel -2");

    // Disabled it stays the default tab widget; removed it is forgotten (it may be freed).
    b2.SetDisabled(true);
    b2.SetDisabled(false);
    EXPECT_EQ(manager.mDefaultTab, &b2);
    screen.RemoveWidget(&b2);
    EXPECT_EQ(manager.mDefaultTab, nullptr);
    Take();
    manager.KeyDown(17);
    manager.KeyChar(9);
    EXPECT_EQ(Take(), "B1 keydown 17");
}

TEST_F(ManagerFixture, HoverFollowsWidgetsThatAppearMoveOrChangeState)
{
    LogWidget late(&log, "N", 340, 240, 20, 20);
    manager.MouseMove(350, 250);
    manager.AddWidget(&late); // appears under the mouse
    late.Move(0, 0);          // moves away from it
    manager.MouseMove(40, 40);
    b1.SetDisabled(true);
    b1.SetDisabled(false); // the mouse is still over it (in the screen's coordinates 20,20)
    b1.SetVisible(false);
    manager.MouseExit();
    EXPECT_EQ(Take(), "N enter; N move 10,10; N leave; B1 enter; B1 move 10,10; B1 leave; "
                      "B1 enter; B1 move 10,10; B1 leave; S enter; S leave");
    EXPECT_EQ(manager.mOverWidget, nullptr);
    manager.RemoveWidget(&late);
}

TEST_F(ManagerFixture, SetFocusOnlyOnWidgetsOfThisManager)
{
    LogWidget stray(&log, "X");
    manager.SetFocus(&b1);
    manager.SetFocus(&b1);
    manager.SetFocus(&stray);
    EXPECT_EQ(manager.mFocusWidget, nullptr);
    EXPECT_EQ(Take(), "B1 gotfocus; B1 lostfocus");
}

TEST(WidgetManager, MouseMapping)
{
    struct Case {
        Rect source, dest;
        bool set;
        int x, y, mappedX, mappedY;
    } cases[] = {
        {Rect(), Rect(), false, 37, 21, 37, 21}, // before any mapping: unchanged
        {Rect(0, 0, 800, 600), Rect(0, 0, 1024, 768), true, 400, 300, 512, 384},
        {Rect(10, 10, 200, 100), Rect(5, 0, 400, 300), true, 110, 60, 205, 150},
        {Rect(0, 0, 3, 3), Rect(0, 0, 2, 2), true, 2, 1, 1, 0}, // truncates
    };
    for (const Case& tc : cases) {
        WidgetManager manager(nullptr);
        if (tc.set)
            manager.SetMouseMapping(tc.source, tc.dest);
        int x = tc.x, y = tc.y;
        manager.MapMousePoint(x, y);
        EXPECT_EQ(x, tc.mappedX);
        EXPECT_EQ(y, tc.mappedY);
    }
    WidgetManager manager(nullptr);
    manager.SetMouseMapping(Rect(0, 0, 800, 600), Rect(5, 7, 400, 300));
    EXPECT_EQ(manager.mWidth, 410);
    EXPECT_EQ(manager.mHeight, 314);
}

TEST(WidgetManager, DrawScreenDrawsDirtyScreensThenOverlaysByPriority)
{
    Log log;
    RecordingImage screenImage(400, 300);
    WidgetManager manager(nullptr);
    manager.mImage = &screenImage;
    LogWidget a(&log, "A", 0, 0, 100, 100), a1(&log, "a1", 5, 5, 10, 10),
        b(&log, "B", 200, 0, 100, 100), c(&log, "C", 0, 150, 50, 50);
    for (LogWidget* w : {&a, &a1, &b, &c})
        w->mLogDraws = true;
    a.mDeferPriority = 5;
    a1.mDeferPriority = 1;
    b.mPriority = 3;
    manager.AddWidget(&a);
    a.AddWidget(&a1);
    manager.AddWidget(&b);
    manager.AddWidget(&c);
    EXPECT_TRUE(manager.UpdateFrame());

    EXPECT_TRUE(manager.DrawScreen());
    EXPECT_EQ(Join(log), "A draw; a1 draw; a1 overlay 1; B draw; C draw; A overlay 5");
    EXPECT_EQ(manager.mMinDeferredOverlayPriority, WidgetManager::NO_OVERLAY_PRIORITY);
    EXPECT_TRUE(manager.mDeferredOverlayWidgets.empty());
    EXPECT_EQ(manager.mCurG, nullptr);
    log.clear();

    // Nothing changed since: nothing is drawn and the update reports no change.
    EXPECT_FALSE(manager.UpdateFrame());
    EXPECT_FALSE(manager.DrawScreen());
    EXPECT_EQ(Join(log), "");

    // Only the dirty screen is drawn, whole.
    a1.SetDirty();
    EXPECT_TRUE(manager.UpdateFrame());
    EXPECT_TRUE(manager.DrawScreen());
    EXPECT_EQ(Join(log), "A draw; a1 draw; a1 overlay 1; A overlay 5");
    a.RemoveAllWidgets();
    manager.RemoveAllWidgets();
}

namespace {

// Fills its rectangle with a colour (to see clipping and translation on the screen image).
class FillWidget : public Widget {
public:
    explicit FillWidget(Color color) : mFill(color) {}
    void Draw(Graphics* g) override
    {
        g->SetColor(mFill);
        g->FillRect(-5, -5, mWidth + 10, mHeight + 10);
    }
    Color mFill;
};

} // namespace

TEST(WidgetManager, DrawWalkTranslatesClipsAndHonoursTheFlags)
{
    RecordingImage screenImage(400, 300);
    WidgetManager manager(nullptr);
    manager.mImage = &screenImage;
    FillWidget screen(Color(1, 1, 1)), control(Color(2, 2, 2)), unclipped(Color(3, 3, 3)),
        hidden(Color(4, 4, 4)), undrawn(Color(5, 5, 5));
    screen.Resize(10, 20, 100, 100);
    control.Resize(5, 5, 10, 10);
    unclipped.Resize(50, 50, 10, 10);
    unclipped.mClip = false;
    hidden.Resize(0, 0, 10, 10);
    hidden.mVisible = false;
    undrawn.Resize(0, 0, 10, 10);
    undrawn.mWidgetFlagsMod.mRemoveFlags = WIDGETFLAGS_DRAW;
    manager.AddWidget(&screen);
    for (Widget* w : {&control, &unclipped, &hidden, &undrawn})
        screen.AddWidget(w);
    manager.DrawScreen();
    EXPECT_EQ(Join(screenImage.mCalls),
              "fill 10,20,100,100 1,1,1,255; fill 15,25,10,10 2,2,2,255; "
              "fill 55,65,20,20 3,3,3,255");
    screen.RemoveAllWidgets();
    manager.RemoveAllWidgets();
}
