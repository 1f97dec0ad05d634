// Memory image software drawing: exact pixels of fills, blits, lines, coverage spans,
// stretching, the rotated blit and the rasterized matrix and triangle draws.
#include "graphics/MemoryImage.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/QuorAppBase.h"
#include "graphics/Matrix.h"
#include "graphics/SWTri.h"

using namespace Quor;

namespace {

// An image of w x h pixels all set to fill, with its alpha flags scanned.
struct Pic {
    MemoryImage img{nullptr};
    Pic(int w, int h, uint32_t fill) { Set(w, h, std::vector<uint32_t>(w * h, fill)); }
    Pic(int w, int h, const std::vector<uint32_t>& px) { Set(w, h, px); }
    void Set(int w, int h, const std::vector<uint32_t>& px) { img.SetBits(px.data(), w, h, true); }
    uint32_t At(int x, int y) { return img.GetBits()[y * img.GetWidth() + x]; }
    std::vector<uint32_t> All()
    {
        const uint32_t* b = img.GetBits();
        return std::vector<uint32_t>(b, b + img.GetWidth() * img.GetHeight());
    }
    uint32_t Sentinel() { return img.GetBits()[img.GetWidth() * img.GetHeight()]; }
};

TEST(MemoryImageDrawTest, FillRect)
{
    struct Case {
        const char* name;
        uint32_t dest;
        Color color;
        int mode;
        uint32_t expected;
    } cases[] = {
        {"opaque", 0xFF0000FF, Color(10, 20, 30), 0, 0xFF0A141E},
        // f = 128: red (0 * 128 + 255 * 128) >> 8, blue (255 * 128) >> 8
        {"translucent", 0xFF0000FF, Color(255, 0, 0, 128), 0, 0xFF7F007F},
        {"additive fills as normal", 0xFF0000FF, Color(255, 0, 0, 128), 1, 0xFF7F007F},
        // new alpha 100, f = 255: each channel (c * 255) >> 8
        {"onto transparent", 0x00000000, Color(200, 100, 50, 100), 0, 0x64C76331},
        {"alpha 0", 0xFF123456, Color(255, 255, 255, 0), 0, 0xFF123456},
        {"components past 0..255 are cut", 0xFF000000, Color(300, -5, 20, 999), 0, 0xFFFF0014},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pic p(4, 3, c.dest);
        p.img.FillRect(Rect(1, 1, 2, 1), c.color, c.mode);
        EXPECT_EQ(p.At(1, 1), c.expected) << std::hex << p.At(1, 1);
        EXPECT_EQ(p.At(2, 1), c.expected);
        EXPECT_EQ(p.At(0, 1), c.dest);
        EXPECT_EQ(p.At(3, 1), c.dest);
        EXPECT_EQ(p.At(1, 0), c.dest);
    }

    // A row of mixed destination alphas blends each pixel by its own.
    Pic mixed(3, 1, {0xFF0000FF, 0x00000000, 0xFF0000FF});
    mixed.img.FillRect(Rect(0, 0, 3, 1), Color(200, 100, 50, 100), 0);
    EXPECT_EQ(mixed.At(1, 0), 0x64C76331u);
    mixed.Set(3, 1, {0xFF0000FF, 0x00000000, 0xFF0000FF});
    mixed.img.FillRect(Rect(0, 0, 3, 1), Color(255, 0, 0, 128), 0);
    EXPECT_EQ(mixed.All(), (std::vector<uint32_t>{0xFF7F007F, 0x80FE0000, 0xFF7F007F}));

    // A rectangle past every side is cut to the image.
    Pic p(4, 3, 0);
    int changes = p.img.mChangeCount;
    p.img.FillRect(Rect(-2, -2, 100, 100), Color(1, 2, 3), 0);
    EXPECT_EQ(p.All(), std::vector<uint32_t>(12, 0xFF010203));
    EXPECT_EQ(p.Sentinel(), MEMORYIMAGE_SENTINEL);
    EXPECT_EQ(p.img.mChangeCount, changes + 1);
    p.img.ClearRect(Rect(3, -5, 10, 6));
    EXPECT_EQ(p.At(3, 0), 0u);
    EXPECT_EQ(p.At(2, 0), 0xFF010203);
    EXPECT_EQ(p.Sentinel(), MEMORYIMAGE_SENTINEL);
}

TEST(MemoryImageDrawTest, NormalBlit)
{
    struct Case {
        const char* name;
        uint32_t dest;
        uint32_t src;
        Color color;
        uint32_t expected;
    } cases[] = {
        // opaque destination, white: red and green (d * 128 + s * 128) >> 8, blue the sum of
        // the two shifted products
        {"half alpha, opaque destination", 0xFF204060, 0x80FF8040, Color::White, 0xFF8F6050},
        {"opaque source copies", 0xFF204060, 0xFFFF8040, Color::White, 0xFFFF8040},
        {"clear source skipped", 0xFF204060, 0x00FF8040, Color::White, 0xFF204060},
        // transparent destination: alpha 128, f = 255, channel (d + s * 255) >> 8
        {"onto transparent", 0x00000000, 0x80FF8040, Color::White, 0x80FE7F3F},
        {"grey colour", 0xFF000000, 0xFFFF8040, Color(128, 128, 128), 0xFF7E3F1F},
        {"colour", 0xFF000000, 0xFFFF8040, Color(255, 128, 0), 0xFFFD3F00},
        // a = 255 * 128 / 255 = 128 over opaque: new alpha 255, f = 128
        {"colour alpha", 0xFF000000, 0xFFFF8040, Color(255, 128, 0, 128), 0xFF7F2000},
    };
    for (bool palette : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << (palette ? " (palette source)" : ""));
            Pic dest(3, 2, c.dest);
            Pic src(2, 2, {c.src, 0xFF000001, 0xFF000002, 0xFF000003});
            if (palette) {
                ASSERT_TRUE(src.img.Palletize());
            }
            dest.img.Blt(&src.img, 1, 1, Rect(0, 0, 1, 1), c.color, 0);
            EXPECT_EQ(dest.At(1, 1), c.expected) << std::hex << dest.At(1, 1);
            EXPECT_EQ(dest.At(2, 1), c.dest);
            EXPECT_EQ(dest.At(0, 1), c.dest);
            EXPECT_TRUE(src.img.mDrawn);
            EXPECT_EQ(palette, src.img.mPaletteColors != nullptr); // read in place
        }
    }
}

