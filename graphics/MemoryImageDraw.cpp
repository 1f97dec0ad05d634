// Software drawing into a memory image's 32-bit ARGB pixels: fills, lines, coverage spans, the
// normal and additive blitters, stretching, the bilinear rotated blit, and the matrix and
// triangle draws through the triangle rasterizer.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <type_traits>
#include <vector>

#include "app/QuorAppBase.h"
#include "graphics/Matrix.h"
#include "graphics/MemoryImage.h"
#include "graphics/PixelRows.h"
#include "graphics/SampleTrim.h"
#include "graphics/SWTri.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace Quor {

namespace {

// A colour with its components cut to 0..255.
struct Channels {
    uint32_t r, g, b, a;
};

Channels ClampColor(const Color& c)
{
    auto cl = [](int v) { return static_cast<uint32_t>(std::clamp(v, 0, 255)); };
    return {cl(c.mRed), cl(c.mGreen), cl(c.mBlue), cl(c.mAlpha)};
}

// Saturating add table used when an image belongs to no application.
struct FallbackAddTable {
    uint8_t table[512];
    FallbackAddTable()
    {
        for (int i = 0; i < 512; ++i)
            table[i] = static_cast<uint8_t>(std::min(i, 255));
    }
};

const uint8_t* AddTable(const MemoryImage* theDest)
{
    if (theDest->mApp != nullptr)
        return theDest->mApp->mAdd8BitMaxTable;
    static const FallbackAddTable fallback;
    return fallback.table;
}

// Alpha-over factors for a source weight a over a destination alpha dA:
// new alpha A' = dA + (255 - dA) * a / 255 and f = a * 255 / A', looked up instead of divided.
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

// Alpha-over with exact per-channel arithmetic (d * (256 - f) + c * f) >> 8; a in 1..255.
inline uint32_t BlendExact(uint32_t d, uint32_t r, uint32_t g, uint32_t b, uint32_t a,
                           const AlphaOverTable& t)
{
    uint32_t dA = d >> 24;
    uint32_t na = t.newAlpha[a][dA];
    uint32_t f = t.factor[a][dA];
    uint32_t nf = 256 - f;
    uint32_t nr = (((d >> 16) & 0xFF) * nf + r * f) >> 8;
    uint32_t ng = (((d >> 8) & 0xFF) * nf + g * f) >> 8;
    uint32_t nb = ((d & 0xFF) * nf + b * f) >> 8;
    return (na << 24) | (nr << 16) | (ng << 8) | nb;
}

// Alpha-over with each channel the sum of the two shifted products; a in 1..255.
inline uint32_t BlendShifted(uint32_t d, uint32_t s, uint32_t a, const AlphaOverTable& t)
{
    uint32_t dA = d >> 24;
    uint32_t na = t.newAlpha[a][dA];
    uint32_t f = t.factor[a][dA];
    uint32_t nf = 256 - f;
    uint32_t rb = ((((d & 0x00FF00FF) * nf) >> 8) + (((s & 0x00FF00FF) * f) >> 8)) & 0x00FF00FF;
    uint32_t g = ((((d & 0x0000FF00) * nf) >> 8) + (((s & 0x0000FF00) * f) >> 8)) & 0x0000FF00;
    return (na << 24) | rb | g;
}

// Blend onto an opaque destination: red and blue as one word, green alone.
inline uint32_t BlendOpaque(uint32_t d, uint32_t s, uint32_t a)
{
    uint32_t na = 256 - a;
    uint32_t rb = ((((d & 0x00FF00FF) * na) >> 8) + (((s & 0x00FF00FF) * a) >> 8)) & 0xFFFF00FF;
    uint32_t g = ((((d & 0x0000FF00) * na) >> 8) + (((s & 0x0000FF00) * a) >> 8)) & 0x0000FF00;
    return rb | g | 0xFF000000u;
}

// Read access to a source image's pixels: the 32-bit form, or the palette form directly.
struct BitsSource {
    const uint32_t* bits;
    uint32_t operator[](size_t i) const { return bits[i]; }
};

struct PaletteSource {
    const uint32_t* colors;
    const uint8_t* indices;
    uint32_t operator[](size_t i) const { return colors[indices[i]]; }
};

MemoryImage* AsSource(Image* theImage)
{
    if (theImage == nullptr)
        return nullptr;
    theImage->mDrawn = true;
    return dynamic_cast<MemoryImage*>(theImage);
}

bool InsideImage(const Rect& r, const Image* theImage)
{
    return r.mX >= 0 && r.mY >= 0 && r.mWidth >= 0 && r.mHeight >= 0 &&
           int64_t(r.mX) + r.mWidth <= theImage->GetWidth() &&
           int64_t(r.mY) + r.mHeight <= theImage->GetHeight();
}

Rect ImageBounds(const Image* theImage)
{
    return Rect(0, 0, theImage->GetWidth(), theImage->GetHeight());
}

// A blit's rectangles after cutting the source to its image and the destination to its own.
struct BltArea {
    int srcX, srcY, dstX, dstY, width, height;
};

bool ClipBlt(const Image* theDest, const Image* theSrc, int theX, int theY, const Rect& theSrcRect,
             BltArea& area)
{
    int64_t sx = theSrcRect.mX, sy = theSrcRect.mY, w = theSrcRect.mWidth, h = theSrcRect.mHeight;
    int64_t dx = theX, dy = theY;
    auto cut = [](int64_t& s, int64_t& d, int64_t& len, int64_t sLimit, int64_t dLimit) {
        if (s < 0) {
            d -= s;
            len += s;
            s = 0;
        }
        if (d < 0) {
            s -= d;
            len += d;
            d = 0;
        }
        len = std::min({len, sLimit - s, dLimit - d});
    };
    cut(sx, dx, w, theSrc->GetWidth(), theDest->GetWidth());
    cut(sy, dy, h, theSrc->GetHeight(), theDest->GetHeight());
    if (w <= 0 || h <= 0)
        return false;
    area = {static_cast<int>(sx), static_cast<int>(sy), static_cast<int>(dx),
            static_cast<int>(dy), static_cast<int>(w),   static_cast<int>(h)};
    return true;
}

// ----- normal blit -----

template <class Src>
void NormalBltOpaqueWhite(uint32_t* dst, int dstW, const Src& src, const uint8_t* rl, int srcW,
                          const BltArea& ar)
{
    if constexpr (std::is_same_v<Src, BitsSource>) {
        // 32-bit sources go row by row, four pixels a step, without the run lengths.
        for (int j = 0; j < ar.height; ++j)
            PixelRows::OverOpaqueRow(dst + static_cast<size_t>(ar.dstY + j) * dstW + ar.dstX,
                                     src.bits + static_cast<size_t>(ar.srcY + j) * srcW + ar.srcX, ar.width);
        return;
    }
    for (int j = 0; j < ar.height; ++j) {
        size_t sRow = static_cast<size_t>(ar.srcY + j) * srcW + ar.srcX;
        uint32_t* d = dst + static_cast<size_t>(ar.dstY + j) * dstW + ar.dstX;
        const uint8_t* run = rl + sRow;
        int i = 0;
        while (i < ar.width) {
            int n = std::min<int>(std::max<int>(run[i], 1), ar.width - i);
            uint32_t first = src[sRow + i];
            uint32_t a = first >> 24;
            if (a == 255) {
                for (int k = 0; k < n; ++k)
                    d[i + k] = src[sRow + i + k];
            } else if (a != 0) {
                for (int k = 0; k < n; ++k) {
                    uint32_t s = src[sRow + i + k];
                    d[i + k] = BlendOpaque(d[i + k], s, s >> 24);
                }
            }
            i += n;
        }
    }
}

template <class Src>
void NormalBltWhite(uint32_t* dst, int dstW, const Src& src, int srcW, const BltArea& ar)
{
    const AlphaOverTable& t = AlphaOver();
    for (int j = 0; j < ar.height; ++j) {
        size_t sRow = static_cast<size_t>(ar.srcY + j) * srcW + ar.srcX;
        uint32_t* d = dst + static_cast<size_t>(ar.dstY + j) * dstW + ar.dstX;
        for (int i = 0; i < ar.width; ++i) {
            uint32_t s = src[sRow + i];
            uint32_t a = s >> 24;
            if (a != 0)
                d[i] = BlendShifted(d[i], s, a, t);
        }
    }
}

// A tinted blit: the source scaled by the colour, then over the destination. A grey colour
// scales red and blue together in one multiply.
template <bool Grey, class Src>
void NormalBltTinted(uint32_t* dst, int dstW, const Src& src, int srcW, const BltArea& ar, const Channels& c)
{
    const AlphaOverTable& t = AlphaOver();
    for (int j = 0; j < ar.height; ++j) {
        size_t sRow = static_cast<size_t>(ar.srcY + j) * srcW + ar.srcX;
        uint32_t* d = dst + static_cast<size_t>(ar.dstY + j) * dstW + ar.dstX;
        for (int i = 0; i < ar.width; ++i) {
            uint32_t s = src[sRow + i];
            uint32_t a = (s >> 24) * c.a / 255;
            if (a == 0)
                continue;
            uint32_t dd = d[i];
            uint32_t dA = dd >> 24;
            uint32_t na = t.newAlpha[a][dA];
            uint32_t f = t.factor[a][dA];
            uint32_t nf = 256 - f;
            if constexpr (Grey) {
                const uint32_t r = c.r;
                uint32_t rb = (((((((s & 0x00FF00FF) * r) >> 8) & 0x00FF00FF) * f) >> 8) +
                               (((dd & 0x00FF00FF) * nf) >> 8)) &
                              0x00FF00FF;
                uint32_t g = ((((s & 0x0000FF00) * f * r) >> 16) + (((dd & 0x0000FF00) * nf) >> 8)) &
                             0x0000FF00;
                d[i] = (na << 24) | rb | g;
            } else {
                uint32_t red = (((((s & 0x00FF0000) * f) >> 8) * c.r) >> 8) +
                               (((dd & 0x00FF0000) * nf) >> 8);
                uint32_t green = (((s & 0x0000FF00) * f * c.g) >> 16) + (((dd & 0x0000FF00) * nf) >> 8);
                uint32_t blue = (((s & 0xFF) * f * c.b) >> 16) + (((dd & 0xFF) * nf) >> 8);
                d[i] = (na << 24) | (red & 0x00FF0000) | (green & 0x0000FF00) | (blue & 0xFF);
            }
        }
    }
}

template <class Src>
void NormalBlt(MemoryImage* theDest, uint32_t* dst, MemoryImage* theSrc, const Src& src,
               const BltArea& ar, const Color& theColor)
{
    const int dstW = theDest->GetWidth();
    const int srcW = theSrc->GetWidth();
    bool white = theColor.IsWhite();
    if (white) {
        if (!theDest->mHasTrans && !theDest->mHasAlpha) {
            const uint8_t* rl = theSrc->GetRLAlphaData();
            if (rl != nullptr) {
                NormalBltOpaqueWhite(dst, dstW, src, rl, srcW, ar);
                return;
            }
        }
        NormalBltWhite(dst, dstW, src, srcW, ar);
        return;
    }
    Channels c = ClampColor(theColor);
    if (c.r == c.g && c.g == c.b)
        NormalBltTinted<true>(dst, dstW, src, srcW, ar, c);
    else
        NormalBltTinted<false>(dst, dstW, src, srcW, ar, c);
}

// ----- additive blit -----

// One form of the additive blit; the form is fixed for the whole blit, so the inner loop
// carries no tests.
// The sums saturate at 255 (the application's add table holds min(i, 255)).
template <bool White, bool HasAlpha, class Src>
void AdditiveRows(uint32_t* dst, int dstW, const Src& src, int srcW, const BltArea& ar,
                  uint32_t pr, uint32_t pg, uint32_t pb)
{
    for (int j = 0; j < ar.height; ++j) {
        size_t sRow = static_cast<size_t>(ar.srcY + j) * srcW + ar.srcX;
        uint32_t* d = dst + static_cast<size_t>(ar.dstY + j) * dstW + ar.dstX;
        if constexpr (White && std::is_same_v<Src, BitsSource>) {
            if constexpr (HasAlpha)
                PixelRows::AddAlphaScaled(d, src.bits + sRow, ar.width);
            else
                PixelRows::AddSaturate(d, src.bits + sRow, ar.width);
            continue;
        }
        for (int i = 0; i < ar.width; ++i) {
            uint32_t s = src[sRow + i];
            uint32_t sr = (s >> 16) & 0xFF, sg = (s >> 8) & 0xFF, sb = s & 0xFF, sa = s >> 24;
            uint32_t addR, addG, addB;
            if constexpr (White && HasAlpha) {
                addR = (sr * sa) >> 8;
                addG = (sg * sa) >> 8;
                addB = (sb * sa) >> 8;
            } else if constexpr (White) {
                addR = sr;
                addG = sg;
                addB = sb;
            } else if constexpr (HasAlpha) {
                addR = (sr * pr * sa) >> 16;
                addG = (sg * pg * sa) >> 16;
                addB = (((sb * pb) >> 8) * sa) >> 8;
            } else {
                addR = (sr * pr) >> 8;
                addG = (sg * pg) >> 8;
                addB = (sb * pb) >> 8;
            }
            uint32_t dd = d[i];
            auto sat = [](uint32_t v) { return std::min<uint32_t>(v, 255); };
            d[i] = (dd & 0xFF000000u) | (sat(((dd >> 16) & 0xFF) + addR) << 16) |
                   (sat(((dd >> 8) & 0xFF) + addG) << 8) | sat((dd & 0xFF) + addB);
        }
    }
}

template <class Src>
void AdditiveBlt(MemoryImage* theDest, uint32_t* dst, MemoryImage* theSrc, const Src& src,
                 const BltArea& ar, const Color& theColor)
{
    const int dstW = theDest->GetWidth();
    const int srcW = theSrc->GetWidth();
    theSrc->RescanAlphaFlags();
    const bool hasAlpha = theSrc->mHasAlpha;
    Channels c = ClampColor(theColor);
    // The colour premultiplied by its alpha.
    const uint32_t pr = c.r * c.a / 255, pg = c.g * c.a / 255, pb = c.b * c.a / 255;
    if (theColor.IsWhite()) {
        if (hasAlpha)
            AdditiveRows<true, true>(dst, dstW, src, srcW, ar, pr, pg, pb);
        else
            AdditiveRows<true, false>(dst, dstW, src, srcW, ar, pr, pg, pb);
    } else if (hasAlpha) {
        AdditiveRows<false, true>(dst, dstW, src, srcW, ar, pr, pg, pb);
    } else {
        AdditiveRows<false, false>(dst, dstW, src, srcW, ar, pr, pg, pb);
    }
}

// ----- lines -----

bool UsableCoordinate(double v)
{
    return std::isfinite(v) && std::fabs(v) < 1073741824.0;
}

// Writes line pixels, skipping those outside the destination.
class LinePlotter {
public:
    LinePlotter(MemoryImage* theDest, uint32_t* bits, const Color& theColor, int theDrawMode)
        : mBits(bits), mWidth(theDest->GetWidth()), mHeight(theDest->GetHeight()),
          mAdditive(theDrawMode == 1), mTable(AddTable(theDest))
    {
        Channels c = ClampColor(theColor);
        if (mAdditive) {
            mAddR = (c.r * c.a) >> 8;
            mAddG = (c.g * c.a) >> 8;
            mAddB = (c.b * c.a) >> 8;
        } else if (c.a == 255) {
            mOpaque = true;
            mWord = 0xFF000000u | (((c.r * 255 + 127) >> 8) << 16) | (((c.g * 255 + 127) >> 8) << 8) |
                    ((c.b * 255 + 127) >> 8);
        } else {
            mInvA = 256 - c.a;
            mQR = ((((c.r * c.a + 128) >> 8) * 255) + 127) >> 8;
            mQG = ((((c.g * c.a + 128) >> 8) * 255) + 127) >> 8;
            mQB = ((((c.b * c.a + 128) >> 8) * 255) + 127) >> 8;
        }
    }

