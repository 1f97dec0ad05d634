// The sound manager on a memory-only audio device: ids by name, the 256 slots, the 32 channels
// and their clean-up, instances with volume, pan and pitch, the silent manager, and the mends
// (ids outside 0-255 refused, a failed load forgets its name, a failed duplicate plays nothing).
#include <gtest/gtest.h>

#include "platform/Audio.h"
#include "sound/DSoundInstance.h"
#include "sound/DSoundManager.h"
#include "tests/support/SoundFixtures.h"
#include "tests/support/TestSupport.h"

#include <atomic>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

using namespace Quor;
using quortest::MemoryAudio;

namespace {

class SoundManagerTest : public ::testing::Test {
protected:
    SoundManagerTest()
    {
        // 100 frames of a constant at 44100 Hz, and a 441 Hz tone of one second.
        quortest::WriteFile(Name("a") + ".wav", quortest::Wave(1, 44100, 16, quortest::Pcm16(std::vector<int16_t>(100, 8000))));
        quortest::WriteFile(Name("b") + ".wav", quortest::Wave(1, 22050, 8, {0x90, 0xA0}));
        std::vector<int16_t> tone;
        for (int i = 0; i < 44100; ++i)
            tone.push_back(int16_t(std::lround(12000 * std::sin(2 * 3.14159265358979323846 * 441 * i / 44100))));
        quortest::WriteFile(Name("tone") + ".wav", quortest::Wave(1, 44100, 16, quortest::Pcm16(tone)));
        mManager.SetTickSource([this] { return mNow; });
    }
    std::string Name(const std::string& base) const { return mDir.File(base); }
    DSoundInstance* Instance(int id) { return static_cast<DSoundInstance*>(mManager.GetSoundInstance(id)); }

