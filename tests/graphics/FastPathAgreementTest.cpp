// The row loops that blend several pixels at once give exactly the pixels of the plain
// per-pixel formulas they stand for: random sources, destinations, colours, alphas and
// rectangles (clipped, odd widths, short rows) through the memory image's own calls.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "app/QuorAppBase.h"
#include "graphics/MemoryImage.h"
#include "graphics/PixelRows.h"

using namespace Quor;

namespace {

uint32_t Ch(uint32_t p, int shift) { return (p >> shift) & 0xFF; }

// Pixels with long clear and opaque runs and translucent edges, or alpha at random.
std::vector<uint32_t> RandomPixels(std::mt19937& rng, int w, int h, bool runs)
{
    std::vector<uint32_t> px(size_t(w) * h);
    uint32_t alpha = 0;
    for (auto& p : px) {
        if (!runs || rng() % 6 == 0) {
            uint32_t k = rng() % 4;
            alpha = k == 0 ? 0 : k == 1 ? 255 : 1 + rng() % 254;
        }
        p = (alpha << 24) | (rng() & 0xFFFFFF);
    }
    return px;
}

struct Layout {
    int dw, dh, sw, sh, x, y;
    Rect src;
};

Layout RandomLayout(std::mt19937& rng)
{
    Layout l;
    l.dw = 1 + int(rng() % 40);
    l.dh = 1 + int(rng() % 12);
    l.sw = 1 + int(rng() % 40);
    l.sh = 1 + int(rng() % 12);
    l.x = int(rng() % 50) - 10;
    l.y = int(rng() % 16) - 4;
    l.src = Rect(int(rng() % 8) - 2, int(rng() % 4) - 1, int(rng() % 45), int(rng() % 14));
    return l;
}

// The destination pixels a blit touches, each given to `pixel`(dest, source).
template <class F>
void ForBlitPixels(const Layout& l, std::vector<uint32_t>& dest, const std::vector<uint32_t>& src, F pixel)
{
    for (int j = 0; j < l.src.mHeight; ++j)
        for (int i = 0; i < l.src.mWidth; ++i) {
            int sx = l.src.mX + i, sy = l.src.mY + j, dx = l.x + i, dy = l.y + j;
            if (sx < 0 || sy < 0 || sx >= l.sw || sy >= l.sh || dx < 0 || dy < 0 || dx >= l.dw || dy >= l.dh)
                continue;
            uint32_t& d = dest[size_t(dy) * l.dw + dx];
            d = pixel(d, src[size_t(sy) * l.sw + sx]);
        }
}

std::vector<uint32_t> Bits(MemoryImage& img)
{
    const uint32_t* b = img.GetBits();
    return std::vector<uint32_t>(b, b + size_t(img.GetWidth()) * img.GetHeight());
}

TEST(FastPathAgreement, AdditiveBlitWhite)
{
    std::mt19937 rng(11);
    QuorAppBase app;
    for (int trial = 0; trial < 400; ++trial) {
        SCOPED_TRACE(trial);
        Layout l = RandomLayout(rng);
        bool opaqueSource = trial % 3 == 0;
        std::vector<uint32_t> dpx = RandomPixels(rng, l.dw, l.dh, false);
        std::vector<uint32_t> spx = RandomPixels(rng, l.sw, l.sh, true);
        if (opaqueSource)
            for (auto& p : spx)
                p |= 0xFF000000u;
        MemoryImage dest(&app), src(&app);
        dest.SetBits(dpx.data(), l.dw, l.dh, true);
        src.SetBits(spx.data(), l.sw, l.sh, true);
        dest.Blt(&src, l.x, l.y, l.src, Color::White, 1);
        bool hasAlpha = std::any_of(spx.begin(), spx.end(), [](uint32_t p) { return (p >> 24) != 0 && (p >> 24) != 255; });
        ForBlitPixels(l, dpx, spx, [&](uint32_t d, uint32_t s) {
            uint32_t a = s >> 24, out = d & 0xFF000000u;
            for (int sh : {16, 8, 0}) {
                uint32_t add = hasAlpha ? (Ch(s, sh) * a) >> 8 : Ch(s, sh);
                out |= std::min<uint32_t>(Ch(d, sh) + add, 255) << sh;
            }
            return out;
        });
        ASSERT_EQ(Bits(dest), dpx);
    }
}

TEST(FastPathAgreement, NormalBlitOntoOpaque)
{
    std::mt19937 rng(12);
    QuorAppBase app;
    for (int trial = 0; trial < 400; ++trial) {
        SCOPED_TRACE(trial);
        Layout l = RandomLayout(rng);
        std::vector<uint32_t> dpx = RandomPixels(rng, l.dw, l.dh, false);
        for (auto& p : dpx)
            p |= 0xFF000000u;
        std::vector<uint32_t> spx = RandomPixels(rng, l.sw, l.sh, true);
        MemoryImage dest(&app), src(&app);
        dest.SetBits(dpx.data(), l.dw, l.dh, true);
        src.SetBits(spx.data(), l.sw, l.sh, true);
        dest.Blt(&src, l.x, l.y, l.src, Color::White, 0);
        ForBlitPixels(l, dpx, spx, [](uint32_t d, uint32_t s) {
            uint32_t a = s >> 24, na = 256 - a;
            if (a == 0)
                return d;
            if (a == 255)
                return s;
            // Red and green rounded once over both products, blue once per product.
            uint32_t r = (Ch(d, 16) * na + Ch(s, 16) * a) >> 8;
            uint32_t g = (Ch(d, 8) * na + Ch(s, 8) * a) >> 8;
            uint32_t b = ((Ch(d, 0) * na) >> 8) + ((Ch(s, 0) * a) >> 8);
            return 0xFF000000u | r << 16 | g << 8 | b;
        });
        ASSERT_EQ(Bits(dest), dpx);
    }
}

TEST(FastPathAgreement, Fills)
{
    std::mt19937 rng(13);
    for (int trial = 0; trial < 400; ++trial) {
        SCOPED_TRACE(trial);
        int w = 1 + int(rng() % 40), h = 1 + int(rng() % 10);
        // Rows of one alpha (opaque or not) or of mixed alphas.
        std::vector<uint32_t> dpx = RandomPixels(rng, w, h, false);
        uint32_t rowAlpha = rng() % 3 == 0 ? 0xFF : rng() % 256;
        if (trial % 2 == 0)
            for (auto& p : dpx)
                p = (p & 0xFFFFFF) | rowAlpha << 24;
        Color c(int(rng() % 256), int(rng() % 256), int(rng() % 256), trial % 5 == 0 ? 255 : int(rng() % 256));
        Rect r(int(rng() % 12) - 3, int(rng() % 6) - 2, int(rng() % 48), int(rng() % 12));
        MemoryImage img(nullptr);
        img.SetBits(dpx.data(), w, h, true);
        img.FillRect(r, c, 0);
        for (int y = std::max(r.mY, 0); y < std::min(r.mY + r.mHeight, h); ++y)
            for (int x = std::max(r.mX, 0); x < std::min(r.mX + r.mWidth, w); ++x) {
                uint32_t& d = dpx[size_t(y) * w + x];
                uint32_t a = uint32_t(c.mAlpha);
                if (a == 0)
                    continue;
                if (a == 255) {
                    d = 0xFF000000u | uint32_t(c.mRed) << 16 | uint32_t(c.mGreen) << 8 | uint32_t(c.mBlue);
                    continue;
                }
                uint32_t dA = d >> 24, na = dA + (255 - dA) * a / 255;
                uint32_t f = na > 0 ? a * 255 / na : 0, nf = 256 - f;
                d = na << 24 | ((Ch(d, 16) * nf + uint32_t(c.mRed) * f) >> 8) << 16 |
                    ((Ch(d, 8) * nf + uint32_t(c.mGreen) * f) >> 8) << 8 | ((Ch(d, 0) * nf + uint32_t(c.mBlue) * f) >> 8);
            }
        ASSERT_EQ(Bits(img), dpx);
    }
}

} // namespace