    void Plot(int x, int y)
    {
        if (x < 0 || y < 0 || x >= mWidth || y >= mHeight)
            return;
        uint32_t& p = mBits[static_cast<size_t>(y) * mWidth + x];
        uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        if (mAdditive) {
            p = 0xFF000000u | (uint32_t(mTable[r + mAddR]) << 16) | (uint32_t(mTable[g + mAddG]) << 8) |
                mTable[b + mAddB];
        } else if (mOpaque) {
            p = mWord;
        } else {
            auto ch = [&](uint32_t d, uint32_t q) { return std::min<uint32_t>(((d * mInvA + 127) >> 8) + q, 255); };
            p = 0xFF000000u | (ch(r, mQR) << 16) | (ch(g, mQG) << 8) | ch(b, mQB);
        }
    }

private:
    uint32_t* mBits;
    int mWidth, mHeight;
    bool mAdditive;
    const uint8_t* mTable;
    bool mOpaque = false;
    uint32_t mWord = 0;
    uint32_t mInvA = 0, mQR = 0, mQG = 0, mQB = 0;
    uint32_t mAddR = 0, mAddG = 0, mAddB = 0;
};

// Bresenham walk between float end points along the major axis (vertical on a tie).
void WalkLine(double x1, double y1, double x2, double y2, LinePlotter& plot)
{
    bool yMajor = std::fabs(y2 - y1) >= std::fabs(x2 - x1);
    double maj0 = yMajor ? y1 : x1, min0 = yMajor ? x1 : y1;
    double maj1 = yMajor ? y2 : x2, min1 = yMajor ? x2 : y2;
    if (maj0 > maj1) {
        std::swap(maj0, maj1);
        std::swap(min0, min1);
    }
    double dmajor = maj1 - maj0;
    double dminor = std::fabs(min1 - min0);
    int minorStep = min1 >= min0 ? 1 : -1;
    double whole;
    double frac = std::modf(min0, &whole);
    int twoMinor = static_cast<int>(2.0 * dminor);
    int twoMajor = static_cast<int>(2.0 * dmajor);
    int error = static_cast<int>(frac * twoMinor + static_cast<int>(2.0 * dminor - dmajor));

    int major = static_cast<int>(maj0);
    int minor = static_cast<int>(min0);
    int majorEnd = static_cast<int>(maj1);
    int minorLo = static_cast<int>(std::min(min0, min1));
    int minorHi = static_cast<int>(std::max(min0, min1));
    auto put = [&](int ma, int mi) {
        if (yMajor)
            plot.Plot(mi, ma);
        else
            plot.Plot(ma, mi);
    };
    put(major, minor);
    for (;;) {
        ++major;
        if (error >= 1) {
            minor += minorStep;
            error += twoMinor - twoMajor;
        } else {
            error += twoMinor;
        }
        if (major > majorEnd || minor < minorLo || minor > minorHi)
            break;
        put(major, minor);
    }
}

// One antialiased line pixel of weight w (0..255), skipped outside the destination.
void PlotAA(uint32_t* bits, int width, int height, int x, int y, uint32_t w, const Channels& c,
            const AlphaOverTable& t)
{
    if (w == 0 || x < 0 || y < 0 || x >= width || y >= height)
        return;
    uint32_t a = c.a == 255 ? w : (w * (c.a + 1)) >> 8;
    if (a == 0)
        return;
    uint32_t& p = bits[static_cast<size_t>(y) * width + x];
    p = BlendExact(p, c.r, c.g, c.b, std::min<uint32_t>(a, 255), t);
}

void WalkLineAA(MemoryImage* theDest, uint32_t* bits, double x1, double y1, double x2, double y2,
                const Color& theColor)
{
    const AlphaOverTable& t = AlphaOver();
    Channels c = ClampColor(theColor);
    const int width = theDest->GetWidth();
    const int height = theDest->GetHeight();
    if (static_cast<int>(y1) > static_cast<int>(y2)) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    double dx = x2 - x1;
    double adx = std::fabs(dx), ady = std::fabs(y2 - y1);
    int xdir = dx >= 0 ? 1 : -1;
    double ix, iy;
    double fx = std::fabs(std::modf(x1, &ix));
    double fy = std::fabs(std::modf(y1, &iy));
    uint32_t acc = std::min<uint32_t>(static_cast<uint32_t>(std::lround(fx * fy * 65536.0)), 0xFFFF);
    int x = static_cast<int>(x1);
    int y = static_cast<int>(y1);

    // The start pixel, weighted like the far end.
    PlotAA(bits, width, height, x, y, 255 - (acc >> 8), c, t);
    if (ady >= adx) {
        uint32_t step = static_cast<uint32_t>(std::lround(65536.0 * adx / ady));
        int n = static_cast<int>(y2) - static_cast<int>(y1);
        for (int i = 1; i < n; ++i) {
            acc += step;
            if (acc > 0xFFFF) {
                acc &= 0xFFFF;
                x += xdir;
            }
            ++y;
            uint32_t w = acc >> 8;
            PlotAA(bits, width, height, x, y, 255 - w, c, t);
            PlotAA(bits, width, height, x + xdir, y, w, c, t);
        }
    } else {
        uint32_t step = static_cast<uint32_t>(std::lround(65536.0 * ady / adx));
        int n = std::abs(static_cast<int>(x2) - static_cast<int>(x1));
        for (int i = 1; i < n; ++i) {
            acc += step;
            if (acc > 0xFFFF) {
                acc &= 0xFFFF;
                ++y;
            }
            x += xdir;
            uint32_t w = acc >> 8;
            PlotAA(bits, width, height, x, y, 255 - w, c, t);
            PlotAA(bits, width, height, x, y + 1, w, c, t);
        }
    }
    PlotAA(bits, width, height, static_cast<int>(x2), static_cast<int>(y2), 255 - (acc >> 8), c,
           t);
}

// ----- stretching -----

void FastStretch(uint32_t* dst, int dstW, MemoryImage* theSrc, const Rect& theDest,
                 const RectD& theSrcRect)
{
    const uint32_t* src = theSrc->GetBits();
    const int srcW = theSrc->GetWidth();
    const int srcH = theSrc->GetHeight();
    if (src == nullptr || srcW <= 0 || srcH <= 0)
        return;
    const AlphaOverTable& t = AlphaOver();
    const double sx = theSrcRect.mWidth / theDest.mWidth;
    const double sy = theSrcRect.mHeight / theDest.mHeight;
    std::vector<int> columns(static_cast<size_t>(theDest.mWidth));
    for (int i = 0; i < theDest.mWidth; ++i)
        columns[i] = std::clamp(static_cast<int>(theSrcRect.mX + i * sx), 0, srcW - 1);
    for (int j = 0; j < theDest.mHeight; ++j) {
        int row = std::clamp(static_cast<int>(theSrcRect.mY + j * sy), 0, srcH - 1);
        const uint32_t* s = src + static_cast<size_t>(row) * srcW;
        uint32_t* d = dst + static_cast<size_t>(theDest.mY + j) * dstW + theDest.mX;
        for (int i = 0; i < theDest.mWidth; ++i) {
            uint32_t p = s[columns[i]];
            uint32_t a = p >> 24;
            if (a == 0)
                continue;
            uint32_t dd = d[i];
            uint32_t dA = dd >> 24;
            uint32_t na = t.newAlpha[a][dA];
            uint32_t f = t.factor[a][dA];
            uint32_t nf = 256 - f;
            auto ch = [&](int shift) {
                return ((((dd >> shift) & 0xFF) * nf) >> 8) + ((((p >> shift) & 0xFF) * f) >> 8);
            };
            d[i] = (na << 24) | (ch(16) << 16) | (ch(8) << 8) | ch(0);
        }
    }
}

// One contribution of a source pixel to a destination cell along an axis, weight in 1/257.
struct Tap {
    int src;
    int dst;
    uint32_t weight;
};

// Taps of one axis: source window [first, first + count) in source pixels, the source span
// starting at start with the given size, onto dstSize cells.
void AxisTaps(int first, int count, double start, double size, int dstSize, std::vector<Tap>& taps)
{
    taps.clear();
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
}

// Taps in the order of their destination, ties kept in order. They come nearly in that order
// (a shrinking axis puts a source pixel's second cell before the next pixel's first), so a
// pass of insertion suffices.
void SortByDestination(std::vector<Tap>& taps)
{
    for (size_t k = 1; k < taps.size(); ++k) {
        if (taps[k - 1].dst <= taps[k].dst)
            continue;
        const Tap t = taps[k];
        size_t m = k;
        while (m > 0 && taps[m - 1].dst > t.dst) {
            taps[m] = taps[m - 1];
            --m;
        }
        taps[m] = t;
    }
}

// A destination cell fed by at most two source pixels (every cell of an enlarging axis): both
// pixels and their weights, four times each, so that a cell is filtered in one step.
struct TapPair {
    int src0 = 0;
    int src1 = 0;
    alignas(16) uint16_t weights[8] = {};
};

// The taps of one axis as one pair per destination cell, cells without taps weighing nothing.
// False when some cell has more than two taps. Taps of weight 0 add nothing and are left out.
bool PairTaps(const std::vector<Tap>& taps, int dstSize, std::vector<TapPair>& pairs)
{
    pairs.assign(static_cast<size_t>(dstSize), TapPair{});
    for (const Tap& t : taps) {
        if (t.weight == 0)
            continue;
        TapPair& pair = pairs[static_cast<size_t>(t.dst)];
        // A place is taken once its weight is set.
        const int n = pair.weights[0] == 0 ? 0 : pair.weights[4] == 0 ? 1 : 2;
        if (n == 2)
            return false;
        (n == 0 ? pair.src0 : pair.src1) = t.src;
        std::fill_n(pair.weights + 4 * n, 4, static_cast<uint16_t>(t.weight));
    }
    return true;
}

} // namespace

