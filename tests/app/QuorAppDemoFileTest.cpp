// The demo file as start-up reads it and the end of a recording writes it, and the numbering
// of the stream's records.
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

#include "app/Common.h"
#include "app/MTRand.h"

#include <gtest/gtest.h>

using quortest::TestApp;

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> DemoBytes(const std::string& product, uint32_t markerLength,
                               bool withStream = true)
{
    std::vector<uint8_t> out;
    PutU32(out, 0x42BEEF78);
    PutU32(out, 2);
    PutU32(out, 777);
    out.push_back(uint8_t(product.size()));
    out.push_back(0);
    out.insert(out.end(), product.begin(), product.end());
    PutU32(out, markerLength);
    PutU32(out, 0); // no markers
    PutU32(out, 50);
    if (withStream)
        out.push_back(0x5A);
    return out;
}

} // namespace

TEST(DemoFile, ReaderRefusesBadFilesWithItsMessages)
{
    quortest::TempDir dir;
    struct Case {
        std::vector<uint8_t> bytes;
        std::string error; // empty: accepted
    } cases[] = {
        {DemoBytes("Product", 4), ""},
        {DemoBytes("Other", 4), "This demo file appears to be for 'Other'"},
        {DemoBytes("Product", 9), "Invalid demo file."},  // block not smaller than the rest
        {DemoBytes("Product", 4, false), "Invalid demo file."}, // no stream after the end
        {{0x78, 0xEF, 0xBE}, "Invalid demo file."},
        {{1, 2, 3, 4, 5, 6, 7, 8}, "Invalid demo file."},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::string name = dir.File("case" + std::to_string(i) + ".dmo");
        quortest::WriteFile(name, cases[i].bytes);
        TestApp app;
        app.mDemoFileName = name;
        std::string error;
        EXPECT_EQ(app.ReadDemoFile(error), cases[i].error.empty()) << i;
        EXPECT_EQ(error, cases[i].error) << i;
        if (cases[i].error.empty()) {
            EXPECT_EQ(app.mRandomSeed, 777u);
            EXPECT_EQ(app.mDemoLength, 50);
            EXPECT_EQ(app.mDemoBuffer.GetDataLen(), 1);
        }
    }
    TestApp app;
    app.mDemoFileName = dir.File("missing.dmo");
    std::string error;
    EXPECT_FALSE(app.ReadDemoFile(error));
    EXPECT_EQ(error, "Demo file not found: " + app.mDemoFileName);
}

TEST(DemoFile, RecordingWrittenAtTheEndPlaysBack)
{
    quortest::TempDir dir;
    std::string name = dir.File("sub/run.dmo");
    {
        TestApp recorder;
        recorder.mRecordingDemo = true;
        recorder.mDemoFileName = name;
        recorder.mRandomSeed = 99;
        recorder.mDemoMarkers.emplace_back("start", 3);
        recorder.mUpdateCount = 40; // 40 idle updates: fillers of 15 and 15, then 10
        bool flag = true;
        recorder.DemoSyncBool(flag);
    }
    TestApp player;
    player.mDemoFileName = name;
    std::string error;
    ASSERT_TRUE(player.ReadDemoFile(error)) << error;
    EXPECT_EQ(player.mRandomSeed, 99u);
    int first = Quor::Rand(); // the program-wide generator runs from the recorded seed
    Quor::SRand(99);
    EXPECT_EQ(Quor::Rand(), first);
    EXPECT_EQ(player.mDemoLength, 40);
    ASSERT_EQ(player.mDemoMarkers.size(), 1u);
    EXPECT_EQ(player.mDemoMarkers.front().first, "start");
    player.mPlayingDemo = true;
    player.mUpdateCount = 40;
    Quor::Buffer& stream = player.mDemoBuffer;
    EXPECT_EQ(stream.ReadNumBits(4, false), 15);
    EXPECT_EQ(stream.ReadNumBits(1, false), 0);
    EXPECT_EQ(stream.ReadNumBits(5, false), 31);
    EXPECT_EQ(stream.ReadNumBits(4, false), 15);
    EXPECT_EQ(stream.ReadNumBits(1, false), 0);
    EXPECT_EQ(stream.ReadNumBits(5, false), 31);
    player.mLastDemoUpdateCnt = 30;
    bool flag = false;
    player.DemoSyncBool(flag);
    EXPECT_TRUE(flag);
}

TEST(DemoFile, MarkersAreReadToTheEndOfTheirBlock)
{
    quortest::TempDir dir;
    struct Case {
        int count; // the count the block states; it always holds two pairs
        size_t markers; // 0: refused
    } cases[] = {{2, 2}, {1, 2}, {0, 2}, {3, 0}};
    for (const Case& c : cases) {
        Quor::Buffer block;
        block.WriteLong(c.count);
        block.WriteString("start");
        block.WriteLong(10);
        block.WriteString("boss");
        block.WriteLong(300);
        std::vector<uint8_t> bytes = DemoBytes("Product", 0);
        // The block goes where the empty one (length 0, count 0) stood.
        const size_t at = bytes.size() - 13;
        std::vector<uint8_t> head(bytes.begin(), bytes.begin() + long(at));
        PutU32(head, uint32_t(block.GetDataLen()));
        head.insert(head.end(), block.GetDataPtr(), block.GetDataPtr() + block.GetDataLen());
        head.insert(head.end(), bytes.end() - 5, bytes.end()); // demo end and stream
        std::string name = dir.File("markers" + std::to_string(c.count) + ".dmo");
        quortest::WriteFile(name, head);
        TestApp app;
        app.mProductName = "Product";
        app.mDemoFileName = name;
        std::string error;
        EXPECT_EQ(app.ReadDemoFile(error), c.markers != 0) << c.count << " " << error;
        if (c.markers == 0) {
            EXPECT_EQ(error, "Invalid demo file.");
            continue;
        }
        ASSERT_EQ(app.mDemoMarkers.size(), c.markers) << c.count;
        EXPECT_EQ(app.mDemoMarkers.back().first, "boss");
        EXPECT_EQ(app.mDemoMarkers.back().second, 300u);
        EXPECT_EQ(app.mDemoLength, 50);
    }
}

TEST(DemoFileDeathTest, UnreadableDemoEndsStartUpWithFailure)
{
    EXPECT_EXIT(
        {
            TestApp app;
            app.mCmdLineParsed = true;
            app.mPlayingDemo = true;
            app.mDemoFileName = "/nonexistent/folder/x.dmo";
            app.Init();
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), "Demo file not found: /nonexistent/folder/x.dmo");
}

TEST(StartUp, DemoFileNameGetsTheDataFolderUnlessItIsComplete)
{
    struct Case {
        const char* name;
        bool prefixed;
    } cases[] = {{"quorapp.dmo", true}, {"c:demo.dmo", false}, {"..\\demo.dmo", false},
                 {"/abs/demo.dmo", false}, {"x", true}, {"ab\\c", false}};
    for (const Case& c : cases) {
        TestApp app;
        app.mCmdLineParsed = true;
        app.mDemoFileName = c.name;
        app.mLoadingThreadWanted = false;
        app.Init();
        bool prefixed = app.mDemoFileName != c.name;
        EXPECT_EQ(prefixed, c.prefixed) << c.name;
        if (prefixed) {
            EXPECT_EQ(app.mDemoFileName, Quor::GetAppDataFolder() + c.name);
        }
    }
}
