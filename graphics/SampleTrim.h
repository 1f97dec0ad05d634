// The last step of a rotated blit's per-row limits, shared by the memory image and the display
// image: a row's drawn pixels are narrowed until every 2 x 2 bilinear sample lies inside the
// source.
#pragma once

#include <algorithm>
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

// The display image's per-row limits: narrows the drawn run [first, last] of a row so that every
// 2 x 2 sample at start + k * step stays inside an extent of size pixels (a vertical extent
// bounds a falling run from its start); false when the row draws nothing.
inline bool LimitRotatedSamples(int64_t start, int64_t step, int64_t size, bool vertical, int64_t& first,
                                int64_t& last)
{
    if (step == 0) {
        if (!(start >= 0 && start < size * 65536 - 65536))
            return false;
    } else if (step > 0) {
        if ((start >> 16) >= size - 1)
            return false;
        if ((65536 - start) / step > 0)
            first = std::max(first, (65536 - start) / step);
        last = std::min(last, (size * 65536 - start - 0x17FFF) / step);
    } else {
        if (start < 0)
            return false;
        first = std::max(first, (size * 65536 - start - 0x27FFF) / step);
        if (vertical)
            last = std::min(last, -(start / step));
        else
            last = std::min(last, (0x7FFF - start) / step);
    }
    return TrimSamplesInside(start, step, size, first, last);
}

} // namespace Quor
