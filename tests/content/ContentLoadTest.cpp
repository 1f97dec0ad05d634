// The sample content the build made (main.pak beside the program) read back by the program's
// own readers: every manifest parses, every group loads and binds, every picture has its
// table's size and cels, every font measures each character, every sound loads into the sound
// manager, every song decodes and plays in the music engine, and every particle file loads,
// runs and draws.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <set>
#include <string>
#include <string_view>

#include "game/shell/DCapResource.h"
#include "game/shell/ParticleSystem.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "sound/BassMusicInterface.h"
#include "sound/SoundInstance.h"
#include "resources/PakInterface.h"
#include "tests/support/RecordingImage.h"
#include "tests/support/ResourceFixtures.h"
#include "tests/support/SoundFixtures.h"
#include "tests/support/TestSupport.h"
#include "tests/sound/MusicTestSupport.h"
#include "tools/mkcontent/Content.h"

using namespace Quor;

namespace {

// The manifests in the order the program reads them at start-up.
const char* const kManifests[] = {
    "properties\\res_init.xml", "properties\\res_fx.xml", "properties\\res_se.xml",
    "properties\\res_menu_acc.xml", "properties\\res_menu_award.xml", "properties\\res_menu_blueprint.xml",
    "properties\\res_menu_main.xml", "properties\\res_menu_popup.xml", "properties\\res_menu_help.xml",
    "properties\\res_menu_score.xml", "properties\\res_game_main.xml", "properties\\res_game_country.xml",
    "properties\\res_game_worldmap.xml", "properties\\res_game_reward.xml", "properties\\res_mg.xml",
    "properties\\res_tutor.xml"};

class ContentLoadTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        sContent = new mkcontent::Content(mkcontent::LoadContent(CONTENT_SOURCE_DIR));
        PakInterface* pak = GetPakInterface();
        pak->mDecryptPassword = "lorvtekmiqazund";
        ASSERT_TRUE(pak->AddPakFile(std::string(QUOR_BINARY_DIR) + "/main.pak")) << pak->mError;
    }
    static void TearDownTestSuite()
    {
        delete sContent;
        sContent = nullptr;
    }

    void SetUp() override
    {
        mSound = std::make_unique<quortest::MemorySoundManager>();
        mApp.mSoundManager = mSound.get();
        mManager = std::make_unique<DCapResource>(&mApp);
        for (const char* manifest : kManifests)
            ASSERT_TRUE(mManager->ParseResourcesFile(manifest)) << manifest << ": " << mManager->GetErrorText();
    }
    void TearDown() override
    {
        mManager.reset();
        mApp.mSoundManager = nullptr;
    }

    static mkcontent::Content* sContent;
    quortest::LoadingApp mApp;
    std::unique_ptr<quortest::MemorySoundManager> mSound;
    std::unique_ptr<DCapResource> mManager;
};

mkcontent::Content* ContentLoadTest::sContent = nullptr;

TEST_F(ContentLoadTest, EveryGroupLoadsAndBindsWithItsTableSizes)
{
    std::set<std::string> checked;
    for (size_t g = 0; g < kResourceGroupCount; ++g) {
        const std::string group = kResourceGroupNames[g];
        ASSERT_TRUE(mManager->LoadResources(group)) << group << ": " << mManager->GetErrorText();
        ASSERT_FALSE(mManager->HadError()) << group << ": " << mManager->GetErrorText();
        size_t count = 0;
        const ResourceBinding* list = ResourceGroupBindings(group.c_str(), &count);
        ASSERT_GT(count, 0u) << group;
        ASSERT_TRUE(BindResourceList(mManager.get(), list, count)) << group << ": " << mManager->GetErrorText();

        for (const mkcontent::Resource& r : sContent->resources) {
            if (r.group != group || r.kind != mkcontent::Kind::Image) continue;
            const mkcontent::Picture& p = sContent->pictures[static_cast<size_t>(r.picture)];
            Image* image = mManager->GetImageThrow(r.id).GetImage();
            ASSERT_NE(image, nullptr) << r.id;
            EXPECT_EQ(image->GetWidth(), p.width) << r.id;
            EXPECT_EQ(image->mHeight, p.height) << r.id;
            EXPECT_EQ(image->mNumCols, p.cols) << r.id;
            EXPECT_EQ(image->mNumRows, p.rows) << r.id;
            EXPECT_EQ(image->mAnimInfo != nullptr, !r.anim.empty()) << r.id;
            checked.insert(r.id);
        }
        // The bound variables hold what the manager has.
        for (size_t i = 0; i < count; ++i) {
            if (list[i].kind == ResourceKind::Image) {
                EXPECT_NE(*static_cast<Image**>(list[i].variable), nullptr) << list[i].name;
            } else if (list[i].kind == ResourceKind::Font) {
                EXPECT_NE(*static_cast<Font**>(list[i].variable), nullptr) << list[i].name;
            }
        }
        if (group != "Init") mManager->DeleteResources(group);
    }
    EXPECT_EQ(checked.size(), 716u);
    EXPECT_EQ(mApp.mPopups, std::vector<std::string>{});
}

