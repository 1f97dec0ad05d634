// The second music player: its calls and fades through an engine that records them, its sample
// cache and joined pairs, and modules and pairs played for real by the music engine.
#include <gtest/gtest.h>

#include "app/Common.h"
#include "platform/Music.h"
#include "sound/FModMusicInterface.h"
#include "tests/sound/MusicTestSupport.h"
#include "tests/support/SoundFixtures.h"
#include "tests/support/TestSupport.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace Quor;
using namespace quortest;
namespace fs = std::filesystem;

namespace {

struct RecordedFMod {
    TempDir dir;
    CurrentDir cwd{dir.Path().string()};
    ScopedAppDataFolder data{dir.File("data") + "/"};
    RecordingEngine engine;
    FModMusicInterface player{&engine};

    RecordedFMod()
    {
        for (const char* name : {"f.mod", "g.mod"})
            WriteFile(dir.File(name), std::string("x"));
    }
    uint32_t Channel(int id) { return player.Songs().at(id).Channel(); }
    int Volume(int id) { return engine.volume[Channel(id)]; }
    // A sample's cache file holding the recording engine's "rate channels frames".
    void Cache(const std::string& name, const std::string& format)
    {
        fs::create_directories(dir.Path() / "data" / "cached");
        WriteFile(dir.File("data/cached/" + name + ".wav"), format);
    }
};

} // namespace

TEST(FModPlayer, ModuleStartsOrdersFadesAndMasterVolume)
{
    RecordedFMod p;
    ASSERT_TRUE(p.player.LoadMusic(0, "f.mod"));
    EXPECT_EQ(p.engine.calls.back(), "module flags 0");
    ASSERT_TRUE(p.player.LoadMusic(0, "g.mod")); // the first song stays
    EXPECT_EQ(p.Channel(0), 1u);
    EXPECT_EQ(p.engine.calls.back(), "free module 2");
    EXPECT_FALSE(p.player.LoadMusic(1, "missing.mod"));

    struct Case {
        const char* what;
        std::function<void()> call;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"play once from order 3", [&] { p.player.PlayMusic(0, 3, true); },
         {"flags 1 0", "play 1 restart", "position 1 80000003"}},
        {"fade in while playing: no restart, only the jump", [&] { p.player.FadeIn(0, 2, 0.1, false); },
         {"flags 1 4", "position 1 80000002"}},
        {"fade in from -1 while playing: nothing restarts", [&] { p.player.FadeIn(0, -1, 0.1, true); }, {"flags 1 0"}},
        {"stop", [&] { p.player.StopMusic(0); }, {"stop 1"}},
        {"resume does not start a stopped song", [&] { p.player.ResumeMusic(0); }, {}},
        {"fade in a stopped song", [&] { p.player.FadeIn(0, -1, 0.25, false); }, {"flags 1 4", "play 1 restart"}},
        {"pause", [&] { p.player.PauseMusic(0); }, {"pause 1"}},
        {"resume", [&] { p.player.ResumeMusic(0); }, {"play 1"}},
        {"what this player leaves alone",
         [&] {
             p.player.UnloadMusic(0);
             p.player.UnloadAllMusic();
             p.player.PauseAllMusic();
             p.player.ResumeAllMusic();
             p.player.SetSongMaxVolume(0, 0.1);
             p.player.SetMusicAmplify(0, 0.5);
         },
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        p.engine.calls.clear();
        c.call();
        EXPECT_EQ(p.engine.calls, c.calls);
    }
    EXPECT_EQ(p.player.Songs().size(), 1u);
    EXPECT_EQ(p.player.Songs().at(0).ceiling, 1.0);

    // The fade from silence: 0.25 a step up to the ceiling, where it ends.
    EXPECT_EQ(VolumesOverUpdates(p, 5), (std::vector<int>{25, 50, 75, 100, 100}));
    EXPECT_EQ(p.player.Songs().at(0).volumeStep, 0.0);

    // The master volume scales every song.
    p.player.SetVolume(0.5);
    EXPECT_EQ(p.Volume(0), 50);
    p.player.SetSongVolume(0, 0.8);
    EXPECT_EQ(p.Volume(0), 40);
    EXPECT_TRUE(p.player.IsPlaying(0));
    EXPECT_FALSE(p.player.IsPlaying(7));
}

