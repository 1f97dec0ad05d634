// The row loops of PixelRows.h that have a wider form for processors with AVX2, and the choice
// between the forms, made once at run time (no resolver runs before main, so every sanitizer
// build works the same).
#include "graphics/PixelRows.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define QUOR_PIXELROWS_AVX2 1
#endif

namespace Quor::PixelRows {

#if defined(QUOR_PIXELROWS_AVX2)

__attribute__((target("avx2"))) void AddAlphaScaledAvx2(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
    const __m256i rgb = _mm256_set1_epi32(0x00FFFFFF);
    const __m256i zero = _mm256_setzero_si256();
    // Within each 16-bit lane group of a pixel, the alpha word repeated.
    const __m256i alphaWords = _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15,
                                                6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15);
    for (; i + 8 <= n; i += 8) {
        __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        __m256i lo = _mm256_unpacklo_epi8(sv, zero);
        __m256i hi = _mm256_unpackhi_epi8(sv, zero);
        lo = _mm256_srli_epi16(_mm256_mullo_epi16(lo, _mm256_shuffle_epi8(lo, alphaWords)), 8);
        hi = _mm256_srli_epi16(_mm256_mullo_epi16(hi, _mm256_shuffle_epi8(hi, alphaWords)), 8);
        __m256i add = _mm256_and_si256(_mm256_packus_epi16(lo, hi), rgb);
        __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_adds_epu8(dv, add));
    }
    AddAlphaScaledSse2(d + i, s + i, n - i);
}

void AddAlphaScaled(uint32_t* d, const uint32_t* s, int n)
{
    static const auto form = __builtin_cpu_supports("avx2") ? AddAlphaScaledAvx2 : AddAlphaScaledSse2;
    form(d, s, n);
}

// Four pixels as 16-bit channels: red and green (d * (256 - a) + s * a) >> 8, blue with each
// product shifted on its own.
__attribute__((target("avx2"))) static inline __m256i OverHalfAvx2(__m256i sw, __m256i dw, __m256i alphaWords,
                                                                   __m256i blue)
{
    __m256i a = _mm256_shuffle_epi8(sw, alphaWords);
    __m256i p = _mm256_mullo_epi16(dw, _mm256_sub_epi16(_mm256_set1_epi16(256), a));
    __m256i q = _mm256_mullo_epi16(sw, a);
    __m256i joint = _mm256_srli_epi16(_mm256_add_epi16(p, q), 8);
    __m256i apart = _mm256_add_epi16(_mm256_srli_epi16(p, 8), _mm256_srli_epi16(q, 8));
    return _mm256_blendv_epi8(joint, apart, blue);
}

__attribute__((target("avx2"))) void OverOpaqueRowAvx2(uint32_t* d, const uint32_t* s, int n)
{
    int i = 0;
    const __m256i zero = _mm256_setzero_si256();
    const __m256i opaque = _mm256_set1_epi32(static_cast<int>(0xFF000000u));
    const __m256i blue = _mm256_set_epi16(0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1, 0, 0, 0, -1);
    const __m256i alphaWords = _mm256_setr_epi8(6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15,
                                                6, 7, 6, 7, 6, 7, 6, 7, 14, 15, 14, 15, 14, 15, 14, 15);
    for (; i + 8 <= n; i += 8) {
        __m256i sv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        __m256i top = _mm256_and_si256(sv, opaque);
        if (_mm256_testz_si256(top, top))
            continue;
        __m256i solid = _mm256_cmpeq_epi32(top, opaque);
        if (_mm256_movemask_epi8(solid) == -1) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), sv);
            continue;
        }
        __m256i dv = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d + i));
        __m256i lo = OverHalfAvx2(_mm256_unpacklo_epi8(sv, zero), _mm256_unpacklo_epi8(dv, zero), alphaWords, blue);
        __m256i hi = OverHalfAvx2(_mm256_unpackhi_epi8(sv, zero), _mm256_unpackhi_epi8(dv, zero), alphaWords, blue);
        __m256i mixed = _mm256_or_si256(_mm256_packus_epi16(lo, hi), opaque);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_blendv_epi8(mixed, sv, solid));
    }
    OverOpaqueRowSse2(d + i, s + i, n - i);
}

void OverOpaqueRow(uint32_t* d, const uint32_t* s, int n)
{
    static const auto form = __builtin_cpu_supports("avx2") ? OverOpaqueRowAvx2 : OverOpaqueRowSse2;
    form(d, s, n);
}

// Eight palette words gathered by their indices a step: one wide store in place of eight.
__attribute__((target("avx2"))) void PaletteRowAvx2(uint32_t* d, const uint8_t* index, const uint32_t* palette, int n)
{
    int i = 0;
    const int* words = reinterpret_cast<const int*>(palette);
    for (; i + 8 <= n; i += 8) {
        const uint8_t* at = index + i;
        const __m256i v = _mm256_setr_epi32(words[at[0]], words[at[1]], words[at[2]], words[at[3]], words[at[4]],
                                            words[at[5]], words[at[6]], words[at[7]]);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), v);
    }
    PaletteRowPlain(d + i, index + i, palette, n - i);
}

void PaletteRow(uint32_t* d, const uint8_t* index, const uint32_t* palette, int n)
{
    static const auto form = __builtin_cpu_supports("avx2") ? PaletteRowAvx2 : PaletteRowPlain;
    form(d, index, palette, n);
}

#else

void PaletteRowAvx2(uint32_t* d, const uint8_t* index, const uint32_t* palette, int n) { PaletteRowPlain(d, index, palette, n); }
void PaletteRow(uint32_t* d, const uint8_t* index, const uint32_t* palette, int n) { PaletteRowPlain(d, index, palette, n); }
void AddAlphaScaledAvx2(uint32_t* d, const uint32_t* s, int n) { AddAlphaScaledSse2(d, s, n); }
void AddAlphaScaled(uint32_t* d, const uint32_t* s, int n) { AddAlphaScaledSse2(d, s, n); }
void OverOpaqueRowAvx2(uint32_t* d, const uint32_t* s, int n) { OverOpaqueRowSse2(d, s, n); }
void OverOpaqueRow(uint32_t* d, const uint32_t* s, int n) { OverOpaqueRowSse2(d, s, n); }

#endif

} // namespace Quor::PixelRows
