// A run recorded from scripted input and played back headless, the playback controls, and the
// stream's guards against damaged lengths and positions.
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

#include "app/Common.h"
#include "display/DDInterface.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/Settings.h"
#include "platform/Window.h"
#include "graphics/MemoryImage.h"
#include "widgets/Slider.h"
#include "widgets/SliderListener.h"
#include "widgets/Widget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using quortest::TestApp;

namespace {

// Logs every input it gets and a number from the C runtime's generator at every update.
class LogWidget : public Quor::Widget {
public:
    Quor::QuorAppBase* mApp = nullptr;
    std::vector<std::string> mLog;
    int mSum = 0; // final state: what the input added up to

    void Add(const std::string& what) { mLog.push_back(std::to_string(mApp->mUpdateCount) + " " + what); }
    void Update() override
    {
        int r = std::rand() % 1000;
        mSum += r;
        Add("rand " + std::to_string(r));
    }
    void MouseMove(int x, int y) override { Add("move " + std::to_string(x) + "," + std::to_string(y)); }
    void MouseDown(int x, int y, int c) override
    {
        Add("down " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(c));
    }
    void MouseUp(int x, int y, int c) override
    {
        Add("up " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(c));
    }
    void MouseWheel(int d) override { Add("wheel " + std::to_string(d)); }
    void KeyDown(int k) override { Add("keydown " + std::to_string(k)); }
    void KeyUp(int k) override { Add("keyup " + std::to_string(k)); }
    void KeyChar(char c) override
    {
        mSum += c;
        Add(std::string("char ") + c);
    }
    bool WantsFocus() override { return true; }
};

class ScriptApp : public TestApp {
public:
    LogWidget mWidget;
    void InitHook() override
    {
        mWidget.mApp = this;
        mWidget.Resize(0, 0, 320, 200);
        mWidgetManager->AddWidget(&mWidget);
        mWidgetManager->SetFocus(&mWidget);
    }
    ~ScriptApp() override
    {
        if (mWidgetManager != nullptr)
            mWidgetManager->RemoveWidget(&mWidget);
    }
};

void Prepare(ScriptApp& app, const std::string& demo, uint32_t clock)
{
    PrepareWindowed(app, "DemoTest", 320, 200);
    app.mDemoFileName = demo;
    app.mFakeClock.mNow = clock;
}

struct Input {
    int update;
    uint32_t message;
    uint32_t wParam;
    uint32_t lParam;
};

// Runs the loop, feeding each scripted message in when its update has come.
void RunScript(ScriptApp& app, const std::vector<Input>& script)
{
    size_t next = 0;
    for (int guard = 0; guard < 200000 && !app.mShutdown; ++guard) {
        // The window of this moment: Alt+Enter makes a new one.
        const auto window = static_cast<plat::WindowId>(reinterpret_cast<uintptr_t>(app.mHWnd));
        while (next < script.size() && script[next].update <= app.mUpdateCount) {
            Quor::QuorAppBase::WindowProc(window, script[next].message, script[next].wParam,
                                          script[next].lParam);
            ++next;
        }
        app.UpdateAppStep(nullptr);
    }
}

} // namespace

