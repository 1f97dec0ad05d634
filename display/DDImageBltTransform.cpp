// The display image's transformed blits: float position, rotation, fast and smooth stretches
// with their mirrored forms, matrix and triangle blits through the rasterizer, and the
// coverage-weighted span fill, each into the locked surface or into the 32-bit pixels.
#include "display/D3DInterface.h"
#include "display/DDImage.h"

#include "display/DDImageSurface.h"
#include "display/DDInterface.h"
#include "graphics/PixelRows.h"
#include "graphics/SampleTrim.h"
#include "graphics/SWTri.h"

#include <algorithm>
#include <cstdint>
#include <cmath>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Quor {

using namespace surface;

namespace {

// The rasterizer's code for the lock's pixel layout, 0 when it has none.
int FormatCode(const plat::SurfaceDesc& d)
{
    const plat::PixelFormat& f = d.format;
    if (f.bitCount == 32)
        return SWTRI_FORMAT_888;
    if (f.bitCount == 16 && f.redMask == 0xF800 && f.greenMask == 0x07E0 && f.blueMask == 0x001F)
        return SWTRI_FORMAT_565;
    if (f.bitCount == 16 && f.redMask == 0x7C00 && f.greenMask == 0x03E0 && f.blueMask == 0x001F)
        return SWTRI_FORMAT_555;
    return 0;
}

// Hands the locked surface to the rasterizer when it has a code for the lock's layout; once the
// lock was taken the memory copies go, whether or not the layout could be drawn.
template <class Draw>
void Rasterize(DDImage* theImage, Draw draw)
{
    {
        Lock aLock(theImage);
        if (!aLock.Locked())
            return;
        const int aCode = FormatCode(theImage->mLockedSurfaceDesc);
        if (aCode != 0)
            draw(theImage->mLockedSurfaceDesc, aCode);
    }
    theImage->DeleteMemoryData();
}

struct RotateArgs {
    const uint32_t* bits;
    const uint32_t* palette;
    const uint8_t* indices;
    int srcW;
    Rect srcRect;
    float x, y, cx, cy;
    double rot;
    RectD box;
    uint32_t col[3];
    uint32_t A;
    bool white;
    bool additive;
};

// The three forms of a rotated pixel: normal with white, normal with a colour, additive.
enum class RotateForm { White, Colour, Additive };

// What every pixel of one rotated blit shares: the colour's factors and the channel shifts.
struct RotateMix {
    uint32_t k[3];     // additive: the colour scaled by its alpha
    uint32_t f[3];     // normal: the colour plus one (256 for white)
    uint32_t down[3];  // from a channel's 8.16 sum to the display's channel bits
    uint32_t A;
};

// One drawn pixel mixing its 2 x 2 source pixels by the sample's 16-bit fractions (the pixels
// with no clear neighbour; kept out of line so that the loop over clear pixels stays short).
template <RotateForm Form>
[[gnu::noinline]] uint32_t MixRotated(const View& v, const RotateMix& mx, const uint32_t s[4], int64_t u, int64_t vv,
                                      uint32_t d)
{
    const uint32_t fx = static_cast<uint32_t>((u & 0xFFFE) + 1);
    const uint32_t fy = static_cast<uint32_t>((vv & 0xFFFE) + 1);
    const uint32_t w[4] = {static_cast<uint32_t>((uint64_t(65536 - fx) * (65536 - fy)) >> 16),
                           static_cast<uint32_t>((uint64_t(fx) * (65536 - fy)) >> 16),
                           static_cast<uint32_t>((uint64_t(65536 - fx) * fy) >> 16),
                           static_cast<uint32_t>((uint64_t(fx) * fy) >> 16)};
    // Each weight is at most 65536 and the four sum to at most 65536, so the alphas sum to at
    // most 255: red and blue share one 32-bit sum without carrying into each other.
    uint32_t asum = 0, redBlue = 0, green = 0;
    for (int n = 0; n < 4; n++) {
        uint32_t a = (w[n] * (s[n] >> 24)) >> 16;
        if constexpr (Form == RotateForm::Colour)
            a = (a * mx.A) >> 8;
        asum += a;
        redBlue += (s[n] & 0xFF00FF) * a;
        green += (s[n] & 0xFF00) * a;
    }
    const uint32_t sum[3] = {(redBlue & 0xFFFF0000u) >> 8, green >> 8, (redBlue & 0xFFFF) >> 8};
    const uint32_t keep = 256 - std::min<uint32_t>(asum, 256);
    uint32_t out = 0;
    for (int c = 0; c < 3; c++) {
        const uint32_t m = v.mask[c], sh = v.shift[c];
        if constexpr (Form == RotateForm::Additive) {
            const uint64_t t = ((uint64_t(sum[c]) >> mx.down[c]) * mx.k[c]) >> 8;
            out |= static_cast<uint32_t>(v.sat[c][((d & m) >> sh) + t]) << sh;
        } else {
            const uint32_t sv = static_cast<uint32_t>(((uint64_t(sum[c]) * mx.f[c]) >> mx.down[c]) << sh) & m;
            const uint32_t dv2 = static_cast<uint32_t>(((uint64_t(d & m) * keep) >> 8) & m);
            out += sv + dv2;
        }
    }
    return out;
}

// One form of the rotated blit over the box's rows.
template <typename T, RotateForm Form, bool Pal>
void RotateRows(const View& v, const RotateArgs& r)
{
    const double cs = std::cos(r.rot), sn = std::sin(r.rot);
    const int64_t du = static_cast<int64_t>(cs * 65536.0), dv = static_cast<int64_t>(sn * 65536.0);
    const int top = static_cast<int>(r.box.mY), left = static_cast<int>(r.box.mX);
    const int64_t lastK = static_cast<int64_t>(r.box.mWidth - 1);
    const int W = r.srcRect.mWidth, H = r.srcRect.mHeight;
    const size_t srcW = static_cast<size_t>(r.srcW);
    const size_t origin = static_cast<size_t>(r.srcRect.mY) * srcW + static_cast<size_t>(r.srcRect.mX);
    static constexpr uint32_t kTop[3] = {32, 24, 16};
    static constexpr uint32_t kZero[3] = {0, 0, 0};
    RotateMix mx{};
    mx.A = r.A;
    for (int c = 0; c < 3; c++) {
        mx.k[c] = r.col[c] * r.A / 255;
        mx.f[c] = Form == RotateForm::White ? 256 : r.col[c] + 1;
        mx.down[c] = Form == RotateForm::Additive ? kTop[c] - 8 - v.bits[c] : kTop[c] - v.bits[c];
    }
    const uint32_t allMasks = v.mask[0] | v.mask[1] | v.mask[2];
    for (int rowIdx = 0; rowIdx < r.box.mHeight; rowIdx++) {
        const int y = top + rowIdx;
        if (y < 0 || y >= v.height)
            continue;
        const double dx = left - r.cx - r.x, dy = y - r.cy - r.y;
        const int64_t us = static_cast<int64_t>((dx * cs - dy * sn + r.cx) * 65536.0);
        const int64_t vs = static_cast<int64_t>((dx * sn + dy * cs + r.cy) * 65536.0);
        int64_t first = 0, last = std::min<int64_t>(lastK, v.width - 1 - left);
        if (left < 0)
            first = -left;
        if (!LimitRotatedSamples(us, du, W, false, first, last) ||
            !LimitRotatedSamples(vs, dv, H, true, first, last))
            continue;
        T* dst = Row<T>(v, y) + left;
        for (int64_t kk = first; kk <= last; kk++) {
            const int64_t u = us + kk * du, vv = vs + kk * dv;
            const size_t at = origin + static_cast<size_t>(vv >> 16) * srcW + static_cast<size_t>(u >> 16);
            uint32_t s[4];
            if constexpr (Pal) {
                s[0] = r.palette[r.indices[at]];
                s[1] = r.palette[r.indices[at + 1]];
                s[2] = r.palette[r.indices[at + srcW]];
                s[3] = r.palette[r.indices[at + srcW + 1]];
            } else {
                s[0] = r.bits[at];
                s[1] = r.bits[at + 1];
                s[2] = r.bits[at + srcW];
                s[3] = r.bits[at + srcW + 1];
            }
            T& p = dst[kk];
            const uint32_t d = p;
            if (((s[0] | s[1] | s[2] | s[3]) >> 24) != 0) {
                p = static_cast<T>(MixRotated<Form>(v, mx, s, u, vv, d));
            } else if constexpr (Form == RotateForm::Additive) {
                // Four clear source pixels give every channel a weight of 0: the pixel keeps its
                // channels (and loses the bits no channel covers, as the full mix does).
                p = static_cast<T>(v.AddSat(d, kZero));
            } else {
                p = static_cast<T>(d & allMasks);
            }
        }
    }
}

template <typename T>
void Rotate(const View& v, const RotateArgs& r)
{
    const bool pal = r.palette != nullptr;
    if (r.additive)
        pal ? RotateRows<T, RotateForm::Additive, true>(v, r) : RotateRows<T, RotateForm::Additive, false>(v, r);
    else if (r.white)
        pal ? RotateRows<T, RotateForm::White, true>(v, r) : RotateRows<T, RotateForm::White, false>(v, r);
    else
        pal ? RotateRows<T, RotateForm::Colour, true>(v, r) : RotateRows<T, RotateForm::Colour, false>(v, r);
}

struct StretchArgs {
    const uint32_t* words;
    const uint8_t* indices;
    int srcW, srcH;
    Rect dest;
    RectD src;
    uint32_t col[3];
    uint32_t A;
    bool white;
    int mode;
    bool mirror;
};

// The three forms of a stretched pixel: normal with white, normal with a colour, additive.
enum class StretchForm { White, Colour, Additive };

// A source word over a destination word in the colour form: the word's alpha scaled by the
// colour's, 0 leaving the pixel; each channel (d * (256 - a) + s * c') >> 8 in place, c' the
// colour's channel scaled by its alpha.
template <typename T>
inline void ColourOver(const View& v, T& p, uint32_t src, uint32_t A, const uint32_t cp[3])
{
    const uint32_t al = (src >> 24) * A / 255;
    if (al == 0)
        return;
    const uint32_t d = p;
    uint32_t out = 0;
    for (int n = 0; n < 3; n++) {
        const uint64_t m = v.mask[n];
        out |= static_cast<uint32_t>((((d & m) * (256 - al) + (src & m) * cp[n]) >> 8) & m);
    }
    p = static_cast<T>(out);
}

// ColourOver along a row of stretched source words, several pixels at a time where the lock's
// layout allows it exactly: 32-bit locks of whole-byte channels (each channel's sum taken in 32
// bits), and 16-bit locks of contiguous channels of at most 7 bits (the sums fit 16 bits).
class ColourRows {
public:
    ColourRows(const View& v, uint32_t A, const uint32_t cp[3]) : mView(v), mA(A)
    {
        for (int n = 0; n < 3; n++)
            mCp[n] = cp[n];
        if (v.bitCount == 32) {
            mOn = v.byteChannels;
            for (int n = 0; n < 3 && mOn; n++)
                mByteCp[__builtin_ctz(v.mask[n]) / 8] = static_cast<short>(cp[n]);
            mChannels = v.mask[0] | v.mask[1] | v.mask[2];
            return;
        }
        mOn = v.bitCount == 16;
        for (int n = 0; n < 3; n++) {
            const uint32_t m = v.mask[n];
            const int k = m != 0 ? __builtin_ctz(m) : 0;
            mShift[n] = k;
            mMax[n] = m >> k;
            mOn = mOn && m != 0 && m <= 0xFFFF && mMax[n] <= 0x7F && (mMax[n] & (mMax[n] + 1)) == 0;
        }
    }

