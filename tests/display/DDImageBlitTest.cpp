// The display image's drawing into 16- and 32-bit surfaces: fill, blit and line formulas per
// pixel layout, the choice between surface and 32-bit pixels, the transformed blits, golden
// scenes, and agreement with the memory image where both compute the same pixels.
#include "app/MTRand.h"
#include "app/QuorAppBase.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/Graphics.h"
#include "graphics/Matrix.h"
#include "graphics/MemoryImageHost.h"
#include "graphics/SWTri.h"
#include "graphics/SampleTrim.h"
#include "platform/Video.h"
#include "platform/Window.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace Quor;

namespace {

intptr_t Proc(plat::WindowId w, uint32_t m, uint32_t wp, uint32_t lp)
{
    return plat::DefWindowProc(w, m, wp, lp);
}

struct Layout {
    const char* name;
    plat::PixelFormat format;
};

const Layout kLayouts[] = {
    {"565", plat::kFormatRGB565},
    {"1555", plat::kFormatXRGB1555},
    {"8888", plat::kFormatXRGB8888},
    {"BGR565", plat::kFormatBGR565},
};

class Surfaces : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = plat::RegisterWindowClass("SurfaceTestWindow", Proc, 0);
        (void)registered;
        mApp = std::make_unique<QuorAppBase>();
        mApp->mWidth = 64;
        mApp->mHeight = 48;
        mWindow = plat::CreateWindow(0, "SurfaceTestWindow", "surfaces", plat::WS_POPUP | plat::WS_VISIBLE, 0, 0, 64, 48);
        ASSERT_NE(mWindow, 0u);
    }
    void TearDown() override
    {
        mDisplay.reset();
        plat::SetVideoTestSettings(nullptr);
        plat::DestroyWindow(mWindow);
        mApp.reset();
    }
    // A display whose surfaces have the given layout.
    void Open(const plat::PixelFormat& f)
    {
        mDisplay.reset();
        mSettings = plat::VideoTestSettings{};
        mSettings.refreshSet = true;
        mSettings.refreshHz = 60;
        if (f.bitCount == 16)
            mSettings.format16 = f;
        else
            mSettings.desktopFormat = f;
        plat::SetVideoTestSettings(&mSettings);
        mDisplay = std::make_unique<DDInterface>(mApp.get());
        mApp->mFullScreenBits = f.bitCount;
        ASSERT_EQ(mDisplay->InitDisplay(reinterpret_cast<void*>(static_cast<uintptr_t>(mWindow)), f.bitCount == 32),
                  DDInterface::RESULT_OK);
        ASSERT_EQ(mDisplay->mRGBBits, f.bitCount);
        ASSERT_EQ(mDisplay->mRedMask, f.redMask);
    }
    // An opaque image with a surface whose every pixel holds the raw value.
    std::unique_ptr<DDImage> Dest(int w, int h, uint32_t raw)
    {
        auto img = std::make_unique<DDImage>(mDisplay.get());
        std::vector<uint32_t> px(static_cast<size_t>(w * h), 0xFF000000);
        img->SetBits(px.data(), w, h);
        EXPECT_TRUE(img->CreateSurface());
        EXPECT_TRUE(img->LockSurface());
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                Put(*img, x, y, raw);
        img->UnlockSurface();
        return img;
    }
    static void Put(DDImage& img, int x, int y, uint32_t raw)
    {
        const plat::SurfaceDesc& d = img.mLockedSurfaceDesc;
        auto* row = static_cast<uint8_t*>(d.pixels) + y * d.pitch;
        if (d.format.bitCount == 16)
            reinterpret_cast<uint16_t*>(row)[x] = static_cast<uint16_t>(raw);
        else
            reinterpret_cast<uint32_t*>(row)[x] = raw;
    }
    static uint32_t Raw(DDImage& img, int x, int y)
    {
        EXPECT_TRUE(img.LockSurface());
        const plat::SurfaceDesc& d = img.mLockedSurfaceDesc;
        auto* row = static_cast<uint8_t*>(d.pixels) + y * d.pitch;
        uint32_t v = d.format.bitCount == 16 ? reinterpret_cast<uint16_t*>(row)[x] : reinterpret_cast<uint32_t*>(row)[x];
        img.UnlockSurface();
        return v;
    }
    static std::unique_ptr<MemoryImage> Source(const std::vector<uint32_t>& px, int w, int h)
    {
        auto img = std::make_unique<MemoryImage>(nullptr);
        img->SetBits(px.data(), w, h);
        return img;
    }

    std::unique_ptr<QuorAppBase> mApp;
    std::unique_ptr<DDInterface> mDisplay;
    plat::WindowId mWindow = 0;
    plat::VideoTestSettings mSettings;
};

// Destination value of the formula tables, per layout (a mid grey).
uint32_t MidGrey(const std::string& name)
{
    return name == "8888" ? 0x808080 : (name == "1555" ? 0x4210 : 0x8410);
}

TEST_F(Surfaces, FillFormulasPerLayout)
{
    struct Case {
        const char* layout;
        uint32_t want[6]; // opaque white, opaque colour, alpha 128, alpha 0, additive, additive alpha 128
    } cases[] = {
        {"565", {0xFFFF, 0xE2B, 0xA38B, 0x8410, 0xFF36, 0xE593}},
        {"1555", {0x7FFF, 0x70B, 0x51CB, 0x4210, 0x7F96, 0x72D3}},
        {"8888", {0xFEFEFE, 0x9C759, 0xA47259, 0x808080, 0xFFE4B2, 0xE4B299}},
        {"BGR565", {0xFFFF, 0x5E21, 0x5B94, 0x8410, 0xB73F, 0x9D9C}},
    };
    for (size_t l = 0; l < 4; l++) {
        SCOPED_TRACE(kLayouts[l].name);
        Open(kLayouts[l].format);
        const uint32_t grey = MidGrey(kLayouts[l].name);
        struct Op {
            Color color;
            int mode;
        } ops[] = {{Color::White, 0},          {Color(10, 200, 90), 0},     {Color(200, 100, 50, 128), 0},
                   {Color(200, 100, 50, 0), 0}, {Color(200, 100, 50), 1},   {Color(200, 100, 50, 128), 1}};
        for (int i = 0; i < 6; i++) {
            auto img = Dest(3, 2, mDisplay->mRGBBits == 32 ? 0xAB000000 | grey : grey);
            img->FillRect(Rect(1, 0, 1, 2), ops[i].color, ops[i].mode);
            EXPECT_EQ(Raw(*img, 1, 1), cases[l].want[i]) << "op " << i;
            EXPECT_EQ(Raw(*img, 0, 0), mDisplay->mRGBBits == 32 ? 0xAB000000 | grey : grey) << "op " << i;
            EXPECT_EQ(img->mBits, nullptr); // the surface holds the only copy
        }
    }
}

// Translucent fills go several pixels at a time through a wide row; one-pixel fills take the
// word loop. Over rows of random words they must agree on every layout.
TEST_F(Surfaces, WideTranslucentFillsMatchOnePixelFills)
{
    std::mt19937 rng(9);
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.name);
        Open(layout.format);
        const bool is16 = mDisplay->mRGBBits == 16;
        for (int alpha : {0, 1, 77, 128, 254}) {
            SCOPED_TRACE(alpha);
            const Color color(static_cast<int>(rng() % 256), static_cast<int>(rng() % 256),
                              static_cast<int>(rng() % 256), alpha);
            auto wide = Dest(37, 3, 0);
            auto narrow = Dest(37, 3, 0);
            ASSERT_TRUE(wide->LockSurface());
            ASSERT_TRUE(narrow->LockSurface());
            for (int y = 0; y < 3; y++)
                for (int x = 0; x < 37; x++) {
                    const uint32_t raw = is16 ? rng() & 0xFFFF : static_cast<uint32_t>(rng());
                    Put(*wide, x, y, raw);
                    Put(*narrow, x, y, raw);
                }
            wide->UnlockSurface();
            narrow->UnlockSurface();
            wide->FillRect(Rect(1, 0, 35, 3), color, 0);
            for (int y = 0; y < 3; y++)
                for (int x = 1; x < 36; x++)
                    narrow->FillRect(Rect(x, y, 1, 1), color, 0);
            for (int y = 0; y < 3; y++)
                for (int x = 0; x < 37; x++)
                    ASSERT_EQ(Raw(*wide, x, y), Raw(*narrow, x, y)) << x << "," << y;
        }
    }
}

