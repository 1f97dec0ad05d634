// The locked surface of a display image as its software drawing sees it: pixel pointer, pitch,
// bit count and channel masks of the lock, with the display's channel bits, shifts and
// saturation tables. Internal to the display image's drawing code.
#pragma once

#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/Color.h"

#include <cstdint>

namespace Quor::surface {

struct View {
    uint8_t* pixels = nullptr;
    int32_t pitch = 0;
    uint32_t bitCount = 0;
    int width = 0;
    int height = 0;
    uint32_t mask[3] = {};  // red, green, blue masks of the lock
    uint32_t bits[3] = {};  // the display's channel bit counts
    uint32_t shift[3] = {}; // the display's channel shifts
    const int* sat[3] = {}; // the display's saturation tables
    bool rgbOrder = false;
    // A 32-bit lock whose three channels are whole bytes (any order) of 8 display bits each,
    // so a channel sum clamps as a byte does and two channels can share one multiply.
    bool byteChannels = false;

    uint16_t* Row16(int y) const { return reinterpret_cast<uint16_t*>(pixels) + static_cast<ptrdiff_t>(y) * (pitch / 2); }
    uint32_t* Row32(int y) const { return reinterpret_cast<uint32_t*>(pixels) + static_cast<ptrdiff_t>(y) * (pitch / 4); }
    uint32_t Green() const { return mask[1]; }
    // The additive blend of a display word s over d: each channel's sum (with white) or the
    // channel scaled by k[c] / 256 plus the destination's, clamped through the saturation table.
    uint32_t AddWord(uint32_t d, uint32_t s, bool white, const uint32_t k[3]) const
    {
        uint32_t r = 0;
        for (int c = 0; c < 3; c++) {
            const uint32_t m = mask[c], sh = shift[c];
            const uint32_t idx = white ? ((d & m) + (s & m)) >> sh : ((((s & m) >> sh) * k[c]) >> 8) + ((d & m) >> sh);
            r |= static_cast<uint32_t>(sat[c][idx]) << sh;
        }
        return r;
    }
    // Saturating per-channel add of k[c] (channel units) to d.
    uint32_t AddSat(uint32_t d, const uint32_t k[3]) const
    {
        uint32_t r = 0;
        for (int c = 0; c < 3; c++)
            r |= static_cast<uint32_t>(sat[c][((d & mask[c]) >> shift[c]) + k[c]]) << shift[c];
        return r;
    }
};

// The row y of a view as 16- or 32-bit pixels.
template <typename T>
T* Row(const View& v, int y)
{
    if constexpr (sizeof(T) == 2)
        return v.Row16(y);
    else
        return v.Row32(y);
}

// Fills the view from the image's current lock; false for a bit count other than 16 or 32 or
// a lock without pixels.
bool MakeView(const DDImage& theImage, View& theView);

// The colour's channels as 0..255 values (red, green, blue), and its alpha.
inline void Channels(const Color& theColor, uint32_t c[3], uint32_t& a)
{
    auto clamp = [](int v) { return static_cast<uint32_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
    c[0] = clamp(theColor.mRed);
    c[1] = clamp(theColor.mGreen);
    c[2] = clamp(theColor.mBlue);
    a = clamp(theColor.mAlpha);
}

// Per-byte saturating sum of the low three bytes of two words, top byte 0: what the
// saturation tables give when every channel is a whole byte.
inline uint32_t AddBytesSaturated(uint32_t d, uint32_t s)
{
    d &= 0x00FFFFFF;
    s &= 0x00FFFFFF;
    const uint32_t low = (d & 0x007F7F7F) + (s & 0x007F7F7F);
    const uint32_t sum = low ^ ((d ^ s) & 0x00808080);
    const uint32_t carry = ((d & s) | (low & (d | s))) & 0x00808080;
    return sum | ((carry >> 7) * 0xFF);
}

// ((d AND M) x w) >> 8 AND M for each of three whole-byte channels, in two multiplies (w at
// most 256 keeps each product inside 32 bits).
inline uint32_t ScaleBytes(uint32_t d, uint32_t w)
{
    return ((((d & 0x00FF00FF) * w) >> 8) & 0x00FF00FF) + ((((d & 0xFF00) * w) >> 8) & 0xFF00);
}

// 16-bit packed spread and fold (565 with 0x07E0F81F, 555 with 0x03E07C1F).
inline uint32_t Spread(uint32_t v, uint32_t m) { return ((v << 16) | v) & m; }
inline uint16_t Fold(uint32_t x) { return static_cast<uint16_t>((x >> 16) | x); }

// Locks the image's surface for one drawing operation and unlocks it at the end.
class Lock {
public:
    explicit Lock(DDImage* theImage) : mImage(theImage) { mLocked = theImage->GetSurface() != nullptr && theImage->LockSurface(); }
    ~Lock()
    {
        if (mLocked)
            mImage->UnlockSurface();
    }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    bool Locked() const { return mLocked; }

private:
    DDImage* mImage;
    bool mLocked = false;
};

// One software draw into the image's surface: locks it, fills a view from the lock and calls
// draw(view, T{}) with T the lock's pixel type (uint16_t or uint32_t). False when the surface
// could not be made or locked, so the image's memory copies must stay; true otherwise, also
// when the lock's layout is one the loops cannot draw.
template <class Draw>
bool DrawLocked(DDImage* theImage, Draw draw)
{
    Lock aLock(theImage);
    if (!aLock.Locked())
        return false;
    View v;
    if (!MakeView(*theImage, v))
        return true;
    if (v.bitCount == 16)
        draw(v, uint16_t{});
    else
        draw(v, uint32_t{});
    return true;
}

} // namespace Quor::surface
