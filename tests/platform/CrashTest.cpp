// The platform's crash pieces: exception codes of signals, readable-memory probes, module
// lookup and the report file write.
#include "platform/Crash.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(Crash, CodesOfSignals)
{
    const uintptr_t sp = 0x7ff000100000;
    struct Case {
        int signal, siCode;
        uintptr_t address;
        uint32_t code;
    } cases[] = {
        {SIGSEGV, SEGV_MAPERR, 0, plat::kCodeAccessViolation},
        {SIGSEGV, SEGV_ACCERR, sp - 8, plat::kCodeStackOverflow}, // the guard below the stack
        {SIGSEGV, SEGV_MAPERR, sp - 0x200000, plat::kCodeAccessViolation},
        {SIGFPE, FPE_INTDIV, 0, plat::kCodeIntegerDivideByZero},
        {SIGFPE, FPE_INTOVF, 0, plat::kCodeIntegerOverflow},
        {SIGFPE, FPE_FLTDIV, 0, plat::kCodeFloatDivideByZero},
        {SIGFPE, FPE_FLTINV, 0, plat::kCodeFloatInvalidOperation},
        {SIGILL, ILL_ILLOPN, 0, plat::kCodeIllegalInstruction},
        {SIGILL, ILL_PRVOPC, 0, plat::kCodePrivilegedInstruction},
        {SIGBUS, BUS_OBJERR, 0, plat::kCodeInPageError},
        {SIGTRAP, TRAP_BRKPT, 0, plat::kCodeBreakpoint},
        {SIGABRT, SI_TKILL, 0, plat::kCodeFatalAppExit},
    };
    for (const Case& c : cases)
        EXPECT_EQ(plat::CrashCodeForSignal(c.signal, c.siCode, c.address, sp), c.code)
            << c.signal << " " << c.siCode;
}

TEST(Crash, ReadableProbe)
{
    int local[8] = {};
    EXPECT_TRUE(plat::CrashReadable(local, sizeof local));
    EXPECT_FALSE(plat::CrashReadable(nullptr, 8));
    long page = sysconf(_SC_PAGESIZE);
    void* guard = mmap(nullptr, static_cast<size_t>(page) * 2, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(guard, MAP_FAILED);
    char* second = static_cast<char*>(guard) + page;
    mprotect(second, static_cast<size_t>(page), PROT_NONE);
    EXPECT_TRUE(plat::CrashReadable(second - 16, 16));
    EXPECT_FALSE(plat::CrashReadable(second - 16, 32)); // runs into the protected page
    EXPECT_FALSE(plat::CrashReadable(second, 8));
    munmap(guard, static_cast<size_t>(page) * 2);
}

TEST(Crash, LocateAndName)
{
    plat::CrashLocation where;
    ASSERT_TRUE(plat::CrashLocate(reinterpret_cast<uintptr_t>(&plat::CrashReadable), where));
    EXPECT_EQ(std::filesystem::path(where.modulePath).filename(), "test_platform");
    EXPECT_GE(where.section, 1);
    EXPECT_FALSE(plat::CrashLocate(0, where));

    const char* name = nullptr;
    uintptr_t displacement = 0;
    ASSERT_TRUE(plat::CrashSymbol(reinterpret_cast<uintptr_t>(&plat::CrashReadable) + 3, name, displacement));
    std::string readable;
    ASSERT_TRUE(plat::CrashDemangle(name, readable));
    EXPECT_EQ(readable, "plat::CrashReadable(void const*, unsigned long)");
    EXPECT_EQ(displacement, 3u);
    EXPECT_FALSE(plat::CrashDemangle("main", readable));
}

TEST(Crash, WriteFileReplacesWhole)
{
    quortest::TempDir dir;
    std::string path = dir.File("crash.txt");
    quortest::WriteFile(path, std::string(100, 'x'));
    ASSERT_TRUE(plat::CrashWriteFile(path.c_str(), "a\r\nb\r\n", 6));
    auto bytes = quortest::ReadFile(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "a\r\nb\r\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    EXPECT_FALSE(plat::CrashWriteFile(dir.File("missing/crash.txt").c_str(), "x", 1));
}

namespace {
int ExitWithSeven(void*) { return 7; }
int HangForEver(void*)
{
    for (;;)
        pause();
}
} // namespace

TEST(Crash, ChildRunsAndIsEndedPastItsTimeLimit)
{
    EXPECT_EQ(plat::CrashRunInChild(ExitWithSeven, nullptr, 60), 7);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(plat::CrashRunInChild(HangForEver, nullptr, 1), -1);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::seconds(60)); // ended, not waited for
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1); // and reaped: no child is left
}
