// The push button: listener sequences of mouse scripts, the hover fade and the drawn looks.
#include "WidgetTestSupport.h"

#include "graphics/Graphics.h"
#include "widgets/ButtonWidget.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Quor;
using namespace widgettest;

namespace {

// A button with id 7 at (10, 10, 50, 20) on a screen that covers the manager.
class ButtonFixture : public ::testing::Test {
protected:
    ButtonFixture() : manager(nullptr), listener(&log), button(7, &listener)
    {
        manager.SetMouseMapping(Rect(0, 0, 400, 300), Rect(0, 0, 400, 300));
        screen.Resize(0, 0, 400, 300);
        button.Resize(10, 10, 50, 20);
        manager.AddWidget(&screen);
        screen.AddWidget(&button);
    }
    ~ButtonFixture() override
    {
        screen.RemoveAllWidgets();
        manager.RemoveAllWidgets();
    }

    Log log;
    WidgetManager manager;
    LogListener listener;
    Widget screen;
    ButtonWidget button;
};

} // namespace

TEST_F(ButtonFixture, MouseScripts)
{
    struct Case {
        const char* what;
        std::function<void(WidgetManager&)> script;
        const char* expected;
    } cases[] = {
        {"press and release over it",
         [](WidgetManager& m) { m.MouseMove(20, 20); m.MouseDown(20, 20, 1); m.MouseUp(20, 20, 1); },
         "benter 7; clicks 7 1; press 7; depress 7"},
        {"release elsewhere reports no depress",
         [](WidgetManager& m) { m.MouseMove(20, 20); m.MouseDown(20, 20, 1); m.MouseMove(200, 200); m.MouseUp(200, 200, 1); },
         "benter 7; clicks 7 1; press 7; bleave 7"},
        {"right click presses like a left one",
         [](WidgetManager& m) { m.MouseMove(20, 20); m.MouseDown(20, 20, -1); m.MouseUp(20, 20, -1); },
         "benter 7; clicks 7 1; press 7; depress 7"},
        {"middle click",
         [](WidgetManager& m) { m.MouseMove(20, 20); m.MouseDown(20, 20, 3); m.MouseUp(20, 20, 3); },
         "benter 7; clicks 7 1; press 7; depress 7"},
        {"double click reports two clicks",
         [](WidgetManager& m) { m.MouseMove(20, 20); m.MouseDown(20, 20, 1); m.MouseUp(20, 20, 1); m.MouseDown(20, 20, 2); m.MouseUp(20, 20, 1); },
         "benter 7; clicks 7 1; press 7; depress 7; clicks 7 2; press 7; depress 7"},
        {"ticks while held over it, none while dragged off",
         [](WidgetManager& m) { m.MouseMove(20, 20); m.MouseDown(20, 20, 1); m.UpdateFrame(); m.UpdateFrame(); m.MouseMove(200, 200); m.UpdateFrame(); m.MouseMove(21, 20); m.UpdateFrame(); m.MouseUp(21, 20, 1); },
         "benter 7; clicks 7 1; press 7; tick 7; tick 7; bleave 7; benter 7; tick 7; depress 7"},
        {"no depress while the window lacks the focus",
         [](WidgetManager& m) { m.LostFocus(); m.MouseMove(20, 20); m.MouseDown(20, 20, 1); m.MouseUp(20, 20, 1); },
         "benter 7; clicks 7 1; press 7"},
        {"disabled: nothing",
         [](WidgetManager& m) { static_cast<ButtonWidget*>(m.mWidgets.front()->mWidgets.front())->SetDisabled(true); m.MouseMove(20, 20); m.MouseDown(20, 20, 1); m.MouseUp(20, 20, 1); },
         ""},
    };
    for (const Case& tc : cases) {
        log.clear();
        tc.script(manager);
        EXPECT_EQ(Join(log), tc.expected) << tc.what;
        // Back to a clean state for the next script.
        manager.MouseUp(0, 0, 1);
        manager.MouseUp(0, 0, -1);
        manager.MouseUp(0, 0, 3);
        manager.MouseExit();
        manager.GotFocus();
        button.SetDisabled(false);
        button.mOverAlpha = 0.0;
    }
}

