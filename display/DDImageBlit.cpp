// The display image's fills, lines and one-to-one blits: the choice between the 3-D screen,
// the locked surface and the 32-bit pixels, and the software loops that draw into 16- and
// 32-bit surfaces of any channel layout.
#include "display/D3DInterface.h"
#include "display/DDImage.h"

#include "display/DDImageSurface.h"
#include "display/DDInterface.h"
#include "graphics/PixelRows.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cwchar>

namespace Quor {

namespace surface {

bool MakeView(const DDImage& theImage, View& v)
{
    const plat::SurfaceDesc& d = theImage.mLockedSurfaceDesc;
    const DDInterface* dd = theImage.mDDInterface;
    if (dd == nullptr || d.pixels == nullptr || (d.format.bitCount != 16 && d.format.bitCount != 32))
        return false;
    if (dd->mRedAddTable == nullptr || dd->mGreenAddTable == nullptr || dd->mBlueAddTable == nullptr)
        return false;
    v.pixels = static_cast<uint8_t*>(d.pixels);
    v.pitch = d.pitch;
    v.bitCount = d.format.bitCount;
    v.width = static_cast<int>(d.width);
    v.height = static_cast<int>(d.height);
    v.mask[0] = d.format.redMask;
    v.mask[1] = d.format.greenMask;
    v.mask[2] = d.format.blueMask;
    v.bits[0] = dd->mRedBits;
    v.bits[1] = dd->mGreenBits;
    v.bits[2] = dd->mBlueBits;
    v.shift[0] = dd->mRedShift;
    v.shift[1] = dd->mGreenShift;
    v.shift[2] = dd->mBlueShift;
    v.sat[0] = dd->mRedAddTable;
    v.sat[1] = dd->mGreenAddTable;
    v.sat[2] = dd->mBlueAddTable;
    v.rgbOrder = gDisplayRGBOrder.load();
    if (v.bitCount == 32 && v.bits[0] == 8 && v.bits[1] == 8 && v.bits[2] == 8 &&
        (v.mask[0] | v.mask[1] | v.mask[2]) == 0x00FFFFFF) {
        auto whole = [](uint32_t m) { return m == 0xFF || m == 0xFF00 || m == 0xFF0000; };
        v.byteChannels = whole(v.mask[0]) && whole(v.mask[1]) && whole(v.mask[2]);
    }
    return true;
}

} // namespace surface

using namespace surface;

namespace {

constexpr uint32_t k565 = 0x07E0F81F;
constexpr uint32_t k555 = 0x03E07C1F;

// The packed spread mask for a 16-bit green mask, or 0 when the layout has none.
uint32_t PackMask(uint32_t theGreenMask)
{
    return theGreenMask == 0x07E0 ? k565 : (theGreenMask == 0x03E0 ? k555 : 0);
}

// A blit rectangle after cutting it to the source image and the destination surface. Source
// column i of the rectangle lands at x + i, or at x + w - 1 - i when mirrored.
struct Area {
    int sx, sy, w, h, x, y;
};

bool CutArea(const Rect& theSrcRect, int theX, int theY, int theSrcW, int theSrcH, int theDstW,
             int theDstH, bool mirror, Area& a)
{
    a = {theSrcRect.mX, theSrcRect.mY, theSrcRect.mWidth, theSrcRect.mHeight, theX, theY};
    auto cutRows = [&](int top, int bottom) {
        if (top > 0) {
            a.sy += top;
            a.y += top;
            a.h -= top;
        }
        if (bottom > 0)
            a.h -= bottom;
    };
    // Columns: cutting source column lo/hi moves the destination by mirror.
    auto cutCols = [&](int lowSrc, int highSrc) {
        if (lowSrc > 0) {
            a.sx += lowSrc;
            a.w -= lowSrc;
            if (!mirror)
                a.x += lowSrc;
        }
        if (highSrc > 0) {
            a.w -= highSrc;
            if (mirror)
                a.x += highSrc;
        }
    };
    cutRows(-a.sy, a.sy + a.h - theSrcH);
    cutCols(-a.sx, a.sx + a.w - theSrcW);
    if (a.w <= 0 || a.h <= 0)
        return false;
    cutRows(-a.y, a.y + a.h - theDstH);
    const int left = -a.x, right = a.x + a.w - theDstW;
    if (mirror)
        cutCols(right, left);
    else
        cutCols(left, right);
    return a.w > 0 && a.h > 0;
}

bool CutRect(const Rect& r, int theW, int theH, Rect& out)
{
    int x0 = std::max(r.mX, 0), y0 = std::max(r.mY, 0);
    int x1 = static_cast<int>(std::min<int64_t>(int64_t(r.mX) + r.mWidth, theW));
    int y1 = static_cast<int>(std::min<int64_t>(int64_t(r.mY) + r.mHeight, theH));
    out = Rect(x0, y0, x1 - x0, y1 - y0);
    return x1 > x0 && y1 > y0;
}

// n pixels set to one value. Where wchar_t is 32 bits the C library's wmemset does it, with
// the widest stores the machine has and whatever the row's alignment; a 16-bit row is filled
// as pairs of pixels from its first 4-byte boundary.
template <typename T>
void FillPixels(T* p, int n, T value)
{
    if constexpr (sizeof(wchar_t) != 4) {
        std::fill_n(p, n, value);
    } else if constexpr (sizeof(T) == 4) {
        std::wmemset(reinterpret_cast<wchar_t*>(p), static_cast<wchar_t>(value), static_cast<size_t>(n));
    } else {
        if (n > 0 && (reinterpret_cast<uintptr_t>(p) & 2) != 0) {
            *p++ = value;
            n--;
        }
        const uint32_t pair = value | (static_cast<uint32_t>(value) << 16);
        std::wmemset(reinterpret_cast<wchar_t*>(p), static_cast<wchar_t>(pair), static_cast<size_t>(n / 2));
        if ((n & 1) != 0)
            p[n - 1] = value;
    }
}

// The translucent fill of FillNormal several pixels at a time, for the layouts where that gives
// the same words: 32-bit locks of whole-byte channels, where each channel's term is
// ((c * inv) >> 8) in place, and 16-bit locks of contiguous channels of at most 8 bits, where
// it is ((c * inv + max) >> 8) in place (max the channel's largest value). Fill returns the
// number of pixels done from the row's start, the rest left to the word loop.
class TranslucentRows {
public:
    static TranslucentRows For(const View& v, uint32_t P, uint32_t inv)
    {
        TranslucentRows t;
        t.mP = P;
        t.mInv = inv;
        if (v.bitCount == 32) {
            t.mOn = v.byteChannels;
            t.mChannels = v.mask[0] | v.mask[1] | v.mask[2];
            return t;
        }
        t.mOn = true;
        for (int n = 0; n < 3; n++) {
            const uint32_t m = v.mask[n];
            const int k = m != 0 ? __builtin_ctz(m) : 0;
            const uint32_t max = m >> k;
            t.mShift[n] = k;
            t.mMax[n] = max;
            t.mOn = t.mOn && m != 0 && m <= 0xFFFF && max <= 0xFF && (max & (max + 1)) == 0;
        }
        return t;
    }

