// FModMusicInterface: module and sample songs by id on the music engine, the sample cache and
// joined sample pairs, fades and the master volume.
#include "sound/FModMusicInterface.h"

#include "app/Common.h"
#include "platform/Files.h"
#include "platform/Music.h"
#include "resources/PakInterface.h"
#include "sound/MusicFade.h"
#include "sound/SoundFileRead.h"
#include "sound/WaveFile.h"

#include <vector>

namespace Quor {

namespace {

void PutLE(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

// A plain 16-bit PCM WAV file of the sample's frames; empty when they cannot be read.
std::vector<uint8_t> SampleWave(plat::MusicLibrary& library, uint32_t sample)
{
    plat::MusicSampleFormat format;
    if (!library.GetSampleFormat(sample, &format))
        return {};
    uint64_t dataBytes = format.frames * format.channels * 2;
    if (dataBytes > 0xFFFFFFFFu - 36)
        return {};
    std::vector<int16_t> pcm(size_t(format.frames) * format.channels);
    if (!library.ReadSample(sample, 0, format.frames, pcm.data()))
        return {};
    uint32_t blockAlign = format.channels * 2;
    std::vector<uint8_t> out;
    out.reserve(size_t(dataBytes) + 44);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    PutLE(out, uint32_t(dataBytes) + 36, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutLE(out, 16, 4);
    PutLE(out, 1, 2);
    PutLE(out, format.channels, 2);
    PutLE(out, format.rate, 4);
    PutLE(out, blockAlign * format.rate, 4);
    PutLE(out, blockAlign, 2);
    PutLE(out, 16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutLE(out, uint32_t(dataBytes), 4);
    for (int16_t s : pcm)
        PutLE(out, uint16_t(s), 2);
    return out;
}

// The last write of a file in the archive (its recorded time) or else on disk; 0 when unknown.
uint64_t SourceTime(const std::string& fileName)
{
    PakFile* file = PakFOpen(fileName.c_str(), "rb");
    if (file == nullptr)
        return 0;
    PakFileCloser closer(file);
    if (file->mRecord != nullptr)
        return file->mRecord->mFileTime;
    return GetSourceFileTime(fileName);
}

} // namespace

FModMusicInterface::FModMusicInterface(plat::AudioDevice* device)
{
    mEngine = plat::MusicEngine::Acquire(device);
    mLibrary = mEngine;
}

FModMusicInterface::FModMusicInterface(plat::MusicLibrary* library) : mLibrary(library) {}

FModMusicInterface::~FModMusicInterface()
{
    // Songs are kept for the player's life and let go of with it.
    for (auto& [id, song] : mSongs) {
        if (song.module != 0) {
            mLibrary->ChannelStop(song.module);
            mLibrary->FreeModule(song.module);
        } else {
            mLibrary->ChannelStop(song.channel);
            mLibrary->FreeStream(song.channel);
            mLibrary->FreeSample(song.sample);
        }
    }
    mSongs.clear();
    if (mEngine != nullptr)
        mEngine->Release();
}

FModMusicInterface::Song* FModMusicInterface::Find(int id)
{
    auto it = mSongs.find(id);
    return it == mSongs.end() ? nullptr : &it->second;
}

void FModMusicInterface::ApplyVolume(const Song& song)
{
    int volume = song.module != 0 ? int(std::trunc(song.volume * mMasterVolume * mModuleVolumeScale))
                                  : int(std::trunc(mMasterVolume * song.volume * mSampleVolumeScale));
    mLibrary->ChannelSetAttributes(song.Channel(), -1, volume, -101);
}

// A sample song from its start, looping as it was loaded.
void FModMusicInterface::StartSample(const Song& song)
{
    mLibrary->ChannelSetFlags(song.channel, song.loop ? uint32_t(plat::kMusicLoop) : 0u);
    mLibrary->ChannelPlay(song.channel, true);
}

std::string FModMusicInterface::SampleCachePath(const std::string& name)
{
    bool relative = !name.empty() && name[0] != '\\' && name[0] != '/' && name.find(':') == std::string::npos;
    if (!relative)
        return std::string();
    return GetAppDataFolder() + "cached\\" + name + ".wav";
}

// The sample of name + ".ogg": from its cache file unless that is older than the OGG file,
// otherwise decoded and written to the cache file. 0 when neither loads.
uint32_t FModMusicInterface::LoadCachedSample(const std::string& name)
{
    std::string cachePath = SampleCachePath(name);
    std::string source = name + ".ogg";
    std::vector<uint8_t> bytes;
    if (!cachePath.empty()) {
        CreateDirectories(GetFileDir(cachePath));
        uint64_t cacheTime = GetSourceFileTime(cachePath);
        if (cacheTime != 0 && cacheTime >= SourceTime(source) && ReadWholePakFile(cachePath, bytes)) {
            if (uint32_t sample = mLibrary->LoadSample(std::move(bytes)))
                return sample;
        }
    }
    if (!ReadWholePakFile(source, bytes))
        return 0;
    uint32_t sample = mLibrary->LoadSample(std::move(bytes));
    if (sample == 0 || cachePath.empty())
        return sample;
    // A cache that cannot be written costs only the decoding next time.
    std::vector<uint8_t> wave = SampleWave(*mLibrary, sample);
    if (!wave.empty())
        plat::WriteWholeFile(cachePath, wave.data(), wave.size());
    return sample;
}

bool FModMusicInterface::AddSampleSong(int id, uint32_t sample, bool loop)
{
    Song song;
    song.sample = sample;
    song.loop = loop;
    song.channel = mLibrary->CreateSampleChannel(sample, 0);
    if (song.channel == 0 || !mSongs.emplace(id, song).second) {
        // A loaded id keeps its song.
        if (song.channel != 0)
            mLibrary->FreeStream(song.channel);
        mLibrary->FreeSample(sample);
        return song.channel != 0;
    }
    return true;
}

bool FModMusicInterface::LoadMusic(int id, const std::string& fileName)
{
    std::vector<uint8_t> bytes;
    if (!ReadWholePakFile(fileName, bytes))
        return false;
    uint32_t module = mLibrary->LoadModule(std::move(bytes), 0);
    if (module == 0)
        return false;
    Song song;
    song.module = module;
    if (!mSongs.emplace(id, song).second)
        mLibrary->FreeModule(module);
    return true;
}

bool FModMusicInterface::LoadSampleMusic(int id, const std::string& name, bool loop)
{
    uint32_t sample = LoadCachedSample(name);
    return sample != 0 && AddSampleSong(id, sample, loop);
}

bool FModMusicInterface::LoadSampleMusicPair(int id, const std::string& first, const std::string& second, bool loop)
{
    uint32_t a = LoadCachedSample(first);
    uint32_t b = LoadCachedSample(second);
    plat::MusicSampleFormat fa;
    plat::MusicSampleFormat fb;
    bool match = a != 0 && b != 0 && mLibrary->GetSampleFormat(a, &fa) && mLibrary->GetSampleFormat(b, &fb) &&
                 fa.rate == fb.rate && fa.channels == fb.channels;
    uint32_t joined = match ? mLibrary->CreateSample(fa.rate, fa.channels, fa.frames + fb.frames) : 0;
    if (joined != 0) {
        std::vector<int16_t> pcm(size_t(fa.frames + fb.frames) * fa.channels);
        if (!mLibrary->ReadSample(a, 0, fa.frames, pcm.data()) ||
            !mLibrary->ReadSample(b, 0, fb.frames, pcm.data() + fa.frames * fa.channels) ||
            !mLibrary->WriteSample(joined, 0, fa.frames + fb.frames, pcm.data()) ||
            !mLibrary->SetSampleLoopPoints(joined, fa.frames, fa.frames + fb.frames)) {
            mLibrary->FreeSample(joined);
            joined = 0;
        }
    }
    // The two parts go whether or not they were joined.
    if (a != 0)
        mLibrary->FreeSample(a);
    if (b != 0)
        mLibrary->FreeSample(b);
    return joined != 0 && AddSampleSong(id, joined, loop);
}

void FModMusicInterface::PlayMusic(int id, int offset, bool noLoop)
{
    Song* song = Find(id);
    if (song == nullptr)
        return;
    song->volume = song->ceiling;
    song->volumeStep = 0.0;
    if (song->module != 0) {
        ApplyVolume(*song);
        mLibrary->ChannelSetFlags(song->module, noLoop ? 0u : uint32_t(plat::kMusicLoop));
        mLibrary->ChannelPlay(song->module, true);
        if (offset >= 0)
            mLibrary->ChannelSetPosition(song->module, plat::kMusicOrderPosition | (uint32_t(offset) & 0xFFFF));
    } else {
        StartSample(*song);
        ApplyVolume(*song);
    }
}

void FModMusicInterface::StopMusic(int id)
{
    if (Song* song = Find(id)) {
        song->volume = 0.0;
        mLibrary->ChannelStop(song->Channel());
    }
}

void FModMusicInterface::PauseMusic(int id)
{
    if (Song* song = Find(id))
        mLibrary->ChannelPause(song->Channel());
}

void FModMusicInterface::ResumeMusic(int id)
{
    // Only a paused song goes on; a stopped one stays stopped.
    Song* song = Find(id);
    if (song != nullptr && mLibrary->ChannelIsActive(song->Channel()) == plat::kMusicPaused)
        mLibrary->ChannelPlay(song->Channel(), false);
}

void FModMusicInterface::StopAllMusic()
{
    for (auto& [id, song] : mSongs)
        StopMusic(id);
}

void FModMusicInterface::FadeIn(int id, int offset, double speed, bool noLoop)
{
    Song* song = Find(id);
    if (song == nullptr)
        return;
    song->volumeStep = speed;
    if (song->module != 0) {
        ApplyVolume(*song);
        mLibrary->ChannelSetFlags(song->module, noLoop ? 0u : uint32_t(plat::kMusicLoop));
        // A song under way goes on; it only jumps to the order.
        if (!IsPlaying(id))
            mLibrary->ChannelPlay(song->module, true);
        if (offset >= 0)
            mLibrary->ChannelSetPosition(song->module, plat::kMusicOrderPosition | (uint32_t(offset) & 0xFFFF));
    } else {
        if (!IsPlaying(id))
            StartSample(*song);
        ApplyVolume(*song);
    }
}

void FModMusicInterface::FadeOut(int id, bool stopWhenSilent, double speed)
{
    if (Song* song = Find(id)) {
        song->volumeStep = -speed;
        song->stopWhenSilent = stopWhenSilent;
    }
}

void FModMusicInterface::FadeOutAll(bool stopWhenSilent, double speed)
{
    for (auto& [id, song] : mSongs)
        FadeOut(id, stopWhenSilent, speed);
}

void FModMusicInterface::SetSongVolume(int id, double volume)
{
    if (Song* song = Find(id)) {
        song->volume = volume;
        ApplyVolume(*song);
    }
}

bool FModMusicInterface::IsPlaying(int id)
{
    // A paused song is still under way.
    Song* song = Find(id);
    return song != nullptr && mLibrary->ChannelIsActive(song->Channel()) != plat::kMusicStopped;
}

void FModMusicInterface::SetVolume(double volume)
{
    mMasterVolume = volume;
    for (auto& [id, song] : mSongs)
        ApplyVolume(song);
}

void FModMusicInterface::Update()
{
    for (auto& [id, song] : mSongs) {
        if (song.volumeStep == 0.0)
            continue;
        if (StepMusicFade(song))
            mLibrary->ChannelStop(song.Channel());
        ApplyVolume(song);
    }
}

} // namespace Quor
