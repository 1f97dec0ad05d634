// A shared image that one thread is loading is handed to a second asker only when complete;
// a last release that lands while the upkeep scans is freed by the next upkeep.
#include "tests/app/AppTestSupport.h"

#include "display/DDImage.h"
#include "graphics/SharedImage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

struct SlowLoadApp : quortest::TestApp {
    std::atomic<bool> mLoadStarted{false};
    std::atomic<bool> mLoadFinished{false};
    std::atomic<int> mLoads{0};
    Quor::DDImage* LoadImageFile(const std::string&, bool) override
    {
        ++mLoads;
        mLoadStarted = true;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        mLoadFinished = true;
        return nullptr; // a file that cannot be decoded: the entry keeps no image
    }
};

// Every picture holds a handle of its own, which it lets go when it is freed.
struct HoldingImage : Quor::DDImage {
    HoldingImage() : Quor::DDImage(nullptr) {}
    Quor::SharedImageHandle mHeld;
};

struct HoldingApp : quortest::TestApp {
    Quor::DDImage* LoadImageFile(const std::string&, bool) override { return new HoldingImage(); }
};

} // namespace

TEST(SharedImages, ASecondAskerWaitsForTheLoadInProgress)
{
    SlowLoadApp app;
    std::thread loader([&] { Quor::SharedImageHandle handle = app.GetSharedImage("slow.png"); });
    while (!app.mLoadStarted)
        std::this_thread::yield();
    bool created = true;
    Quor::SharedImageHandle second = app.GetSharedImage("SLOW.PNG", "", &created);
    EXPECT_TRUE(app.mLoadFinished); // not handed out half-made
    EXPECT_FALSE(created);
    loader.join();
    EXPECT_EQ(app.mLoads, 1);
    EXPECT_EQ(second.GetImage(), nullptr);
}

TEST(SharedImages, ALastReleaseDuringTheScanIsFreedAtTheNextUpkeep)
{
    HoldingApp app;
    {
        Quor::SharedImageHandle a = app.GetSharedImage("a.png");
        Quor::SharedImageHandle b = app.GetSharedImage("b.png");
        // "b" holds the only other handle on "a"; "a" comes first in the scan.
        static_cast<HoldingImage*>(b.GetImage())->mHeld = a;
    }
    // The scan passes "a" while it is still held, then frees "b", which lets "a" go.
    app.CleanSharedImages();
    EXPECT_EQ(app.mSharedImageMap.size(), 1u);
    EXPECT_TRUE(app.mCleanSharedImages);
    app.CleanSharedImages();
    EXPECT_TRUE(app.mSharedImageMap.empty());
}