TEST_F(ButtonFixture, HoverFade)
{
    struct Case {
        const char* what;
        double fadeIn, fadeOut;
        bool stayOver; // updates with the mouse over the button (else after leaving it)
        std::vector<double> alphas; // after each update
    } cases[] = {
        {"fade out by quarters lands on 0 exactly", 0.0, 0.25, false, {0.75, 0.5, 0.25, 0.0, 0.0}},
        {"fade out past 0 is raised to 0", 0.0, 0.3, false, {0.7, 0.4, 0.1, 0.0}},
        {"without a fade-out speed the highlight goes at once", 0.0, 0.0, false, {0.0}},
        {"fade in by quarters reaches 1 and stays", 0.25, 0.0, true, {0.25, 0.5, 0.75, 1.0, 1.0}},
        {"fade in past 1 is lowered to 1", 0.3, 0.0, true, {0.3, 0.6, 0.9, 1.0}},
    };
    for (const Case& tc : cases) {
        button.mOverAlpha = 0.0;
        button.mOverAlphaFadeInSpeed = tc.fadeIn;
        button.mOverAlphaSpeed = tc.fadeOut;
        manager.MouseMove(20, 20);
        if (!tc.stayOver) {
            manager.MouseMove(200, 200);
            EXPECT_EQ(button.mOverAlpha, tc.fadeOut > 0 ? 1.0 : 0.0) << tc.what;
        }
        for (size_t i = 0; i < tc.alphas.size(); ++i) {
            manager.UpdateFrame();
            EXPECT_NEAR(button.mOverAlpha, tc.alphas[i], 1e-9) << tc.what << " update " << i;
        }
        EXPECT_EQ(button.mOverAlpha, tc.alphas.back()) << tc.what; // exact at the ends
        manager.MouseExit();
    }
}

TEST_F(ButtonFixture, EnterAndLeaveRedrawOnlyWhenTheLookChanges)
{
    screen.mDirty = button.mDirty = false;
    manager.MouseMove(20, 20); // no over image, equal label colours
    EXPECT_FALSE(button.mDirty);
    manager.MouseExit();
    button.SetColor(ButtonWidget::COLOR_LABEL_HILITE, Color(255, 0, 0));
    button.mDirty = false;
    manager.MouseMove(20, 20);
    EXPECT_TRUE(button.mDirty);
}

namespace {

struct LookCase {
    const char* what;
    std::function<void(ButtonWidget&, Image** images)> setup; // images: N O D X S
    const char* calls;
};

std::string DrawButton(const LookCase& tc)
{
    RecordingImage screen(400, 300);
    RecordingImage normal(50, 20, "N"), over(50, 20, "O"), down(50, 20, "D"), disabled(50, 20, "X"),
        sprite(200, 20, "S");
    Image* images[5] = {&normal, &over, &down, &disabled, &sprite};
    ButtonWidget button(1, nullptr);
    button.Resize(0, 0, 50, 20);
    tc.setup(button, images);
    Graphics g(&screen);
    button.Draw(&g);
    EXPECT_FALSE(g.mColorizeImages);
    return Join(screen.mCalls);
}

} // namespace

TEST(ButtonWidget, FramedLooks)
{
    const char* up = "fill 0,0,50,20 212,212,212,255; "
                     "fill 0,0,49,1 255,255,255,255; fill 0,0,1,19 255,255,255,255; "
                     "fill 0,19,50,1 0,0,0,255; fill 49,0,1,20 0,0,0,255; "
                     "fill 1,18,48,1 132,132,132,255; fill 48,1,1,18 132,132,132,255";
    const char* pressed = "fill 0,0,50,20 212,212,212,255; "
                          "fill 0,0,49,1 0,0,0,255; fill 0,0,1,19 0,0,0,255; "
                          "fill 0,19,50,1 255,255,255,255; fill 49,0,1,20 255,255,255,255; "
                          "fill 1,1,47,1 132,132,132,255; fill 1,1,1,17 132,132,132,255";
    auto held = [](ButtonWidget& b, Image**) { b.mIsDown = b.mIsOver = true; };
    const LookCase cases[] = {
        {"idle", [](ButtonWidget&, Image**) {}, up},
        {"held over it", held, pressed},
        {"held but dragged off", [](ButtonWidget& b, Image**) { b.mIsDown = true; }, up},
        {"held while disabled", [](ButtonWidget& b, Image**) { b.mIsDown = b.mIsOver = true; b.mDisabled = true; }, up},
        {"inverted idle looks pressed", [](ButtonWidget& b, Image**) { b.mInverted = true; }, pressed},
        {"inverted held looks up", [](ButtonWidget& b, Image**) { b.mInverted = true; b.mIsDown = b.mIsOver = true; }, up},
        {"no frame draws nothing else", [](ButtonWidget& b, Image**) { b.mFrameNoDraw = true; }, ""},
        {"hidden draws nothing", [](ButtonWidget& b, Image**) { b.mBtnNoDraw = true; }, ""},
    };
    for (const LookCase& tc : cases)
        EXPECT_EQ(DrawButton(tc), tc.calls) << tc.what;
}

