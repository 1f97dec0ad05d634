// Resource loading from an archive made with the pak tool's writer: whole groups and step by
// step, alpha images and grids, animation, the alpha compose colour per thread, sounds into the
// sound manager, image, width-file, referenced and system fonts with tags, unloading, lookups and
// the failure texts.
#include <gtest/gtest.h>

#include "app/Common.h"
#include "app/QuorAppBase.h"
#include "display/DDImage.h"
#include "game/shell/DCapResource.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"
#include "resources/ImageLib.h"
#include "resources/PakInterface.h"
#include "resources/ResourceManager.h"
#include "sound/SoundManager.h"
#include "tests/support/ResourceFixtures.h"
#include "tests/support/SoundFixtures.h"
#include "tests/support/TestSupport.h"
#include "tools/pak/PakFormat.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace Quor;
using quortest::Bytes;
using quortest::PngBytes;
using quortest::MemorySoundManager;
using quortest::Wave;

namespace {

using LoadApp = quortest::LoadingApp;

// Pixels of the fixture pictures.
uint32_t Grey(int v) { return 0xFF000000u | uint32_t(v) * 0x010101u; }
uint32_t MaskValue(int x, int y) { return uint32_t(16 * (y * 4 + x) + 8); }

// The folder of plain files that the fixture keeps beside its archive (width files are read
// from disk, not from archives).
std::string gDiskDir;

const char* kManifest = R"(<?xml version="1.0"?>
<ResourceManifest>
  <Resources id="Main">
    <SetDefaults path="rltest" idprefix=""/>
    <Image id="PLAIN" path="img\plain.png"/>
    <Image id="HERO" path="img\hero.png" alphaimage="img\hero_mask.png"/>
    <Image id="CELS" path="img\cels.png" rows="2" cols="2" alphagrid="img\cels_grid.png"/>
    <Image id="WALK" path="img\walk.png" cols="4" anim="loop" framedelay="100" nopal=""/>
    <Image id="GHOST_RED" path="img\ghost.png" variant="r" alphacolor="ff0000"/>
    <Image id="GHOST_BLUE" path="img\ghost.png" variant="b" alphacolor="0000ff"/>
    <Image id="PROG" path="!program"/>
    <Sound id="CLICK" path="snd\click" volume="0.5" pan="100"/>
    <Sound id="TONE" path="snd\tone"/>
    <Font id="DESC" path="fonts\desc.txt" tags="Shadow,@TAB@main
 extra"/>
    <Font id="REF" path="!ref:DESC"/>
    <Font id="SYS" path="!sys:Arial" size="12" bold="" shadow=""/>
  </Resources>
  <Resources id="Old">
    <SetDefaults path="" idprefix=""/>
    <Font id="OLD" path="@DISK@/widths.txt" image="rltest\fonts\old.png"/>
  </Resources>
  <Resources id="BadAlpha">
    <SetDefaults path="rltest" idprefix=""/>
    <Image id="BAD_ALPHA" path="img\plain.png" variant="x" alphaimage="img\hero_mask.png"/>
  </Resources>
  <Resources id="BadGrid">
    <Image id="BAD_GRID" path="img\cels.png" variant="x" rows="2" cols="2" alphagrid="img\hero_mask.png"/>
  </Resources>
  <Resources id="ZeroGrid">
    <Image id="ZERO_GRID" path="img\cels.png" variant="z" rows="0" cols="-3" alphagrid="img\plain.png"/>
  </Resources>
  <Resources id="NoPicture">
    <Image id="NOTHING" path="img\nothing.png"/>
    <Image id="AFTER" path="img\plain.png" variant="after"/>
  </Resources>
  <Resources id="NoSound">
    <Sound id="SILENCE" path="snd\silence"/>
  </Resources>
  <Resources id="NoFont">
    <Font id="BROKEN" path="fonts\broken.txt"/>
  </Resources>
  <Resources id="RefEarly">
    <Font id="REF2" path="!ref:DESC2"/>
  </Resources>
  <Resources id="RefTarget">
    <Font id="DESC2" path="fonts\desc.txt"/>
  </Resources>
  <Resources id="ToneA">
    <Sound id="TONE_A" path="snd\tone"/>
  </Resources>
  <Resources id="ToneB">
    <Sound id="TONE_B" path="snd\click"/>
  </Resources>
</ResourceManifest>
)";

