// The store of decoded sounds: ids, the WAV reader's accepted and refused files, the Ogg Vorbis
// and AU decoders, and the order in which a sound's file forms are tried.
#include <gtest/gtest.h>

#include "sound/SoundStore.h"
#include "tests/support/TestSupport.h"

#include <cstdint>
#include <string>
#include <vector>

using namespace Quor;

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        out.push_back(uint8_t(v >> (8 * i)));
}

void PutBE32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 3; i >= 0; i--)
        out.push_back(uint8_t(v >> (8 * i)));
}

void Chunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body)
{
    out.insert(out.end(), id, id + 4);
    Put32(out, uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

std::vector<uint8_t> Fmt(int tag, int channels, int rate, int bits)
{
    std::vector<uint8_t> b;
    Put16(b, tag);
    Put16(b, channels);
    Put32(b, rate);
    Put32(b, rate * channels * bits / 8);
    Put16(b, channels * bits / 8);
    Put16(b, bits);
    return b;
}

std::vector<uint8_t> Riff(const std::vector<uint8_t>& chunks)
{
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    Put32(out, uint32_t(chunks.size() + 4));
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
}

const std::vector<uint8_t> kSamples = {1, 2, 3, 4, 5, 6, 7, 8};

struct WaveCase {
    const char* name;
    std::vector<uint8_t> bytes;
    bool loads;
    std::vector<uint8_t> pcm;
};

std::vector<WaveCase> WaveCases()
{
    std::vector<WaveCase> cases;
    {
        std::vector<uint8_t> c;
        Chunk(c, "fmt ", Fmt(1, 2, 44100, 16));
        Chunk(c, "data", kSamples);
        cases.push_back({"plain stereo", Riff(c), true, kSamples});
    }
    {
        // An odd-sized unknown chunk before the format, and a scrambling key.
        std::vector<uint8_t> c;
        Chunk(c, "LIST", {9, 9, 9});
        Chunk(c, "fmt ", Fmt(1, 1, 22050, 8));
        Chunk(c, "xor ", {0xFF});
        Chunk(c, "data", kSamples);
        std::vector<uint8_t> pcm;
        for (uint8_t b : kSamples)
            pcm.push_back(uint8_t(b ^ 0xFF));
        cases.push_back({"skipped chunk and key", Riff(c), true, pcm});
    }
    {
        std::vector<uint8_t> c;
        Chunk(c, "data", kSamples);
        cases.push_back({"no format: 22050 Hz mono 16 bits", Riff(c), true, kSamples});
    }
    {
        std::vector<uint8_t> c;
        Chunk(c, "fmt ", Fmt(3, 1, 22050, 32));
        Chunk(c, "data", kSamples);
        cases.push_back({"float format", Riff(c), false, {}});
    }
    {
        std::vector<uint8_t> c;
        Chunk(c, "fmt ", Fmt(1, 1, 22050, 16));
        cases.push_back({"no data chunk", Riff(c), false, {}});
    }
    {
        std::vector<uint8_t> c;
        Chunk(c, "fmt ", Fmt(1, 1, 22050, 16));
        c.insert(c.end(), {'d', 'a', 't', 'a'});
        Put32(c, 1000000);  // more than the file holds
        c.insert(c.end(), kSamples.begin(), kSamples.end());
        cases.push_back({"data longer than the file", Riff(c), false, {}});
    }
    {
        std::vector<uint8_t> c;
        Chunk(c, "fmt ", Fmt(1, 6, 22050, 16));
        Chunk(c, "data", kSamples);
        cases.push_back({"six channels", Riff(c), false, {}});
    }
    {
        std::vector<uint8_t> c;
        c.insert(c.end(), {'J', 'U', 'N', 'K'});
        Put32(c, 0x7FFFFFF0);  // a chunk size that runs far past the end
        cases.push_back({"chunk past the end", Riff(c), false, {}});
    }
    cases.push_back({"not RIFF", {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, false, {}});
    cases.push_back({"empty", {}, false, {}});
    return cases;
}

TEST(SoundStoreTest, WaveReaderAcceptsAndRefuses)
{
    quortest::TempDir dir;
    for (const WaveCase& c : WaveCases()) {
        SCOPED_TRACE(c.name);
        std::string path = dir.File("s.wav");
        quortest::WriteFile(path, c.bytes);
        SoundData data;
        ASSERT_EQ(SoundStore::ReadWaveFile(path, data), c.loads);
        if (c.loads) {
            EXPECT_EQ(data.mPCM, c.pcm);
        }
    }
}

TEST(SoundStoreTest, WaveFormatIsKept)
{
    quortest::TempDir dir;
    std::vector<uint8_t> c;
    Chunk(c, "fmt ", Fmt(1, 2, 11025, 8));
    Chunk(c, "data", kSamples);
    quortest::WriteFile(dir.File("s.wav"), Riff(c));
    SoundData data;
    ASSERT_TRUE(SoundStore::ReadWaveFile(dir.File("s.wav"), data));
    EXPECT_EQ(data.mChannels, 2);
    EXPECT_EQ(data.mSamplesPerSec, 11025);
    EXPECT_EQ(data.mBitsPerSample, 8);
}

TEST(SoundStoreTest, OggDecodesEveryFrame)
{
    // Mono, 16 bits, 22050 Hz, 22050 frames.
    SoundData data;
    ASSERT_TRUE(SoundStore::DecodeOgg(quortest::DataFile("sounds/tone.ogg"), data));
    EXPECT_EQ(data.mChannels, 1);
    EXPECT_EQ(data.mSamplesPerSec, 22050);
    EXPECT_EQ(data.mBitsPerSample, 16);
    EXPECT_EQ(data.mPCM.size(), 44100u);

    // A file cut short stops decoding before the end: not loaded.
    quortest::TempDir dir;
    std::vector<uint8_t> bytes = quortest::ReadFile(quortest::DataFile("sounds/tone.ogg"));
    bytes.resize(bytes.size() * 2 / 3);
    quortest::WriteFile(dir.File("cut.ogg"), bytes);
    EXPECT_FALSE(SoundStore::DecodeOgg(dir.File("cut.ogg"), data));
    quortest::WriteFile(dir.File("junk.ogg"), std::string("OggS but nothing more"));
    EXPECT_FALSE(SoundStore::DecodeOgg(dir.File("junk.ogg"), data));
}

std::vector<uint8_t> Au(uint32_t encoding, const std::vector<uint8_t>& samples, uint32_t size)
{
    std::vector<uint8_t> out = {'.', 's', 'n', 'd'};
    PutBE32(out, 24);
    PutBE32(out, size);
    PutBE32(out, encoding);
    PutBE32(out, 8000);
    PutBE32(out, 1);
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

TEST(SoundStoreTest, AuDecodesMuLawAndLinearOnly)
{
    quortest::TempDir dir;
    SoundData data;

    quortest::WriteFile(dir.File("m.au"), Au(1, {0xFF, 0x7F, 0x81, 0x01, 0x80, 0x00}, 6));
    ASSERT_TRUE(SoundStore::DecodeAu(dir.File("m.au"), data));
    EXPECT_EQ(data.mBitsPerSample, 16);
    ASSERT_EQ(data.mPCM.size(), 12u);
    std::vector<int16_t> samples;
    for (size_t i = 0; i < 12; i += 2)
        samples.push_back(int16_t(data.mPCM[i] | (data.mPCM[i + 1] << 8)));
    EXPECT_EQ(samples, (std::vector<int16_t>{0, 0, 30592, -30592, 31616, -31616}));

    quortest::WriteFile(dir.File("l.au"), Au(2, {1, 2, 3}, 3));
    ASSERT_TRUE(SoundStore::DecodeAu(dir.File("l.au"), data));
    EXPECT_EQ(data.mBitsPerSample, 8);
    EXPECT_EQ(data.mPCM, (std::vector<uint8_t>{1, 2, 3}));

    quortest::WriteFile(dir.File("p.au"), Au(3, {1, 2, 3, 4}, 4));
    EXPECT_FALSE(SoundStore::DecodeAu(dir.File("p.au"), data));
    quortest::WriteFile(dir.File("t.au"), Au(2, {1, 2, 3}, 0xFFFFFFFF));
    EXPECT_FALSE(SoundStore::DecodeAu(dir.File("t.au"), data));
}

TEST(SoundStoreTest, IdsFormsAndRelease)
{
    quortest::TempDir dir;
    std::vector<uint8_t> c;
    Chunk(c, "fmt ", Fmt(1, 1, 22050, 16));
    Chunk(c, "data", kSamples);
    quortest::WriteFile(dir.File("both.wav"), Riff(c));
    quortest::WriteFile(dir.File("both.au"), Au(2, {1}, 1));
    quortest::WriteFile(dir.File("au.au"), Au(2, {1, 2, 3}, 3));
    quortest::WriteFile(dir.File("tone.ogg"), quortest::ReadFile(quortest::DataFile("sounds/tone.ogg")));

    SoundStore store;
    EXPECT_EQ(store.GetFreeSoundId(), 0);
    ASSERT_TRUE(store.LoadSoundToId(0, dir.File("both")));
    EXPECT_EQ(store.GetSound(0)->mPCM, kSamples);  // the WAV form comes first
    ASSERT_TRUE(store.LoadSoundToId(1, dir.File("tone")));
    EXPECT_EQ(store.GetSound(1)->mPCM.size(), 44100u);
    ASSERT_TRUE(store.LoadSoundToId(5, dir.File("au")));
    EXPECT_EQ(store.GetSound(5)->mPCM.size(), 3u);
    EXPECT_EQ(store.GetSoundName(5), dir.File("au"));
    EXPECT_EQ(store.GetNumSounds(), 3);
    EXPECT_EQ(store.GetFreeSoundId(), 2);

    EXPECT_FALSE(store.LoadSoundToId(2, dir.File("missing")));
    EXPECT_EQ(store.GetSound(2), nullptr);
    EXPECT_FALSE(store.LoadSoundToId(256, dir.File("both")));
    EXPECT_FALSE(store.LoadSoundToId(-1, dir.File("both")));

    // Loading over an id replaces its sound; a failed load leaves it empty.
    EXPECT_FALSE(store.LoadSoundToId(1, dir.File("missing")));
    EXPECT_EQ(store.GetSound(1), nullptr);
    EXPECT_EQ(store.GetFreeSoundId(), 1);

    EXPECT_TRUE(store.SetBaseVolume(5, 0.25));
    EXPECT_TRUE(store.SetBasePan(5, -300));
    EXPECT_FALSE(store.SetBaseVolume(256, 0.5));
    EXPECT_FALSE(store.SetBasePan(-1, 1));
    EXPECT_EQ(store.GetBaseVolume(5), 0.25);
    EXPECT_EQ(store.GetBasePan(5), -300);

    store.ReleaseSound(0);
    store.ReleaseSound(300);  // ignored
    EXPECT_EQ(store.GetSound(0), nullptr);
    EXPECT_EQ(store.GetSoundName(0), "");
    EXPECT_EQ(store.GetNumSounds(), 1);
    EXPECT_EQ(store.GetFreeSoundId(), 0);

    for (int id = 0; id < SoundStore::MAX_SOURCE_SOUNDS; id++)
        ASSERT_TRUE(store.LoadSoundToId(id, dir.File("au")));
    EXPECT_EQ(store.GetFreeSoundId(), -1);
    EXPECT_EQ(store.GetNumSounds(), 256);
}

} // namespace