    int Fill(uint16_t* p, int n) const
    {
        int x = 0;
#if defined(__SSE2__)
        if (!mOn)
            return 0;
        const __m128i inv = _mm_set1_epi16(static_cast<short>(mInv));
        const __m128i P = _mm_set1_epi16(static_cast<short>(mP));
        for (; x + 8 <= n; x += 8) {
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x));
            __m128i out = P;
            for (int c = 0; c < 3; c++) {
                const __m128i shift = _mm_cvtsi32_si128(mShift[c]);
                const __m128i max = _mm_set1_epi16(static_cast<short>(mMax[c]));
                const __m128i f = _mm_and_si128(_mm_srl_epi16(d, shift), max);
                const __m128i t = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(f, inv), max), 8);
                out = _mm_add_epi16(out, _mm_sll_epi16(t, shift));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + x), out);
        }
#else
        (void)p;
        (void)n;
#endif
        return x;
    }

    int Fill(uint32_t* p, int n) const
    {
        int x = 0;
#if defined(__SSE2__)
        if (!mOn)
            return 0;
        const __m128i zero = _mm_setzero_si128();
        const __m128i inv = _mm_set1_epi16(static_cast<short>(mInv));
        const __m128i P = _mm_set1_epi32(static_cast<int>(mP));
        const __m128i channels = _mm_set1_epi32(static_cast<int>(mChannels));
        for (; x + 4 <= n; x += 4) {
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + x));
            const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(d, zero), inv), 8);
            const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(d, zero), inv), 8);
            const __m128i scaled = _mm_and_si128(_mm_packus_epi16(lo, hi), channels);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(p + x), _mm_add_epi32(P, scaled));
        }
#else
        (void)p;
        (void)n;
#endif
        return x;
    }

private:
    bool mOn = false;
    uint32_t mP = 0, mInv = 0, mChannels = 0;
    int mShift[3] = {};
    uint32_t mMax[3] = {};
};

template <typename T>
void FillNormal(const View& v, const Rect& r, const uint32_t c[3], uint32_t A)
{
    const bool is16 = sizeof(T) == 2;
    if (A == 255) {
        uint32_t value = 0;
        for (int n = 0; n < 3; n++)
            value |= static_cast<uint32_t>(((uint64_t(c[n]) + (is16 ? 1 : 0)) * v.mask[n]) >> 8) & v.mask[n];
        for (int y = r.mY; y < r.mY + r.mHeight; y++)
            FillPixels(Row<T>(v, y) + r.mX, r.mWidth, static_cast<T>(value));
        return;
    }
    uint32_t P = 0;
    for (int n = 0; n < 3; n++) {
        uint64_t c2 = ((c[n] * A + (is16 ? 128 : 127)) >> 8) + 1;
        P |= static_cast<uint32_t>((c2 * v.mask[n]) >> 8) & v.mask[n];
    }
    const uint64_t inv = 256 - A;
    const TranslucentRows wide = TranslucentRows::For(v, P, static_cast<uint32_t>(inv));
    for (int y = r.mY; y < r.mY + r.mHeight; y++) {
        T* p = Row<T>(v, y) + r.mX;
        for (int x = wide.Fill(p, r.mWidth); x < r.mWidth; x++) {
            uint32_t d = p[x], out = P;
            for (int n = 0; n < 3; n++) {
                const uint64_t m = v.mask[n];
                out += static_cast<uint32_t>((((d & m) * inv + (is16 ? m : 0)) >> 8) & m);
            }
            p[x] = static_cast<T>(out);
        }
    }
}

