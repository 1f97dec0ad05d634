// Name-keyed profiler: start and end samples stamped with the time-stamp counter are folded
// into one entry per name (names differing only in letter case are one entry) and reported
// in milliseconds.
#pragma once

#include <cstdint>
#include <string>

namespace Quor {

struct ProfileSample {
    const char* mName = nullptr; // must stay valid until the samples are folded in
    uint64_t mStamp = 0;
    bool mStart = false;
};

struct ProfileEntry {
    uint64_t mStartStamp = 0; // of the outermost open call
    int64_t mTotalTicks = 0;  // all finished outermost calls
    double mTime = 0;         // mTotalTicks in milliseconds, after Stop
    double mLongest = 0;      // ticks while running, milliseconds after Stop
    int mDepth = 0;
    int mCalls = 0;
};

class Profiler {
public:
    static void Start();
    static bool IsRunning();
    static void Stop();
    static std::string GetResults();

    // Records the start or end of a call of a name (ignored while not running); the stamp is
    // the time-stamp counter unless given.
    static void AddSample(const char* name, bool isStart);
    static void AddSample(const char* name, bool isStart, uint64_t stamp);
};

} // namespace Quor