TEST(DemoPlayback, RecordedRunReplaysTheSameEventsRandomNumbersAndEnd)
{
    quortest::TempDir dir;
    const std::string demo = dir.File("script.dmo");
    const std::vector<Input> script = {
        {3, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(10, 12)},
        {5, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(15, 9)},   // short relative move
        {6, plat::WM_LBUTTONDOWN, 1, plat::MakeLParam(15, 9)},
        {7, plat::WM_LBUTTONUP, 0, plat::MakeLParam(15, 9)},
        {9, plat::WM_KEYDOWN, 'A', 0},
        {9, plat::WM_CHAR, 'a', 0},
        {10, plat::WM_KEYUP, 'A', 0},
        {12, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(300, 150)}, // long absolute move
        {13, plat::WM_RBUTTONDOWN, 2, plat::MakeLParam(300, 150)},
        {13, plat::WM_RBUTTONUP, 0, plat::MakeLParam(300, 150)},
        {20, plat::WM_MOUSEWHEEL, uint32_t(-240) << 16, plat::MakeLParam(300, 150)},
        {41, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(-20, 5)},  // dragged out past the left edge
        {45, plat::WM_CLOSE, 0, 0},
    };

    std::vector<std::string> recorded;
    int recordedSum = 0;
    int recordedUpdates = 0;
    {
        ScriptApp recorder;
        Prepare(recorder, demo, 5555);
        recorder.mRecordingDemo = true;
        recorder.Init();
        ASSERT_TRUE(recorder.mInitialized);
        EXPECT_EQ(recorder.mRandomSeed, 5555u);
        RunScript(recorder, script);
        ASSERT_TRUE(recorder.mShutdown);
        recorded = recorder.mWidget.mLog;
        recordedSum = recorder.mWidget.mSum;
        recordedUpdates = recorder.mUpdateCount;
    } // the demo file is written here

    ScriptApp player;
    Prepare(player, demo, 777); // another start time: the seed must come from the file
    player.mPlayingDemo = true;
    player.Init();
    ASSERT_TRUE(player.mInitialized);
    EXPECT_EQ(player.mRandomSeed, 5555u);
    RunScript(player, {});
    EXPECT_TRUE(player.mShutdown); // the recorded close
    EXPECT_FALSE(player.mDemoWindowClosed);
    EXPECT_EQ(player.mWidget.mLog, recorded);
    EXPECT_EQ(player.mWidget.mSum, recordedSum);
    EXPECT_EQ(player.mUpdateCount, recordedUpdates);

    // Every kind of input reached the widget; the drag past the edge arrived at the edge.
    for (const char* expected : {" move 15,9", " down 15,9 1", " up 15,9 1", " keydown 65",
                                 " char a", " keyup 65", " move 300,150", " down 300,150 -1",
                                 " wheel -2", " move 0,5"}) {
        bool seen = false;
        for (const std::string& line : recorded)
            seen = seen || line.find(expected) != std::string::npos;
        EXPECT_TRUE(seen) << expected;
    }
    player.mPlayingDemo = false; // nothing of the playback is written back
}

namespace {

// Plays back with the cursor thread running; every update waits for one poll of the thread.
class CursorPlayer : public ScriptApp {
public:
    using QuorAppBase::StartCursorThread;
    Quor::MemoryImage mCursor{nullptr};
    std::vector<uint32_t> mPixels = std::vector<uint32_t>(4, 0xFFFFFFFF);
    bool mPollsMissed = false;

    void UpdateFrames() override
    {
        ScriptApp::UpdateFrames();
        if (mShutdown || !mCursorThreadRunning)
            return;
        if (mCursor.GetWidth() == 0)
            mCursor.SetBits(mPixels.data(), 2, 2);
        mDdInterface->SetCursorImage(&mCursor);
        mDdInterface->mCursorX = -9999; // a place no mouse has: the next poll moves it
        if (!quortest::Eventually([&] { return mDdInterface->mCursorX != -9999; }))
            mPollsMissed = true;
    }
};

} // namespace

// The software cursor is drawn at the played-back mouse. The ThreadSanitizer build checks that
// the position and the demo flag reach the cursor thread safely.
TEST(DemoPlayback, SoftwareCursorFollowsThePlayedBackMouse)
{
    quortest::TempDir dir;
    const std::string demo = dir.File("cursor.dmo");
    {
        ScriptApp recorder;
        Prepare(recorder, demo, 5555);
        recorder.mRecordingDemo = true;
        recorder.Init();
        ASSERT_TRUE(recorder.mInitialized);
        RunScript(recorder, {{3, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(10, 12)},
                             {5, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(15, 9)},
                             {8, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(300, 150)},
                             {12, plat::WM_CLOSE, 0, 0}});
    }
    CursorPlayer player;
    Prepare(player, demo, 777);
    player.mPlayingDemo = true;
    player.Init();
    ASSERT_TRUE(player.mInitialized);
    player.StartCursorThread();
    RunScript(player, {});
    EXPECT_TRUE(player.mShutdown);
    EXPECT_FALSE(player.mPollsMissed);
    EXPECT_EQ(player.mDdInterface->mCursorX, 300);
    EXPECT_EQ(player.mDdInterface->mCursorY, 150);
    player.mDdInterface->SetCursorImage(nullptr);
    player.mPlayingDemo = false; // nothing of the playback is written back
}

