// Rectangles by left, top, width and height: Rect in integers, RectD in doubles. A rectangle
// covers x <= px < x + width, y <= py < y + height.
#pragma once

#include <algorithm>
#include <cstdint>

namespace Quor {

namespace detail {
// The common part of two rectangles, computed in the wide type W. Rectangles that only touch
// give a zero-size rectangle at the touching edge; rectangles apart give (0, 0, 0, 0).
template <typename R, typename W>
constexpr R IntersectRects(const R& a, const R& b)
{
    W x = std::max<W>(a.mX, b.mX);
    W right = std::min<W>(W(a.mX) + a.mWidth, W(b.mX) + b.mWidth);
    W y = std::max<W>(a.mY, b.mY);
    W bottom = std::min<W>(W(a.mY) + a.mHeight, W(b.mY) + b.mHeight);
    W width = right - x;
    if (width < 0)
        return R();
    W height = bottom - y;
    if (height < 0)
        return R();
    return R(static_cast<decltype(a.mX)>(x), static_cast<decltype(a.mX)>(y),
             static_cast<decltype(a.mX)>(width), static_cast<decltype(a.mX)>(height));
}
} // namespace detail

struct Rect {
    int mX = 0;
    int mY = 0;
    int mWidth = 0;
    int mHeight = 0;

    constexpr Rect() = default;
    constexpr Rect(int x, int y, int width, int height)
        : mX(x), mY(y), mWidth(width), mHeight(height)
    {
    }

    constexpr bool Contains(int px, int py) const
    {
        return px >= mX && py >= mY && int64_t(px) < int64_t(mX) + mWidth &&
               int64_t(py) < int64_t(mY) + mHeight;
    }
    constexpr Rect Intersection(const Rect& other) const
    {
        return detail::IntersectRects<Rect, int64_t>(*this, other);
    }
    constexpr bool operator==(const Rect& other) const = default;
};

struct RectD {
    double mX = 0;
    double mY = 0;
    double mWidth = 0;
    double mHeight = 0;

    constexpr RectD() = default;
    constexpr RectD(double x, double y, double width, double height)
        : mX(x), mY(y), mWidth(width), mHeight(height)
    {
    }

    constexpr bool Contains(double px, double py) const
    {
        return px >= mX && py >= mY && px < mX + mWidth && py < mY + mHeight;
    }
    constexpr RectD Intersection(const RectD& other) const
    {
        return detail::IntersectRects<RectD, double>(*this, other);
    }
    constexpr bool operator==(const RectD& other) const = default;
};

} // namespace Quor
