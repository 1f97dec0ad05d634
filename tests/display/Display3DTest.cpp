// The 3-D path on SDL's software renderer over the display's memory surfaces: the hardware test
// with its cached verdict and card lists, the display set up with 3-D, a frame drawn through
// the renderer beside the same frame drawn in software, and 3-D given up after a failed call.
#include "app/Common.h"
#include "app/QuorAppBase.h"
#include "display/D3DInterface.h"
#include "display/D3DTester.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/SysFont.h"
#include "platform/Render3D.h"
#include "platform/Settings.h"
#include "platform/Video.h"
#include "platform/Window.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace Quor;

namespace {

namespace fs = std::filesystem;

intptr_t Proc(plat::WindowId w, uint32_t m, uint32_t wp, uint32_t lp)
{
    return plat::DefWindowProc(w, m, wp, lp);
}

void* Handle(plat::WindowId id)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(id));
}

// 3-D available, the card lists in a folder of the test's own, a desktop of 1024 x 768 x 32.
class With3D : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("QUOR_NO_3D", "0", 1);
        mOldDir = fs::current_path();
        fs::current_path(mDir.Path());
        WriteFile("vhw.dat", "  Quor SDL renderer  \n");
        mSettings.desktopWidth = 1024;
        mSettings.desktopHeight = 768;
        mSettings.desktopFormat = plat::kFormatXRGB8888;
        mSettings.refreshSet = true;
        mSettings.refreshHz = 60;
        plat::SetVideoTestSettings(&mSettings);
        mApp = std::make_unique<QuorAppBase>();
        static int count = 0;
        mApp->mRegistryKey = "QuorTest\\ThreeD" + std::to_string(++count);
    }
    void TearDown() override
    {
        mApp.reset();
        plat::SetVideoTestSettings(nullptr);
        plat::ClearFaults3D();
        fs::current_path(mOldDir);
        setenv("QUOR_NO_3D", "1", 1);
    }
    void Apply() { plat::SetVideoTestSettings(&mSettings); }
    void WriteFile(const std::string& name, const std::string& text) { std::ofstream(mDir.File(name), std::ios::binary) << text; }

    // Runs a tester over a fresh video device as the display would.
    std::unique_ptr<D3DTester> RunTester()
    {
        auto tester = std::make_unique<D3DTester>(mApp.get());
        tester->SetVidMemoryLimits(mApp->mMinVidMemory3D, mApp->mRecommendedVidMemory3D);
        plat::VideoDevice* dd = nullptr;
        EXPECT_EQ(plat::VideoDevice::Create(&dd), plat::DD_OK);
        tester->TestD3D(nullptr, dd);
        dd->Release();
        return tester;
    }

    quortest::TempDir mDir;
    fs::path mOldDir;
    plat::VideoTestSettings mSettings;
    std::unique_ptr<QuorAppBase> mApp;
};

// ------------------------------------------------------------------------------- hardware test

TEST_F(With3D, TheFiveBlendScenesPassAndTheVerdictIsCached)
{
    auto tester = RunTester();
    EXPECT_EQ(tester->mFailureReason, "");
    EXPECT_EQ(tester->mWarning, "");
    EXPECT_TRUE(tester->mResultsChanged);
    int version = 0;
    EXPECT_TRUE(mApp->RegistryReadInteger("Test3D\\Version", &version));
    EXPECT_EQ(version, 2);

    // The cache stands: no device is made (the armed fault stays unused), and it is not fresh.
    plat::InjectFault3D(plat::Call3D::CreateDevice, 1);
    tester = RunTester();
    EXPECT_EQ(tester->mFailureReason, "");
    EXPECT_FALSE(tester->mResultsChanged);
    EXPECT_TRUE(plat::Fault3D(plat::Call3D::CreateDevice));

    // Other thresholds: the test runs again, fresh.
    mApp->mRecommendedVidMemory3D = 15;
    tester = RunTester();
    EXPECT_TRUE(tester->mResultsChanged);
    EXPECT_EQ(tester->mFailureReason, "");
}

