// The socket layer on 127.0.0.1: addresses, refused connections and writes to a closed peer.
#include "platform/Net.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(Net, Addresses)
{
    EXPECT_EQ(plat::NetParseAddress("127.0.0.1"), htonl(0x7F000001));
    for (const char* bad : {"", "1.2.3", "256.1.1.1", "localhost", "1.2.3.4 "})
        EXPECT_EQ(plat::NetParseAddress(bad), plat::kNetAddrNone) << bad;
    uint32_t a = 0;
    EXPECT_TRUE(plat::NetResolveHost("127.0.0.1", a));
    EXPECT_EQ(a, htonl(0x7F000001));
    EXPECT_FALSE(plat::NetResolveHost("", a));
}

TEST(Net, RefusedConnectionIsAnException)
{
    plat::NetSocket s = plat::NetCreateTcpSocket();
    ASSERT_NE(s, plat::kNetInvalidSocket);
    ASSERT_TRUE(plat::NetSetNonBlocking(s));
    auto r = plat::NetConnect(s, plat::NetParseAddress("127.0.0.1"), quortest::LoopbackServer::ClosedPort());
    if (r == plat::NetConnectResult::InProgress) {
        int w = 0;
        for (int i = 0; i < 50 && w == 0; ++i)
            w = plat::NetWait(s, false, true, 100000);
        EXPECT_TRUE(w & plat::kNetException) << w;
    } else {
        EXPECT_EQ(r, plat::NetConnectResult::Failed);
    }
    plat::NetClose(s);
}

TEST(Net, SendToClosedPeerFailsWithoutSignal)
{
    quortest::LoopbackServer server({}, false); // accepts, then closes
    plat::NetSocket s = plat::NetCreateTcpSocket();
    ASSERT_NE(s, plat::kNetInvalidSocket);
    auto r = plat::NetConnect(s, plat::NetParseAddress("127.0.0.1"), server.Port());
    ASSERT_EQ(r, plat::NetConnectResult::Connected); // blocking socket
    char block[65536] = {};
    int last = 0;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (last != plat::kNetError && std::chrono::steady_clock::now() < end) {
        last = plat::NetSend(s, block, sizeof block);
        if (last > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(last, plat::kNetError); // and the process is still here
    plat::NetClose(s);
}