    bool On() const { return mOn; }

    void Blend(uint32_t* d, const uint32_t* s, int n) const
    {
        int i = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        const __m128i A = _mm_set1_epi16(static_cast<short>(mA));
        const __m128i cp = _mm_setr_epi16(mByteCp[0], mByteCp[1], mByteCp[2], mByteCp[3], mByteCp[0], mByteCp[1],
                                          mByteCp[2], mByteCp[3]);
        const __m128i channels = _mm_set1_epi32(static_cast<int>(mChannels));
        const __m128i lowByte = _mm_set1_epi32(0xFF);
        for (; i + 4 <= n; i += 4) {
            const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
            const __m128i al = ScaledAlpha(_mm_packs_epi32(_mm_srli_epi32(sv, 24), zero), A); // 4 words
            const __m128i keep = _mm_cmpeq_epi32(_mm_unpacklo_epi16(al, zero), zero);
            if (_mm_movemask_epi8(keep) == 0xFFFF)
                continue;
            const __m128i ia = _mm_sub_epi16(_mm_set1_epi16(256), al);
            const __m128i ia2 = _mm_unpacklo_epi16(ia, ia);                                // pixels as pairs
            const __m128i iaLo = _mm_unpacklo_epi32(ia2, ia2), iaHi = _mm_unpackhi_epi32(ia2, ia2);
            const __m128i d16lo = _mm_unpacklo_epi8(dv, zero), d16hi = _mm_unpackhi_epi8(dv, zero);
            const __m128i s16lo = _mm_unpacklo_epi8(sv, zero), s16hi = _mm_unpackhi_epi8(sv, zero);
            // Per channel d * (256 - a) + s * c' in 32 bits, then bits 8-15 of it.
            auto sums = [&](__m128i d16, __m128i s16, __m128i w) {
                const __m128i lo = _mm_madd_epi16(_mm_unpacklo_epi16(d16, s16), _mm_unpacklo_epi16(w, cp));
                const __m128i hi = _mm_madd_epi16(_mm_unpackhi_epi16(d16, s16), _mm_unpackhi_epi16(w, cp));
                return _mm_packs_epi32(_mm_and_si128(_mm_srli_epi32(lo, 8), lowByte),
                                       _mm_and_si128(_mm_srli_epi32(hi, 8), lowByte));
            };
            const __m128i out = _mm_and_si128(_mm_packus_epi16(sums(d16lo, s16lo, iaLo), sums(d16hi, s16hi, iaHi)),
                                              channels);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                             _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, out)));
        }