TEST_F(With3D, ACachedFailureOrAValueOfTheWrongTypeMakesTheTestRunAgain)
{
    RunTester();
    mApp->RegistryWriteString("Test3D\\FailureReason", "Alpha blend Not Supported");
    auto tester = RunTester();
    EXPECT_EQ(tester->mFailureReason, ""); // tested again and passed
    EXPECT_FALSE(tester->mResultsChanged);

    // A version stored as text, or a GUID of the wrong size, counts as absent.
    mApp->RegistryWriteString("Test3D\\Version", "2");
    tester = RunTester();
    EXPECT_TRUE(tester->mResultsChanged);
    mApp->RegistryWrite("Test3D\\DisplayGUID", plat::SETTING_BINARY, reinterpret_cast<const uint8_t*>("short"), 5);
    tester = RunTester();
    EXPECT_TRUE(tester->mResultsChanged);
    // A cached warning longer than any real one is cut, not overrun.
    RunTester();
    mApp->RegistryWriteString("Test3D\\Warning", std::string(5000, 'w'));
    tester = RunTester();
    EXPECT_TRUE(tester->mResultsChanged); // too long to read: absent
}

TEST_F(With3D, VideoMemoryCountsTheDesktopAndWarnsOrFails)
{
    mSettings.videoMemoryBytes = 4u << 20; // 4 MB + 3 MB of desktop = 7 MB
    Apply();
    auto tester = RunTester();
    EXPECT_EQ(tester->mFailureReason, "");
    EXPECT_EQ(tester->mWarning, "Low video memory.");

    mSettings.videoMemoryBytes = 1u << 20;
    mSettings.desktopWidth = 800;
    mSettings.desktopHeight = 600;
    Apply();
    tester = RunTester();
    EXPECT_EQ(tester->mFailureReason, "Not enough video memory.");
}

TEST_F(With3D, ATwentyFourBitTargetCannotBeTested)
{
    mSettings.desktopFormat = plat::kFormatRGB888;
    Apply();
    auto tester = RunTester();
    EXPECT_EQ(tester->mFailureReason, "Can't test 24-bit mode.");
}

TEST_F(With3D, AFailedDeviceCallIsTheVerdict)
{
    plat::InjectFault3D(plat::Call3D::QueryDirect3D, 1);
    EXPECT_EQ(RunTester()->mFailureReason, "DXError - QueryInterface IID_IDirect3D7: DDERR_SURFACELOST");
    plat::InjectFault3D(plat::Call3D::CreateTexture, 2);
    EXPECT_EQ(RunTester()->mFailureReason, "DXError - CreateSurface (TextureSurfacd2): DDERR_OUTOFVIDEOMEMORY");
    plat::InjectFault3D(plat::Call3D::DrawPrimitive, 3);
    EXPECT_EQ(RunTester()->mFailureReason, "DXError - DrawPrimitive: DDERR_SURFACELOST");
}

TEST_F(With3D, CardLists)
{
    D3DTester tester(mApp.get());
    const std::string longLine = std::string(4500, 'x') + "Quor SDL\n";
    struct Case {
        const char* vhwb;
        const char* vhw;
        int year;
        const char* description;
        bool accepted;
    } cases[] = {
        {nullptr, "quor sdl RENDERER\n", 0, "Quor SDL renderer: software", true},
        {"\n  software \n", "Quor SDL\n", 0, "Quor SDL renderer: software", false},
        {nullptr, "Other card\n\n", 0, "Quor SDL renderer: software", false},
        {nullptr, longLine.c_str(), 0, "Quor SDL renderer: software", false}, // matched whole
        {nullptr, nullptr, 2001, "ATI Rage 128", true},
        {nullptr, nullptr, 2001, "Rage 128 ATI", false},
        {nullptr, nullptr, 2001, "NVIDIA GeForce", true},
        {nullptr, nullptr, 2002, "Anything", true},
    };
    for (const Case& c : cases) {
        fs::remove(mDir.File("vhwb.dat"));
        fs::remove(mDir.File("vhw.dat"));
        if (c.vhwb != nullptr)
            WriteFile("vhwb.dat", c.vhwb);
        if (c.vhw != nullptr)
            WriteFile("vhw.dat", c.vhw);
        tester.mDriverYear = c.year;
        EXPECT_EQ(tester.IsSupportedCard(c.description), c.accepted) << c.description << " " << (c.vhw ? c.vhw : "-");
    }
}

// ------------------------------------------------------------------------------- the display

