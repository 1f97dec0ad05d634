// BassMusicInterface: songs by id on the music engine, their fades and volumes.
#include "sound/BassMusicInterface.h"

#include "app/Common.h"
#include "platform/Music.h"
#include "resources/PakInterface.h"
#include "sound/MusicFade.h"
#include "sound/SoundFileRead.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace Quor {

BassMusicInterface::BassMusicInterface(void* window, plat::AudioDevice* device)
{
    (void)window;
    mEngine = plat::MusicEngine::Acquire(device);
    mLibrary = mEngine;
    mLibrary->SetConfig(plat::kMusicConfigBuffer, 2000);
}

BassMusicInterface::BassMusicInterface(plat::MusicLibrary* library) : mLibrary(library) {}

BassMusicInterface::~BassMusicInterface()
{
    for (auto& [id, song] : mSongs) {
        mLibrary->ChannelStop(song.Channel());
        FreeSong(song);
    }
    mSongs.clear();
    if (mEngine != nullptr)
        mEngine->Release();
}

BassMusicInterface::Song* BassMusicInterface::Find(int id)
{
    auto it = mSongs.find(id);
    return it == mSongs.end() ? nullptr : &it->second;
}

void BassMusicInterface::SetChannelVolume(const Song& song, double volume)
{
    mLibrary->ChannelSetAttributes(song.Channel(), -1, MusicHundredths(volume), -101);
}

void BassMusicInterface::FreeSong(const Song& song)
{
    if (song.module != 0)
        mLibrary->FreeModule(song.module);
    else
        mLibrary->FreeStream(song.stream);
}

bool BassMusicInterface::LoadMusic(int id, const std::string& fileName)
{
    size_t dot = fileName.rfind('.');
    std::string ext = dot == std::string::npos ? std::string() : StringToLower(fileName.substr(dot + 1));
    bool stream = ext == "wav" || ext == "ogg" || ext == "mp3";

    // Archive first, then the disk; a module is made from the bytes read.
    std::vector<uint8_t> bytes;
    if (!ReadWholePakFile(fileName, bytes))
        return false;
    Song song;
    if (stream) {
        song.stream = mLibrary->CreateStream(std::move(bytes), 0);
    } else {
        uint32_t flags = mLibrary->IsNewerGeneration() ? plat::kMusicRamp | plat::kMusicLoop : plat::kMusicLoop;
        song.module = mLibrary->LoadModule(std::move(bytes), flags);
    }
    if (song.Channel() == 0)
        return false;
    // A loaded id keeps its song; the new one is not kept.
    if (!mSongs.emplace(id, song).second)
        FreeSong(song);
    return true;
}

void BassMusicInterface::PlayModuleFrom(uint32_t module, int offset, uint32_t flags)
{
    mLibrary->ChannelStop(module);
    // The order in the low 16 bits with the order bit set; the high half all ones.
    uint64_t position = uint64_t(int64_t(int32_t(plat::kMusicOrderPosition | (uint32_t(offset) & 0xFFFF))));
    mLibrary->ChannelSetPosition(module, position);
    mLibrary->ChannelSetFlags(module, flags);
    mLibrary->ChannelPlay(module, false);
}

void BassMusicInterface::PlayStream(uint32_t stream, int offset, bool noLoop)
{
    mLibrary->ChannelSetFlags(stream, noLoop ? 0u : uint32_t(plat::kMusicLoop));
    mLibrary->ChannelPlay(stream, offset != -1);
    if (offset > 0)
        mLibrary->ChannelSetPosition(stream, uint64_t(int64_t(offset)));
}

void BassMusicInterface::PlayMusic(int id, int offset, bool noLoop)
{
    Song* song = Find(id);
    if (song == nullptr)
        return;
    song->volume = song->ceiling;
    song->volumeStep = 0.0;
    SetChannelVolume(*song, song->volume);
    mLibrary->ChannelStop(song->Channel());
    if (song->module != 0) {
        uint32_t flags = mLibrary->IsNewerGeneration() ? (noLoop ? 0x8200u : 0x8204u) : (noLoop ? 0u : 4u);
        PlayModuleFrom(song->module, offset, flags);
    } else {
        PlayStream(song->stream, offset, noLoop);
    }
}

void BassMusicInterface::StopMusic(int id)
{
    if (Song* song = Find(id)) {
        song->volume = 0.0;
        mLibrary->ChannelStop(song->Channel());
    }
}