TEST_F(Surfaces, BlitFormulasPerLayout)
{
    // Per source pixel (opaque, alpha 128, alpha 0, opaque white): white, grey, colour,
    // additive white, additive colour, volatile.
    struct Case {
        const char* layout;
        uint32_t want[4][6];
    } cases[] = {
        {"565", {{0xCB26, 0x6183, 0xBA03, 0xFF36, 0xFD30, 0xC326}, {0x5352, 0x4AAD, 0x5AE9, 0x955A, 0x8C70, 0x5352}, {0x8410, 0x8410, 0x8410, 0x8410, 0x8410, 0x8410}, {0xFFFF, 0x7BEF, 0xDBE3, 0xFFFF, 0xFF10, 0xF7DE}}},
        {"1555", {{0x6586, 0x30C3, 0x5D03, 0x7F96, 0x7E90, 0x6186}, {0x29B2, 0x254D, 0x2D69, 0x4ABA, 0x4630, 0x29B2}, {0x4210, 0x4210, 0x4210, 0x4210, 0x4210, 0x4210}, {0x7FFF, 0x3DEF, 0x6DE3, 0x7FFF, 0x7F90, 0x7BDE}}},
        {"8888", {{0xFFC86432, 0x643219, 0xB8431C, 0xFFE4B2, 0xFFA780, 0xC76432}, {0x80546890, 0x4A5468, 0x5D5D4E, 0x94A8D0, 0x8F8F80, 0x546890}, {0x808080, 0x808080, 0x808080, 0x808080, 0x808080, 0x808080}, {0xFFFFFFFF, 0x7F7F7F, 0xE37F1C, 0xFFFFFF, 0xFFE380, 0xFEFEFE}}},
        {"BGR565", {{0x3339, 0x198C, 0x1A17, 0xB73F, 0x853F, 0x3318}, {0x934A, 0x6AA9, 0x4AEB, 0xD552, 0x8471, 0x8B2A}, {0x8410, 0x8410, 0x8410, 0x8410, 0x8410, 0x8410}, {0xFFFF, 0x7BEF, 0x1BFB, 0xFFFF, 0x871F, 0xF7DE}}},
    };
    const std::vector<uint32_t> src = {0xFFC86432, 0x802850A0, 0x00000000, 0xFFFFFFFF};
    struct Op {
        Color color;
        int mode;
        bool isVolatile;
    } ops[] = {{Color::White, 0, false},           {Color(128, 128, 128), 0, false}, {Color(255, 128, 0, 200), 0, false},
               {Color::White, 1, false},           {Color(255, 128, 0, 200), 1, false}, {Color::White, 0, true}};
    for (size_t l = 0; l < 4; l++) {
        SCOPED_TRACE(kLayouts[l].name);
        Open(kLayouts[l].format);
        const uint32_t grey = MidGrey(kLayouts[l].name);
        for (int i = 0; i < 6; i++) {
            auto s = Source(src, 4, 1);
            s->mVolatile = ops[i].isVolatile;
            auto img = Dest(6, 1, grey);
            img->Blt(s.get(), 1, 0, Rect(0, 0, 4, 1), ops[i].color, ops[i].mode);
            EXPECT_TRUE(s->mDrawn);
            for (int p = 0; p < 4; p++)
                EXPECT_EQ(Raw(*img, 1 + p, 0), cases[l].want[p][i]) << "op " << i << " pixel " << p;
            EXPECT_EQ(Raw(*img, 0, 0), grey);
            EXPECT_EQ(Raw(*img, 5, 0), grey);
            // The mirrored forms put source column i at the far end; they never take path V.
            if (!ops[i].isVolatile) {
                auto m = Dest(4, 1, grey);
                m->BltMirror(s.get(), 0, 0, Rect(0, 0, 4, 1), ops[i].color, ops[i].mode);
                for (int p = 0; p < 4; p++)
                    EXPECT_EQ(Raw(*m, 3 - p, 0), cases[l].want[p][i]) << "mirror op " << i << " pixel " << p;
            }
        }
        // A draw mode other than 0 or 1 draws nothing.
        auto s = Source(src, 4, 1);
        auto img = Dest(4, 1, grey);
        img->Blt(s.get(), 0, 0, Rect(0, 0, 4, 1), Color::White, 2);
        img->BltMirror(s.get(), 0, 0, Rect(0, 0, 4, 1), Color::White, 2);
        img->FillRect(Rect(0, 0, 4, 1), Color::White, 2);
        for (int p = 0; p < 4; p++)
            EXPECT_EQ(Raw(*img, p, 0), grey);
    }
}

TEST_F(Surfaces, OpaqueAndKeyedCopiesAndColouredRuns)
{
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        Open(l.format);
        const uint32_t grey = MidGrey(l.name);
        // Transparent pixels but no translucent ones: path O copies the opaque words exactly.
        auto s = Source({0xFFFF0000, 0x00FFFFFF, 0xFF00FF00, 0xFF0000FF}, 4, 1);
        // (32-bit words keep their alpha byte.)
        const uint32_t top = l.format.bitCount == 32 ? 0xFF000000 : 0;
        auto img = Dest(4, 1, grey);
        img->Blt(s.get(), 0, 0, Rect(0, 0, 4, 1), Color::White, 0);
        EXPECT_EQ(Raw(*img, 0, 0), top | mDisplay->mRedMask);
        EXPECT_EQ(Raw(*img, 1, 0), grey);
        EXPECT_EQ(Raw(*img, 2, 0), top | mDisplay->mGreenMask);
        EXPECT_EQ(Raw(*img, 3, 0), top | mDisplay->mBlueMask);
        // With a colour the same pixels are scaled (path A): red at half strength.
        auto c = Dest(4, 1, grey);
        c->Blt(s.get(), 0, 0, Rect(0, 0, 4, 1), Color(128, 255, 255), 0);
        const uint32_t redHalf = Raw(*c, 0, 0);
        EXPECT_LT(redHalf, mDisplay->mRedMask);
        EXPECT_GT(redHalf, 0u);
        EXPECT_EQ(redHalf & ~mDisplay->mRedMask, 0u);
        EXPECT_EQ(Raw(*c, 1, 0), grey);
        // A one-pixel-wide mirrored blit lands at x.
        auto m = Dest(4, 1, grey);
        m->BltMirror(s.get(), 2, 0, Rect(0, 0, 1, 1), Color::White, 0);
        EXPECT_EQ(Raw(*m, 2, 0), top | mDisplay->mRedMask);
        EXPECT_EQ(Raw(*m, 1, 0), grey);
        EXPECT_EQ(Raw(*m, 3, 0), grey);
        // Additive white over white stays at the channel maximum.
        auto w = Dest(2, 1, mDisplay->mRedMask | mDisplay->mGreenMask | mDisplay->mBlueMask);
        auto ws = Source({0xFFFFFFFF, 0xFFFFFFFF}, 2, 1);
        w->Blt(ws.get(), 0, 0, Rect(0, 0, 2, 1), Color::White, 1);
        EXPECT_EQ(Raw(*w, 0, 0), mDisplay->mRedMask | mDisplay->mGreenMask | mDisplay->mBlueMask);
    }
}

