// POSIX sockets behind the net module.
#include "platform/Net.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace plat {

NetSocket NetCreateTcpSocket()
{
    int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, IPPROTO_TCP);
    return s < 0 ? kNetInvalidSocket : s;
}

bool NetSetNonBlocking(NetSocket s)
{
    int flags = ::fcntl(s, F_GETFL, 0);
    return flags >= 0 && ::fcntl(s, F_SETFL, flags | O_NONBLOCK) == 0;
}

void NetClose(NetSocket s)
{
    if (s >= 0)
        ::close(s);
}

uint32_t NetParseAddress(const std::string& text)
{
    in_addr a{};
    if (text.empty() || ::inet_pton(AF_INET, text.c_str(), &a) != 1)
        return kNetAddrNone;
    return a.s_addr;
}

bool NetResolveHost(const std::string& host, uint32_t& address)
{
    address = kNetAddrNone;
    if (host.empty())
        return false;
    uint32_t dotted = NetParseAddress(host);
    if (dotted != kNetAddrNone) {
        address = dotted;
        return true;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &list) != 0 || list == nullptr)
        return false;
    bool found = false;
    for (addrinfo* ai = list; ai; ai = ai->ai_next) {
        if (ai->ai_family == AF_INET && ai->ai_addrlen >= sizeof(sockaddr_in)) {
            address = reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr.s_addr;
            found = address != kNetAddrNone;
            break;
        }
    }
    ::freeaddrinfo(list);
    return found;
}

NetConnectResult NetConnect(NetSocket s, uint32_t address, int port)
{
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = address;
    sa.sin_port = htons(static_cast<uint16_t>(port));
    int r;
    do {
        r = ::connect(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa);
    } while (r != 0 && errno == EINTR);
    if (r == 0)
        return NetConnectResult::Connected;
    if (errno == EINPROGRESS || errno == EAGAIN)
        return NetConnectResult::InProgress;
    return NetConnectResult::Failed;
}

int NetWait(NetSocket s, bool read, bool write, int timeoutUs)
{
    pollfd p{};
    p.fd = s;
    p.events = static_cast<short>((read ? POLLIN : 0) | (write ? POLLOUT : 0) | POLLPRI);
    int r = ::poll(&p, 1, timeoutUs / 1000);
    if (r < 0)
        return errno == EINTR ? 0 : -1;
    if (r == 0)
        return 0;
    int result = 0;
    if (p.revents & POLLNVAL)
        return -1;
    if (p.revents & POLLERR) {
        // A pending socket error (refused or reset connection) is the exception state.
        int err = 0;
        socklen_t len = sizeof err;
        if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0)
            return kNetException;
    }
    if (p.revents & POLLPRI)
        result |= kNetException;
    if (read && (p.revents & (POLLIN | POLLHUP)))
        result |= kNetReadable;
    if (write && (p.revents & POLLOUT))
        result |= kNetWritable;
    return result;
}

int NetSend(NetSocket s, const void* data, int len)
{
    if (len <= 0)
        return 0;
    ssize_t r;
    do {
        r = ::send(s, data, static_cast<size_t>(len), MSG_NOSIGNAL);
    } while (r < 0 && errno == EINTR);
    if (r < 0)
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? kNetWouldBlock : kNetError;
    return static_cast<int>(r);
}

int NetRecv(NetSocket s, void* data, int len)
{
    if (len <= 0)
        return 0;
    ssize_t r;
    do {
        r = ::recv(s, data, static_cast<size_t>(len), 0);
    } while (r < 0 && errno == EINTR);
    if (r < 0)
        return (errno == EAGAIN || errno == EWOULDBLOCK) ? kNetWouldBlock : kNetError;
    return static_cast<int>(r);
}

} // namespace plat
