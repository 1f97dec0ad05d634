// Result-code names, the leak report and the lock wrappers.
#include "app/Debug.h"
#include "app/DirectXErrorString.h"
#include "platform/Files.h"
#include "platform/Results.h"
#include "platform/Sys.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <stdexcept>
#include <thread>

using namespace Quor;

TEST(DirectXErrorString, NamesAndUnknownCodes)
{
    struct Case {
        uint32_t code;
        const char* name;
    } cases[] = {
        {0x8007000E, "E_OUTOFMEMORY"},        {0x80070057, "DDERR_INVALIDPARAMS"},
        {0x80004001, "DDERR_UNSUPPORTED"},    {0x80004002, "DSERR_NOINTERFACE"},
        {0x80004005, "DSERR_GENERIC"},        {0x80040110, "DSERR_NOAGGREGATION"},
        {0x800401F0, "DDERR_NOTINITIALIZED"}, {0x88760005, "DDERR_ALREADYINITIALIZED"},
        {0x887601C2, "DDERR_SURFACELOST"},    {0x887602BB, "DDERR_DEVICEDOESNTOWNSURFACE"},
        {0x887602BC, "D3DERR_BADMAJORVERSION"}, {0x88760836, "D3DERR_NOTINBEGINSTATEBLOCK"},
        {0x8878000A, "DSERR_ALLOCATED"},      {0x887800AA, "DSERR_UNINITIALIZED"},
        {0x88760096, "DDERR_INVALIDRECT"},    {0x88780096, "DSERR_BUFFERLOST"},
        {1, "1"},                             {0, "0"},
        {0x8876FFFF, "8876ffff"},             {0x88760242, "88760242"}, // a gap in the table
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetDirectXErrorString(static_cast<int32_t>(c.code)), c.name) << std::hex << c.code;

    EXPECT_EQ(GetDirectXErrorString(plat::DDERR_OUTOFMEMORY), "E_OUTOFMEMORY");
    EXPECT_EQ(GetDirectXErrorString(plat::DDERR_GENERIC), "DSERR_GENERIC");

    // Every code of the table names itself, and the families have their full size.
    std::set<std::string> names;
    int dd = 0, d3d = 0, ds = 0;
#define CHECK_NAME(name, code)                                        \
    EXPECT_EQ(GetDirectXErrorString(plat::name), #name);             \
    names.insert(#name);                                              \
    dd += std::string(#name).rfind("DDERR_", 0) == 0;                 \
    d3d += std::string(#name).rfind("D3DERR_", 0) == 0;               \
    ds += std::string(#name).rfind("DSERR_", 0) == 0;
    QUOR_DX_RESULT_CODES(CHECK_NAME)
#undef CHECK_NAME
    EXPECT_EQ(names.size(), 193u);
    EXPECT_EQ(dd, 109);
    EXPECT_EQ(d3d, 70);
    EXPECT_EQ(ds, 13);
}

namespace {
std::string gDebugText;
void Capture(const char* text)
{
    gDebugText += text;
}
} // namespace

TEST(LeakTracker, ReportFileAndDebugOutput)
{
    EXPECT_FALSE(gLeakTracker.mReportAtExit);
    quortest::TempDir tmp;
    std::string oldDir = plat::GetCurrentDirectory();
    ASSERT_TRUE(plat::SetCurrentDirectory(tmp.Path().string()));
    gDebugText.clear();
    plat::SetDebugOutputSink(Capture);

    WriteLeakReport();
    std::vector<uint8_t> raw = quortest::ReadFile(tmp.File("mem_leaks.txt"));
    std::string empty(raw.begin(), raw.end());
    std::string dashes(59, '-');
    EXPECT_EQ(empty.rfind("Memory Leak Report for ", 0), 0u);
    EXPECT_NE(empty.find(" 20"), std::string::npos); // the year of the time stamp
    EXPECT_NE(empty.find("\n\n" + dashes + "\nTotal Unfreed: 0 bytes (0KB)\n\n"), std::string::npos)
        << empty;
    EXPECT_EQ(gDebugText, "\n" + empty);

    int a = 0, b = 0, c = 0;
    gLeakTracker.AddRecord(&b, 1, "b.cpp", 20);
    gLeakTracker.AddRecord(&a, 3000, "a.cpp", 10);
    gLeakTracker.AddRecord(&c, 0, "c.cpp", 30);
    int gone = 0;
    gLeakTracker.AddRecord(&gone, 99, "gone.cpp", 1);
    gLeakTracker.RemoveRecord(&gone);
    WriteLeakReport();
    gLeakTracker.Clear();
    plat::SetDebugOutputSink(nullptr);
    raw = quortest::ReadFile(tmp.File("mem_leaks.txt"));
    std::string report(raw.begin(), raw.end());
    EXPECT_NE(report.find("a.cpp(10) : Leak 3000 bytes\n"), std::string::npos) << report;
    EXPECT_NE(report.find("b.cpp(20) : Leak 1 byte\n"), std::string::npos);
    EXPECT_NE(report.find("c.cpp(30) : Leak 0 byte\n"), std::string::npos);
    EXPECT_EQ(report.find("gone.cpp"), std::string::npos);
    EXPECT_NE(report.find(dashes + "\nTotal Unfreed: 3001 bytes (2KB)\n\n"), std::string::npos);
    plat::SetCurrentDirectory(oldDir);
}

TEST(CritSect, ReentrantAndReleasedOnEveryPath)
{
    CritSect lock;
    auto otherThreadGets = [&lock] {
        std::atomic<bool> got{false};
        std::thread([&] {
            CritSectGuard guard(lock);
            got = true;
        }).join();
        return got.load();
    };
    {
        CritSectGuard outer(lock);
        CritSectGuard inner(&lock); // the same thread may enter again
    }
    EXPECT_TRUE(otherThreadGets());
    try {
        CritSectGuard guard(lock);
        throw std::runtime_error("leave");
    } catch (const std::runtime_error&) {
    }
    EXPECT_TRUE(otherThreadGets());
    CritSectDelete(&lock);
    CritSectInit(&lock);
    EXPECT_TRUE(otherThreadGets());
}