TEST(MemoryImageDrawTest, OpaqueRunsFromTheMiddleOfARun)
{
    // Runs: opaque 2, clear 2, half 2, opaque 1; the source rect starts inside the first run.
    std::vector<uint32_t> row = {0xFFFFFFFF, 0xFFFFFFFF, 0x00FFFFFF, 0x00FFFFFF,
                                 0x80FFFFFF, 0x80FFFFFF, 0xFFFFFFFF};
    Pic src(7, 1, row);
    Pic dest(8, 1, 0xFF000000);
    dest.img.Blt(&src.img, 2, 0, Rect(1, 0, 5, 1), Color::White, 0);
    std::vector<uint32_t> expected = {0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFF000000,
                                      0xFF000000, 0xFF7F7F7F, 0xFF7F7F7F, 0xFF000000};
    EXPECT_EQ(dest.All(), expected);
}

TEST(MemoryImageDrawTest, BlitsStayInsideBothImages)
{
    std::vector<uint32_t> px(16);
    for (int i = 0; i < 16; ++i)
        px[i] = 0xFF000000 | i;
    Pic src(4, 4, px);
    struct Case {
        int x, y;
        Rect srcRect;
        std::vector<std::pair<int, uint32_t>> pixels; // index into the 3 x 3 destination
    } cases[] = {
        {-2, -1, Rect(0, 0, 4, 4), {{0, 0xFF000006}, {1, 0xFF000007}, {3, 0xFF00000A}}},
        {2, 2, Rect(0, 0, 4, 4), {{8, 0xFF000000}, {7, 0xFFAAAAAA}}},
        {0, 0, Rect(-1, -1, 3, 3), {{4, 0xFF000000}, {5, 0xFF000001}, {0, 0xFFAAAAAA}}},
        {1, 0, Rect(3, 3, 5, 5), {{1, 0xFF00000F}, {2, 0xFFAAAAAA}}},
    };
    for (const Case& c : cases) {
        for (int mode : {0, 1}) {
            SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " mode " << mode);
            Pic dest(3, 3, 0xFFAAAAAA);
            dest.img.Blt(&src.img, c.x, c.y, c.srcRect, Color::White, mode);
            EXPECT_EQ(dest.Sentinel(), MEMORYIMAGE_SENTINEL);
            if (mode == 0) {
                for (auto [i, v] : c.pixels)
                    EXPECT_EQ(dest.All()[i], v) << i;
            }
        }
    }
}

