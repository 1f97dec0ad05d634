// The display device on memory surfaces: set-up and its result codes, the pixel format and its
// tables, the display image's surface, presenting, and the software cursor.
#include "app/QuorAppBase.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "platform/Video.h"
#include "platform/Window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

using namespace Quor;

namespace {

intptr_t Proc(plat::WindowId w, uint32_t m, uint32_t wp, uint32_t lp)
{
    return plat::DefWindowProc(w, m, wp, lp);
}

void* Handle(plat::WindowId id)
{
    return reinterpret_cast<void*>(static_cast<uintptr_t>(id));
}

class Display : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = plat::RegisterWindowClass("DisplayTestWindow", Proc, 0);
        (void)registered;
        mApp = std::make_unique<QuorAppBase>();
        mApp->mWidth = 64;
        mApp->mHeight = 48;
        mWindow = plat::CreateWindow(0, "DisplayTestWindow", "display", plat::WS_POPUP | plat::WS_VISIBLE, 100, 50,
                                     64, 48);
        ASSERT_NE(mWindow, 0u);
        mSettings.refreshSet = true;
        mSettings.refreshHz = 60;
        plat::SetVideoTestSettings(&mSettings);
        mDisplay = std::make_unique<DDInterface>(mApp.get());
    }
    void TearDown() override
    {
        mDisplay.reset();
        plat::SetVideoTestSettings(nullptr);
        plat::DestroyWindow(mWindow);
        mApp.reset();
    }
    void Apply() { plat::SetVideoTestSettings(&mSettings); }
    int Init(bool windowed) { return mDisplay->InitDisplay(Handle(mWindow), windowed); }

    // The window's pixels on the primary (or the whole full-screen primary).
    std::vector<uint8_t> Primary()
    {
        plat::SurfaceDesc d;
        mDisplay->mPrimarySurface->GetDesc(d);
        plat::WinPoint o{};
        plat::ClientToScreen(mWindow, o);
        plat::SurfaceDesc desc;
        desc.flags = plat::kDescCaps | plat::kDescWidth | plat::kDescHeight;
        desc.width = 64;
        desc.height = 48;
        desc.caps = plat::kCapsOffscreen;
        plat::Surface* copy = nullptr;
        EXPECT_EQ(mDisplay->mDD->CreateSurface(desc, &copy), plat::DD_OK);
        plat::VRect src{o.x, o.y, o.x + 64, o.y + 48};
        EXPECT_EQ(copy->Blt(nullptr, mDisplay->mPrimarySurface, &src, 0), plat::DD_OK);
        std::vector<uint8_t> out = Bytes(copy);
        copy->Release();
        return out;
    }

    static std::vector<uint8_t> Bytes(plat::Surface* s)
    {
        plat::SurfaceDesc d;
        EXPECT_EQ(s->Lock(d), plat::DD_OK);
        std::vector<uint8_t> out(static_cast<uint8_t*>(d.pixels), static_cast<uint8_t*>(d.pixels) + d.pitch * d.height);
        s->Unlock();
        return out;
    }

    // Fills the draw surface with a pattern that differs in every pixel.
    void PatternDrawSurface()
    {
        plat::SurfaceDesc d;
        ASSERT_EQ(mDisplay->mDrawSurface->Lock(d), plat::DD_OK);
        for (uint32_t y = 0; y < d.height; y++) {
            auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(d.pixels) + y * d.pitch);
            for (uint32_t x = 0; x < d.width; x++)
                row[x] = (x * 3) << 16 | (y * 5) << 8 | ((x + y) & 0xFF);
        }
        mDisplay->mDrawSurface->Unlock();
    }

    std::unique_ptr<QuorAppBase> mApp;
    std::unique_ptr<DDInterface> mDisplay;
    plat::WindowId mWindow = 0;
    plat::VideoTestSettings mSettings;
};

// A cursor image that runs a hook (once) when its pixels are next taken, as the display does
// while it draws the cursor.
class HookCursor : public MemoryImage {
public:
    HookCursor() : MemoryImage(nullptr) {}
    std::function<void()> mHook;
    uint32_t* GetBits() override
    {
        if (mHook) {
            std::function<void()> hook;
            hook.swap(mHook);
            hook();
        }
        return MemoryImage::GetBits();
    }
};

