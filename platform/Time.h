// Clocks: the 32-bit millisecond tick count (wrapping like the system's), a precise counter
// with its frequency, the processor's time-stamp counter, and sleeping.
#pragma once

#include <cstdint>

namespace plat {

// Milliseconds since an arbitrary moment (the machine's start); wraps after 2^32 ms.
uint32_t GetTickCount();

// The precise counter and its ticks per second.
int64_t GetPerfCounter();
int64_t GetPerfFrequency();

// The processor's time-stamp counter (the precise counter where there is none).
uint64_t ReadTimeStamp();

// Gives up the processor for at least the given milliseconds (0 only yields).
void Sleep(uint32_t milliseconds);

} // namespace plat
