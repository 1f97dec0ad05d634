// The widget tree: child order, the update walk under removal, dirty marking, hit testing,
// fades, click mapping, tab focus and the number strip.
#include "WidgetTestSupport.h"

#include "graphics/Graphics.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>

using namespace Quor;
using namespace widgettest;

namespace {

std::string Names(WidgetContainer& container)
{
    std::string text;
    for (Widget* w : container.mWidgets) {
        if (!text.empty())
            text += " ";
        text += static_cast<LogWidget*>(w)->mName;
    }
    return text;
}

struct OrderCase {
    const char* what;
    int zP, zQ, zR;
    std::function<void(WidgetContainer&, Widget*, Widget*, Widget*)> op;
    const char* expected;
    int orderChanges; // OrderChanged calls expected on the moved widget (counted on R)
};

class OrderWidget : public LogWidget {
public:
    using LogWidget::LogWidget;
    void OrderChanged() override { ++mOrderChanges; }
    int mOrderChanges = 0;
};

} // namespace

TEST(WidgetTree, ChildOrderFollowsZOrder)
{
    auto none = [](WidgetContainer&, Widget*, Widget*, Widget*) {};
    const OrderCase cases[] = {
        {"equal z keeps insertion order", 0, 0, 0, none, "P Q R", 0},
        {"bring to back", 0, 0, 0, [](WidgetContainer& c, Widget*, Widget*, Widget* r) { c.BringToBack(r); }, "R P Q", 1},
        {"bring to front", 0, 0, 0, [](WidgetContainer& c, Widget* p, Widget*, Widget*) { c.BringToFront(p); }, "Q R P", 0},
        {"put behind", 0, 0, 0, [](WidgetContainer& c, Widget*, Widget* q, Widget* r) { c.PutBehind(r, q); }, "P R Q", 1},
        {"put in front", 0, 0, 0, [](WidgetContainer& c, Widget*, Widget*, Widget* r) { c.PutInFront(r, nullptr); c.PutInFront(r, c.mWidgets.front()); }, "P R Q", 2},
        {"put behind a non-child goes on top", 0, 0, 0, [](WidgetContainer& c, Widget* p, Widget*, Widget*) { c.PutBehind(p, nullptr); }, "Q R P", 0},
        {"higher z added first ends last", 5, 0, 0, none, "Q R P", 0},
        {"lower z added last goes below", 1, 1, 0, none, "R P Q", 0},
        {"middle z lands between", 0, 2, 1, none, "P R Q", 0},
        {"bring to back keeps above lower z", 0, 0, 1, [](WidgetContainer& c, Widget*, Widget*, Widget* r) { c.BringToBack(r); }, "P Q R", 1},
        {"bring to front keeps below higher z", 1, 0, 0, [](WidgetContainer& c, Widget*, Widget* q, Widget*) { c.BringToFront(q); }, "R Q P", 0},
        {"adding twice changes nothing", 0, 0, 0, [](WidgetContainer& c, Widget* p, Widget*, Widget*) { c.AddWidget(p); }, "P Q R", 0},
        {"moving a non-child does nothing", 0, 0, 0, [](WidgetContainer& c, Widget*, Widget*, Widget* r) { c.RemoveWidget(r); c.BringToBack(r); c.PutInFront(r, nullptr); }, "P Q", 0},
    };
    for (const OrderCase& tc : cases) {
        Log log;
        Widget root;
        OrderWidget p(&log, "P"), q(&log, "Q"), r(&log, "R");
        p.mZOrder = tc.zP;
        q.mZOrder = tc.zQ;
        r.mZOrder = tc.zR;
        root.AddWidget(&p);
        root.AddWidget(&q);
        root.AddWidget(&r);
        tc.op(root, &p, &q, &r);
        EXPECT_EQ(Names(root), tc.expected) << tc.what;
        EXPECT_EQ(r.mOrderChanges, tc.orderChanges) << tc.what;
        root.RemoveAllWidgets();
    }
}