TEST_F(ContentLoadTest, PicturesLoadedByPathHaveTheirTableSizes)
{
    std::set<int> resourcePictures;
    for (const mkcontent::Resource& r : sContent->resources)
        if (r.kind == mkcontent::Kind::Image) resourcePictures.insert(r.picture);
    int loaded = 0;
    for (size_t i = 0; i < sContent->pictures.size(); ++i) {
        if (resourcePictures.count(static_cast<int>(i))) continue;
        const mkcontent::Picture& p = sContent->pictures[i];
        std::unique_ptr<DDImage> image(mApp.LoadImageFile(p.path, false));
        ASSERT_NE(image, nullptr) << p.path;
        EXPECT_EQ(image->mWidth, p.width) << p.path;
        EXPECT_EQ(image->mHeight, p.height) << p.path;
        ++loaded;
    }
    EXPECT_EQ(loaded, 408);
    // The program asks for this one without an extension.
    std::unique_ptr<DDImage> gameOver(mApp.LoadImageFile("images/tutor/game_over", false));
    EXPECT_NE(gameOver, nullptr);
}

TEST_F(ContentLoadTest, FontsMeasureEveryCharacter)
{
    ASSERT_TRUE(mManager->LoadResources("Init")) << mManager->GetErrorText();
    std::string all;
    for (int c = 32; c <= 126; ++c) all += static_cast<char>(c);
    for (const mkcontent::FontSpec& row : sContent->fonts) {
        Font* font = mManager->GetFontThrow(row.id);
        ASSERT_NE(font, nullptr) << row.id;
        EXPECT_GT(font->GetAscent(), 0) << row.id;
        EXPECT_GE(font->GetHeight(), row.size) << row.id;
        int sum = 0;
        for (char c : all) {
            int w = font->CharWidth(c);
            EXPECT_GT(w, 0) << row.id << " '" << c << "'";
            sum += w;
        }
        EXPECT_EQ(font->StringWidth(all), sum) << row.id;
        EXPECT_GT(font->StringWidth("Tableware 1,250"), font->StringWidth("Tableware")) << row.id;
    }
}

TEST_F(ContentLoadTest, EverySoundLoadsWithItsLength)
{
    ASSERT_TRUE(mManager->LoadResources("Init")) << mManager->GetErrorText();
    ASSERT_TRUE(mManager->LoadResources("Sound")) << mManager->GetErrorText();
    ASSERT_EQ(sContent->sounds.size(), 36u);
    for (const mkcontent::SoundSpec& row : sContent->sounds) {
        int id = mManager->GetSoundThrow(row.id);
        EXPECT_EQ(mSound->GetBufferSize(id), static_cast<uint32_t>(row.ms) * 22050 / 1000 * 2) << row.id;
        plat::SoundBuffer* buffer = mSound->AcquireSoundBuffer(id);
        ASSERT_NE(buffer, nullptr) << row.id;
        plat::WaveFormat format;
        ASSERT_TRUE(plat::Succeeded(buffer->GetFormat(&format))) << row.id;
        buffer->Release();
        EXPECT_EQ(format.samplesPerSec, 22050u) << row.id;
        EXPECT_EQ(format.channels, 1u) << row.id;
        EXPECT_EQ(format.bitsPerSample, 16u) << row.id;
        SoundInstance* instance = mSound->GetSoundInstance(id);
        ASSERT_NE(instance, nullptr) << row.id;
        instance->Release();
        if (row.id != "SE_CORVANTIS") {
            EXPECT_LE(row.ms, 1500) << row.id;
        }
    }
}

