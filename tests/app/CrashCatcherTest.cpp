// The crash catcher: real faults in a child process and the report they leave, the parts of
// the windows, the report request sent to a server on 127.0.0.1, and the map-file annotation.
#include "app/CrashCatcher.h"
#include "app/HTTPTransfer.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/LoopbackServer.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace Quor;

#if defined(__clang__)
#define QUOR_RAW_FAULT __attribute__((no_sanitize("address", "undefined"), noinline))
#else
#define QUOR_RAW_FAULT __attribute__((no_sanitize_address, no_sanitize_undefined, noinline))
#endif

// Faults raised by the hardware, not by the sanitizers' checks.
QUOR_RAW_FAULT void CrashTestDivideByZero()
{
    volatile int zero = 0;
    volatile int result = 7 / zero;
    (void)result;
}

QUOR_RAW_FAULT void CrashTestIllegalInstruction() { __builtin_trap(); }

volatile bool gCrashTestRecurse = true;

QUOR_RAW_FAULT int CrashTestRecurse(int depth)
{
    volatile char frame[4096];
    frame[0] = static_cast<char>(depth);
    if (gCrashTestRecurse)
        return CrashTestRecurse(depth + 1) + frame[0];
    return 0;
}

void CrashTestStackOverflow() { CrashTestRecurse(0); }

void CrashTestThrow() { throw std::runtime_error("not caught anywhere"); }

// Thrown on a thread of its own, where no test framework catches it.
void CrashTestUncaughtException() { std::thread(CrashTestThrow).join(); }

void CrashTestNullWrite() { plat::CrashWriteToNull(); }

// An application that records a demo when the fault comes.
void CrashTestWithApplication()
{
    static quortest::TestApp app;
    app.mProductName = "Crashy";
    app.mProductVersion = "1.2";
    app.mWindowed = true;
    app.mRecordingDemo = true;
    app.mDemoFileName = "crash.dmo";
    app.mTimeLoaded = app.GetClock()->GetTickCount();
    plat::CrashWriteToNull();
}

// The "-crash" option on the command line.
void CrashTestCommandLine()
{
    static quortest::TestApp app;
    app.HandleCmdLineParam("-crash", "");
}

// An application whose own crash hook faults again.
class FaultingHookApp : public quortest::TestApp {
public:
    void OnFatalException() override { plat::CrashWriteToNull(); }
};

void CrashTestInHook()
{
    static FaultingHookApp app;
    app.mProductName = "Crashy";
    CrashTestDivideByZero();
}

