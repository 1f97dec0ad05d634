// The value slider: clicks on the track, thumb dragging with its reports, cursors and drawing.
#include "WidgetTestSupport.h"

#include "app/QuorAppBase.h"
#include "graphics/Graphics.h"
#include "widgets/Slider.h"
#include "widgets/SliderListener.h"

#include <gtest/gtest.h>

#include <functional>

using namespace Quor;
using namespace widgettest;

namespace {

class SliderLog : public SliderListener {
public:
    explicit SliderLog(Log* log) : mLog(log) {}
    void SliderValueChanged(int id, double value) override
    {
        char text[64];
        snprintf(text, sizeof text, "value %d %.3f", id, value);
        mLog->push_back(text);
    }
    Log* mLog;
};

// A horizontal slider with id 4 at (10, 10, 200, 20) and a 20 x 20 thumb: the thumb covers
// local x 0..19 at value 0, 180..199 at value 1.
class SliderFixture : public ::testing::Test {
protected:
    SliderFixture()
        : manager(*app.mWidgetManager), listener(&log), thumb(20, 20, "T"), slider(4, &listener)
    {
        manager.SetMouseMapping(Rect(0, 0, 400, 300), Rect(0, 0, 400, 300));
        slider.mThumbImage = &thumb;
        slider.Resize(10, 10, 200, 20);
        manager.AddWidget(&slider);
    }
    ~SliderFixture() override { manager.RemoveAllWidgets(); }

    QuorAppBase app;
    WidgetManager& manager;
    Log log;
    SliderLog listener;
    RecordingImage thumb;
    Slider slider;
};

} // namespace

TEST_F(SliderFixture, MouseScripts)
{
    struct Case {
        const char* what;
        double start;
        bool vertical;
        std::function<void(WidgetManager&)> script;
        const char* expected;
        double value;
    } cases[] = {
        {"a press on the track jumps there silently, the release reports", 0.0, false,
         [](WidgetManager& m) { m.MouseDown(60, 15, 1); m.MouseUp(60, 15, 1); },
         "value 4 0.250", 0.25},
        {"dragging past either end reports each end once", 0.0, false,
         [](WidgetManager& m) {
             m.MouseDown(15, 15, 1);
             m.MouseMove(500, 15); m.MouseMove(600, 15);
             m.MouseMove(-100, 15); m.MouseMove(-200, 15);
             m.MouseUp(-200, 15, 1);
         },
         "value 4 1.000; value 4 0.000; value 4 0.000", 0.0},
        {"a drag that keeps the value reports only the release", 0.5, false,
         [](WidgetManager& m) { m.MouseDown(105, 15, 1); m.MouseMove(105, 40); m.MouseUp(105, 40, 1); },
         "value 4 0.500", 0.5},
        {"the grab point stays under the pointer", 0.0, false,
         [](WidgetManager& m) { m.MouseDown(15, 15, 1); m.MouseMove(105, 15); m.MouseUp(105, 15, 1); },
         "value 4 0.500; value 4 0.500", 0.5},
        {"a right press on the thumb drags as well", 0.0, false,
         [](WidgetManager& m) { m.MouseDown(15, 15, -1); m.MouseMove(51, 15); m.MouseUp(51, 15, -1); },
         "value 4 0.200; value 4 0.200", 0.2},
        {"vertical: the track press and the drag go by y", 0.0, true,
         [](WidgetManager& m) {
             m.MouseDown(20, 60, 1); m.MouseUp(20, 60, 1);   // 50 of 200: 0.25
             m.MouseDown(20, 70, 1); m.MouseMove(20, 115); m.MouseUp(20, 115, 1);
         },
         "value 4 0.250; value 4 0.500; value 4 0.500", 0.5},
    };
    for (const Case& tc : cases) {
        slider.mHorizontal = !tc.vertical;
        if (tc.vertical)
            slider.Resize(10, 10, 20, 200);
        else
            slider.Resize(10, 10, 200, 20);
        slider.SetValue(tc.start);
        log.clear();
        tc.script(manager);
        EXPECT_EQ(Join(log), tc.expected) << tc.what;
        EXPECT_DOUBLE_EQ(slider.mVal, tc.value) << tc.what;
        EXPECT_FALSE(slider.mDragging) << tc.what;
    }
}

TEST_F(SliderFixture, SetValueClampsWithoutReporting)
{
    const double cases[][2] = {{1.5, 1.0}, {-0.2, 0.0}, {0.75, 0.75}};
    for (const auto& tc : cases) {
        slider.SetValue(tc[0]);
        EXPECT_EQ(slider.mVal, tc[1]);
    }
    EXPECT_TRUE(log.empty());
}

