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

#else

void AddAlphaScaledAvx2(uint32_t* d, const uint32_t* s, int n) { AddAlphaScaledSse2(d, s, n); }
void AddAlphaScaled(uint32_t* d, const uint32_t* s, int n) { AddAlphaScaledSse2(d, s, n); }

#endif

} // namespace Quor::PixelRows
