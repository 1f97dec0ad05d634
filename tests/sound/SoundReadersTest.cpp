// The sound file readers: the WAV reader's accepted and refused files, the sound cache (layout,
// staleness, reuse), the Ogg Vorbis, AU and MP3 decoders, and the order in which a sound's
// file forms are tried.
#include <gtest/gtest.h>

#include "platform/Files.h"
#include "resources/PakInterface.h"
#include "sound/DSoundManager.h"
#include "sound/SoundDecoders.h"
#include "sound/WaveFile.h"
#include "tests/support/SoundFixtures.h"
#include "tests/support/TestSupport.h"
#include "tools/pak/PakFormat.h"

#include <sys/stat.h>
#include <utime.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace Quor;
using namespace quortest;

namespace {

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
    cases.push_back({"plain stereo", Wave(2, 44100, 16, kSamples), true, kSamples});
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
        // A source name cut at 255 bytes: the time is read from the name, so the file is stale.
        std::vector<uint8_t> dep;
        Put16(dep, 300);
        dep.insert(dep.end(), 300, 'n');
        Put32(dep, 0);
        Put32(dep, 0);
        std::vector<uint8_t> c;
        Chunk(c, "fmt ", Fmt(1, 1, 22050, 16));
        Chunk(c, "dep ", dep);
        Chunk(c, "data", kSamples);
        cases.push_back({"source name over 255 bytes", Riff(c), false, {}});
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
        Put32(c, 1000000); // more than the file holds
        c.insert(c.end(), kSamples.begin(), kSamples.end());
        cases.push_back({"data longer than the file", Riff(c), false, {}});
    }
    cases.push_back({"six channels", Wave(6, 22050, 16, kSamples), false, {}});
    cases.push_back({"24 bits", Wave(1, 22050, 24, {1, 2, 3, 4, 5, 6}), false, {}});
    cases.push_back({"4 bits", Wave(1, 22050, 4, kSamples), false, {}});
    cases.push_back({"rate 50 Hz", Wave(1, 50, 16, kSamples), false, {}});
    {
        std::vector<uint8_t> c;
        c.insert(c.end(), {'J', 'U', 'N', 'K'});
        Put32(c, 0x7FFFFFF0); // a chunk size that runs far past the end
        cases.push_back({"chunk past the end", Riff(c), false, {}});
    }
    cases.push_back({"not RIFF", {'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}, false, {}});
    cases.push_back({"empty", {}, false, {}});
    return cases;
}

class SoundReadersTest : public ::testing::Test {
protected:
    TempDir mDir;
    ScopedAppDataFolder mAppData{mDir.File("appdata")};
    MemoryAudio mAudio;
    DSoundManager mManager{mAudio.Get(), false};
    DSoundManager mFmodManager{mAudio.Get(), true};
};

TEST_F(SoundReadersTest, WaveReaderAcceptsAndRefuses)
{
    for (const WaveCase& c : WaveCases()) {
        SCOPED_TRACE(c.name);
        std::string path = mDir.File("s.wav");
        WriteFile(path, c.bytes);
        mManager.ReleaseSound(0);
        ASSERT_EQ(ReadWaveFile(mManager, 0, path), c.loads);
        EXPECT_EQ(SoundBytes(mManager, 0), c.pcm); // a refused file leaves the id empty
        if (c.loads) {
            EXPECT_EQ(mManager.GetBufferSize(0), c.pcm.size());
        }
    }
    WriteFile(mDir.File("f.wav"), Wave(2, 11025, 8, kSamples));
    ASSERT_TRUE(ReadWaveFile(mManager, 3, mDir.File("f.wav")));
    plat::WaveFormat format = SoundFormat(mManager, 3);
    EXPECT_EQ(format.channels, 2);
    EXPECT_EQ(format.samplesPerSec, 11025u);
    EXPECT_EQ(format.bitsPerSample, 8);
}

// The sample bytes of a cache file, unscrambled.
std::vector<uint8_t> CachedSamples(const std::vector<uint8_t>& file, size_t nameLength)
{
    size_t start = 71 + nameLength;
    uint8_t key = file[62 + nameLength];
    std::vector<uint8_t> out(file.begin() + long(start), file.end());
    for (uint8_t& b : out)
        b ^= key;
    return out;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

TEST_F(SoundReadersTest, CacheFileLayout)
{
    // A 10-byte source name that is not on disk, and 1000 bytes of samples.
    std::vector<uint8_t> pcm;
    for (int i = 0; i < 1000; ++i)
        pcm.push_back(uint8_t(i * 7));
    WriteFile(mDir.File("s.wav"), Wave(2, 22050, 16, pcm));
    ASSERT_TRUE(ReadWaveFile(mManager, 5, mDir.File("s.wav")));
    std::string cache = mDir.File("c.wav");
    ASSERT_TRUE(WriteCachedWave(mManager, cache, 5, "abcdef.ogg"));
    std::vector<uint8_t> file = ReadFile(cache);
    ASSERT_EQ(file.size(), 1081u);
    EXPECT_EQ(Le32(file, 4), 1073u);
    EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "dep ");
    EXPECT_EQ(std::string(file.begin() + 46, file.begin() + 56), "abcdef.ogg");
    EXPECT_EQ(Le32(file, 56), 0u); // no such file on disk: time 0
    EXPECT_EQ(Le32(file, 60), 0u);
    EXPECT_NE(file[72], 0);        // a real key
    EXPECT_EQ(Le32(file, 77), 1000u);
    EXPECT_EQ(CachedSamples(file, 10), pcm);
    // The loaded sound is unchanged, and the file reads back to it (time 0 stays valid).
    EXPECT_EQ(SoundBytes(mManager, 5), pcm);
    ASSERT_TRUE(ReadWaveFile(mManager, 6, cache));
    EXPECT_EQ(SoundBytes(mManager, 6), pcm);

    EXPECT_FALSE(WriteCachedWave(mManager, "", 5, "x.ogg"));
    EXPECT_FALSE(WriteCachedWave(mManager, cache, 256, "x.ogg"));
    EXPECT_FALSE(WriteCachedWave(mManager, cache, 7, "x.ogg")); // nothing loaded
    EXPECT_FALSE(WriteCachedWave(mManager, mDir.File("missing/c.wav"), 5, "x.ogg"));
}

void SetModified(const std::string& path, time_t when)
{
    struct utimbuf times = {when, when};
    ASSERT_EQ(utime(path.c_str(), &times), 0);
}

TEST_F(SoundReadersTest, DecodedSoundsAreCachedUntilTheSourceChanges)
{
    std::filesystem::create_directories(mDir.Path() / "game" / "sounds");
    CurrentDir cwd(mDir.File("game"));
    std::string source = mDir.File("game/sounds/click.au");
    WriteFile(source, Au(2, {10, 20, 30, 40}, 4));
    SetModified(source, 1500000000);

    ASSERT_TRUE(mManager.LoadSoundToId(0, "sounds\\click"));
    std::string cache = mDir.File("appdata/cached/sounds/click.wav");
    std::vector<uint8_t> file = ReadFile(cache);
    const std::string name = "sounds\\click.au";
    ASSERT_EQ(file.size(), 71 + name.size() + 4);
    EXPECT_EQ(std::string(file.begin() + 46, file.begin() + 46 + long(name.size())), name);
    // Seconds since 1970 as 100-ns ticks since 1601.
    uint64_t ticks = 1500000000ull * 10000000ull + 116444736000000000ull;
    EXPECT_EQ(Le32(file, 46 + name.size()), uint32_t(ticks));
    EXPECT_EQ(Le32(file, 50 + name.size()), uint32_t(ticks >> 32));
    EXPECT_EQ(CachedSamples(file, name.size()), (std::vector<uint8_t>{10, 20, 30, 40}));

    // A valid cache file is read instead of the source: changed samples in it show.
    file[file.size() - 1] ^= 0x7F;
    WriteFile(cache, file);
    ASSERT_TRUE(mManager.LoadSoundToId(1, "sounds\\click"));
    EXPECT_EQ(SoundBytes(mManager, 1)[3], 40 ^ 0x7F);

    // A changed source makes it stale: decoded again and the cache rewritten.
    WriteFile(source, Au(2, {11, 21, 31, 41}, 4));
    SetModified(source, 1600000000);
    ASSERT_TRUE(mManager.LoadSoundToId(2, "sounds\\click"));
    EXPECT_EQ(SoundBytes(mManager, 2), (std::vector<uint8_t>{11, 21, 31, 41}));
    EXPECT_EQ(CachedSamples(ReadFile(cache), name.size()), (std::vector<uint8_t>{11, 21, 31, 41}));

    // A plain WAV is never cached; an absolute name has no cache path.
    WriteFile(mDir.File("game/sounds/plain.wav"), Wave(1, 22050, 8, {1}));
    ASSERT_TRUE(mManager.LoadSoundToId(3, "sounds\\plain"));
    EXPECT_FALSE(plat::FileExists(mDir.File("appdata/cached/sounds/plain.wav")));
    WriteFile(mDir.File("abs.au"), Au(2, {1}, 1));
    ASSERT_TRUE(mManager.LoadSoundToId(4, mDir.File("abs")));
    EXPECT_EQ(SoundBytes(mManager, 4), (std::vector<uint8_t>{1}));
}

TEST_F(SoundReadersTest, ArchiveSoundsAndTheCacheOfAnArchiveSource)
{
    // Sounds only in the archive: a WAV, and an Ogg Vorbis decoded through the archive's file
    // functions and cached with time 0, since its source is not on disk.
    std::vector<uint8_t> pak;
    std::string error;
    ASSERT_TRUE(paktool::BuildPak({{"sndtest\\beep.wav", Wave(1, 22050, 8, kSamples), 0},
                                   {"sndtest\\tone.ogg", ReadFile(DataFile("sounds/tone.ogg")), 0}},
                                  GetPakInterface()->mDecryptPassword, pak, error))
        << error;
    WriteFile(mDir.File("sounds.pak"), pak);
    ASSERT_TRUE(GetPakInterface()->AddPakFile(mDir.File("sounds.pak")));
    CurrentDir cwd(mDir.Path().string());

    ASSERT_TRUE(mManager.LoadSoundToId(0, "sndtest\\beep"));
    EXPECT_EQ(SoundBytes(mManager, 0), kSamples);
    EXPECT_FALSE(plat::FileExists(mDir.File("appdata/cached/sndtest/beep.wav")));

    ASSERT_TRUE(mManager.LoadSoundToId(1, "sndtest\\tone"));
    EXPECT_EQ(mManager.GetBufferSize(1), 44100u);
    const std::string cache = mDir.File("appdata/cached/sndtest/tone.wav");
    std::vector<uint8_t> file = ReadFile(cache);
    const std::string name = "sndtest\\tone.ogg";
    ASSERT_EQ(file.size(), 71 + name.size() + 44100);
    EXPECT_EQ(Le32(file, 46 + name.size()), 0u);
    EXPECT_EQ(Le32(file, 50 + name.size()), 0u);
    EXPECT_EQ(CachedSamples(file, name.size()), SoundBytes(mManager, 1));

    // The cache file stays valid: a changed sample in it shows in the next load.
    file[file.size() - 2] ^= 0x55;
    WriteFile(cache, file);
    ASSERT_TRUE(mManager.LoadSoundToId(2, "sndtest\\tone"));
    std::vector<uint8_t> reread = SoundBytes(mManager, 2);
    ASSERT_EQ(reread.size(), 44100u);
    EXPECT_EQ(reread[44098], SoundBytes(mManager, 1)[44098] ^ 0x55);
}

TEST_F(SoundReadersTest, FormsAreTriedInOrder)
{
    WriteFile(mDir.File("both.wav"), Wave(1, 22050, 16, kSamples));
    WriteFile(mDir.File("both.au"), Au(2, {1}, 1));
    WriteFile(mDir.File("m.mp3"), SilentMp3(4));
    WriteFile(mDir.File("m.au"), Au(2, {1, 2, 3}, 3));
    ASSERT_TRUE(mManager.LoadSoundToId(0, mDir.File("both")));
    EXPECT_EQ(SoundBytes(mManager, 0), kSamples); // WAV first
    // MP3 only with the use-FMOD flag, and then before AU.
    ASSERT_TRUE(mManager.LoadSoundToId(1, mDir.File("m")));
    EXPECT_EQ(SoundBytes(mManager, 1).size(), 3u);
    ASSERT_TRUE(mFmodManager.LoadSoundToId(1, mDir.File("m")));
    EXPECT_EQ(SoundFormat(mFmodManager, 1).bitsPerSample, 16);
    EXPECT_FALSE(mManager.LoadSoundToId(2, mDir.File("missing")));

    // Ogg Vorbis before AU; with the flag MP3 before Ogg Vorbis.
    WriteFile(mDir.File("m.ogg"), ReadFile(DataFile("sounds/tone.ogg")));
    ASSERT_TRUE(mManager.LoadSoundToId(3, mDir.File("m")));
    EXPECT_EQ(mManager.GetBufferSize(3), 44100u);
    ASSERT_TRUE(mFmodManager.LoadSoundToId(3, mDir.File("m")));
    EXPECT_EQ(SoundFormat(mFmodManager, 3).samplesPerSec, 44100u);
}

TEST_F(SoundReadersTest, OggDecodesEveryFrame)
{
    // Mono, 16 bits, 22050 Hz, 22050 frames.
    ASSERT_TRUE(DecodeOgg(mManager, 0, DataFile("sounds/tone.ogg")));
    plat::WaveFormat format = SoundFormat(mManager, 0);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.samplesPerSec, 22050u);
    EXPECT_EQ(format.bitsPerSample, 16);
    EXPECT_EQ(mManager.GetBufferSize(0), 44100u);

    // Made by the encoder: stereo at 44100 Hz.
    ASSERT_TRUE(MakeOgg(mDir.File("st.ogg"), 2, 44100, 30000, 440));
    ASSERT_TRUE(DecodeOgg(mManager, 1, mDir.File("st.ogg")));
    EXPECT_EQ(SoundFormat(mManager, 1).channels, 2);
    EXPECT_EQ(mManager.GetBufferSize(1), 30000u * 4);
    std::vector<int16_t> samples = Samples16(SoundBytes(mManager, 1));
    int16_t peak = 0;
    for (int16_t s : samples)
        peak = std::max<int16_t>(peak, s);
    EXPECT_NEAR(peak, 16384, 1500);

    // Three channels are more than a buffer takes.
    ASSERT_TRUE(MakeOgg(mDir.File("three.ogg"), 3, 22050, 1000, 440));
    EXPECT_FALSE(DecodeOgg(mManager, 2, mDir.File("three.ogg")));

    // A file cut short stops decoding before the end: not loaded, the id stays empty.
    std::vector<uint8_t> bytes = ReadFile(DataFile("sounds/tone.ogg"));
    bytes.resize(bytes.size() * 2 / 3);
    WriteFile(mDir.File("cut.ogg"), bytes);
    EXPECT_FALSE(DecodeOgg(mManager, 3, mDir.File("cut.ogg")));
    EXPECT_TRUE(SoundBytes(mManager, 3).empty());
    WriteFile(mDir.File("junk.ogg"), std::string("OggS but nothing more"));
    EXPECT_FALSE(DecodeOgg(mManager, 3, mDir.File("junk.ogg")));
    EXPECT_FALSE(DecodeOgg(mManager, 3, mDir.File("none.ogg")));
}

TEST_F(SoundReadersTest, AuDecodesMuLawAndLinearOnly)
{
    WriteFile(mDir.File("m.au"), Au(1, {0xFF, 0x7F, 0x81, 0x01, 0x80, 0x00, 0xF0, 0x70}, 8));
    ASSERT_TRUE(DecodeAu(mManager, 0, mDir.File("m.au")));
    EXPECT_EQ(SoundFormat(mManager, 0).bitsPerSample, 16);
    EXPECT_EQ(Samples16(SoundBytes(mManager, 0)),
              (std::vector<int16_t>{0, 0, 30592, -30592, 31616, -31616, 120, -120}));

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::vector<uint8_t> pcm; // empty: refused
    } cases[] = {
        {"linear 8 bits", Au(2, {1, 2, 3}, 3), {1, 2, 3}},
        {"size to the end", Au(2, {1, 2, 3}, 0xFFFFFFFF), {1, 2, 3}},
        {"later data offset", Au(2, {7, 8}, 2, 8000, 1, 40), {7, 8}},
        {"stereo", Au(2, {1, 2, 3, 4}, 4, 8000, 2), {1, 2, 3, 4}},
        {"16-bit linear", Au(3, {1, 2, 3, 4}, 4), {}},
        {"size past the end", Au(2, {1, 2, 3}, 4), {}},
        {"offset past the end", Au(2, {1, 2, 3}, 1, 8000, 1, 1000) , {}},
        {"three channels", Au(2, {1, 2, 3}, 3, 8000, 3), {}},
        {"rate 0", Au(2, {1, 2, 3}, 3, 0), {}},
        {"not AU", {'.', 's', 'n', 'x', 0, 0, 0, 24}, {}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string(c.name) == "offset past the end")
            c.bytes.resize(30);
        WriteFile(mDir.File("c.au"), c.bytes);
        mManager.ReleaseSound(1);
        EXPECT_EQ(DecodeAu(mManager, 1, mDir.File("c.au")), !c.pcm.empty());
        EXPECT_EQ(SoundBytes(mManager, 1), c.pcm);
    }
}