namespace {

struct CrashRun {
    bool signalled = false;
    int signal = 0;
    int exitCode = 0;
    std::string report;
    std::string log;
};

std::string ReadText(const std::string& path)
{
    try {
        auto bytes = quortest::ReadFile(path);
        return std::string(bytes.begin(), bytes.end());
    } catch (const std::exception&) {
        return std::string();
    }
}

// Runs the fault in a child process whose current folder is dir; bounded in time.
CrashRun RunCrash(void (*fault)(), const quortest::TempDir& dir)
{
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        rlimit none{0, 0};
        setrlimit(RLIMIT_CORE, &none);
        if (chdir(dir.Path().c_str()) != 0)
            _exit(90);
        int log = open("log.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(log, STDERR_FILENO);
        fault();
        _exit(91); // not reached
    }
    CrashRun run;
    int status = 0;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            ADD_FAILURE() << "the crashed process did not end";
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.signalled = WIFSIGNALED(status);
    run.signal = run.signalled ? WTERMSIG(status) : 0;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 0;
    run.report = ReadText(dir.File("crash.txt"));
    run.log = ReadText(dir.File("log.txt"));
    return run;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// Matches text at pos against a shape in which "{h8}" stands for 8 or more upper-case hex
// digits, "{h4}" for exactly 4, "{h}" for 1 or more and "{line}" for the rest of a line; the
// hex runs are stored in order. Other characters stand for themselves.
bool Match(const std::string& text, size_t& pos, const std::string& shape, std::vector<std::string>* hex = nullptr)
{
    size_t s = 0;
    while (s < shape.size()) {
        if (shape.compare(s, 4, "{h8}") == 0 || shape.compare(s, 4, "{h4}") == 0 || shape.compare(s, 3, "{h}") == 0) {
            size_t start = pos;
            while (pos < text.size() && IsHexDigit(text[pos]))
                ++pos;
            size_t n = pos - start;
            bool ok = shape[s + 2] == '8' ? n >= 8 : shape[s + 2] == '4' ? n == 4 : n >= 1;
            if (!ok)
                return false;
            if (hex != nullptr)
                hex->push_back(text.substr(start, n));
            s += shape[s + 2] == '}' ? 3 : 4;
        } else if (shape.compare(s, 6, "{line}") == 0) {
            size_t start = pos;
            while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n')
                ++pos;
            if (pos == start)
                return false;
            s += 6;
        } else {
            if (pos >= text.size() || text[pos] != shape[s])
                return false;
            ++pos;
            ++s;
        }
    }
    return true;
}

} // namespace

TEST(CrashCatcher, FaultsLeaveTheReport)
{
    struct Case {
        const char* name;
        void (*fault)();
        int signal;
        const char* firstLine;
        const char* inStack;
    } cases[] = {
        {"null write", CrashTestNullWrite, SIGSEGV,
         "Exception: Access Violation (code 0xc0000005)", "plat::CrashWriteToNull()+"},
        {"-crash option", CrashTestCommandLine, SIGSEGV,
         "Exception: Access Violation (code 0xc0000005)", "Quor::QuorAppBase::HandleCmdLineParam("},
        {"division by zero", CrashTestDivideByZero, SIGFPE,
         "Exception: Integer Divide by Zero (code 0xc0000094)", "CrashTestDivideByZero()+"},
        {"stack overflow", CrashTestStackOverflow, SIGSEGV,
         "Exception: Stack Overflow (code 0xc00000fd)", "CrashTestRecurse(int)+"},
        {"illegal instruction", CrashTestIllegalInstruction, SIGILL,
         "Exception: Illegal Instruction (code 0xc000001d)", "CrashTestIllegalInstruction()+"},
        {"uncaught exception", CrashTestUncaughtException, SIGABRT,
         "Unknown exception: (code 0xe06d7363)", "CrashTestThrow()+"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        quortest::TempDir dir;
        CrashRun run = RunCrash(c.fault, dir);
        EXPECT_TRUE(run.signalled);
        EXPECT_EQ(run.signal, c.signal); // ended by its fault: a non-zero status
        const std::string& r = run.report;
        ASSERT_FALSE(r.empty()) << run.log;

        size_t pos = 0;
        std::vector<std::string> first;
        ASSERT_TRUE(Match(r, pos, std::string(c.firstLine) + " at address {h8} in thread {h}\r\n"
                                  "Module: {line}\r\nLogical Address: {h4}:{h8}\r\n\r\n", &first)) << r;
        size_t module = r.find("Module: ");
        EXPECT_EQ(r.substr(module, r.find("\r\n", module) - module).find('/'), std::string::npos); // the name only
        EXPECT_NE(r.find(c.inStack), std::string::npos) << r;
        EXPECT_NE(r.find("\r\nParams: "), std::string::npos) << r;

        pos = r.find("\r\n\r\nEAX:");
        ASSERT_NE(pos, std::string::npos) << r;
        std::vector<std::string> regs;
        ASSERT_TRUE(Match(r, pos, "\r\n\r\nEAX:{h8} EBX:{h8} ECX:{h8} EDX:{h8} ESI:{h8} EDI:{h8}\r\n"
                                  "EIP:{h8} ESP:{h8}  EBP:{h8}\r\n"
                                  "CS:{h4} SS:{h4} DS:{h4} ES:{h4} FS:{h4} GS:{h4}\r\nFlags:{h8}\r\n\r\n"
                                  "OS Ver: {line}\r\n", &regs)) << r;
        EXPECT_EQ(regs[6], first[0]); // the instruction pointer is the exception's address

        // Single CR LF line ends throughout, and one more line end after the report.
        EXPECT_EQ(r.find("\r\r"), std::string::npos);
        for (size_t i = 0; i < r.size(); ++i) {
            if (r[i] == '\n') {
                ASSERT_TRUE(i > 0 && r[i - 1] == '\r') << "bare line feed at " << i;
            }
        }
        EXPECT_EQ(r.substr(r.size() - 4), "\r\n\r\n");

        // The window ran in a child without a display: logged, "Close Now" taken, no sending.
        EXPECT_NE(run.log.find("Fatal Error!: An unexpected error has occured! [no display; taking \"Close Now\"]"),
                  std::string::npos) << run.log;
        EXPECT_EQ(run.log.find("Send Report"), std::string::npos);
    }
}

TEST(CrashCatcher, ReportCarriesTheApplicationAndClosesItsDemo)
{
    quortest::TempDir dir;
    CrashRun run = RunCrash(CrashTestWithApplication, dir);
    EXPECT_EQ(run.signal, SIGSEGV);
    const std::string& r = run.report;
    EXPECT_EQ(r.find("Exception: Access Violation (code 0xc0000005)"), 0u) << r;
    size_t pos = r.find("\r\nOS Ver: ");
    ASSERT_NE(pos, std::string::npos) << r;
    pos = r.find("\r\n", pos + 2);
    // The display and sound library lines (no version here), then the application's facts.
    EXPECT_TRUE(Match(r, pos, "\r\nDDraw Ver: \r\nDSound Ver: \r\n\r\nProduct: Crashy\r\nVersion: 1.2\r\n"
                              "Time Loaded: 00:00:00\r\nFullscreen: No\r\nPrimary ThreadId: {h}\r\n\r\n"))
        << r;
    EXPECT_EQ(pos, r.size());
    // The demo being recorded was written, ending with the filler record of the crash.
    // The stream's last record is 4 bits of update delta 0, a 0 bit and the id 31 in 5 bits.
    std::string demo = ReadText(dir.File("crash.dmo"));
    ASSERT_GE(demo.size(), 2u);
    EXPECT_EQ(uint8_t(demo[demo.size() - 2]), 0xE0);
    EXPECT_EQ(uint8_t(demo[demo.size() - 1]), 0x03);
    EXPECT_NE(run.log.find("[no display; taking \"Close Now\"]"), std::string::npos) << run.log;
}

TEST(CrashCatcher, FaultInTheApplicationHookLeavesTheFirstReport)
{
    quortest::TempDir dir;
    CrashRun run = RunCrash(CrashTestInHook, dir);
    EXPECT_TRUE(run.signalled);
    const std::string& r = run.report;
    EXPECT_EQ(r.find("Exception: Integer Divide by Zero (code 0xc0000094)"), 0u) << r;
    EXPECT_NE(r.find("CrashTestDivideByZero"), std::string::npos) << r;
    EXPECT_NE(r.find("\r\nFlags:"), std::string::npos) << r;
    EXPECT_NE(r.find("\r\nOS Ver: "), std::string::npos) << r;
    EXPECT_EQ(r.find("Product:"), std::string::npos) << r; // the hook never finished
    EXPECT_EQ(run.log.find("Fatal Error!"), std::string::npos);
}

TEST(CrashCatcher, ApplicationPointerLivesWithTheApplication)
{
    {
        quortest::TestApp app;
        EXPECT_EQ(CrashCatcher::mApp, &app);
    }
    EXPECT_EQ(CrashCatcher::mApp, nullptr); // a later fault never reaches a destroyed object
}

TEST(CrashCatcher, ExceptionNames)
{
    struct Case {
        uint32_t code;
        const char* name;
    } cases[] = {
        {0xC0000005, "Access Violation"}, {0x0, "Wait 0"},       {0xC000013A, "Ctrl+C Exit"},
        {0xC00000FD, "Stack Overflow"},   {0xE06D7363, nullptr}, {0xC0000001, nullptr},
    };
    for (const Case& c : cases) {
        const char* name = CrashCatcher::GetExceptionName(c.code);
        if (c.name == nullptr) {
            EXPECT_EQ(name, nullptr) << std::hex << c.code;
        } else {
            EXPECT_STREQ(name, c.name) << std::hex << c.code;
        }
    }
}

TEST(CrashCatcher, WindowButtonsAndProgressText)
{
    CrashCatcher::Button b[2];
    ReportHost.clear();
    ASSERT_EQ(CrashCatcher::GetCrashWindowButtons(b), 1);
    EXPECT_STREQ(b[0].text, "Close Now");
    EXPECT_EQ(b[0].x, 8);
    EXPECT_EQ(b[0].width, 384);

    ReportHost = "127.0.0.1:1";
    ASSERT_EQ(CrashCatcher::GetCrashWindowButtons(b), 2);
    ReportHost.clear();
    EXPECT_STREQ(b[0].text, "Send Report");
    EXPECT_FALSE(b[0].enabled); // no application object
    EXPECT_STREQ(b[1].text, "Close Now");
    EXPECT_EQ(b[0].width, 188);
    EXPECT_EQ(b[1].x, 204);
    EXPECT_EQ(b[1].y, 268);

    EXPECT_EQ(CrashCatcher::GetProgressText(0), "Please Wait");
    EXPECT_EQ(CrashCatcher::GetProgressText(13), "Please Wait . . .");
    EXPECT_EQ(CrashCatcher::GetProgressText(9), "Please Wait . . . . . . . . .");
}

TEST(CrashCatcher, SubmitReportSendsTheMultipartRequest)
{
    quortest::LoopbackServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"}});
    ReportHost = "127.0.0.1:" + std::to_string(server.Port());
    CrashCatcher::mErrorTitle = "Exception at 0001:00000010";
    CrashCatcher::mErrorText = "Exception: ...\r\n";
    CrashCatcher::mUserText = "it broke";
    CrashCatcher::mAttach = false;
    CrashCatcher::mClosed = false;
    CrashCatcher::SubmitReport();
    CrashCatcher::ShowProgressWindow(); // returns once the transfer has finished
    ReportHost.clear();
    EXPECT_EQ(gHTTPTransfer.GetResult(), HTTPTransfer::RESULT_DONE);

    const std::string b = "---------------------------7d3e1f30eec";
    auto part = [&](const std::string& name, const std::string& value) {
        return "--" + b + "\r\nContent-Disposition: form-data; name=\"" + name + "\"\r\n\r\n" + value + "\r\n";
    };
    std::string body = part("prod", "") + part("version", "") + part("usertext", "it broke") +
                       part("errortitle", "Exception at 0001:00000010") +
                       part("errortext", "Exception: ...\r\n") + "--" + b + "--\r\n";
    std::string expected = "POST /vantle_error.php HTTP/1.1\r\n"
                           "Content-Type: multipart/form-data; boundary=" + b + "\r\n"
                           "User-Agent: Mozilla/4.0 (compatible; ondrel)\r\n"
                           "Host: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n"
                           "Content-Length: " + std::to_string(body.size()) + "\r\n"
                           "Connection: close\r\n\r\n" + body;
    EXPECT_EQ(server.Request(), expected);
    EXPECT_EQ(server.Request().find("demofile"), std::string::npos); // nothing to attach
}

TEST(CrashCatcher, SubmitReportAttachesTheRecordedDemo)
{
    quortest::TempDir dir;
    const std::string demo = std::string("\x78\xEF\xBE\x42", 4) + std::string("\0\r\n--x", 5);
    quortest::WriteFile(dir.File("run.dmo"), demo);
    quortest::TestApp app; // the attachment is read through the application
    app.mProductName = "Crashy";
    for (bool attach : {true, false}) {
        quortest::LoopbackServer server({{"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n"}});
        ReportHost = "127.0.0.1:" + std::to_string(server.Port());
        CrashCatcher::mAttach = attach;
        CrashCatcher::mAttachmentFile = dir.File("run.dmo");
        CrashCatcher::mClosed = false;
        CrashCatcher::SubmitReport();
        CrashCatcher::ShowProgressWindow();
        ReportHost.clear();
        const std::string part = "\r\nContent-Disposition: form-data; name=\"demofile\"; "
                                 "filename=\"ondrel.dmo\"\r\nContent-Type: application/octet-stream"
                                 "\r\n\r\n" + demo + "\r\n-----------------------------7d3e1f30eec--\r\n";
        const std::string request = server.Request();
        ASSERT_GE(request.size(), part.size()) << attach;
        EXPECT_EQ(request.compare(request.size() - part.size(), part.size(), part) == 0, attach) << request;
        EXPECT_EQ(request.find("demofile") != std::string::npos, attach) << attach;
    }
    CrashCatcher::mAttach = false;
}

TEST(CrashCatcher, FailedSubmissionOffersRetryAndCancel)
{
    // Without a display the "Connection Failed" box takes "Cancel", which closes the windows.
    ReportHost = "127.0.0.1:" + std::to_string(quortest::LoopbackServer::ClosedPort());
    CrashCatcher::mClosed = false;
    CrashCatcher::SubmitReport();
    CrashCatcher::ShowProgressWindow();
    ReportHost.clear();
    EXPECT_TRUE(CrashCatcher::mClosed);
    EXPECT_EQ(gHTTPTransfer.GetResult(), HTTPTransfer::RESULT_NOT_STARTED); // reset after the failure
}

TEST(CrashCatcher, MapFileAnnotation)
{
    // Public symbols ("SSSS:OOOOOOOO" at index 1, name at 21) and one line-number block.
    std::string map =
        " Preview\r\n"
        " 0001:00000000       _main                      00401000 f   main.obj\r\n"
        " 0001:00000040       ?Draw@Board@@QAEXXZ        00401040 f   board.obj\r\n"
        " 0002:00000000       _gTable                    00402000     data.obj\r\n"
        "\r\n"
        "Line numbers for .\\Release\\board.obj(c:\\src\\board.cpp) segment .text\r\n"
        "\r\n"
        "    10 0001:00000040    11 0001:00000048    12 0001:00000050    13 0001:00000058\r\n";
    struct Case {
        std::string report;
        std::string expected;
    } cases[] = {
        {"Logical Address: 0001:00000052\r\n",
         "Logical Address: 0001:00000052 ?Draw@Board@@QAEXXZ+0x12\r\n    c:\\src\\board.cpp line 12 +0x2\r\n"},
        {"at 0001:00000000 and 0002:00000008.",
         "at 0001:00000000 _main and 0002:00000008 _gTable+0x8."},
        {"0003:00000001 no such section", "0003:00000001 no such section"},
        {"not an address 00G1:00000000 or 0001:0000", "not an address 00G1:00000000 or 0001:0000"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CrashCatcher::AnnotateWithMapFile(c.report, map), c.expected);
    EXPECT_EQ(CrashCatcher::AnnotateWithMapFile("0001:00000000", "no map here\r\n"), "0001:00000000");
}