// A cursor image: opaque red with a transparent corner and a half-transparent row.
std::unique_ptr<HookCursor> MakeCursor(int w, int h)
{
    auto image = std::make_unique<HookCursor>();
    std::vector<uint32_t> bits(static_cast<size_t>(w * h), 0xFFFF0000);
    bits[0] = 0;
    for (int x = 0; x < w; x++)
        bits[static_cast<size_t>(w + x)] = 0x8000FF00;
    image->SetBits(bits.data(), w, h);
    return image;
}

} // namespace

TEST(Ratio, ReducesAndComparesWithoutDividingByZero)
{
    Ratio r;
    r.Set(1024, 768);
    EXPECT_EQ(r.mNumerator, 4);
    EXPECT_EQ(r.mDenominator, 3);
    struct Case {
        int ln, ld, rn, rd;
        bool less;
    } cases[] = {
        {4, 3, 16, 9, true}, {16, 9, 4, 3, false}, {4, 3, 5, 4, false}, {5, 4, 4, 3, true},
        {4, 3, 4, 3, false}, {1, 0, 4, 3, false}, {4, 3, 1, 0, true},  {0, 0, 4, 3, false},
        {4, 3, 0, 0, false},
    };
    for (const Case& c : cases) {
        Ratio a{c.ln, c.ld};
        Ratio b{c.rn, c.rd};
        EXPECT_EQ(a < b, c.less) << c.ln << "/" << c.ld << " < " << c.rn << "/" << c.rd;
    }
    r.Set(0, 0);
    r.Set(7, 0);
    EXPECT_EQ(r.mNumerator, 1);
    EXPECT_EQ(r.mDenominator, 0);
}

TEST(DDInterfaceNames, ResultCodesByName)
{
    const char* names[] = {"RESULT_OK",          "RESULT_FAIL",           "RESULT_DD_CREATE_FAIL",
                           "RESULT_SURFACE_FAIL", "RESULT_EXCLUSIVE_FAIL", "RESULT_DISPCHANGE_FAIL",
                           "RESULT_INVALID_COLORDEPTH", "RESULT_UNKNOWN"};
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(DDInterface::ResultToString(i), names[i]);
    EXPECT_EQ(DDInterface::ResultToString(-1), "RESULT_UNKNOWN");
    EXPECT_EQ(DDInterface::ResultToString(99), "RESULT_UNKNOWN");
}

TEST_F(Display, WindowedSetUpDerivesFormatAndScreenImage)
{
    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    EXPECT_TRUE(mDisplay->mInitialized);
    EXPECT_EQ(mDisplay->mInitCount, 1);
    EXPECT_EQ(mDisplay->mRGBBits, 32u);
    EXPECT_EQ(mDisplay->mRedShift, 16u);
    EXPECT_EQ(mDisplay->mGreenShift, 8u);
    EXPECT_EQ(mDisplay->mBlueShift, 0u);
    EXPECT_EQ(mDisplay->mRedBits, 8u);
    EXPECT_TRUE(gDisplayRGBOrder);
    ASSERT_NE(mDisplay->GetScreenImage(), nullptr);
    EXPECT_EQ(mDisplay->GetScreenImage()->mWidth, 64);
    EXPECT_EQ(mDisplay->GetScreenImage()->mSurface, mDisplay->mDrawSurface);
    EXPECT_EQ(mDisplay->mPresentationRect, Rect(0, 0, 64, 48));
    EXPECT_EQ(mApp->mScreenBounds, Rect(0, 0, 64, 48));
    EXPECT_EQ(mDisplay->mDDImageSet.size(), 3u); // the screen image and the two cursor areas

    // Initialising again starts from nothing and counts.
    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    EXPECT_EQ(mDisplay->mInitCount, 2);
    EXPECT_EQ(mDisplay->mDDImageSet.size(), 3u);
}