// An opaque palette picture is copied eight words a step; it must land as the same picture
// without its palette does, whatever the row's length.
TEST_F(Surfaces, OpaquePaletteCopiesMatchTheWordCopies)
{
    std::mt19937 rng(4);
    const uint32_t colours[5] = {0xFF102030, 0xFFFFFFFF, 0xFF00FF00, 0xFFAB0000, 0xFF0000CD};
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        Open(l.format);
        for (int w : {1, 7, 8, 9, 23}) {
            SCOPED_TRACE(w);
            std::vector<uint32_t> px(w * 3);
            for (uint32_t& p : px)
                p = colours[rng() % 5];
            auto words = Source(px, w, 3);
            auto palette = Source(px, w, 3);
            ASSERT_TRUE(palette->Palletize());
            auto a = Dest(w + 2, 3, 0);
            auto b = Dest(w + 2, 3, 0);
            a->Blt(words.get(), 1, 0, Rect(0, 0, w, 3), Color::White, 0);
            b->Blt(palette.get(), 1, 0, Rect(0, 0, w, 3), Color::White, 0);
            for (int y = 0; y < 3; y++)
                for (int x = 0; x < w + 2; x++)
                    ASSERT_EQ(Raw(*b, x, y), Raw(*a, x, y)) << x << "," << y;
        }
    }
}