template <typename T>
void FillAdditive(const View& v, const Rect& r, const uint32_t c[3], uint32_t A)
{
    uint32_t k[3];
    for (int n = 0; n < 3; n++)
        k[n] = (c[n] * A / 255) >> (8 - v.bits[n]);
    for (int y = r.mY; y < r.mY + r.mHeight; y++) {
        T* p = Row<T>(v, y) + r.mX;
        for (int x = 0; x < r.mWidth; x++)
            p[x] = static_cast<T>(v.AddSat(p[x], k));
    }
}

// ---- lines ----

// How one line pixel is written.
struct LinePen {
    const View* v;
    int mode; // 0 store, 1 blend, 2 add
    uint32_t value = 0;
    uint32_t inv = 0;
    uint32_t add[3] = {};

    void Plot(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= v->width || y >= v->height)
            return;
        if (v->bitCount == 16)
            Put(v->Row16(y)[x]);
        else
            Put(v->Row32(y)[x]);
    }
    template <typename T>
    void Put(T& p) const
    {
        uint32_t d = p;
        if (mode == 0) {
            p = static_cast<T>(value);
        } else if (mode == 1) {
            uint32_t out = value;
            for (int n = 0; n < 3; n++) {
                const uint64_t m = v->mask[n];
                out += static_cast<uint32_t>((((d & m) * inv + m / 2) >> 8) & m);
            }
            p = static_cast<T>(out);
        } else {
            p = static_cast<T>(v->AddSat(d, add));
        }
    }
};

void WalkLine(const LinePen& pen, double x1, double y1, double x2, double y2)
{
    const double minX = std::min(x1, x2), maxX = std::max(x1, x2);
    const double minY = std::min(y1, y2), maxY = std::max(y1, y2);
    const bool yMajor = std::fabs(y2 - y1) >= std::fabs(x2 - x1);
    // Major and minor coordinates of the two ends, ordered so that the major one grows.
    double ma1 = yMajor ? y1 : x1, mi1 = yMajor ? x1 : y1;
    double ma2 = yMajor ? y2 : x2, mi2 = yMajor ? x2 : y2;
    if (ma2 < ma1) {
        std::swap(ma1, ma2);
        std::swap(mi1, mi2);
    }
    const int minorStep = mi2 - mi1 < 0 ? -1 : 1;
    const double a = std::fabs(ma2 - ma1), b = std::fabs(mi2 - mi1);
    const int incStep = static_cast<int>(2 * (b - a));
    const int incFlat = static_cast<int>(2 * b);
    const double f = mi1 - std::trunc(mi1);
    int err = static_cast<int>(f * incFlat + static_cast<int>(2 * b - a));
    const int minorLow = static_cast<int>(yMajor ? minX : minY);
    const int minorHigh = static_cast<int>(yMajor ? maxX : maxY);
    int ma = static_cast<int>(ma1), mi = static_cast<int>(mi1);
    auto plot = [&] {
        if (yMajor)
            pen.Plot(mi, ma);
        else
            pen.Plot(ma, mi);
    };
    plot();
    for (ma = ma + 1; ma <= ma2; ma++) {
        if (err > 0) {
            mi += minorStep;
            if (mi < minorLow || mi > minorHigh)
                break;
            err += incStep;
        } else {
            err += incFlat;
        }
        plot();
    }
}

// Antialiased line pixel with weight w (0..255).
struct AAPen {
    const View* v;
    uint32_t value;
    uint32_t alpha;
    uint32_t pack; // 16-bit spread mask

    void Plot(int x, int y, uint32_t w) const
    {
        if (x < 0 || y < 0 || x >= v->width || y >= v->height)
            return;
        if (alpha < 255)
            w = (w * (alpha + 1)) >> 8;
        if (v->bitCount == 32) {
            uint32_t& p = v->Row32(y)[x];
            uint32_t d = p;
            uint32_t rb = (((d & 0x00FF00FF) * (256 - w) + (value & 0x00FF00FF) * w) >> 8) & 0x00FF00FF;
            uint32_t g = (((d & 0xFF00) * (256 - w) + (value & 0xFF00) * w) >> 8) & 0xFF00;
            p = rb | g;
        } else {
            uint16_t& p = v->Row16(y)[x];
            uint32_t S = ((Spread(value, pack) * (w >> 3)) >> 5) & pack;
            uint32_t D = ((Spread(p, pack) * ((256 - w) >> 3)) >> 5) & pack;
            p = static_cast<uint16_t>(Fold(S) + Fold(D));
        }
    }
};