// Each song decoded by the sound reader has its row's length at 22050 Hz mono and a tune of its
// own, and plays from the archive in the music engine the game uses.
TEST_F(ContentLoadTest, EverySongDecodesAndPlaysInTheMusicEngine)
{
    ASSERT_EQ(sContent->music.size(), 32u);
    quortest::TempDir dir;
    // Decoded songs go to the sound cache below the data folder.
    quortest::ScopedAppDataFolder data(dir.File("data") + "/");
    quortest::MemoryAudio audio;
    BassMusicInterface player(nullptr, audio.Get());
    auto* engine = static_cast<plat::MusicEngine*>(player.Library());
    std::set<size_t> tunes;
    int id = 0;
    for (const mkcontent::MusicSpec& row : sContent->music) {
        SCOPED_TRACE(row.file);
        ASSERT_TRUE(mSound->LoadSoundToId(id, row.file.substr(0, row.file.size() - 4)));
        plat::SoundBuffer* buffer = mSound->AcquireSoundBuffer(id);
        ASSERT_NE(buffer, nullptr);
        plat::WaveFormat format;
        ASSERT_TRUE(plat::Succeeded(buffer->GetFormat(&format)));
        buffer->Release();
        EXPECT_EQ(format.samplesPerSec, 22050u);
        EXPECT_EQ(format.channels, 1u);
        const double seconds = mSound->GetBufferSize(id) / 2.0 / 22050;
        EXPECT_NEAR(seconds, row.seconds, 0.05);
        EXPECT_GE(seconds, 8 - 0.05);
        EXPECT_LE(seconds, 12 + 0.05);
        std::vector<uint8_t> samples = quortest::SoundBytes(*mSound, id);
        tunes.insert(std::hash<std::string_view>{}(
            std::string_view(reinterpret_cast<const char*>(samples.data()), samples.size())));
        mSound->ReleaseSound(id);

        ASSERT_TRUE(player.LoadMusic(id, row.file));
        player.PlayMusic(id, 0, true);
        std::vector<int16_t> heard = quortest::RenderSong(audio, engine, player.Songs().at(id).Channel(), 22050);
        EXPECT_GT(quortest::Rms(heard, 0, heard.size()), 500.0);
        EXPECT_TRUE(player.IsPlaying(id));
        player.UnloadAllMusic();
        ++id;
    }
    EXPECT_EQ(tunes.size(), sContent->music.size());
}

TEST_F(ContentLoadTest, ParticleFilesLoadRunAndDraw)
{
    ASSERT_EQ(sContent->particles.size(), 6u);
    for (const mkcontent::ParticleSpec& row : sContent->particles) {
        ParticleSystem ps(std::string(QUOR_BINARY_DIR) + "/particle/" + row.file, 100);
        EXPECT_EQ(ps.mHeader.mRate, row.rate) << row.file;
        EXPECT_EQ(ps.mAdditive, row.additive) << row.file;
        ASSERT_NE(ps.mImage, nullptr) << row.file << " " << row.image;
        ASSERT_EQ(ps.mPath.size(), row.path.size()) << row.file;
        if (row.path.empty()) {
            ps.StartAt(512, 384);
        } else {
            EXPECT_FLOAT_EQ(ps.mPathTime, row.pathTime) << row.file;
            ps.StartPath();
            EXPECT_TRUE(ps.mMoving) << row.file;
        }
        int most = 0;
        for (int i = 0; i < 50; ++i) {
            ps.Step(0.01f);
            most = std::max(most, ps.mLiveCount);
        }
        EXPECT_GT(most, 0) << row.file;
        quortest::RecordingImage screen(1024, 768);
        Graphics g(&screen);
        ps.Draw(&g);
        EXPECT_EQ(screen.calls.empty(), ps.mLiveCount == 0) << row.file;
    }
}

} // namespace