class Display3D : public With3D {
protected:
    void SetUp() override
    {
        With3D::SetUp();
        static bool registered = plat::RegisterWindowClass("Display3DTestWindow", Proc, 0);
        (void)registered;
        mApp->mWidth = 160;
        mApp->mHeight = 120;
        mWindow = plat::CreateWindow(0, "Display3DTestWindow", "display", plat::WS_POPUP | plat::WS_VISIBLE, 10, 10,
                                     160, 120);
        ASSERT_NE(mWindow, 0u);
        mDisplay = std::make_unique<DDInterface>(mApp.get());
        mApp->mDdInterface = mDisplay.get();
    }
    void TearDown() override
    {
        mApp->mDdInterface = nullptr;
        mDisplay.reset();
        plat::DestroyWindow(mWindow);
        With3D::TearDown();
    }
    int Init(bool is3D)
    {
        mDisplay->mIs3D = is3D;
        return mDisplay->InitDisplay(Handle(mWindow), true);
    }
    // The draw surface's pixels as 0xRRGGBB words, after the renderer finished its frame.
    std::vector<uint32_t> DrawPixels()
    {
        mDisplay->mD3DInterface->Flush();
        plat::SurfaceDesc d;
        EXPECT_EQ(mDisplay->mDrawSurface->Lock(d), plat::DD_OK);
        std::vector<uint32_t> out(static_cast<size_t>(d.width) * d.height);
        for (uint32_t y = 0; y < d.height; y++)
            std::memcpy(&out[y * d.width], static_cast<uint8_t*>(d.pixels) + y * d.pitch, d.width * 4);
        mDisplay->mDrawSurface->Unlock();
        for (uint32_t& p : out)
            p &= 0xFFFFFF;
        return out;
    }

    // What the window shows, as 0xRRGGBB words read back from the primary.
    std::vector<uint32_t> ShownPixels()
    {
        plat::WinPoint o{};
        plat::ClientToScreen(mWindow, o);
        plat::SurfaceDesc desc;
        desc.flags = plat::kDescCaps | plat::kDescWidth | plat::kDescHeight;
        desc.width = 160;
        desc.height = 120;
        desc.caps = plat::kCapsOffscreen;
        plat::Surface* copy = nullptr;
        std::vector<uint32_t> out(160 * 120);
        EXPECT_EQ(mDisplay->mDD->CreateSurface(desc, &copy), plat::DD_OK);
        if (copy == nullptr)
            return out;
        plat::VRect src{o.x, o.y, o.x + 160, o.y + 120};
        plat::SurfaceDesc d;
        if (copy->Blt(nullptr, mDisplay->mPrimarySurface, &src, 0) == plat::DD_OK && copy->Lock(d) == plat::DD_OK) {
            for (uint32_t y = 0; y < 120; y++)
                std::memcpy(&out[y * 160], static_cast<uint8_t*>(d.pixels) + y * d.pitch, 160 * 4);
            copy->Unlock();
        } else {
            ADD_FAILURE() << "the window's picture could not be read";
        }
        copy->Release();
        for (uint32_t& p : out)
            p &= 0xFFFFFF;
        return out;
    }

    plat::WindowId mWindow = 0;
    std::unique_ptr<DDInterface> mDisplay;
};

TEST_F(Display3D, AFillOfTheRect10_20_5_5CoversExactlyItsPixels)
{
    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    DDImage* screen = mDisplay->GetScreenImage();
    ASSERT_TRUE(screen->Is3D());
    screen->FillRect(Rect(10, 20, 5, 5), Color(255, 0, 0), 0);
    const std::vector<uint32_t> p = DrawPixels();
    for (int y = 15; y < 30; y++) {
        for (int x = 5; x < 20; x++) {
            const bool inside = x >= 10 && x <= 14 && y >= 20 && y <= 24;
            EXPECT_EQ(p[y * 160 + x], inside ? 0xFF0000u : 0u) << x << "," << y;
        }
    }
}

// The same frame through the renderer and through the software surface path.
void DrawFrame(DDImage* screen, QuorAppBase* app, MemoryImage& sprite, MemoryImage& glow)
{
    Graphics g(screen);
    g.SetColor(Color(30, 60, 90));
    g.FillRect(0, 0, 160, 120);
    g.DrawImage(&sprite, 8, 8);
    g.SetColor(Color(255, 255, 255, 128));
    g.SetColorizeImages(true);
    g.DrawImage(&sprite, 40, 8);
    g.SetColorizeImages(false);
    g.SetDrawMode(1);
    g.DrawImage(&glow, 70, 10);
    g.SetDrawMode(0);
    g.SetColor(Color(200, 30, 30, 160));
    g.FillRect(100, 40, 30, 20);
    g.SetColor(Color(250, 250, 0));
    g.DrawLine(5, 100, 150, 100);
    g.DrawLine(150, 60, 150, 110);
    SysFont font(app, "DejaVu Sans", 10, 0);
    g.SetFont(&font);
    g.SetColor(Color(255, 255, 255));
    g.DrawString("Tableware", 10, 80);
}