namespace {

struct WalkCase {
    const char* what;
    const char* actor;
    std::function<void(WidgetContainer*, LogWidget**)> action; // widgets A B C D
    const char* expected;
};

} // namespace

TEST(WidgetTree, UpdateWalkSurvivesRemovalWithoutSkipOrRepeat)
{
    const WalkCase cases[] = {
        {"removes itself", "B", [](WidgetContainer* c, LogWidget** w) { c->RemoveWidget(w[1]); }, "A update; B update; C update; D update"},
        {"removes the next sibling", "B", [](WidgetContainer* c, LogWidget** w) { c->RemoveWidget(w[2]); }, "A update; B update; D update"},
        {"removes the two next siblings", "B", [](WidgetContainer* c, LogWidget** w) { c->RemoveWidget(w[2]); c->RemoveWidget(w[3]); }, "A update; B update"},
        {"removes an earlier sibling", "B", [](WidgetContainer* c, LogWidget** w) { c->RemoveWidget(w[0]); }, "A update; B update; C update; D update"},
        {"last removes an earlier sibling", "D", [](WidgetContainer* c, LogWidget** w) { c->RemoveWidget(w[1]); }, "A update; B update; C update; D update"},
        {"brings itself to the front", "B", [](WidgetContainer* c, LogWidget** w) { c->BringToFront(w[1]); }, "A update; B update; C update; D update"},
        {"sends the next sibling to the back", "B", [](WidgetContainer* c, LogWidget** w) { c->BringToBack(w[2]); }, "A update; B update; D update"},
        {"removes itself and all others", "C", [](WidgetContainer* c, LogWidget**) { c->RemoveAllWidgets(); }, "A update; B update; C update"},
    };
    for (const WalkCase& tc : cases) {
        Log log;
        WidgetManager manager(nullptr);
        Widget screen;
        manager.AddWidget(&screen);
        LogWidget a(&log, "A"), b(&log, "B"), c(&log, "C"), d(&log, "D");
        LogWidget* all[4] = {&a, &b, &c, &d};
        static const WalkCase* current;
        static LogWidget** widgets;
        current = &tc;
        widgets = all;
        for (LogWidget* w : all) {
            w->mLogUpdates = true;
            screen.AddWidget(w);
            if (w->mName == tc.actor)
                w->mOnUpdate = [](LogWidget* self) {
                    current->action(self->mParent, widgets);
                    self->mOnUpdate = nullptr;
                };
        }
        manager.UpdateFrame();
        Log updates;
        for (const std::string& line : log)
            if (line.ends_with(" update"))
                updates.push_back(line);
        EXPECT_EQ(Join(updates), tc.expected) << tc.what;
        log.clear();
        manager.UpdateFrame();
        screen.RemoveAllWidgets();
        manager.RemoveAllWidgets();
    }
}

TEST(WidgetTree, UpdateRunsOncePerManagerUpdateAndHonoursFlags)
{
    Log log;
    WidgetManager manager(nullptr);
    LogWidget a(&log, "A"), b(&log, "B");
    a.mLogUpdates = b.mLogUpdates = true;
    manager.AddWidget(&a);
    manager.AddWidget(&b);
    b.mWidgetFlagsMod.mRemoveFlags = WIDGETFLAGS_UPDATE;
    manager.UpdateFrame();
    ModalFlags flags{manager.GetWidgetFlags(), manager.GetWidgetFlags(), true};
    manager.UpdateAll(&flags); // the same manager update: no second Update
    EXPECT_EQ(Join(log), "A update");
    EXPECT_EQ(a.mUpdateCnt, 1);
    manager.RemoveAllWidgets();
}

