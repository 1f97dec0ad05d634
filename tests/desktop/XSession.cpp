#include "tests/desktop/XSession.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace xdesk {

namespace fs = std::filesystem;

bool Have(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

bool HaveXTools()
{
    return Have("Xvfb") && Have("xdotool") && Have("import");
}

pid_t Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, const std::string& out)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (out == "/dev/null" ? out : out + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envStore;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry = *e;
        bool replaced = false;
        for (const std::string& mine : env)
            replaced = replaced || entry.compare(0, mine.find('=') + 1, mine, 0, mine.find('=') + 1) == 0;
        if (!replaced)
            envStore.push_back(entry);
    }
    for (const std::string& mine : env)
        envStore.push_back(mine);
    std::vector<char*> envp;
    for (std::string& e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int RunInChild(const std::function<int()>& work, std::chrono::milliseconds limit)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        const int result = work();
        std::fflush(nullptr);
        _exit(result);
    }
    Reaper reaper{pid};
    int status = 0;
    if (!Eventually([&] { return waitpid(pid, &status, WNOHANG) == pid; }, limit))
        return -1;
    reaper.pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string XRun(const std::string& display, const std::string& command)
{
    std::string full = "DISPLAY=" + display + " " + command + " 2>/dev/null";
    FILE* p = popen(full.c_str(), "r");
    if (p == nullptr)
        return {};
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof(buffer), p) != nullptr)
        out += buffer;
    pclose(p);
    return out;
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Waits for the line to appear in the log, past its first `from` bytes.
bool WaitFor(const std::string& path, const std::string& line, size_t from,
             std::chrono::milliseconds limit)
{
    auto end = std::chrono::steady_clock::now() + limit;
    do {
        std::string text = ReadText(path);
        if (text.size() > from && text.find(line + "\n", from) != std::string::npos)
            return true;
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < end);
    return false;
}

Reaper::~Reaper()
{
    if (pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

XServer::XServer(int number, const std::string& screen) : mDisplay(":" + std::to_string(number))
{
    mSocket = "/tmp/.X11-unix/X" + std::to_string(number);
    mPid = Spawn({"Xvfb", mDisplay, "-screen", "0", screen, "-nolisten", "tcp"}, {}, "/dev/null");
    if (mPid > 0)
        Eventually([&] { return fs::exists(mSocket); });
}

XServer::~XServer()
{
    if (mPid > 0) {
        kill(mPid, SIGTERM);
        waitpid(mPid, nullptr, 0);
    }
}

bool XServer::Up() const
{
    return mPid > 0 && fs::exists(mSocket);
}

} // namespace xdesk
