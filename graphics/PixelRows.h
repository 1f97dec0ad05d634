// Row loops of the memory image's blitters and fills that work on several 32-bit ARGB pixels
// at once (SSE2 where the compiler targets it, which every x86-64 does), each with a plain loop
// for the remaining pixels and for other processors. Every loop gives exactly the pixels of the
// per-pixel formula written beside it.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Quor::PixelRows {

// d.rgb += s.rgb, each channel saturating at 255; d's alpha kept.
inline void AddSaturate(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    for (; i + 4 <= n; i += 4) {
        __m128i sv = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)), rgb);
        __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_adds_epu8(dv, sv));
    }
#endif
    for (; i < n; ++i) {
        uint32_t dd = d[i], ss = s[i];
        auto ch = [&](int shift) {
            return std::min<uint32_t>(((dd >> shift) & 0xFF) + ((ss >> shift) & 0xFF), 255) << shift;
        };
        d[i] = (dd & 0xFF000000u) | ch(16) | ch(8) | ch(0);
    }
}

// d.c += (s.c * s.a) >> 8 for red, green and blue, each saturating at 255; d's alpha kept.
// AddAlphaScaled picks the widest form the processor runs (chosen once, on first use).
void AddAlphaScaled(uint32_t* d, const uint32_t* s, int n);
inline void AddAlphaScaledSse2(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    const __m128i zero = _mm_setzero_si128();
    for (; i + 4 <= n; i += 4) {
        __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        __m128i lo = _mm_unpacklo_epi8(sv, zero);
        __m128i hi = _mm_unpackhi_epi8(sv, zero);
        __m128i alo = _mm_shufflehi_epi16(_mm_shufflelo_epi16(lo, 0xFF), 0xFF);
        __m128i ahi = _mm_shufflehi_epi16(_mm_shufflelo_epi16(hi, 0xFF), 0xFF);
        lo = _mm_srli_epi16(_mm_mullo_epi16(lo, alo), 8);
        hi = _mm_srli_epi16(_mm_mullo_epi16(hi, ahi), 8);
        __m128i add = _mm_and_si128(_mm_packus_epi16(lo, hi), rgb);
        __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_adds_epu8(dv, add));
    }
#endif
    for (; i < n; ++i) {
        uint32_t dd = d[i], ss = s[i], sa = ss >> 24;
        auto ch = [&](int shift) {
            return std::min<uint32_t>(((dd >> shift) & 0xFF) + ((((ss >> shift) & 0xFF) * sa) >> 8), 255)
                   << shift;
        };
        d[i] = (dd & 0xFF000000u) | ch(16) | ch(8) | ch(0);
    }
}

// The same with 8 pixels a step; only where the processor has AVX2.
void AddAlphaScaledAvx2(uint32_t* d, const uint32_t* s, int n);

#if defined(__SSE2__)
// Two pixels as 16-bit channels over an opaque destination: red and green
// (d * (256 - a) + s * a) >> 8, blue with each product shifted on its own.
inline __m128i OverHalfSse2(__m128i sw, __m128i dw)
{
    const __m128i blue = _mm_set_epi16(0, 0, 0, -1, 0, 0, 0, -1);
    __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(sw, 0xFF), 0xFF);
    __m128i p = _mm_mullo_epi16(dw, _mm_sub_epi16(_mm_set1_epi16(256), a));
    __m128i q = _mm_mullo_epi16(sw, a);
    __m128i joint = _mm_srli_epi16(_mm_add_epi16(p, q), 8);
    __m128i apart = _mm_add_epi16(_mm_srli_epi16(p, 8), _mm_srli_epi16(q, 8));
    return _mm_or_si128(_mm_and_si128(blue, apart), _mm_andnot_si128(blue, joint));
}
#endif

// Over an opaque destination, as the word arithmetic of the normal blit gives it: red and green
// (d.c * (256 - s.a) + s.c * s.a) >> 8, blue ((d.b * (256 - s.a)) >> 8) + ((s.b * s.a) >> 8);
// the result is opaque.
inline void BlendOverOpaque(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    auto four = [&](const uint32_t* sp, uint32_t* dp) {
        __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sp));
        __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dp));
        __m128i lo = OverHalfSse2(_mm_unpacklo_epi8(sv, zero), _mm_unpacklo_epi8(dv, zero));
        __m128i hi = OverHalfSse2(_mm_unpackhi_epi8(sv, zero), _mm_unpackhi_epi8(dv, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dp), _mm_or_si128(_mm_packus_epi16(lo, hi), opaque));
    };
    for (; i + 4 <= n; i += 4)
        four(s + i, d + i);
#endif
    for (; i < n; ++i) {
        uint32_t dd = d[i], ss = s[i], a = ss >> 24, na = 256 - a;
        uint32_t rb = ((((dd & 0x00FF00FF) * na) >> 8) + (((ss & 0x00FF00FF) * a) >> 8)) & 0xFFFF00FF;
        uint32_t g = ((((dd & 0x0000FF00) * na) >> 8) + (((ss & 0x0000FF00) * a) >> 8)) & 0x0000FF00;
        d[i] = rb | g | 0xFF000000u;
    }
}

