// Textured-triangle rasterizer: filler table, option selection, fill rule, clipping, alpha
// thresholds and the per-format blends.
#include "graphics/SWTri.h"

#include <gtest/gtest.h>

#include <random>
#include <thread>
#include <vector>

#include "graphics/MemoryImage.h"

using namespace Quor;

namespace {

const Color kTint(255, 255, 255, 254); // not white, so the colour-modulated filler is chosen

// Registers the standard fillers for the test and empties the table afterwards.
class SWTriTest : public ::testing::Test {
protected:
    void SetUp() override { SWTri_RegisterFillers(); }
    void TearDown() override { ClearTriangleSpanFillers(); }
};

void MakeTexture(MemoryImage& image, int w, int h, const std::vector<uint32_t>& pixels)
{
    image.SetBits(pixels.data(), w, h, true);
}

// A quad as a strip of corners top-left, top-right, bottom-left, bottom-right.
std::vector<TriVertex> Quad(float x0, float y0, float x1, float y1)
{
    return {{x0, y0, 0, 0, 0}, {x1, y0, 1, 0, 0}, {x0, y1, 0, 1, 0}, {x1, y1, 1, 1, 0}};
}

struct Canvas {
    int w, h;
    std::vector<uint32_t> px;
    Canvas(int width, int height, uint32_t fill) : w(width), h(height), px(width * height, fill) {}
    uint32_t At(int x, int y) const { return px[y * w + x]; }
    void Draw(const std::vector<TriVertex>& v, MemoryImage* tex, const Color& c,
              Rect clip = Rect(-1, -1, -1, -1), int format = SWTRI_FORMAT_8888, bool smooth = false,
              bool vertexColors = false)
    {
        if (clip.mWidth < 0)
            clip = Rect(0, 0, w, h);
        TriangleRasterizer(v.data(), static_cast<int>(v.size()), tex, px.data(), w * 4, format, clip,
                           c, smooth, vertexColors);
    }
};

TEST(SWTriTableTest, FillerSlotsPerFormat)
{
    struct Case {
        int format;
        int index;
    } cases[] = {{SWTRI_FORMAT_8888, 26}, {SWTRI_FORMAT_888, 58}, {SWTRI_FORMAT_565, 90},
                 {SWTRI_FORMAT_555, 122}, {0x1234, 26}};
    for (const Case& c : cases) {
        ClearTriangleSpanFillers();
        SetTriangleSpanFiller(c.format, SWTri_DrawTriangle888);
        for (int i = 0; i < SWTRI_FILLER_COUNT; ++i)
            EXPECT_EQ(GetTriangleSpanFiller(i) != nullptr, i == c.index)
                << "format " << std::hex << c.format << " index " << std::dec << i;
    }
    ClearTriangleSpanFillers();
}

TEST_F(SWTriTest, OnlyTexturedBlendedColouredDraws)
{
    std::vector<uint32_t> half(16, 0x80FF0000); // alpha 128: the texture has alpha
    std::vector<uint32_t> opaque(16, 0xFFFF0000);
    struct Case {
        const char* name;
        const std::vector<uint32_t>* texels;
        bool textured;
        Color color;
        bool smooth;
        bool vertexColors;
        bool draws;
    } cases[] = {
        {"textured, alpha, coloured", &half, true, kTint, false, false, true},
        {"white colour", &half, true, Color::White, false, false, false},
        {"opaque texture, not smooth", &opaque, true, kTint, false, false, false},
        {"smooth flag", &half, true, kTint, true, false, false},
        {"vertex colours", &half, true, kTint, false, true, false},
        {"no texture", &half, false, kTint, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryImage tex(nullptr);
        MakeTexture(tex, 4, 4, *c.texels);
        Canvas canvas(8, 8, 0xFF000000);
        canvas.Draw(Quad(0, 0, 8, 8), c.textured ? &tex : nullptr, c.color, Rect(0, 0, 8, 8),
                    SWTRI_FORMAT_8888, c.smooth, c.vertexColors);
        EXPECT_EQ(canvas.At(3, 3) != 0xFF000000, c.draws);
    }
}

TEST_F(SWTriTest, FewerThanThreeVerticesAndFlatTrianglesDrawNothing)
{
    MemoryImage tex(nullptr);
    MakeTexture(tex, 1, 1, {0x80FFFFFF});
    Canvas canvas(8, 8, 0);
    std::vector<TriVertex> two = {{0, 0, 0, 0, 0}, {5, 5, 0, 0, 0}};
    canvas.Draw(two, &tex, kTint);
    // All three vertices within one pixel row: ceil(top) == ceil(bottom).
    std::vector<TriVertex> flat = {{0, 2.2f, 0, 0, 0}, {7, 2.9f, 0, 0, 0}, {3, 2.5f, 0, 0, 0}};
    canvas.Draw(flat, &tex, kTint);
    for (uint32_t p : canvas.px)
        EXPECT_EQ(p, 0u);
}

TEST_F(SWTriTest, SharedEdgesDrawEachPixelOnce)
{
    // A translucent texture: a pixel drawn twice would come out darker than one drawn once.
    MemoryImage tex(nullptr);
    MakeTexture(tex, 1, 1, {0x80FFFFFF});
    Canvas once(12, 12, 0xFF000000);
    once.Draw(Quad(2, 3, 9, 10), &tex, kTint);

    std::vector<int> counts(12 * 12, 0);
    uint32_t drawn = 0;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            bool inside = x >= 2 && x < 9 && y >= 3 && y < 10; // left/top in, right/bottom out
            uint32_t p = once.At(x, y);
            if (!inside) {
                EXPECT_EQ(p, 0xFF000000u) << x << "," << y;
                continue;
            }
            if (drawn == 0)
                drawn = p;
            EXPECT_EQ(p, drawn) << x << "," << y;
        }
    EXPECT_NE(drawn, 0xFF000000u);

    // A fan of three triangles around a centre vertex also covers each pixel once.
    Canvas fan(12, 12, 0xFF000000);
    std::vector<TriVertex> a = {{6, 1, 0, 0, 0}, {11, 9, 0, 0, 0}, {5.5f, 6.3f, 0, 0, 0}};
    std::vector<TriVertex> b = {{11, 9, 0, 0, 0}, {1, 10, 0, 0, 0}, {5.5f, 6.3f, 0, 0, 0}};
    std::vector<TriVertex> c = {{1, 10, 0, 0, 0}, {6, 1, 0, 0, 0}, {5.5f, 6.3f, 0, 0, 0}};
    fan.Draw(a, &tex, kTint);
    fan.Draw(b, &tex, kTint);
    fan.Draw(c, &tex, kTint);
    Canvas whole(12, 12, 0xFF000000);
    whole.Draw({{6, 1, 0, 0, 0}, {11, 9, 0, 0, 0}, {1, 10, 0, 0, 0}}, &tex, kTint);
    EXPECT_EQ(fan.px, whole.px);
}

TEST_F(SWTriTest, ClippingKeepsThePixelsInsideTheClip)
{
    // Two texels over eight pixels: samples fall well inside texels, away from rounding.
    MemoryImage tex(nullptr);
    MakeTexture(tex, 2, 2, {0x80FF0000, 0x8000FF00, 0x800000FF, 0x80FFFFFF});
    std::vector<TriVertex> quad = Quad(-0.5f, -0.5f, 7.5f, 7.5f);
    Canvas full(8, 8, 0xFF000000);
    full.Draw(quad, &tex, kTint);

    struct Case {
        Rect clip;
    } cases[] = {{Rect(2, 1, 4, 5)}, {Rect(0, 0, 3, 8)}, {Rect(5, 5, 3, 3)}, {Rect(1, 6, 7, 2)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.clip.mX << "," << c.clip.mY << "," << c.clip.mWidth
                                        << "," << c.clip.mHeight);
        Canvas clipped(8, 8, 0xFF000000);
        clipped.Draw(quad, &tex, kTint, c.clip);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                // The clip's right and bottom edges are its last column and row, themselves
                // exclusive under the fill rule.
                bool inside = x >= c.clip.mX && x < c.clip.mX + c.clip.mWidth - 1 &&
                              y >= c.clip.mY && y < c.clip.mY + c.clip.mHeight - 1;
                EXPECT_EQ(clipped.At(x, y), inside ? full.At(x, y) : 0xFF000000u)
                    << x << "," << y;
            }
    }

