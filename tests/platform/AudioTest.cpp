// The audio layer's buffers and mixer, heard exactly by rendering into memory (gain, pan,
// resampling, loops, stop and position, duplicates, master gain, streams, saturation), then
// through SDL's dummy device and through its disk device, whose captured file must hold the
// played sound between silences.
#include <gtest/gtest.h>

#include "platform/Audio.h"
#include "tests/support/SoundFixtures.h"
#include "tests/support/TestSupport.h"

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using namespace plat;
using quortest::MemoryAudio;

namespace {

// A buffer holding the given bytes.
SoundBuffer* MakeBuffer(AudioDevice* device, int channels, int rate, int bits, const std::vector<uint8_t>& bytes)
{
    WaveFormat format = MakeWaveFormat(channels, rate, bits);
    SoundBufferDesc desc;
    desc.flags = 0x80EA;
    desc.bufferBytes = uint32_t(bytes.size());
    desc.format = &format;
    SoundBuffer* buffer = nullptr;
    if (Failed(device->CreateSoundBuffer(desc, &buffer)))
        return nullptr;
    void* data = nullptr;
    uint32_t n = 0;
    EXPECT_TRUE(Succeeded(buffer->Lock(0, desc.bufferBytes, &data, &n, nullptr, nullptr, 0)));
    std::copy(bytes.begin(), bytes.end(), static_cast<uint8_t*>(data));
    EXPECT_TRUE(Succeeded(buffer->Unlock(data, n, nullptr, 0)));
    return buffer;
}

SoundBuffer* Constant(AudioDevice* device, int16_t value, int frames, int rate = 44100)
{
    return MakeBuffer(device, 1, rate, 16, quortest::Pcm16(std::vector<int16_t>(frames, value)));
}

// Sign changes from negative to non-negative in one channel of a rendered block.
int RisingCrossings(const std::vector<int16_t>& mix)
{
    int count = 0;
    for (size_t i = 2; i < mix.size(); i += 2) {
        if (mix[i - 2] < 0 && mix[i] >= 0)
            ++count;
    }
    return count;
}

std::vector<int16_t> Sine(double hz, int rate, int frames, double amplitude)
{
    std::vector<int16_t> out;
    for (int i = 0; i < frames; ++i)
        out.push_back(int16_t(std::lround(amplitude * std::sin(2 * 3.14159265358979323846 * hz * i / rate))));
    return out;
}

TEST(AudioMixer, VolumeAndPanGains)
{
    struct Case {
        int32_t volume;
        int32_t pan;
        int16_t left;
        int16_t right;
    } cases[] = {
        {0, 0, 16000, 16000},        {-600, 0, 8019, 8019},      {-2000, 0, 1600, 1600},
        {-6000, 0, 16, 16},          {-10000, 0, 0, 0},          {0, 600, 8019, 16000},
        {0, -2000, 16000, 1600},     {0, 10000, 0, 16000},       {0, -10000, 16000, 0},
        {-2000, 2000, 160, 1600},
    };
    MemoryAudio audio;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.volume) + " / " + std::to_string(c.pan));
        SoundBuffer* b = Constant(audio.Get(), 16000, 64);
        ASSERT_NE(b, nullptr);
        ASSERT_TRUE(Succeeded(b->SetVolume(c.volume)));
        ASSERT_TRUE(Succeeded(b->SetPan(c.pan)));
        ASSERT_TRUE(Succeeded(b->Play(0, 0, 0)));
        std::vector<int16_t> mix = audio.Render(4);
        EXPECT_EQ(mix[0], c.left);
        EXPECT_EQ(mix[1], c.right);
        b->Release();
    }
    EXPECT_EQ(VolumeToGain(-10001), 0.0);
    EXPECT_EQ(VolumeToGain(0), 1.0);
}