namespace {

// A slider that logs every call it gets into its application's log, and a listener that stores
// each new value in the settings.
class LogSlider : public Quor::Slider {
public:
    LogWidget* mLog;
    LogSlider(LogWidget* log, Quor::SliderListener* listener) : Slider(1, listener), mLog(log) {}
    void MouseMove(int x, int y) override
    {
        mLog->Add("slider move " + std::to_string(x) + "," + std::to_string(y));
        Slider::MouseMove(x, y);
    }
    void MouseDrag(int x, int y) override
    {
        mLog->Add("slider drag " + std::to_string(x) + "," + std::to_string(y));
        Slider::MouseDrag(x, y);
    }
    void MouseDown(int x, int y, int c) override
    {
        mLog->Add("slider down " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(c));
        Slider::MouseDown(x, y, c);
    }
    void MouseUp(int x, int y, int c) override
    {
        mLog->Add("slider up " + std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(c));
        Slider::MouseUp(x, y, c);
    }
};

class SliderApp : public ScriptApp, public Quor::SliderListener {
public:
    Quor::MemoryImage mThumb{nullptr};
    LogSlider mSlider{&mWidget, this};

    void InitHook() override
    {
        ScriptApp::InitHook();
        std::vector<uint32_t> bits(28 * 10, 0xFFFFFFFF);
        mThumb.SetBits(bits.data(), 28, 10);
        mSlider.mThumbImage = &mThumb;
        mSlider.Resize(20, 80, 200, 20);
        mSlider.SetValue(0.85);
        mWidgetManager->AddWidget(&mSlider);
    }
    ~SliderApp() override
    {
        if (mWidgetManager != nullptr)
            mWidgetManager->RemoveWidget(&mSlider);
    }
    void SliderValueChanged(int, double value) override
    {
        bool stored = RegistryWriteInteger("SliderValue", int(value * 1000000));
        mWidget.Add("value " + std::to_string(value) + (stored ? " stored" : " not stored"));
    }
    bool DebugKeyDown(int key) override
    {
        if (key != 0x78) // F9, taken by the debug keys
            return QuorAppBase::DebugKeyDown(key);
        mWidget.Add("debug key");
        return true;
    }
};

} // namespace