TEST(MemoryImageDrawTest, AdditiveBlit)
{
    QuorAppBase app;
    struct Case {
        const char* name;
        uint32_t dest;
        uint32_t src;
        bool srcHasAlpha;
        Color color;
        uint32_t expected;
    } cases[] = {
        // addends (s * sA) >> 8 = 127, 64, 32
        {"white, source with alpha", 0xFF102030, 0x80FF8040, true, Color::White, 0xFF8F6050},
        {"white, opaque source saturates", 0xFF102030, 0xFFFF8040, false, Color::White,
         0xFFFFA070},
        {"destination alpha kept", 0x7F102030, 0xFFFF8040, false, Color::White, 0x7FFFA070},
        // colour premultiplied to (64, 128, 0); addends (s * c') >> 8 = 63, 64, 0
        {"coloured", 0xFF102030, 0xFFFF8040, false, Color(128, 255, 0, 128), 0xFF4F6030},
        // (s * c' * sA) >> 16 = 31, 32; blue ((s * 0) >> 8) * sA >> 8 = 0
        {"coloured, source with alpha", 0xFF102030, 0x80FF8040, true, Color(128, 255, 0, 128),
         0xFF2F4030},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryImage dest(&app);
        std::vector<uint32_t> d(4, c.dest);
        dest.SetBits(d.data(), 2, 2, true);
        Pic src(1, 1, c.src);
        EXPECT_EQ(src.img.mHasAlpha, c.srcHasAlpha);
        dest.Blt(&src.img, 1, 0, Rect(0, 0, 1, 1), c.color, 1);
        EXPECT_EQ(dest.GetBits()[1], c.expected) << std::hex << dest.GetBits()[1];
        EXPECT_EQ(dest.GetBits()[0], c.dest);
    }
}

TEST(MemoryImageDrawTest, BlitsThatDrawNothing)
{
    Pic dest(2, 2, 0xFF000000);
    Pic src(2, 2, 0xFFFFFFFF);
    dest.img.Blt(&src.img, 0, 0, Rect(0, 0, 2, 2), Color::White, 2);
    EXPECT_EQ(dest.All(), std::vector<uint32_t>(4, 0xFF000000));

    Image plain;
    int changes = dest.img.mChangeCount;
    dest.img.Blt(&plain, 0, 0, Rect(0, 0, 2, 2), Color::White, 0);
    EXPECT_TRUE(plain.mDrawn);
    EXPECT_EQ(dest.img.mChangeCount, changes + 1);

    dest.img.BltMirror(&src.img, 0, 0, Rect(0, 0, 2, 2), Color::White, 0);
    dest.img.StretchBltMirror(&src.img, Rect(0, 0, 2, 2), Rect(0, 0, 2, 2), Rect(0, 0, 2, 2),
                              Color::White, 0, false);
    EXPECT_EQ(dest.All(), std::vector<uint32_t>(4, 0xFF000000));
}