TEST(WidgetTree, FlagsBelowTheModalWidgetApplyToUpdateAndDraw)
{
    Log log;
    RecordingImage screenImage(100, 100);
    WidgetManager manager(nullptr);
    manager.mImage = &screenImage;
    LogWidget below(&log, "below", 0, 0, 10, 10), inner(&log, "inner", 0, 0, 5, 5),
        modal(&log, "modal", 20, 0, 10, 10), above(&log, "above", 40, 0, 10, 10);
    for (LogWidget* w : {&below, &inner, &modal, &above})
        w->mLogUpdates = w->mLogDraws = true;
    manager.AddWidget(&below);
    below.AddWidget(&inner);
    manager.AddWidget(&modal);
    manager.AddWidget(&above);
    manager.AddBaseModal(&modal, FlagsMod{0, WIDGETFLAGS_UPDATE | WIDGETFLAGS_DRAW});
    manager.UpdateFrame();
    manager.UpdateFrameF(0.5f);
    manager.DrawScreen();
    EXPECT_EQ(Join(log), "modal update; above update; modal updatef 50; above updatef 50; "
                         "modal draw; above draw");
    log.clear();

    manager.RemoveBaseModal(&modal);
    manager.UpdateFrame();
    manager.UpdateFrameF(1.0f);
    manager.SetAllDirty();
    manager.DrawScreen();
    EXPECT_EQ(Join(log), "below update; inner update; modal update; above update; "
                         "below updatef 100; inner updatef 100; modal updatef 100; "
                         "above updatef 100; below draw; inner draw; modal draw; above draw");
    below.RemoveAllWidgets();
    manager.RemoveAllWidgets();
}

namespace {

struct DirtyCase {
    const char* what;
    std::function<void(LogWidget**)> setup; // floor panel mid top far
    int marked;                             // index of the widget that calls SetDirty
    const char* expected;
};

} // namespace

TEST(WidgetTree, DirtyMarkingReachesOverlapsAndStopsAtAnOpaqueCover)
{
    auto none = [](LogWidget**) {};
    const DirtyCase cases[] = {
        {"opaque widget marks the ones above it", none, 2, "mid top"},
        {"alpha widget marks down to the first opaque cover", [](LogWidget** w) { w[2]->mHasAlpha = true; }, 2, "panel mid top"},
        {"a cover with transparencies does not stop the walk", [](LogWidget** w) { w[2]->mHasAlpha = true; w[1]->mHasTransparencies = true; }, 2, "floor panel mid top far"},
        {"hidden widgets are skipped", [](LogWidget** w) { w[3]->mVisible = false; }, 2, "mid"},
        {"the topmost marks only itself", none, 3, "top"},
        {"a wide bottom widget marks everything above it", none, 0, "floor panel mid top far"},
    };
    for (const DirtyCase& tc : cases) {
        Log log;
        WidgetManager manager(nullptr);
        manager.SetMouseMapping(Rect(0, 0, 100, 100), Rect(0, 0, 100, 100));
        LogWidget floor(&log, "floor", 0, 0, 100, 100), panel(&log, "panel", 0, 0, 50, 50),
            mid(&log, "mid", 10, 10, 20, 20), top(&log, "top", 15, 15, 10, 10),
            far(&log, "far", 80, 80, 10, 10);
        LogWidget* all[5] = {&floor, &panel, &mid, &top, &far};
        for (LogWidget* w : all)
            manager.AddWidget(w);
        tc.setup(all);
        for (LogWidget* w : all)
            w->mDirty = false;
        manager.mDirty = false;
        all[tc.marked]->SetDirty();
        std::string dirty;
        for (LogWidget* w : all)
            if (w->mDirty)
                dirty += (dirty.empty() ? "" : " ") + w->mName;
        EXPECT_EQ(dirty, tc.expected) << tc.what;
        EXPECT_TRUE(manager.mDirty) << tc.what;
        manager.RemoveAllWidgets();
    }
}

