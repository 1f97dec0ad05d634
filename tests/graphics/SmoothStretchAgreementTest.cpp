// The smooth stretch's several-pixel loops against the plain loops they replaced, kept here as
// the reference: random pictures (translucent and opaque destinations, clear and opaque source
// areas), enlargements, reductions, fractional source windows and clipped destinations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "graphics/MemoryImage.h"

using namespace Quor;

namespace {

struct AlphaOverTable {
    uint8_t newAlpha[256][256]; // [a][dA]
    uint16_t factor[256][256];  // [a][dA]; f, 0..255
    AlphaOverTable()
    {
        for (int a = 0; a < 256; ++a)
            for (int d = 0; d < 256; ++d) {
                int na = d + (255 - d) * a / 255;
                newAlpha[a][d] = static_cast<uint8_t>(na);
                factor[a][d] = static_cast<uint16_t>(na > 0 ? a * 255 / na : 0);
            }
    }
};

const AlphaOverTable& AlphaOver()
{
    static const AlphaOverTable table;
    return table;
}

struct Tap {
    int src;
    int dst;
    uint32_t weight;
};

std::vector<Tap> AxisTaps(int first, int count, double start, double size, int dstSize)
{
    std::vector<Tap> taps;
    const int last = first + count - 1;
    if (static_cast<double>(dstSize) > size) {
        double step = dstSize > 1 ? (size - 1.0) / (dstSize - 1) : size;
        taps.reserve(static_cast<size_t>(dstSize) * 2);
        for (int j = 0; j < dstSize; ++j) {
            double p = start + j * step;
            int i = static_cast<int>(p);
            uint32_t w = static_cast<uint32_t>(std::clamp((1.0 - (p - i)) * 257.0, 0.0, 257.0));
            taps.push_back({std::clamp(i, first, last), j, w});
            if (w < 257)
                taps.push_back({std::clamp(i + 1, first, last), j, 257 - w});
        }
    } else {
        double k = dstSize / size;
        taps.reserve(static_cast<size_t>(count) * 2);
        for (int i = first; i <= last; ++i) {
            double a = (i - start) * k;
            double b = a + k;
            double cell = std::floor(a);
            int c = static_cast<int>(cell);
            if (b <= cell + 1.0) {
                if (c >= 0 && c < dstSize)
                    taps.push_back({i, c, static_cast<uint32_t>(257.0 * k)});
            } else {
                if (c >= 0 && c < dstSize)
                    taps.push_back({i, c, static_cast<uint32_t>(257.0 * (cell + 1.0 - a))});
                if (c + 1 >= 0 && c + 1 < dstSize)
                    taps.push_back({i, c + 1, static_cast<uint32_t>(257.0 * (b - cell - 1.0))});
            }
        }
    }
    return taps;
}

void ReferenceSmoothStretch(MemoryImage* theDest, MemoryImage* srcImage, const Rect& theDestRect,
                            const RectD& theSrcRect)
{
    uint32_t* dst = theDest->GetBits();
    const uint32_t* src = srcImage->GetBits();
    const int srcW = srcImage->GetWidth();
    const int srcH = srcImage->GetHeight();
    const int dw = theDestRect.mWidth;
    const int dh = theDestRect.mHeight;
    if (dst == nullptr || src == nullptr || dw <= 0 || dh <= 0 || !(theSrcRect.mWidth > 0) ||
        !(theSrcRect.mHeight > 0) || !std::isfinite(theSrcRect.mX) || !std::isfinite(theSrcRect.mY))
        return;

    // The source window, cut to the source image.
    auto window = [](double start, double size, int limit, int& first, int& count) {
        double f = std::floor(start);
        double end = f + std::ceil(start - f + size);
        double lo = std::max(f, 0.0);
        double hi = std::min(end, static_cast<double>(limit));
        if (!(hi > lo))
            return false;
        first = static_cast<int>(lo);
        count = static_cast<int>(hi) - first;
        return count > 0;
    };
    int wx, ww, wy, wh;
    if (!window(theSrcRect.mX, theSrcRect.mWidth, srcW, wx, ww) ||
        !window(theSrcRect.mY, theSrcRect.mHeight, srcH, wy, wh))
        return;

    std::vector<Tap> tx = AxisTaps(wx, ww, theSrcRect.mX, theSrcRect.mWidth, dw);
    std::vector<Tap> ty = AxisTaps(wy, wh, theSrcRect.mY, theSrcRect.mHeight, dh);

    // Destination rows one by one, each the weighted sum of horizontally filtered source rows.
    // Rows are asked for in non-decreasing order, so a few cached rows suffice.
    std::stable_sort(ty.begin(), ty.end(), [](const Tap& a, const Tap& b) { return a.dst < b.dst; });
    constexpr int kSlots = 4;
    const size_t rowWords = static_cast<size_t>(dw) * 4;
    // A horizontally filtered channel is at most 257 * 255, so it fits 16 bits.
    std::vector<uint16_t> slots(rowWords * kSlots);
    int tags[kSlots] = {-1, -1, -1, -1};
    auto filteredRow = [&](int srcRow) -> const uint16_t* {
        int slot = srcRow % kSlots;
        uint16_t* acc = slots.data() + rowWords * slot;
        if (tags[slot] != srcRow) {
            std::fill_n(acc, rowWords, uint16_t(0));
            const uint32_t* s = src + static_cast<size_t>(srcRow) * srcW;
            for (const Tap& t : tx) {
                uint32_t p = s[t.src];
                uint16_t* cell = acc + static_cast<size_t>(t.dst) * 4;
                cell[0] = static_cast<uint16_t>(cell[0] + t.weight * (p >> 24));
                cell[1] = static_cast<uint16_t>(cell[1] + t.weight * ((p >> 16) & 0xFF));
                cell[2] = static_cast<uint16_t>(cell[2] + t.weight * ((p >> 8) & 0xFF));
                cell[3] = static_cast<uint16_t>(cell[3] + t.weight * (p & 0xFF));
            }
            tags[slot] = srcRow;
        }
        return acc;
    };

    const AlphaOverTable& table = AlphaOver();
    const int destW = theDest->GetWidth();
    const int destH = theDest->GetHeight();
    std::vector<uint32_t> cells(rowWords);
    size_t next = 0;
    for (int j = 0; j < dh; ++j) {
        size_t first = next;
        while (next < ty.size() && ty[next].dst == j)
            ++next;
        int y = theDestRect.mY + j;
        if (y < 0 || y >= destH)
            continue;
        std::fill(cells.begin(), cells.end(), 0u);
        for (size_t k = first; k < next; ++k) {
            const uint16_t* from = filteredRow(ty[k].src);
            const uint32_t w = ty[k].weight;
            for (size_t i = 0; i < rowWords; ++i)
                cells[i] += w * from[i];
        }
        const uint32_t* cell = cells.data();
        uint32_t* row = dst + static_cast<size_t>(y) * destW;
        for (int i = 0; i < dw; ++i, cell += 4) {
            int x = theDestRect.mX + i;
            if (x < 0 || x >= destW)
                continue;
            // A full-weight pixel gathers 257 * 257 times its value; 255 would come out as 256.
            uint32_t a = std::min<uint32_t>(cell[0] >> 16, 255);
            if (a == 0)
                continue;
            uint32_t& d = row[x];
            auto ch = [&](uint32_t s, int shift) {
                return std::min<uint32_t>(((s * a) >> 8) + ((((d >> shift) & 0xFF) * (256 - a)) >> 8),
                                          255);
            };
            uint32_t r = ch(std::min<uint32_t>(cell[1] >> 16, 255), 16);
            uint32_t g = ch(std::min<uint32_t>(cell[2] >> 16, 255), 8);
            uint32_t b = ch(std::min<uint32_t>(cell[3] >> 16, 255), 0);
            uint32_t na = table.newAlpha[a][d >> 24];
            d = (na << 24) | (r << 16) | (g << 8) | b;
        }
    }
}

TEST(SmoothStretchAgreement, RandomPicturesAndWindows)
{
    std::mt19937 rng(21);
    auto pictureOf = [&](int w, int h, bool opaque) {
        std::vector<uint32_t> px(size_t(w) * h);
        uint32_t a = 0;
        for (auto& p : px) {
            if (rng() % 7 == 0)
                a = rng() % 3 == 0 ? 0 : rng() % 2 == 0 ? 255 : rng() % 256;
            p = (opaque ? 255u : a) << 24 | (rng() & 0xFFFFFF);
        }
        return px;
    };
    for (int trial = 0; trial < 300; ++trial) {
        SCOPED_TRACE(trial);
        int sw = 1 + int(rng() % 30), sh = 1 + int(rng() % 20);
        int dw = 1 + int(rng() % 70), dh = 1 + int(rng() % 40);
        std::vector<uint32_t> spx = pictureOf(sw, sh, false);
        std::vector<uint32_t> dpx = pictureOf(dw, dh, trial % 2 == 0);
        Rect destRect(int(rng() % 20) - 8, int(rng() % 10) - 4, 1 + int(rng() % 80), 1 + int(rng() % 50));
        RectD srcRect((rng() % 40) / 8.0, (rng() % 24) / 8.0, 0.5 + (rng() % 200) / 8.0, 0.5 + (rng() % 120) / 8.0);
        MemoryImage source(nullptr), fast(nullptr), plain(nullptr);
        source.SetBits(spx.data(), sw, sh, true);
        fast.SetBits(dpx.data(), dw, dh, true);
        plain.SetBits(dpx.data(), dw, dh, true);
        MemoryImage::SmoothStretchBlt(&fast, &source, destRect, srcRect);
        ReferenceSmoothStretch(&plain, &source, destRect, srcRect);
        const uint32_t* a = fast.GetBits();
        const uint32_t* b = plain.GetBits();
        ASSERT_EQ(std::vector<uint32_t>(a, a + dw * dh), std::vector<uint32_t>(b, b + dw * dh));
    }
}

} // namespace