TEST_F(Display3D, AFrameDrawnInThreeDAgreesWithTheSoftwareFrame)
{
    MemoryImage sprite(mApp.get()), glow(mApp.get());
    std::vector<uint32_t> bits(24 * 20);
    for (int y = 0; y < 20; y++)
        for (int x = 0; x < 24; x++)
            bits[y * 24 + x] = (x < 4 ? 0x00000000u : x < 12 ? 0x80FF8000u : 0xFF00A0FFu) ^ (uint32_t(y * 5) << 8);
    sprite.SetBits(bits.data(), 24, 20);
    std::vector<uint32_t> glowBits(16 * 16, 0xFF404020);
    glow.SetBits(glowBits.data(), 16, 16);

    ASSERT_EQ(Init(false), DDInterface::RESULT_OK);
    DrawFrame(mDisplay->GetScreenImage(), mApp.get(), sprite, glow);
    const std::vector<uint32_t> soft = DrawPixels();

    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    ASSERT_TRUE(mDisplay->GetScreenImage()->Is3D());
    DrawFrame(mDisplay->GetScreenImage(), mApp.get(), sprite, glow);
    const std::vector<uint32_t> hard = DrawPixels();

    int worst = 0, off = 0;
    for (size_t i = 0; i < soft.size(); i++) {
        int d = 0;
        for (int shift : {0, 8, 16})
            d = std::max(d, std::abs(int((soft[i] >> shift) & 0xFF) - int((hard[i] >> shift) & 0xFF)));
        worst = std::max(worst, d);
        off += d > 3 ? 1 : 0;
    }
    EXPECT_LE(worst, 6) << "pixels off by more than 3: " << off;
    // The frame is really drawn: the sprite's opaque part and the line are there.
    EXPECT_EQ(hard[10 * 160 + 8 + 20] & 0xFF, soft[10 * 160 + 8 + 20] & 0xFF);
    EXPECT_EQ(hard[100 * 160 + 50], 0xFAFA00u);
}