const char* kDescriptor = R"(Define Rects ((0 0 4 5) (4 0 4 5));
CreateLayer Main;
LayerSetImage Main 'glyphs.png';
LayerSetImageMap Main ('A' 'B') Rects;
LayerSetCharWidths Main ('A' 'B') (5 5);
LayerSetAscent Main 5;
SetDefaultPointSize 10;
)";

// Runs each task given to it on one thread of its own, one task at a time.
class Worker {
public:
    ~Worker()
    {
        {
            std::lock_guard<std::mutex> lock(mLock);
            mQuit = true;
        }
        mWake.notify_all();
        mThread.join();
    }
    // Returns once the task has run.
    void Run(const std::function<void()>& task)
    {
        std::unique_lock<std::mutex> lock(mLock);
        mTask = &task;
        mWake.notify_all();
        mWake.wait(lock, [&] { return mTask == nullptr; });
    }

private:
    void Loop()
    {
        std::unique_lock<std::mutex> lock(mLock);
        for (;;) {
            mWake.wait(lock, [&] { return mQuit || mTask != nullptr; });
            if (mQuit)
                return;
            (*mTask)();
            mTask = nullptr;
            mWake.notify_all();
        }
    }

    std::mutex mLock;
    std::condition_variable mWake;
    const std::function<void()>* mTask = nullptr;
    bool mQuit = false;
    std::thread mThread{[this] { Loop(); }};
};

class ResourceLoadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static quortest::TempDir sDir;
        gDiskDir = sDir.Path().string();
        quortest::WriteFile(sDir.File("widths.txt"), "3 5\na 4 b 3\n");

        std::string manifest = kManifest;
        manifest.replace(manifest.find("@DISK@"), 6, gDiskDir);
        manifest.replace(manifest.find("@TAB@"), 5, "\t");

        std::vector<paktool::PakEntry> entries;
        auto add = [&](const std::string& name, std::vector<uint8_t> data) {
            entries.push_back({name, std::move(data), 0});
        };
        add("rltest\\manifest.xml", Bytes(manifest));
        add("rltest\\img\\plain.png", PngBytes(8, 4, [](int x, int y) { return Grey(x * 20 + y); }));
        add("rltest\\img\\hero.png", PngBytes(4, 4, [](int, int) { return 0xFFFF0000u; }));
        add("rltest\\img\\hero_mask.png", PngBytes(4, 4, [](int x, int y) { return Grey(int(MaskValue(x, y))); }));
        add("rltest\\img\\cels.png", PngBytes(8, 4, [](int, int) { return 0xFF00FF00u; }));
        add("rltest\\img\\cels_grid.png", PngBytes(4, 2, [](int x, int y) { return Grey(x * 60 + y * 5); }));
        add("rltest\\img\\walk.png", PngBytes(16, 4, [](int x, int) { return Grey(x * 10); }));
        add("rltest\\img\\_ghost.png", PngBytes(2, 2, [](int x, int y) { return Grey(100 + x + 2 * y); }));
        add("rltest\\fonts\\desc.txt", Bytes(kDescriptor));
        add("rltest\\fonts\\broken.txt", Bytes("CreateLayer;\n"));
        add("rltest\\fonts\\glyphs.png", PngBytes(8, 5, [](int, int) { return 0xFFFFFFFFu; }));
        add("rltest\\fonts\\old.png", PngBytes(7, 6, [](int, int) { return 0xFFFFFFFFu; }));
        add("rltest\\snd\\click.wav", Wave({1, 0, 2, 0, 3, 0}));
        add("rltest\\snd\\tone.ogg", quortest::ReadFile(quortest::DataFile("sounds/tone.ogg")));

        // The archive is scrambled with the reader's key and opened for the whole test program.
        PakInterface* pak = GetPakInterface();
        std::string key = pak->mDecryptPassword.empty() ? PakInterface::DEFAULT_PASSWORD : pak->mDecryptPassword;
        std::vector<uint8_t> archive;
        std::string error;
        ASSERT_TRUE(paktool::BuildPak(entries, key, archive, error)) << error;
        quortest::WriteFile(sDir.File("rltest.pak"), archive);
        ASSERT_TRUE(pak->AddPakFile(sDir.File("rltest.pak"))) << pak->mError;
    }

    void SetUp() override
    {
        mSound = new MemorySoundManager();
        mApp.mSoundManager = mSound;
        ASSERT_TRUE(mManager.ParseResourcesFile("rltest\\manifest.xml")) << mManager.GetErrorText();
    }
    void TearDown() override
    {
        mApp.mSoundManager = nullptr;
        delete mSound;
    }

    MemoryImage* Picture(const std::string& id)
    {
        return dynamic_cast<MemoryImage*>(mManager.GetImageThrow(id).GetImage());
    }
    std::string ThrownText(const std::function<void()>& lookup)
    {
        try {
            lookup();
        } catch (const ResourceManagerException& e) {
            return e.what();
        }
        return "(nothing thrown)";
    }

    LoadApp mApp;
    quortest::TempDir mAppDataDir;
    quortest::ScopedAppDataFolder mAppData{mAppDataDir.Path().string()}; // the sound cache goes here
    MemorySoundManager* mSound = nullptr;  // deleted after the manager, which may hold its ids
    DCapResource mManager{&mApp};
};

