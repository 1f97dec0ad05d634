// Number conversions shared by the effect code: a double or float turned into an int only after
// it has been brought into range, so that wild values (huge, infinite, not a number) from
// effect data or particle files never reach an undefined conversion.
#pragma once

#include <cmath>
#include <limits>

namespace Quor {

// The value truncated toward zero, clamped to [lo, hi] first; not-a-number gives 0.
inline int TruncClamped(double value, double lo, double hi)
{
    if (std::isnan(value))
        return 0;
    if (value < lo)
        value = lo;
    else if (value > hi)
        value = hi;
    return static_cast<int>(value);
}

// The value truncated toward zero, clamped to the range of int.
inline int TruncToInt(double value)
{
    return TruncClamped(value, static_cast<double>(std::numeric_limits<int>::min()),
                        static_cast<double>(std::numeric_limits<int>::max()));
}

} // namespace Quor
