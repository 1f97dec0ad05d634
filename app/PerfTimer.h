// Millisecond timer on the precise counter, and the rate of the processor's time-stamp
// counter.
#pragma once

#include <cstdint>

namespace Quor {

class PerfTimer {
public:
    void Start();
    void Stop();              // when running: measures, then stops
    double GetDuration();     // milliseconds; measured up to now while running
    void CalcDuration();

    int64_t mStart = 0;
    double mDuration = 0.0;
    bool mRunning = false;
};

// The timer the debug overlay measures with.
extern PerfTimer gPerfTimer;

// Time-stamp-counter ticks per second: measured on first use and kept; never 0 once asked.
int64_t GetCPUSpeed();
// One measurement over a hundredth of a second; 0 when the precise counter is missing.
int64_t CalcCPUSpeed();

} // namespace Quor
