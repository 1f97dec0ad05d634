// The music players: the silent base, the default player's calls and fades checked through an
// engine that records them, and songs played for real by the music engine into memory, from
// the archive, and through SDL's disk driver.
#include <gtest/gtest.h>

#include "platform/Music.h"
#include "resources/PakInterface.h"
#include "sound/BassMusicInterface.h"
#include "sound/FModMusicInterface.h"
#include "sound/SoundInstance.h"
#include "tests/sound/MusicTestSupport.h"
#include "tests/support/SoundFixtures.h"
#include "tests/support/TestSupport.h"
#include "tools/pak/PakFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

using namespace Quor;
using namespace quortest;

namespace {

struct RecordedPlayer {
    TempDir dir;
    CurrentDir cwd{dir.Path().string()};
    RecordingEngine engine;
    BassMusicInterface player{&engine};

    RecordedPlayer()
    {
        for (const char* name : {"a.ogg", "b.OGG", "c.mp3", "d.wav", "e.ogg2", "noext", "f.mod"})
            WriteFile(dir.File(name), std::string("x"));
    }
    uint32_t Channel(int id) { return player.Songs().at(id).Channel(); }
    int Volume(int id) { return engine.volume[Channel(id)]; }
};

} // namespace

TEST(SilentMusic, LoadsNothingAndPlaysNothing)
{
    MusicInterface silent;
    EXPECT_FALSE(silent.LoadMusic(0, "music/Main_page.ogg"));
    silent.PlayMusic(0, 0, false);
    silent.FadeIn(0, 5, 0.002, false);
    silent.FadeOutAll(true, 0.1);
    silent.Update();
    silent.UnloadAllMusic();
    for (int id : {0, 1, -1, 1000})
        EXPECT_FALSE(silent.IsPlaying(id));
}

TEST(MusicPlayer, StreamsByExtensionInAnyCaseOtherFilesAsModules)
{
    RecordedPlayer p;
    const std::pair<const char*, bool> cases[] = {{"a.ogg", false}, {"b.OGG", false}, {"c.mp3", false},
                                                  {"d.wav", false}, {"e.ogg2", true},  {"noext", true}};
    int id = 0;
    for (auto [name, module] : cases) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(p.player.LoadMusic(id, name));
        EXPECT_EQ(p.player.Songs().at(id).module != 0, module);
        ++id;
    }
    EXPECT_FALSE(p.player.LoadMusic(id, "missing.ogg"));
    // Newer generation: modules load ramped and looping.
    EXPECT_EQ(p.engine.calls.front(), "module flags " + std::to_string(0x204));
}

TEST(MusicPlayer, SecondLoadKeepsTheFirstSongAndFreesTheNewOne)
{
    RecordedPlayer p;
    ASSERT_TRUE(p.player.LoadMusic(3, "a.ogg"));
    ASSERT_TRUE(p.player.LoadMusic(3, "c.mp3"));
    EXPECT_EQ(p.Channel(3), 1u);
    EXPECT_EQ(p.engine.calls.back(), "free stream 2");
}

