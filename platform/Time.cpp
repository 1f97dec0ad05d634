// Clocks on clock_gettime and the time-stamp counter.
#include "platform/Time.h"

#include <cerrno>
#include <ctime>
#include <sched.h>
#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace plat {

namespace {
int64_t MonotonicNs()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}
} // namespace

uint32_t GetTickCount()
{
    return static_cast<uint32_t>(static_cast<uint64_t>(MonotonicNs() / 1000000));
}

int64_t GetPerfCounter()
{
    return MonotonicNs();
}

int64_t GetPerfFrequency()
{
    return 1000000000LL;
}

uint64_t ReadTimeStamp()
{
#if defined(__x86_64__) || defined(__i386__)
    return __rdtsc();
#else
    return static_cast<uint64_t>(MonotonicNs());
#endif
}

void Sleep(uint32_t milliseconds)
{
    if (milliseconds == 0) {
        sched_yield();
        return;
    }
    timespec ts;
    ts.tv_sec = milliseconds / 1000;
    ts.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

} // namespace plat