TEST_F(ResourceLoadTest, GroupLoadsWhole)
{
    ASSERT_TRUE(mManager.LoadResources("Main")) << mManager.GetErrorText();
    EXPECT_EQ(mManager.mLoadedGroups.count("Main"), 1u);

    MemoryImage* plain = Picture("PLAIN");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->mWidth, 8);
    EXPECT_EQ(plain->mHeight, 4);
    EXPECT_EQ(plain->GetBits()[3 * 8 + 2], Grey(43));

    // The alpha image's blue byte becomes each pixel's alpha.
    MemoryImage* hero = Picture("HERO");
    ASSERT_NE(hero, nullptr);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 4; x++)
            ASSERT_EQ(hero->GetBits()[y * 4 + x], (MaskValue(x, y) << 24) | 0xFF0000u) << x << "," << y;
    EXPECT_TRUE(hero->mHasAlpha);  // the flags follow the merged alpha, not the opaque picture
    EXPECT_FALSE(hero->mHasTrans);

    // One grid alpha picture serves every cel.
    MemoryImage* cels = Picture("CELS");
    ASSERT_NE(cels, nullptr);
    EXPECT_EQ(cels->mNumRows, 2);
    EXPECT_EQ(cels->mNumCols, 2);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 8; x++)
            ASSERT_EQ(cels->GetBits()[y * 8 + x] >> 24, uint32_t((x % 4) * 60 + (y % 2) * 5)) << x << "," << y;

    MemoryImage* walk = Picture("WALK");
    ASSERT_NE(walk, nullptr);
    ASSERT_NE(walk->mAnimInfo, nullptr);
    EXPECT_EQ(walk->mAnimInfo->mAnimType, ImageAnimation::AnimType_Loop);
    EXPECT_EQ(walk->mNumCols, 4);
    EXPECT_EQ(walk->GetAnimCel(250), 2);
    EXPECT_EQ(plain->mAnimInfo, nullptr);

    // A picture that is only an alpha file takes its record's compose colour.
    EXPECT_EQ(Picture("GHOST_RED")->GetBits()[3], 0x67FF0000u);
    EXPECT_EQ(Picture("GHOST_BLUE")->GetBits()[3], 0x670000FFu);
    EXPECT_EQ(ImageLib::gAlphaComposeColor, 0xFFFFFFu);

    int click = mManager.GetSoundThrow("CLICK");
    ASSERT_GE(click, 0);
    EXPECT_EQ(quortest::SoundBytes(*mSound, click), (std::vector<uint8_t>{1, 0, 2, 0, 3, 0}));
    EXPECT_EQ(mSound->GetBaseVolume(click), 0.5);
    EXPECT_EQ(mSound->GetBasePan(click), 100);
    int tone = mManager.GetSoundThrow("TONE");
    ASSERT_GE(tone, 0);
    EXPECT_NE(tone, click);
    EXPECT_EQ(quortest::SoundBytes(*mSound, tone).size(), 44100u);
    EXPECT_EQ(mSound->GetBaseVolume(tone), 1.0);

    auto* desc = dynamic_cast<ImageFont*>(mManager.GetFontThrow("DESC"));
    ASSERT_NE(desc, nullptr);
    EXPECT_EQ(desc->StringWidth("AB"), 10);
    EXPECT_EQ(desc->mTagVector, (std::vector<std::string>{"SHADOW", "MAIN", "EXTRA"}));
    auto* ref = dynamic_cast<ImageFont*>(mManager.GetFontThrow("REF"));
    ASSERT_NE(ref, nullptr);
    EXPECT_NE(ref, desc);
    EXPECT_EQ(ref->mFontData, desc->mFontData);
    auto* sys = dynamic_cast<SysFont*>(mManager.GetFontThrow("SYS"));
    ASSERT_NE(sys, nullptr);
    EXPECT_TRUE(sys->mDrawShadow);
    EXPECT_FALSE(sys->mSimulateBold);
    EXPECT_GT(sys->GetHeight(), 0);
    EXPECT_EQ(mManager.GetFont("SYS"), sys);
    EXPECT_EQ(mApp.mPopups, std::vector<std::string>{});

    // Loading again finds everything loaded and changes nothing.
    std::vector<int> counts = {mSound->GetNumSounds()};
    ASSERT_TRUE(mManager.LoadResources("Main"));
    EXPECT_EQ(Picture("HERO"), hero);
    EXPECT_EQ(mManager.GetFontThrow("DESC"), desc);
    EXPECT_EQ(mSound->GetNumSounds(), counts[0]);
}

