// Single instance by flock on "<name>.lock" and a datagram socket "<name>.sock", both in
// $XDG_RUNTIME_DIR (else the temporary folder). The kernel drops the lock of a process that
// dies, so a killed instance never blocks the next start; its stale socket file is replaced.
#include "platform/Instance.h"

#include "platform/Sys.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace plat {

namespace {

std::string RuntimeFolder()
{
    std::string folder = GetEnv("XDG_RUNTIME_DIR");
    if (folder.empty() || access(folder.c_str(), W_OK) != 0) {
        folder = GetEnv("TMPDIR");
        if (folder.empty())
            folder = "/tmp";
    }
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

// The name as a file name: characters other than letters, digits, '-', '_' and '.' become '_'.
std::string BasePath(const std::string& name)
{
    std::string safe;
    for (unsigned char c : name)
        safe += (isalnum(c) || c == '-' || c == '_' || c == '.') ? char(c) : '_';
    if (safe.empty() || safe[0] == '.')
        safe = "_" + safe;
    return RuntimeFolder() + "/quor-" + std::to_string(getuid()) + "-" + safe;
}

bool MakeAddress(const std::string& path, sockaddr_un* address, socklen_t* length)
{
    std::memset(address, 0, sizeof(*address));
    address->sun_family = AF_UNIX;
    if (path.size() >= sizeof(address->sun_path))
        return false;
    std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
    *length = socklen_t(offsetof(sockaddr_un, sun_path) + path.size() + 1);
    return true;
}

} // namespace

std::unique_ptr<InstanceLock> InstanceLock::Acquire(const std::string& name, bool* alreadyRunning)
{
    if (alreadyRunning)
        *alreadyRunning = false;
    std::string base = BasePath(name);
    int fd = open((base + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (alreadyRunning)
            *alreadyRunning = (errno == EWOULDBLOCK);
        close(fd);
        return nullptr;
    }
    std::unique_ptr<InstanceLock> lock(new InstanceLock());
    lock->mLockFd = fd;

    // The socket of a previous holder that died is stale: replace it.
    std::string socketPath = base + ".sock";
    sockaddr_un address;
    socklen_t length = 0;
    if (MakeAddress(socketPath, &address, &length)) {
        unlink(socketPath.c_str());
        int sock = socket(AF_UNIX, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (sock >= 0 && bind(sock, reinterpret_cast<sockaddr*>(&address), length) == 0) {
            lock->mSocketFd = sock;
            lock->mSocketPath = socketPath;
        } else if (sock >= 0) {
            close(sock);
        }
    }
    return lock;
}

InstanceLock::~InstanceLock()
{
    if (mSocketFd >= 0) {
        close(mSocketFd);
        unlink(mSocketPath.c_str());
    }
    if (mLockFd >= 0) {
        flock(mLockFd, LOCK_UN);
        close(mLockFd);
    }
}

bool InstanceLock::PollNotify(uint32_t* message, uint32_t* wParam, uint32_t* lParam)
{
    if (mSocketFd < 0)
        return false;
    for (;;) {
        uint32_t packet[3] = {0, 0, 0};
        ssize_t got = recv(mSocketFd, packet, sizeof(packet), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got != ssize_t(sizeof(packet)))
            continue; // not one of ours
        if (message)
            *message = packet[0];
        if (wParam)
            *wParam = packet[1];
        if (lParam)
            *lParam = packet[2];
        return true;
    }
}

bool NotifyRunningInstance(const std::string& name, uint32_t message, uint32_t wParam,
                           uint32_t lParam)
{
    sockaddr_un address;
    socklen_t length = 0;
    if (!MakeAddress(BasePath(name) + ".sock", &address, &length))
        return false;
    int sock = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return false;
    uint32_t packet[3] = {message, wParam, lParam};
    ssize_t sent = sendto(sock, packet, sizeof(packet), MSG_NOSIGNAL,
                          reinterpret_cast<sockaddr*>(&address), length);
    close(sock);
    return sent == ssize_t(sizeof(packet));
}

uint32_t RegisterMessage(const std::string& name)
{
    uint32_t hash = 2166136261u; // FNV-1a
    for (unsigned char c : name) {
        hash ^= c;
        hash *= 16777619u;
    }
    return 0xC000u + (hash % 0x4000u);
}

} // namespace plat