TEST(FModPlayer, FadeOutAllStopsThreeSongsOnTheFifthUpdate)
{
    RecordedFMod p;
    for (int id = 0; id < 3; ++id) {
        ASSERT_TRUE(p.player.LoadMusic(id, "f.mod"));
        p.player.PlayMusic(id, 0, false);
    }
    p.player.FadeOutAll(true, 0.25);
    for (int step = 1; step <= 5; ++step) {
        p.player.Update();
        for (int id = 0; id < 3; ++id)
            EXPECT_EQ(p.player.IsPlaying(id), step < 5) << "update " << step << " song " << id;
    }
    EXPECT_EQ(p.Volume(2), 0);
}

TEST(FModPlayer, PairJoinsTwoSamplesAndLoopsOverTheSecond)
{
    RecordedFMod p;
    p.Cache("a", "22050 1 1000");
    p.Cache("b", "22050 1 2000");
    p.Cache("rate", "44100 1 10");
    p.Cache("stereo", "22050 2 10");

    // Refused pairs leave no sample behind.
    for (const char* second : {"rate", "stereo", "missing"}) {
        SCOPED_TRACE(second);
        EXPECT_FALSE(p.player.LoadSampleMusicPair(0, "a", second, true));
        EXPECT_TRUE(p.engine.samples.empty());
    }
    EXPECT_TRUE(p.player.Songs().empty());

    p.engine.calls.clear();
    ASSERT_TRUE(p.player.LoadSampleMusicPair(0, "a", "b", true));
    ASSERT_EQ(p.engine.samples.size(), 1u); // the parts are freed
    const auto& [joined, sample] = *p.engine.samples.begin();
    ASSERT_EQ(sample.pcm.size(), 3000u);
    EXPECT_EQ(sample.pcm[0], 1);
    EXPECT_EQ(sample.pcm[999], 1000);
    EXPECT_EQ(sample.pcm[1000], 1);
    EXPECT_EQ(sample.pcm[2999], 2000);
    EXPECT_EQ(p.engine.calls, (std::vector<std::string>{"loop " + std::to_string(joined) + " 1000 3000",
                                                        "channel of " + std::to_string(joined)}));

    // A sample song plays from its start with the loop flag it was loaded with.
    uint32_t channel = p.Channel(0);
    p.engine.calls.clear();
    p.player.PlayMusic(0, 7, true);
    EXPECT_EQ(p.engine.calls, (std::vector<std::string>{"flags " + std::to_string(channel) + " 4",
                                                        "play " + std::to_string(channel) + " restart"}));
    EXPECT_EQ(p.Volume(0), 100);
}

// ---- Played for real into memory

class FModEngineTest : public ::testing::Test {
protected:
    TempDir mDir;
    CurrentDir mCwd{mDir.Path().string()};
    ScopedAppDataFolder mData{mDir.File("data") + "/"};
    MemoryAudio mAudio;
    FModMusicInterface mPlayer{mAudio.Get()};
    plat::MusicEngine* Engine() { return static_cast<plat::MusicEngine*>(mPlayer.Library()); }
    uint32_t Channel(int id) { return mPlayer.Songs().at(id).Channel(); }
    // The channel count, rate and data bytes of a plain WAV file as the header says them.
    struct WaveHeader {
        uint32_t riff = 0, channels = 0, rate = 0, data = 0;
    };
    WaveHeader ReadHeader(const std::string& path)
    {
        std::vector<uint8_t> b = ReadFile(path);
        auto le = [&](size_t at, int n) {
            uint32_t v = 0;
            for (int i = 0; i < n; ++i)
                v |= uint32_t(b.at(at + size_t(i))) << (8 * i);
            return v;
        };
        EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
        EXPECT_EQ(std::string(b.begin() + 36, b.begin() + 40), "data");
        EXPECT_EQ(b.size(), 44 + le(40, 4));
        return {le(4, 4), le(22, 2), le(24, 4), le(40, 4)};
    }
    static void Touch(const std::string& path, const fs::path& like, int seconds)
    {
        fs::last_write_time(path, fs::last_write_time(like) + std::chrono::seconds(seconds));
    }
};