TEST_F(Surfaces, RunLengthsPastTheRowEndAreCut)
{
    Open(plat::kFormatXRGB8888);
    // Two rows: opaque red, then transparent. Run lengths that claim more than the row must
    // not spill into the next row or past the data.
    auto s = Source({0xFFFF0000, 0xFFFF0000, 0x80FF0000, 0x00000000, 0x00000000, 0x00000000}, 3, 2);
    ASSERT_NE(s->GetRLAlphaData(), nullptr);
    ASSERT_NE(s->GetRLAdditiveData(mDisplay.get()), nullptr);
    for (int i = 0; i < 6; i++) {
        s->mRLAlphaData[i] = 255;
        s->mRLAdditiveData[i] = 255;
    }
    auto img = Dest(3, 2, 0x000000);
    img->Blt(s.get(), 0, 0, Rect(0, 0, 3, 2), Color::White, 0);
    EXPECT_EQ(Raw(*img, 0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Raw(*img, 2, 0), 0x80800000u); // the run's first word decides: copied as it is
    EXPECT_EQ(Raw(*img, 0, 1), 0u);
    auto add = Dest(3, 2, 0x000000);
    add->Blt(s.get(), 0, 0, Rect(0, 0, 3, 2), Color::White, 1);
    EXPECT_EQ(Raw(*add, 0, 1), 0u);
    auto mir = Dest(3, 2, 0x000000);
    mir->BltMirror(s.get(), 0, 0, Rect(1, 0, 2, 2), Color::White, 0);
    EXPECT_EQ(Raw(*mir, 1, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Raw(*mir, 2, 0), 0u);
}

TEST_F(Surfaces, BlitsAndFillsPastTheEdgesDrawOnlyTheOverlap)
{
    Open(plat::kFormatRGB565);
    auto s = Source({0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, 3, 1);
    struct Case {
        int x;
        bool mirror;
        uint32_t want[3];
    } cases[] = {
        {-1, false, {0x07E0, 0x001F, 0}},
        {1, false, {0, 0xF800, 0x07E0}},
        {-1, true, {0x07E0, 0xF800, 0}},
        {1, true, {0, 0x001F, 0x07E0}},
    };
    for (const Case& c : cases) {
        auto img = Dest(3, 1, 0);
        if (c.mirror)
            img->BltMirror(s.get(), c.x, 0, Rect(0, 0, 3, 1), Color::White, 0);
        else
            img->Blt(s.get(), c.x, 0, Rect(0, 0, 3, 1), Color::White, 0);
        for (int x = 0; x < 3; x++)
            EXPECT_EQ(Raw(*img, x, 0), c.want[x]) << c.x << (c.mirror ? " mirrored" : "") << " at " << x;
    }
    auto img = Dest(3, 2, 0);
    img->FillRect(Rect(-5, 1, 100, 7), Color::White, 0);
    img->Blt(s.get(), 0, 0, Rect(1, 0, 5, 3), Color::White, 1); // source rectangle past the image
    EXPECT_EQ(Raw(*img, 2, 1), 0xFFFFu);
    EXPECT_EQ(Raw(*img, 0, 0), 0x07E0u);
    EXPECT_EQ(Raw(*img, 2, 0), 0u);
}

// Opaque fills store whole pixel pairs where they can; every start column and width must still
// set exactly the rectangle's pixels and no neighbour.
TEST_F(Surfaces, OpaqueFillCoversExactlyItsRectangle)
{
    for (const Layout& l : {kLayouts[0], kLayouts[2]}) {
        Open(l.format);
        const uint32_t fill = l.format.bitCount == 16 ? 0xFFFFu : 0x00FEFEFEu;
        for (int x0 = 0; x0 < 4; x0++)
            for (int w = 0; w <= 9; w++) {
                auto img = Dest(16, 3, 0x1234);
                img->FillRect(Rect(x0, 1, w, 1), Color::White, 0);
                for (int y = 0; y < 3; y++)
                    for (int x = 0; x < 16; x++) {
                        const bool in = y == 1 && x >= x0 && x < x0 + w;
                        ASSERT_EQ(Raw(*img, x, y), in ? fill : 0x1234u)
                            << l.name << " x0 " << x0 << " width " << w << " at " << x << "," << y;
                    }
            }
    }
}

TEST_F(Surfaces, MemoryCopiesFollowTheSurfaceDraws)
{
    Open(plat::kFormatRGB565);
    // A fill whose surface cannot be locked keeps the pixels.
    auto img = Dest(4, 4, 0x1234);
    ASSERT_NE(img->GetBits(), nullptr);
    plat::SurfaceDesc held;
    ASSERT_EQ(img->mSurface->Lock(held), plat::DD_OK);
    img->FillRect(Rect(0, 0, 2, 2), Color::White, 0);
    img->DrawLine(0, 0, 3, 2, Color::White, 0);
    img->Blt(Source({0xFFFFFFFF}, 1, 1).get(), 0, 0, Rect(0, 0, 1, 1), Color::White, 0);
    ASSERT_NE(img->mBits, nullptr);
    img->mSurface->Unlock();
    EXPECT_EQ(Raw(*img, 0, 0), 0x1234u);
    // A line with draw mode 2 draws nothing, yet the memory copies go.
    img->DrawLine(0, 0, 3, 2, Color::White, 2);
    EXPECT_EQ(img->mBits, nullptr);
    EXPECT_EQ(Raw(*img, 1, 1), 0x1234u);
    // Reading back after a draw rebuilds the pixels from the surface; white reads 248/252/248.
    img->FillRect(Rect(0, 0, 1, 1), Color::White, 0);
    ASSERT_NE(img->GetBits(), nullptr);
    EXPECT_EQ(img->mBits[0], 0xFFF8FCF8u);
    // An antialiased additive line draws nothing.
    img->DrawLineAA(0, 0, 3.5, 2.5, Color::White, 1);
    EXPECT_EQ(Raw(*img, 1, 1), 0x1234u);
}

TEST_F(Surfaces, LinesOnTheSurface)
{
    Open(plat::kFormatXRGB8888);
    auto img = Dest(16, 12, 0);
    // A horizontal line from 10.7 to 3.2 fills the Rect (3, 5, 8, 1) (a 32-bit fill of 255
    // stores 254).
    img->DrawLine(10.7, 5, 3.2, 5, Color(255, 0, 0), 0);
    for (int x = 0; x < 16; x++)
        EXPECT_EQ(Raw(*img, x, 5), (x >= 3 && x <= 10) ? 0xFE0000u : 0u) << x;
    // A diagonal: one pixel per row from (1, 1) to (6, 6); 255 * 255 + 127 >> 8 is 254.
    img->DrawLine(1, 1, 6, 6, Color(0, 0, 255), 0);
    for (int i = 1; i <= 6; i++)
        EXPECT_EQ(Raw(*img, i, i), 0xFEu) << i;
    EXPECT_EQ(Raw(*img, 7, 7), 0u);
    EXPECT_EQ(Raw(*img, 2, 1), 0u);
    // A flat line steps its rows by the error term and stays in the end points' box.
    img->DrawLine(0, 8, 9, 10, Color(0, 255, 0), 0);
    int drawn = 0;
    for (int y = 0; y < 12; y++)
        for (int x = 0; x < 16; x++)
            if (Raw(*img, x, y) == 0xFE00u) {
                drawn++;
                EXPECT_TRUE(y >= 8 && y <= 10 && x <= 9) << x << "," << y;
            }
    EXPECT_EQ(drawn, 10);
    // Antialiased: the pixels of a shallow line share their weight with the row below.
    auto aa = Dest(16, 12, 0);
    aa->DrawLineAA(0, 0, 10, 5, Color::White, 0);
    EXPECT_EQ(Raw(*aa, 0, 0), 0xFDFDFDu); // 254 (no rounding term) at weight 255
    uint32_t a = Raw(*aa, 3, 1) & 0xFF, b = Raw(*aa, 3, 2) & 0xFF;
    EXPECT_GT(a + b, 240u);
    EXPECT_LE(a + b, 256u);
}

TEST_F(Surfaces, DispatchBetweenSurfaceAndPixels)
{
    Open(plat::kFormatXRGB8888);
    auto s = Source({0xFFFF0000}, 1, 1);
    // A destination with transparent pixels draws into its bits.
    DDImage keyed(mDisplay.get());
    uint32_t kpx[2] = {0x00000000, 0xFF000000};
    keyed.SetBits(kpx, 2, 1);
    keyed.Blt(s.get(), 1, 0, Rect(0, 0, 1, 1), Color::White, 0);
    EXPECT_EQ(keyed.mSurface, nullptr);
    ASSERT_NE(keyed.mBits, nullptr);
    EXPECT_GE(keyed.mBits[1], 0xFFFE0000u);
    EXPECT_EQ(keyed.mBits[1] & 0xFFFF, 0u);
    // With the display's 3-D flag on, ordinary images draw into their bits; the cursor areas
    // still draw into their surfaces.
    mDisplay->mIs3D = true;
    auto img = Dest(2, 1, 0);
    img->Blt(s.get(), 0, 0, Rect(0, 0, 1, 1), Color::White, 0);
    EXPECT_EQ(img->mSurface, nullptr); // the bits changed; the surface is dropped
    EXPECT_EQ(img->GetBits()[0], 0xFFFF0000u);
    DDImage* area = mDisplay->mNewCursorAreaImage;
    ASSERT_NE(area, nullptr);
    area->Blt(s.get(), 0, 0, Rect(0, 0, 1, 1), Color::White, 0);
    EXPECT_NE(area->mSurface, nullptr);
    EXPECT_EQ(Raw(*area, 0, 0) & 0xFFFFFF, 0xFF0000u);
    // The screen image is drawn by the renderer in 3-D: the drawing context sees it.
    Graphics g(mDisplay->GetScreenImage());
    EXPECT_TRUE(g.mIs3D);
    EXPECT_TRUE(DDImage::Check3D(mDisplay->GetScreenImage()));
    EXPECT_FALSE(DDImage::Check3D(img.get()));
    EXPECT_FALSE(mDisplay->GetScreenImage()->LockSurface());
    // The 3-D coverage path works on a copy of the caller's spans.
    Span spans[2] = {{5, 7, 3}, {6, 8, 2}};
    uint8_t cover[64] = {};
    mDisplay->GetScreenImage()->FillScanLinesWithCoverage(spans, 2, Color::White, 0, cover, 0, 0, 8, 8);
    EXPECT_EQ(spans[0].mX, 7);
    EXPECT_EQ(spans[0].mY, 5);
    EXPECT_EQ(spans[1].mX, 8);
    mDisplay->mIs3D = false;
    Graphics g2(mDisplay->GetScreenImage());
    EXPECT_FALSE(g2.mIs3D);
    // The memory image code reads the display's pixel format through the application.
    host::PixelFormat f = host::FormatOf(mDisplay.get());
    EXPECT_EQ(f.mMask[0], 0xFF0000u);
    EXPECT_EQ(f.mShift[1], 8u);
}

TEST_F(Surfaces, RotatedBlitWeightsAndLimits)
{
    Open(plat::kFormatXRGB8888);
    std::vector<uint32_t> white(20, 0xFFFFFFFF);
    auto s = Source(white, 5, 4);
    // Angle 0 at a whole pixel: source columns 1..3 and rows 0..2, each at weight 254 of 256.
    auto img = Dest(10, 8, 0);
    img->BltRotated(s.get(), 2, 1, Rect(0, 0, 5, 4), Rect(0, 0, 10, 8), Color::White, 0, 0.0, 0, 0);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 10; x++) {
            bool in = x >= 3 && x <= 5 && y >= 1 && y <= 3;
            EXPECT_EQ(Raw(*img, x, y), in ? 0xFDFDFDu : 0u) << x << "," << y;
        }
    // The old pixel keeps 2 of 256.
    auto black = Source(std::vector<uint32_t>(20, 0xFF000000), 5, 4);
    auto w = Dest(10, 8, 0xFFFFFF);
    w->BltRotated(black.get(), 2, 1, Rect(0, 0, 5, 4), Rect(0, 0, 10, 8), Color::White, 0, 0.0, 0, 0);
    EXPECT_EQ(Raw(*w, 3, 1), 0x010101u);
    // BltF draws what the rotation by 0 about 0, 0 draws.
    auto f1 = Dest(10, 8, 0x203040), f2 = Dest(10, 8, 0x203040);
    auto grad = Source({0xFF102030, 0x80FFFFFF, 0xFF405060, 0xFFA0B0C0, 0xFF000000, 0xFFFFFFFF, 0xC0808080, 0xFF00FF00, 0xFFFF0000},
                       3, 3);
    f1->BltF(grad.get(), 2.5f, 1.25f, Rect(0, 0, 3, 3), Rect(0, 0, 10, 8), Color(200, 255, 100), 0);
    f2->BltRotated(grad.get(), 2.5f, 1.25f, Rect(0, 0, 3, 3), Rect(0, 0, 10, 8), Color(200, 255, 100), 0, 0.0, 0, 0);
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 10; x++)
            EXPECT_EQ(Raw(*f1, x, y), Raw(*f2, x, y)) << x << "," << y;
    // A box outside the clip rectangle draws nothing; draw mode 2 adds like mode 1.
    auto o = Dest(10, 8, 0);
    o->BltRotated(s.get(), 2, 1, Rect(0, 0, 5, 4), Rect(8, 6, 2, 2), Color::White, 0, 0.5, 0, 0);
    auto a1 = Dest(10, 8, 0), a2 = Dest(10, 8, 0);
    a1->BltRotated(s.get(), 2, 1, Rect(0, 0, 5, 4), Rect(0, 0, 10, 8), Color::White, 1, 0.3, 2, 2);
    a2->BltRotated(s.get(), 2, 1, Rect(0, 0, 5, 4), Rect(0, 0, 10, 8), Color::White, 2, 0.3, 2, 2);
    int changed = 0;
    for (int y = 0; y < 8; y++)
        for (int x = 0; x < 10; x++) {
            EXPECT_EQ(Raw(*o, x, y), 0u);
            EXPECT_EQ(Raw(*a1, x, y), Raw(*a2, x, y));
            changed += Raw(*a2, x, y) != 0;
        }
    EXPECT_GT(changed, 3);
}

// The rotated blit pixel by pixel in the plain form of its formulas (the row limits are the
// blit's own): each drawn pixel mixes the source's 2 x 2 pixels about its sample by the 16-bit
// fractions, in 64-bit sums per channel.
void PlainRotate(std::vector<uint32_t>& dest, int dw, int dh, const plat::PixelFormat& f,
                 const std::vector<uint32_t>& src, int srcW, const Rect& srcRect, float x, float y, float cx, float cy,
                 double rot, const Rect& clip, const Color& colour, int mode)
{
    RectD box;
    if (!GetRotatedBltBounds(x, y, srcRect, cx, cy, rot, clip.Intersection(Rect(0, 0, dw, dh)), box) ||
        box.mWidth <= 0 || box.mHeight <= 0)
        return;
    const uint32_t mask[3] = {f.redMask, f.greenMask, f.blueMask};
    uint32_t bits[3], shift[3];
    for (int c = 0; c < 3; c++) {
        shift[c] = static_cast<uint32_t>(__builtin_ctz(mask[c]));
        bits[c] = static_cast<uint32_t>(__builtin_popcount(mask[c]));
    }
    const uint32_t col[3] = {static_cast<uint32_t>(colour.mRed), static_cast<uint32_t>(colour.mGreen),
                             static_cast<uint32_t>(colour.mBlue)};
    const uint32_t A = static_cast<uint32_t>(colour.mAlpha);
    const bool white = colour == Color::White, additive = mode != 0;
    const uint32_t kSrcMask[3] = {0xFF0000, 0xFF00, 0xFF}, kTop[3] = {32, 24, 16};
    const double cs = std::cos(rot), sn = std::sin(rot);
    const int64_t du = static_cast<int64_t>(cs * 65536.0), dv = static_cast<int64_t>(sn * 65536.0);
    const int top = static_cast<int>(box.mY), left = static_cast<int>(box.mX);
    for (int row = 0; row < box.mHeight; row++) {
        const int py = top + row;
        if (py < 0 || py >= dh)
            continue;
        const double ddx = left - cx - x, ddy = py - cy - y;
        const int64_t us = static_cast<int64_t>((ddx * cs - ddy * sn + cx) * 65536.0);
        const int64_t vs = static_cast<int64_t>((ddx * sn + ddy * cs + cy) * 65536.0);
        int64_t first = left < 0 ? -left : 0, last = std::min<int64_t>(static_cast<int64_t>(box.mWidth - 1), dw - 1 - left);
        if (!LimitRotatedSamples(us, du, srcRect.mWidth, false, first, last) ||
            !LimitRotatedSamples(vs, dv, srcRect.mHeight, true, first, last))
            continue;
        for (int64_t k = first; k <= last; k++) {
            const int64_t u = us + k * du, v = vs + k * dv;
            const int i = static_cast<int>(u >> 16), j = static_cast<int>(v >> 16);
            auto pixel = [&](int pi, int pj) { return src[static_cast<size_t>(srcRect.mY + pj) * srcW + srcRect.mX + pi]; };
            const uint32_t sp[4] = {pixel(i, j), pixel(i + 1, j), pixel(i, j + 1), pixel(i + 1, j + 1)};
            const uint64_t fx = static_cast<uint64_t>((u & 0xFFFE) + 1), fy = static_cast<uint64_t>((v & 0xFFFE) + 1);
            const uint64_t w[4] = {((65536 - fx) * (65536 - fy)) >> 16, (fx * (65536 - fy)) >> 16,
                                   ((65536 - fx) * fy) >> 16, (fx * fy) >> 16};
            uint64_t a[4], asum = 0;
            for (int n = 0; n < 4; n++) {
                a[n] = (w[n] * (sp[n] >> 24)) >> 16;
                if (!white && !additive)
                    a[n] = (a[n] * A) >> 8;
                asum += a[n];
            }
            uint32_t& p = dest[static_cast<size_t>(py) * dw + left + k];
            const uint32_t d = p;
            uint32_t out = 0;
            for (int c = 0; c < 3; c++) {
                uint64_t sum = 0;
                for (int n = 0; n < 4; n++)
                    sum += uint64_t(sp[n] & kSrcMask[c]) * a[n];
                sum >>= 8;
                const uint32_t m = mask[c], sh = shift[c];
                if (additive) {
                    const uint64_t t = ((sum >> (kTop[c] - 8 - bits[c])) * (col[c] * A / 255)) >> 8;
                    out |= static_cast<uint32_t>(std::min<uint64_t>(((d & m) >> sh) + t, (1u << bits[c]) - 1)) << sh;
                } else {
                    const uint64_t fc = white ? 256 : col[c] + 1;
                    out += (static_cast<uint32_t>(((sum * fc) >> (kTop[c] - bits[c])) << sh) & m) +
                           (static_cast<uint32_t>((uint64_t(d & m) * (256 - std::min<uint64_t>(asum, 256))) >> 8) & m);
                }
            }
            p = out;
        }
    }
}

// Random sources (clear, opaque and translucent runs; some few-coloured, so drawn from their
// palette), destinations whose every bit is set at random, places, angles, centres, clips,
// colours and draw modes: every layout's rotated blit gives the plain formula's pixels.
TEST_F(Surfaces, RotatedBlitMatchesThePlainFormula)
{
    for (const Layout& layout : kLayouts) {
        SCOPED_TRACE(layout.name);
        Open(layout.format);
        RandomGenerator rng;
        rng.Seed(13);
        auto next = [&] { return static_cast<uint32_t>(rng.Next()) * 2 + (rng.Next() & 1); };
        auto real = [&](float lo, float hi) { return lo + (hi - lo) * static_cast<float>(next() % 10001) / 10000.0f; };
        constexpr int DW = 41, DH = 29;
        int drawn = 0;  // pixels the formula changed, over all rounds
        const uint32_t rawMask = layout.format.bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
        for (int round = 0; round < 24; round++) {
            SCOPED_TRACE(round);
            const int sw = 2 + static_cast<int>(next() % 15), sh = 2 + static_cast<int>(next() % 12);
            const bool fewColours = round % 3 == 0;
            const uint32_t palette[4] = {0xFF203040, 0x80FFEEDD, 0x00000000, 0xFF0000FF};
            std::vector<uint32_t> px(static_cast<size_t>(sw * sh));
            uint32_t alpha = 0;
            for (uint32_t& p : px) {
                if (fewColours) {
                    p = palette[next() % 4];
                    continue;
                }
                if (next() % 4 == 0) {
                    const uint32_t pick = next() % 3;
                    alpha = pick == 0 ? 0 : pick == 1 ? 255 : next() % 256;
                }
                p = alpha << 24 | (next() & 0xFFFFFF);
            }
            auto s = Source(px, sw, sh);
            if (fewColours) {
                ASSERT_TRUE(s->Palletize());
            }
            std::vector<uint32_t> under(DW * DH);
            for (uint32_t& u : under)
                u = next() & rawMask;
            auto img = Dest(DW, DH, 0);
            ASSERT_TRUE(img->LockSurface());
            for (int i = 0; i < DW * DH; i++)
                Put(*img, i % DW, i / DW, under[i]);
            img->UnlockSurface();

            const Rect srcRect = round % 4 == 1 && sw > 3 && sh > 3 ? Rect(1, 1, sw - 2, sh - 2) : Rect(0, 0, sw, sh);
            const float x = real(-12, DW), y = real(-10, DH);
            const float cx = real(0, float(srcRect.mWidth)), cy = real(0, float(srcRect.mHeight));
            const double rot = real(-7, 7);
            const Rect clip = round % 5 == 2 ? Rect(3, 2, DW - 9, DH - 7) : Rect(-5, -5, DW + 10, DH + 10);
            const uint32_t look = next() % 3;
            const Color colour = look == 0 ? Color::White
                                           : Color(int(next() % 256), int(next() % 256), int(next() % 256),
                                                   look == 1 ? 255 : int(next() % 256));
            const int mode = static_cast<int>(next() % 2);

            std::vector<uint32_t> expect = under;
            PlainRotate(expect, DW, DH, layout.format, px, sw, srcRect, x, y, cx, cy, rot, clip, colour, mode);
            img->BltRotated(s.get(), x, y, srcRect, clip, colour, mode, rot, cx, cy);
            for (int i = 0; i < DW * DH; i++)
                drawn += expect[i] != under[i];
            int differ = 0;
            for (int i = 0; i < DW * DH && differ < 5; i++)
                if (Raw(*img, i % DW, i / DW) != expect[i]) {
                    ++differ;
                    ADD_FAILURE() << "pixel " << i % DW << "," << i / DW << ": " << std::hex << Raw(*img, i % DW, i / DW)
                                  << " for " << expect[i];
                }
        }
        EXPECT_GT(drawn, 200);
    }
}

TEST_F(Surfaces, StretchBlits)
{
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        Open(l.format);
        const uint32_t rgb = mDisplay->mRedMask | mDisplay->mGreenMask | mDisplay->mBlueMask;
        auto Raw = [&](DDImage& img, int x, int y) { return Surfaces::Raw(img, x, y) & rgb; };
        auto s = Source({0xFFFF0000, 0xFF0000FF}, 2, 1);
        // Twice the width repeats each column twice.
        auto img = Dest(4, 2, 0);
        img->StretchBlt(s.get(), Rect(0, 0, 4, 2), Rect(0, 0, 2, 1), Rect(0, 0, 4, 2), Color::White, 0, true);
        const uint32_t want[4] = {mDisplay->mRedMask, mDisplay->mRedMask, mDisplay->mBlueMask, mDisplay->mBlueMask};
        for (int x = 0; x < 4; x++)
            EXPECT_EQ(Raw(*img, x, 1), want[x]) << x;
        // Mirrored, from the right; a one-column source fills the width.
        auto m = Dest(4, 1, 0);
        m->StretchBltMirror(s.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), Color::White, 0, false);
        EXPECT_EQ(Raw(*m, 0, 0), mDisplay->mBlueMask);
        EXPECT_EQ(Raw(*m, 3, 0), mDisplay->mRedMask);
        auto one = Dest(3, 1, 0);
        one->StretchBltMirror(s.get(), Rect(0, 0, 3, 1), Rect(1, 0, 1, 1), Rect(0, 0, 3, 1), Color::White, 0, true);
        for (int x = 0; x < 3; x++)
            EXPECT_EQ(Raw(*one, x, 0), mDisplay->mBlueMask);
        // Draw mode 2 adds in the stretch.
        auto add = Dest(4, 1, mDisplay->mRedMask);
        add->StretchBlt(s.get(), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), Color::White, 2, true);
        EXPECT_EQ(Raw(*add, 3, 0), mDisplay->mRedMask | mDisplay->mBlueMask);
        // A surface source that is opaque and drawn white goes through the surface copy.
        DDImage ds(mDisplay.get());
        uint32_t dpx[2] = {0xFF00FF00, 0xFFFF0000};
        ds.SetBits(dpx, 2, 1);
        auto hw = Dest(4, 1, 0);
        hw->StretchBlt(&ds, Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), Color::White, 0, true);
        EXPECT_NE(ds.mSurface, nullptr);
        EXPECT_EQ(Raw(*hw, 1, 0), mDisplay->mGreenMask);
        EXPECT_EQ(Raw(*hw, 2, 0), mDisplay->mRedMask);
    }
    // A smooth stretch into a destination with translucent pixels goes to its bits.
    Open(plat::kFormatXRGB8888);
    DDImage soft(mDisplay.get());
    std::vector<uint32_t> px(8, 0x80000000);
    soft.SetBits(px.data(), 4, 2);
    auto s = Source({0xFFFF0000, 0xFF0000FF}, 2, 1);
    soft.StretchBlt(s.get(), Rect(0, 0, 4, 2), Rect(0, 0, 2, 1), Rect(0, 0, 4, 2), Color::White, 0, false);
    EXPECT_EQ(soft.mSurface, nullptr);
    EXPECT_GE(soft.GetBits()[0] & 0xFFFFFF, 0xF00000u);
    EXPECT_EQ(soft.GetBits()[0] & 0xFFFF, 0u);
    // Fast too: an image that can have no surface still gets the pixels in place of nothing.
    soft.StretchBlt(s.get(), Rect(0, 0, 4, 2), Rect(1, 0, 1, 1), Rect(0, 0, 4, 2), Color::White, 0, true);
    EXPECT_EQ(soft.GetBits()[0] & 0xFFFFFF, 0x0000FFu);
}