TEST_F(ResourceLoadTest, StepByStepAndCounts)
{
    // Eleven records of the group are loaded one per step; the program's own is passed over.
    mManager.StartLoadResources("Main");
    int steps = 0;
    while (mManager.LoadNextResource())
        ++steps;
    EXPECT_FALSE(mManager.HadError()) << mManager.GetErrorText();
    EXPECT_EQ(steps, 11);
    EXPECT_NE(Picture("WALK"), nullptr);
    EXPECT_EQ(mManager.mLoadedGroups.count("Main"), 0u);  // only a whole load marks it

    EXPECT_EQ(mManager.GetNumImages(""), 12);
    EXPECT_EQ(mManager.GetNumImages("Main"), 6);
    EXPECT_EQ(mManager.GetNumSounds("Main"), 2);
    EXPECT_EQ(mManager.GetNumFonts("Main"), 3);
    EXPECT_EQ(mManager.GetNumResources("Main"), 11);

    // A group that no manifest names loads nothing, successfully.
    EXPECT_TRUE(mManager.LoadResources("Nowhere"));
    EXPECT_EQ(mManager.mLoadedGroups.count("Nowhere"), 1u);
}

TEST_F(ResourceLoadTest, StepByStepLoadKeepsItsPlaceAndItsFailureWhileAnotherThreadLoads)
{
    Worker loader;
    int steps = 0;
    loader.Run([&] {
        mManager.StartLoadResources("Main");
        steps += mManager.LoadNextResource() ? 1 : 0;
    });
    // Meanwhile the main thread loads a group that fails and then one that loads.
    EXPECT_FALSE(mManager.LoadResources("NoPicture"));
    EXPECT_TRUE(mManager.LoadResources("ZeroGrid")) << mManager.GetErrorText();
    bool failed = true;
    loader.Run([&] {
        while (mManager.LoadNextResource())
            ++steps;
        failed = mManager.HadError();
    });
    EXPECT_EQ(steps, 11);
    EXPECT_FALSE(failed);

    // The loader's failure is its own: the main thread's next load neither clears it nor
    // fails with it, and the main thread can still report it.
    std::string text;
    loader.Run([&] {
        mManager.StartLoadResources("NoPicture");
        while (mManager.LoadNextResource()) {
        }
    });
    mManager.StartLoadResources("Old");
    EXPECT_TRUE(mManager.LoadNextResource());
    EXPECT_FALSE(mManager.HadError());
    loader.Run([&] {
        failed = mManager.HadError();
        text = mManager.GetErrorText();
    });
    EXPECT_TRUE(failed);
    EXPECT_EQ(text, "Failed to load image: rltest/img\\nothing.png");
    EXPECT_EQ(mManager.GetErrorText(), text);
}

TEST_F(ResourceLoadTest, LoadsOnTwoThreadsTakeDistinctSoundIds)
{
    // Between handing out its first free id and filling it, the sound manager lets another
    // thread load a sound of its own group (for a second at most, as a slow disk might).
    struct RacingSounds : MemorySoundManager {
        std::function<void()> mAfterFirstId;
        int GetFreeSoundId() override
        {
            int anId = MemorySoundManager::GetFreeSoundId();
            if (auto aHook = std::exchange(mAfterFirstId, nullptr))
                aHook();
            return anId;
        }
    };
    auto* sounds = new RacingSounds();
    delete mSound;
    mSound = sounds;
    mApp.mSoundManager = sounds;
    std::future<bool> other;
    sounds->mAfterFirstId = [&] {
        other = std::async(std::launch::async, [&] { return mManager.LoadResources("ToneB"); });
        other.wait_for(std::chrono::seconds(1));
    };
    ASSERT_TRUE(mManager.LoadResources("ToneA")) << mManager.GetErrorText();
    ASSERT_TRUE(other.get());
    EXPECT_NE(mManager.GetSoundThrow("TONE_A"), mManager.GetSoundThrow("TONE_B"));
    EXPECT_EQ(sounds->GetNumSounds(), 2);
}