TEST(DemoPlayback, LiveAndReplayedWidgetCallsAgree)
{
    quortest::TempDir dir;
    const std::string demo = dir.File("exact.dmo");
    const int thumbX = 20 + int(172 * 0.85) + 14; // the thumb's middle
    const std::vector<Input> script = {
        {3, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(thumbX, 90)},
        // Pressed and released on the thumb without moving: the release drags it first.
        {5, plat::WM_LBUTTONDOWN, 1, plat::MakeLParam(thumbX, 90)},
        {7, plat::WM_LBUTTONUP, 0, plat::MakeLParam(thumbX, 90)},
        // Pressed on the thumb, dragged, released where the drag ended.
        {9, plat::WM_LBUTTONDOWN, 1, plat::MakeLParam(thumbX, 90)},
        {11, plat::WM_MOUSEMOVE, 1, plat::MakeLParam(thumbX - 40, 91)},
        {11, plat::WM_MOUSEMOVE, 1, plat::MakeLParam(thumbX - 40, 91)}, // no movement
        {13, plat::WM_LBUTTONUP, 0, plat::MakeLParam(thumbX - 40, 91)},
        // Debug keys on (Ctrl+Alt+D), then a key they take and its release.
        {15, plat::WM_KEYDOWN, plat::VK_CONTROL, 0},
        {15, plat::WM_KEYDOWN, plat::VK_MENU, 0},
        {15, plat::WM_KEYDOWN, 'D', 0},
        {16, plat::WM_KEYUP, 'D', 0},
        {16, plat::WM_KEYUP, plat::VK_MENU, 0},
        {16, plat::WM_KEYUP, plat::VK_CONTROL, 0},
        {18, plat::WM_KEYDOWN, 0x78, 0},
        {19, plat::WM_KEYUP, 0x78, 0},
        // Alt+Enter twice (full screen and back); the releases are lost with the window.
        {21, plat::WM_SYSKEYDOWN, plat::VK_MENU, 0},
        {21, plat::WM_SYSKEYDOWN, plat::VK_RETURN, 0},
        {23, plat::WM_SYSKEYDOWN, plat::VK_MENU, 0},
        {23, plat::WM_SYSKEYDOWN, plat::VK_RETURN, 0},
        {25, plat::WM_KEYDOWN, 'Q', 0},
        {27, plat::WM_CLOSE, 0, 0},
    };

    std::vector<std::string> live;
    double liveValue = 0;
    std::vector<bool> liveKeys;
    {
        SliderApp recorder;
        Prepare(recorder, demo, 31337);
        recorder.mRecordingDemo = true;
        recorder.Init();
        ASSERT_TRUE(recorder.mInitialized);
        recorder.mRegistryKey = "QuorTest\\DemoExact"; // settings written from here on
        RunScript(recorder, script);
        ASSERT_TRUE(recorder.mShutdown);
        live = recorder.mWidget.mLog;
        liveValue = recorder.mSlider.mVal;
        liveKeys.assign(recorder.mWidgetManager->mKeyDown, recorder.mWidgetManager->mKeyDown + 255);
    }
    // What the script is about: the release without movement dragged the thumb.
    EXPECT_NE(std::count(live.begin(), live.end(), "7 slider drag " + std::to_string(thumbX - 20) + ",10"), 0);
    EXPECT_NE(std::find(live.begin(), live.end(), "18 debug key"), live.end());

    SliderApp player;
    Prepare(player, demo, 1);
    player.mPlayingDemo = true;
    player.Init();
    ASSERT_TRUE(player.mInitialized);
    player.mRegistryKey = "QuorTest\\DemoExact";
    RunScript(player, {});
    EXPECT_TRUE(player.mShutdown);
    std::vector<std::string> replayed = player.mWidget.mLog;
    // The debug key was the live run's own: playback does not take it again.
    live.erase(std::remove(live.begin(), live.end(), "18 debug key"), live.end());
    EXPECT_EQ(replayed, live);
    EXPECT_EQ(player.mSlider.mVal, liveValue);
    EXPECT_EQ(std::vector<bool>(player.mWidgetManager->mKeyDown, player.mWidgetManager->mKeyDown + 255),
              liveKeys);
    player.mPlayingDemo = false;
}

