// The debug keys, the numbered screenshot and the image dump.
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

#include "app/Common.h"
#include "graphics/MemoryImage.h"
#include "platform/Files.h"
#include "platform/Sys.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <string>

using quortest::TestApp;

namespace {

constexpr int kF3 = 0x72;
constexpr int kF10 = 0x79;
constexpr int kF11 = 0x7A;

std::string ReadText(const std::string& path)
{
    std::vector<uint8_t> bytes = quortest::ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

std::string gOutput;
void Capture(const char* text)
{
    gOutput += text;
}

} // namespace

TEST(DebugKeys, UpdateRateStepAndOverlayKeys)
{
    struct Case {
        int key;
        int modifier; // 0, 16 Shift, 17 Ctrl
        double multiplierBefore;
        double multiplierAfter;
        int stepMode;
        bool consumed;
    } cases[] = {
        {kF10, 17, 0.3, 0.25, 0, true}, {kF10, 17, 0.25, 1.0, 0, true},
        {kF10, 0, 1.0, 1.0, 1, true},   {kF10, 16, 1.0, 1.0, 0, true},
        {kF11, 0, 1.0, 1.0, 0, true},   // no display: the screenshot does nothing
        {'Q', 0, 1.0, 1.0, 0, false},
    };
    for (const Case& c : cases) {
        TestApp app;
        app.mUpdateMultiplier = c.multiplierBefore;
        app.mStepMode = c.key == kF10 && c.modifier == 16 ? 2 : 0;
        if (c.modifier)
            app.mWidgetManager->mKeyDown[c.modifier] = true;
        EXPECT_EQ(app.DebugKeyDown(c.key), c.consumed) << c.key << " " << c.modifier;
        EXPECT_DOUBLE_EQ(app.mUpdateMultiplier, c.multiplierAfter) << c.key << " " << c.modifier;
        EXPECT_EQ(app.mStepMode, c.stepMode) << c.key << " " << c.modifier;
    }

    TestApp app;
    EXPECT_FALSE(app.DebugKeyDown(kF3));
    EXPECT_TRUE(app.mShowFPS);
    EXPECT_FALSE(app.DebugKeyDown(kF3));
    EXPECT_FALSE(app.mShowFPS);
    app.mWidgetManager->mKeyDown[16] = true;
    app.DebugKeyDown(kF3);
    EXPECT_EQ(app.mShowFPSMode, 1);
    app.DebugKeyDown(kF3);
    EXPECT_EQ(app.mShowFPSMode, 0); // two Shift+F3 from mode 0 come back to it
    EXPECT_TRUE(app.mShowFPS);
}

TEST(DebugKeys, FailedRetuningClearsTheKeyTableAndPassesAltROn)
{
    TestApp app;
    app.mWidgetManager->mKeyDown[18] = true;
    app.mWidgetManager->mKeyDown['X'] = true;
    plat::SetDebugOutputSink(&Capture);
    gOutput.clear();
    EXPECT_FALSE(app.DebugKeyDown('R')); // nothing is marked: the reparse warns and fails
    plat::SetDebugOutputSink(nullptr);
    EXPECT_NE(gOutput.find("MODVAL WARNING!"), std::string::npos) << gOutput;
    for (int key = 0; key < 255; ++key)
        EXPECT_FALSE(app.mWidgetManager->mKeyDown[key]) << key;
}

TEST(Screenshot, NextNumberAfterTheHighestPresent)
{
    TestApp app;
    PrepareWindowed(app, "ShotTest", 64, 48);
    app.Init();
    ASSERT_TRUE(app.mInitialized);
    const std::string folder = Quor::GetAppDataFolder() + "_screenshots/";
    Quor::DeleteTree(folder);
    app.TakeScreenshot();
    EXPECT_TRUE(plat::FileExists(folder + "image1.png"));
    for (const char* name : {"image7.png", "notes.png"})
        quortest::WriteFile(folder + name, std::string("x"));
    app.TakeScreenshot();
    std::vector<uint8_t> png = quortest::ReadFile(folder + "image8.png");
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ(png[1], 'P');
    EXPECT_EQ(png[19], 64); // width in the header
    EXPECT_EQ(png[23], 48); // height
    Quor::DeleteTree(folder);
}

TEST(ImageDump, PageListsImagesByMemoryUseAndWritesTheirFiles)
{
    quortest::TempDir dir;
    const std::string oldFolder = Quor::GetAppDataFolder();
    Quor::SetAppDataFolder(dir.Path().string() + "/");
    const std::string dump = dir.File("_dump");
    {
        TestApp app;
        app.DumpImages();
        std::string page = ReadText(dump + "/imagelist.html");
        EXPECT_EQ(page.rfind("<HTML><BODY BGCOLOR=EEEEFF><CENTER><FONT SIZE=+2><B>", 0), 0u);
        EXPECT_NE(page.find("Total Image Allocation: 0 bytes<BR>\n"), std::string::npos);
        EXPECT_EQ(page.find("<TR>\n"), std::string::npos); // only the totals
        EXPECT_NE(page.find("<TD>Totals</TD>"), std::string::npos);
        EXPECT_FALSE(plat::FileExists(dump + "/img0000.png"));

        Quor::MemoryImage big(&app);
        big.Create(100, 50);
        Quor::MemoryImage small(&app);
        small.Create(10, 10);
        Quor::MemoryImage empty(&app); // no pixels at all: not listed
        big.GetBits(); // the 32-bit pixels are made on first use
        small.GetBits();
        app.DumpImages();
        page = ReadText(dump + "/imagelist.html");
        EXPECT_NE(page.find("Total Image Allocation: 20,400 bytes<BR>"), std::string::npos);
        size_t first = page.find("10 x 10<BR>400 bytes");
        size_t second = page.find("100 x 50<BR>20,000 bytes</TD><TD>mBits<BR>20,000</TD>");
        EXPECT_NE(first, std::string::npos) << page;
        EXPECT_NE(second, std::string::npos) << page;
        EXPECT_LT(first, second); // smaller totals first
        EXPECT_NE(page.find("<A HREF=img0001.png><IMG SRC=thumb0001.jpg WIDTH=64 HEIGHT=64>"),
                  std::string::npos);
        for (const char* name : {"img0000.png", "thumb0000.jpg", "img0001.png", "thumb0001.jpg"})
            EXPECT_TRUE(plat::FileExists(dump + "/" + name)) << name;
        EXPECT_FALSE(plat::FileExists(dump + "/img0002.png"));
    }
    Quor::SetAppDataFolder(oldFolder);
}

TEST(ImageDump, AFolderThatCannotBeMadeEndsTheDump)
{
    quortest::TempDir dir;
    const std::string oldFolder = Quor::GetAppDataFolder();
    quortest::WriteFile(dir.File("file"), std::string("not a folder"));
    Quor::SetAppDataFolder(dir.File("file") + "/");
    {
        TestApp app;
        app.DumpImages(); // returns after its tries instead of waiting for ever
    }
    EXPECT_FALSE(plat::FileExists(dir.File("file") + "/_dump"));
    Quor::SetAppDataFolder(oldFolder);
}

TEST(DebugOverlays, FrameRateAndPlaybackTimeImagesSitBottomRight)
{
    TestApp app;
    PrepareWindowed(app, "OverlayTest", 200, 150);
    app.Init();
    ASSERT_TRUE(app.mInitialized);
    Quor::Image* screen = app.mWidgetManager->mImage;
    ASSERT_NE(screen, nullptr);
    app.DebugKeyDown(kF3);
    ASSERT_TRUE(app.mShowFPS);
    app.mPlayingDemo = true; // the playback-time image goes above the first one
    app.mDemoLength = 360000;
    app.mCustomDrawRequested = true;
    app.mNextDrawTick = app.mFakeClock.mNow.load(); // no present is held back
    app.mFakeClock.mNow += 2000;
    EXPECT_TRUE(app.QuorAppBase::Redraw());
    app.mPlayingDemo = false;
    auto* display = dynamic_cast<Quor::MemoryImage*>(screen);
    ASSERT_NE(display, nullptr);
    const uint32_t* bits = display->GetBits();
    ASSERT_NE(bits, nullptr);
    auto pixel = [&](int x, int y) { return bits[y * 200 + x] & 0xFFFFFF; };
    // The overlays are opaque black boxes 50 pixels wide ending 10 pixels from the corner, with
    // light text in them.
    EXPECT_EQ(pixel(200 - 11, 150 - 11), 0u);
    EXPECT_EQ(pixel(200 - 59, 150 - 12), 0u);
    bool white = false;
    for (int y = 0; y < 150 - 10; ++y)
        for (int x = 200 - 60; x < 200 - 10; ++x)
            white = white || (pixel(x, y) & 0x808080) == 0x808080;
    EXPECT_TRUE(white);
}
