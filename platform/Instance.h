// Single instance of a program: the first process of a name holds a lock, later ones find it
// held and send the first a message number over a local socket.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace plat {

class InstanceLock {
public:
    // Tries to become the running instance of 'name'. Returns the lock, or null with
    // *alreadyRunning true when another live process holds it (null with *alreadyRunning false
    // when the lock file cannot be made at all). A lock left by a process that has died is free.
    static std::unique_ptr<InstanceLock> Acquire(const std::string& name, bool* alreadyRunning);

    ~InstanceLock(); // releases the lock and removes the socket

    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The next message sent by a later instance; false when none is waiting. Never blocks.
    bool PollNotify(uint32_t* message, uint32_t* wParam, uint32_t* lParam);

private:
    InstanceLock() = default;
    int mLockFd = -1;
    int mSocketFd = -1;
    std::string mSocketPath;
};

// Sends a message to the running instance of 'name'; false when none listens.
bool NotifyRunningInstance(const std::string& name, uint32_t message, uint32_t wParam,
                           uint32_t lParam);

// A message number for a name, the same in every process (0xC000-0xFFFF, like registered
// window messages).
uint32_t RegisterMessage(const std::string& name);

} // namespace plat