TEST(DemoPlayback, FastForwardKeysAndJumpsReachTheRecordedEnd)
{
    // Long frames (200 ms) make the keys' time spans land inside a short recording: key 4 jumps
    // to 600 updates before the end, key 9 to 25 before it.
    const int kFrameTime = 200;
    const char kRegistryKey[] = "QuorTest\\DemoFastForward";
    quortest::TempDir dir;
    const std::string demo = dir.File("long.dmo");
    std::vector<Input> script;
    for (int update = 5; update < 650; update += 37)
        script.push_back({update, plat::WM_MOUSEMOVE, 0, plat::MakeLParam(update % 300, update % 190)});
    script.push_back({655, plat::WM_CLOSE, 0, 0});

    std::vector<std::string> recorded;
    int recordedUpdates = 0;
    uint64_t recordedSlept = 0;
    {
        ScriptApp recorder;
        Prepare(recorder, demo, 4242);
        recorder.mFrameTime = kFrameTime;
        recorder.mRecordingDemo = true;
        recorder.Init();
        ASSERT_TRUE(recorder.mInitialized);
        RunScript(recorder, script);
        ASSERT_TRUE(recorder.mShutdown);
        recorded = recorder.mWidget.mLog;
        recordedUpdates = recorder.mUpdateCount;
        recordedSlept = recorder.mFakeClock.mSlept;
    }

    // "J" jumps to the time stored for the jump dialog: 30 seconds before the end.
    ASSERT_TRUE(plat::SettingsWrite(std::string("SOFTWARE\\") + kRegistryKey, "DemoJumpTime",
                                    plat::SETTING_STRING, "0:30", 4));
    for (char key : std::string("M0456789J")) {
        ScriptApp player;
        Prepare(player, demo, 99);
        player.mFrameTime = kFrameTime;
        player.mPlayingDemo = true;
        player.Init();
        ASSERT_TRUE(player.mInitialized);
        player.mRegistryKey = kRegistryKey; // where the jump dialog keeps its text
        RunScript(player, {{3, plat::WM_CHAR, uint32_t(key), 0}});
        EXPECT_TRUE(player.mShutdown) << key << " stopped at update " << player.mUpdateCount;
        EXPECT_FALSE(player.mDemoWindowClosed) << key;
        EXPECT_EQ(player.mUpdateCount, recordedUpdates) << key;
        EXPECT_EQ(player.mWidget.mLog, recorded) << key;
        // The skipped stretch ran without waiting.
        EXPECT_LT(player.mFakeClock.mSlept, recordedSlept) << key;
        player.mPlayingDemo = false;
    }
}

TEST(DemoPlayback, PlaybackKeys)
{
    struct Case {
        char key;
        double multiplier;
        int jumpTarget;
        bool runToEnd;
    } cases[] = {
        {'+', 1.5, 0, false},  {'-', 1.0 / 1.5, 0, false}, {'=', 1.0, 0, false},
        {'m', 1.0, 0, true},   {'0', 1.0, 20000, false},   {'4', 1.0, 8000, false},
        {'9', 1.0, 19500, false}, {'n', 1.0, 100, false},  {'x', 1.0, 0, false},
    };
    for (const Case& c : cases) {
        TestApp app;
        app.mPlayingDemo = true;
        app.mDemoLength = 20000;
        app.mUpdateCount = 100;
        app.mUpdateMultiplier = 1.0;
        app.DemoPlaybackKey(c.key);
        EXPECT_DOUBLE_EQ(app.mUpdateMultiplier, c.multiplier) << c.key;
        EXPECT_EQ(app.mDemoJumpTarget, c.jumpTarget) << c.key;
        EXPECT_EQ(app.mDemoRunToEnd, c.runToEnd) << c.key;
        EXPECT_EQ(app.mDemoSingleStep, c.key == 'n') << c.key;
        app.mPlayingDemo = false;
    }
    TestApp app;
    app.DemoPlaybackKey('P');
    EXPECT_TRUE(app.mPaused);
    app.DemoPlaybackKey('p');
    EXPECT_FALSE(app.mPaused);
}

TEST(DemoPlayback, JumpToTimeFoldsTheStoredTextAndKeepsIt)
{
    struct Case {
        const char* text;
        int target; // demo end 50000, frame time 10
    } cases[] = {{"1:30", 50000 - 9100}, {"45", 50000 - 4600}, {"1:00:00", 50000 - 360100},
                 {"", 50000 - 100}};
    for (const Case& c : cases) {
        TestApp app;
        app.mRegistryKey = "DemoJumpTest";
        const std::string key = "SOFTWARE\\DemoJumpTest";
        ASSERT_TRUE(plat::SettingsWrite(key, "DemoJumpTime", plat::SETTING_STRING, c.text,
                                        std::strlen(c.text)));
        app.mPlayingDemo = true; // the registry operations would answer from the recording
        app.mDemoLength = 50000;
        EXPECT_EQ(app.ShowJumpToTime(), plat::IDOK); // no display: Ok, the default
        EXPECT_EQ(app.mDemoJumpTarget, c.target) << c.text;
        uint32_t type = 0;
        std::vector<uint8_t> stored;
        ASSERT_TRUE(plat::SettingsRead(key, "DemoJumpTime", &type, &stored));
        EXPECT_EQ(std::string(stored.begin(), stored.end()), c.text);
        app.mPlayingDemo = false;
    }
}