// ----- geometry shared with the display image -----

// A mirrored transform can hand over a rectangle whose x is its right edge: the same
// rectangle with a positive width and height.
static Rect Upright(Rect r)
{
    if (r.mWidth < 0) {
        r.mX += r.mWidth;
        r.mWidth = -r.mWidth;
    }
    if (r.mHeight < 0) {
        r.mY += r.mHeight;
        r.mHeight = -r.mHeight;
    }
    return r;
}

bool ClipStretchBlt(const Rect& theDestRect, const Rect& theClipRect, const Rect& theSrcRect,
                    Rect& theClippedDest, RectD& theClippedSrc)
{
    const Rect dest = Upright(theDestRect);
    if (dest.mWidth == 0 || dest.mHeight == 0)
        return false;
    theClippedDest = dest.Intersection(theClipRect);
    double sx = static_cast<double>(theSrcRect.mWidth) / dest.mWidth;
    double sy = static_cast<double>(theSrcRect.mHeight) / dest.mHeight;
    theClippedSrc.mX = theSrcRect.mX + (theClippedDest.mX - dest.mX) * sx;
    theClippedSrc.mY = theSrcRect.mY + (theClippedDest.mY - dest.mY) * sy;
    theClippedSrc.mWidth = theSrcRect.mWidth + sx * (theClippedDest.mWidth - dest.mWidth);
    theClippedSrc.mHeight = theSrcRect.mHeight + sy * (theClippedDest.mHeight - dest.mHeight);
    return theClippedSrc.mWidth > 0 && theClippedSrc.mHeight > 0 && theClippedDest.mWidth > 0 &&
           theClippedDest.mHeight > 0;
}