#endif
        for (; i < n; i++)
            ColourOver(mView, d[i], s[i], mA, mCp);
    }

    void Blend(uint16_t* d, const uint32_t* s, int n) const
    {
        int i = 0;
#if defined(__SSE2__)
        const __m128i zero = _mm_setzero_si128();
        const __m128i A = _mm_set1_epi16(static_cast<short>(mA));
        for (; i + 8 <= n; i += 8) {
            const __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
            const __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 4));
            const __m128i al = ScaledAlpha(_mm_packs_epi32(_mm_srli_epi32(s0, 24), _mm_srli_epi32(s1, 24)), A);
            const __m128i keep = _mm_cmpeq_epi16(al, zero);
            if (_mm_movemask_epi8(keep) == 0xFFFF)
                continue;
            // The low 16 bits of each word, sign-extended so that the pack keeps them.
            const __m128i sw = _mm_packs_epi32(_mm_srai_epi32(_mm_slli_epi32(s0, 16), 16),
                                               _mm_srai_epi32(_mm_slli_epi32(s1, 16), 16));
            const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
            const __m128i ia = _mm_sub_epi16(_mm_set1_epi16(256), al);
            __m128i out = zero;
            for (int c = 0; c < 3; c++) {
                const __m128i shift = _mm_cvtsi32_si128(mShift[c]);
                const __m128i max = _mm_set1_epi16(static_cast<short>(mMax[c]));
                const __m128i f = _mm_and_si128(_mm_srl_epi16(dv, shift), max);
                const __m128i g = _mm_and_si128(_mm_srl_epi16(sw, shift), max);
                const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(f, ia),
                                                  _mm_mullo_epi16(g, _mm_set1_epi16(static_cast<short>(mCp[c]))));
                out = _mm_or_si128(out, _mm_sll_epi16(_mm_and_si128(_mm_srli_epi16(sum, 8), max), shift));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                             _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, out)));
        }