TEST_F(ResourceLoadTest, FailureTexts)
{
    struct Case {
        const char* group;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"BadAlpha", "AlphaImage size mismatch between rltest/img\\plain.png and rltest/img\\hero_mask.png"},
        {"BadGrid", "GridAlphaImage size mismatch between rltest/img\\cels.png and rltest/img\\hero_mask.png"},
        {"NoPicture", "Failed to load image: rltest/img\\nothing.png"},
        {"NoSound", "Failed to load sound: rltest/snd\\silence"},
        {"NoFont", "Failed to load font: rltest/fonts\\broken.txt"},
        {"RefEarly", "Ref font not found: DESC2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.group);
        EXPECT_FALSE(mManager.LoadResources(c.group));
        EXPECT_EQ(mManager.GetErrorText(), c.error);
        EXPECT_EQ(mManager.mLoadedGroups.count(c.group), 0u);
    }
    // A failure stops the group: the record after the missing picture was not loaded.
    EXPECT_NE(ThrownText([&] { mManager.GetImageThrow("AFTER"); }), "(nothing thrown)");
    // The broken descriptor said why in a popup.
    ASSERT_EQ(mApp.mPopups.size(), 1u);
    EXPECT_NE(mApp.mPopups[0].find("Font Descriptor Error in rltest/fonts\\broken.txt"), std::string::npos);

    // Once the referenced font is loaded, the reference loads too.
    ASSERT_TRUE(mManager.LoadResources("RefTarget")) << mManager.GetErrorText();
    ASSERT_TRUE(mManager.LoadResources("RefEarly")) << mManager.GetErrorText();
    EXPECT_NE(mManager.GetFontThrow("REF2"), mManager.GetFontThrow("DESC2"));
}

TEST_F(ResourceLoadTest, GridOfNoRowsOrColumnsIsOneCel)
{
    // rows="0" cols="-3": one cel as large as the picture, whose alpha the grid file gives.
    ASSERT_TRUE(mManager.LoadResources("ZeroGrid")) << mManager.GetErrorText();
    MemoryImage* picture = Picture("ZERO_GRID");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->mNumRows, 1);
    EXPECT_EQ(picture->mNumCols, 1);
    EXPECT_EQ(picture->GetBits()[3 * 8 + 2], 0x2B00FF00u);  // alpha 43 from the grid's (2, 3)
}

TEST_F(ResourceLoadTest, LookupsThrowWithTheFirstFailure)
{
    EXPECT_EQ(ThrownText([&] { mManager.GetImageThrow("NOPE"); }), "Image resource not found: NOPE");
    EXPECT_EQ(ThrownText([&] { mManager.GetSoundThrow("CLICK"); }), "Image resource not found: NOPE");

    EXPECT_FALSE(mManager.LoadResources("NoSound"));
    EXPECT_EQ(ThrownText([&] { mManager.GetSoundThrow("CLICK"); }), "Failed to load sound: rltest/snd\\silence");

    ASSERT_TRUE(mManager.LoadResources("Main"));
    EXPECT_EQ(ThrownText([&] { mManager.GetFontThrow("NOPE"); }), "Font resource not found: NOPE");
    ASSERT_TRUE(mManager.LoadResources("Main"));
    EXPECT_EQ(ThrownText([&] { mManager.GetSoundThrow("NOPE"); }), "Sound resource not found: NOPE");
    EXPECT_EQ(mManager.GetFont("NOPE"), nullptr);

    // The program's own resources: missing unless allowed.
    EXPECT_EQ(ThrownText([&] { mManager.GetImageThrow("PROG"); }), "Sound resource not found: NOPE");
    mManager.mAllowMissingProgramResources = true;
    EXPECT_EQ(mManager.GetImageThrow("PROG").GetImage(), nullptr);
}