TEST(WidgetTree, NestedDirtyMarksTheScreenAndResizeWithSameValuesDoesNothing)
{
    Log log;
    WidgetManager manager(nullptr);
    manager.SetMouseMapping(Rect(0, 0, 100, 100), Rect(0, 0, 100, 100));
    LogWidget screen(&log, "screen", 0, 0, 60, 60), over(&log, "over", 50, 50, 20, 20),
        control(&log, "control", 5, 5, 10, 10);
    manager.AddWidget(&screen);
    manager.AddWidget(&over);
    screen.AddWidget(&control);
    screen.mDirty = over.mDirty = control.mDirty = false;

    control.Resize(5, 5, 10, 10);
    EXPECT_FALSE(screen.mDirty || control.mDirty || over.mDirty);

    control.SetDirty();
    EXPECT_TRUE(control.mDirty);
    EXPECT_TRUE(screen.mDirty);
    EXPECT_TRUE(over.mDirty); // above the screen and overlapping it

    screen.RemoveAllWidgets();
    manager.RemoveAllWidgets();
}

TEST(WidgetTree, FadeTicks)
{
    struct Case {
        bool in;
        int start, ticks, alpha;
        bool fading;
        const char* log;
    } cases[] = {
        {true, 250, 1, 255, false, "w fadeindone"},
        {true, 100, 2, 120, true, ""},
        {true, 0, 30, 255, false, "w fadeindone"},
        {false, 5, 1, 0, false, "w fadeoutdone"},
        {false, 11, 1, 1, true, ""},
        {false, 255, 30, 0, false, "w fadeoutdone"},
    };
    for (const Case& tc : cases) {
        Log log;
        LogWidget w(&log, "w");
        w.mFadeAlpha = tc.start;
        (tc.in ? w.mFadingIn : w.mFadingOut) = true;
        for (int i = 0; i < tc.ticks; ++i)
            w.Tick(1.0);
        EXPECT_EQ(w.mFadeAlpha, tc.alpha) << tc.start;
        EXPECT_EQ(tc.in ? w.mFadingIn : w.mFadingOut, tc.fading) << tc.start;
        EXPECT_EQ(Join(log), tc.log) << tc.start;
    }
}

TEST(WidgetTree, ClickCountsMapToButtons)
{
    struct Case {
        int clickCount;
        const char* down;
    } cases[] = {
        {1, "w down 3,4 b0 c1; w up 3,4 b0 c1"},
        {2, "w down 3,4 b0 c2; w up 3,4 b0 c2"},
        {-1, "w down 3,4 b1 c1; w up 3,4 b1 c1"},
        {-2, "w down 3,4 b1 c2; w up 3,4 b1 c2"},
        {3, "w down 3,4 b2 c1; w up 3,4 b2 c1"},
    };
    for (const Case& tc : cases) {
        Log log;
        LogWidget w(&log, "w");
        w.MouseDown(3, 4, tc.clickCount);
        w.MouseUp(3, 4, tc.clickCount);
        EXPECT_EQ(Join(log), tc.down) << tc.clickCount;
    }
}

TEST(WidgetTree, NumberDigitsAndStrip)
{
    Widget w;
    const std::pair<int, int> digits[] = {{0, 1}, {9, 1}, {10, 2}, {99, 2}, {100, 3},
                                          {INT_MAX, 10}, {-5, 1}};
    for (auto [n, count] : digits)
        EXPECT_EQ(w.GetNumDigits(n), count) << n;

    struct Case {
        int number;
        const char* calls;
    } cases[] = {
        {305, "blt strip 20,5 src 30,0,10,10 255,255,255,255; "
              "blt strip 32,5 src 0,0,10,10 255,255,255,255; "
              "blt strip 44,5 src 50,0,10,10 255,255,255,255"},
        {0, "blt strip 20,5 src 0,0,10,10 255,255,255,255"},
        {-7, "blt strip 20,5 src 0,0,10,10 255,255,255,255"}, // no minus sign: drawn as 0
    };
    for (const Case& tc : cases) {
        RecordingImage screen(200, 100);
        RecordingImage strip(100, 10, "strip");
        Graphics g(&screen);
        w.WriteNumberFromStrip(&g, tc.number, 20, 5, &strip, 2);
        EXPECT_EQ(Join(screen.mCalls), tc.calls) << tc.number;
    }
}