#endif
        for (; i < n; i++)
            ColourOver(mView, d[i], s[i], mA, mCp);
    }

private:
#if defined(__SSE2__)
    // (a * A) / 255 for 16-bit words a and A of at most 255: (t + 1 + (t >> 8)) >> 8 with t = a * A.
    static __m128i ScaledAlpha(__m128i a, __m128i A)
    {
        const __m128i t = _mm_mullo_epi16(a, A);
        return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_set1_epi16(1)), _mm_srli_epi16(t, 8)), 8);
    }
#endif

    const View& mView;
    uint32_t mA;
    uint32_t mCp[3] = {};
    bool mOn = false;
    short mByteCp[4] = {};
    uint32_t mChannels = 0;
    int mShift[3] = {};
    uint32_t mMax[3] = {};
};

template <typename T, StretchForm Form, bool Pal>
void StretchRows(const View& v, const StretchArgs& s)
{
    const int64_t us = static_cast<int64_t>(s.src.mX * 65536.0);
    int64_t vv = static_cast<int64_t>(s.src.mY * 65536.0);
    const int64_t du = static_cast<int64_t>(s.src.mWidth * 65536.0 / s.dest.mWidth);
    const int64_t dv = static_cast<int64_t>(s.src.mHeight * 65536.0 / s.dest.mHeight);
    uint32_t cp[3];
    for (int n = 0; n < 3; n++)
        cp[n] = s.col[n] * s.A / 255;
    const bool is16 = sizeof(T) == 2;
    // The pixels i of a row whose destination column lies on the surface.
    const int w = s.dest.mWidth;
    const int iFirst = std::max(0, s.mirror ? s.dest.mX + w - v.width : -s.dest.mX);
    const int iEnd = std::min(w, s.mirror ? s.dest.mX + w : v.width - s.dest.mX);
    // White over 32-bit whole-byte channels, left to right: each source row is stretched once
    // into a row of words, which then blends over every destination row it covers several pixels
    // a step.
    std::vector<uint32_t> stretched;
    std::vector<uint32_t> cols;
    size_t stretchedBase = SIZE_MAX;
    const bool picked = Form == StretchForm::White && !Pal && !is16 && v.byteChannels && !s.mirror && iEnd > iFirst;
    // The colour form goes the same way, a row of words several pixels at a time.
    const ColourRows colourRows(v, s.A, cp);
    const bool colourPicked = Form == StretchForm::Colour && colourRows.On() && !s.mirror && iEnd > iFirst;
    if (picked || colourPicked) {
        stretched.resize(static_cast<size_t>(iEnd - iFirst));
        cols.resize(stretched.size());
        int64_t u = us + iFirst * du;
        for (uint32_t& c : cols) {
            c = static_cast<uint32_t>(std::clamp<int64_t>(u >> 16, 0, s.srcW - 1));
            u += du;
        }
    }
    for (int row = 0; row < s.dest.mHeight; row++, vv += dv) {
        const int y = s.dest.mY + row;
        if (y < 0 || y >= v.height)
            continue;
        const size_t base = static_cast<size_t>(std::clamp<int64_t>(vv >> 16, 0, s.srcH - 1)) * s.srcW;
        T* dst = Row<T>(v, y);
        if (picked || colourPicked) {
            if (base != stretchedBase) {
                for (size_t k = 0; k < stretched.size(); k++) {
                    if constexpr (Pal)
                        stretched[k] = s.words[s.indices[base + cols[k]]];
                    else
                        stretched[k] = s.words[base + cols[k]];
                }
                stretchedBase = base;
            }
            if (colourPicked) {
                colourRows.Blend(dst + s.dest.mX + iFirst, stretched.data(), iEnd - iFirst);
                continue;
            }
            PixelRows::OverPremultiplied(reinterpret_cast<uint32_t*>(dst + s.dest.mX + iFirst), stretched.data(),
                                         iEnd - iFirst);
            continue;
        }
        const ptrdiff_t x0 = s.mirror ? s.dest.mX + w - 1 : s.dest.mX;
        const ptrdiff_t dir = s.mirror ? -1 : 1;
        int64_t u = us + iFirst * du;
        for (int i = iFirst; i < iEnd; i++, u += du) {
            const size_t at = base + static_cast<size_t>(std::clamp<int64_t>(u >> 16, 0, s.srcW - 1));
            uint32_t src;
            if constexpr (Pal)
                src = s.words[s.indices[at]];
            else
                src = s.words[at];
            T& p = dst[x0 + i * dir];
            const uint32_t d = p;
            if constexpr (Form == StretchForm::White) {
                const uint32_t al = src >> 24;
                if (al == 0)
                    continue;
                if constexpr (is16) {
                    uint32_t out = 0;
                    for (int n = 0; n < 3; n++)
                        out |= ((d & v.mask[n]) * (256 - al) >> 8) & v.mask[n];
                    p = static_cast<T>(out + (src & 0xFFFF));
                } else if (v.byteChannels) {
                    p = ScaleBytes(d, 256 - al) + src;
                } else {
                    uint32_t out = 0;
                    for (int n = 0; n < 3; n++)
                        out |= static_cast<uint32_t>((uint64_t(d & v.mask[n]) * (256 - al)) >> 8) & v.mask[n];
                    p = out + src;
                }
            } else if constexpr (Form == StretchForm::Colour) {
                ColourOver(v, p, src, s.A, cp);
            } else if (!is16 && s.white && v.byteChannels) {
                p = static_cast<T>(AddBytesSaturated(d, src));
            } else {
                p = static_cast<T>(v.AddWord(d, src, s.white, cp));
            }
        }
    }
}