namespace {

// Each processor form of a row loop against the plain formula, over every row length up to 40
// and every start alignment, with alphas of 0 and 255 in runs among random ones.
TEST(FastPathAgreement, RowForms)
{
    std::mt19937 rng(14);
    using Form = void (*)(uint32_t*, const uint32_t*, int);
    auto additive = [](uint32_t dd, uint32_t ss) {
        uint32_t a = ss >> 24, out = dd & 0xFF000000u;
        for (int sh : {16, 8, 0})
            out |= std::min<uint32_t>(Ch(dd, sh) + ((Ch(ss, sh) * a) >> 8), 255) << sh;
        return out;
    };
    auto over = [](uint32_t dd, uint32_t ss) {
        uint32_t a = ss >> 24, na = 256 - a;
        if (a == 0)
            return dd;
        if (a == 255)
            return ss;
        return 0xFF000000u | ((Ch(dd, 16) * na + Ch(ss, 16) * a) >> 8) << 16 |
               ((Ch(dd, 8) * na + Ch(ss, 8) * a) >> 8) << 8 | (((Ch(dd, 0) * na) >> 8) + ((Ch(ss, 0) * a) >> 8));
    };
    struct Row {
        const char* name;
        std::vector<Form> forms;
        uint32_t (*formula)(uint32_t, uint32_t);
        bool opaqueDest;
    } rows[] = {
        {"additive", {PixelRows::AddAlphaScaledSse2, PixelRows::AddAlphaScaled}, additive, false},
        {"over opaque", {PixelRows::OverOpaqueRowSse2, PixelRows::OverOpaqueRow}, over, true},
    };
    std::vector<uint32_t> s(48), d(48);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (int n = 0; n <= 40; ++n)
            for (int off = 0; off < 4; ++off) {
                uint32_t alpha = 0;
                for (auto& p : s) {
                    if (rng() % 5 == 0)
                        alpha = rng() % 3 == 0 ? 0 : rng() % 2 == 0 ? 255 : rng() % 256;
                    p = alpha << 24 | (rng() & 0xFFFFFF);
                }
                for (auto& p : d)
                    p = row.opaqueDest ? (rng() | 0xFF000000u) : rng();
                std::vector<uint32_t> expect = d;
                for (int i = 0; i < n; ++i)
                    expect[off + i] = row.formula(d[off + i], s[off + i]);
                for (Form form : row.forms) {
                    std::vector<uint32_t> got = d;
                    form(got.data() + off, s.data() + off, n);
                    ASSERT_EQ(got, expect) << n << " " << off;
                }
            }
    }
}

