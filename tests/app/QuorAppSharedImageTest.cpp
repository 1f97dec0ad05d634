// A shared image that one thread is loading is handed to a second asker only when complete.
#include "tests/app/AppTestSupport.h"

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