template <typename T, StretchForm Form>
void StretchBySource(const View& v, const StretchArgs& s)
{
    if (s.indices != nullptr)
        StretchRows<T, Form, true>(v, s);
    else
        StretchRows<T, Form, false>(v, s);
}

template <typename T>
void Stretch(const View& v, const StretchArgs& s)
{
    if (s.mode != 0)
        StretchBySource<T, StretchForm::Additive>(v, s);
    else if (s.white)
        StretchBySource<T, StretchForm::White>(v, s);
    else
        StretchBySource<T, StretchForm::Colour>(v, s);
}

} // namespace

void DDImage::BltF(Image* theImage, float theX, float theY, const Rect& theSrcRect,
                   const Rect& theClipRect, const Color& theColor, int theDrawMode)
{
    if (theImage != nullptr)
        theImage->mDrawn = true;
    if (Is3D()) {
        const RectD aDest = RectD(theX, theY, theSrcRect.mWidth, theSrcRect.mHeight)
                                .Intersection(RectD(theClipRect.mX, theClipRect.mY, theClipRect.mWidth, theClipRect.mHeight));
        if (aDest.mWidth == theSrcRect.mWidth && aDest.mHeight == theSrcRect.mHeight)
            mDDInterface->mD3DInterface->Blt(theImage, theX, theY, theSrcRect, theColor, theDrawMode, true);
        else if (aDest.mWidth > 0 && aDest.mHeight > 0)
            mDDInterface->mD3DInterface->BltF(theImage, theX, theY, theSrcRect, theClipRect, theColor, theDrawMode);
        return;
    }
    BltRotated(theImage, theX, theY, theSrcRect, theClipRect, theColor, theDrawMode, 0.0, 0.0f, 0.0f);
}

void DDImage::BltRotated(Image* theImage, float theX, float theY, const Rect& theSrcRect,
                         const Rect& theClipRect, const Color& theColor, int theDrawMode,
                         double theRot, float theRotCenterX, float theRotCenterY)
{
    if (theImage != nullptr)
        theImage->mDrawn = true;
    if (mNoLock)
        return;
    RescanAlphaFlags();
    if (Is3D()) {
        mDDInterface->mD3DInterface->BltRotated(theImage, theX, theY, theSrcRect, theClipRect, theColor, theDrawMode,
                                                theRot, theRotCenterX, theRotCenterY);
        return;
    }
    if (!mHasAlpha && !mHasTrans && mDDInterface != nullptr && !mDDInterface->mIs3D) {
        if (RotatedToSurface(dynamic_cast<MemoryImage*>(theImage), theX, theY, theSrcRect, theClipRect,
                             theColor, theDrawMode, theRot, theRotCenterX, theRotCenterY))
            DeleteMemoryData();
        return;
    }
    MemoryImage::BltRotated(theImage, theX, theY, theSrcRect, theClipRect, theColor, theDrawMode,
                            theRot, theRotCenterX, theRotCenterY);
}

