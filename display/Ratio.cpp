// Comparing aspect ratios (the fraction type itself is declared with the application object).
#include "app/QuorAppBase.h"

#include <cstdint>

namespace Quor {

bool Ratio::operator<(const Ratio& other) const
{
    // With a zero denominator the truncating form would divide by zero: compare the cross
    // products instead (n/0 counts as larger than any finite ratio of the same sign).
    if (mDenominator == 0 || other.mDenominator == 0) {
        int64_t left = int64_t(mNumerator) * other.mDenominator;
        int64_t right = int64_t(other.mNumerator) * mDenominator;
        return left < right;
    }
    auto wrap = [](int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); };
    int32_t leftScaled = wrap(int64_t(mNumerator) * other.mDenominator);
    if (!(leftScaled == INT32_MIN && mDenominator == -1) && leftScaled / mDenominator < other.mNumerator)
        return true;
    int32_t rightScaled = wrap(int64_t(other.mNumerator) * mDenominator);
    if (rightScaled == INT32_MIN && other.mDenominator == -1)
        return false;
    return mNumerator < rightScaled / other.mDenominator;
}

} // namespace Quor
