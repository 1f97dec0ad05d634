// Profiler state and its report.
#include "app/Profiler.h"

#include "app/Common.h"
#include "app/PerfTimer.h"
#include "platform/Time.h"

#include <cctype>
#include <map>
#include <vector>

namespace Quor {

namespace {

struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const
    {
        size_t n = a.size() < b.size() ? a.size() : b.size();
        for (size_t i = 0; i < n; ++i) {
            int ca = std::tolower(static_cast<unsigned char>(a[i]));
            int cb = std::tolower(static_cast<unsigned char>(b[i]));
            if (ca != cb)
                return ca < cb;
        }
        return a.size() < b.size();
    }
};

// Pending samples are folded in once this many have gathered, so memory stays bounded.
constexpr size_t kFlushAt = 8192;

struct ProfilerState {
    bool running = false;
    uint64_t startStamp = 0;
    uint64_t overhead = 0;
    double totalTime = 0;
    std::vector<ProfileSample> pending;
    std::map<std::string, ProfileEntry, NoCaseLess> entries;
};

ProfilerState& State()
{
    static ProfilerState state;
    return state;
}

void Fold(ProfilerState& s, const ProfileSample& sample)
{
    if (!sample.mName)
        return;
    if (sample.mStart) {
        ProfileEntry& entry = s.entries[sample.mName];
        ++entry.mCalls;
        if (++entry.mDepth == 1)
            entry.mStartStamp = sample.mStamp;
        return;
    }
    auto it = s.entries.find(sample.mName);
    if (it == s.entries.end())
        return;
    ProfileEntry& entry = it->second;
    if (--entry.mDepth == 0) {
        int64_t duration = static_cast<int64_t>(sample.mStamp - entry.mStartStamp);
        entry.mTotalTicks += duration;
        if (static_cast<double>(duration) > entry.mLongest)
            entry.mLongest = static_cast<double>(duration);
    }
}

void Flush(ProfilerState& s)
{
    uint64_t before = plat::ReadTimeStamp();
    for (const ProfileSample& sample : s.pending)
        Fold(s, sample);
    s.pending.clear();
    s.overhead += plat::ReadTimeStamp() - before;
}

} // namespace

void Profiler::Start()
{
    ProfilerState& s = State();
    s.entries.clear();
    s.pending.clear();
    s.overhead = 0;
    s.running = true;
    s.startStamp = plat::ReadTimeStamp();
}

bool Profiler::IsRunning()
{
    return State().running;
}

void Profiler::Stop()
{
    uint64_t stopStamp = plat::ReadTimeStamp();
    ProfilerState& s = State();
    Flush(s);
    s.running = false;
    double speed = static_cast<double>(GetCPUSpeed());
    s.totalTime = static_cast<double>(static_cast<int64_t>(stopStamp - s.overhead - s.startStamp)) *
                  1000.0 / speed;
    for (auto& [name, entry] : s.entries) {
        entry.mTime = static_cast<double>(entry.mTotalTicks) * 1000.0 / speed;
        entry.mLongest = entry.mLongest * 1000.0 / speed;
    }
}

std::string Profiler::GetResults()
{
    const ProfilerState& s = State();
    std::string result = StrFormat("Total Time: %.2f\n", s.totalTime);
    for (const auto& [name, entry] : s.entries) {
        result += StrFormat("%s (%d calls, %%%.2f time): %.2f (%.2f avg, %.2f longest)\n", name.c_str(),
                            entry.mCalls, entry.mTime / s.totalTime * 100.0, entry.mTime,
                            entry.mTime / static_cast<double>(entry.mCalls), entry.mLongest);
    }
    return result;
}

void Profiler::AddSample(const char* name, bool isStart)
{
    AddSample(name, isStart, plat::ReadTimeStamp());
}

void Profiler::AddSample(const char* name, bool isStart, uint64_t stamp)
{
    ProfilerState& s = State();
    if (!s.running)
        return;
    s.pending.push_back(ProfileSample{name, stamp, isStart});
    if (s.pending.size() >= kFlushAt)
        Flush(s);
}

} // namespace Quor