TEST(MusicPlayer, StartOffsetsAndLoopFlags)
{
    RecordedPlayer p;
    p.player.LoadMusic(0, "a.ogg");
    p.player.LoadMusic(1, "f.mod");
    struct Case {
        int id;
        int offset;
        bool noLoop;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {0, -1, false, {"stop 1", "flags 1 4", "play 1"}},
        {0, 0, true, {"stop 1", "flags 1 0", "play 1 restart"}},
        {0, 1000, false, {"stop 1", "flags 1 4", "play 1 restart", "position 1 3e8"}},
        {1, 0x20003, true, {"stop 2", "stop 2", "position 2 ffffffff80000003", "flags 2 " + std::to_string(0x8200),
                            "play 2"}},
        {1, 2, false, {"stop 2", "stop 2", "position 2 ffffffff80000002", "flags 2 " + std::to_string(0x8204),
                       "play 2"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.offset);
        p.engine.calls.clear();
        p.player.SetSongVolume(c.id, 0.3);
        p.player.PlayMusic(c.id, c.offset, c.noLoop);
        EXPECT_EQ(p.engine.calls, c.calls);
        EXPECT_EQ(p.Volume(c.id), 100); // at the ceiling
    }
    // A module faded in from offset -1 restarts; from an order it jumps there.
    p.engine.calls.clear();
    p.player.FadeIn(1, -1, 0.1, false);
    EXPECT_EQ(p.engine.calls, (std::vector<std::string>{"stop 2", "play 2 restart"}));
}

TEST(MusicPlayer, FadeArithmetic)
{
    RecordedPlayer p;
    p.player.LoadMusic(0, "a.ogg");
    p.player.FadeIn(0, 0, 0.25, false);
    EXPECT_EQ(VolumesOverUpdates(p, 5), (std::vector<int>{25, 50, 75, 100, 100}));
    EXPECT_EQ(p.player.Songs().at(0).volumeStep, 0.0);

    // Down with the stop flag: stopped on the update below 0.0, not at 0.0.
    p.player.FadeOut(0, true, 0.25);
    for (int i = 0; i < 4; ++i)
        p.player.Update();
    EXPECT_EQ(p.Volume(0), 0);
    EXPECT_TRUE(p.player.IsPlaying(0));
    p.player.Update();
    EXPECT_FALSE(p.player.IsPlaying(0));

    // At exactly 0.0 a fade-out only sets the flag.
    p.player.PlayMusic(0, 0, false);
    p.player.SetSongVolume(0, 0.0);
    p.player.FadeOut(0, true, 0.25);
    EXPECT_EQ(p.player.Songs().at(0).volumeStep, 0.0);
    EXPECT_TRUE(p.player.Songs().at(0).stopWhenSilent);
    p.player.Update();
    EXPECT_TRUE(p.player.IsPlaying(0));

    // 0.002 a step: 500 updates from silence to full.
    p.player.StopMusic(0);
    p.player.FadeIn(0, 0, 0.002, false);
    int updates = 0;
    while (p.player.Songs().at(0).volumeStep != 0.0 && updates < 1000) {
        p.player.Update();
        ++updates;
    }
    EXPECT_NEAR(updates, 501, 1); // the last one lands on the ceiling and ends the fade
    EXPECT_EQ(p.Volume(0), 100);
}

TEST(MusicPlayer, FadeOutAllStopsEverySongOnTheFifthUpdate)
{
    RecordedPlayer p;
    for (int id = 0; id < 3; ++id) {
        p.player.LoadMusic(id, "a.ogg");
        p.player.PlayMusic(id, 0, false);
    }
    p.player.FadeOutAll(true, 0.25);
    for (int i = 0; i < 4; ++i)
        p.player.Update();
    for (int id = 0; id < 3; ++id)
        EXPECT_TRUE(p.player.IsPlaying(id));
    p.player.Update();
    for (int id = 0; id < 3; ++id)
        EXPECT_FALSE(p.player.IsPlaying(id));
}

TEST(MusicPlayer, CeilingPauseAndVolumes)
{
    RecordedPlayer p;
    p.player.LoadMusic(0, "a.ogg");
    p.player.LoadMusic(1, "c.mp3");
    p.player.SetSongVolume(0, 0.8);
    p.player.SetSongVolume(1, 0.3);
    p.player.SetSongMaxVolume(0, 0.5);
    p.player.SetSongMaxVolume(1, 0.5);
    EXPECT_EQ(p.Volume(0), 50);
    EXPECT_EQ(p.Volume(1), 30);
    p.player.SetSongVolume(1, 0.999);
    EXPECT_EQ(p.Volume(1), 99); // truncated

    p.player.PlayMusic(0, 0, false);
    p.player.PlayMusic(1, 0, false);
    p.player.PauseMusic(1);
    p.engine.calls.clear();
    p.player.PauseAllMusic();
    p.player.ResumeAllMusic();
    EXPECT_EQ(p.engine.calls, (std::vector<std::string>{"pause 1", "play 1", "play 2"}));

    p.player.SetVolume(0.5);
    EXPECT_EQ(p.engine.config[plat::kMusicConfigStreamVolume], 50);
    EXPECT_EQ(p.engine.config[plat::kMusicConfigModuleVolume], 50);
    p.engine.newer = false;
    p.player.SetVolume(1.0);
    EXPECT_EQ(p.engine.globalVolumes, 40);
    p.player.SetVolume(0.5);
    EXPECT_EQ(p.engine.globalVolumes, 20);

    p.player.UnloadAllMusic();
    EXPECT_TRUE(p.player.Songs().empty());
    p.player.PlayMusic(0, 0, false); // harmless
    EXPECT_FALSE(p.player.IsPlaying(0));
}

// ---- Songs played for real into memory

class MusicEngineTest : public ::testing::Test {
protected:
    TempDir mDir;
    CurrentDir mCwd{mDir.Path().string()};
    MemoryAudio mAudio;
    BassMusicInterface mPlayer{nullptr, mAudio.Get()};
    plat::MusicEngine* Engine() { return static_cast<plat::MusicEngine*>(mPlayer.Library()); }
    uint32_t Channel(int id) { return mPlayer.Songs().at(id).Channel(); }
};

TEST_F(MusicEngineTest, LoopingSongIsNeverSilentAcrossItsLoopPoint)
{
    ASSERT_TRUE(MakeOgg(mDir.File("loop.ogg"), 2, 44100, 44100, 440));
    ASSERT_TRUE(mPlayer.LoadMusic(0, "loop.ogg"));
    mPlayer.PlayMusic(0, 0, false);
    auto out = RenderSong(mAudio, Engine(), Channel(0), 3 * 44100);
    // Every 50 ms window holds the tone.
    for (size_t w = 0; w + 4410 <= out.size(); w += 4410)
        ASSERT_GT(Rms(out, w, w + 4410), 3000.0) << "window at frame " << w / 2;
    EXPECT_TRUE(mPlayer.IsPlaying(0));
}

TEST_F(MusicEngineTest, OnceOnlySongEndsStoppedAndPauseKeepsThePosition)
{
    ASSERT_TRUE(MakeOgg(mDir.File("once.ogg"), 1, 22050, 11025, 440));
    WriteFile(mDir.File("once.wav"), Wave(1, 22050, 16, Pcm16(std::vector<int16_t>(22050, 8000))));
    for (const char* name : {"once.ogg", "once.wav"}) {
        SCOPED_TRACE(name);
        mPlayer.UnloadAllMusic();
        ASSERT_TRUE(mPlayer.LoadMusic(0, name));
        mPlayer.PlayMusic(0, 0, true);
        RenderSong(mAudio, Engine(), Channel(0), 11025);
        mPlayer.PauseMusic(0);
        uint64_t paused = Engine()->ChannelGetPosition(Channel(0));
        EXPECT_GT(paused, 0u);
        mAudio.Render(4096);
        EXPECT_EQ(Engine()->ChannelGetPosition(Channel(0)), paused);
        EXPECT_EQ(Engine()->ChannelIsActive(Channel(0)), plat::kMusicPaused);
        mPlayer.ResumeMusic(0);
        RenderSong(mAudio, Engine(), Channel(0), 44100 * 2);
        EXPECT_EQ(Engine()->ChannelIsActive(Channel(0)), plat::kMusicStopped);
        EXPECT_FALSE(mPlayer.IsPlaying(0));
    }
}

TEST_F(MusicEngineTest, DamagedSongsStopThemselves)
{
    auto mp3 = SilentMp3(20);
    WriteFile(mDir.File("silent.mp3"), mp3);
    ASSERT_TRUE(MakeOgg(mDir.File("song.ogg"), 2, 44100, 4 * 44100, 440));
    std::vector<uint8_t> ogg;
    {
        std::FILE* f = std::fopen(mDir.File("song.ogg").c_str(), "rb");
        ASSERT_NE(f, nullptr);
        uint8_t b[4096];
        size_t n;
        while ((n = std::fread(b, 1, sizeof b, f)) > 0)
            ogg.insert(ogg.end(), b, b + n);
        std::fclose(f);
    }
    // Damaged in the middle: its pages there cannot be decoded.
    std::fill(ogg.begin() + ptrdiff_t(ogg.size() * 6 / 10), ogg.begin() + ptrdiff_t(ogg.size() * 8 / 10), uint8_t(0x55));
    WriteFile(mDir.File("short.ogg"), ogg);
    std::vector<uint8_t> cut(ogg.begin(), ogg.begin() + ptrdiff_t(ogg.size() / 3));
    WriteFile(mDir.File("cut.ogg"), cut);
    ASSERT_TRUE(mPlayer.LoadMusic(2, "cut.ogg")); // ends early
    WriteFile(mDir.File("junk.ogg"), std::string("OggS but not really"));
    EXPECT_FALSE(mPlayer.LoadMusic(5, "junk.ogg"));
    EXPECT_FALSE(mPlayer.LoadMusic(5, "junk.mod"));
    ASSERT_TRUE(mPlayer.LoadMusic(0, "short.ogg"));
    ASSERT_TRUE(mPlayer.LoadMusic(1, "silent.mp3"));
    mPlayer.PlayMusic(0, 0, true);
    mPlayer.PlayMusic(1, 0, true);
    mPlayer.PlayMusic(2, 0, true);
    RenderSong(mAudio, Engine(), Channel(0), 5 * 44100);
    for (int id = 0; id < 3; ++id)
        EXPECT_FALSE(mPlayer.IsPlaying(id)) << id;
}

TEST_F(MusicEngineTest, VolumeZeroSilencesMusicOnly)
{
    ASSERT_TRUE(MakeOgg(mDir.File("loop.ogg"), 2, 44100, 44100, 440));
    ASSERT_TRUE(mPlayer.LoadMusic(0, "loop.ogg"));
    mPlayer.PlayMusic(0, 0, false);
    RenderSong(mAudio, Engine(), Channel(0), 4096);
    mPlayer.SetVolume(0.0);
    auto quiet = RenderSong(mAudio, Engine(), Channel(0), 8192);
    EXPECT_EQ(Rms(quiet, 0, quiet.size()), 0.0);
    // An effect still plays.
    DSoundManager effects(mAudio.Get(), false);
    WriteFile(mDir.File("beep.wav"), Wave(1, 44100, 16, Pcm16(std::vector<int16_t>(44100, 10000))));
    ASSERT_TRUE(effects.LoadSoundToId(0, "beep"));
    SoundInstance* beep = effects.GetSoundInstance(0);
    ASSERT_NE(beep, nullptr);
    beep->Play(false, true);
    auto heard = RenderSong(mAudio, Engine(), Channel(0), 4096);
    EXPECT_GT(Rms(heard, 0, heard.size()), 3000.0);
    mPlayer.SetVolume(1.0);
    EXPECT_TRUE(mPlayer.IsPlaying(0));
}

TEST_F(MusicEngineTest, SongsFoundOnlyInTheArchivePlay)
{
    ASSERT_TRUE(MakeOgg(mDir.File("tone.ogg"), 1, 22050, 22050, 440));
    std::vector<uint8_t> pak;
    std::string error;
    ASSERT_TRUE(paktool::BuildPak({{"music\\song.mod", TrackerModule(2), 0},
                                   {"music\\tone.ogg", ReadFile(mDir.File("tone.ogg")), 0}},
                                  GetPakInterface()->mDecryptPassword, pak, error))
        << error;
    WriteFile(mDir.File("main.pak"), pak);
    std::filesystem::remove(mDir.File("tone.ogg"));
    ASSERT_TRUE(GetPakInterface()->AddPakFile(mDir.File("main.pak")));

    ScopedAppDataFolder data(mDir.File("data") + "/");
    FModMusicInterface fmod(mAudio.Get());
    struct Case {
        const char* what;
        MusicInterface& player;
        int id;
        std::function<bool()> load;
        std::function<uint32_t()> channel;
    };
    const Case cases[] = {
        {"module", mPlayer, 0, [&] { return mPlayer.LoadMusic(0, "music/song.mod"); }, [&] { return Channel(0); }},
        {"stream", mPlayer, 1, [&] { return mPlayer.LoadMusic(1, "MUSIC\\Tone.ogg"); }, [&] { return Channel(1); }},
        {"module of the second player", fmod, 0, [&] { return fmod.LoadMusic(0, "music/song.mod"); },
         [&] { return fmod.Songs().at(0).Channel(); }},
        {"sample song of the second player", fmod, 1, [&] { return fmod.LoadSampleMusic(1, "music/tone", false); },
         [&] { return fmod.Songs().at(1).Channel(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(c.load());
        c.player.PlayMusic(c.id, 0, false);
        auto out = RenderSong(mAudio, Engine(), c.channel(), 8192);
        EXPECT_GT(Rms(out, 0, out.size()), 1000.0);
        mPlayer.StopAllMusic();
        fmod.StopAllMusic();
    }
    // The sample song's cache went to the disk.
    EXPECT_TRUE(std::filesystem::exists(mDir.File("data/cached/music/tone.wav")));
}

TEST(MusicDisk, LoopingSongThroughTheDiskDriverIsNeverSilent)
{
    TempDir dir;
    CurrentDir cwd(dir.Path().string());
    const std::string capture = dir.File("mix.raw");
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv file("SDL_DISKAUDIOFILE", capture);
    ASSERT_TRUE(MakeOgg(dir.File("loop.ogg"), 2, 44100, 44100, 440));
    plat::AudioDevice* device = nullptr;
    ASSERT_TRUE(plat::Succeeded(plat::AudioDevice::Create(plat::AudioOutput::Device, "Tallowmere", &device)));
    auto captured = [&] {
        std::error_code ec;
        auto size = std::filesystem::file_size(capture, ec);
        return ec ? uintmax_t(0) : size;
    };
    uintmax_t start = 0;
    {
        BassMusicInterface player(nullptr, device);
        auto* engine = static_cast<plat::MusicEngine*>(player.Library());
        ASSERT_TRUE(player.LoadMusic(0, "loop.ogg"));
        player.PlayMusic(0, 0, false);
        engine->WaitDecoded(player.Songs().at(0).Channel(), 400, 30000);
        start = captured();
        // Three seconds of stereo 16-bit frames, and a little more.
        ASSERT_TRUE(WaitFor([&] { return captured() >= start + 3 * 44100 * 4 + 16384; }));
        EXPECT_TRUE(player.IsPlaying(0));
    }
    device->Release();

    std::vector<int16_t> mix = Samples16(ReadFile(capture));
    size_t from = size_t(start / 2);
    while (from < mix.size() && mix[from] == 0)
        ++from; // the song starts with the next callback
    ASSERT_LT(from + 3 * 44100 * 2, mix.size());
    for (size_t w = from; w + 4410 <= from + 3 * 44100 * 2; w += 4410)
        ASSERT_GT(Rms(mix, w, w + 4410), 3000.0) << "window at frame " << (w - from) / 2;
}
