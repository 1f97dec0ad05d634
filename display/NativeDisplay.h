// The pixel format of the display as the image code reads it: bits per pixel and, per channel,
// the mask, the width of the mask and the position of its lowest bit.
#pragma once

#include <cstdint>

namespace Quor {

class NativeDisplay {
public:
    NativeDisplay() = default;
    virtual ~NativeDisplay() = default;

    uint32_t mRGBBits = 0;
    uint32_t mRedMask = 0;
    uint32_t mGreenMask = 0;
    uint32_t mBlueMask = 0;
    uint32_t mRedBits = 0;
    uint32_t mGreenBits = 0;
    uint32_t mBlueBits = 0;
    uint32_t mRedShift = 0;
    uint32_t mGreenShift = 0;
    uint32_t mBlueShift = 0;
};

} // namespace Quor