TEST(AudioMixer, SampleFormatsAndChannels)
{
    MemoryAudio audio;
    // 8-bit samples are unsigned around 128; stereo keeps its channels.
    SoundBuffer* eight = MakeBuffer(audio.Get(), 1, 44100, 8, {0xC0, 0x40, 0x80});
    SoundBuffer* stereo = MakeBuffer(audio.Get(), 2, 44100, 16, quortest::Pcm16({1000, -2000, 3000, -4000}));
    SoundBuffer* stereo8 = MakeBuffer(audio.Get(), 2, 44100, 8, {0x81, 0x7F});
    ASSERT_TRUE(eight && stereo && stereo8);
    eight->Play(0, 0, 0);
    std::vector<int16_t> mix = audio.Render(3);
    EXPECT_EQ(mix, (std::vector<int16_t>{16384, 16384, -16384, -16384, 0, 0}));
    stereo->Play(0, 0, 0);
    stereo8->Play(0, 0, 0);
    mix = audio.Render(3);
    EXPECT_EQ(mix, (std::vector<int16_t>{1000 + 256, -2000 - 256, 3000, -4000, 0, 0}));
    for (SoundBuffer* b : {eight, stereo, stereo8})
        b->Release();
}

TEST(AudioMixer, ResamplesByLinearInterpolation)
{
    MemoryAudio audio;
    // Half the output rate: every second output frame lies half-way between two samples; the
    // last sample of a buffer that stops is held, not blended with silence.
    SoundBuffer* half = MakeBuffer(audio.Get(), 1, 22050, 16, quortest::Pcm16({0, 1000, 3000}));
    half->Play(0, 0, 0);
    std::vector<int16_t> mix = audio.Render(8);
    std::vector<int16_t> left;
    for (size_t i = 0; i < mix.size(); i += 2)
        left.push_back(mix[i]);
    EXPECT_EQ(left, (std::vector<int16_t>{0, 500, 1000, 2000, 3000, 3000, 0, 0}));
    // The same in blocks that start half-way between two samples.
    half->Play(0, 0, 0);
    left.clear();
    for (uint32_t block : {1u, 3u, 4u}) {
        mix = audio.Render(block);
        for (size_t i = 0; i < mix.size(); i += 2)
            left.push_back(mix[i]);
    }
    EXPECT_EQ(left, (std::vector<int16_t>{0, 500, 1000, 2000, 3000, 3000, 0, 0}));
    half->Release();

    // A 441 Hz tone played at twice its rate measures 882 Hz; at 44100 / 4 it measures 110.25.
    SoundBuffer* tone = MakeBuffer(audio.Get(), 1, 44100, 16, quortest::Pcm16(Sine(441, 44100, 44100, 12000)));
    ASSERT_TRUE(Succeeded(tone->SetFrequency(88200)));
    tone->Play(0, 0, kPlayLooping);
    audio.Render(10); // the window starts inside a cycle
    EXPECT_EQ(RisingCrossings(audio.Render(44100)), 882);
    ASSERT_TRUE(Succeeded(tone->SetFrequency(11025)));
    tone->Stop();
    tone->SetCurrentPosition(0);
    tone->Play(0, 0, kPlayLooping);
    EXPECT_NEAR(RisingCrossings(audio.Render(44100 * 4)), 441, 1);
    tone->Release();
}

TEST(AudioMixer, LoopsSeamlesslyAndStopsAtTheEnd)
{
    MemoryAudio audio;
    std::vector<int16_t> ramp;
    for (int i = 0; i < 100; ++i)
        ramp.push_back(int16_t(i * 100));
    SoundBuffer* loop = MakeBuffer(audio.Get(), 1, 44100, 16, quortest::Pcm16(ramp));
    SoundBuffer* once = MakeBuffer(audio.Get(), 1, 44100, 16, quortest::Pcm16(ramp));
    loop->Play(0, 0, kPlayLooping);
    // Blocks that do not line up with the loop's length.
    std::vector<int16_t> mix;
    for (uint32_t block : {37u, 100u, 113u}) {
        std::vector<int16_t> part = audio.Render(block);
        mix.insert(mix.end(), part.begin(), part.end());
    }
    for (size_t i = 0; i < 250; ++i)
        ASSERT_EQ(mix[2 * i], int16_t((i % 100) * 100)) << i;
    uint32_t status = 0;
    loop->GetStatus(&status);
    EXPECT_EQ(status, kStatusPlaying | kStatusLooping);
    loop->Stop();

    once->Play(0, 0, 0);
    mix = audio.Render(150);
    EXPECT_EQ(mix[2 * 99], 9900);
    EXPECT_EQ(mix[2 * 100], 0);
    once->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    uint32_t play = 1;
    once->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(audio->PlayingCount(), 0u);

    // Stop keeps the position, a set position rewinds, Play goes on from where it stands.
    once->Play(0, 0, 0);
    audio.Render(10);
    once->Stop();
    once->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 20u);
    EXPECT_EQ(audio.Render(1)[0], 0);
    once->Play(0, 0, 0);
    EXPECT_EQ(audio.Render(1)[0], 1000);
    once->Stop();
    once->SetCurrentPosition(0);
    once->Play(0, 0, 0);
    EXPECT_EQ(audio.Render(1)[0], 0);
    EXPECT_EQ(audio.Render(1)[0], 100);
    loop->Release();
    once->Release();
}

