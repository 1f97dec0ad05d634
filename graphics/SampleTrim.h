// The last step of a rotated blit's per-row limits, shared by the memory image and the display
// image: a row's drawn pixels are narrowed until every 2 x 2 bilinear sample lies inside the
// source.
#pragma once

#include <cstdint>

namespace Quor {

// Samples are at start + k * step (16.16 fixed point) for the pixels k of [first, last]; they
// are linear in k, so trimming both ends keeps every sample in [0, (size - 1) * 65536). False
// when no pixel is left.
inline bool TrimSamplesInside(int64_t start, int64_t step, int64_t size, int64_t& first, int64_t& last)
{
    auto inside = [&](int64_t k) {
        const int64_t p = start + k * step;
        return p >= 0 && p < (size - 1) * 65536;
    };
    while (first <= last && !inside(first))
        ++first;
    while (first <= last && !inside(last))
        --last;
    return first <= last;
}

} // namespace Quor