    // Wholly left of the clip, or a clip of no size: nothing.
    Canvas none(8, 8, 0);
    none.Draw(Quad(-9, 0, -2, 7), &tex, kTint);
    none.Draw(quad, &tex, kTint, Rect(2, 2, 0, 5));
    for (uint32_t p : none.px)
        EXPECT_EQ(p, 0u);
}

TEST_F(SWTriTest, AlphaThresholdsAndBlends)
{
    struct Case {
        const char* name;
        int format;
        uint32_t dest;
        uint32_t texel;
        Color color;
        uint32_t expected;
    } cases[] = {
        {"texel alpha 8 is skipped", SWTRI_FORMAT_8888, 0xFF102030, 0x08FFFFFF, kTint, 0xFF102030},
        // a = 254 * 9 >> 8 = 8; A = 256 - (1 * 248 >> 8) = 256; alpha stored 255;
        // red = ((16 * 255 >> 8) * 248 + 254 * 8) / 256 = (15 * 248 + 2032) / 256 = 22
        {"texel alpha 9 is drawn", SWTRI_FORMAT_8888, 0xFF102030, 0x09FFFFFF, kTint, 0xFF162535},
        // a = 254 * 242 >> 8 = 240: opaque overwrite with the modulated texel
        {"alpha 240 overwrites", SWTRI_FORMAT_8888, 0x00000000, 0xF2804020, kTint, 0xFF7F3F1F},
        // a = 254 * 241 >> 8 = 239; A = 256 - (0 * 17 >> 8) = 256
        // red = ((200 * 255 >> 8) * 17 + 127 * 239) / 256 = (199 * 17 + 30353) / 256 = 131
        {"alpha 239 blends", SWTRI_FORMAT_8888, 0xFFC80000, 0xF1804020, kTint, 0xFF833A1C},
        // a = 254 * 130 >> 8 = 128; A = 256 - (256 * 128 >> 8) = 128, stored 127;
        // channel = s * 128 / 128
        {"onto transparent", SWTRI_FORMAT_8888, 0x00FFFFFF, 0x82804020,
         Color(255, 255, 255, 254), 0x7F7F3F1F},
        // colour alpha 1: a = 1 * 200 >> 8 = 0 over alpha 0: left alone, no division by zero
        {"nothing under nothing", SWTRI_FORMAT_8888, 0x00123456, 0xC8FFFFFF, Color(255, 255, 255, 1),
         0x00123456},
        // 888, a = 127: red = (200 * (255 - 127) >> 8) + (127 * 127 >> 8) = 100 + 63
        {"888 blend", SWTRI_FORMAT_888, 0x00C80000, 0x81804020, kTint, 0xFFA31F0F},
        {"888 overwrite", SWTRI_FORMAT_888, 0x00C80000, 0xF8804020, kTint, 0xFF7F3F1F},
        // components past 0..255 are cut: (300, -4, 128, 999) acts as (255, 0, 128, 255)
        {"colour cut to 0..255", SWTRI_FORMAT_8888, 0xFF000000, 0xF8804020,
         Color(300, -4, 128, 999), 0xFF7F0010},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryImage tex(nullptr);
        MakeTexture(tex, 1, 1, {c.texel});
        Canvas canvas(4, 4, c.dest);
        canvas.Draw(Quad(-0.5f, -0.5f, 3.5f, 3.5f), &tex, c.color, Rect(0, 0, 4, 4), c.format);
        EXPECT_EQ(canvas.At(1, 1), c.expected) << std::hex << canvas.At(1, 1);
    }
}