void BassMusicInterface::PauseMusic(int id)
{
    if (Song* song = Find(id))
        mLibrary->ChannelPause(song->Channel());
}

void BassMusicInterface::ResumeMusic(int id)
{
    if (Song* song = Find(id))
        mLibrary->ChannelPlay(song->Channel(), false);
}

void BassMusicInterface::StopAllMusic()
{
    for (auto& [id, song] : mSongs) {
        song.volume = 0.0;
        mLibrary->ChannelStop(song.Channel());
    }
}

void BassMusicInterface::UnloadMusic(int id)
{
    if (Find(id) == nullptr)
        return;
    StopMusic(id);
    Song* song = Find(id); // StopMusic may be another class's
    if (song == nullptr)
        return;
    FreeSong(*song);
    mSongs.erase(id);
}

void BassMusicInterface::UnloadAllMusic()
{
    StopAllMusic();
    for (auto& [id, song] : mSongs)
        FreeSong(song);
    mSongs.clear();
}

void BassMusicInterface::PauseAllMusic()
{
    for (auto& [id, song] : mSongs) {
        if (mLibrary->ChannelIsActive(song.Channel()) == plat::kMusicPlaying)
            mLibrary->ChannelPause(song.Channel());
    }
}

void BassMusicInterface::ResumeAllMusic()
{
    for (auto& [id, song] : mSongs) {
        if (mLibrary->ChannelIsActive(song.Channel()) == plat::kMusicPaused)
            mLibrary->ChannelPlay(song.Channel(), false);
    }
}

void BassMusicInterface::FadeIn(int id, int offset, double speed, bool noLoop)
{
    Song* song = Find(id);
    if (song == nullptr)
        return;
    song->volumeStep = speed;
    mLibrary->ChannelStop(song->Channel());
    SetChannelVolume(*song, song->volume);
    if (song->module != 0) {
        if (offset == -1) {
            mLibrary->ChannelPlay(song->module, true);
        } else {
            uint32_t flags = mLibrary->IsNewerGeneration() ? (noLoop ? 0x200u : 0x204u) : (noLoop ? 0u : 4u);
            PlayModuleFrom(song->module, offset, flags);
        }
    } else {
        PlayStream(song->stream, offset, noLoop);
    }
}

void BassMusicInterface::FadeOut(int id, bool stopWhenSilent, double speed)
{
    Song* song = Find(id);
    if (song == nullptr)
        return;
    if (song->volume != 0.0)
        song->volumeStep = -speed;
    song->stopWhenSilent = stopWhenSilent;
}

void BassMusicInterface::FadeOutAll(bool stopWhenSilent, double speed)
{
    for (auto& [id, song] : mSongs) {
        song.volumeStep = -speed;
        song.stopWhenSilent = stopWhenSilent;
    }
}

void BassMusicInterface::SetSongVolume(int id, double volume)
{
    if (Song* song = Find(id)) {
        song->volume = volume;
        SetChannelVolume(*song, volume);
    }
}

void BassMusicInterface::SetSongMaxVolume(int id, double volume)
{
    if (Song* song = Find(id)) {
        song->ceiling = volume;
        song->volume = std::min(song->volume, volume);
        SetChannelVolume(*song, song->volume);
    }
}

bool BassMusicInterface::IsPlaying(int id)
{
    Song* song = Find(id);
    return song != nullptr && mLibrary->ChannelIsActive(song->Channel()) == plat::kMusicPlaying;
}

void BassMusicInterface::SetVolume(double volume)
{
    if (mLibrary->IsNewerGeneration()) {
        mLibrary->SetConfig(plat::kMusicConfigModuleVolume, MusicHundredths(volume));
        mLibrary->SetConfig(plat::kMusicConfigStreamVolume, MusicHundredths(volume));
    } else {
        int n = int(std::trunc(mGlobalVolumeScale * volume));
        mLibrary->SetGlobalVolumes(n, n, n);
    }
}

void BassMusicInterface::SetMusicAmplify(int id, double amplify)
{
    if (Song* song = Find(id))
        mLibrary->MusicSetAttribute(song->Channel(), 0, MusicHundredths(amplify));
}

void BassMusicInterface::Update()
{
    for (auto& [id, song] : mSongs) {
        if (song.volumeStep == 0.0)
            continue;
        if (StepMusicFade(song))
            mLibrary->ChannelStop(song.Channel());
        SetChannelVolume(song, song.volume);
    }
}

} // namespace Quor