TEST_F(SoundReadersTest, Mp3DecodesThroughTheFileFunctions)
{
    WriteFile(mDir.File("s.mp3"), SilentMp3(10));
    EXPECT_FALSE(DecodeMp3(mManager, 0, mDir.File("s.mp3"))); // no use-FMOD flag
    ASSERT_TRUE(DecodeMp3(mFmodManager, 0, mDir.File("s.mp3")));
    plat::WaveFormat format = SoundFormat(mFmodManager, 0);
    EXPECT_EQ(format.channels, 1);
    EXPECT_EQ(format.samplesPerSec, 44100u);
    std::vector<uint8_t> pcm = SoundBytes(mFmodManager, 0);
    EXPECT_EQ(pcm.size(), 10u * 1152 * 2);
    EXPECT_EQ(std::count(pcm.begin(), pcm.end(), 0), long(pcm.size()));

    WriteFile(mDir.File("junk.mp3"), std::vector<uint8_t>(5000, 0x55));
    EXPECT_FALSE(DecodeMp3(mFmodManager, 1, mDir.File("junk.mp3")));
    EXPECT_TRUE(SoundBytes(mFmodManager, 1).empty());
    EXPECT_FALSE(DecodeMp3(mFmodManager, 1, mDir.File("none.mp3")));
}

} // namespace