TEST(AudioMixer, DuplicatesShareSamplesButNotState)
{
    MemoryAudio audio;
    SoundBuffer* source = Constant(audio.Get(), 1000, 50);
    SoundBuffer* copy = nullptr;
    ASSERT_TRUE(Succeeded(audio->DuplicateSoundBuffer(source, &copy)));
    uint32_t hz = 0;
    copy->GetFrequency(&hz);
    EXPECT_EQ(hz, 44100u);

    // A write to the source while the duplicate plays goes to a copy of the samples.
    copy->SetVolume(-2000);
    copy->Play(0, 0, kPlayLooping);
    void* data = nullptr;
    uint32_t n = 0;
    ASSERT_TRUE(Succeeded(source->Lock(0, 100, &data, &n, nullptr, nullptr, 0)));
    std::fill_n(static_cast<int16_t*>(data), 50, int16_t(5000));
    EXPECT_EQ(audio.Render(1)[0], 100);
    ASSERT_TRUE(Succeeded(source->Unlock(data, n, nullptr, 0)));
    source->Play(0, 0, 0);
    EXPECT_EQ(audio.Render(1)[0], 5000 + 100);

    // The duplicate outlives its source.
    source->Release();
    EXPECT_EQ(audio.Render(1)[0], 100);
    copy->Release();
    EXPECT_EQ(audio->PlayingCount(), 0u);
}

class Tone : public AudioStream {
public:
    void Mix(float* left, float* right, uint32_t frames) override
    {
        for (uint32_t i = 0; i < frames; ++i) {
            left[i] += 100.0f;
            right[i] += 200.0f;
        }
    }
};

TEST(AudioMixer, MasterGainStreamsAndSaturation)
{
    MemoryAudio audio;
    SoundBuffer* a = Constant(audio.Get(), 30000, 64);
    SoundBuffer* b = Constant(audio.Get(), 30000, 64);
    a->Play(0, 0, kPlayLooping);
    b->Play(0, 0, kPlayLooping);
    EXPECT_EQ(audio.Render(1)[0], 32767);
    audio->SetMasterVolume(0.25);
    EXPECT_EQ(audio->GetMasterVolume(), 0.25);
    EXPECT_EQ(audio.Render(1)[0], 15000);
    b->Stop();

    Tone stream;
    audio->AddStream(&stream);
    std::vector<int16_t> mixed = audio.Render(1);
    EXPECT_EQ(mixed[0], 7525);
    EXPECT_EQ(mixed[1], 7550);
    audio->RemoveStream(&stream);
    EXPECT_EQ(audio.Render(1)[1], 7500);
    a->Release();
    b->Release();
}