// The alpha scan finds what a look at every pixel finds, on runs of any length and offset,
// and keeps flags that were already set.
TEST(FastPathAgreement, AlphaScan)
{
    std::mt19937 rng(15);
    std::vector<uint32_t> px(3000);
    for (int round = 0; round < 400; ++round) {
        // Mostly opaque pixels with a few clear or translucent ones placed anywhere, or none.
        for (auto& p : px)
            p = 0xFF000000u | (rng() & 0xFFFFFF);
        for (int k = int(rng() % 3); k > 0; --k)
            px[rng() % px.size()] &= 0x00FFFFFFu;
        for (int k = int(rng() % 3); k > 0; --k) {
            const uint32_t edge[] = {1, 254, static_cast<uint32_t>(1 + rng() % 254)};
            px[rng() % px.size()] = (edge[rng() % 3] << 24) | (rng() & 0xFFFFFF);
        }
        const size_t off = rng() % 5, n = rng() % 2 == 0 ? rng() % 40 : rng() % (px.size() - off);
        bool trans = false, alpha = false;
        for (size_t i = off; i < off + n; ++i) {
            trans |= px[i] >> 24 == 0;
            alpha |= px[i] >> 24 != 0 && px[i] >> 24 != 255;
        }
        for (bool preset : {false, true}) {
            bool gotTrans = preset, gotAlpha = false;
            PixelRows::ScanAlpha(px.data() + off, n, gotTrans, gotAlpha);
            ASSERT_EQ(gotTrans, trans || preset) << round << " " << n;
            ASSERT_EQ(gotAlpha, alpha) << round << " " << n;
        }
    }
}

// The palette built with runs skipped whole is the one a look at every pixel builds: colours
// in order of first appearance, each pixel's index naming its colour; runs of every length
// at every offset, and a 257th colour refused wherever it first appears.
TEST(FastPathAgreement, PaletteOfRuns)
{
    std::mt19937 rng(16);
    for (int round = 0; round < 300; ++round) {
        const int w = 1 + int(rng() % 70), h = 1 + int(rng() % 9);
        const uint32_t colours = round % 10 == 0 ? 300 : 1 + rng() % 256;
        std::vector<uint32_t> px;
        while (px.size() < size_t(w) * h) {
            const uint32_t c = 0x01000000u * (rng() % 3 == 0 ? 0x80 : 0xFF) + rng() % colours;
            px.insert(px.end(), 1 + rng() % 40, c);
        }
        px.resize(size_t(w) * h);
        std::vector<uint32_t> order;
        for (uint32_t c : px)
            if (std::find(order.begin(), order.end(), c) == order.end())
                order.push_back(c);

        MemoryImage image(nullptr);
        image.SetBits(px.data(), w, h);
        ASSERT_EQ(image.Palletize(), order.size() <= 256) << round;
        if (order.size() > 256) {
            ASSERT_EQ(std::vector<uint32_t>(image.mBits, image.mBits + px.size()), px) << round;
            continue;
        }
        ASSERT_EQ(std::vector<uint32_t>(image.mPaletteColors, image.mPaletteColors + order.size()), order);
        for (size_t i = 0; i < px.size(); ++i)
            ASSERT_EQ(image.mPaletteColors[image.mPaletteIndices[i]], px[i]) << round << " " << i;
    }
}

} // namespace
