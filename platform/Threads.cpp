// Thread ids and priorities on Linux.
#include "platform/Threads.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace plat {

namespace {
thread_local int tPriority = 0;
}

uint64_t GetCurrentThreadId()
{
    return static_cast<uint64_t>(syscall(SYS_gettid));
}

int GetThreadPriority()
{
    return tPriority;
}

bool SetThreadPriority(int level)
{
    if (level < -2)
        level = -2;
    if (level > 2)
        level = 2;
    tPriority = level;
    // Niceness per level; on Linux setpriority with a thread id sets that thread alone.
    static const int kNice[5] = {10, 5, 0, -5, -10};
    return setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), kNice[level + 2]) == 0;
}

} // namespace plat