bool ClipStretchBltMirror(const Rect& theDestRect, const Rect& theClipRect,
                          const Rect& theSrcRect, Rect& theClippedDest, RectD& theClippedSrc)
{
    const Rect dest = Upright(theDestRect);
    if (!ClipStretchBlt(dest, theClipRect, theSrcRect, theClippedDest, theClippedSrc))
        return false;
    double sx = static_cast<double>(theSrcRect.mWidth) / dest.mWidth;
    theClippedSrc.mX = theSrcRect.mX +
                       (dest.mX + dest.mWidth - theClippedDest.mX - theClippedDest.mWidth) * sx;
    return true;
}

bool GetRotatedBltBounds(float theX, float theY, const Rect& theSrcRect, float theRotCenterX,
                         float theRotCenterY, double theRot, const Rect& theClipRect,
                         RectD& theBounds)
{
    const double c = std::cos(theRot);
    const double s = std::sin(theRot);
    const double w = theSrcRect.mWidth, h = theSrcRect.mHeight;
    const double corners[4][2] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (int i = 0; i < 4; ++i) {
        double dx = corners[i][0] - theRotCenterX;
        double dy = corners[i][1] - theRotCenterY;
        double px = theX + theRotCenterX + c * dx + s * dy;
        double py = theY + theRotCenterY - s * dx + c * dy;
        if (i == 0 || px < minX)
            minX = px;
        if (i == 0 || px > maxX)
            maxX = px;
        if (i == 0 || py < minY)
            minY = py;
        if (i == 0 || py > maxY)
            maxY = py;
    }
    RectD box(minX, minY, maxX - minX, maxY - minY);
    theBounds = box.Intersection(RectD(theClipRect.mX, theClipRect.mY, theClipRect.mWidth,
                                       theClipRect.mHeight));
    return theBounds.mWidth > 0 && theBounds.mHeight > 0;
}