TEST(ButtonWidget, ImageLooks)
{
    auto all = [](ButtonWidget& b, Image** i) {
        b.mButtonImage = i[0];
        b.mOverImage = i[1];
        b.mDownImage = i[2];
        b.mDisabledImage = i[3];
    };
    const LookCase cases[] = {
        {"normal", all, "blt N 0,0 src 0,0,50,20 255,255,255,255"},
        {"over", [&](ButtonWidget& b, Image** i) { all(b, i); b.mIsOver = true; }, "blt O 0,0 src 0,0,50,20 255,255,255,255"},
        {"held after dragging off shows over", [&](ButtonWidget& b, Image** i) { all(b, i); b.mIsDown = true; }, "blt O 0,0 src 0,0,50,20 255,255,255,255"},
        {"pressed", [&](ButtonWidget& b, Image** i) { all(b, i); b.mIsDown = b.mIsOver = true; }, "blt D 0,0 src 0,0,50,20 255,255,255,255"},
        {"pressed without down image: over, shifted", [&](ButtonWidget& b, Image** i) { all(b, i); b.mDownImage = nullptr; b.mIsDown = b.mIsOver = true; }, "blt O 1,1 src 0,0,50,20 255,255,255,255"},
        {"pressed with only the normal image: shifted", [](ButtonWidget& b, Image** i) { b.mButtonImage = i[0]; b.mIsDown = b.mIsOver = true; }, "blt N 1,1 src 0,0,50,20 255,255,255,255"},
        {"disabled", [&](ButtonWidget& b, Image** i) { all(b, i); b.mDisabled = true; b.mIsOver = true; }, "blt X 0,0 src 0,0,50,20 255,255,255,255"},
        {"disabled without its image", [](ButtonWidget& b, Image** i) { b.mButtonImage = i[0]; b.mDisabled = true; }, "blt N 0,0 src 0,0,50,20 255,255,255,255"},
        {"half faded highlight over the normal look", [&](ButtonWidget& b, Image** i) { all(b, i); b.mOverAlpha = 0.5; }, "blt N 0,0 src 0,0,50,20 255,255,255,255; blt O 0,0 src 0,0,50,20 255,255,255,127"},
        {"full highlight alone", [&](ButtonWidget& b, Image** i) { all(b, i); b.mOverAlpha = 1.0; }, "blt O 0,0 src 0,0,50,20 255,255,255,255"},
        {"sprite rectangles", [](ButtonWidget& b, Image** i) { b.mButtonImage = i[4]; b.mNormalRect = Rect(0, 0, 50, 20); b.mOverRect = Rect(50, 0, 50, 20); b.mIsOver = true; }, "blt S 0,0 src 50,0,50,20 255,255,255,255"},
        {"sprite rectangles, idle", [](ButtonWidget& b, Image** i) { b.mButtonImage = i[4]; b.mNormalRect = Rect(0, 0, 50, 20); b.mOverRect = Rect(50, 0, 50, 20); }, "blt S 0,0 src 0,0,50,20 255,255,255,255"},
        {"inverted idle shows down", [&](ButtonWidget& b, Image** i) { all(b, i); b.mInverted = true; }, "blt D 0,0 src 0,0,50,20 255,255,255,255"},
    };
    for (const LookCase& tc : cases)
        EXPECT_EQ(DrawButton(tc), tc.calls) << tc.what;
}