TEST_F(Display, FullScreen565FormatAndTables)
{
    mApp->mFullScreenBits = 16;
    ASSERT_EQ(Init(false), DDInterface::RESULT_OK);
    EXPECT_EQ(mDisplay->mRGBBits, 16u);
    EXPECT_EQ(mDisplay->mRedShift, 11u);
    EXPECT_EQ(mDisplay->mGreenShift, 5u);
    EXPECT_EQ(mDisplay->mBlueShift, 0u);
    EXPECT_EQ(mDisplay->mRedBits, 5u);
    EXPECT_EQ(mDisplay->mGreenBits, 6u);
    EXPECT_EQ(mDisplay->mBlueBits, 5u);
    EXPECT_EQ(mDisplay->mRedAddTable[62], 31);
    EXPECT_EQ(mDisplay->mRedAddTable[30], 30);
    EXPECT_EQ(mDisplay->mGreenAddTable[126], 63);
    EXPECT_EQ(mDisplay->mRedConvTable[255], 0xF800u);
    EXPECT_EQ(mDisplay->mRedConvTable[128] >> 11, 15u);
    EXPECT_NE(mDisplay->mSecondarySurface, nullptr);
    EXPECT_TRUE(plat::IsWindowFullScreen(mWindow));
}

TEST_F(Display, FailuresGiveTheirCodesAndTexts)
{
    struct Case {
        const char* what;
        bool windowed;
        int bits;
        plat::VideoTestSettings settings;
        int code;
        const char* text;
    } cases[] = {
        {"24-bit desktop", true, 16, {0, 0, plat::kFormatRGB888, {}, true, 60}, 6, ""},
        {"24-bit mode", false, 24, {0, 0, {}, {}, true, 60}, 3, "CreateSurface FullScreen Primary: DDERR_INVALIDPIXELFORMAT"},
        {"no exclusive", false, 16, {0, 0, {}, {}, true, 60, true}, 4, "SetCooperativeLevel FullScreen: DDERR_EXCLUSIVEMODEALREADYSET"},
        {"no mode", false, 16, {0, 0, {}, {}, true, 60, false, true}, 5, "SetDisplayMode FullScreen: DDERR_UNSUPPORTEDMODE"},
        {"no device", true, 16, {0, 0, {}, {}, true, 60, false, false, true}, 2, "DirectDrawCreate: DDERR_NODIRECTDRAWHW"},
    };
    for (const Case& c : cases) {
        mDisplay = std::make_unique<DDInterface>(mApp.get());
        mSettings = c.settings;
        Apply();
        mApp->mFullScreenBits = c.bits;
        EXPECT_EQ(Init(c.windowed), c.code) << c.what;
        EXPECT_EQ(mDisplay->mErrorString, c.text) << c.what;
        EXPECT_FALSE(mDisplay->mInitialized);
    }
}

TEST_F(Display, RefreshRateLimits)
{
    struct Case {
        uint32_t hz;
        uint32_t rate, ms;
        bool unusable;
    } cases[] = {{0, 60, 16, true}, {59, 60, 16, true}, {120, 100, 10, true}, {75, 75, 13, false}};
    for (const Case& c : cases) {
        mApp->mNoVSyncRefresh = false;
        mSettings.refreshHz = c.hz;
        Apply();
        ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
        EXPECT_EQ(mDisplay->mRefreshRate, c.rate) << c.hz;
        EXPECT_EQ(mDisplay->mMillisecondsPerFrame, c.ms) << c.hz;
        EXPECT_EQ(mApp->mNoVSyncRefresh, c.unusable) << c.hz;
    }
}