namespace {

// Trims a row's pixel range [first, last] so that the 2 x 2 neighbourhood of every sample
// stays inside a source extent of size pixels; false when the row draws nothing.
bool TrimAxis(int64_t start, int64_t step, int64_t size, int64_t& first, int64_t& last)
{
    if (step >= 1) {
        if ((start >> 16) >= size - 1)
            return false;
        first = std::max(first, (65536 - start) / step);
        last = std::min(last, (size * 65536 - start - 0x17FFF) / step);
    } else if (step <= -1) {
        if ((start >> 16) < 0)
            return false;
        first = std::max(first, (size * 65536 - start - 0x27FFF) / step);
        last = std::min(last, (0x7FFF - start) / step);
    } else if (!(start >= 0 && start < (size - 1) * 65536)) {
        return false;
    }
    return TrimSamplesInside(start, step, size, first, last);
}

template <class Src>
void RotatedBlt(uint32_t* dst, int dstW, const uint8_t* addTable, const Src& src, int srcW,
                const Rect& theSrcRect, float theX, float theY, const RectD& box, double theRot,
                float theRotCenterX, float theRotCenterY, const Color& theColor, int theDrawMode)
{
    const double c = std::cos(theRot);
    const double s = std::sin(theRot);
    const int64_t du = static_cast<int64_t>(c * 65536.0);
    const int64_t dv = static_cast<int64_t>(s * 65536.0);
    const int x0 = static_cast<int>(box.mX);
    const int y0 = static_cast<int>(box.mY);
    const int64_t lastIndex = static_cast<int64_t>(box.mWidth - 1);
    const int64_t rowCount = static_cast<int64_t>(box.mHeight - 1) + 1;
    const bool white = theColor.IsWhite();
    const Channels col = ClampColor(theColor);
    const uint32_t cr1 = col.r + 1, cg1 = col.g + 1, cb1 = col.b + 1;
    const uint32_t addR = col.r * col.a / 255, addG = col.g * col.a / 255,
                   addB = col.b * col.a / 255;
    const size_t base = static_cast<size_t>(theSrcRect.mY) * srcW + theSrcRect.mX;

    for (int64_t row = 0; row < rowCount; ++row) {
        int y = y0 + static_cast<int>(row);
        float X = static_cast<float>(x0 - theRotCenterX - theX);
        float Y = static_cast<float>(y - theRotCenterY - theY);
        int64_t us = static_cast<int64_t>((c * X - s * Y + theRotCenterX) * 65536.0);
        int64_t vs = static_cast<int64_t>((s * X + c * Y + theRotCenterY) * 65536.0);
        int64_t first = 0, last = lastIndex;
        if (!TrimAxis(us, du, theSrcRect.mWidth, first, last) ||
            !TrimAxis(vs, dv, theSrcRect.mHeight, first, last))
            continue;
        uint32_t* d = dst + static_cast<size_t>(y) * dstW + x0;
        int64_t u = us + first * du;
        int64_t v = vs + first * dv;
        for (int64_t k = first; k <= last; ++k, u += du, v += dv) {
            size_t at = base + static_cast<size_t>(v >> 16) * srcW + static_cast<size_t>(u >> 16);
            uint32_t p[4] = {src[at], src[at + 1], src[at + srcW], src[at + srcW + 1]};
            uint32_t fx = static_cast<uint32_t>((u & 0xFFFE) + 1);
            uint32_t fy = static_cast<uint32_t>((v & 0xFFFE) + 1);
            uint32_t factor[4] = {
                static_cast<uint32_t>((uint64_t(65536 - fx) * (65536 - fy)) >> 16),
                static_cast<uint32_t>((uint64_t(fx) * (65536 - fy)) >> 16),
                static_cast<uint32_t>((uint64_t(65536 - fx) * fy) >> 16),
                static_cast<uint32_t>((uint64_t(fx) * fy) >> 16)};
            uint32_t w[4];
            uint32_t A = 0, sr = 0, sg = 0, sb = 0;
            for (int n = 0; n < 4; ++n) {
                w[n] = (factor[n] * (p[n] >> 24)) >> 16;
                if (!white && theDrawMode == 0)
                    w[n] = (w[n] * col.a) >> 8;
                A += w[n];
                sr += w[n] * ((p[n] >> 16) & 0xFF);
                sg += w[n] * ((p[n] >> 8) & 0xFF);
                sb += w[n] * (p[n] & 0xFF);
            }
            uint32_t& dp = d[k];
            if (theDrawMode == 1) {
                uint32_t ar = (sr * addR) >> 16, ag = (sg * addG) >> 16, ab = (sb * addB) >> 16;
                dp = (dp & 0xFF000000u) | (uint32_t(addTable[((dp >> 16) & 0xFF) + ar]) << 16) |
                     (uint32_t(addTable[((dp >> 8) & 0xFF) + ag]) << 8) |
                     addTable[(dp & 0xFF) + ab];
                continue;
            }
            if (A == 0)
                continue;
            uint32_t Sr, Sg, Sb;
            if (white) {
                Sr = sr >> 8;
                Sg = sg >> 8;
                Sb = sb >> 8;
            } else {
                Sr = (sr * cr1) >> 16;
                Sg = ((sg & ~0xFFu) * cg1) >> 16;
                Sb = ((sb & ~0xFFu) * cb1) >> 16;
            }
            if (A >= 251) {
                dp = 0xFF000000u | (std::min(Sr, 255u) << 16) | (std::min(Sg, 255u) << 8) |
                     std::min(Sb, 255u);
                continue;
            }
            uint32_t dA = dp >> 24;
            uint32_t kk = ((256 - dA) * (256 - A)) >> 8;
            uint32_t div = 256 - kk;
            auto ch = [&](uint32_t dc, uint32_t S) {
                return std::min<uint32_t>((((dc * dA) >> 8) * (256 - A) + S * 256) / div, 255);
            };
            dp = ((255 - kk) << 24) | (ch((dp >> 16) & 0xFF, Sr) << 16) |
                 (ch((dp >> 8) & 0xFF, Sg) << 8) | ch(dp & 0xFF, Sb);
        }
    }
}

} // namespace

// ----- MemoryImage members -----

void MemoryImage::FillRect(const Rect& theRect, const Color& theColor, int /*theDrawMode*/)
{
    uint32_t* bits = GetBits();
    Rect r = theRect.Intersection(ImageBounds(this));
    Channels c = ClampColor(theColor);
    if (bits != nullptr && r.mWidth > 0 && r.mHeight > 0 && c.a > 0) {
        if (c.a == 255) {
            // Whole rows make one block; wmemset stores 32-bit words at the C library's speed.
            static_assert(sizeof(wchar_t) == sizeof(uint32_t));
            wchar_t word = static_cast<wchar_t>((c.a << 24) | (c.r << 16) | (c.g << 8) | c.b);
            auto* first = reinterpret_cast<wchar_t*>(bits + static_cast<size_t>(r.mY) * mWidth + r.mX);
            if (r.mWidth == mWidth)
                std::wmemset(first, word, static_cast<size_t>(r.mWidth) * r.mHeight);
            else
                for (int y = 0; y < r.mHeight; ++y)
                    std::wmemset(first + static_cast<size_t>(y) * mWidth, word, static_cast<size_t>(r.mWidth));
        } else {
            // One colour over the whole rectangle: the factors depend only on the destination
            // alpha. A row whose pixels share one alpha (an opaque screen, say) is blended in a
            // loop without tests.
            const AlphaOverTable& t = AlphaOver();
            for (int y = r.mY; y < r.mY + r.mHeight; ++y) {
                uint32_t* p = bits + static_cast<size_t>(y) * mWidth + r.mX;
                uint32_t all = 0xFFFFFFFFu, any = 0;
                for (int x = 0; x < r.mWidth; ++x) {
                    all &= p[x];
                    any |= p[x];
                }
                if ((all >> 24) == (any >> 24)) {
                    uint32_t dA = all >> 24;
                    PixelRows::BlendColor(p, r.mWidth, c.r, c.g, c.b, t.factor[c.a][dA], t.newAlpha[c.a][dA]);
                } else {
                    for (int x = 0; x < r.mWidth; ++x)
                        p[x] = BlendExact(p[x], c.r, c.g, c.b, c.a, t);
                }
            }
        }
    }
    BitsChanged();
}

void MemoryImage::ClearRect(const Rect& theRect)
{
    uint32_t* bits = GetBits();
    Rect r = theRect.Intersection(ImageBounds(this));
    if (bits != nullptr && r.mWidth > 0 && r.mHeight > 0)
        for (int y = r.mY; y < r.mY + r.mHeight; ++y)
            std::fill_n(bits + static_cast<size_t>(y) * mWidth + r.mX, r.mWidth, 0u);
    BitsChanged();
}

// A line whose four coordinates can all be drawn with.
static bool UsableLine(double x1, double y1, double x2, double y2)
{
    return UsableCoordinate(x1) && UsableCoordinate(y1) && UsableCoordinate(x2) && UsableCoordinate(y2);
}

void MemoryImage::DrawLine(double theStartX, double theStartY, double theEndX, double theEndY,
                           const Color& theColor, int theDrawMode)
{
    uint32_t* bits = GetBits();
    const bool usable = UsableLine(theStartX, theStartY, theEndX, theEndY);
    if (usable && theStartY == theEndY) {
        int x = static_cast<int>(std::min(theStartX, theEndX));
        FillRect(Rect(x, static_cast<int>(theStartY), static_cast<int>(std::max(theStartX, theEndX)) - x + 1,
                      static_cast<int>(theEndY - theStartY + 1)),
                 theColor, theDrawMode);
        return;
    }
    if (usable && theStartX == theEndX) {
        int y = static_cast<int>(std::min(theStartY, theEndY));
        FillRect(Rect(static_cast<int>(theStartX), y, static_cast<int>(theEndX - theStartX + 1),
                      static_cast<int>(std::max(theStartY, theEndY)) - y + 1),
                 theColor, theDrawMode);
        return;
    }
    if (usable && bits != nullptr && (theDrawMode == 0 || theDrawMode == 1)) {
        LinePlotter plot(this, bits, theColor, theDrawMode);
        WalkLine(theStartX, theStartY, theEndX, theEndY, plot);
    }
    BitsChanged();
}

void MemoryImage::DrawLineAA(double theStartX, double theStartY, double theEndX, double theEndY,
                             const Color& theColor, int theDrawMode)
{
    uint32_t* bits = GetBits();
    const bool usable = UsableLine(theStartX, theStartY, theEndX, theEndY);
    if (usable && (theStartY == theEndY || theStartX == theEndX)) {
        DrawLine(theStartX, theStartY, theEndX, theEndY, theColor, theDrawMode);
        return;
    }
    if (usable && bits != nullptr && theDrawMode == 0)
        WalkLineAA(this, bits, theStartX, theStartY, theEndX, theEndY, theColor);
    BitsChanged();
}