// The screenshot and the image dump see what the renderer drew and the textures it made.
TEST_F(Display3D, ScreenshotAndImageDumpReadWhatTheRendererMade)
{
    const std::string oldFolder = GetAppDataFolder();
    SetAppDataFolder(mDir.Path().string() + "/");
    MemoryImage sprite(mApp.get()), glow(mApp.get());
    sprite.SetBits(quortest::SpritePixels16().data(), 16, 16);
    std::vector<uint32_t> glowBits(16 * 16, 0xFF404020);
    glow.SetBits(glowBits.data(), 16, 16);

    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    ASSERT_TRUE(mDisplay->GetScreenImage()->Is3D());
    DrawFrame(mDisplay->GetScreenImage(), mApp.get(), sprite, glow);
    mApp->TakeScreenshot();
    EXPECT_TRUE(mDisplay->GetScreenImage()->Is3D()); // the screen image is back, still in 3-D
    std::vector<uint32_t> shot;
    int w = 0, h = 0;
    ASSERT_TRUE(quortest::ReadPng(mDir.File("_screenshots/image1.png"), shot, w, h));
    ASSERT_EQ(w, 160);
    ASSERT_EQ(h, 120);
    const std::vector<uint32_t> drawn = DrawPixels();
    int differ = 0;
    for (size_t i = 0; i < drawn.size(); i++)
        differ += shot[i] != (0xFF000000u | drawn[i]) ? 1 : 0;
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(shot[100 * 160 + 50], 0xFFFAFA00u); // the line, drawn by the renderer

    // Both images now have textures: the sprite's translucent pixels take A8R8G8B8, the opaque
    // glow R5G6B5; a 16 x 16 image lies in one 16 x 16 texture.
    mApp->DumpImages();
    std::ifstream in(mDir.File("_dump/imagelist.html"));
    const std::string page((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(page.find("<TD>Texture<BR>A8R8G8B8<BR>1,024</TD>"), std::string::npos) << page;
    EXPECT_NE(page.find("<TD>Texture<BR>R5G6B5<BR>512</TD>"), std::string::npos) << page;
    SetAppDataFolder(oldFolder);
}

// The cursor thread leaves the cursor over a 3-D frame to the next frame: every kind of device
// call is set to fail at its next use, none is used up, and the frame it asked for draws the
// cursor where the thread saw the mouse last.
TEST_F(Display3D, TheCursorThreadNeverCallsTheRenderer)
{
    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    mApp->mDrawSoftwareCursor = true;
    MemoryImage cursor(mApp.get());
    std::vector<uint32_t> bits(8 * 8, 0xFFFF00FF);
    cursor.SetBits(bits.data(), 8, 8);
    mDisplay->SetCursorImage(&cursor);
    mDisplay->GetScreenImage()->FillRect(Rect(0, 0, 160, 120), Color(0, 0, 200), 0);
    ASSERT_TRUE(mDisplay->RedrawScreen(nullptr));
    mDisplay->GetScreenImage()->FillRect(Rect(10, 10, 50, 50), Color(0, 200, 0), 0); // the next frame begun
    for (int k = 0; k < static_cast<int>(plat::Call3D::kCount); k++)
        plat::InjectFault3D(static_cast<plat::Call3D>(k), 1);
    std::thread([&] {
        for (int i = 0; i < 40; i++)
            mDisplay->SetCursorPos(20 + i * 3, 30 + i);
    }).join();
    const plat::GpuTransfers moved = plat::GetGpuTransfers();
    for (int k = 0; k < static_cast<int>(plat::Call3D::kCount); k++)
        EXPECT_TRUE(plat::Fault3D(static_cast<plat::Call3D>(k))) << "call kind " << k << " was made";
    EXPECT_TRUE(mApp->mCustomDrawRequested);
    ASSERT_TRUE(mDisplay->RedrawScreen(nullptr));
    EXPECT_TRUE(mDisplay->mHasOldCursorArea); // drawn on the primary, where the thread saw it last
    EXPECT_EQ(mDisplay->mCursorDrawnX, 20 + 39 * 3);
    EXPECT_EQ(plat::GetGpuTransfers().wholeReads, moved.wholeReads);
    mDisplay->SetCursorImage(nullptr);
}

// The frame stays on the renderer: a colour-keyed blit into it and the cursor cross to memory
// as copies of their own areas, never the whole target, and the window shows all three.
TEST_F(Display3D, KeyedBlitsAndTheCursorGoThroughCopiesOfTheirAreas)
{
    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    mApp->mDrawSoftwareCursor = true;
    MemoryImage cursor(mApp.get());
    std::vector<uint32_t> cursorBits(4 * 4, 0xFFFF00FF);
    cursor.SetBits(cursorBits.data(), 4, 4);
    mDisplay->SetCursorImage(&cursor);
    mDisplay->mCursorX = 50;
    mDisplay->mCursorY = 40;
    DDImage keyed(mDisplay.get());
    std::vector<uint32_t> keyedBits(10 * 10);
    for (int i = 0; i < 100; i++)
        keyedBits[i] = i % 10 < 5 ? 0x00000000u : 0xFF00FF00u; // left half transparent
    keyed.SetBits(keyedBits.data(), 10, 10);
    ASSERT_NE(keyed.GetSurface(), nullptr);

    DDImage* screen = mDisplay->GetScreenImage();
    screen->FillRect(Rect(0, 0, 160, 120), Color(0, 0, 200), 0);
    ASSERT_TRUE(mDisplay->RedrawScreen(nullptr)); // the first frame gives the window its target
    const plat::GpuTransfers before = plat::GetGpuTransfers();
    screen->Blt(&keyed, 100, 60, Rect(0, 0, 10, 10), Color::White, 0);
    ASSERT_TRUE(mDisplay->RedrawScreen(nullptr));
    const plat::GpuTransfers after = plat::GetGpuTransfers();
    EXPECT_EQ(after.wholeReads, before.wholeReads);
    EXPECT_EQ(after.pixelsRead - before.pixelsRead, 10u * 10 + 64 * 64);
    EXPECT_LE(after.pixelsUploaded - before.pixelsUploaded, 10u * 10 + 2 * 64 * 64);

    // What the window shows, read back from the primary's target.
    const std::vector<uint32_t> shown = ShownPixels();
    EXPECT_EQ(shown[65 * 160 + 102], 0x0000C8u); // through the key
    EXPECT_EQ(shown[65 * 160 + 107], 0x00FF00u);
    EXPECT_EQ(shown[40 * 160 + 50], 0xFF00FFu);
    // The whole target read back on purpose: the frame without the cursor.
    const std::vector<uint32_t> drawn = DrawPixels();
    EXPECT_EQ(drawn[40 * 160 + 50], 0x0000C8u);
    EXPECT_EQ(drawn[65 * 160 + 107], 0x00FF00u);
    EXPECT_EQ(plat::GetGpuTransfers().wholeReads, after.wholeReads + 2);
    mDisplay->SetCursorImage(nullptr);
}

TEST_F(Display3D, AFailedCallDropsThreeDAtTheNextRedraw)
{
    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    DDImage* screen = mDisplay->GetScreenImage();
    plat::InjectFault3D(plat::Call3D::DrawPrimitive, 1);
    screen->FillRect(Rect(0, 0, 5, 5), Color::White, 0);
    screen->FillRect(Rect(5, 5, 5, 5), Color::White, 0); // the frame goes on
    std::string stored;
    EXPECT_TRUE(mApp->RegistryReadString("Test3D\\RuntimeError", &stored));
    EXPECT_EQ(stored, "DrawPrimitive (Rect): DDERR_SURFACELOST");
    EXPECT_FALSE(mDisplay->RedrawScreen(nullptr));
    EXPECT_FALSE(mDisplay->mIs3D);
    // From now on the screen draws in software.
    EXPECT_FALSE(screen->Is3D());
    screen->FillRect(Rect(20, 20, 2, 2), Color(0, 255, 0), 0);
    EXPECT_EQ(DrawPixels()[20 * 160 + 20], 0x00FE00u); // the software fill's rounding
}

TEST_F(Display3D, TheEnvironmentSwitchLeavesOnlyTheSoftwarePath)
{
    setenv("QUOR_NO_3D", "1", 1);
    EXPECT_EQ(Init(true), DDInterface::RESULT_3D_FAIL);
    EXPECT_EQ(mDisplay->mErrorString, "3D init error: QueryInterface IID_IDirect3D7: DDERR_NO3D");
    EXPECT_EQ(Init(false), DDInterface::RESULT_OK);
}

TEST_F(Display3D, TheThreeDDecisionFollowsTheTestersVerdict)
{
    mApp->mAutoEnable3D = true;
    ASSERT_EQ(Init(false), DDInterface::RESULT_OK);
    ASSERT_NE(mDisplay->mD3DTester, nullptr);
    EXPECT_TRUE(mDisplay->mIs3D);
    EXPECT_TRUE(mApp->Is3DAccelerationRecommended());

    // A fresh warning keeps 3-D off (another display, no card list).
    mDisplay.reset();
    fs::remove(mDir.File("vhw.dat"));
    mApp->mRegistryKey += "b";
    mDisplay = std::make_unique<DDInterface>(mApp.get());
    mApp->mDdInterface = mDisplay.get();
    ASSERT_EQ(Init(false), DDInterface::RESULT_OK);
    EXPECT_FALSE(mDisplay->mIs3D);
    EXPECT_EQ(mDisplay->mD3DTester->mWarning, "Unsupported video card: Quor SDL renderer: software");
    EXPECT_TRUE(mApp->Is3DAccelerationSupported());
    EXPECT_FALSE(mApp->Is3DAccelerationRecommended());
}

TEST_F(Display3D, TheCursorIsDrawnOverTheThreeDFrameAndTakenOffAgain)
{
    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    mApp->mDrawSoftwareCursor = true;
    MemoryImage cursor(mApp.get());
    std::vector<uint32_t> bits(4 * 4, 0xFFFF00FF);
    cursor.SetBits(bits.data(), 4, 4);
    mDisplay->SetCursorImage(&cursor);
    mDisplay->mCursorX = 50;
    mDisplay->mCursorY = 40;
    mDisplay->GetScreenImage()->FillRect(Rect(0, 0, 160, 120), Color(0, 0, 200), 0);
    ASSERT_TRUE(mDisplay->RedrawScreen(nullptr));
    // The window's picture shows the cursor; the draw surface holds none after the frame.
    EXPECT_EQ(ShownPixels()[40 * 160 + 50], 0xFF00FFu);
    EXPECT_EQ(DrawPixels()[40 * 160 + 50], 0x0000C8u);
    mDisplay->SetCursorImage(nullptr);
}

} // namespace