bool DDImage::RotatedToSurface(MemoryImage* theSrc, float theX, float theY, const Rect& theSrcRect,
                               const Rect& theClipRect, const Color& theColor, int theDrawMode,
                               double theRot, float theRotCenterX, float theRotCenterY)
{
    RotateArgs r{};
    if (!std::isfinite(theRot) || !std::isfinite(theX) || !std::isfinite(theY) ||
        !std::isfinite(theRotCenterX) || !std::isfinite(theRotCenterY))
        return true;
    const Rect aClip = theClipRect.Intersection(Rect(0, 0, mWidth, mHeight));
    if (!GetRotatedBltBounds(theX, theY, theSrcRect, theRotCenterX, theRotCenterY, theRot, aClip, r.box) ||
        r.box.mWidth <= 0 || r.box.mHeight <= 0)
        return true;
    if (theSrc == nullptr || theSrcRect.mX < 0 || theSrcRect.mY < 0 ||
        theSrcRect.mX + theSrcRect.mWidth > theSrc->mWidth || theSrcRect.mY + theSrcRect.mHeight > theSrc->mHeight)
        return true;
    theSrc->RescanAlphaFlags();
    if (theSrc->mPaletteColors != nullptr && theSrc->mPaletteIndices != nullptr) {
        r.palette = theSrc->mPaletteColors;
        r.indices = theSrc->mPaletteIndices;
    } else {
        r.bits = theSrc->GetBits();
        if (r.bits == nullptr)
            return true;
    }
    r.srcW = theSrc->mWidth;
    r.srcRect = theSrcRect;
    r.x = theX;
    r.y = theY;
    r.cx = theRotCenterX;
    r.cy = theRotCenterY;
    r.rot = theRot;
    Channels(theColor, r.col, r.A);
    r.white = theColor == Color::White;
    r.additive = theDrawMode != 0;
    return DrawLocked(this, [&](const View& v, auto px) { Rotate<decltype(px)>(v, r); });
}

void DDImage::StretchBlt(Image* theImage, const Rect& theDestRect, const Rect& theSrcRect,
                         const Rect& theClipRect, const Color& theColor, int theDrawMode,
                         bool fastStretch)
{
    if (theImage != nullptr)
        theImage->mDrawn = true;
    RescanAlphaFlags();
    if (Is3D()) {
        mDDInterface->mD3DInterface->StretchBlt(theImage, theDestRect, theSrcRect, theClipRect, theColor, theDrawMode,
                                                fastStretch, false);
        return;
    }
    const bool memoryPath = mHasAlpha || mHasTrans || mDDInterface == nullptr || mDDInterface->mIs3D;
    Rect aDest;
    RectD aSrc;
    if (!ClipStretchBlt(theDestRect, theClipRect.Intersection(Rect(0, 0, mWidth, mHeight)), theSrcRect, aDest, aSrc))
        return;
    if (!fastStretch) {
        if (memoryPath) {
            MemoryImage::StretchBlt(theImage, theDestRect, theSrcRect, theClipRect, theColor, theDrawMode, false);
            return;
        }
        MemoryImage aTemp(mApp);
        aTemp.Create(aDest.mWidth, aDest.mHeight);
        MemoryImage::SmoothStretchBlt(&aTemp, theImage, Rect(0, 0, aDest.mWidth, aDest.mHeight), aSrc);
        Blt(&aTemp, aDest.mX, aDest.mY, Rect(0, 0, aDest.mWidth, aDest.mHeight), theColor, theDrawMode);
        return;
    }
    // An image that can have no surface (translucent pixels) stretches into its own pixels.
    if (mHasAlpha || mDDInterface == nullptr) {
        MemoryImage::StretchBlt(theImage, theDestRect, theSrcRect, theClipRect, theColor, theDrawMode, true);
        return;
    }
    auto* aDDSrc = dynamic_cast<DDImage*>(theImage);
    if (aDDSrc != nullptr && theColor == Color::White && theDrawMode == 0 && !aDDSrc->mHasAlpha &&
        aDDSrc->GetSurface() != nullptr) {
        if (SurfaceStretchBlt(aDDSrc, aDest, aSrc))
            DeleteMemoryData();
        return;
    }
    if (NearestStretchToSurface(dynamic_cast<MemoryImage*>(theImage), aDest, aSrc, theColor, theDrawMode, false))
        DeleteMemoryData();
}

