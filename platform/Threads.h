// Threads and locks: re-entrant critical sections, thread ids, thread priorities and threads
// that run a function.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace plat {

// A lock the same thread may take again while it holds it (it must leave it as often).
class CriticalSection {
public:
    void Enter() { mMutex.lock(); }
    void Leave() { mMutex.unlock(); }
    bool TryEnter() { return mMutex.try_lock(); }

private:
    std::recursive_mutex mMutex;
};

// A number for the calling thread, the same for its whole life and different from every other
// running thread's.
uint64_t GetCurrentThreadId();

// Scheduling priorities by the levels the program names: -2 lowest, -1 below normal, 0 normal,
// 1 above normal, 2 highest. The level is remembered per thread; the system is asked to follow
// it as far as it allows (raising usually needs privileges). SetThreadPriority returns whether
// the system followed.
int GetThreadPriority();
bool SetThreadPriority(int level);

// A thread running one function. The destructor waits for it when it was neither joined nor
// detached.
class Thread {
public:
    Thread() = default;
    explicit Thread(std::function<void()> body) : mThread(std::move(body)) {}
    Thread(Thread&&) = default;
    Thread& operator=(Thread&& other)
    {
        Join();
        mThread = std::move(other.mThread);
        return *this;
    }
    ~Thread() { Join(); }

    bool Joinable() const { return mThread.joinable(); }
    void Join()
    {
        if (mThread.joinable())
            mThread.join();
    }
    void Detach()
    {
        if (mThread.joinable())
            mThread.detach();
    }

private:
    std::thread mThread;
};

} // namespace plat
