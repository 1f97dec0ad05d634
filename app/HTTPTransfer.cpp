// The HTTP transfer: URL split, the worker's connect/send/receive loop and the result codes.
#include "app/HTTPTransfer.h"

#include "app/Buffer.h"
#include "app/Common.h"
#include "app/QuorAppBase.h"
#include "platform/Net.h"

#include <algorithm>
#include <chrono>

namespace Quor {

namespace {

// Transfer ids count up from 1 across every transfer of the program.
int gNextTransferId = 1;

int NewTransferId() { return gNextTransferId++; }

// The demo stream's command number of a transfer outcome.
constexpr int kDemoCommand = 17;

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

} // namespace

std::string ReportHost;
HTTPTransfer gHTTPTransfer;

HTTPTransfer::HTTPTransfer()
{
    mTransferId = NewTransferId();
}

HTTPTransfer::~HTTPTransfer()
{
    Abort();
    while (mThreadRunning)
        SleepMs(20);
    JoinWorker();
}

void HTTPTransfer::JoinWorker()
{
    if (mThread.joinable())
        mThread.join();
}

void HTTPTransfer::Send(const std::string& request)
{
    ParseURL();
    mSendBuffer = request;
    StartWorker();
}

void HTTPTransfer::ParseURL()
{
    Reset();
    mTransferId = NewTransferId();
    mURL = ReportHost;
    mStop = false;
    mAborted = false;
    mResult = RESULT_NOT_COMPLETED;
    {
        std::lock_guard<std::mutex> lock(mContentLock);
        mContent.clear();
    }
    mContentLength = 0;
    mPort = 80;

    size_t start = mURL.find("//");
    start = start == std::string::npos ? 0 : start + 2;
    size_t end = mURL.find('/', start);
    mHost = mURL.substr(start, end == std::string::npos ? std::string::npos : end - start);
    size_t colon = mHost.find(':');
    if (colon != std::string::npos) {
        mPort = atoi(mHost.c_str() + colon + 1);
        mHost.resize(colon);
    }
}

void HTTPTransfer::StartWorker()
{
    mTransferPending = true;
    if (gQuorAppBase != nullptr && gQuorAppBase->mPlayingDemo)
        return; // the outcome comes from the demo stream
    JoinWorker();
    mThreadRunning = true;
    mThread = std::thread([this] { WorkerMain(); });
}

void HTTPTransfer::Abort()
{
    mAborted = true;
    mStop = true;
}

void HTTPTransfer::Reset()
{
    if (mThreadRunning) {
        Abort();
        Wait();
    }
    JoinWorker();
    mTransferId = NewTransferId();
    mResult = RESULT_NOT_STARTED;
    mLastRecordedResult = RESULT_NOT_STARTED;
    {
        std::lock_guard<std::mutex> lock(mContentLock);
        mContent.clear();
    }
    mURL.clear();
    mSendBuffer.clear();
    mStop = false;
    mAborted = false;
}

void HTTPTransfer::Wait()
{
    while (mTransferPending) {
        Poll();
        SleepMs(20);
    }
}

int HTTPTransfer::GetResult()
{
    Poll();
    return mResult;
}

void HTTPTransfer::Poll()
{
    QuorAppBase* app = gQuorAppBase;
    if (app == nullptr)
        return;
    Buffer& demo = app->mDemoBuffer;
    if (app->mPlayingDemo) {
        // A recorded outcome of this transfer, due at this update, replaces the live one.
        if (!app->ReadDemoTimingBlock() || app->mDemoNeedsCommand || app->mDemoIsShortCmd ||
            app->mDemoCmdOrder != kDemoCommand)
            return;
        int pos = demo.GetReadBitPos();
        if (demo.ReadLong() != mTransferId) {
            demo.SetReadBitPos(pos);
            return;
        }
        mLastRecordedResult = demo.ReadByte();
        std::string content = demo.ReadString();
        {
            std::lock_guard<std::mutex> lock(mContentLock);
            mContent = content;
        }
        mResult = mLastRecordedResult;
        app->mDemoNeedsCommand = true;
    } else if (app->mRecordingDemo) {
        int result = mResult;
        if (result == mLastRecordedResult)
            return;
        app->WriteDemoTimingBlock();
        demo.WriteNumBits(0, 1);
        demo.WriteNumBits(kDemoCommand, 5);
        demo.WriteLong(mTransferId);
        demo.WriteByte(static_cast<uint8_t>(result));
        demo.WriteString(result == RESULT_NOT_COMPLETED ? std::string() : GetContent());
        mLastRecordedResult = result;
    }
}

std::string HTTPTransfer::GetContent()
{
    std::lock_guard<std::mutex> lock(mContentLock);
    return mContent;
}

void HTTPTransfer::Fail(int result)
{
    mResult = result;
    mStop = true;
}

bool HTTPTransfer::WaitSocket(int socket, bool read, bool write)
{
    for (;;) {
        if (mStop)
            return true;
        int r = plat::NetWait(socket, read, write, 100000);
        if (r < 0 || (r & plat::kNetException)) {
            Fail(RESULT_SOCKET_ERROR);
            return false;
        }
        if (r & (plat::kNetReadable | plat::kNetWritable))
            return true;
    }
}

void HTTPResponseReader::Add(const char* data, size_t len)
{
    if (mOutcome >= 0)
        return;
    mIn.append(data, len);
    Parse();
    if (mPos > 65536) { // drop what has been parsed
        mIn.erase(0, mPos);
        mPos = 0;
    }
}

void HTTPResponseReader::Close(bool clean)
{
    if (mOutcome >= 0)
        return;
    // Only a close-delimited body may end with the connection, and only by an orderly close;
    // a response cut short before its header, its length or its last chunk is a failure.
    bool closeDelimited = mHeaderDone && !mChunked && mContentLength <= 0;
    Finish(closeDelimited && clean ? HTTPTransfer::RESULT_DONE : HTTPTransfer::RESULT_SOCKET_ERROR);
}

std::string HTTPResponseReader::TakeNewContent()
{
    std::string out;
    out.swap(mNew);
    return out;
}

void HTTPResponseReader::Parse()
{
    while (mOutcome < 0) {
        size_t avail = mIn.size() - mPos;
        if (!mHeaderDone) {
            size_t eol = mIn.find("\r\n", mPos);
            if (eol == std::string::npos)
                return;
            std::string line = mIn.substr(mPos, eol - mPos);
            mPos = eol + 2;
            if (line.compare(0, 7, "HTTP/1.") == 0) {
                mStatusSeen = true;
                std::string status = line.size() >= 12 ? line.substr(9, 3) : std::string();
                if (status == "404")
                    Finish(HTTPTransfer::RESULT_NOT_FOUND);
                else if (status != "200")
                    Finish(HTTPTransfer::RESULT_HTTP_ERROR);
            } else if (line == "Transfer-Encoding: chunked") {
                mChunked = true;
            } else if (line.compare(0, 19, "Transfer-Encoding: ") == 0) {
                if (line.compare(19, std::string::npos, "identity") != 0)
                    mChunked = true;
            } else if (line.compare(0, 16, "Content-Length: ") == 0) {
                mContentLength = atoi(line.c_str() + 16);
            } else if (line.empty()) {
                mHeaderDone = true;
                mLengthLeft = mContentLength;
                if (!mStatusSeen) // not an HTTP response
                    Finish(HTTPTransfer::RESULT_HTTP_ERROR);
            }
            continue;
        }

        if (mChunked) {
            if (mChunkNeedsEnd) {
                if (avail < 2)
                    return;
                mPos += 2;
                mChunkNeedsEnd = false;
            } else if (!mChunkOpen) {
                size_t eol = mIn.find("\r\n", mPos);
                if (eol == std::string::npos)
                    return;
                std::string sizeText = StringTrim(mIn.substr(mPos, eol - mPos));
                int size = 0;
                if (sizeText.empty() || !StringToInt("0x" + sizeText, &size) || size < 0)
                    Finish(HTTPTransfer::RESULT_SOCKET_ERROR); // a broken size line
                else if (size == 0)
                    Finish(HTTPTransfer::RESULT_DONE);
                mPos = eol + 2;
                mChunkOpen = true;
                mChunkLeft = size;
            } else {
                if (avail == 0)
                    return;
                size_t take = std::min(avail, static_cast<size_t>(mChunkLeft));
                mNew.append(mIn, mPos, take);
                mPos += take;
                mChunkLeft -= static_cast<int>(take);
                if (mChunkLeft == 0) {
                    mChunkOpen = false;
                    mChunkNeedsEnd = true;
                }
            }
        } else if (mContentLength > 0) {
            size_t take = std::min(avail, static_cast<size_t>(mLengthLeft));
            mNew.append(mIn, mPos, take);
            mPos += take;
            mLengthLeft -= static_cast<int>(take);
            if (mLengthLeft == 0)
                Finish(HTTPTransfer::RESULT_DONE);
            return;
        } else {
            mNew.append(mIn, mPos, avail);
            mPos += avail;
            return;
        }
    }
}

void HTTPTransfer::WorkerMain()
{
    plat::NetSocket s = plat::NetCreateTcpSocket();
    if (s == plat::kNetInvalidSocket) {
        Fail(RESULT_SOCKET_ERROR);
    } else {
        mSocket = s;
        plat::NetSetNonBlocking(s);
    }

    // Connect.
    if (s != plat::kNetInvalidSocket && !mStop) {
        uint32_t address = plat::kNetAddrNone;
        if (!plat::NetResolveHost(mHost, address)) {
            Fail(RESULT_INVALID_ADDR);
        } else if (mPort < 1 || mPort > 65535) {
            Fail(RESULT_INVALID_ADDR);
        } else {
            if (plat::NetConnect(s, address, mPort) == plat::NetConnectResult::Failed)
                Fail(RESULT_CONNECT_FAIL);
            if (!WaitSocket(s, false, true))
                Fail(RESULT_CONNECT_FAIL);
        }
    }

    // Send.
    if (s != plat::kNetInvalidSocket) {
        while (!mSendBuffer.empty() && !mStop) {
            if (!WaitSocket(s, false, true) || mStop)
                break;
            int n = plat::NetSend(s, mSendBuffer.data(),
                                  static_cast<int>(std::min<size_t>(mSendBuffer.size(), 1 << 30)));
            if (n == plat::kNetWouldBlock)
                continue;
            if (n < 1) {
                Fail(RESULT_DISCONNECTED);
                break;
            }
            mSendBuffer.erase(0, static_cast<size_t>(n));
        }
    }

    // Receive and parse.
    if (s != plat::kNetInvalidSocket && !mStop) {
        HTTPResponseReader reader;
        while (!mStop && reader.Outcome() < 0) {
            if (!WaitSocket(s, true, false) || mStop)
                break;
            char chunk[256];
            int n = plat::NetRecv(s, chunk, sizeof chunk);
            if (n == plat::kNetWouldBlock)
                continue;
            if (n < 1)
                reader.Close(n == 0);
            else
                reader.Add(chunk, static_cast<size_t>(n));
            mContentLength = reader.ContentLength();
            std::string fresh = reader.TakeNewContent();
            if (!fresh.empty()) {
                std::lock_guard<std::mutex> lock(mContentLock);
                mContent += fresh;
            }
        }
        if (!mStop && reader.Outcome() > 0)
            Fail(reader.Outcome());
    }

    if (s != plat::kNetInvalidSocket)
        plat::NetClose(s);
    mSocket = 0;
    if (mAborted)
        mResult = RESULT_ABORTED;
    else if (mResult == RESULT_NOT_COMPLETED)
        mResult = RESULT_DONE;
    mThreadRunning = false;
    mTransferPending = false;
}

} // namespace Quor