void DDImage::StretchBltMirror(Image* theImage, const Rect& theDestRect, const Rect& theSrcRect,
                               const Rect& theClipRect, const Color& theColor, int theDrawMode,
                               bool fastStretch)
{
    if (theImage != nullptr)
        theImage->mDrawn = true;
    RescanAlphaFlags();
    if (Is3D()) {
        mDDInterface->mD3DInterface->StretchBlt(theImage, theDestRect, theSrcRect, theClipRect, theColor, theDrawMode,
                                                fastStretch, true);
        return;
    }
    Rect aDest;
    RectD aSrc;
    if (!ClipStretchBltMirror(theDestRect, theClipRect.Intersection(Rect(0, 0, mWidth, mHeight)), theSrcRect, aDest, aSrc))
        return;
    auto* aMem = dynamic_cast<MemoryImage*>(theImage);
    if (aMem != nullptr && NearestStretchToSurface(aMem, aDest, aSrc, theColor, theDrawMode, true))
        DeleteMemoryData();
}

// The display's own blit from another surface, keyed when the source has transparent pixels;
// a lock held on this image is let go around it.
bool DDImage::SurfaceStretchBlt(DDImage* theSrc, const Rect& theDest, const RectD& theSrc2)
{
    if (GetSurface() == nullptr || theSrc->mSurface == nullptr)
        return false;
    plat::VRect aDest{theDest.mX, theDest.mY, theDest.mX + theDest.mWidth, theDest.mY + theDest.mHeight};
    plat::VRect aSrc{static_cast<int>(theSrc2.mX), static_cast<int>(theSrc2.mY),
                     static_cast<int>(theSrc2.mX + theSrc2.mWidth), static_cast<int>(theSrc2.mY + theSrc2.mHeight)};
    const uint32_t aFlags = plat::kBltWait | (theSrc->mHasTrans ? static_cast<uint32_t>(plat::kBltKeySrc) : 0u);
    if (mLockCount > 0)
        mSurface->Unlock();
    mSurface->Blt(&aDest, theSrc->mSurface, &aSrc, aFlags);
    if (mLockCount > 0)
        mSurface->Lock(mLockedSurfaceDesc);
    return true;
}

bool DDImage::NearestStretchToSurface(MemoryImage* theSrc, const Rect& theDest, const RectD& theSrc2,
                                      const Color& theColor, int theDrawMode, bool mirror)
{
    if (theSrc == nullptr || theDest.mWidth <= 0 || theDest.mHeight <= 0 || theSrc->mWidth <= 0 ||
        theSrc->mHeight <= 0)
        return true;
    theSrc->RescanAlphaFlags();
    StretchArgs s{};
    s.words = theSrc->GetNativeAlphaData(mDDInterface);
    if (s.words == nullptr)
        return true;
    if (theSrc->mPaletteColors != nullptr)
        s.indices = theSrc->mPaletteIndices;
    s.srcW = theSrc->mWidth;
    s.srcH = theSrc->mHeight;
    s.dest = theDest;
    s.src = theSrc2;
    Channels(theColor, s.col, s.A);
    s.white = theColor == Color::White;
    s.mode = theDrawMode;
    s.mirror = mirror;
    return DrawLocked(this, [&](const View& v, auto px) { Stretch<decltype(px)>(v, s); });
}

void DDImage::BltMatrix(Image* theImage, float x, float y, const Matrix3& theMatrix,
                        const Rect& theClipRect, const Color& theColor, int theDrawMode,
                        const Rect& theSrcRect, bool blend)
{
    if (theImage != nullptr)
        theImage->mDrawn = true;
    if (Is3D()) {
        mDDInterface->mD3DInterface->BltTransformed(theImage, &theClipRect, theColor, theDrawMode, theSrcRect, theMatrix,
                                                    blend, x, y, true);
        return;
    }
    RescanAlphaFlags();
    // An image that can have no surface (translucent pixels) draws into its own pixels.
    if (mHasAlpha || mDDInterface == nullptr) {
        MemoryImage::BltMatrix(theImage, x, y, theMatrix, theClipRect, theColor, theDrawMode, theSrcRect, blend);
        return;
    }
    // The draw mode does not reach the rasterizer: software matrix blits always blend.
    Rasterize(this, [&](const plat::SurfaceDesc& d, int aCode) {
        MemoryImage::BltMatrixSoftware(this, theImage, theSrcRect, x, y, theMatrix, theClipRect, theColor, theDrawMode,
                                       d.pixels, d.pitch, aCode, blend);
    });
}