// A whole row over an opaque destination, pixel by pixel by the source alpha: 0 leaves d,
// 255 copies s, anything else blends as BlendOverOpaque does. Groups of clear or opaque
// pixels are skipped or copied whole. OverOpaqueRow picks the widest form the processor runs.
void OverOpaqueRow(uint32_t* d, const uint32_t* s, int n);
void OverOpaqueRowAvx2(uint32_t* d, const uint32_t* s, int n);
inline void OverOpaqueRowSse2(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    for (; i + 4 <= n; i += 4) {
        __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        __m128i top = _mm_and_si128(sv, opaque);
        int clear = _mm_movemask_epi8(_mm_cmpeq_epi32(top, zero));
        if (clear == 0xFFFF)
            continue;
        __m128i solid = _mm_cmpeq_epi32(top, opaque);
        if (_mm_movemask_epi8(solid) == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), sv);
            continue;
        }
        __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        __m128i lo = OverHalfSse2(_mm_unpacklo_epi8(sv, zero), _mm_unpacklo_epi8(dv, zero));
        __m128i hi = OverHalfSse2(_mm_unpackhi_epi8(sv, zero), _mm_unpackhi_epi8(dv, zero));
        __m128i mixed = _mm_or_si128(_mm_packus_epi16(lo, hi), opaque);
        // Clear pixels come out as d (an opaque d), opaque ones take s.
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_or_si128(_mm_and_si128(solid, sv), _mm_andnot_si128(solid, mixed)));
    }
#endif
    for (; i < n; ++i) {
        uint32_t ss = s[i], a = ss >> 24;
        if (a == 255)
            d[i] = ss;
        else if (a != 0)
            BlendOverOpaque(d + i, s + i, 1);
    }
}

// d[i] = palette[index[i]]. PaletteRow picks the widest form the processor runs.
void PaletteRow(uint32_t* d, const uint8_t* index, const uint32_t* palette, int n);
void PaletteRowAvx2(uint32_t* d, const uint8_t* index, const uint32_t* palette, int n);
inline void PaletteRowPlain(uint32_t* d, const uint8_t* index, const uint32_t* palette, int n)
{
    for (int i = 0; i < n; ++i)
        d[i] = palette[index[i]];
}

// One colour over a row whose pixels share one alpha: each channel (d.c * (256 - f) + c.c * f)
// >> 8 with f in 0..256, the alpha byte replaced by newAlpha.
inline void BlendColor(uint32_t* d, int n, uint32_t r, uint32_t g, uint32_t b, uint32_t f,
                       uint32_t newAlpha)
{
    const uint32_t nf = 256 - f;
    const uint32_t na = newAlpha << 24;
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i vnf = _mm_set1_epi16(static_cast<short>(nf));
    // Per pixel lanes b, g, r, a: the colour times f (the alpha lane's value is replaced).
    const __m128i cf = _mm_set_epi16(0, static_cast<short>(r * f), static_cast<short>(g * f),
                                     static_cast<short>(b * f), 0, static_cast<short>(r * f),
                                     static_cast<short>(g * f), static_cast<short>(b * f));
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    const __m128i alpha = _mm_set1_epi32(static_cast<int>(na));
    for (; i + 4 <= n; i += 4) {
        __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        __m128i lo = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), vnf), cf), 8);
        __m128i hi = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), vnf), cf), 8);
        __m128i px = _mm_or_si128(_mm_and_si128(_mm_packus_epi16(lo, hi), rgb), alpha);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), px);
    }
#endif
    const uint32_t crb = ((r << 16) | b) * f, cg = (g << 8) * f;
    for (; i < n; ++i) {
        uint32_t dd = d[i];
        d[i] = na | ((((dd & 0x00FF00FF) * nf + crb) >> 8) & 0x00FF00FF) |
               ((((dd & 0x0000FF00) * nf + cg) >> 8) & 0x0000FF00);
    }
}

// Display words with whole-byte channels: d.rgb + s.rgb, each channel saturating at 255, the
// top byte of the result 0.
inline void AddSaturateWords(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    for (; i + 4 <= n; i += 4) {
        __m128i sv = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)), rgb);
        __m128i dv = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i)), rgb);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_adds_epu8(dv, sv));
    }
#endif
    for (; i < n; ++i) {
        uint32_t dd = d[i], ss = s[i], out = 0;
        for (int shift : {16, 8, 0})
            out |= std::min<uint32_t>(((dd >> shift) & 0xFF) + ((ss >> shift) & 0xFF), 255) << shift;
        d[i] = out;
    }
}