    quortest::TempDir mDir;
    quortest::ScopedAppDataFolder mAppData{mDir.File("data")};
    MemoryAudio mAudio;
    DSoundManager mManager{mAudio.Get(), false};
    uint32_t mNow = 5000;
};

TEST_F(SoundManagerTest, IdsByName)
{
    EXPECT_TRUE(mManager.Initialized());
    EXPECT_EQ(mManager.LoadSound(Name("a")), 255);
    EXPECT_EQ(mManager.LoadSound(Name("b")), 254);
    EXPECT_EQ(mManager.GetSoundName(254), Name("b"));
    // A known name gives its id without reading a file.
    std::filesystem::remove(Name("a") + ".wav");
    EXPECT_EQ(mManager.LoadSound(Name("a")), 255);
    EXPECT_EQ(mManager.GetNumSounds(), 2);
    EXPECT_EQ(mManager.GetFreeSoundId(), 0);
    EXPECT_EQ(mManager.GetBufferSize(254), 2u);

    // Releasing forgets the name; releasing an empty id changes nothing.
    mManager.ReleaseSound(255);
    EXPECT_EQ(mManager.GetSoundName(255), "");
    EXPECT_EQ(mManager.LoadSound(Name("a")), -1);
    mManager.ReleaseSound(3);

    // Every id full: no new name loads.
    for (int id = 0; id < 256; ++id)
        ASSERT_TRUE(mManager.LoadSoundToId(id, Name("b")));
    EXPECT_EQ(mManager.GetFreeSoundId(), -1);
    EXPECT_EQ(mManager.GetNumSounds(), 256);
    quortest::WriteFile(Name("c") + ".wav", quortest::Wave(1, 22050, 8, {1}));
    EXPECT_EQ(mManager.LoadSound(Name("c")), -1);
    mManager.ReleaseSounds();
    EXPECT_EQ(mManager.GetNumSounds(), 0);
    EXPECT_EQ(mManager.GetSoundName(7), Name("b")); // names stay
}

TEST_F(SoundManagerTest, FailedLoadForgetsTheName)
{
    EXPECT_EQ(mManager.LoadSound(Name("late")), -1);
    EXPECT_EQ(mManager.GetSoundName(255), "");
    quortest::WriteFile(Name("late") + ".wav", quortest::Wave(1, 22050, 8, {1, 2}));
    EXPECT_EQ(mManager.LoadSound(Name("late")), 255);
    EXPECT_EQ(quortest::SoundBytes(mManager, 255), (std::vector<uint8_t>{1, 2}));
}

TEST_F(SoundManagerTest, IdsOutsideTheRangeAreRefused)
{
    for (int id : {-1, 256, -1000}) {
        SCOPED_TRACE(id);
        EXPECT_FALSE(mManager.LoadSoundToId(id, Name("a")));
        EXPECT_FALSE(mManager.SetBaseVolume(id, 0.5));
        EXPECT_FALSE(mManager.SetBasePan(id, 10));
        EXPECT_EQ(mManager.GetSoundInstance(id), nullptr);
        mManager.ReleaseSound(id);
    }
    EXPECT_EQ(mManager.GetNumSounds(), 0);
}

TEST_F(SoundManagerTest, ChannelsAreReusedOnceReleased)
{
    int id = mManager.LoadSound(Name("a"));
    std::vector<DSoundInstance*> live;
    for (int i = 0; i < 32; ++i) {
        live.push_back(Instance(id));
        ASSERT_NE(live.back(), nullptr);
    }
    EXPECT_EQ(mManager.GetSoundInstance(id), nullptr);

    // One plays out with auto-release: its channel is taken again.
    live[7]->Play(false, true);
    mAudio.Render(200);
    EXPECT_FALSE(live[7]->IsPlaying());
    EXPECT_NE(mManager.GetSoundInstance(id), nullptr);
    EXPECT_EQ(mManager.GetSoundInstance(id), nullptr);

    // Stopping everything keeps each auto-release flag, so stopped sounds are reclaimed.
    for (int i = 0; i < 5; ++i)
        live[i]->Play(true, true);
    mAudio.Render(300);
    EXPECT_TRUE(live[0]->IsPlaying());
    mManager.StopAllSounds();
    EXPECT_FALSE(live[0]->IsPlaying());
    EXPECT_TRUE(live[0]->GetAutoRelease());
    EXPECT_EQ(mAudio->PlayingCount(), 0u);
    mNow += 1001; // the clean-up frees all five at once
    for (int i = 0; i < 5; ++i)
        EXPECT_NE(mManager.GetSoundInstance(id), nullptr) << i;
    EXPECT_EQ(mManager.GetSoundInstance(id), nullptr);

    // Without a loaded sound there is no instance.
    mManager.ReleaseChannels();
    EXPECT_EQ(mManager.GetSoundInstance(3), nullptr);
}

TEST(SoundVolume, AttenuationOfAVolume)
{
    struct Case {
        double volume;
        int32_t attenuation;
    } cases[] = {{1.0, 0}, {0.5, -605}, {0.05, -1956}, {0.046, -1982}, {0.043, -10000}, {0.04, -10000}, {0.0, -10000},
                 {-1.0, -10000}, {NAN, -10000}, {2.0, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(DSoundManager::VolumeToAttenuation(c.volume), c.attenuation) << c.volume;
}

TEST_F(SoundManagerTest, InstanceVolumePanAndPitch)
{
    int id = mManager.LoadSound(Name("a"));
    ASSERT_TRUE(mManager.SetBaseVolume(id, 0.5));
    ASSERT_TRUE(mManager.SetBasePan(id, -300));
    DSoundInstance* s = Instance(id);
    ASSERT_NE(s, nullptr);
    int32_t value = 0;
    s->GetBuffer()->GetVolume(&value);
    EXPECT_EQ(value, -605);
    s->GetBuffer()->GetPan(&value);
    EXPECT_EQ(value, -300);
    s->SetBasePan(100);
    s->GetBuffer()->GetPan(&value);
    EXPECT_EQ(value, -200);

    // The effects volume applies to every instance at once: 0.5 x 0.1 = 0.05.
    mManager.SetVolume(0.1);
    s->GetBuffer()->GetVolume(&value);
    EXPECT_EQ(value, -1956);
    mManager.SetVolume(0.08);
    s->GetBuffer()->GetVolume(&value);
    EXPECT_EQ(value, -10000);
    mManager.SetVolume(1.0);
    s->SetBaseVolume(1.0);
    s->GetBuffer()->GetVolume(&value);
    EXPECT_EQ(value, -605);
    EXPECT_EQ(s->GetVolume(), 1.0);

    struct Pitch {
        double steps;
        uint32_t hz;
    } pitches[] = {{12, 88200}, {0, 44100}, {-12, 22049} /* the twelfth root's power falls just short */, {-100, 136}, {-120, 100}, {40, 100000}};
    for (const Pitch& p : pitches) {
        s->AdjustPitch(p.steps);
        uint32_t hz = 0;
        s->GetBuffer()->GetFrequency(&hz);
        EXPECT_EQ(hz, p.hz) << p.steps;
    }
}

TEST_F(SoundManagerTest, PlayedInstanceIsHeard)
{
    int id = mManager.LoadSound(Name("tone"));
    DSoundInstance* s = Instance(id);
    s->AdjustPitch(12);
    ASSERT_TRUE(s->Play(true, false));
    mAudio.Render(10);
    std::vector<int16_t> mix = mAudio.Render(44100);
    int crossings = 0;
    for (size_t i = 2; i < mix.size(); i += 2)
        crossings += mix[i - 2] < 0 && mix[i] >= 0;
    EXPECT_EQ(crossings, 882);

    // Stop rewinds: a new play starts at the first sample.
    s->Stop();
    EXPECT_EQ(mAudio.Render(1)[0], 0);
    uint32_t position = 1;
    s->GetBuffer()->GetCurrentPosition(&position, nullptr);
    EXPECT_EQ(position, 0u);
    EXPECT_FALSE(s->IsReleased());
    s->Release();
    EXPECT_TRUE(s->IsReleased());
}

TEST_F(SoundManagerTest, FailedDuplicatePlaysNothing)
{
    // A buffer of another device cannot be duplicated here.
    MemoryAudio other;
    DSoundManager foreign(other.Get(), false);
    plat::SoundBuffer* buffer = foreign.CreateSoundBuffer(1, 22050, 16, 4);
    ASSERT_TRUE(mManager.SetSoundBuffer(9, buffer, 4));
    DSoundInstance* s = Instance(9);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->GetBuffer(), nullptr);
    EXPECT_FALSE(s->Play(false, true));
    EXPECT_FALSE(s->IsPlaying());
    EXPECT_TRUE(s->IsReleased());
}

TEST(SilentSoundManager, AcceptsEverything)
{
    DSoundManager silent(static_cast<plat::AudioDevice*>(nullptr), false);
    EXPECT_FALSE(silent.Initialized());
    EXPECT_EQ(silent.LoadSound("anything"), 255);
    EXPECT_EQ(silent.LoadSound("something else"), 255);
    EXPECT_TRUE(silent.LoadSoundToId(4, "x"));
    EXPECT_EQ(silent.GetNumSounds(), 0);
    EXPECT_EQ(silent.GetFreeSoundId(), 0);
    SoundInstance* s = silent.GetSoundInstance(17);
    ASSERT_NE(s, nullptr);
    EXPECT_FALSE(s->Play(false, true));
    EXPECT_TRUE(s->IsReleased());
    silent.SetMasterVolume(0.5);
    EXPECT_NEAR(silent.GetMasterVolume(), 0.5, 1.0 / 65535);
    silent.StopAllSounds();

    // No window means no sound is wanted: silent as well.
    DSoundManager windowless(static_cast<void*>(nullptr), false);
    EXPECT_FALSE(windowless.Initialized());

    // A window but no audio device to open: silent, and the program goes on.
    quortest::ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    int window = 0;
    DSoundManager deviceless(&window, false, "Tallowmere");
    EXPECT_FALSE(deviceless.Initialized());
    EXPECT_EQ(deviceless.LoadSound("anything"), 255);
    SoundInstance* played = deviceless.GetSoundInstance(255);
    ASSERT_NE(played, nullptr);
    EXPECT_FALSE(played->Play(false, true));
}

TEST_F(SoundManagerTest, MasterVolumeIsTheProgramsOwn)
{
    int id = mManager.LoadSound(Name("a"));
    mManager.SetMasterVolume(0.5);
    EXPECT_NEAR(mManager.GetMasterVolume(), 0.5, 1.0 / 65535);
    EXPECT_NEAR(mAudio->GetMasterVolume(), 0.5, 1.0 / 65535);
    Instance(id)->Play(false, true);
    EXPECT_NEAR(mAudio.Render(1)[0], 4000, 1);
    mManager.SetMasterVolume(7.0);
    EXPECT_EQ(mManager.GetMasterVolume(), 1.0);
}

TEST_F(SoundManagerTest, LoadingThreadBesidePlaying)
{
    int id = mManager.LoadSound(Name("a"));
    std::atomic<bool> done{false};
    std::thread loader([&] {
        for (int round = 0; round < 20; ++round)
            for (int i = 0; i < 50; ++i)
                mManager.LoadSoundToId(mManager.GetFreeSoundId() < 0 ? i : mManager.GetFreeSoundId(), Name("b"));
        done = true;
    });
    int played = 0;
    while (!done) {
        if (SoundInstance* s = mManager.GetSoundInstance(id)) {
            s->Play(false, true);
            ++played;
        }
        mAudio.Render(64);
        mNow += 7;
    }
    loader.join();
    EXPECT_GT(played, 0);
    EXPECT_EQ(quortest::SoundBytes(mManager, id).size(), 200u);
}

} // namespace