void DDImage::BltTriangles(Image* theImage, const TriVertex theVertices[][3], int theNumTriangles,
                           const Rect& theClipRect, const Color& theColor, int theDrawMode, float tx,
                           float ty, bool blend)
{
    if (theImage != nullptr)
        theImage->mDrawn = true;
    if (Is3D()) {
        mDDInterface->mD3DInterface->BltTriangles(theImage, theVertices, theNumTriangles, theColor, theDrawMode, tx, ty,
                                                  blend);
        return;
    }
    RescanAlphaFlags();
    if (mHasAlpha || mDDInterface == nullptr) {
        MemoryImage::BltTriangles(theImage, theVertices, theNumTriangles, theClipRect, theColor, theDrawMode,
                                  tx, ty, blend);
        return;
    }
    Rasterize(this, [&](const plat::SurfaceDesc& d, int aCode) {
        MemoryImage::BltTrianglesSoftware(this, theImage, theVertices, theNumTriangles, theClipRect, theColor,
                                          theDrawMode, d.pixels, d.pitch, aCode, tx, ty, blend);
    });
}

void DDImage::FillScanLinesWithCoverage(Span* theSpans, int theSpanCount, const Color& theColor,
                                        int theDrawMode, const uint8_t* theCoverage, int theCoverX,
                                        int theCoverY, int theCoverWidth, int theCoverHeight)
{
    if (theSpanCount <= 0 || theSpans == nullptr)
        return;
    if (Is3D()) {
        // The spans go through a temporary image sized to their box; the caller's array is
        // left as it was (the box-relative copy is ours).
        std::vector<Span> aSpans(theSpans, theSpans + theSpanCount);
        int left = aSpans[0].mX, top = aSpans[0].mY, right = left + aSpans[0].mWidth - 1, bottom = top;
        for (const Span& s : aSpans) {
            left = std::min(left, s.mX);
            top = std::min(top, s.mY);
            right = std::max(right, s.mX + s.mWidth - 1);
            bottom = std::max(bottom, s.mY);
        }
        for (Span& s : aSpans) {
            s.mX -= left;
            s.mY -= top;
        }
        MemoryImage aTemp(mApp);
        aTemp.Create(right - left + 1, bottom - top + 1);
        aTemp.FillScanLinesWithCoverage(aSpans.data(), theSpanCount, theColor, theDrawMode, theCoverage,
                                        theCoverX - left, theCoverY - top, theCoverWidth, theCoverHeight);
        Blt(&aTemp, left, top, Rect(0, 0, right - left + 1, bottom - top + 1), Color::White, theDrawMode);
        return;
    }
    RescanAlphaFlags();
    // An image that can have no surface (translucent pixels) draws into its own pixels.
    if (mHasAlpha || mDDInterface == nullptr) {
        MemoryImage::FillScanLinesWithCoverage(theSpans, theSpanCount, theColor, theDrawMode, theCoverage,
                                               theCoverX, theCoverY, theCoverWidth, theCoverHeight);
        return;
    }
    if (CoverageToSurface(theSpans, theSpanCount, theColor, theCoverage, theCoverX, theCoverY, theCoverWidth,
                          theCoverHeight))
        DeleteMemoryData();
}

namespace {

template <typename T>
void Coverage(const View& v, const Span* spans, int count, uint32_t P, uint32_t A, const uint8_t* cover,
              int cx, int cy, int cw, int ch)
{
    for (int n = 0; n < count; n++) {
        const Span& s = spans[n];
        const int64_t crow = int64_t(s.mY) - cy;
        if (s.mY < 0 || s.mY >= v.height || crow < 0 || crow >= ch)
            continue;
        T* dst = Row<T>(v, s.mY);
        for (int64_t x = s.mX; x < int64_t(s.mX) + s.mWidth; x++) {
            const int64_t ccol = x - cx;
            if (x < 0 || x >= v.width || ccol < 0 || ccol >= cw)
                continue;
            const uint32_t k = cover[crow * cw + ccol];
            const uint64_t a = ((k + 1) * A) >> 8, wt = 256 - a;
            const uint32_t d = dst[x];
            uint32_t out = 0;
            for (int c = 0; c < 3; c++) {
                const uint64_t m = v.mask[c];
                out |= static_cast<uint32_t>((((d & m) * wt + (P & m) * a) >> 8) & m);
            }
            dst[x] = static_cast<T>(out);
        }
    }
}

} // namespace

bool DDImage::CoverageToSurface(const Span* theSpans, int theSpanCount, const Color& theColor,
                                const uint8_t* theCoverage, int theCoverX, int theCoverY,
                                int theCoverWidth, int theCoverHeight)
{
    return DrawLocked(this, [&](const View& v, auto px) {
        if (theCoverage == nullptr)
            return;
        uint32_t c[3], A;
        Channels(theColor, c, A);
        uint32_t P = 0;
        for (int n = 0; n < 3; n++)
            P |= static_cast<uint32_t>((uint64_t(c[n]) * v.mask[n]) >> 8) & v.mask[n];
        Coverage<decltype(px)>(v, theSpans, theSpanCount, P, A, theCoverage, theCoverX, theCoverY, theCoverWidth,
                               theCoverHeight);
    });
}

} // namespace Quor