TEST_F(Display, SurfaceImageConvertsKeysAndReadsBack)
{
    mApp->mFullScreenBits = 16;
    ASSERT_EQ(Init(false), DDInterface::RESULT_OK);

    // White on R5G6B5 reads back with the low bits of each channel clear.
    DDImage white(mDisplay.get());
    std::vector<uint32_t> px(4, 0xFFFFFFFF);
    white.SetBits(px.data(), 2, 2);
    ASSERT_TRUE(white.CreateSurface());
    white.DeleteMemoryData();
    ASSERT_NE(white.GetBits(), nullptr);
    EXPECT_EQ(white.mBits[0], 0xFFF8FCF8u);
    EXPECT_EQ(white.mBits[4], MEMORYIMAGE_SENTINEL);

    // A transparent pixel converting like an opaque one gets a key no opaque pixel uses.
    DDImage keyed(mDisplay.get());
    uint32_t kpx[3] = {0x00000000, 0xFF000000, 0xFFFFFFFF};
    keyed.SetBits(kpx, 3, 1);
    ASSERT_TRUE(keyed.CreateSurface());
    uint32_t lo = 0, hi = 0;
    ASSERT_EQ(keyed.mSurface->GetColorKey(lo, hi), plat::DD_OK);
    EXPECT_EQ(lo, hi);
    EXPECT_NE(lo, 0u);
    EXPECT_NE(lo, 0xFFFFu);
    ASSERT_TRUE(keyed.LockSurface());
    auto* row = static_cast<uint16_t*>(keyed.mLockedSurfaceDesc.pixels);
    EXPECT_EQ(row[0], lo);
    EXPECT_EQ(row[1], 0u);
    EXPECT_EQ(row[2], 0xFFFFu);
    // Nested locks lock once and unlock with the last.
    ASSERT_TRUE(keyed.LockSurface());
    EXPECT_EQ(keyed.mLockCount, 2);
    keyed.UnlockSurface();
    plat::SurfaceDesc probe;
    EXPECT_EQ(keyed.mSurface->Lock(probe), plat::DDERR_SURFACEBUSY);
    keyed.UnlockSurface();
    EXPECT_EQ(keyed.mSurface->Lock(probe), plat::DD_OK);
    keyed.mSurface->Unlock();

    // Translucent pixels never get a surface.
    DDImage translucent(mDisplay.get());
    uint32_t tpx[1] = {0x80FFFFFF};
    translucent.SetBits(tpx, 1, 1);
    EXPECT_FALSE(translucent.CreateSurface());
    EXPECT_EQ(translucent.GetSurface(), nullptr);

    // Asking for the memory it already has changes nothing.
    plat::Surface* before = white.GetSurface();
    white.SetVideoMemory(false);
    EXPECT_EQ(white.mSurface, before);
    white.SetVideoMemory(true);
    EXPECT_EQ(white.mSurface, nullptr);
    EXPECT_NE(white.mBits, nullptr);
}

TEST_F(Display, RedrawPresentsTheDrawSurfaceAndReportsALostDisplay)
{
    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    PatternDrawSurface();
    EXPECT_TRUE(mDisplay->RedrawScreen(nullptr));
    EXPECT_EQ(Primary(), Bytes(mDisplay->mDrawSurface));

    Rect dirty(4, 4, 8, 8);
    EXPECT_TRUE(mDisplay->RedrawScreen(&dirty));

    mDisplay->mDD->LoseSurfaces();
    EXPECT_FALSE(mDisplay->RedrawScreen(nullptr));
    EXPECT_EQ(mDisplay->mErrorString, "Redraw Windowed: DDERR_SURFACELOST");

    DDInterface idle(mApp.get());
    EXPECT_FALSE(idle.RedrawScreen(nullptr));
}

TEST_F(Display, UnreadableScanLineFallsBackToTheVerticalBlank)
{
    mApp->mWaitForVSync = true;
    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    for (int frame = 1; frame <= 5; frame++) {
        EXPECT_TRUE(mDisplay->RedrawScreen(nullptr));
        EXPECT_EQ(mDisplay->mScanLineFailCount, std::min(frame, 3));
    }
}

