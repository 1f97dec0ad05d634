// The default music player: songs on the music engine of the platform layer, "wav", "ogg" and
// "mp3" files as streams and every other file as a tracker module, with the fades of the music
// interface.
#pragma once

#include "sound/MusicInterface.h"

#include <cstdint>
#include <map>

namespace plat {
class AudioDevice;
class MusicEngine;
class MusicLibrary;
} // namespace plat

namespace Quor {

class BassMusicInterface : public MusicInterface {
public:
    struct Song {
        uint32_t module = 0; // 0 for a stream
        uint32_t stream = 0; // 0 for a module
        double volume = 0.0;
        double volumeStep = 0.0;
        double ceiling = 1.0;
        bool stopWhenSilent = false;
        uint32_t Channel() const { return module != 0 ? module : stream; }
    };

    // Plays on the engine of the audio device (null: the engine's null output).
    BassMusicInterface(void* window, plat::AudioDevice* device);
    // Plays through the given calls (kept by the caller), as tests do.
    explicit BassMusicInterface(plat::MusicLibrary* library);
    ~BassMusicInterface() override;
    BassMusicInterface(const BassMusicInterface&) = delete;
    BassMusicInterface& operator=(const BassMusicInterface&) = delete;

    bool LoadMusic(int id, const std::string& fileName) override;
    void PlayMusic(int id, int offset, bool noLoop) override;
    void StopMusic(int id) override;
    void PauseMusic(int id) override;
    void ResumeMusic(int id) override;
    void StopAllMusic() override;
    void UnloadMusic(int id) override;
    void UnloadAllMusic() override;
    void PauseAllMusic() override;
    void ResumeAllMusic() override;
    void FadeIn(int id, int offset, double speed, bool noLoop) override;
    void FadeOut(int id, bool stopWhenSilent, double speed) override;
    void FadeOutAll(bool stopWhenSilent, double speed) override;
    void SetSongVolume(int id, double volume) override;
    void SetSongMaxVolume(int id, double volume) override;
    bool IsPlaying(int id) override;
    void SetVolume(double volume) override;
    void SetMusicAmplify(int id, double amplify) override;
    void Update() override;

    const std::map<int, Song>& Songs() const { return mSongs; }
    plat::MusicLibrary* Library() const { return mLibrary; }

private:
    Song* Find(int id);
    void SetChannelVolume(const Song& song, double volume);
    void PlayModuleFrom(uint32_t module, int offset, uint32_t flags);
    void PlayStream(uint32_t stream, int offset, bool noLoop);
    void FreeSong(const Song& song);

    std::map<int, Song> mSongs;
    int mGlobalVolumeScale = 40;
    plat::MusicEngine* mEngine = nullptr; // held while the player lives; null with given calls
    plat::MusicLibrary* mLibrary = nullptr;
};

} // namespace Quor
