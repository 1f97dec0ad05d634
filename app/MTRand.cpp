// MT19937 with the reference initialisation.
#include "app/MTRand.h"

namespace Quor {

namespace {
constexpr int kN = 624;
constexpr int kM = 397;

RandomGenerator& Global()
{
    static RandomGenerator generator;
    return generator;
}
} // namespace

void RandomGenerator::Seed(uint32_t seed)
{
    if (seed == 0)
        seed = 4357;
    mState[0] = seed;
    for (int i = 1; i < kN; ++i)
        mState[i] = 1812433253u * (mState[i - 1] ^ (mState[i - 1] >> 30)) + static_cast<uint32_t>(i);
    mIndex = kN;
}

int RandomGenerator::Next()
{
    if (mIndex >= kN) {
        for (int i = 0; i < kN; ++i) {
            uint32_t y = (mState[i] & 0x80000000u) | (mState[(i + 1) % kN] & 0x7FFFFFFFu);
            mState[i] = mState[(i + kM) % kN] ^ (y >> 1) ^ ((y & 1) ? 0x9908B0DFu : 0u);
        }
        mIndex = 0;
    }
    uint32_t y = mState[mIndex++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return static_cast<int>(y & 0x7FFFFFFFu);
}

int Rand()
{
    return Global().Next();
}

void SRand(uint32_t seed)
{
    Global().Seed(seed);
}

} // namespace Quor
