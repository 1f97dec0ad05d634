// Debugger output, locks and the leak report.
#include "app/Debug.h"

#include "app/Common.h"
#include "platform/Sys.h"
#include "platform/Threads.h"

#include <cassert>
#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace Quor {

void DebugPrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = VFormat(format, args);
    va_end(args);
    plat::DebugOutput(text.c_str());
}

CritSect::CritSect() : mLock(std::make_unique<plat::CriticalSection>()) {}

CritSect::~CritSect() = default;

void CritSect::Enter()
{
    assert(mLock && "lock used after CritSectDelete");
    mLock->Enter();
}

void CritSect::Leave()
{
    assert(mLock && "lock used after CritSectDelete");
    mLock->Leave();
}

void CritSectInit(CritSect* lock)
{
    if (!lock->mLock)
        lock->mLock = std::make_unique<plat::CriticalSection>();
}

void CritSectDelete(CritSect* lock)
{
    lock->mLock.reset();
}

LeakTracker gLeakTracker;

LeakTracker::LeakTracker()
{
    mActive = true;
}

LeakTracker::~LeakTracker()
{
    if (mReportAtExit)
        WriteReport();
    mActive = false;
}

void LeakTracker::AddRecord(const void* address, int size, const char* file, int line)
{
    if (!mActive)
        return;
    CritSectGuard guard(mLock);
    mRecords[address] = LeakRecord{size, file ? file : "", line};
}

void LeakTracker::RemoveRecord(const void* address)
{
    if (!mActive)
        return;
    CritSectGuard guard(mLock);
    mRecords.erase(address);
}

void LeakTracker::Clear()
{
    CritSectGuard guard(mLock);
    mRecords.clear();
}

void LeakTracker::WriteReport()
{
    if (!mActive)
        return;
    CritSectGuard guard(mLock);
    FILE* file = std::fopen("mem_leaks.txt", "wt");
    if (!file)
        return;
    auto emit = [file](const std::string& text) {
        std::fputs(text.c_str(), file);
        plat::DebugOutput(text.c_str());
    };
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    std::string when = local ? std::asctime(local) : "\n";
    plat::DebugOutput("\n");
    emit(StrFormat("Memory Leak Report for %s\n", when.c_str()));
    long long total = 0;
    for (const auto& [address, record] : mRecords) {
        emit(StrFormat("%s(%d) : Leak %d byte%s\n", record.mFile.c_str(), record.mLine, record.mSize,
                       record.mSize >= 2 ? "s" : ""));
        total += record.mSize;
    }
    emit(std::string(59, '-') + "\n");
    emit(StrFormat("Total Unfreed: %lld bytes (%lldKB)\n\n", total, total / 1024));
    std::fclose(file);
}

void WriteLeakReport()
{
    gLeakTracker.WriteReport();
}

} // namespace Quor