TEST_F(Display, CursorSaveRestoreAndMoveAreByteExact)
{
    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    PatternDrawSurface();
    ASSERT_TRUE(mDisplay->RedrawScreen(nullptr));
    const std::vector<uint8_t> bare = Primary();
    const std::vector<uint8_t> drawBuffer = Bytes(mDisplay->mDrawSurface);

    // Without an image the position is only recorded.
    mDisplay->SetCursorPos(10, 10);
    EXPECT_FALSE(mDisplay->mHasOldCursorArea);
    EXPECT_EQ(Primary(), bare);

    auto cursor = MakeCursor(9, 7);
    EXPECT_TRUE(mDisplay->SetCursorImage(cursor.get()));
    EXPECT_FALSE(mDisplay->SetCursorImage(cursor.get()));
    mDisplay->SetCursorPos(10, 10);
    EXPECT_TRUE(mDisplay->mHasOldCursorArea);
    const std::vector<uint8_t> at10 = Primary();
    EXPECT_NE(at10, bare);

    // Across the right and bottom edges, wholly off the picture (nothing can be saved there,
    // so nothing is drawn) and back: every pixel returns.
    const int path[][2] = {{14, 12}, {40, 20}, {58, 30}, {63, 40}, {70, 47}, {90, 60}, {300, 300}, {61, 44}, {30, 5}, {12, 11}, {10, 10}};
    for (const auto& p : path)
        mDisplay->SetCursorPos(p[0], p[1]);
    EXPECT_EQ(Primary(), at10);

    // A frame draws the cursor into the draw buffer, presents it and takes it out again.
    mDisplay->mCursorX = 62;
    mDisplay->mCursorY = 46;
    ASSERT_TRUE(mDisplay->RedrawScreen(nullptr));
    EXPECT_EQ(Bytes(mDisplay->mDrawSurface), drawBuffer);
    EXPECT_TRUE(mDisplay->mHasOldCursorArea);
    mDisplay->SetCursorPos(10, 10);
    EXPECT_EQ(Primary(), at10);

    // A position found while a frame is presented is drawn by the frame, once it is presented.
    mDisplay->SetCursorPos(30, 30);
    const std::vector<uint8_t> at30 = Primary();
    EXPECT_NE(at30, at10);
    mDisplay->SetCursorPos(10, 10);
    cursor->mHook = [this, &at10] {
        mDisplay->SetCursorPos(30, 30); // in the middle of the frame: only noted
        EXPECT_EQ(Primary(), at10);
    };
    ASSERT_TRUE(mDisplay->RedrawScreen(nullptr));
    EXPECT_FALSE(cursor->mHook); // it ran
    EXPECT_EQ(Primary(), at30);
    EXPECT_EQ(Bytes(mDisplay->mDrawSurface), drawBuffer);
}

TEST_F(Display, CursorLargerThanItsAreaLeavesNothingInTheDrawBuffer)
{
    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    PatternDrawSurface();
    const std::vector<uint8_t> drawBuffer = Bytes(mDisplay->mDrawSurface);
    ASSERT_TRUE(mDisplay->RedrawScreen(nullptr));
    const std::vector<uint8_t> bare = Primary();
    auto cursor = MakeCursor(80, 80); // the saved area is 64 x 64
    mDisplay->SetCursorImage(cursor.get());
    for (const auto& p : {std::array<int, 2>{10, 10}, {32, 24}, {60, 40}}) {
        mDisplay->mCursorX = p[0];
        mDisplay->mCursorY = p[1];
        ASSERT_TRUE(mDisplay->RedrawScreen(nullptr));
        EXPECT_EQ(Bytes(mDisplay->mDrawSurface), drawBuffer) << p[0] << "," << p[1];
        EXPECT_NE(Primary(), bare); // the cursor was shown
    }
}

TEST_F(Display, SurfaceLifecycleOfDisplayImages)
{
    ASSERT_EQ(Init(true), DDInterface::RESULT_OK);
    // The screen image keeps its adopted surface through every pass.
    DDImage* screen = mDisplay->GetScreenImage();
    screen->DeleteExtraData();
    screen->DeleteNativeAndAdditiveData();
    screen->PurgeBits();
    EXPECT_EQ(screen->mSurface, mDisplay->mDrawSurface);

    // An opaque image: its pixels survive the trip into the surface and back on a 32-bit display.
    DDImage image(mDisplay.get());
    std::vector<uint32_t> px = {0xFF123456, 0xFFABCDEF, 0xFF000000, 0xFFFFFFFF, 0xFF010203, 0xFF808080};
    image.SetBits(px.data(), 3, 2);
    ASSERT_NE(image.GetSurface(), nullptr);
    image.PurgeBits(); // a surface was wanted: it holds the only pixels now
    EXPECT_EQ(image.mBits, nullptr);
    ASSERT_NE(image.GetBits(), nullptr);
    EXPECT_TRUE(std::equal(px.begin(), px.end(), image.mBits));
    image.DeleteNativeAndAdditiveData();
    EXPECT_EQ(image.mSurface, nullptr);
    EXPECT_TRUE(std::equal(px.begin(), px.end(), image.mBits));
    image.ApplyLoadOptions(); // made again, since one was wanted
    EXPECT_NE(image.mSurface, nullptr);
    image.BitsChanged(); // the pixels are the truth again
    EXPECT_EQ(image.mSurface, nullptr);

    const size_t live = mDisplay->mDDImageSet.size();
    {
        DDImage temporary(mDisplay.get());
        EXPECT_EQ(mDisplay->mDDImageSet.size(), live + 1);
    }
    EXPECT_EQ(mDisplay->mDDImageSet.size(), live);
}