TEST(DemoPlayback, SoundToggleSavesAndRestoresBothVolumes)
{
    TestApp app;
    app.SetMusicVolume(0.6);
    app.SetSfxVolume(0.4);
    app.ToggleDemoSound();
    EXPECT_EQ(app.GetMusicVolume(), 0.0);
    EXPECT_EQ(app.GetSfxVolume(), 0.0);
    app.ToggleDemoSound();
    EXPECT_DOUBLE_EQ(app.GetMusicVolume(), 0.6);
    EXPECT_DOUBLE_EQ(app.GetSfxVolume(), 0.4);
}

TEST(DemoPlayback, RecordedLengthsAreBoundedByTheBytesLeft)
{
    // A synchronised-data record, a file-read record and a registry-read record each claiming
    // two billion bytes, at unaligned positions near the end of the stream.
    struct Case {
        int command;
    } cases[] = {{18}, {15}, {11}};
    for (const Case& c : cases) {
        TestApp app;
        app.mRegistryKey = "DemoBoundTest";
        Quor::Buffer& s = app.mDemoBuffer;
        s.WriteNumBits(0, 4);
        s.WriteNumBits(0, 1);
        s.WriteNumBits(c.command, 5);
        if (c.command != 18)
            s.WriteNumBits(1, 1); // success
        if (c.command == 11)
            s.WriteLong(1); // type
        s.WriteLong(0x7FFFFFF0);
        s.WriteByte('x');
        s.WriteByte('y');
        app.mPlayingDemo = true;
        Quor::Buffer out;
        if (c.command == 18) {
            app.DemoSyncBuffer(&out);
        } else if (c.command == 15) {
            EXPECT_TRUE(app.ReadBufferFromFile("any", &out));
        } else {
            uint8_t data[8] = {};
            uint32_t type = 0;
            uint32_t length = sizeof(data);
            EXPECT_TRUE(app.RegistryRead("v", &type, data, &length));
            EXPECT_EQ(length, 2u);
            out.WriteBytes(data, int(length));
        }
        EXPECT_EQ(out.GetDataLen(), 2) << c.command;
        EXPECT_EQ(out.GetDataPtr()[0], 'x') << c.command;
        EXPECT_EQ(app.DemoBytesLeft(), 0) << c.command;
        app.mPlayingDemo = false;
    }
}

TEST(DemoPlayback, UnreadRecordsAreSkippedWholeAndTheLastRecordPlays)
{
    Quor::Buffer s;
    auto header = [&s](int delta, int command) {
        s.WriteNumBits(delta, 4);
        s.WriteNumBits(0, 1);
        s.WriteNumBits(command, 5);
    };
    header(0, 17); // an HTTP result for a transfer that no longer asks
    s.WriteLong(7);
    s.WriteByte(0);
    s.WriteString("abc");
    header(0, 18); // synchronised data
    s.WriteLong(2);
    s.WriteByte(0xFF);
    s.WriteByte(0xFF);
    header(0, 11); // a registry value read
    s.WriteNumBits(1, 1);
    s.WriteLong(4);
    s.WriteLong(1);
    s.WriteByte(0xFF);
    header(0, 3); // the key after them
    s.WriteNumBits('K', 8);
    if (s.GetDataBitSize() % 2 != 0) {
        header(0, 12); // a registry write's result
        s.WriteNumBits(1, 1);
    }
    while ((s.GetDataBitSize() + 10) % 8 != 0)
        header(0, 31);
    header(2, 6); // the close, its header ending on the stream's last byte
    ASSERT_EQ(s.GetDataBitSize() % 8, 0);

    TestApp app;
    LogWidget widget;
    widget.mApp = &app;
    widget.Resize(0, 0, 100, 100);
    app.mWidgetManager->AddWidget(&widget);
    app.mWidgetManager->SetFocus(&widget);
    app.mPlayingDemo = true;
    app.mDemoBuffer.SetData(s.GetDataPtr(), s.GetDataLen()); // as read from a file
    for (int guard = 0; guard < 10000 && !app.mShutdown; ++guard)
        app.UpdateAppStep(nullptr);
    EXPECT_TRUE(app.mShutdown);
    EXPECT_EQ(app.mUpdateCount, 2);
    EXPECT_NE(std::find(widget.mLog.begin(), widget.mLog.end(), "0 keydown 75"), widget.mLog.end());
    EXPECT_EQ(widget.mLog.size(), 3u); // the key and two updates, nothing read from the payloads
    app.mWidgetManager->RemoveWidget(&widget);
    app.mPlayingDemo = false;
}