std::vector<std::pair<int, int>> Lit(Pic& p, uint32_t background)
{
    std::vector<std::pair<int, int>> out;
    for (int y = 0; y < p.img.GetHeight(); ++y)
        for (int x = 0; x < p.img.GetWidth(); ++x)
            if (p.At(x, y) != background)
                out.push_back({x, y});
    return out;
}

TEST(MemoryImageDrawTest, LinePixels)
{
    using Px = std::vector<std::pair<int, int>>;
    struct Case {
        double x1, y1, x2, y2;
        Px expected;
    } cases[] = {
        {0, 0, 5, 2, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {5, 2, 0, 0, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}}},
        {1, 0, 0, 3, {{1, 0}, {1, 1}, {0, 2}, {0, 3}}},
        {0.5, 1, 2.9, 1, {{0, 1}, {1, 1}, {2, 1}}},   // horizontal: a fill
        {3, 3.7, 3, 1.2, {{3, 1}, {3, 2}, {3, 3}}},   // vertical: a fill
        {-5, -3, 10, 8, {{0, 1}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 4}}}, // past the edges
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2);
        Pic p(6, 6, 0xFF000000);
        p.img.DrawLine(c.x1, c.y1, c.x2, c.y2, Color::White, 0);
        EXPECT_EQ(Lit(p, 0xFF000000), c.expected);
        EXPECT_EQ(p.Sentinel(), MEMORYIMAGE_SENTINEL);
    }
}

