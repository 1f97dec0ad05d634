// Running programs on an X server of the test's own (Xvfb): starting processes with their
// output in a log, xdotool and ImageMagick commands on the display, and waits for events with
// limits only a hung program reaches.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace xdesk {

using namespace std::chrono_literals;

// Whether the command is on the PATH.
bool Have(const char* tool);
// True when Xvfb, xdotool and import (ImageMagick) can all be run.
bool HaveXTools();
// Skips the test on a machine without them.
#define SKIP_WITHOUT_X_TOOLS() \
    if (!xdesk::HaveXTools())  \
    GTEST_SKIP() << "Xvfb, xdotool or import missing"

// Starts the program with extra environment entries (NAME=value, replacing inherited ones),
// its standard output going to `out` and its error output to `out` + ".err"; -1 on failure.
pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, const std::string& out);

// Runs a shell command against the display and returns its standard output.
std::string XRun(const std::string& display, const std::string& command);

std::string ReadText(const std::string& path);

// Every wait is for an event, with a limit that only a hung program reaches.
constexpr std::chrono::milliseconds kLimit = 60s;

// Waits for the line to appear in the log, past its first `from` bytes.
bool WaitFor(const std::string& path, const std::string& line, size_t from = 0,
             std::chrono::milliseconds limit = kLimit);

// Retries the check every 20 ms until it holds or the limit passes.
template <typename Check>
bool Eventually(Check check, std::chrono::milliseconds limit = kLimit)
{
    auto end = std::chrono::steady_clock::now() + limit;
    while (!check()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// Runs the work in a child process of this program (for work that takes the whole process, such
// as a game application) and waits for it: its result, or -1 when it crashed or did not end in
// the limit (it is then killed).
int RunInChild(const std::function<int()>& work, std::chrono::milliseconds limit);

// Kills the program when a test ends early.
struct Reaper {
    pid_t pid;
    ~Reaper();
};

// An Xvfb server on display :number, stopped with the object.
class XServer {
public:
    explicit XServer(int number, const std::string& screen = "800x600x24");
    ~XServer();
    bool Up() const;
    const std::string& Display() const { return mDisplay; }

private:
    std::string mDisplay;
    std::string mSocket;
    pid_t mPid = -1;
};

} // namespace xdesk