void WalkLineAA(const AAPen& pen, double x1, double y1, double x2, double y2)
{
    if (y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const int ix1 = static_cast<int>(x1), iy1 = static_cast<int>(y1);
    const int ix2 = static_cast<int>(x2), iy2 = static_cast<int>(y2);
    int dx = ix2 - ix1, dy = iy2 - iy1, xStep = 1;
    if (dx < 0) {
        dx = -dx;
        xStep = -1;
    }
    const double fdx = std::fabs(x2 - x1), fdy = std::fabs(y2 - y1);
    uint32_t acc = static_cast<uint32_t>(std::lround(std::fabs(x1 - ix1) * std::fabs(y1 - iy1) * 65536.0));
    const bool steep = dy > dx;
    const double major = steep ? fdy : fdx, minor = steep ? fdx : fdy;
    const uint32_t step = major > 0 ? static_cast<uint32_t>(std::lround(65536.0 * minor / major)) : 0;
    auto weight = [&] { return 255 - ((acc >> 8) & 0xFF); };
    int x = ix1, y = iy1;
    pen.Plot(x, y, weight());
    const int count = steep ? dy : dx;
    for (int i = 1; i < count; i++) {
        acc += step;
        bool minorStep = acc > 0xFFFF;
        acc &= 0xFFFF;
        if (steep) {
            y++;
            if (minorStep)
                x += xStep;
        } else {
            x += xStep;
            if (minorStep)
                y++;
        }
        uint32_t w = weight();
        pen.Plot(x, y, w);
        if (steep)
            pen.Plot(x + xStep, y, 255 - w);
        else
            pen.Plot(x, y + 1, 255 - w);
    }
    pen.Plot(ix2, iy2, weight());
}

// ---- blits ----

// Source words: NativeAlpha (or ARGB) per pixel, or per colour-table entry of a palette image.
template <bool Pal>
struct Words {
    const uint32_t* words;
    const uint8_t* indices;
    uint32_t At(size_t i) const
    {
        if constexpr (Pal)
            return words[indices[i]];
        else
            return words[i];
    }
};

template <bool Mirror>
inline int DestCol(const Area& a, int i)
{
    return Mirror ? a.x + a.w - 1 - i : a.x + i;
}

// Walks an area's rows by run lengths: run := min(the run byte, pixels left in the row); a run
// whose first word skip() rejects is passed over, the others go to drawRun(row pixels, source
// index of the row, first and end pixel of the run, the run's first word).
template <typename T, bool Pal, class Skip, class DrawRun>
void WalkRunSpans(const View& v, const Area& a, const Words<Pal>& src, const uint8_t* rl, int srcW, Skip skip,
                  DrawRun drawRun)
{
    for (int row = 0; row < a.h; row++) {
        const size_t base = static_cast<size_t>(a.sy + row) * srcW + a.sx;
        T* dst = Row<T>(v, a.y + row);
        for (int i = 0; i < a.w;) {
            const int run = std::min<int>(std::max<int>(rl[base + i], 1), a.w - i);
            const uint32_t first = src.At(base + i);
            if (!skip(first))
                drawRun(dst, base, i, i + run, first);
            i += run;
        }
    }
}

// The same walk, pixel by pixel: draw(word, destination pixel, the run's first word).
template <typename T, bool Pal, bool Mirror, class Skip, class Draw>
void WalkRuns(const View& v, const Area& a, const Words<Pal>& src, const uint8_t* rl, int srcW, Skip skip, Draw draw)
{
    WalkRunSpans<T, Pal>(v, a, src, rl, srcW, skip, [&](T* dst, size_t base, int i, int e, uint32_t first) {
        for (; i < e; i++)
            draw(src.At(base + i), dst[DestCol<Mirror>(a, i)], first);
    });
}

// Path A with the colour white: opaque runs copied, clear runs skipped, the rest blended
// with (256 - a) over the destination plus the premultiplied word.
template <typename T, bool Pal, bool Mirror>
void RunsBlendWhite(const View& v, const Area& a, const Words<Pal>& src, const uint8_t* rl, int srcW)
{
    const bool is16 = sizeof(T) == 2;
    const uint32_t pack = is16 ? PackMask(v.Green()) : 0;
    auto clear = [](uint32_t first) { return (first >> 24) == 0; };
    WalkRunSpans<T, Pal>(v, a, src, rl, srcW, clear, [&](T* dst, size_t base, int i, int e, uint32_t first) {
        if ((first >> 24) == 255) {
            if constexpr (!Pal && !Mirror && sizeof(T) == 4) {
                std::copy_n(src.words + base + i, e - i, dst + a.x + i);
            } else {
                for (; i < e; i++)
                    dst[DestCol<Mirror>(a, i)] = static_cast<T>(src.At(base + i));
            }
            return;
        }
        // Each pixel with (256 - its alpha) over the destination; the layout chosen once a run.
        auto blend = [&](auto over) {
            for (; i < e; i++) {
                const uint32_t s = src.At(base + i);
                T& p = dst[DestCol<Mirror>(a, i)];
                p = static_cast<T>(over(p, 256 - (s >> 24)) + (is16 ? (s & 0xFFFF) : s));
            }
        };
        if (!is16)
            blend([](uint32_t d, uint32_t w) { return ScaleBytes(d, w); });
        else if (pack != 0)
            blend([&](uint32_t d, uint32_t w) { return Fold(((Spread(d, pack) * (w >> 3)) >> 5) & pack); });
        else
            blend([&](uint32_t d, uint32_t w) {
                uint32_t out = 0;
                for (int n = 0; n < 3; n++)
                    out |= ((d & v.mask[n]) * w >> 8) & v.mask[n];
                return out;
            });
    });
}

// Path A: RLAlpha runs over NativeAlpha words.
template <typename T, bool Pal, bool Mirror>
void RunsBlend(const View& v, const Area& a, const Words<Pal>& src, const uint8_t* rl, int srcW,
               const Color& theColor)
{
    const bool is16 = sizeof(T) == 2;
    const uint32_t pack = is16 ? PackMask(v.Green()) : 0;
    uint32_t col[3], A;
    Channels(theColor, col, A);
    uint32_t cp[3];
    for (int n = 0; n < 3; n++)
        cp[n] = col[n] * A / 255;
    const bool grey = cp[0] == cp[1] && cp[1] == cp[2];
    const uint32_t k = cp[0];
    WalkRuns<T, Pal, Mirror>(v, a, src, rl, srcW, [](uint32_t first) { return (first >> 24) == 0; },
                             [&](uint32_t s, T& p, uint32_t first) {
        const uint32_t a0 = first >> 24;
        const uint32_t d = p;
        const uint32_t w = 256 - ((s >> 24) * A / 255);
        const bool solid = a0 == 255 && A == 255;
        if (grey && is16 && pack != 0) {
            const uint32_t k5 = k >> 3;
            uint32_t S = Spread(s & 0xFFFF, pack) * k5;
            p = solid ? Fold((S >> 5) & pack) : Fold(((S + Spread(d, pack) * (w >> 3)) >> 5) & pack);
        } else if (grey && !is16) {
            if (solid)
                p = static_cast<T>((((s & 0x00FF00FF) * k) >> 8 & 0x00FF00FF) + (((s & 0xFF00) * k) >> 8 & 0xFF00));
            else
                p = static_cast<T>(((((d & 0x00FF00FF) * w + (s & 0x00FF00FF) * k) >> 8) & 0x00FF00FF) +
                                   ((((d & 0xFF00) * w + (s & 0xFF00) * k) >> 8) & 0xFF00));
        } else {
            uint32_t out = 0;
            for (int n = 0; n < 3; n++) {
                const uint64_t m = v.mask[n];
                uint64_t t = solid ? ((s & m) * cp[n]) >> 8 : ((d & m) * w + (s & m) * cp[n]) >> 8;
                out |= static_cast<uint32_t>(t & m);
            }
            p = static_cast<T>(out);
        }
    });
}

// Additive: RLAdditive runs over NativeAlpha words, saturated per channel.
template <typename T, bool Pal, bool Mirror>
void RunsAdd(const View& v, const Area& a, const Words<Pal>& src, const uint8_t* rl, int srcW,
             const Color& theColor)
{
    const bool white = theColor == Color::White;
    uint32_t col[3], A;
    Channels(theColor, col, A);
    uint32_t k[3];
    for (int n = 0; n < 3; n++)
        k[n] = col[n] * A / 255;
    auto colourless = [](uint32_t first) { return (first & 0x00FFFFFF) == 0; };
    if constexpr (sizeof(T) == 4) {
        if (white && v.byteChannels) {
            if constexpr (!Pal && !Mirror) {
                WalkRunSpans<T, Pal>(v, a, src, rl, srcW, colourless,
                                     [&](T* dst, size_t base, int i, int e, uint32_t) {
                    PixelRows::AddSaturateWords(reinterpret_cast<uint32_t*>(dst + a.x + i), src.words + base + i, e - i);
                });
            } else {
                WalkRuns<T, Pal, Mirror>(v, a, src, rl, srcW, colourless,
                                         [](uint32_t s, T& p, uint32_t) { p = AddBytesSaturated(p, s); });
            }
            return;
        }
    }
    WalkRuns<T, Pal, Mirror>(v, a, src, rl, srcW, colourless, [&](uint32_t s, T& p, uint32_t) {
        p = static_cast<T>(v.AddWord(p, s, white, k));
    });
}

// Path O: opaque copy of NativeAlpha words, skipping alpha-0 words when keyed.
template <typename T, bool Pal>
void CopyWords(const View& v, const Area& a, const Words<Pal>& src, int srcW, bool keyed)
{
    // Held in locals: the stores below could otherwise alias them and force a reload per pixel.
    const int w = a.w;
    const Words<Pal> from = src;
    for (int row = 0; row < a.h; row++) {
        const size_t base = static_cast<size_t>(a.sy + row) * srcW + a.sx;
        T* dst = Row<T>(v, a.y + row) + a.x;
        if (keyed) {
            for (int i = 0; i < w; i++) {
                uint32_t s = from.At(base + i);
                if ((s >> 24) != 0)
                    dst[i] = static_cast<T>(s);
            }
        } else if constexpr (!Pal && sizeof(T) == 4) {
            std::copy_n(from.words + base, w, dst);
        } else if constexpr (Pal && sizeof(T) == 4) {
            PixelRows::PaletteRow(dst, from.indices + base, from.words, w);
        } else {
            for (int i = 0; i < w; i++)
                dst[i] = static_cast<T>(from.At(base + i));
        }
    }
}

// Path V: ARGB words blended straight from the source's pixels.
template <typename T, bool Pal>
void BlendArgb(const View& v, const Area& a, const Words<Pal>& src, int srcW)
{
    const bool is16 = sizeof(T) == 2;
    const uint32_t pack = (is16 && v.rgbOrder) ? PackMask(v.Green()) : 0;
    for (int row = 0; row < a.h; row++) {
        const size_t base = static_cast<size_t>(a.sy + row) * srcW + a.sx;
        T* dst = Row<T>(v, a.y + row) + a.x;
        for (int i = 0; i < a.w; i++) {
            const uint32_t s = src.At(base + i);
            const uint32_t d = dst[i];
            if (is16 && pack == k565) {
                uint32_t S = ((s & 0xFC00) << 11) + ((s >> 3) & 0x1F) + ((s >> 8) & 0xF800);
                uint32_t D = Spread(d, k565);
                dst[i] = static_cast<T>(Fold(((((S - D) * (s >> 27)) >> 5) + D) & k565));
            } else if (is16 && pack == k555) {
                uint32_t S = ((s >> 3) & 0x1F) + ((s >> 9) & 0x7C00) + ((s & 0xF800) << 10);
                uint32_t D = Spread(d, k555);
                dst[i] = static_cast<T>(Fold(((((S - D) * (s >> 27)) >> 5) + D) & k555));
            } else if (!is16 && v.rgbOrder) {
                const uint32_t al = s >> 24;
                uint32_t rb = (((((s & 0x00FF00FF) - (d & 0x00FF00FF)) * al) >> 8) + (d & 0x00FF00FF)) & 0x00FF00FF;
                uint32_t g = (((((s & 0xFF00) - (d & 0xFF00)) * al) >> 8) + (d & 0xFF00)) & 0xFF00;
                dst[i] = static_cast<T>(rb | g);
            } else {
                const uint64_t al = s >> 24;
                const uint64_t sc[3] = {(s >> 16) & 0xFF, (s >> 8) & 0xFF, s & 0xFF};
                uint32_t out = 0;
                for (int n = 0; n < 3; n++) {
                    const uint64_t m = v.mask[n];
                    uint64_t t = is16 ? ((d & m) * (256 - al) + ((sc[n] * al * m) >> 8) + (m >> 1)) >> 8
                                      : ((d & m) * (256 - al) + ((sc[n] * al) >> 8) * m + (m >> 1)) >> 8;
                    out |= static_cast<uint32_t>(t & m);
                }
                dst[i] = static_cast<T>(out);
            }
        }
    }
}

} // namespace