// On 32-bit layouts whose channels are whole bytes the additive and stretch loops take byte
// shortcuts; on random pixels they must give exactly what the per-channel formulas give.
TEST_F(Surfaces, WholeByteChannelsMatchThePerChannelFormulas)
{
    const plat::PixelFormat blueHigh{32, 0x000000FF, 0x0000FF00, 0x00FF0000};
    for (const plat::PixelFormat& f : {plat::kFormatXRGB8888, blueHigh}) {
        SCOPED_TRACE(f.redMask);
        Open(f);
        constexpr int W = 16, H = 8;
        RandomGenerator rng;
        rng.Seed(7);
        auto next = [&] { return static_cast<uint32_t>(rng.Next()) * 2 + (rng.Next() & 1); };
        std::vector<uint32_t> px(W * H), under(W * H);
        for (int i = 0; i < W * H; i++) {
            const uint32_t pick = next() % 4;
            const uint32_t a = pick == 0 ? 0 : pick == 1 ? 255 : next() % 256;
            px[i] = (a << 24) | (next() & 0xFFFFFF);
            if (i % 7 == 3)
                px[i] &= 0xFF000000; // colour 0: skipped by the additive runs
            under[i] = next();
        }
        auto s = Source(px, W, H);
        const uint32_t* native = s->GetNativeAlphaData(mDisplay.get());
        ASSERT_NE(native, nullptr);
        std::vector<uint32_t> nat(native, native + W * H);
        auto fresh = [&] {
            auto img = Dest(W, H, 0);
            EXPECT_TRUE(img->LockSurface());
            for (int i = 0; i < W * H; i++)
                Put(*img, i % W, i / W, under[i]);
            img->UnlockSurface();
            return img;
        };
        auto addSat = [](uint32_t d, uint32_t w) {
            uint32_t out = 0;
            for (int sh : {0, 8, 16})
                out |= std::min<uint32_t>(((d >> sh) & 0xFF) + ((w >> sh) & 0xFF), 255) << sh;
            return out;
        };
        auto blendWhite = [](uint32_t d, uint32_t w) {
            const uint32_t a = w >> 24;
            if (a == 0)
                return d;
            uint32_t out = 0;
            for (uint32_t m : {0xFFu, 0xFF00u, 0xFF0000u})
                out |= static_cast<uint32_t>((uint64_t(d & m) * (256 - a)) >> 8) & m;
            return out + w;
        };
        auto add = fresh();
        add->Blt(s.get(), 0, 0, Rect(0, 0, W, H), Color::White, 1);
        auto normal = fresh();
        normal->StretchBlt(s.get(), Rect(0, 0, W, H), Rect(0, 0, W, H), Rect(0, 0, W, H), Color::White, 0, true);
        auto stretchAdd = fresh();
        stretchAdd->StretchBlt(s.get(), Rect(0, 0, W, H), Rect(0, 0, W, H), Rect(0, 0, W, H), Color::White, 2, true);
        for (int i = 0; i < W * H; i++) {
            const int x = i % W, y = i / W;
            const uint32_t d = under[i], w = nat[i];
            ASSERT_EQ(Raw(*add, x, y), (w & 0xFFFFFF) == 0 ? d : addSat(d, w)) << x << "," << y;
            ASSERT_EQ(Raw(*normal, x, y), blendWhite(d, w)) << x << "," << y;
            ASSERT_EQ(Raw(*stretchAdd, x, y), addSat(d, w)) << x << "," << y;
        }
    }
}

