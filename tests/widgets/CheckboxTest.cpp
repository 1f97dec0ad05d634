// The checkbox: toggling by any press, reports, and its three looks.
#include "WidgetTestSupport.h"

#include "app/QuorAppBase.h"
#include "graphics/Graphics.h"
#include "widgets/Checkbox.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Quor;
using namespace widgettest;

TEST(Checkbox, AnyPressTogglesOnceAndReports)
{
    Log log;
    LogListener listener(&log);
    WidgetManager manager(nullptr);
    Checkbox box(nullptr, nullptr, 3, &listener);
    box.Resize(0, 0, 16, 16);
    manager.AddWidget(&box);
    EXPECT_TRUE(box.mDoFinger);
    for (int clickCount : {1, -1, 3, 2, -2}) {
        manager.MouseDown(5, 5, clickCount);
        manager.MouseUp(5, 5, clickCount == 2 ? 1 : (clickCount == -2 ? -1 : clickCount));
    }
    EXPECT_EQ(Join(log), "checked 3 1; checked 3 0; checked 3 1; checked 3 0; checked 3 1");
    EXPECT_TRUE(box.IsChecked());
    log.clear();

    box.SetChecked(false, false);
    EXPECT_FALSE(box.IsChecked());
    EXPECT_EQ(Join(log), "");
    box.SetChecked(true, false);
    box.SetChecked(true, true); // reported although unchanged
    EXPECT_EQ(Join(log), "checked 3 1");

    Checkbox silent(nullptr, nullptr, 4, nullptr); // no listener: only the state changes
    silent.MouseDownButton(0, 0, 0, 1);
    silent.SetChecked(false, true);
    EXPECT_FALSE(silent.IsChecked());
    manager.RemoveAllWidgets();
}

TEST(Checkbox, Looks)
{
    struct Case {
        const char* what;
        bool checked;
        std::function<void(Checkbox&, Image* unchecked, Image* checked)> setup;
        const char* calls;
    } cases[] = {
        {"drawn box, checked: the cross", true, [](Checkbox&, Image*, Image*) {},
         "fill 0,0,16,16 255,255,255,255; fill 1,1,14,14 80,80,80,255; "
         "line 1,1-14,14 255,255,0,255; line 15,1-1,14 255,255,0,255"},
        {"drawn box, unchecked", false, [](Checkbox&, Image*, Image*) {},
         "fill 0,0,16,16 255,255,255,255; fill 1,1,14,14 80,80,80,255"},
        {"two images, checked", true, [](Checkbox& b, Image* u, Image* c) { b.mUncheckedImage = u; b.mCheckedImage = c; },
         "blt C 0,0 src 0,0,16,16 255,255,255,255"},
        {"two images, unchecked", false, [](Checkbox& b, Image* u, Image* c) { b.mUncheckedImage = u; b.mCheckedImage = c; },
         "blt U 0,0 src 0,0,16,16 255,255,255,255"},
        {"sprite rectangles, checked", true, [](Checkbox& b, Image* u, Image*) { b.mUncheckedImage = u; b.mUncheckedRect = Rect(0, 0, 8, 8); b.mCheckedRect = Rect(8, 8, 8, 8); },
         "blt U 0,0 src 8,8,8,8 255,255,255,255"},
        {"sprite rectangles, unchecked", false, [](Checkbox& b, Image* u, Image*) { b.mUncheckedImage = u; b.mUncheckedRect = Rect(0, 0, 8, 8); b.mCheckedRect = Rect(8, 8, 8, 8); },
         "blt U 0,0 src 0,0,8,8 255,255,255,255"},
        {"only the unchecked image and no rectangles: nothing", true, [](Checkbox& b, Image* u, Image*) { b.mUncheckedImage = u; }, ""},
    };
    for (const Case& tc : cases) {
        RecordingImage screen(100, 100);
        RecordingImage unchecked(16, 16, "U"), checked(16, 16, "C");
        Checkbox box(nullptr, nullptr, 1, nullptr);
        box.Resize(0, 0, 16, 16);
        tc.setup(box, &unchecked, &checked);
        box.SetChecked(tc.checked, false);
        Graphics g(&screen);
        box.Draw(&g);
        EXPECT_EQ(Join(screen.mCalls), tc.calls) << tc.what;
    }
}

TEST(Checkbox, HandCursorWhileTheMouseIsOverIt)
{
    QuorAppBase app;
    WidgetManager& manager = *app.mWidgetManager;
    Checkbox box(nullptr, nullptr, 1, nullptr);
    box.Resize(10, 10, 16, 16);
    manager.AddWidget(&box);
    manager.MouseMove(12, 12);
    EXPECT_EQ(app.mCursorNum, 1);
    manager.MouseMove(50, 50);
    EXPECT_EQ(app.mCursorNum, 0);
    manager.RemoveWidget(&box);
}