TEST_F(SliderFixture, DragCursorFollowsTheThumbAndStaysDuringADrag)
{
    manager.MouseMove(15, 15);
    EXPECT_EQ(app.mCursorNum, 2);
    manager.MouseMove(100, 15);
    EXPECT_EQ(app.mCursorNum, 0);
    manager.MouseMove(15, 15);
    manager.MouseDown(15, 15, 1);
    manager.MouseMove(15, 200); // off the slider while dragging
    EXPECT_EQ(app.mCursorNum, 2);
    manager.MouseUp(15, 200, 1);
    EXPECT_EQ(app.mCursorNum, 0);
}

TEST_F(SliderFixture, NoDragRangeKeepsTheValue)
{
    slider.Resize(10, 10, 20, 20); // as wide as the thumb
    slider.SetValue(0.5);
    manager.MouseDown(15, 15, 1);
    manager.MouseMove(40, 15);
    EXPECT_EQ(slider.mVal, 0.5);
    manager.MouseUp(40, 15, 1);
    EXPECT_EQ(Join(log), "value 4 0.500");
}

TEST(Slider, WithoutAThumbEveryPressIsOnTheTrack)
{
    Log log;
    SliderLog listener(&log);
    WidgetManager manager(nullptr);
    Slider slider(1, &listener);
    slider.Resize(0, 0, 100, 10);
    manager.AddWidget(&slider);
    manager.MouseDown(50, 5, 1);
    manager.MouseMove(90, 5);
    manager.MouseUp(90, 5, 1);
    EXPECT_EQ(Join(log), "value 1 0.500");
    manager.RemoveWidget(&slider);
}

TEST(Slider, Drawing)
{
    struct Case {
        const char* what;
        bool horizontal;
        int width, height;
        int trackWidth, trackHeight;
        bool fill;
        double value;
        const char* calls;
    } cases[] = {
        {"horizontal: ends once, the middle repeated, fill to the value, thumb", true, 100, 20,
         30, 10, true, 0.5,
         "blt K 0,5 src 0,0,10,10 255,255,255,255; "
         "blt K 10,5 src 10,0,10,10 255,255,255,255; blt K 20,5 src 10,0,10,10 255,255,255,255; "
         "blt K 30,5 src 10,0,10,10 255,255,255,255; blt K 40,5 src 10,0,10,10 255,255,255,255; "
         "blt K 50,5 src 10,0,10,10 255,255,255,255; blt K 60,5 src 10,0,10,10 255,255,255,255; "
         "blt K 70,5 src 10,0,10,10 255,255,255,255; blt K 80,5 src 10,0,10,10 255,255,255,255; "
         "blt K 90,5 src 20,0,10,10 255,255,255,255; "
         "blt F 0,0 src 0,0,50,8 255,255,255,255; "
         "blt T 45,5 src 0,0,10,10 255,255,255,255"},
        {"two slices wide: no middle", true, 20, 10, 30, 10, false, 0.0,
         "blt K 0,0 src 0,0,10,10 255,255,255,255; blt K 10,0 src 20,0,10,10 255,255,255,255; "
         "blt T 0,0 src 0,0,10,10 255,255,255,255"},
        {"a middle slice cut by the end slice's area", true, 35, 10, 30, 10, false, 0.0,
         "blt K 0,0 src 0,0,10,10 255,255,255,255; blt K 10,0 src 10,0,10,10 255,255,255,255; "
         "blt K 20,0 src 10,0,5,10 255,255,255,255; blt K 25,0 src 20,0,10,10 255,255,255,255; "
         "blt T 0,0 src 0,0,10,10 255,255,255,255"},
        {"vertical: slices stacked, no fill, thumb by height", false, 10, 40, 10, 30, true, 1.0,
         "blt K 0,0 src 0,0,10,10 255,255,255,255; "
         "blt K 0,10 src 0,10,10,10 255,255,255,255; blt K 0,20 src 0,10,10,10 255,255,255,255; "
         "blt K 0,30 src 0,20,10,10 255,255,255,255; "
         "blt T 0,30 src 0,0,10,10 255,255,255,255"},
        {"a track under three pixels is not drawn", true, 100, 20, 2, 10, false, 0.0,
         "blt T 0,5 src 0,0,10,10 255,255,255,255"},
    };
    for (const Case& tc : cases) {
        RecordingImage screen(400, 300);
        RecordingImage track(tc.trackWidth, tc.trackHeight, "K");
        RecordingImage fill(100, 8, "F");
        RecordingImage thumb(10, 10, "T");
        Slider slider(1, nullptr);
        slider.mHorizontal = tc.horizontal;
        slider.mTrackImage = &track;
        slider.mFillImage = tc.fill ? &fill : nullptr;
        slider.mThumbImage = &thumb;
        slider.Resize(0, 0, tc.width, tc.height);
        slider.SetValue(tc.value);
        Graphics g(&screen);
        slider.Draw(&g);
        EXPECT_EQ(Join(screen.mCalls), tc.calls) << tc.what;
    }
}