// The same on a 2x stretch and a wider additive blit whose rows hold long clear and opaque runs
// (the several-pixel steps skip or copy such groups whole) and odd widths.
TEST_F(Surfaces, WholeByteChannelsInRunsAndStretchedRows)
{
    Open(plat::kFormatXRGB8888);
    constexpr int W = 37, H = 5;
    RandomGenerator rng;
    rng.Seed(8);
    auto next = [&] { return static_cast<uint32_t>(rng.Next()) * 2 + (rng.Next() & 1); };
    std::vector<uint32_t> px(W * H), under(4 * W * H);
    uint32_t a = 0;
    for (int i = 0; i < W * H; i++) {
        if (next() % 9 == 0) {
            const uint32_t pick = next() % 3;
            a = pick == 0 ? 0 : pick == 1 ? 255 : 1 + next() % 254;
        }
        px[i] = (a << 24) | (next() & 0xFFFFFF);
    }
    for (uint32_t& u : under)
        u = next();
    auto s = Source(px, W, H);
    const uint32_t* native = s->GetNativeAlphaData(mDisplay.get());
    ASSERT_NE(native, nullptr);
    std::vector<uint32_t> nat(native, native + W * H);
    auto fresh = [&](int w, int h) {
        auto img = Dest(w, h, 0);
        EXPECT_TRUE(img->LockSurface());
        for (int i = 0; i < w * h; i++)
            Put(*img, i % w, i / w, under[i]);
        img->UnlockSurface();
        return img;
    };
    auto stretched = fresh(2 * W, 2 * H);
    stretched->StretchBlt(s.get(), Rect(0, 0, 2 * W, 2 * H), Rect(0, 0, W, H), Rect(0, 0, 2 * W, 2 * H), Color::White,
                          0, true);
    auto add = fresh(W, H);
    add->Blt(s.get(), 0, 0, Rect(0, 0, W, H), Color::White, 1);
    for (int y = 0; y < 2 * H; y++)
        for (int x = 0; x < 2 * W; x++) {
            const uint32_t d = under[y * 2 * W + x], w = nat[(y / 2) * W + x / 2], al = w >> 24;
            uint32_t expect = d;
            if (al != 0) {
                expect = 0;
                for (uint32_t m : {0xFFu, 0xFF00u, 0xFF0000u})
                    expect |= static_cast<uint32_t>((uint64_t(d & m) * (256 - al)) >> 8) & m;
                expect += w;
            }
            ASSERT_EQ(Raw(*stretched, x, y), expect) << x << "," << y;
        }
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            const uint32_t d = under[y * W + x], w = nat[y * W + x];
            uint32_t expect = d;
            if ((w & 0xFFFFFF) != 0) {
                expect = 0;
                for (int sh : {0, 8, 16})
                    expect |= std::min<uint32_t>(((d >> sh) & 0xFF) + ((w >> sh) & 0xFF), 255) << sh;
            }
            ASSERT_EQ(Raw(*add, x, y), expect) << x << "," << y;
        }
}