TEST_F(ResourceLoadTest, DeletedGroupCanLoadAgain)
{
    ASSERT_TRUE(mManager.LoadResources("Main"));
    ASSERT_TRUE(mManager.LoadResources("Old")) << mManager.GetErrorText();
    int sounds = mSound->GetNumSounds();
    ASSERT_NE(mManager.GetFont("OLD"), nullptr);

    mManager.DeleteResources("Main");
    EXPECT_EQ(mManager.mLoadedGroups.count("Main"), 0u);
    EXPECT_EQ(mManager.mLoadedGroups.count("Old"), 1u);
    EXPECT_EQ(ThrownText([&] { mManager.GetImageThrow("HERO"); }), "Image resource not found: HERO");
    EXPECT_EQ(mSound->GetNumSounds(), sounds - 2);
    EXPECT_EQ(mManager.GetFont("DESC"), nullptr);
    EXPECT_NE(mManager.GetFont("OLD"), nullptr);

    ASSERT_TRUE(mManager.LoadResources("Main")) << mManager.GetErrorText();
    EXPECT_NE(Picture("HERO"), nullptr);
    EXPECT_EQ(mSound->GetNumSounds(), sounds);

    mManager.DeleteResources("");
    EXPECT_TRUE(mManager.mLoadedGroups.empty());
    EXPECT_EQ(mManager.GetFont("OLD"), nullptr);
    EXPECT_EQ(mSound->GetNumSounds(), 0);
}

TEST_F(ResourceLoadTest, WidthFileFont)
{
    ASSERT_TRUE(mManager.LoadResources("Old")) << mManager.GetErrorText();
    auto* old = dynamic_cast<ImageFont*>(mManager.GetFontThrow("OLD"));
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->StringWidth("ab"), 7);
    EXPECT_EQ(old->StringWidth("AB"), 7);  // upper case drawn with the lower-case glyphs
    EXPECT_EQ(old->GetAscent(), 5);
}

TEST_F(ResourceLoadTest, LongTagListsAreSplitWhole)
{
    std::string tags;
    for (int i = 0; i < 400; i++)
        tags += "tag" + std::to_string(i) + (i % 3 == 0 ? ",\n" : ", ");
    ASSERT_GT(tags.size(), 2048u);
    quortest::TempDir dir;
    quortest::WriteFile(dir.File("tags.xml"), "<ResourceManifest><Resources id=\"Tags\"><Font id=\"TAGGED\" "
                                              "path=\"fonts\\desc.txt\" tags=\"" + tags +
                                                  "\"/></Resources></ResourceManifest>");
    ASSERT_TRUE(mManager.ParseResourcesFile(dir.File("tags.xml"))) << mManager.GetErrorText();
    ASSERT_TRUE(mManager.LoadResources("Tags")) << mManager.GetErrorText();
    auto* font = dynamic_cast<ImageFont*>(mManager.GetFontThrow("TAGGED"));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->mTagVector.size(), 400u);
    EXPECT_TRUE(font->HasTag("tag0"));
    EXPECT_TRUE(font->HasTag("TAG399"));
}

TEST_F(ResourceLoadTest, ComposeColourBelongsToTheLoadingThread)
{
    // The main thread's colour stays its own while another thread loads with the records'
    // colours.
    ImageLib::gAlphaComposeColor = 0x123456;
    bool loaded = false;
    std::thread loader([&] { loaded = mManager.LoadResources("Main"); });
    loader.join();
    ASSERT_TRUE(loaded) << mManager.GetErrorText();
    EXPECT_EQ(ImageLib::gAlphaComposeColor, 0x123456u);
    ImageLib::gAlphaComposeColor = 0xFFFFFF;
    EXPECT_EQ(Picture("GHOST_RED")->GetBits()[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(Picture("GHOST_BLUE")->GetBits()[0] & 0xFFFFFF, 0x0000FFu);
}

TEST(DCapResourceTest, FreesItsObjectsAndRecords)
{
    static int sDeleted = 0;
    struct Counted : DCapResource::Object {
        ~Counted() override { ++sDeleted; }
    };
    LoadApp app;
    auto* manager = new DCapResource(&app);
    manager->mObjectMap["a"] = new Counted();
    manager->mObjectMap["b"] = new Counted();
    manager->mNames = {"x", "y"};
    quortest::TempDir dir;
    quortest::WriteFile(dir.File("m.xml"),
                        "<ResourceManifest><Resources id=\"G\"><Image path=\"a.png\"/><Sound path=\"s\"/>"
                        "<Font path=\"!sys:Arial\" size=\"9\"/></Resources></ResourceManifest>");
    ASSERT_TRUE(manager->ParseResourcesFile(dir.File("m.xml")));
    delete manager;  // the sanitizer reports any record or object left behind
    EXPECT_EQ(sDeleted, 2);
}

} // namespace