TEST(WidgetTree, TabMovesTheFocusToTheNeighbours)
{
    Log log;
    WidgetManager manager(nullptr);
    LogWidget a(&log, "a"), prev(&log, "prev"), next(&log, "next"), alone(&log, "alone");
    for (LogWidget* w : {&a, &prev, &next, &alone})
        manager.AddWidget(w);
    a.mTabPrev = &prev;
    a.mTabNext = &next;
    manager.SetFocus(&a);
    manager.KeyDown(9);
    EXPECT_EQ(manager.mFocusWidget, &next);
    manager.SetFocus(&a);
    manager.KeyDown(16);
    manager.KeyDown(9);
    EXPECT_EQ(manager.mFocusWidget, &prev);
    manager.SetFocus(&alone);
    log.clear();
    manager.KeyDown(9);
    EXPECT_EQ(manager.mFocusWidget, &alone);
    EXPECT_EQ(Join(log), "alone keydown 9");
    manager.RemoveAllWidgets();
}

namespace {

struct HitCase {
    const char* what;
    std::function<void(LogWidget**)> setup; // back, front, inner (a child of front)
    int x, y;
    const char* expected;
    int localX, localY;
};

} // namespace

TEST(WidgetTree, HitTestTopmostFirst)
{
    auto none = [](LogWidget**) {};
    const HitCase cases[] = {
        {"topmost wins", none, 25, 25, "front", 5, 5},
        {"a child inside is found first", none, 32, 32, "inner", 2, 2},
        {"outside the front only the back", none, 5, 5, "back", 5, 5},
        {"a point the front does not show falls through", [](LogWidget** w) { w[1]->mHoleAt = true; w[1]->mHoleX = 5; w[1]->mHoleY = 5; }, 25, 25, "back", 25, 25},
        {"not mouse visible: not hit itself", [](LogWidget** w) { w[1]->mMouseVisible = false; }, 25, 25, "back", 25, 25},
        {"not mouse visible: its children still are", [](LogWidget** w) { w[1]->mMouseVisible = false; }, 32, 32, "inner", 2, 2},
        {"insets shrink the hit area", [](LogWidget** w) { w[1]->mMouseInsets = Insets(6, 6, 0, 0); }, 25, 25, "back", 25, 25},
        {"hidden widgets are not hit", [](LogWidget** w) { w[1]->mVisible = false; }, 32, 32, "back", 32, 32},
        {"no mouse flag: the subtree is skipped", [](LogWidget** w) { w[1]->mWidgetFlagsMod.mRemoveFlags = WIDGETFLAGS_ALLOW_MOUSE; }, 32, 32, "back", 32, 32},
        {"a disabled widget on top hides the one below", [](LogWidget** w) { w[1]->mDisabled = true; }, 25, 25, "", 0, 0},
        {"nothing there", none, 150, 150, "", 0, 0},
    };
    for (const HitCase& tc : cases) {
        Log log;
        WidgetManager manager(nullptr);
        LogWidget back(&log, "back", 0, 0, 100, 100), front(&log, "front", 20, 20, 40, 40),
            inner(&log, "inner", 10, 10, 5, 5);
        LogWidget* all[3] = {&back, &front, &inner};
        manager.AddWidget(&back);
        manager.AddWidget(&front);
        front.AddWidget(&inner);
        tc.setup(all);
        int lx = 0, ly = 0;
        Widget* hit = manager.GetWidgetAt(tc.x, tc.y, &lx, &ly);
        EXPECT_EQ(hit ? static_cast<LogWidget*>(hit)->mName : "", tc.expected) << tc.what;
        if (hit) {
            EXPECT_EQ(lx, tc.localX) << tc.what;
            EXPECT_EQ(ly, tc.localY) << tc.what;
        }
        front.RemoveAllWidgets();
        manager.RemoveAllWidgets();
    }
}

