// Debugging aids: printf to the debugger output, the critical-section wrappers the program's
// locks are built from, and the memory-leak tracker with its report "mem_leaks.txt".
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>

namespace plat {
class CriticalSection;
}

namespace Quor {

// Formats like printf and passes the text to the debugger output.
void DebugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A re-entrant lock owned by the object that holds it. It is ready once built; CritSectDelete
// releases it and CritSectInit makes it again.
class CritSect {
public:
    CritSect();
    ~CritSect();
    CritSect(const CritSect&) = delete;
    CritSect& operator=(const CritSect&) = delete;

    void Enter();
    void Leave();

private:
    friend void CritSectInit(CritSect* lock);
    friend void CritSectDelete(CritSect* lock);
    std::unique_ptr<plat::CriticalSection> mLock;
};

void CritSectInit(CritSect* lock);
void CritSectDelete(CritSect* lock);

// Holds a lock for its own lifetime, so every way out of a locked region releases it.
class CritSectGuard {
public:
    explicit CritSectGuard(CritSect* lock) : mLock(lock) { mLock->Enter(); }
    explicit CritSectGuard(CritSect& lock) : CritSectGuard(&lock) {}
    ~CritSectGuard() { mLock->Leave(); }
    CritSectGuard(const CritSectGuard&) = delete;
    CritSectGuard& operator=(const CritSectGuard&) = delete;

private:
    CritSect* mLock;
};

struct LeakRecord {
    int mSize = 0;
    std::string mFile;
    int mLine = 0;
};

// The blocks now outstanding, by address. Nothing reports blocks by default and the report at
// exit is off; AddRecord and RemoveRecord are there for code that wants to track its blocks.
class LeakTracker {
public:
    LeakTracker();
    ~LeakTracker();

    void AddRecord(const void* address, int size, const char* file, int line);
    void RemoveRecord(const void* address);
    void Clear();

    // Writes the report to "mem_leaks.txt" in the current folder and to the debugger output.
    void WriteReport();

    bool mActive = false;
    bool mReportAtExit = false;

private:
    std::map<const void*, LeakRecord> mRecords;
    CritSect mLock;
};

extern LeakTracker gLeakTracker;

void WriteLeakReport();

} // namespace Quor