void MemoryImage::FillScanLinesWithCoverage(Span* theSpans, int theSpanCount,
                                            const Color& theColor, int /*theDrawMode*/,
                                            const uint8_t* theCoverage, int theCoverX,
                                            int theCoverY, int theCoverWidth, int theCoverHeight)
{
    uint32_t* bits = GetBits();
    if (bits != nullptr && theSpans != nullptr && theCoverage != nullptr) {
        const AlphaOverTable& t = AlphaOver();
        Channels c = ClampColor(theColor);
        for (int n = 0; n < theSpanCount; ++n) {
            const Span& span = theSpans[n];
            if (span.mY < 0 || span.mY >= mHeight)
                continue;
            int64_t row = int64_t(span.mY) - theCoverY;
            for (int64_t x = span.mX; x < int64_t(span.mX) + span.mWidth; ++x) {
                int64_t col = x - theCoverX;
                // Only pixels of the image, and only coverage bytes inside the buffer.
                if (x < 0 || x >= mWidth || row < 0 || row >= theCoverHeight || col < 0 ||
                    col >= theCoverWidth)
                    continue;
                uint32_t cover = theCoverage[row * theCoverWidth + col];
                uint32_t a = (c.a * (cover + 1)) >> 8;
                if (a == 0)
                    continue;
                uint32_t& p = bits[static_cast<size_t>(span.mY) * mWidth + x];
                p = BlendExact(p, c.r, c.g, c.b, a, t);
            }
        }
    }
    BitsChanged();
}

void MemoryImage::Blt(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                      const Color& theColor, int theDrawMode)
{
    uint32_t* bits = GetBits();
    MemoryImage* src = AsSource(theImage);
    BltArea area;
    if (bits != nullptr && src != nullptr && (theDrawMode == 0 || theDrawMode == 1) &&
        ClipBlt(this, src, theX, theY, theSrcRect, area)) {
        if (src->mPaletteColors != nullptr && src->mPaletteIndices != nullptr) {
            PaletteSource ps{src->mPaletteColors, src->mPaletteIndices};
            if (theDrawMode == 0)
                NormalBlt(this, bits, src, ps, area, theColor);
            else
                AdditiveBlt(this, bits, src, ps, area, theColor);
        } else if (const uint32_t* sb = src->GetBits(); sb != nullptr) {
            BitsSource bs{sb};
            if (theDrawMode == 0)
                NormalBlt(this, bits, src, bs, area, theColor);
            else
                AdditiveBlt(this, bits, src, bs, area, theColor);
        }
    }
    BitsChanged();
}

void MemoryImage::BltF(Image* theImage, float theX, float theY, const Rect& theSrcRect,
                       const Rect& theClipRect, const Color& theColor, int theDrawMode)
{
    BltRotated(theImage, theX, theY, theSrcRect, theClipRect, theColor, theDrawMode, 0.0, 0.0f,
               0.0f);
}

void MemoryImage::BltRotated(Image* theImage, float theX, float theY, const Rect& theSrcRect,
                             const Rect& theClipRect, const Color& theColor, int theDrawMode,
                             double theRot, float theRotCenterX, float theRotCenterY)
{
    uint32_t* bits = GetBits();
    MemoryImage* src = AsSource(theImage);
    RectD box;
    if (bits != nullptr && src != nullptr && (theDrawMode == 0 || theDrawMode == 1) &&
        InsideImage(theSrcRect, src) && std::isfinite(theRot) && std::isfinite(theX) &&
        std::isfinite(theY) && std::isfinite(theRotCenterX) && std::isfinite(theRotCenterY) &&
        GetRotatedBltBounds(theX, theY, theSrcRect, theRotCenterX, theRotCenterY, theRot,
                            theClipRect.Intersection(ImageBounds(this)), box)) {
        const uint8_t* table = AddTable(this);
        if (src->mPaletteColors != nullptr && src->mPaletteIndices != nullptr) {
            PaletteSource ps{src->mPaletteColors, src->mPaletteIndices};
            RotatedBlt(bits, mWidth, table, ps, src->GetWidth(), theSrcRect, theX, theY, box,
                       theRot, theRotCenterX, theRotCenterY, theColor, theDrawMode);
        } else if (const uint32_t* sb = src->GetBits(); sb != nullptr) {
            BitsSource bs{sb};
            RotatedBlt(bits, mWidth, table, bs, src->GetWidth(), theSrcRect, theX, theY, box,
                       theRot, theRotCenterX, theRotCenterY, theColor, theDrawMode);
        }
    }
    BitsChanged();
}

void MemoryImage::StretchBlt(Image* theImage, const Rect& theDestRect, const Rect& theSrcRect,
                             const Rect& theClipRect, const Color& theColor, int /*theDrawMode*/,
                             bool fastStretch)
{
    uint32_t* bits = GetBits();
    MemoryImage* src = AsSource(theImage);
    Rect dest;
    RectD srcD;
    if (bits != nullptr && src != nullptr &&
        ClipStretchBlt(theDestRect, theClipRect.Intersection(ImageBounds(this)), theSrcRect, dest,
                       srcD)) {
        if (fastStretch) {
            if (theColor.IsWhite())
                FastStretch(bits, mWidth, src, dest, srcD);
        } else {
            SmoothStretchBlt(this, src, dest, srcD);
        }
    }
    BitsChanged();
}

#if defined(__x86_64__)
// Four destination pixels a step of a smoothly stretched row whose sums come from one or two
// filtered source rows (w0 * f0 + w1 * f1, four 16-bit channels a pixel): each channel
// ((s * a) >> 8) + ((d * (256 - a)) >> 8), pixels of alpha 0 kept, the alpha byte 255 over
// opaque pixels and from the table otherwise. Returns the pixels done.
__attribute__((target("avx2"))) static int SmoothRowAvx2(uint32_t* d, const uint16_t* f0, const uint16_t* f1,
                                                  uint32_t w0, uint32_t w1, int n, const AlphaOverTable& table)
{
    const __m256i vw0 = _mm256_set1_epi16(static_cast<short>(w0)), vw1 = _mm256_set1_epi16(static_cast<short>(w1));
    const __m256i k255 = _mm256_set1_epi16(255), k256 = _mm256_set1_epi16(256);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i alphaWords = _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15,
                                                6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    int i = 0;
    for (; i + 4 <= n; i += 4) {
        const size_t word = static_cast<size_t>(i) * 4;
        __m256i a0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(f0 + word));
        __m256i a1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(f1 + word));
        __m256i lo0 = _mm256_mullo_epi16(a0, vw0), hi0 = _mm256_mulhi_epu16(a0, vw0);
        __m256i lo1 = _mm256_mullo_epi16(a1, vw1), hi1 = _mm256_mulhi_epu16(a1, vw1);
        // Pixels 0 and 2, then 1 and 3 (the halves of the register work apart).
        __m256i c0 = _mm256_add_epi32(_mm256_unpacklo_epi16(lo0, hi0), _mm256_unpacklo_epi16(lo1, hi1));
        __m256i c1 = _mm256_add_epi32(_mm256_unpackhi_epi16(lo0, hi0), _mm256_unpackhi_epi16(lo1, hi1));
        __m256i sv = _mm256_min_epi16(_mm256_packs_epi32(_mm256_srli_epi32(c0, 16), _mm256_srli_epi32(c1, 16)), k255);
        __m256i av = _mm256_shuffle_epi8(sv, alphaWords);
        __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        __m256i dv = _mm256_cvtepu8_epi16(old);
        __m256i mixed = _mm256_add_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(sv, av), 8),
                                         _mm256_srli_epi16(_mm256_mullo_epi16(dv, _mm256_sub_epi16(k256, av)), 8));
        mixed = _mm256_min_epi16(mixed, k255);
        mixed = _mm256_blendv_epi8(mixed, dv, _mm256_cmpeq_epi16(av, zero));
        __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(mixed, zero), 0x08);
        __m128i out = _mm256_castsi256_si128(packed);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(_mm_and_si128(old, opaque), opaque)) == 0xFFFF) {
            // Over opaque pixels the alpha stays 255 whatever is blended in.
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_or_si128(out, opaque));
            continue;
        }
        // Otherwise each blended pixel's alpha byte from the table.
        alignas(32) uint16_t s16[16];
        alignas(16) uint32_t before[4];
        _mm256_store_si256(reinterpret_cast<__m256i*>(s16), sv);
        _mm_store_si128(reinterpret_cast<__m128i*>(before), old);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), out);
        for (int k = 0; k < 4; ++k) {
            uint32_t a = s16[4 * k + 3];
            if (a != 0)
                d[i + k] = (d[i + k] & 0x00FFFFFFu) | uint32_t(table.newAlpha[a][before[k] >> 24]) << 24;
        }
    }
    return i;
}
#endif