// ---------------------------------------------------------------- dispatch

// The surface draw of a draw mode: 0 the normal one, 1 the additive one, any other draws
// nothing. Whenever the surface was there to draw on, the memory copies go, since the surface
// now holds the only current pixels.
template <class Normal, class Additive>
static void DrawByMode(DDImage* theImage, int theDrawMode, Normal normal, Additive additive)
{
    const bool drawn = theDrawMode == 0 ? normal() : theDrawMode == 1 ? additive() : theImage->GetSurface() != nullptr;
    if (drawn)
        theImage->DeleteMemoryData();
}

bool DDImage::DrawsIntoBits() const
{
    return mHasAlpha || mHasTrans || mDDInterface == nullptr || mDDInterface->mIs3D;
}

bool DDImage::PolyFill(const Point* theVertexList, int theNumVertices, const Rect* theClipRect,
                       const Color& theColor, int theDrawMode, int tx, int ty, int)
{
    // Polygons are drawn only by the 3-D renderer.
    if (!Is3D())
        return false;
    mDDInterface->mD3DInterface->FillPoly(theVertexList, theNumVertices, theClipRect, theColor, theDrawMode, tx, ty);
    return true;
}

void DDImage::FillRect(const Rect& theRect, const Color& theColor, int theDrawMode)
{
    if (Is3D()) {
        mDDInterface->mD3DInterface->FillRect(theRect, theColor, theDrawMode);
        return;
    }
    RescanAlphaFlags();
    if (!DrawsIntoBits()) {
        DrawByMode(this, theDrawMode, [&] { return NormalFillRect(theRect, theColor); },
                   [&] { return AdditiveFillRect(theRect, theColor); });
        return;
    }
    MemoryImage::FillRect(theRect, theColor, theDrawMode);
}

