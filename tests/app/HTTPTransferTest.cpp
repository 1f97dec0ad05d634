// HTTP transfer against servers on 127.0.0.1 that the tests start, and the response reader.
#include "app/HTTPTransfer.h"
#include "app/Buffer.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

using namespace Quor;
using quortest::LoopbackServer;

namespace {

const std::string kRequest = "GET /x HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
const std::string kAlphabet = "abcdefghijklmnopqrstuvwxyz";

// Polls like the crash reporter's timer until the transfer leaves "under way"; bounded.
int WaitForResult(HTTPTransfer& t, int limitMs = 60000)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    int r = t.GetResult();
    while ((r == HTTPTransfer::RESULT_NOT_COMPLETED || t.mTransferPending) &&
           std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        r = t.GetResult();
    }
    return r;
}

void SendTo(HTTPTransfer& t, const std::string& host, const std::string& request = kRequest)
{
    ReportHost = host;
    t.Send(request);
    ReportHost.clear();
}

std::string Local(int port) { return "127.0.0.1:" + std::to_string(port); }

} // namespace

TEST(HTTPTransfer, AnswersFromLoopbackServer)
{
    struct Case {
        const char* name;
        std::vector<LoopbackServer::Step> script;
        int result;
        std::string content;
    } cases[] = {
        {"200 with length", {{"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"}}, 0, "hello"},
        {"404", {{"HTTP/1.1 404 Not Found\r\nContent-Length: 4\r\n\r\ngone"}}, 3, ""},
        {"500", {{"HTTP/1.0 500 Internal Server Error\r\n\r\n"}}, 4, ""},
        {"chunked",
         {{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1a\r\n"},
          {kAlphabet + "\r\n", 30},
          {"0\r\n\r\n", 30}},
         0, kAlphabet},
        {"ended by close", {{"HTTP/1.1 200 OK\r\n\r\nuntil"}, {" the end", 30}}, 0, "until the end"},
        {"short of its length", {{"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nabc"}}, 6, "abc"},
        {"no last chunk", {{"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n"}}, 6, "abc"},
        {"closed before any answer", {}, 6, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server(c.script);
        HTTPTransfer t;
        SendTo(t, "http://" + Local(server.Port()) + "/report");
        EXPECT_EQ(WaitForResult(t), c.result);
        EXPECT_FALSE(t.mThreadRunning);
        EXPECT_EQ(t.mSocket, 0);
        if (c.result == 0 || c.result == 6) {
            EXPECT_EQ(t.GetContent(), c.content);
        }
        EXPECT_EQ(server.Request(), kRequest); // the request arrived whole
    }
}

TEST(HTTPTransfer, AbortDuringSlowBodyGivesFive)
{
    LoopbackServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nfirst"}, {"rest", 600000}}); // the rest never comes
    HTTPTransfer t;
    SendTo(t, Local(server.Port()));
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (t.GetContent().empty() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(t.GetResult(), HTTPTransfer::RESULT_NOT_COMPLETED);
    t.Abort();
    EXPECT_EQ(WaitForResult(t), HTTPTransfer::RESULT_ABORTED);
    EXPECT_EQ(t.GetContent(), "first");
}

TEST(HTTPTransfer, AddressFailures)
{
    int closed = LoopbackServer::ClosedPort();
    struct Case {
        std::string host;
        int result;
    } cases[] = {
        {"", HTTPTransfer::RESULT_INVALID_ADDR},
        {"http:///path", HTTPTransfer::RESULT_INVALID_ADDR},
        {Local(closed), HTTPTransfer::RESULT_CONNECT_FAIL},
        {"127.0.0.1:0", HTTPTransfer::RESULT_INVALID_ADDR},
        {"127.0.0.1:65536", HTTPTransfer::RESULT_INVALID_ADDR},
        {"127.0.0.1:-80", HTTPTransfer::RESULT_INVALID_ADDR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        HTTPTransfer t;
        SendTo(t, c.host);
        EXPECT_EQ(WaitForResult(t), c.result);
    }
}

TEST(HTTPTransfer, PeerThatStopsReadingNeverKillsTheProcess)
{
    // The server closes at once; the large request then meets a closed connection. Without
    // care the first failed write would end the test program by SIGPIPE.
    LoopbackServer server({}, false);
    HTTPTransfer t;
    SendTo(t, Local(server.Port()), std::string(8 << 20, 'x'));
    int r = WaitForResult(t);
    EXPECT_TRUE(r == HTTPTransfer::RESULT_DISCONNECTED || r == HTTPTransfer::RESULT_SOCKET_ERROR) << r;
}

TEST(HTTPTransfer, URLSplit)
{
    struct Case {
        const char* url;
        const char* host;
        int port;
    } cases[] = {
        {"reports.example", "reports.example", 80},
        {"http://reports.example/a/b", "reports.example", 80},
        {"http://127.0.0.1:8080/x", "127.0.0.1", 8080},
        {"127.0.0.1:81", "127.0.0.1", 81},
        {"host:abc", "host", 0},
    };
    for (const Case& c : cases) {
        HTTPTransfer t;
        ReportHost = c.url;
        t.ParseURL();
        ReportHost.clear();
        EXPECT_EQ(t.mHost, c.host) << c.url;
        EXPECT_EQ(t.mPort, c.port) << c.url;
        EXPECT_EQ(t.mURL, c.url);
        EXPECT_EQ(t.mResult, HTTPTransfer::RESULT_NOT_COMPLETED);
    }
}

TEST(HTTPTransfer, ResetReturnsToIdleWithNewId)
{
    HTTPTransfer t;
    EXPECT_EQ(t.GetResult(), HTTPTransfer::RESULT_NOT_STARTED);
    LoopbackServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"}, {"", 3000}});
    SendTo(t, Local(server.Port()));
    int id = t.mTransferId;
    t.Reset(); // aborts and waits for the worker
    EXPECT_FALSE(t.mThreadRunning);
    EXPECT_EQ(t.GetResult(), HTTPTransfer::RESULT_NOT_STARTED);
    EXPECT_GT(t.mTransferId, id);
    EXPECT_TRUE(t.GetContent().empty());
}

TEST(HTTPTransfer, OutcomeRecordedAndReplayedThroughTheDemo)
{
    quortest::TestApp app;
    app.mRecordingDemo = true;
    int id = 0;
    {
        LoopbackServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello"}});
        HTTPTransfer t;
        SendTo(t, Local(server.Port()));
        EXPECT_EQ(WaitForResult(t), HTTPTransfer::RESULT_DONE);
        id = t.mTransferId;
        EXPECT_EQ(t.mLastRecordedResult, HTTPTransfer::RESULT_DONE);
    }
    Buffer& demo = app.mDemoBuffer;
    ASSERT_GT(demo.GetDataLen(), 0);

    // Replay: no connection is made (nothing listens there); the results come from the stream.
    app.mRecordingDemo = false;
    app.mPlayingDemo = true;
    demo.SeekFront();
    app.mLastDemoUpdateCnt = 0;
    app.mDemoNeedsCommand = true;

    HTTPTransfer other;
    SendTo(other, Local(LoopbackServer::ClosedPort()));
    EXPECT_FALSE(other.mThreadRunning);
    EXPECT_EQ(other.GetResult(), HTTPTransfer::RESULT_NOT_COMPLETED); // not its record
    EXPECT_EQ(demo.GetReadBitPos(), 10); // put back after the record's header

    HTTPTransfer replay;
    SendTo(replay, Local(LoopbackServer::ClosedPort()));
    replay.mTransferId = id;
    int result = HTTPTransfer::RESULT_NOT_COMPLETED;
    for (int i = 0; i < 4 && result == HTTPTransfer::RESULT_NOT_COMPLETED; ++i)
        result = replay.GetResult();
    EXPECT_EQ(result, HTTPTransfer::RESULT_DONE);
    EXPECT_EQ(replay.GetContent(), "hello");
    EXPECT_FALSE(replay.mThreadRunning);
    EXPECT_TRUE(replay.mTransferPending); // no worker ever finishes a replayed transfer
    EXPECT_TRUE(demo.AtEnd());
    app.mPlayingDemo = false;
}

TEST(HTTPResponseReader, WholeAndByteByByte)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool closeAtEnd;
        int outcome;
        std::string content;
    } cases[] = {
        {"length", "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\nabcdef", false, 0, "abc"},
        {"chunks", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n1a\r\n" + kAlphabet +
                       "\r\n 2 \r\nxy\r\n0\r\n\r\n", false, 0, kAlphabet + "xy"},
        {"other encoding is chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\n1\r\nz\r\n0\r\n", false, 0, "z"},
        {"identity with length", "HTTP/1.1 200 OK\r\nTransfer-Encoding: identity\r\nContent-Length: 2\r\n\r\nab", false, 0, "ab"},
        {"until close", "HTTP/1.0 200 OK\r\n\r\nall of it", true, 0, "all of it"},
        {"404", "HTTP/1.1 404 Not Found\r\n\r\n", false, 3, ""},
        {"status too short", "HTTP/1.1 2\r\n\r\n", false, 4, ""},
        {"no status line", "Content-Length: 1\r\n\r\nx", false, 4, ""},
        {"header cut", "HTTP/1.1 200 OK\r\nContent-Le", true, 6, ""},
        {"length cut", "HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc", true, 6, "abc"},
        {"chunk cut", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nab", true, 6, "ab"},
        {"bad chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nab\r\n", false, 6, ""},
        {"empty chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n\r\n", false, 6, ""},
        {"negative chunk size", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nFFFFFFFF\r\n", false, 6, ""},
    };
    for (const Case& c : cases) {
        for (bool byteByByte : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (byteByByte ? " byte by byte" : " whole"));
            HTTPResponseReader reader;
            std::string content;
            if (byteByByte) {
                for (char ch : c.bytes) {
                    reader.Add(&ch, 1);
                    content += reader.TakeNewContent();
                }
            } else {
                reader.Add(c.bytes.data(), c.bytes.size());
                content += reader.TakeNewContent();
            }
            if (c.closeAtEnd)
                reader.Close(true);
            EXPECT_EQ(reader.Outcome(), c.outcome);
            EXPECT_EQ(content, c.content);
        }
    }
}

TEST(HTTPResponseReader, CloseByErrorIsNotAnEnd)
{
    HTTPResponseReader reader;
    std::string bytes = "HTTP/1.1 200 OK\r\n\r\nbody";
    reader.Add(bytes.data(), bytes.size());
    EXPECT_EQ(reader.Outcome(), -1);
    reader.Close(false);
    EXPECT_EQ(reader.Outcome(), HTTPTransfer::RESULT_SOCKET_ERROR);
}
