// A one-connection TCP server on 127.0.0.1 for tests of network code. It answers with a script
// of byte pieces and pauses, then closes. Everything is bounded in time: it gives up waiting for
// a client after a few seconds and stops at once when the object goes away.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace quortest {

class LoopbackServer {
public:
    struct Step {
        std::string bytes;
        int delayMsBefore = 0;
    };

    // readRequest: read the request (up to its blank line and any Content-Length body) before
    // answering; false closes or answers at once.
    explicit LoopbackServer(std::vector<Step> script, bool readRequest = true)
        : mScript(std::move(script)), mReadRequest(readRequest)
    {
        mListen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        sa.sin_port = 0;
        int one = 1;
        ::setsockopt(mListen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(mListen, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0 ||
            ::listen(mListen, 4) != 0)
            std::abort();
        socklen_t len = sizeof sa;
        ::getsockname(mListen, reinterpret_cast<sockaddr*>(&sa), &len);
        mPort = ntohs(sa.sin_port);
        mThread = std::thread([this] { Serve(); });
    }

    ~LoopbackServer()
    {
        mStop = true;
        mThread.join();
        ::close(mListen);
    }

    int Port() const { return mPort; }

    std::string Request()
    {
        std::lock_guard<std::mutex> lock(mLock);
        return mRequest;
    }

    // A port on 127.0.0.1 that nothing listens on (bound, then released).
    static int ClosedPort()
    {
        int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(s, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        socklen_t len = sizeof sa;
        ::getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len);
        ::close(s);
        return ntohs(sa.sin_port);
    }

private:
    bool WaitFor(int fd, short events, int ms)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!mStop && std::chrono::steady_clock::now() < end) {
            pollfd p{fd, events, 0};
            if (::poll(&p, 1, 20) > 0)
                return true;
        }
        return false;
    }

    bool RequestComplete(const std::string& r)
    {
        size_t end = r.find("\r\n\r\n");
        if (end == std::string::npos)
            return false;
        size_t cl = r.find("Content-Length: ");
        if (cl == std::string::npos || cl > end)
            return true;
        return r.size() >= end + 4 + static_cast<size_t>(std::atol(r.c_str() + cl + 16));
    }

    void Serve()
    {
        if (!WaitFor(mListen, POLLIN, 60000))
            return;
        int c = ::accept4(mListen, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0)
            return;
        if (mReadRequest) {
            std::string got;
            while (!RequestComplete(got) && WaitFor(c, POLLIN, 60000)) {
                char buf[4096];
                ssize_t n = ::recv(c, buf, sizeof buf, 0);
                if (n <= 0)
                    break;
                got.append(buf, static_cast<size_t>(n));
            }
            std::lock_guard<std::mutex> lock(mLock);
            mRequest = got;
        }
        for (const Step& step : mScript) {
            auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(step.delayMsBefore);
            while (!mStop && std::chrono::steady_clock::now() < end)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            if (mStop)
                break;
            ::send(c, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
        }
        ::close(c);
    }

    std::vector<Step> mScript;
    bool mReadRequest;
    int mListen = -1;
    int mPort = 0;
    std::atomic<bool> mStop{false};
    std::mutex mLock;
    std::string mRequest;
    std::thread mThread;
};

} // namespace quortest