TEST(MemoryImageDrawTest, LineColours)
{
    QuorAppBase app;
    struct Case {
        const char* name;
        uint32_t dest;
        Color color;
        int mode;
        bool horizontal;
        uint32_t expected;
    } cases[] = {
        {"opaque white", 0xFF000000, Color::White, 0, false, 0xFFFEFEFE},
        // p = (c * a + 128) >> 8, q = (p * 255 + 127) >> 8, ((d * 128 + 127) >> 8) + q
        {"translucent", 0xFF204080, Color(0, 0, 255, 128), 0, false, 0xFF1020BF},
        {"additive", 0x80404040, Color(255, 0, 0, 128), 1, false, 0xFFBF4040},
        {"additive horizontal is a fill", 0xFF0000FF, Color(255, 0, 0, 128), 1, true, 0xFF7F007F},
        {"other modes draw nothing", 0xFF000000, Color::White, 2, false, 0xFF000000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryImage img(&app);
        std::vector<uint32_t> px(9, c.dest);
        img.SetBits(px.data(), 3, 3, true);
        if (c.horizontal)
            img.DrawLine(0, 1, 2, 1, c.color, c.mode);
        else
            img.DrawLine(0, 0, 2, 2, c.color, c.mode);
        EXPECT_EQ(img.GetBits()[4], c.expected) << std::hex << img.GetBits()[4];
    }
}

TEST(MemoryImageDrawTest, AntialiasedLine)
{
    Pic p(6, 4, 0xFF000000);
    p.img.DrawLineAA(0, 0, 4, 2, Color::White, 0);
    // step 32768: weights 255 at the start, then 127 / 128 across, 255 / 0, 127 / 128, and the
    // far end 255 - 128; a weight w over opaque black gives (255 * w) >> 8.
    std::vector<uint32_t> expected(24, 0xFF000000);
    auto set = [&](int x, int y, uint32_t v) { expected[y * 6 + x] = 0xFF000000 | v * 0x010101; };
    set(0, 0, 254);
    set(1, 0, 126);
    set(1, 1, 127);
    set(2, 1, 254);
    set(3, 1, 126);
    set(3, 2, 127);
    set(4, 2, 126);
    EXPECT_EQ(p.All(), expected);

    // Additive: only horizontal and vertical lines.
    Pic q(4, 4, 0xFF000000);
    q.img.DrawLineAA(0, 0, 3, 2, Color::White, 1);
    EXPECT_EQ(q.All(), std::vector<uint32_t>(16, 0xFF000000));
    q.img.DrawLineAA(0, 3, 3, 3, Color::White, 1);
    EXPECT_EQ(q.At(2, 3), 0xFFFFFFFF);
}

TEST(MemoryImageDrawTest, AntialiasedLineNeighboursStayInside)
{
    // Along the bottom row and the right column the neighbour pixel falls outside the image.
    Pic p(6, 3, 0xFF000000);
    p.img.DrawLineAA(0, 2, 5, 2.9, Color::White, 0);
    p.img.DrawLineAA(5, 0, 5.9, 2.5, Color::White, 0);
    p.img.DrawLineAA(-3, -4, 9, 7, Color(255, 0, 0, 200), 0);
    EXPECT_EQ(p.Sentinel(), MEMORYIMAGE_SENTINEL);
    EXPECT_NE(p.At(5, 2), 0xFF000000u);
}

TEST(MemoryImageDrawTest, CoverageSpans)
{
    Pic p(5, 3, 0xFF000000);
    const uint8_t coverage[] = {0, 255, 127, 9, 9, 9};
    Span spans[] = {{1, 1, 3}, {-1, 0, 5}, {2, 3, 4}};
    p.img.FillScanLinesWithCoverage(spans, 3, Color::White, 1, coverage, 1, 1, 3, 2);
    EXPECT_EQ(p.At(1, 1), 0xFF000000u); // coverage 0: left alone
    EXPECT_EQ(p.At(2, 1), 0xFFFEFEFEu); // a = 255
    EXPECT_EQ(p.At(3, 1), 0xFF7E7E7Eu); // a = (255 * 128) >> 8 = 127
    // Second row of coverage: column 2 of the buffer, a = (255 * 10) >> 8 = 9; columns past
    // the buffer's row width and the image's width are left alone.
    EXPECT_EQ(p.At(3, 2), 0xFF080808u);
    EXPECT_EQ(p.At(4, 2), 0xFF000000u);
    EXPECT_EQ(p.Sentinel(), MEMORYIMAGE_SENTINEL);
}

TEST(MemoryImageDrawTest, FastStretch)
{
    Pic src(2, 2, {0xFF804020, 0xFF102030, 0x80FFFFFF, 0x00FFFFFF});
    Pic dest(4, 4, 0xFF000000);
    dest.img.StretchBlt(&src.img, Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 4),
                        Color(255, 0, 0), 0, true);
    EXPECT_EQ(dest.All(), std::vector<uint32_t>(16, 0xFF000000)); // coloured: nothing

    dest.img.StretchBlt(&src.img, Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), Rect(0, 0, 4, 3),
                        Color::White, 0, true);
    // Each channel ((d * (256 - f)) >> 8) + ((s * f) >> 8); f = 255 over opaque black.
    const uint32_t a = 0xFF7F3F1F, b = 0xFF0F1F2F, c = 0xFF7F7F7F, k = 0xFF000000;
    EXPECT_EQ(dest.All(), (std::vector<uint32_t>{a, a, b, b, a, a, b, b, c, c, k, k, k, k, k, k}));

    // A source rectangle past the image reads only the image.
    Pic d2(4, 2, 0xFF000000);
    d2.img.StretchBlt(&src.img, Rect(0, 0, 4, 2), Rect(-3, 1, 10, 4), Rect(0, 0, 4, 2),
                      Color::White, 0, true);
    EXPECT_EQ(d2.Sentinel(), MEMORYIMAGE_SENTINEL);
}