// A coloured fast stretch blends rows several pixels at a time; mirrored, it goes pixel by
// pixel. A 2x stretch of a picture and the mirrored one of its mirror image cover the same
// pixels with the same words, so they must agree, on every layout, from plain and palette
// pictures alike.
TEST_F(Surfaces, ColouredStretchRowsMatchThePixelLoop)
{
    const plat::PixelFormat blueHigh{32, 0x000000FF, 0x0000FF00, 0x00FF0000};
    std::vector<plat::PixelFormat> formats;
    for (const Layout& l : kLayouts)
        formats.push_back(l.format);
    formats.push_back(blueHigh);
    std::mt19937 rng(11);
    constexpr int W = 37, H = 3;
    for (const plat::PixelFormat& f : formats) {
        SCOPED_TRACE(testing::Message() << f.bitCount << " " << std::hex << f.redMask);
        Open(f);
        for (bool palette : {false, true}) {
            SCOPED_TRACE(palette ? "palette" : "words");
            std::vector<uint32_t> colours(palette ? 16 : W * H);
            for (uint32_t& c : colours) {
                const uint32_t pick = rng() % 4;
                c = (pick == 0 ? 0u : pick == 1 ? 255u : static_cast<uint32_t>(rng() % 256)) << 24 | (rng() & 0xFFFFFF);
            }
            std::vector<uint32_t> px(W * H), mirrored(W * H);
            for (int i = 0; i < W * H; i++)
                px[i] = palette ? colours[rng() % colours.size()] : colours[i];
            for (int y = 0; y < H; y++)
                for (int x = 0; x < W; x++)
                    mirrored[y * W + W - 1 - x] = px[y * W + x];
            auto s = Source(px, W, H);
            auto m = Source(mirrored, W, H);
            if (palette) {
                ASSERT_TRUE(s->Palletize());
                ASSERT_TRUE(m->Palletize());
            }
            for (int alpha : {1, 128, 255}) {
                SCOPED_TRACE(alpha);
                const Color color(static_cast<int>(rng() % 256), static_cast<int>(rng() % 256),
                                  static_cast<int>(rng() % 256), alpha);
                auto plain = Dest(2 * W, 2 * H, 0);
                auto flipped = Dest(2 * W, 2 * H, 0);
                ASSERT_TRUE(plain->LockSurface());
                ASSERT_TRUE(flipped->LockSurface());
                for (int y = 0; y < 2 * H; y++)
                    for (int x = 0; x < 2 * W; x++) {
                        const uint32_t raw = static_cast<uint32_t>(rng());
                        Put(*plain, x, y, raw);
                        Put(*flipped, x, y, raw);
                    }
                plain->UnlockSurface();
                flipped->UnlockSurface();
                const Rect all(0, 0, 2 * W, 2 * H);
                plain->StretchBlt(s.get(), all, Rect(0, 0, W, H), all, color, 0, true);
                flipped->StretchBltMirror(m.get(), all, Rect(0, 0, W, H), all, color, 0, true);
                for (int y = 0; y < 2 * H; y++)
                    for (int x = 0; x < 2 * W; x++)
                        ASSERT_EQ(Raw(*plain, x, y), Raw(*flipped, x, y)) << x << "," << y;
            }
        }
    }
}

