// Timer and time-stamp-counter rate.
#include "app/PerfTimer.h"

#include "platform/Threads.h"
#include "platform/Time.h"

namespace Quor {

PerfTimer gPerfTimer;

namespace {
int64_t gCPUSpeed = 0;
}

void PerfTimer::Start()
{
    mRunning = true;
    mStart = plat::GetPerfCounter();
}

void PerfTimer::Stop()
{
    if (mRunning) {
        CalcDuration();
        mRunning = false;
    }
}

double PerfTimer::GetDuration()
{
    if (mRunning)
        CalcDuration();
    return mDuration;
}

void PerfTimer::CalcDuration()
{
    int64_t now = plat::GetPerfCounter();
    int64_t frequency = plat::GetPerfFrequency();
    mDuration = static_cast<double>((now - mStart) * 1000) / static_cast<double>(frequency);
}

int64_t CalcCPUSpeed()
{
    int oldPriority = plat::GetThreadPriority();
    plat::SetThreadPriority(2);
    int64_t frequency = plat::GetPerfFrequency();
    if (frequency <= 0) {
        plat::SetThreadPriority(oldPriority);
        return 0;
    }
    int64_t target = plat::GetPerfCounter() + frequency / 100;
    uint64_t first = plat::ReadTimeStamp();
    while (plat::GetPerfCounter() < target) {
    }
    uint64_t ticks = plat::ReadTimeStamp() - first;
    plat::SetThreadPriority(oldPriority);
    return static_cast<int64_t>(ticks) * 100;
}

int64_t GetCPUSpeed()
{
    if (gCPUSpeed > 0)
        return gCPUSpeed;
    gCPUSpeed = CalcCPUSpeed();
    if (gCPUSpeed <= 0)
        gCPUSpeed = 1;
    return gCPUSpeed;
}

} // namespace Quor
