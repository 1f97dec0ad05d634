// Image base class: animation frame tables, cel rectangles, outline and span fills, copies.
#include "graphics/Image.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Quor;

namespace {

struct AnimCase {
    const char* name;
    int type;
    int count;
    int delay;
    int beginDelay;
    int endDelay;
    std::vector<int> perFrame;
    int expectedTotal;
    std::vector<std::pair<int, int>> timeToCel;
};

TEST(ImageAnimationTest, FrameTables)
{
    const AnimCase cases[] = {
        {"pingpong", ImageAnimation::AnimType_PingPong, 4, 50, 0, 0, {}, 300,
         {{0, 0}, {175, 3}, {260, 1}, {299, 1}, {300, 0}}},
        {"once", ImageAnimation::AnimType_Once, 3, 100, 0, 0, {}, 300,
         {{0, 0}, {250, 2}, {300, 2}, {5000, 2}}},
        {"loop with begin delay", ImageAnimation::AnimType_Loop, 3, 100, 500, 0, {}, 700,
         {{499, 0}, {500, 1}, {600, 2}, {700, 0}}},
        {"loop with end delay", ImageAnimation::AnimType_Loop, 3, 100, 0, 400, {}, 600,
         {{199, 1}, {200, 2}, {599, 2}, {600, 0}}},
        {"per-frame delays", ImageAnimation::AnimType_Loop, 2, 10, 0, 0, {100, 200}, 300,
         {{0, 0}, {99, 0}, {100, 1}, {299, 1}, {300, 0}}},
        {"zero delays take the frame delay", ImageAnimation::AnimType_Loop, 3, 40, 0, 0, {0, 100},
         180, {{39, 0}, {40, 1}, {140, 2}}},
        {"count 0 leaves one frame", ImageAnimation::AnimType_Loop, 0, 100, 0, 0, {}, 100,
         {{0, 0}, {150, 0}}},
        {"non-positive delay becomes 1", ImageAnimation::AnimType_Loop, 3, 0, 0, 0, {}, 3,
         {{0, 0}, {1, 1}, {2, 2}, {3, 0}}},
    };
    for (const AnimCase& c : cases) {
        SCOPED_TRACE(c.name);
        ImageAnimation anim;
        anim.mAnimType = c.type;
        anim.mFrameDelay = c.delay;
        anim.mPerFrameDelay = c.perFrame;
        anim.SetUp(c.count, c.beginDelay, c.endDelay);
        EXPECT_EQ(anim.mTotalAnimTime, c.expectedTotal);
        for (auto [time, cel] : c.timeToCel)
            EXPECT_EQ(anim.GetFrame(time), cel) << "time " << time;
    }
}

TEST(ImageAnimationTest, PingPongFrameMapAndOnceLastMappedFrame)
{
    ImageAnimation anim;
    anim.mAnimType = ImageAnimation::AnimType_PingPong;
    anim.mFrameDelay = 50;
    anim.SetUp(4, 0, 0);
    EXPECT_EQ(anim.mFrameMap, (std::vector<int>{0, 1, 2, 3, 2, 1}));
    EXPECT_EQ(anim.mNumCels, 6);

    ImageAnimation once;
    once.mAnimType = ImageAnimation::AnimType_Once;
    once.mFrameDelay = 10;
    once.mFrameMap = {5, 7, 9};
    once.SetUp(1, 0, 0);
    EXPECT_EQ(once.GetFrame(15), 7);
    EXPECT_EQ(once.GetFrame(1000), 9);
}

TEST(ImageAnimationTest, DegenerateRecordsGiveCelZeroOrAValidCel)
{
    // Never set up: no cycle length, so no division by zero.
    ImageAnimation unset;
    unset.mAnimType = ImageAnimation::AnimType_Loop;
    EXPECT_EQ(unset.GetFrame(12345), 0);

    ImageAnimation zeroDelay;
    zeroDelay.mAnimType = ImageAnimation::AnimType_Loop;
    zeroDelay.mNumCels = 3;
    zeroDelay.mFrameDelay = 0;
    zeroDelay.mTotalAnimTime = 30;
    EXPECT_EQ(zeroDelay.GetFrame(7), 1);

    // Negative times stay within the frame table.
    ImageAnimation loop;
    loop.mAnimType = ImageAnimation::AnimType_PingPong;
    loop.mFrameDelay = 10;
    loop.SetUp(3, 0, 0);
    for (int t : {-1, -15, -1000}) {
        int cel = loop.GetFrame(t);
        EXPECT_GE(cel, 0);
        EXPECT_LT(cel, 3);
    }
}

TEST(ImageAnimationTest, SetFrameDelayGrowsWithZeros)
{
    ImageAnimation anim;
    anim.SetFrameDelay(3, 70);
    EXPECT_EQ(anim.mPerFrameDelay, (std::vector<int>{0, 0, 0, 70}));
    anim.SetFrameDelay(1, 20);
    EXPECT_EQ(anim.mPerFrameDelay, (std::vector<int>{0, 20, 0, 70}));
}

TEST(ImageTest, AnimCelAndCelRect)
{
    Image image;
    image.mWidth = 400;
    image.mHeight = 100;
    EXPECT_EQ(image.GetAnimCel(5000), 0);  // not animated

    image.mNumCols = 4;
    image.mNumRows = 2;
    image.mAnimInfo = new ImageAnimation();
    image.mAnimInfo->mAnimType = ImageAnimation::AnimType_Loop;
    image.mAnimInfo->mFrameDelay = 100;
    image.mAnimInfo->SetUp(4, 0, 0);
    EXPECT_EQ(image.GetAnimCelRect(250), Rect(200, 0, 100, 100));  // top row, full height

    image.mNumCols = 1;
    image.mNumRows = 4;
    EXPECT_EQ(image.GetAnimCelRect(150), Rect(0, 25, 400, 25));

    // A grid of no columns or rows counts as one cel instead of dividing by zero.
    image.mNumCols = 0;
    image.mNumRows = 0;
    EXPECT_EQ(image.GetCelWidth(), 400);
    EXPECT_EQ(image.GetCelHeight(), 100);
    EXPECT_EQ(image.GetAnimCelRect(0), Rect(0, 0, 400, 100));
}

class FillRecorder : public Image {
public:
    std::vector<Rect> fills;
    void FillRect(const Rect& r, const Color&, int) override { fills.push_back(r); }
};

TEST(ImageTest, OutlineAndSpansGoThroughFillRect)
{
    FillRecorder image;
    image.DrawRect(Rect(10, 20, 5, 3), Color::White, 0);
    EXPECT_EQ(image.fills, (std::vector<Rect>{Rect(10, 20, 6, 1), Rect(10, 23, 6, 1),
                                              Rect(10, 21, 1, 2), Rect(15, 21, 1, 2)}));

    image.fills.clear();
    Span spans[] = {{4, 1, 7}, {5, 2, 3}};
    image.FillScanLines(spans, 2, Color::White, 0);
    EXPECT_EQ(image.fills, (std::vector<Rect>{Rect(1, 4, 7, 1), Rect(2, 5, 3, 1)}));
}

TEST(ImageTest, CopiesTakeGeometryAndADeepAnimation)
{
    Image image;
    image.mWidth = 64;
    image.mHeight = 32;
    image.mNumCols = 2;
    image.mDrawn = true;
    image.mFilePath = "images/ship.png";
    image.mAnimInfo = new ImageAnimation();
    image.mAnimInfo->mFrameMap = {1, 0};

    Image copy(image);
    EXPECT_EQ(copy.mWidth, 64);
    EXPECT_EQ(copy.mNumCols, 2);
    EXPECT_FALSE(copy.mDrawn);
    EXPECT_TRUE(copy.mFilePath.empty());
    ASSERT_NE(copy.mAnimInfo, nullptr);
    EXPECT_NE(copy.mAnimInfo, image.mAnimInfo);
    EXPECT_EQ(copy.mAnimInfo->mFrameMap, image.mAnimInfo->mFrameMap);

    Image other;
    other.mWidth = 5;
    other.CopyAttributes(&image);
    EXPECT_EQ(other.mWidth, 5);
    EXPECT_EQ(other.mNumCols, 2);
    ASSERT_NE(other.mAnimInfo, nullptr);
    other.CopyAttributes(&other);  // copying from itself keeps its animation
    ASSERT_NE(other.mAnimInfo, nullptr);
    EXPECT_EQ(other.mAnimInfo->mFrameMap, (std::vector<int>{1, 0}));

    Image plain;
    other.CopyAttributes(&plain);
    EXPECT_EQ(other.mAnimInfo, nullptr);
}

} // namespace