TEST(DemoPlayback, ClosingTheWindowAbandonsPlayback)
{
    TestApp app;
    app.mPlayingDemo = true;
    app.mHWnd = reinterpret_cast<void*>(uintptr_t(77)); // stands for the main window
    app.mDeferredMessages.push_back({app.mHWnd, plat::WM_CLOSE, 0, 0});
    app.ProcessDeferredMessage();
    app.mHWnd = nullptr;
    EXPECT_TRUE(app.mShutdown);
    EXPECT_TRUE(app.mDemoWindowClosed);
    // From here on outside values pass through live.
    bool flag = true;
    app.DemoSyncBool(flag);
    EXPECT_TRUE(flag);
    app.mPlayingDemo = false;
}

TEST(DemoFile, OnlyKnownVersionsAreRead)
{
    quortest::TempDir dir;
    for (uint32_t version : {0u, 1u, 2u, 3u, 0xFFFFFFFFu}) {
        Quor::Buffer file;
        file.WriteLong(int32_t(0x42BEEF78));
        file.WriteLong(int32_t(version));
        file.WriteLong(42);
        file.WriteShort(1);
        file.WriteByte('P');
        if (version == 2)
            file.WriteLong(4), file.WriteLong(0); // an empty marker block
        file.WriteLong(60);
        file.WriteByte(0x5A);
        std::string name = dir.File("v" + std::to_string(version) + ".dmo");
        quortest::WriteFile(name, std::vector<uint8_t>(file.GetDataPtr(),
                                                       file.GetDataPtr() + file.GetDataLen()));
        TestApp app;
        app.mProductName = "P";
        app.mDemoFileName = name;
        std::string error;
        bool known = version == 1 || version == 2;
        EXPECT_EQ(app.ReadDemoFile(error), known) << version;
        if (known)
            EXPECT_EQ(app.mDemoLength, 60) << version;
        else
            EXPECT_EQ(error, "Invalid demo file.") << version;
    }
}

TEST(DemoFile, FailedWriteIsReported)
{
    quortest::TempDir dir;
    quortest::WriteFile(dir.File("blocker"), std::string("a file, not a folder"));
    const std::string oldDir = plat::GetCurrentDirectory();
    plat::SetCurrentDirectory(dir.Path()); // where the error log goes
    TestApp app;
    app.mRecordingDemo = true;
    app.mDemoFileName = dir.File("blocker/run.dmo");
    EXPECT_FALSE(app.WriteDemoFile());
    std::vector<uint8_t> log = quortest::ReadFile(dir.File("ScrError.txt"));
    EXPECT_NE(std::string(log.begin(), log.end()).find("Demo file could not be written: " +
                                                       app.mDemoFileName),
              std::string::npos);
    plat::SetCurrentDirectory(oldDir);
    app.mDemoFileName = dir.File("run.dmo");
    EXPECT_TRUE(app.WriteDemoFile());
    app.mRecordingDemo = false;
}
