// Colour of four integer components (red, green, blue, alpha), as passed to every drawing call.
// The type neither clamps nor masks; the nominal range of each component is 0 to 255.
#pragma once

#include <cstdint>

namespace Quor {

class Color {
public:
    constexpr Color() = default;
    constexpr Color(int red, int green, int blue, int alpha = 255)
        : mRed(red), mGreen(green), mBlue(blue), mAlpha(alpha)
    {
    }

    // From a packed 0xAARRGGBB value; an alpha byte of 0 stands for opaque.
    static constexpr Color FromARGB(uint32_t argb)
    {
        int alpha = static_cast<int>((argb >> 24) & 0xFF);
        return Color(static_cast<int>((argb >> 16) & 0xFF), static_cast<int>((argb >> 8) & 0xFF),
                     static_cast<int>(argb & 0xFF), alpha == 0 ? 255 : alpha);
    }
    static constexpr Color FromRGB(int red, int green, int blue) { return Color(red, green, blue); }
    static constexpr Color FromRGBA(int red, int green, int blue, int alpha)
    {
        return Color(red, green, blue, alpha);
    }
    static constexpr Color FromColorOpaque(const Color& other)
    {
        return Color(other.mRed, other.mGreen, other.mBlue, 255);
    }

    constexpr int GetRed() const { return mRed; }
    constexpr int GetGreen() const { return mGreen; }
    constexpr int GetBlue() const { return mBlue; }
    constexpr int GetAlpha() const { return mAlpha; }

    // (alpha << 24) | (red << 16) | (green << 8) | blue, without masking the components.
    constexpr uint32_t ToInt() const
    {
        return (static_cast<uint32_t>(mAlpha) << 24) | (static_cast<uint32_t>(mRed) << 16) |
               (static_cast<uint32_t>(mGreen) << 8) | static_cast<uint32_t>(mBlue);
    }

    constexpr bool operator==(const Color& other) const
    {
        return mRed == other.mRed && mGreen == other.mGreen && mBlue == other.mBlue &&
               mAlpha == other.mAlpha;
    }
    constexpr bool NotEquals(const Color& other) const { return !(*this == other); }
    constexpr bool IsWhite() const;

    static const Color Black;
    static const Color White;
    static const Color Red;
    static const Color Green;
    static const Color Blue;

    int mRed = 0;
    int mGreen = 0;
    int mBlue = 0;
    int mAlpha = 255;
};

inline constexpr Color Color::Black{0, 0, 0, 255};
inline constexpr Color Color::White{255, 255, 255, 255};
inline constexpr Color Color::Red{255, 0, 0, 255};
inline constexpr Color Color::Green{0, 255, 0, 255};
inline constexpr Color Color::Blue{0, 0, 255, 255};

constexpr bool Color::IsWhite() const
{
    return *this == White;
}

} // namespace Quor