void DDImage::DrawLine(double theStartX, double theStartY, double theEndX, double theEndY,
                       const Color& theColor, int theDrawMode)
{
    if (Is3D()) {
        mDDInterface->mD3DInterface->DrawLine(theStartX, theStartY, theEndX, theEndY, theColor, theDrawMode);
        return;
    }
    if (DrawsIntoBits()) {
        MemoryImage::DrawLine(theStartX, theStartY, theEndX, theEndY, theColor, theDrawMode);
        return;
    }
    if (theStartY == theEndY) {
        int x1 = static_cast<int>(std::min(theStartX, theEndX));
        int x2 = static_cast<int>(std::max(theStartX, theEndX));
        FillRect(Rect(x1, static_cast<int>(theStartY), x2 - x1 + 1, 1), theColor, theDrawMode);
        return;
    }
    if (theStartX == theEndX) {
        int y1 = static_cast<int>(std::min(theStartY, theEndY));
        int y2 = static_cast<int>(std::max(theStartY, theEndY));
        FillRect(Rect(static_cast<int>(theStartX), y1, 1, y2 - y1 + 1), theColor, theDrawMode);
        return;
    }
    RescanAlphaFlags();
    DrawByMode(this, theDrawMode, [&] { return NormalDrawLine(theStartX, theStartY, theEndX, theEndY, theColor); },
               [&] { return AdditiveDrawLine(theStartX, theStartY, theEndX, theEndY, theColor); });
}

void DDImage::DrawLineAA(double theStartX, double theStartY, double theEndX, double theEndY,
                         const Color& theColor, int theDrawMode)
{
    // The 3-D screen, images drawn in their pixels and straight lines all go as plain lines.
    if (Is3D() || DrawsIntoBits() || theStartY == theEndY || theStartX == theEndX) {
        DrawLine(theStartX, theStartY, theEndX, theEndY, theColor, theDrawMode);
        return;
    }
    RescanAlphaFlags();
    DrawByMode(this, theDrawMode, [&] { return NormalDrawLineAA(theStartX, theStartY, theEndX, theEndY, theColor); },
               [&] { return AdditiveDrawLineAA(theStartX, theStartY, theEndX, theEndY, theColor); });
}

bool DDImage::Palletize()
{
    if (!MemoryImage::Palletize())
        return false;
    DeleteSurface();
    return true;
}