TEST(MemoryImageDrawTest, SmoothStretch)
{
    // 1:1 gathers 257 * 257 times each value; opaque alpha would come out as 256.
    Pic src(1, 1, 0xFFC86432);
    Pic clear(2, 1, 0x00000000);
    clear.img.StretchBlt(&src.img, Rect(0, 0, 1, 1), Rect(0, 0, 1, 1), Rect(0, 0, 2, 1),
                         Color(9, 9, 9), 0, false);
    // channels 201, 100, 50 after the passes; then (s * 255) >> 8
    EXPECT_EQ(clear.At(0, 0), 0xFFC86331u);
    EXPECT_EQ(clear.At(1, 0), 0x00000000u);

    // Doubling two pixels: step 1/3, weights 257 | 171 + 86 | 85 + 172 | 257.
    Pic two(2, 1, {0xFF000000, 0xFFFFFFFF});
    Pic wide(4, 1, 0xFF000000);
    wide.img.StretchBlt(&two.img, Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1),
                        Color::White, 0, false);
    EXPECT_EQ(wide.All(), (std::vector<uint32_t>{0xFF000000, 0xFF545454, 0xFFAAAAAA, 0xFFFEFEFE}));

    // Halving: each source pixel adds int(257 * 0.5) = 128 to its cell.
    Pic four(4, 1, {0xFF000000, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF});
    Pic half(2, 1, 0xFF000000);
    half.img.StretchBlt(&four.img, Rect(0, 0, 2, 1), Rect(0, 0, 4, 1), Rect(0, 0, 2, 1),
                        Color::White, 0, false);
    // white cell: 256 * 257 * 255 >> 16 = 255, alpha the same; (255 * 255) >> 8 = 254
    EXPECT_EQ(half.All(), (std::vector<uint32_t>{0xFF000000, 0xFFFEFEFE}));

    // A negative width from a mirrored transform is drawn as the rectangle it spans.
    Pic a(4, 1, 0xFF000000), b(4, 1, 0xFF000000);
    a.img.StretchBlt(&two.img, Rect(4, 0, -4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1),
                     Color::White, 0, false);
    b.img.StretchBlt(&two.img, Rect(0, 0, 4, 1), Rect(0, 0, 2, 1), Rect(0, 0, 4, 1),
                     Color::White, 0, false);
    EXPECT_EQ(a.All(), b.All());
}

TEST(MemoryImageDrawTest, RotatedBlitAtHalfPixel)
{
    QuorAppBase app;
    // A uniform 4 x 4 source drawn at (0.5, 0.5): every sample has fx = fy = 32769, so the
    // bilinear factors are 16383, 16383, 16383, 16385.
    struct Case {
        const char* name;
        uint32_t src;
        Color color;
        int mode;
        uint32_t expected;
    } cases[] = {
        // weights (f * 255) >> 16 = 63 each, A = 252 >= 251: S = (252 * c) >> 8, opaque
        {"opaque", 0xFFC86432, Color::White, 0, 0xFFC46231},
        // weights 31, 31, 31, 32, A = 125; over opaque black each channel S
        {"half alpha", 0x80C86432, Color::White, 0, 0xFF613018},
        // weights (63 * 128) >> 8 = 31, A = 124; S = sum * 256 / 65536, green and blue cut
        {"colour alpha", 0xFFC86432, Color(255, 255, 255, 128), 0, 0xFF603018},
        // added (252 * c * 255) >> 16 onto 0x102030
        {"additive", 0xFFC86432, Color::White, 1, 0xFFD48261},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryImage dest(&app);
        uint32_t background = c.mode == 1 ? 0xFF102030 : 0xFF000000;
        std::vector<uint32_t> px(36, background);
        dest.SetBits(px.data(), 6, 6, true);
        Pic src(4, 4, c.src);
        dest.BltF(&src.img, 0.5f, 0.5f, Rect(0, 0, 4, 4), Rect(0, 0, 6, 6), c.color, c.mode);
        // Rows 1-3 and columns 1-3 keep their 2 x 2 neighbourhood inside the source.
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 6; ++x) {
                bool drawn = x >= 1 && x <= 3 && y >= 1 && y <= 3;
                EXPECT_EQ(dest.GetBits()[y * 6 + x], drawn ? c.expected : background)
                    << std::hex << x << "," << y << " " << dest.GetBits()[y * 6 + x];
            }
    }
}