TEST_F(SWTriTest, SixteenBitFormats)
{
    MemoryImage tex(nullptr);
    MakeTexture(tex, 2, 1, {0xF2FF8040, 0x80FF8040});
    struct Case {
        const char* name;
        int format;
        uint16_t dest;
        uint16_t expectedOpaque;
        uint16_t expectedBlend;
    } cases[] = {
        // opaque: (254 >> 3) << 11 | (127 >> 2) << 5 | 63 >> 3 = 31 << 11 | 31 << 5 | 7
        // blend a = 254 * 128 >> 8 = 127, w = 128 >> 3 = 16:
        // red (31 * 16 >> 5) + (254 * 127 >> 8 >> 3) = 15 + 15, green (63 * 16 >> 5) + (126 >> 2)...
        {"565", SWTRI_FORMAT_565, 0xFFFF, 0xFBE7, static_cast<uint16_t>((30 << 11) | (46 << 5) | 18)},
        {"555", SWTRI_FORMAT_555, 0x7FFF, static_cast<uint16_t>((31 << 10) | (15 << 5) | 7),
         static_cast<uint16_t>((30 << 10) | (22 << 5) | 18)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint16_t> px(4 * 2, c.dest);
        std::vector<TriVertex> quad = Quad(-0.5f, -0.5f, 3.5f, 1.5f);
        TriangleRasterizer(quad.data(), 4, &tex, px.data(), 4 * 2, c.format, Rect(0, 0, 4, 2),
                           kTint, false, false);
        EXPECT_EQ(px[0], c.expectedOpaque) << std::hex << px[0];
        EXPECT_EQ(px[2], c.expectedBlend) << std::hex << px[2]; // column 3 is the clip edge
    }
}

// The 32-bit fillers draw spans several pixels at a time; pixel by pixel they must come out the
// same, whatever the texel and destination alphas (the thresholds, translucent and empty
// destination pixels), the span widths and ends, texel coordinates outside the texture or too
// large for 32 bits.
TEST_F(SWTriTest, WideSpansGiveThePixelsOfThePixelLoop)
{
    std::mt19937 rng(5);
    auto pick = [&](std::initializer_list<uint32_t> values) {
        return *(values.begin() + rng() % values.size());
    };
    auto alpha = [&](std::initializer_list<uint32_t> usual) {
        return rng() % 4 == 0 ? rng() % 256 : pick(usual);
    };
    constexpr int kTexW = 37, kTexH = 23, kW = 97, kH = 61;
    std::vector<uint32_t> texels(kTexW * kTexH);
    for (uint32_t& t : texels)
        t = (alpha({0, 8, 9, 100, 239, 240, 241, 255}) << 24) | (rng() & 0xFFFFFF);
    MemoryImage tex(nullptr);
    MakeTexture(tex, kTexW, kTexH, texels);
    auto coord = [&](float lo, float hi) { return lo + (hi - lo) * static_cast<float>(rng() % 10000) / 10000.0f; };

    for (int format : {SWTRI_FORMAT_8888, SWTRI_FORMAT_888}) {
        for (int round = 0; round < 150; ++round) {
            SCOPED_TRACE(testing::Message() << "format " << std::hex << format << std::dec << " round " << round);
            std::vector<TriVertex> strip(3 + rng() % 3);
            const float uvReach = round % 10 == 9 ? 1e5f : 1.4f; // some far outside the texture
            for (TriVertex& v : strip)
                v = {coord(-20, kW + 20), coord(-20, kH + 20), coord(-uvReach, uvReach), coord(-uvReach, uvReach), 0};
            const Color color(static_cast<int>(rng() % 256), static_cast<int>(rng() % 256),
                              static_cast<int>(rng() % 256), static_cast<int>(pick({1, 30, 128, 254, 255})));
            Canvas wide(kW, kH, 0), narrow(kW, kH, 0);
            for (uint32_t& p : wide.px)
                p = (rng() % 8 == 0 ? alpha({0, 1, 128, 254}) : 255u) << 24 | (rng() & 0xFFFFFF);
            narrow.px = wide.px;
            wide.Draw(strip, &tex, color, Rect(0, 0, kW, kH), format);
            SWTri_SetWideSpans(false);
            narrow.Draw(strip, &tex, color, Rect(0, 0, kW, kH), format);
            SWTri_SetWideSpans(true);
            ASSERT_EQ(wide.px, narrow.px);
        }
    }
}

TEST_F(SWTriTest, ConcurrentCallsDoNotShareClipVertices)
{
    MemoryImage tex(nullptr);
    MakeTexture(tex, 2, 2, {0x80FF0000, 0x8000FF00, 0x800000FF, 0x80FFFFFF});
    tex.RescanAlphaFlags();
    tex.GetBits();
    // Triangles that cross every clip edge, so each call makes many clip vertices.
    std::vector<TriVertex> a = {{-20, 4, 0, 0, 0}, {40, -10, 1, 0, 0}, {10, 50, 0.5f, 1, 0}};
    std::vector<TriVertex> b = {{30, -5, 1, 1, 0}, {-15, 20, 0, 0, 0}, {25, 40, 1, 0.3f, 0}};
    Canvas refA(24, 24, 0xFF000000), refB(24, 24, 0xFF000000);
    const Rect clip(3, 2, 17, 19);
    refA.Draw(a, &tex, kTint, clip);
    refB.Draw(b, &tex, kTint, clip);

    auto worker = [&](const std::vector<TriVertex>& tri, const Canvas& ref, bool& same) {
        same = true;
        for (int i = 0; i < 300 && same; ++i) {
            Canvas c(24, 24, 0xFF000000);
            c.Draw(tri, &tex, kTint, clip);
            same = c.px == ref.px;
        }
    };
    bool sameA = false, sameB = false;
    std::thread ta(worker, std::cref(a), std::cref(refA), std::ref(sameA));
    std::thread tb(worker, std::cref(b), std::cref(refB), std::ref(sameB));
    ta.join();
    tb.join();
    EXPECT_TRUE(sameA);
    EXPECT_TRUE(sameB);
}

} // namespace