void DDImage::Blt(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                  const Color& theColor, int theDrawMode)
{
    if (theImage != nullptr)
        theImage->mDrawn = true;
    RescanAlphaFlags();
    if (Is3D()) {
        auto* aSrc = dynamic_cast<DDImage*>(theImage);
        if (aSrc != nullptr && aSrc->mSurface != nullptr && theDrawMode == 0 &&
            theColor == Color::White && !aSrc->mHasAlpha)
            SurfaceBlt(aSrc, theX, theY, theSrcRect);
        else
            mDDInterface->mD3DInterface->Blt(theImage, static_cast<float>(theX), static_cast<float>(theY), theSrcRect,
                                             theColor, theDrawMode, false);
        return;
    }
    const bool cursorArea = mDDInterface != nullptr && (this == mDDInterface->mOldCursorAreaImage ||
                                                        this == mDDInterface->mNewCursorAreaImage);
    if (!mHasAlpha && !mHasTrans && mDDInterface != nullptr && (!mDDInterface->mIs3D || cursorArea)) {
        DrawByMode(this, theDrawMode, [&] { return NormalBlt(theImage, theX, theY, theSrcRect, theColor); },
                   [&] { return AdditiveBlt(theImage, theX, theY, theSrcRect, theColor); });
        return;
    }
    MemoryImage::Blt(theImage, theX, theY, theSrcRect, theColor, theDrawMode);
}

void DDImage::BltMirror(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                        const Color& theColor, int theDrawMode)
{
    RescanAlphaFlags();
    if (Is3D()) {
        mDDInterface->mD3DInterface->BltMirror(theImage, static_cast<float>(theX), static_cast<float>(theY),
                                               theSrcRect, theColor, theDrawMode);
        return;
    }
    DrawByMode(this, theDrawMode, [&] { return NormalBltMirror(theImage, theX, theY, theSrcRect, theColor); },
               [&] { return AdditiveBltMirror(theImage, theX, theY, theSrcRect, theColor); });
}

bool DDImage::SurfaceBlt(DDImage* theSrc, int theX, int theY, const Rect& theSrcRect)
{
    return SurfaceStretchBlt(theSrc, Rect(theX, theY, theSrcRect.mWidth, theSrcRect.mHeight),
                             RectD(theSrcRect.mX, theSrcRect.mY, theSrcRect.mWidth, theSrcRect.mHeight));
}

// ---------------------------------------------------------------- fills and lines

// One fill of the locked surface: false when the surface could not be made or locked.
static bool FillSurface(DDImage* theImage, const Rect& theRect, const Color& theColor, bool additive)
{
    if (theImage->mNoLock)
        return true;
    return DrawLocked(theImage, [&](const View& v, auto px) {
        using T = decltype(px);
        Rect r;
        if (!CutRect(theRect, v.width, v.height, r))
            return;
        uint32_t c[3], A;
        Channels(theColor, c, A);
        (additive ? FillAdditive<T> : FillNormal<T>)(v, r, c, A);
    });
}

bool DDImage::NormalFillRect(const Rect& theRect, const Color& theColor)
{
    return FillSurface(this, theRect, theColor, false);
}

bool DDImage::AdditiveFillRect(const Rect& theRect, const Color& theColor)
{
    return FillSurface(this, theRect, theColor, true);
}

static bool DrawPenLine(DDImage* theImage, double x1, double y1, double x2, double y2,
                        const Color& theColor, bool additive)
{
    if (theImage->mNoLock)
        return true;
    return DrawLocked(theImage, [&](const View& v, auto) {
        uint32_t c[3], A;
        Channels(theColor, c, A);
        LinePen pen{&v, 0};
        if (additive) {
            pen.mode = 2;
            for (int n = 0; n < 3; n++)
                pen.add[n] = (c[n] * A) / 255 >> (8 - v.bits[n]);
        } else if (A == 255) {
            for (int n = 0; n < 3; n++) {
                const uint64_t m = v.mask[n];
                pen.value |= static_cast<uint32_t>(((c[n] * m + m / 2) >> 8) & m);
            }
        } else {
            pen.mode = 1;
            pen.inv = 256 - A;
            for (int n = 0; n < 3; n++) {
                const uint64_t m = v.mask[n];
                pen.value |= static_cast<uint32_t>(((((c[n] * A + 128) >> 8) * m + m / 2) >> 8) & m);
            }
        }
        WalkLine(pen, x1, y1, x2, y2);
    });
}

bool DDImage::NormalDrawLine(double theStartX, double theStartY, double theEndX, double theEndY,
                             const Color& theColor)
{
    return DrawPenLine(this, theStartX, theStartY, theEndX, theEndY, theColor, false);
}

bool DDImage::AdditiveDrawLine(double theStartX, double theStartY, double theEndX,
                               double theEndY, const Color& theColor)
{
    return DrawPenLine(this, theStartX, theStartY, theEndX, theEndY, theColor, true);
}

bool DDImage::NormalDrawLineAA(double theStartX, double theStartY, double theEndX,
                               double theEndY, const Color& theColor)
{
    return DrawLocked(this, [&](const View& v, auto) {
        const uint32_t pack = v.bitCount == 16 ? PackMask(v.Green()) : 0;
        if (v.bitCount == 16 && pack == 0)
            return;
        uint32_t c[3], A;
        Channels(theColor, c, A);
        AAPen pen{&v, 0, A, pack};
        for (int n = 0; n < 3; n++)
            pen.value |= (c[n] * v.mask[n] >> 8) & v.mask[n];
        if (std::isfinite(theStartX) && std::isfinite(theStartY) && std::isfinite(theEndX) && std::isfinite(theEndY))
            WalkLineAA(pen, theStartX, theStartY, theEndX, theEndY);
    });
}

