// What the drawing benchmarks share when they set our pictures beside pixman's: the same ARGB
// pixels premultiplied, as pixman wants them.
#pragma once

#include <cstdint>
#include <vector>

inline std::vector<uint32_t> Premultiplied(const std::vector<uint32_t>& px)
{
    std::vector<uint32_t> out(px.size());
    for (size_t i = 0; i < px.size(); ++i) {
        uint32_t p = px[i], a = p >> 24;
        auto m = [&](int shift) { return (((p >> shift) & 0xFF) * a / 255) << shift; };
        out[i] = (a << 24) | m(16) | m(8) | m(0);
    }
    return out;
}