TEST_F(FModEngineTest, SampleCacheKeepsTheFoldersAndFollowsItsSource)
{
    fs::create_directories(mDir.Path() / "music");
    fs::create_directories(mDir.Path() / "music2");
    ASSERT_TRUE(MakeOgg(mDir.File("music/theme.ogg"), 1, 22050, 11025, 440));
    ASSERT_TRUE(MakeOgg(mDir.File("music2/theme.ogg"), 2, 22050, 5000, 880));
    ASSERT_TRUE(mPlayer.LoadSampleMusic(0, "music/theme", true));
    ASSERT_TRUE(mPlayer.LoadSampleMusic(1, "music2\\theme", false));
    const std::string first = mDir.File("data/cached/music/theme.wav");
    const std::string second = mDir.File("data/cached/music2/theme.wav");
    WaveHeader h = ReadHeader(first);
    EXPECT_EQ(h.riff, h.data + 36);
    EXPECT_EQ(h.channels, 1u);
    EXPECT_EQ(h.rate, 22050u);
    EXPECT_EQ(h.data, 11025u * 2);
    h = ReadHeader(second);
    EXPECT_EQ(h.channels, 2u);
    EXPECT_EQ(h.data, 5000u * 4);

    // A changed song is decoded again.
    ASSERT_TRUE(MakeOgg(mDir.File("music/theme.ogg"), 1, 22050, 4410, 440));
    Touch(mDir.File("music/theme.ogg"), first, 10);
    ASSERT_TRUE(mPlayer.LoadSampleMusic(2, "music/theme", true));
    EXPECT_EQ(ReadHeader(first).data, 4410u * 2);

    // A cache newer than its song is used as it is, without the song.
    WriteFile(mDir.File("music2/theme.ogg"), std::string("no longer a song"));
    Touch(mDir.File("music2/theme.ogg"), second, -10);
    EXPECT_TRUE(mPlayer.LoadSampleMusic(3, "music2/theme", false));
    EXPECT_FALSE(mPlayer.LoadSampleMusic(4, "music/absent", false));
}

TEST_F(FModEngineTest, JoinedPairPlaysItsFirstPartOnceThenLoopsTheSecond)
{
    fs::create_directories(mDir.Path() / "data" / "cached");
    WriteFile(mDir.File("data/cached/intro.wav"), Wave(1, 22050, 16, Pcm16(std::vector<int16_t>(1000, 8000))));
    WriteFile(mDir.File("data/cached/body.wav"), Wave(1, 22050, 16, Pcm16(std::vector<int16_t>(1500, -8000))));
    for (bool loop : {true, false}) {
        SCOPED_TRACE(loop);
        ASSERT_TRUE(mPlayer.LoadSampleMusicPair(loop, "intro", "body", loop));
        mPlayer.PlayMusic(loop, 0, false);
        auto out = RenderSong(mAudio, Engine(), Channel(loop), 20 * 1024);
        mPlayer.StopMusic(loop);
        // 1000 frames at 22050 Hz are about 2000 mix frames; after them the mix never goes up
        // again, while a loop of the whole pair would.
        size_t lastHigh = 0;
        size_t low = 0;
        for (size_t f = 0; f < out.size() / 2; ++f) {
            if (out[2 * f] > 0)
                lastHigh = f;
            else if (out[2 * f] < -7000)
                low++;
        }
        EXPECT_NEAR(double(lastHigh), 2000.0, 4.0);
        if (loop)
            EXPECT_GT(low, out.size() / 2 - 2100);
        else
            EXPECT_NEAR(double(low), 3000.0, 6.0);
    }
}

TEST_F(FModEngineTest, ModuleFadedInWhilePlayingJumpsToTheOrder)
{
    WriteFile(mDir.File("song.mod"), TrackerModule(3));
    ASSERT_TRUE(mPlayer.LoadMusic(0, "song.mod"));
    mPlayer.PlayMusic(0, 0, false);
    auto out = RenderSong(mAudio, Engine(), Channel(0), 8192);
    EXPECT_GT(Rms(out, 0, out.size()), 1000.0);
    EXPECT_EQ(Engine()->ChannelGetPosition(Channel(0)), 0u);
    mPlayer.FadeIn(0, 2, 0.1, false);
    RenderSong(mAudio, Engine(), Channel(0), 8192);
    EXPECT_EQ(Engine()->ChannelGetPosition(Channel(0)), 2u);
    EXPECT_TRUE(mPlayer.IsPlaying(0));
}