bool DDImage::AdditiveDrawLineAA(double, double, double, double, const Color&)
{
    return true; // antialiased additive lines draw nothing
}

// ---------------------------------------------------------------- blits

namespace {

enum class Kind { Runs, Add, Copy, Argb };

template <typename T, bool Pal, bool Mirror>
void RunKind(Kind kind, const View& v, const Area& a, const Words<Pal>& w, const uint8_t* rl,
             int srcW, const Color& c, bool keyed)
{
    switch (kind) {
    case Kind::Runs:
        if (c == Color::White)
            RunsBlendWhite<T, Pal, Mirror>(v, a, w, rl, srcW);
        else
            RunsBlend<T, Pal, Mirror>(v, a, w, rl, srcW, c);
        break;
    case Kind::Add:
        RunsAdd<T, Pal, Mirror>(v, a, w, rl, srcW, c);
        break;
    case Kind::Copy:
        CopyWords<T, Pal>(v, a, w, srcW, keyed);
        break;
    case Kind::Argb:
        BlendArgb<T, Pal>(v, a, w, srcW);
        break;
    }
}

template <typename T>
void RunAny(Kind kind, bool pal, bool mirror, const View& v, const Area& a, const uint32_t* words,
            const uint8_t* indices, const uint8_t* rl, int srcW, const Color& c, bool keyed)
{
    if (pal) {
        Words<true> w{words, indices};
        if (mirror)
            RunKind<T, true, true>(kind, v, a, w, rl, srcW, c, keyed);
        else
            RunKind<T, true, false>(kind, v, a, w, rl, srcW, c, keyed);
    } else {
        Words<false> w{words, nullptr};
        if (mirror)
            RunKind<T, false, true>(kind, v, a, w, rl, srcW, c, keyed);
        else
            RunKind<T, false, false>(kind, v, a, w, rl, srcW, c, keyed);
    }
}

// Locks the destination, cuts the area and runs one blit loop over the source's words.
bool DrawWords(DDImage* theDest, MemoryImage* theSrc, Kind kind, bool mirror, int theX, int theY,
               const Rect& theSrcRect, const Color& theColor)
{
    // Source data first: building it may read the source's own surface back.
    const bool pal = theSrc->mPaletteColors != nullptr && theSrc->mPaletteIndices != nullptr;
    const uint32_t* words = nullptr;
    const uint8_t* rl = nullptr;
    if (kind == Kind::Argb) {
        words = pal ? theSrc->mPaletteColors : theSrc->GetBits();
    } else {
        words = theSrc->GetNativeAlphaData(theDest->mDDInterface);
        if (kind == Kind::Runs)
            rl = theSrc->GetRLAlphaData();
        else if (kind == Kind::Add)
            rl = theSrc->GetRLAdditiveData(theDest->mDDInterface);
    }
    return DrawLocked(theDest, [&](const View& v, auto px) {
        Area a;
        if (words == nullptr || ((kind == Kind::Runs || kind == Kind::Add) && rl == nullptr) ||
            !CutArea(theSrcRect, theX, theY, theSrc->mWidth, theSrc->mHeight, v.width, v.height, mirror, a))
            return;
        RunAny<decltype(px)>(kind, pal, mirror, v, a, words, theSrc->mPaletteIndices, rl, theSrc->mWidth, theColor,
                             theSrc->mHasTrans);
    });
}

} // namespace

bool DDImage::NormalBlt(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                        const Color& theColor)
{
    if (theImage != nullptr)
        theImage->mDrawn = true;
    auto* aSrc = dynamic_cast<MemoryImage*>(theImage);
    if (aSrc == nullptr)
        return true;
    aSrc->RescanAlphaFlags();
    auto* aDDSrc = dynamic_cast<DDImage*>(aSrc);
    const bool srcSurface = aDDSrc != nullptr && aDDSrc->mSurface != nullptr;
    const bool white = theColor == Color::White;
    Kind kind = Kind::Runs;
    if (aSrc->mVolatile && !srcSurface && !mNoLock && white) {
        kind = Kind::Argb;
    } else if (!aSrc->mHasAlpha && white) {
        if (srcSurface && (mVideoMemory || !aDDSrc->mVideoMemory))
            return SurfaceBlt(aDDSrc, theX, theY, theSrcRect);
        kind = Kind::Copy;
    }
    if (mNoLock)
        return true;
    return DrawWords(this, aSrc, kind, false, theX, theY, theSrcRect, theColor);
}

bool DDImage::AdditiveBlt(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                          const Color& theColor)
{
    return RunsBlt(theImage, theX, theY, theSrcRect, theColor, true, false);
}

bool DDImage::NormalBltMirror(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                              const Color& theColor)
{
    return RunsBlt(theImage, theX, theY, theSrcRect, theColor, false, true);
}

bool DDImage::AdditiveBltMirror(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                                const Color& theColor)
{
    return RunsBlt(theImage, theX, theY, theSrcRect, theColor, true, true);
}

bool DDImage::RunsBlt(Image* theImage, int theX, int theY, const Rect& theSrcRect, const Color& theColor,
                      bool additive, bool mirror)
{
    if (theImage != nullptr)
        theImage->mDrawn = true;
    auto* aSrc = dynamic_cast<MemoryImage*>(theImage);
    if (mNoLock || aSrc == nullptr)
        return true;
    aSrc->RescanAlphaFlags();
    return DrawWords(this, aSrc, additive ? Kind::Add : Kind::Runs, mirror, theX, theY, theSrcRect, theColor);
}

} // namespace Quor
