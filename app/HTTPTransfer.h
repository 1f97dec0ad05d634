// One HTTP/1.x request sent on a worker thread; the caller polls a small result code.
// Used by the crash reporter to send its report to the report server named by ReportHost.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace Quor {

// Host name of the report server, optionally followed by ':' and a port. Empty: no sending.
extern std::string ReportHost;

// Reads an HTTP/1.x response as its bytes arrive: the status line, the headers it cares about
// and the body, delimited by Content-Length, by chunks or by the end of the connection.
class HTTPResponseReader {
public:
    // Adds received bytes and parses what can be parsed.
    void Add(const char* data, size_t len);
    // The connection ended: cleanly (orderly close) or by an error.
    void Close(bool clean);
    // -1 while more is expected; otherwise the HTTPTransfer result code (0 when complete).
    int Outcome() const { return mOutcome; }
    // Body bytes that arrived since the last call.
    std::string TakeNewContent();
    int ContentLength() const { return mContentLength; }

private:
    void Parse();
    void Finish(int outcome) { mOutcome = outcome; }

    std::string mIn;
    size_t mPos = 0;
    std::string mNew;
    int mOutcome = -1;
    std::atomic<int> mContentLength{0};
    int mLengthLeft = 0;
    int mChunkLeft = 0;
    bool mHeaderDone = false;
    bool mStatusSeen = false;
    bool mChunked = false;
    bool mChunkOpen = false;
    bool mChunkNeedsEnd = false;
};

class HTTPTransfer {
public:
    enum Result {
        RESULT_DONE = 0,
        RESULT_NOT_STARTED = 1,
        RESULT_NOT_COMPLETED = 2,
        RESULT_NOT_FOUND = 3,
        RESULT_HTTP_ERROR = 4,
        RESULT_ABORTED = 5,
        RESULT_SOCKET_ERROR = 6,
        RESULT_INVALID_ADDR = 7,
        RESULT_CONNECT_FAIL = 8,
        RESULT_DISCONNECTED = 9,
    };

    HTTPTransfer();
    virtual ~HTTPTransfer();
    HTTPTransfer(const HTTPTransfer&) = delete;
    HTTPTransfer& operator=(const HTTPTransfer&) = delete;

    void Send(const std::string& request);
    void ParseURL();
    void StartWorker();
    void Abort();
    void Reset();
    void Wait();
    int GetResult();
    void Poll();

    // The response body received so far (a copy, taken under the lock the worker writes with).
    std::string GetContent();

    int mTransferId = 0;
    std::atomic<int> mSocket{0};
    std::string mSendBuffer;
    std::string mURL;
    std::string mHost;
    int mPort = 80;
    std::atomic<int> mContentLength{0};
    std::string mContent;
    std::atomic<bool> mTransferPending{false};
    std::atomic<bool> mThreadRunning{false};
    std::atomic<bool> mStop{false};
    std::atomic<bool> mAborted{false};
    std::atomic<int> mResult{RESULT_NOT_STARTED};
    int mLastRecordedResult = RESULT_NOT_STARTED;

private:
    void WorkerMain();
    void Fail(int result);
    bool WaitSocket(int socket, bool read, bool write);
    void JoinWorker();

    std::mutex mContentLock;
    std::thread mThread;
};

// The program-wide transfer of the crash reporter.
extern HTTPTransfer gHTTPTransfer;

} // namespace Quor