TEST(MemoryImageDrawTest, RotatedBlitStaysInside)
{
    Pic src(8, 8, 0xFFFFFFFF);
    Pic dest(5, 5, 0xFF000000);
    // A clip far larger than the destination, a turned image hanging over every edge.
    dest.img.BltRotated(&src.img, -3.3f, -2.6f, Rect(0, 0, 8, 8), Rect(-50, -50, 200, 200),
                        Color::White, 0, 0.7, 4, 4);
    EXPECT_EQ(dest.Sentinel(), MEMORYIMAGE_SENTINEL);
    EXPECT_NE(dest.At(2, 2), 0xFF000000u);
    // A source rectangle outside its image draws nothing.
    Pic d2(5, 5, 0xFF000000);
    d2.img.BltRotated(&src.img, 0, 0, Rect(4, 4, 8, 8), Rect(0, 0, 5, 5), Color::White, 0, 0.3,
                      0, 0);
    EXPECT_EQ(d2.All(), std::vector<uint32_t>(25, 0xFF000000));
}

class MemoryImageRasterTest : public ::testing::Test {
protected:
    void SetUp() override { SWTri_RegisterFillers(); }
    void TearDown() override { ClearTriangleSpanFillers(); }
};

TEST_F(MemoryImageRasterTest, MatrixBlitMapsTexelsOntoPixels)
{
    const Color tint(255, 255, 255, 254);
    Matrix3 identity;
    identity.LoadIdentity();
    struct Case {
        const char* name;
        bool forcedOpaque;
        uint32_t expected;
    } cases[] = {
        // 8888: a = 127, d = 128: A = 192, red ((100 * 129) + 254 * 127) / 192 = 235, alpha 191
        {"8888 destination", false, 0xBFEB0000},
        // 888: (200 * 128 >> 8) + (254 * 127 >> 8)
        {"888 destination", true, 0xFFE20000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Pic src(4, 4, 0x80FF0000);
        Pic dest(8, 8, 0x80C80000);
        if (c.forcedOpaque)
            dest.img.SetAlphaFlags(false, false);
        dest.img.BltMatrix(&src.img, 2, 2, identity, Rect(0, 0, 8, 8), tint, 0, Rect(0, 0, 4, 4),
                           false);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(dest.At(x, y), x < 4 && y < 4 ? c.expected : 0x80C80000u) << x << "," << y;
    }
}

TEST_F(MemoryImageRasterTest, TrianglesWithAndWithoutVertexColours)
{
    Pic src(2, 2, 0x80FFFFFF);
    Pic dest(6, 6, 0xFF000000);
    TriVertex tris[2][3] = {{{0, 0, 0, 0, 0}, {4, 0, 1, 0, 0}, {0, 4, 0, 1, 0}},
                            {{0, 0, 0, 0, 0xFFFFFFFF}, {4, 0, 1, 0, 0}, {0, 4, 0, 1, 0}}};
    dest.img.BltTriangles(&src.img, tris, 1, Rect(0, 0, 6, 6), Color(255, 255, 255, 254), 0, 1, 1,
                          false);
    EXPECT_EQ(Lit(dest, 0xFF000000).size(), 10u); // rows 1-4 hold 4, 3, 2, 1 pixels
    EXPECT_EQ(dest.At(1, 1), 0xFF7E7E7Eu);
    Pic other(6, 6, 0xFF000000);
    other.img.BltTriangles(&src.img, tris + 1, 1, Rect(0, 0, 6, 6), Color(255, 255, 255, 254), 0,
                           1, 1, false);
    EXPECT_TRUE(Lit(other, 0xFF000000).empty()); // vertex colours select no filler
}

} // namespace