void MemoryImage::SmoothStretchBlt(MemoryImage* theDest, Image* theImage,
                                   const Rect& theDestRect, const RectD& theSrcRect)
{
    MemoryImage* srcImage = AsSource(theImage);
    if (theDest == nullptr || srcImage == nullptr)
        return;
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

    // The working rows stay with the thread from one call to the next: particles and effects
    // stretch hundreds of small pictures a frame.
    static thread_local std::vector<Tap> tx, ty;
    static thread_local std::vector<TapPair> txPairs;
    static thread_local std::vector<uint16_t> slots;
    static thread_local std::vector<uint32_t> cells;
    AxisTaps(wx, ww, theSrcRect.mX, theSrcRect.mWidth, dw, tx);
    AxisTaps(wy, wh, theSrcRect.mY, theSrcRect.mHeight, dh, ty);
#if defined(__SSE2__)
    const bool paired = PairTaps(tx, dw, txPairs);
#endif

    // Destination rows one by one, each the weighted sum of horizontally filtered source rows.
    // Rows are asked for in non-decreasing order, so a few cached rows suffice.
    SortByDestination(ty);
    constexpr int kSlots = 4;
    const size_t rowWords = static_cast<size_t>(dw) * 4;
    // A horizontally filtered channel is at most 257 * 255, so it fits 16 bits. A slot is
    // cleared when a row is filtered into it.
    slots.resize(rowWords * kSlots);
    int tags[kSlots] = {-1, -1, -1, -1};
    auto filteredRow = [&](int srcRow) -> const uint16_t* {
        int slot = srcRow % kSlots;
        uint16_t* acc = slots.data() + rowWords * slot;
        if (tags[slot] != srcRow) {
            const uint32_t* s = src + static_cast<size_t>(srcRow) * srcW;
            // A cell holds blue, green, red and alpha, the order of the pixel's bytes.
#if defined(__SSE2__)
            if (paired) {
                // Every cell at once from its two pixels, no cell waiting on another.
                for (size_t j = 0; j < txPairs.size(); ++j) {
                    const TapPair& pair = txPairs[j];
                    __m128i px = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(s[pair.src0])),
                                                    _mm_cvtsi32_si128(static_cast<int>(s[pair.src1])));
                    px = _mm_unpacklo_epi8(px, _mm_setzero_si128());
                    __m128i m = _mm_mullo_epi16(px, _mm_load_si128(reinterpret_cast<const __m128i*>(pair.weights)));
                    _mm_storel_epi64(reinterpret_cast<__m128i*>(acc + j * 4), _mm_add_epi16(m, _mm_srli_si128(m, 8)));
                }
                tags[slot] = srcRow;
                return acc;
            }
#endif
            std::fill_n(acc, rowWords, uint16_t(0));
#if defined(__SSE2__)
            // Taps of one cell follow each other: their sum is kept in a register and added to
            // the cell once.
            __m128i sum = _mm_setzero_si128();
            int cur = -1;
            auto flush = [&]() {
                if (cur >= 0) {
                    auto* cell = reinterpret_cast<__m128i*>(acc + static_cast<size_t>(cur) * 4);
                    _mm_storel_epi64(cell, _mm_add_epi16(_mm_loadl_epi64(cell), sum));
                }
            };
            for (const Tap& t : tx) {
                if (t.dst != cur) {
                    flush();
                    cur = t.dst;
                    sum = _mm_setzero_si128();
                }
                __m128i px = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(s[t.src])), _mm_setzero_si128());
                sum = _mm_add_epi16(sum, _mm_mullo_epi16(px, _mm_set1_epi16(static_cast<short>(t.weight))));
            }
            flush();
#else
            for (const Tap& t : tx) {
                uint32_t p = s[t.src];
                uint16_t* cell = acc + static_cast<size_t>(t.dst) * 4;
                for (int c = 0; c < 4; ++c)
                    cell[c] = static_cast<uint16_t>(cell[c] + t.weight * ((p >> (8 * c)) & 0xFF));
            }
#endif
            tags[slot] = srcRow;
        }
        return acc;
    };

    const AlphaOverTable& table = AlphaOver();
    const int destW = theDest->GetWidth();
    const int destH = theDest->GetHeight();
    cells.resize(rowWords);
#if defined(__x86_64__)
    static const bool useAvx2 = __builtin_cpu_supports("avx2");
#endif
    size_t next = 0;
    for (int j = 0; j < dh; ++j) {
        size_t first = next;
        while (next < ty.size() && ty[next].dst == j)
            ++next;
        int y = theDestRect.mY + j;
        if (y < 0 || y >= destH)
            continue;
        // With one or two vertical taps (any enlargement) the sums are formed where they are
        // used; more taps are summed into the cells first.
        const size_t taps = next - first;
        const bool direct = taps >= 1 && taps <= 2;
        const uint16_t* f0 = nullptr;
        const uint16_t* f1 = nullptr;
        uint32_t w0 = 0, w1 = 0;
        if (direct) {
            f0 = filteredRow(ty[first].src);
            w0 = ty[first].weight;
            if (taps == 2) {
                f1 = filteredRow(ty[first + 1].src);
                w1 = ty[first + 1].weight;
            } else {
                f1 = f0;
            }
        } else {
            std::fill(cells.begin(), cells.end(), 0u);
            for (size_t k = first; k < next; ++k) {
                const uint16_t* from = filteredRow(ty[k].src);
                const uint32_t w = ty[k].weight;
                for (size_t i = 0; i < rowWords; ++i)
                    cells[i] += w * from[i];
            }
        }
        auto sumAt = [&](size_t word) -> uint32_t {
            return direct ? w0 * f0[word] + w1 * f1[word] : cells[word];
        };
        uint32_t* row = dst + static_cast<size_t>(y) * destW;
        // Only the columns on the destination.
        const int iStart = std::max(0, -theDestRect.mX);
        const int iEnd = static_cast<int>(std::min<int64_t>(dw, int64_t(destW) - theDestRect.mX));
        int i = iStart;
#if defined(__x86_64__)
        if (direct && useAvx2)
            i += SmoothRowAvx2(row + theDestRect.mX + i, f0 + static_cast<size_t>(i) * 4, f1 + static_cast<size_t>(i) * 4,
                               w0, w1, iEnd - i, table);
#endif
#if defined(__SSE2__)
        // Two pixels a step: each channel ((s * a) >> 8) + ((d * (256 - a)) >> 8), the alpha
        // byte from the table afterwards; pixels of alpha 0 keep their value.
        const __m128i zero = _mm_setzero_si128();
        const __m128i k255 = _mm_set1_epi16(255), k256 = _mm_set1_epi16(256);
        const __m128i vw0 = _mm_set1_epi16(static_cast<short>(w0)), vw1 = _mm_set1_epi16(static_cast<short>(w1));
        for (; i + 2 <= iEnd; i += 2) {
            const size_t word = static_cast<size_t>(i) * 4;
            __m128i c0, c1;
            if (direct) {
                __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f0 + word));
                __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(f1 + word));
                __m128i lo0 = _mm_mullo_epi16(a0, vw0), hi0 = _mm_mulhi_epu16(a0, vw0);
                __m128i lo1 = _mm_mullo_epi16(a1, vw1), hi1 = _mm_mulhi_epu16(a1, vw1);
                c0 = _mm_add_epi32(_mm_unpacklo_epi16(lo0, hi0), _mm_unpacklo_epi16(lo1, hi1));
                c1 = _mm_add_epi32(_mm_unpackhi_epi16(lo0, hi0), _mm_unpackhi_epi16(lo1, hi1));
            } else {
                c0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells.data() + word));
                c1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(cells.data() + word + 4));
            }
            c0 = _mm_srli_epi32(c0, 16);
            c1 = _mm_srli_epi32(c1, 16);
            __m128i sv = _mm_min_epi16(_mm_packs_epi32(c0, c1), k255);
            __m128i av = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sv, 0xFF), 0xFF);
            uint32_t* d = row + theDestRect.mX + i;
            __m128i dv = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(d)), zero);
            __m128i mixed = _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(sv, av), 8),
                                          _mm_srli_epi16(_mm_mullo_epi16(dv, _mm_sub_epi16(k256, av)), 8));
            mixed = _mm_min_epi16(mixed, k255);
            __m128i clear = _mm_cmpeq_epi16(av, zero);
            mixed = _mm_or_si128(_mm_and_si128(clear, dv), _mm_andnot_si128(clear, mixed));
            uint32_t old0 = d[0], old1 = d[1];
            __m128i out = _mm_packus_epi16(mixed, zero);
            if ((old0 & old1) >> 24 == 255) {
                // Over opaque pixels the alpha stays 255 whatever is blended in.
                _mm_storel_epi64(reinterpret_cast<__m128i*>(d), _mm_or_si128(out, _mm_set1_epi32(int(0xFF000000u))));
                continue;
            }
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d), out);
            uint32_t a0 = std::min<uint32_t>(sumAt(word + 3) >> 16, 255);
            uint32_t a1 = std::min<uint32_t>(sumAt(word + 7) >> 16, 255);
            if (a0 != 0)
                d[0] = (d[0] & 0x00FFFFFFu) | uint32_t(table.newAlpha[a0][old0 >> 24]) << 24;
            if (a1 != 0)
                d[1] = (d[1] & 0x00FFFFFFu) | uint32_t(table.newAlpha[a1][old1 >> 24]) << 24;
        }