TEST(WidgetTree, IsBelowWalksDepthFirst)
{
    Log log;
    Widget root;
    LogWidget a(&log, "a"), a1(&log, "a1"), b(&log, "b"), stray(&log, "stray");
    root.AddWidget(&a);
    a.AddWidget(&a1);
    root.AddWidget(&b);
    EXPECT_TRUE(root.IsBelow(&a, &b));
    EXPECT_TRUE(root.IsBelow(&a1, &b));
    EXPECT_FALSE(root.IsBelow(&b, &a1));
    EXPECT_TRUE(root.IsBelow(&a, &a1));
    EXPECT_FALSE(root.IsBelow(&stray, &b));
    EXPECT_FALSE(root.IsBelow(&stray, nullptr));
    a.RemoveAllWidgets();
    root.RemoveAllWidgets();
}

TEST(WidgetTree, ColourTable)
{
    Widget w;
    EXPECT_EQ(w.GetColor(3), Color(0, 0, 0, 255));
    EXPECT_EQ(w.GetColorOr(3, Color(1, 2, 3)), Color(1, 2, 3));
    w.SetColor(2, Color(9, 9, 9, 9));
    EXPECT_EQ(w.mColors.size(), 3u);
    EXPECT_EQ(w.GetColor(0), Color(0, 0, 0, 255));
    EXPECT_EQ(w.GetColor(2), Color(9, 9, 9, 9));
    EXPECT_EQ(w.GetColor(-1), Color(0, 0, 0, 255));
    w.SetColor(-1, Color(1, 1, 1)); // ignored
    EXPECT_EQ(w.mColors.size(), 3u);
    const int rgb[2][3] = {{1, 2, 3}, {4, 5, 6}};
    w.SetColorsRGB(rgb, 2);
    ASSERT_EQ(w.mColors.size(), 2u);
    EXPECT_EQ(w.GetColor(1), Color(4, 5, 6, 255));
    const int rgba[1][4] = {{7, 8, 9, 10}};
    w.SetColorsRGBA(rgba, 1);
    ASSERT_EQ(w.mColors.size(), 1u);
    EXPECT_EQ(w.GetColor(0), Color(7, 8, 9, 10));
}

namespace {

class CountedWidget : public LogWidget {
public:
    CountedWidget(Log* log, std::string name, int* deletions)
        : LogWidget(log, std::move(name)), mDeletions(deletions)
    {
    }
    ~CountedWidget() override { ++*mDeletions; }
    int* mDeletions;
};

} // namespace

TEST(WidgetTree, RemoveAllWidgetsDeletesRecursively)
{
    Log log;
    int deletions = 0;
    WidgetManager manager(nullptr);
    Widget screen;
    manager.AddWidget(&screen);
    auto* panel = new CountedWidget(&log, "panel", &deletions);
    auto* inner = new CountedWidget(&log, "inner", &deletions);
    screen.AddWidget(panel);
    panel->AddWidget(inner);
    EXPECT_EQ(inner->mWidgetManager, &manager);
    screen.RemoveAllWidgets(true, true);
    EXPECT_EQ(deletions, 2);
    EXPECT_TRUE(screen.mWidgets.empty());
    manager.RemoveAllWidgets();
}

TEST(WidgetTree, DeletingAWidgetStillInTheTreeDetachesIt)
{
    Log log;
    WidgetManager manager(nullptr);
    auto screen = std::make_unique<LogWidget>(&log, "screen", 0, 0, 100, 100);
    LogWidget child(&log, "child", 10, 10, 10, 10);
    manager.AddWidget(screen.get());
    screen->AddWidget(&child);
    manager.MouseMove(50, 50);
    manager.SetFocus(screen.get());
    EXPECT_EQ(manager.mOverWidget, screen.get());
    screen.reset();
    EXPECT_TRUE(manager.mWidgets.empty());
    EXPECT_EQ(manager.mOverWidget, nullptr);
    EXPECT_EQ(manager.mFocusWidget, nullptr);
    EXPECT_EQ(child.mParent, nullptr);
    child.SetDirty(); // must not reach the deleted parent
    EXPECT_TRUE(child.mDirty);
}
