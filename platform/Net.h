// TCP sockets for the HTTP transfer: a thin layer over the system's sockets that never raises
// SIGPIPE, waits with a time-out and reports would-block separately from failure.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

using NetSocket = int;
constexpr NetSocket kNetInvalidSocket = -1;

// An IPv4 address in network byte order; kNetAddrNone marks "no address".
constexpr uint32_t kNetAddrNone = 0xFFFFFFFFu;

// A non-blocking TCP socket, or kNetInvalidSocket.
NetSocket NetCreateTcpSocket();
bool NetSetNonBlocking(NetSocket s);
void NetClose(NetSocket s);

// Dotted IPv4 text ("127.0.0.1") to an address; kNetAddrNone when the text is not one.
uint32_t NetParseAddress(const std::string& text);
// A host name or dotted address to its first IPv4 address; false when it does not resolve
// (an empty name never resolves).
bool NetResolveHost(const std::string& host, uint32_t& address);

enum class NetConnectResult { Connected, InProgress, Failed };
NetConnectResult NetConnect(NetSocket s, uint32_t address, int port);

// Waits up to timeoutUs microseconds. Bits of the result: kNetReadable, kNetWritable (only
// those asked for) and kNetException (the socket failed, e.g. a refused connection); -1 when
// the wait itself failed.
constexpr int kNetReadable = 1;
constexpr int kNetWritable = 2;
constexpr int kNetException = 4;
int NetWait(NetSocket s, bool read, bool write, int timeoutUs);

// Sends or receives at most len bytes. Result: the bytes moved (> 0), 0 for an orderly close
// (receive only), kNetWouldBlock when nothing could be moved yet, kNetError on failure.
// Sending to a closed peer reports kNetError; it never raises SIGPIPE.
constexpr int kNetWouldBlock = -2;
constexpr int kNetError = -1;
int NetSend(NetSocket s, const void* data, int len);
int NetRecv(NetSocket s, void* data, int len);

} // namespace plat