TEST_F(Surfaces, MatrixAndTrianglesIgnoreTheDrawModeAndMatchTheMemoryImage)
{
    SWTri_RegisterFillers();
    Open(plat::kFormatXRGB8888);
    std::vector<uint32_t> px(64);
    for (int i = 0; i < 64; i++)
        px[i] = 0xFF000000 | (uint32_t(i * 4) << 16) | (uint32_t(255 - i * 3) << 8) | uint32_t((i * 37) & 0xFF);
    px[9] = 0x80FFFFFF;
    auto s = Source(px, 8, 8);
    const Color kTint(250, 240, 230); // the rasterizer has its colour-modulated fillers only
    Matrix3 m;
    m.LoadIdentity();
    m.Rotate(0.4f);
    m.Scale(1.5f, 1.2f);
    auto normal = Dest(24, 24, 0x102030), additive = Dest(24, 24, 0x102030);
    normal->BltMatrix(s.get(), 12, 12, m, Rect(0, 0, 24, 24), kTint, 0, Rect(0, 0, 8, 8), false);
    additive->BltMatrix(s.get(), 12, 12, m, Rect(0, 0, 24, 24), kTint, 1, Rect(0, 0, 8, 8), false);
    MemoryImage mem(nullptr);
    std::vector<uint32_t> bg(24 * 24, 0xFF102030);
    mem.SetBits(bg.data(), 24, 24);
    mem.BltMatrix(s.get(), 12, 12, m, Rect(0, 0, 24, 24), kTint, 0, Rect(0, 0, 8, 8), false);
    int drawn = 0;
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 24; x++) {
            const uint32_t v = Raw(*normal, x, y);
            EXPECT_EQ(Raw(*additive, x, y), v);
            EXPECT_EQ(v & 0xFFFFFF, mem.GetBits()[y * 24 + x] & 0xFFFFFF) << x << "," << y;
            drawn += (v & 0xFFFFFF) != 0x102030;
        }
    EXPECT_GT(drawn, 60);
    TriVertex tris[1][3] = {{{2, 2, 0, 0, 0}, {20, 4, 1, 0, 0}, {6, 20, 0, 1, 0}}};
    auto t0 = Dest(24, 24, 0), t1 = Dest(24, 24, 0);
    t0->BltTriangles(s.get(), tris, 1, Rect(0, 0, 24, 24), kTint, 0, 0, 0, false);
    t1->BltTriangles(s.get(), tris, 1, Rect(0, 0, 24, 24), kTint, 1, 0, 0, false);
    for (int y = 0; y < 24; y++)
        for (int x = 0; x < 24; x++)
            EXPECT_EQ(Raw(*t0, x, y), Raw(*t1, x, y));
    EXPECT_NE(Raw(*t0, 6, 6), 0u);
    ClearTriangleSpanFillers();
}

TEST_F(Surfaces, CoverageSpans)
{
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        Open(l.format);
        auto img = Dest(8, 4, 0);
        uint8_t cover[8 * 4];
        for (int i = 0; i < 32; i++)
            cover[i] = static_cast<uint8_t>(i < 16 ? 255 : 0);
        Span spans[2] = {{1, 2, 3}, {2, 0, 2}};
        img->FillScanLinesWithCoverage(spans, 2, Color::White, 0, cover, 0, 0, 8, 4);
        // Coverage 255 at alpha 255 weighs 255 of 256; coverage 0 still weighs 1 of 256.
        const uint32_t full = Raw(*img, 2, 1);
        EXPECT_EQ(Raw(*img, 4, 1), full);
        EXPECT_EQ(Raw(*img, 1, 1), 0u);
        EXPECT_EQ(Raw(*img, 5, 1), 0u);
        EXPECT_EQ(Raw(*img, 0, 2), 0u);
        if (l.format.bitCount == 32) {
            EXPECT_EQ(full, 0xFDFDFDu);
        } else {
            EXPECT_NE(full, 0u);
        }
        EXPECT_EQ(spans[0].mX, 2);
        EXPECT_EQ(spans[0].mY, 1);
    }
}

// ---- golden scenes

std::unique_ptr<MemoryImage> Sprite()
{
    std::vector<uint32_t> px = quortest::SpritePixels16();
    auto img = std::make_unique<MemoryImage>(nullptr);
    img->SetBits(px.data(), 16, 16);
    return img;
}

TEST_F(Surfaces, GoldenScenesPerLayout)
{
    SWTri_RegisterFillers();
    const bool update = std::getenv("QUOR_UPDATE_GOLDEN") != nullptr;
    constexpr int kW = 96, kH = 64;
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        Open(l.format);
        DDImage dest(mDisplay.get());
        std::vector<uint32_t> bg(kW * kH);
        for (int y = 0; y < kH; y++)
            for (int x = 0; x < kW; x++)
                bg[y * kW + x] = 0xFF000000 | uint32_t(x * 2) << 16 | uint32_t(y * 3) << 8 | uint32_t((x + y) * 1);
        dest.SetBits(bg.data(), kW, kH);
        auto sprite = Sprite();
        auto keyed = Source({0xFFFF8000, 0x00000000, 0xFF2040FF, 0xFFFFFFFF}, 2, 2);
        Graphics g(&dest);
        g.SetColor(Color(250, 200, 40));
        g.FillRect(2, 2, 20, 10);
        g.SetColor(Color(40, 90, 250, 120));
        g.FillRect(10, 6, 20, 12);
        g.SetDrawMode(1);
        g.SetColor(Color(90, 40, 30));
        g.FillRect(24, 2, 14, 14);
        g.SetDrawMode(0);
        g.SetColor(Color(255, 255, 255));
        g.DrawLine(2, 20, 40, 30);
        g.DrawLine(40, 20, 30, 40);
        dest.DrawLineAA(4, 40, 44, 60, Color(255, 80, 80), 0);
        g.DrawImage(sprite.get(), 44, 2);
        g.SetColorizeImages(true);
        g.SetColor(Color(255, 128, 0, 200));
        g.DrawImage(sprite.get(), 62, 2);
        g.SetColor(Color(160, 160, 160));
        g.DrawImage(sprite.get(), 78, 2);
        g.SetColorizeImages(false);
        g.SetDrawMode(1);
        g.DrawImage(sprite.get(), 44, 18);
        g.SetDrawMode(0);
        dest.BltMirror(sprite.get(), 62, 18, Rect(0, 0, 16, 16), Color::White, 0);
        dest.StretchBlt(keyed.get(), Rect(80, 20, 12, 12), Rect(0, 0, 2, 2), Rect(0, 0, kW, kH), Color::White, 0, true);
        dest.StretchBlt(sprite.get(), Rect(44, 36, 24, 24), Rect(0, 0, 16, 16), Rect(0, 0, kW, kH), Color::White, 0, false);
        dest.BltRotated(sprite.get(), 70, 40, Rect(0, 0, 16, 16), Rect(0, 0, kW, kH), Color::White, 0, 0.5236, 8, 8);
        Matrix3 m;
        m.LoadIdentity();
        m.Rotate(-0.3f);
        dest.BltMatrix(sprite.get(), 20, 52, m, Rect(0, 0, kW, kH), Color(255, 255, 200), 0, Rect(0, 0, 16, 16), false);
        EXPECT_EQ(dest.mBits, nullptr);
        const uint32_t* bits = dest.GetBits();
        ASSERT_NE(bits, nullptr);
        std::vector<uint32_t> got(bits, bits + kW * kH);
        const std::string path = quortest::DataFile(std::string("surface_scene_") + l.name + ".png");
        if (update) {
            ASSERT_TRUE(quortest::WritePng(path, got, kW, kH));
        }
        std::vector<uint32_t> want;
        int w = 0, h = 0;
        ASSERT_TRUE(quortest::ReadPng(path, want, w, h)) << path;
        ASSERT_EQ(w, kW);
        ASSERT_EQ(h, kH);
        size_t differing = 0, first = 0;
        for (size_t i = 0; i < got.size(); ++i)
            if (got[i] != want[i] && differing++ == 0)
                first = i;
        EXPECT_EQ(differing, 0u) << "first at " << first % kW << "," << first / kW << ": got " << std::hex
                                 << got[first] << ", want " << want[first];
    }
    ClearTriangleSpanFillers();
}

} // namespace
