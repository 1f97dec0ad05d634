// POSIX side of the program's surroundings.
#include "platform/Sys.h"

#include <atomic>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace plat {

namespace {
std::atomic<DebugOutputSink> gDebugSink{nullptr};
}

std::string GetProgramPath()
{
    std::vector<char> buf(PATH_MAX);
    for (;;) {
        ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
        if (n < 0)
            return std::string();
        if (static_cast<size_t>(n) < buf.size())
            return std::string(buf.data(), static_cast<size_t>(n));
        buf.resize(buf.size() * 2);
    }
}

std::string GetProgramDir()
{
    std::string path = GetProgramPath();
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? std::string("/") : path.substr(0, slash);
}

void ExitProcess(int status)
{
    std::fflush(nullptr);
    _exit(status);
}

void DebugOutput(const char* text)
{
    if (!text)
        return;
    if (DebugOutputSink sink = gDebugSink.load())
        sink(text);
    else
        std::fputs(text, stderr);
}

void SetDebugOutputSink(DebugOutputSink sink)
{
    gDebugSink.store(sink);
}

std::string GetEnv(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string GetUserDataFolder()
{
    std::string data = GetEnv("XDG_DATA_HOME");
    if (!data.empty() && data[0] == '/') {
        while (data.size() > 1 && data.back() == '/')
            data.pop_back();
        return data;
    }
    std::string home = GetEnv("HOME");
    if (home.empty()) {
        if (passwd* pw = getpwuid(getuid()))
            home = pw->pw_dir ? pw->pw_dir : "";
    }
    if (home.empty())
        home = "/tmp";
    while (home.size() > 1 && home.back() == '/')
        home.pop_back();
    return home + "/.local/share";
}

bool GetOSVersion(OSVersion* version, bool /*extended*/)
{
    // This system belongs to the current family and is newer than every version test the
    // program makes.
    version->platformId = 2;
    version->major = 10;
    version->minor = 0;
    return true;
}

void KeepFreedMemoryForReuse()
{
    // Blocks below 32 MB come from the heap, not from a mapping of their own, and up to 256 MB
    // freed at its top stays there. The allocator of a sanitizer build ignores both.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
}

} // namespace plat
