// The program's own pseudo-random numbers: MT19937 with the top bit of each output cleared.
#pragma once

#include <cstdint>

namespace Quor {

class RandomGenerator {
public:
    RandomGenerator() { Seed(4357); }
    void Seed(uint32_t seed); // 0 counts as 4357
    int Next();               // 0 to 0x7FFFFFFF

private:
    uint32_t mState[624];
    int mIndex = 624;
};

// The program-wide generator, seeded with 4357 until SRand is called.
int Rand();
void SRand(uint32_t seed);

} // namespace Quor