// Display words with whole-byte channels over premultiplied source words: where s's alpha a is
// not 0, d = (each channel of d times (256 - a), >> 8, top byte 0) + s as a whole word; where
// it is 0, d stays.
inline void OverPremultiplied(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i rgb = _mm_set1_epi32(0x00FFFFFF);
    const __m128i k256 = _mm_set1_epi32(256), k255 = _mm_set1_epi32(255);
    for (; i + 4 <= n; i += 4) {
        __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        __m128i al = _mm_srli_epi32(sv, 24);
        // Four clear words leave d; four opaque ones replace it ((d * 1) >> 8 is 0).
        int clearMask = _mm_movemask_epi8(_mm_cmpeq_epi32(al, zero));
        if (clearMask == 0xFFFF)
            continue;
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(al, k255)) == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), sv);
            continue;
        }
        __m128i w16 = _mm_packs_epi32(_mm_sub_epi32(k256, al), zero);  // w0 w1 w2 w3 as 16 bits
        __m128i w2 = _mm_unpacklo_epi16(w16, w16);                        // w0 w0 w1 w1 w2 w2 w3 w3
        __m128i wlo = _mm_unpacklo_epi32(w2, w2), whi = _mm_unpackhi_epi32(w2, w2);
        __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
        __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(dv, zero), wlo), 8);
        __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(dv, zero), whi), 8);
        __m128i out = _mm_add_epi32(_mm_and_si128(_mm_packus_epi16(lo, hi), rgb), sv);
        __m128i keep = _mm_cmpeq_epi32(al, zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_or_si128(_mm_and_si128(keep, dv), _mm_andnot_si128(keep, out)));
    }
#endif
    for (; i < n; ++i) {
        uint32_t sw = s[i], a = sw >> 24;
        if (a == 0)
            continue;
        uint32_t dd = d[i], w = 256 - a;
        d[i] = ((((dd & 0x00FF00FF) * w) >> 8) & 0x00FF00FF) + ((((dd & 0xFF00) * w) >> 8) & 0xFF00) + sw;
    }
}

// Looks for a clear pixel (alpha 0, sets hasTrans) and a partly clear one (alpha 1-254, sets
// hasAlpha); flags already set stay set, and the search ends once both are.
inline void ScanAlpha(const uint32_t* p, size_t n, bool& hasTrans, bool& hasAlpha)
{
    size_t i = 0;
    while (i < n && !(hasTrans && hasAlpha)) {
        const size_t end = std::min(n, i + 1024);
#if defined(__SSE2__)
        // Per byte: the smallest value seen, and the OR of every value + 1 (the alpha byte only
        // gets the 1). An alpha 0 leaves a 0 in the first; an alpha 1-254 leaves a bit above
        // the lowest in the second, which 0 and 255 (giving 1 and 0) never do.
        const __m128i alphaOne = _mm_set1_epi32(0x01000000);
        __m128i low = _mm_set1_epi8(-1);
        __m128i plus = _mm_setzero_si128();
        for (; i + 16 <= end; i += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 4));
            const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 8));
            const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 12));
            low = _mm_min_epu8(low, _mm_min_epu8(_mm_min_epu8(a, b), _mm_min_epu8(c, d)));
            plus = _mm_or_si128(plus, _mm_or_si128(_mm_or_si128(_mm_add_epi8(a, alphaOne), _mm_add_epi8(b, alphaOne)),
                                                   _mm_or_si128(_mm_add_epi8(c, alphaOne), _mm_add_epi8(d, alphaOne))));
        }
        const __m128i zero = _mm_setzero_si128();
        low = _mm_or_si128(low, _mm_set1_epi32(0x00FFFFFF));
        plus = _mm_and_si128(plus, _mm_set1_epi32(static_cast<int>(0xFE000000u)));
        hasTrans |= _mm_movemask_epi8(_mm_cmpeq_epi8(low, zero)) != 0;
        hasAlpha |= _mm_movemask_epi8(_mm_cmpeq_epi8(plus, zero)) != 0xFFFF;
#endif
        for (; i < end; ++i) {
            const uint32_t a = p[i] >> 24;
            hasTrans |= a == 0;
            hasAlpha |= a != 0 && a != 255;
        }
    }
}

// Gives the run of pixels equal to p[0] (among p[0] .. p[n - 1], n >= 1) the palette index:
// out[i] = index through the run, whose length is returned. Bytes of out past the run, below
// n, may be written too (the caller's next run writes them again).
inline size_t FillRun(const uint32_t* p, size_t n, uint8_t* out, uint8_t index)
{
    const uint32_t color = p[0];
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i c = _mm_set1_epi32(static_cast<int>(color));
    const __m128i fill = _mm_set1_epi8(static_cast<char>(index));
    for (; i + 8 <= n; i += 8) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), fill);
        const uint32_t a = uint32_t(_mm_movemask_ps(_mm_castsi128_ps(
            _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), c))));
        const uint32_t b = uint32_t(_mm_movemask_ps(_mm_castsi128_ps(
            _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 4)), c))));
        const uint32_t same = a | b << 4;
        if (same != 0xFF)
            return i + size_t(std::countr_one(same));
    }
#endif
    for (; i < n && p[i] == color; ++i)
        out[i] = index;
    return i;
}

} // namespace Quor::PixelRows
