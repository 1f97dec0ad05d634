// Start-up with the window and display on SDL's dummy driver, and the services that need them.
#include "tests/app/AppTestSupport.h"
#include "tests/support/TestSupport.h"

#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/SharedImage.h"
#include "platform/Window.h"
#include "resources/ImageLib.h"
#include "resources/ResourceManager.h"
#include "sound/SoundManager.h"
#include "tests/support/SoundFixtures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using quortest::TestApp;

namespace {

struct DisplayApp : TestApp {
    DisplayApp()
    {
        SetClock(nullptr);
        mCmdLineParsed = true;
        mLoadingThreadWanted = false;
        mWindowed = true;
        mProductName = "QuorDisplayServicesTest";
    }
};

} // namespace

TEST(StartUp, MakesTheWindowsCursorsAndDisplay)
{
    DisplayApp app;
    app.Init();
    ASSERT_TRUE(app.mInitialized);
    EXPECT_NE(app.mHWnd, nullptr);
    EXPECT_NE(app.mInvisHWnd, nullptr);
    // The cursors are made where the video driver has cursors (the dummy driver has none).
    ASSERT_NE(app.mDdInterface, nullptr);
    EXPECT_NE(app.mMusicInterface, nullptr);
}

// After start-up there is a sound manager (silent when no sound is wanted), so a group that
// holds a sound loads and its sound plays.
TEST(StartUp, MakesTheSoundManagerSoGroupsWithSoundsLoad)
{
    quortest::TempDir dir;
    quortest::WriteFile(dir.File("click.wav"), quortest::Wave(1, 22050, 16, {1, 0, 2, 0}));
    quortest::WriteFile(dir.File("res.xml"), "<ResourceManifest><Resources id=\"Sound\">"
                                             "<Sound id=\"CLICK\" path=\"" + dir.File("click") + "\"/>"
                                             "</Resources></ResourceManifest>");
    for (bool noSound : {false, true}) {
        SCOPED_TRACE(noSound ? "no sound needed" : "sound");
        DisplayApp app;
        app.mNoSoundNeeded = noSound;
        app.Init();
        ASSERT_NE(app.mSoundManager, nullptr);
        EXPECT_EQ(app.mSoundManager->Initialized(), !noSound); // the dummy audio driver
        ASSERT_TRUE(app.mResourceManager->ParseResourcesFile(dir.File("res.xml")));
        ASSERT_TRUE(app.mResourceManager->LoadResources("Sound")) << app.mResourceManager->GetErrorText();
        int id = app.mResourceManager->GetSoundThrow("CLICK");
        EXPECT_GE(id, 0);
        EXPECT_EQ(app.mSoundManager->GetNumSounds(), noSound ? 0 : 1);
        app.PlaySampleVolumePan(id, 0, 1.0);
    }
}

TEST(StartUp, AWindowAsWideAsTheDesktopRunsInFullScreen)
{
    DisplayApp app;
    app.mWidth = plat::GetSystemMetrics(plat::SM_CXSCREEN);
    app.mHeight = 100;
    ASSERT_GT(app.mWidth, 0);
    app.Init();
    EXPECT_TRUE(app.mForceFullscreen);
    EXPECT_FALSE(app.mWindowed);
}

TEST(DisplayServices, ImagesFromFilesBlanksAndCopies)
{
    quortest::TempDir dir;
    DisplayApp app;
    app.Init();
    ASSERT_NE(app.mDdInterface, nullptr);

    // A 2 x 1 picture written through the image writer, loaded as a display image.

    {
        Quor::ImageLib::Image* picture = Quor::ImageLib::AllocImage(2, 1);
        ASSERT_NE(picture, nullptr);
        picture->mBits[0] = 0xFFFF0000;
        picture->mBits[1] = 0xFF00FF00;
        ASSERT_TRUE(Quor::ImageLib::WritePNGImage(dir.File("pic.png"), picture));
        delete picture;
    }
    Quor::DDImage* loaded = app.LoadImageFile(dir.File("pic.png"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetWidth(), 2);
    EXPECT_EQ(loaded->mFilePath, dir.File("pic.png"));
    EXPECT_EQ(app.LoadImageFile(dir.File("none.png")), nullptr);

    Quor::DDImage* part = app.CopyImage(loaded, Quor::Rect(1, 0, 1, 1));
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part->GetWidth(), 1);
    uint32_t pixel = part->GetBits()[0]; // green, within the display's colour depth
    EXPECT_EQ(pixel & 0xFF00FF, 0u);
    EXPECT_GE((pixel >> 8) & 0xFF, 0xF0u);
    delete part;
    delete loaded;

    // The alpha flags the reader found come with the pixels; a later change is scanned anew.
    {
        Quor::ImageLib::Image* picture = Quor::ImageLib::AllocImage(3, 1);
        ASSERT_NE(picture, nullptr);
        picture->mBits[0] = 0xFFFF0000;
        picture->mBits[1] = 0x8000FF00;
        picture->mBits[2] = 0xFF0000FF;
        ASSERT_TRUE(Quor::ImageLib::WritePNGImage(dir.File("soft.png"), picture));
        delete picture;
    }
    for (bool commit : {false, true}) {
        std::unique_ptr<Quor::DDImage> soft(app.LoadImageFile(dir.File("soft.png"), commit));
        ASSERT_NE(soft, nullptr);
        soft->RescanAlphaFlags();
        EXPECT_TRUE(soft->mHasAlpha);
        EXPECT_FALSE(soft->mHasTrans);
        soft->GetBits()[2] = 0;
        soft->BitsChanged();
        soft->RescanAlphaFlags();
        EXPECT_TRUE(soft->mHasTrans);
    }

    bool created = false;
    Quor::SharedImageHandle blank = app.GetSharedImage("!scratch", "", &created);
    EXPECT_TRUE(created);
    EXPECT_NE(blank.GetImage(), nullptr);
    Quor::SharedImageHandle missing = app.GetSharedImage(dir.File("none.png"));
    EXPECT_EQ(missing.GetImage(), nullptr);
}

TEST(DisplayServices, ThreeDSwitchAndTheQuestionAtTheEnd)
{
    const std::string key = "QuorTest\\ThreeD";
    setenv("QUOR_NO_3D", "0", 1); // this test wants the 3-D device
    struct Restore {
        ~Restore() { setenv("QUOR_NO_3D", "1", 1); }
    } restore;
    {
        DisplayApp app;
        app.mRegistryKey = key;
        app.Init();
        ASSERT_NE(app.mDdInterface, nullptr);
        EXPECT_FALSE(app.mUserChanged3DSetting);
        app.Set3DAccelerated(app.Is3DAccelerated(), true); // no change: nothing happens
        EXPECT_FALSE(app.mUserChanged3DSetting);
        app.Set3DAccelerated(true, true);
        EXPECT_TRUE(app.mUserChanged3DSetting);
        if (!app.Is3DAccelerated())
            GTEST_SKIP() << "3-D drawing cannot start here";
        EXPECT_FALSE(app.Is3DAccelerationRecommended());
        // The end of the run asks whether to keep it; without a display the default, Yes.
    }
    DisplayApp next;
    next.mRegistryKey = key;
    bool is3D = false;
    ASSERT_TRUE(next.RegistryReadBoolean("Is3D", &is3D));
    EXPECT_TRUE(is3D);
}
