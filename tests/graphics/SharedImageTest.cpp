// Shared image handles: counting, unshared images and their ownership.
#include "graphics/SharedImage.h"

#include "graphics/Image.h"

#include <gtest/gtest.h>

using namespace Quor;

namespace {

class CountedImage : public Image {
public:
    explicit CountedImage(int* deletions) : mDeletions(deletions) {}
    ~CountedImage() override { ++*mDeletions; }
    int* mDeletions;
};

TEST(SharedImageHandleTest, CountsHoldersOfARecord)
{
    Image picture;
    SharedImage record;
    record.mImage = &picture;
    {
        SharedImageHandle first;
        first = &record;
        EXPECT_EQ(record.mRefCount, 1);
        SharedImageHandle second(first);
        EXPECT_EQ(record.mRefCount, 2);
        EXPECT_EQ(second.GetImage(), &picture);
        EXPECT_EQ(static_cast<Image*>(second), &picture);

        SharedImageHandle third;
        third = second;
        EXPECT_EQ(record.mRefCount, 3);
        third = third;  // releases first, then takes the record again
        EXPECT_EQ(record.mRefCount, 3);
        third.Release();
        EXPECT_EQ(record.mRefCount, 2);
        EXPECT_EQ(third.GetImage(), nullptr);
    }
    EXPECT_EQ(record.mRefCount, 0);

    SharedImageHandle last;
    last = &record;
    last = last;
    EXPECT_EQ(record.mRefCount, 1);
}

TEST(SharedImageHandleTest, UnsharedImagesAndOwnership)
{
    int deletions = 0;
    auto* picture = new CountedImage(&deletions);
    {
        SharedImageHandle owner;
        owner.mOwnsUnshared = true;
        owner = picture;
        owner = picture;  // the same image again is kept, not deleted
        EXPECT_EQ(deletions, 0);
        {
            SharedImageHandle copy(owner);
            EXPECT_EQ(copy.GetImage(), picture);
            EXPECT_FALSE(copy.mOwnsUnshared);
        }
        EXPECT_EQ(deletions, 0);

        // A handle assigned from another takes its record, not its unshared image.
        SharedImageHandle other;
        other = owner;
        EXPECT_EQ(other.GetImage(), nullptr);
    }
    EXPECT_EQ(deletions, 1);

    // The unshared image wins over the record's.
    Image shared, plain;
    SharedImage record;
    record.mImage = &shared;
    SharedImageHandle both;
    both = &record;
    EXPECT_EQ(both.GetImage(), &shared);
    both.mUnsharedImage = &plain;
    EXPECT_EQ(both.GetImage(), &plain);
    EXPECT_EQ(both.GetSharedImage(), &shared);
}

TEST(SharedImageHandleTest, EmptyHandles)
{
    SharedImageHandle empty;
    EXPECT_EQ(empty.GetImage(), nullptr);
    empty.Release();
    EXPECT_EQ(empty.GetImage(), nullptr);
}

} // namespace

#include "app/QuorAppBase.h"

namespace {

TEST(SharedImageHandleTest, TheLastReleaseRaisesTheCleanUpFlag)
{
    QuorAppBase app;
    SharedImage record;
    SharedImageHandle first, second;
    first = &record;
    second = first;
    second.Release();
    EXPECT_FALSE(app.mCleanSharedImages);
    first = first;  // the last holder releases before it takes the record again
    EXPECT_TRUE(app.mCleanSharedImages);
    EXPECT_EQ(record.mRefCount, 1);
    app.mCleanSharedImages = false;
    first.Release();
    EXPECT_TRUE(app.mCleanSharedImages);
    app.mCleanSharedImages = false;
    first.Release();  // an empty handle raises nothing
    EXPECT_FALSE(app.mCleanSharedImages);
}

} // namespace