#endif
        for (; i < iEnd; ++i) {
            const size_t word = static_cast<size_t>(i) * 4;
            // A full-weight pixel gathers 257 * 257 times its value; 255 would come out as 256.
            uint32_t a = std::min<uint32_t>(sumAt(word + 3) >> 16, 255);
            if (a == 0)
                continue;
            uint32_t& d = row[theDestRect.mX + i];
            auto ch = [&](uint32_t s, int shift) {
                return std::min<uint32_t>(((s * a) >> 8) + ((((d >> shift) & 0xFF) * (256 - a)) >> 8),
                                          255);
            };
            uint32_t r = ch(std::min<uint32_t>(sumAt(word + 2) >> 16, 255), 16);
            uint32_t g = ch(std::min<uint32_t>(sumAt(word + 1) >> 16, 255), 8);
            uint32_t b = ch(std::min<uint32_t>(sumAt(word + 0) >> 16, 255), 0);
            uint32_t na = table.newAlpha[a][d >> 24];
            d = (na << 24) | (r << 16) | (g << 8) | b;
        }
    }
}

void MemoryImage::BltMatrix(Image* theImage, float x, float y, const Matrix3& theMatrix,
                            const Rect& theClipRect, const Color& theColor, int theDrawMode,
                            const Rect& theSrcRect, bool blend)
{
    uint32_t* bits = GetBits();
    if (bits != nullptr) {
        int format = mForced && !mHasTrans && !mHasAlpha ? SWTRI_FORMAT_888 : SWTRI_FORMAT_8888;
        BltMatrixSoftware(this, theImage, theSrcRect, x, y, theMatrix, theClipRect, theColor,
                          theDrawMode, bits, mWidth * 4, format, blend);
    }
    BitsChanged();
}

void MemoryImage::BltTriangles(Image* theImage, const TriVertex theVertices[][3],
                               int theNumTriangles, const Rect& theClipRect, const Color& theColor,
                               int theDrawMode, float tx, float ty, bool blend)
{
    uint32_t* bits = GetBits();
    if (bits != nullptr) {
        int format = mForced && !mHasTrans && !mHasAlpha ? SWTRI_FORMAT_888 : SWTRI_FORMAT_8888;
        BltTrianglesSoftware(this, theImage, theVertices, theNumTriangles, theClipRect, theColor,
                             theDrawMode, bits, mWidth * 4, format, tx, ty, blend);
    }
    BitsChanged();
}

bool MemoryImage::BltMatrixSoftware(MemoryImage* theDest, Image* theImage, const Rect& theSrcRect,
                                    float x, float y, const Matrix3& theMatrix,
                                    const Rect& theClipRect, const Color& theColor,
                                    int /*theDrawMode*/, void* theSurface, int thePitch,
                                    int thePixelFormat, bool blend)
{
    MemoryImage* src = AsSource(theImage);
    if (theDest == nullptr || src == nullptr || theSurface == nullptr)
        return false;
    const float w = static_cast<float>(src->GetWidth());
    const float h = static_cast<float>(src->GetHeight());
    if (!(w > 0) || !(h > 0))
        return false;
    const float hw = static_cast<float>(theSrcRect.mWidth) / 2.0f;
    const float hh = static_cast<float>(theSrcRect.mHeight) / 2.0f;
    const float u0 = static_cast<float>(theSrcRect.mX) / w;
    const float u1 = static_cast<float>(theSrcRect.mX + theSrcRect.mWidth) / w;
    const float v0 = static_cast<float>(theSrcRect.mY) / h;
    const float v1 = static_cast<float>(theSrcRect.mY + theSrcRect.mHeight) / h;
    const float corners[4][4] = {{-hw, -hh, u0, v0}, {hw, -hh, u1, v0}, {-hw, hh, u0, v1},
                                 {hw, hh, u1, v1}};
    TriVertex verts[4];
    for (int i = 0; i < 4; ++i) {
        Vector2 p = theMatrix.TransformVector(Vector2(corners[i][0], corners[i][1]));
        verts[i].x = p.mX + x - 0.5f;
        verts[i].y = p.mY + y - 0.5f;
        verts[i].u = corners[i][2];
        verts[i].v = corners[i][3];
        verts[i].color = 0xFFFFFFFFu;
    }
    // Never past the destination, whatever clip the caller passes.
    Rect clip = theClipRect.Intersection(ImageBounds(theDest));
    TriangleRasterizer(verts, 4, src, theSurface, thePitch, thePixelFormat, clip,
                       theColor, blend, false);
    return true;
}

bool MemoryImage::BltTrianglesSoftware(MemoryImage* theDest, Image* theImage,
                                       const TriVertex theVertices[][3], int theNumTriangles,
                                       const Rect& theClipRect, const Color& theColor,
                                       int /*theDrawMode*/, void* theSurface, int thePitch,
                                       int thePixelFormat, float tx, float ty, bool blend)
{
    MemoryImage* src = AsSource(theImage);
    if (theDest == nullptr || src == nullptr || theSurface == nullptr || theVertices == nullptr)
        return false;
    Rect clip = theClipRect.Intersection(ImageBounds(theDest));
    for (int i = 0; i < theNumTriangles; ++i) {
        TriVertex verts[3];
        bool vertexColors = false;
        for (int j = 0; j < 3; ++j) {
            verts[j] = theVertices[i][j];
            verts[j].x += tx;
            verts[j].y += ty;
            vertexColors = vertexColors || verts[j].color != 0;
        }
        TriangleRasterizer(verts, 3, src, theSurface, thePitch, thePixelFormat,
                           clip, theColor, blend, vertexColors);
    }
    return true;
}

} // namespace Quor