TEST(AudioMixer, RefusesWhatItCannotPlay)
{
    MemoryAudio audio;
    struct Case {
        int channels, rate, bits;
        uint32_t bytes;
    } refused[] = {{3, 22050, 16, 12}, {1, 22050, 24, 12}, {1, 99, 16, 12}, {1, 100001, 16, 12},
                   {2, 22050, 16, 2},  {1, 22050, 16, 0}};
    for (const Case& c : refused) {
        WaveFormat format = MakeWaveFormat(c.channels, c.rate, c.bits);
        SoundBufferDesc desc;
        desc.bufferBytes = c.bytes;
        desc.format = &format;
        SoundBuffer* buffer = nullptr;
        EXPECT_TRUE(Failed(audio->CreateSoundBuffer(desc, &buffer))) << c.channels << " " << c.rate << " " << c.bits;
        EXPECT_EQ(buffer, nullptr);
    }
    SoundBuffer* b = Constant(audio.Get(), 1, 8);
    EXPECT_TRUE(Failed(b->SetVolume(1)));
    EXPECT_TRUE(Failed(b->SetVolume(-10001)));
    EXPECT_TRUE(Failed(b->SetPan(10001)));
    EXPECT_TRUE(Failed(b->SetFrequency(99)));
    EXPECT_TRUE(Failed(b->SetFrequency(100001)));
    EXPECT_TRUE(Succeeded(b->SetFrequency(100000)));
    void* data = nullptr;
    uint32_t n = 0;
    EXPECT_TRUE(Failed(b->Lock(10, 8, &data, &n, nullptr, nullptr, 0)));
    b->Release();

    // The primary buffer needs the priority level; its format is the mix's.
    SoundBufferDesc primaryDesc;
    primaryDesc.flags = kSoundCapsPrimary;
    SoundBuffer* primary = nullptr;
    EXPECT_TRUE(Failed(audio->CreateSoundBuffer(primaryDesc, &primary)));
    ASSERT_TRUE(Succeeded(audio->SetCooperativeLevel(0, kSoundCoopPriority)));
    ASSERT_TRUE(Succeeded(audio->CreateSoundBuffer(primaryDesc, &primary)));
    EXPECT_TRUE(Succeeded(primary->SetFormat(MakeWaveFormat(2, 44100, 16))));
    EXPECT_TRUE(Failed(audio->DuplicateSoundBuffer(primary, &b)));
    primary->Release();
}

using quortest::WaitFor;

bool IsPlaying(SoundBuffer* buffer)
{
    uint32_t status = 0;
    buffer->GetStatus(&status);
    return (status & kStatusPlaying) != 0;
}

TEST(AudioDevice, PlaysThroughTheDummyDevice)
{
    AudioDevice* device = nullptr;
    ASSERT_TRUE(Succeeded(AudioDevice::Create(AudioOutput::Device, "Tallowmere", &device)));
    SoundBuffer* b = Constant(device, 1000, 2205);
    b->Play(0, 0, 0);
    // Only the device's callback can end the sound.
    EXPECT_TRUE(WaitFor([&] { return !IsPlaying(b); }));
    b->Release();
    device->Release();
}

TEST(AudioDevice, DiskDeviceCapturesTheSound)
{
    quortest::TempDir dir;
    std::string capture = dir.File("mix.raw");
    quortest::ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    quortest::ScopedEnv file("SDL_DISKAUDIOFILE", capture);
    AudioDevice* device = nullptr;
    ASSERT_TRUE(Succeeded(AudioDevice::Create(AudioOutput::Device, "Tallowmere", &device)));
    auto captured = [&] {
        std::error_code ec;
        auto size = std::filesystem::file_size(capture, ec);
        return ec ? uintmax_t(0) : size;
    };
    const uintmax_t kBlock = 4096 * 4; // bytes of 4096 stereo frames
    ASSERT_TRUE(WaitFor([&] { return captured() >= kBlock; }));

    // 0.1 s at three quarters of the volume on the right only (pan: left down 20 dB).
    SoundBuffer* b = Constant(device, 12000, 4410);
    b->SetVolume(-250);
    b->SetPan(2000);
    b->Play(0, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsPlaying(b); }));
    uintmax_t after = captured();
    ASSERT_TRUE(WaitFor([&] { return captured() >= after + 2 * kBlock; }));
    b->Release();
    device->Release();

    std::vector<int16_t> mix = quortest::Samples16(quortest::ReadFile(capture));
    size_t first = mix.size();
    size_t last = 0;
    for (size_t i = 0; i < mix.size(); i += 2) {
        if (mix[i] != 0 || mix[i + 1] != 0) {
            first = std::min(first, i / 2);
            last = i / 2;
        }
    }
    ASSERT_LT(first, mix.size());
    EXPECT_GE(first, 4096u);                  // silence before
    EXPECT_EQ(last - first + 1, 4410u);       // the sound's whole length
    EXPECT_GE(mix.size() / 2 - last, 4096u);  // silence after
    const int16_t right = int16_t(std::lround(12000 * std::pow(10.0, -250 / 2000.0)));
    const int16_t left = int16_t(std::lround(12000 * std::pow(10.0, -2250 / 2000.0)));
    for (size_t f = first; f <= last; ++f) {
        ASSERT_NEAR(mix[2 * f], left, 1) << f;
        ASSERT_NEAR(mix[2 * f + 1], right, 1) << f;
    }
}

} // namespace
