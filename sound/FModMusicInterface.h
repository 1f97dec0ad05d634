// The second music player: tracker modules, and sample songs decoded whole from OGG files and
// kept as plain WAV files in the sound cache (two of them may be joined into one song that
// loops over its second part), on the music engine of the platform layer with the fades of the
// music interface.
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

class FModMusicInterface : public MusicInterface {
public:
    struct Song {
        uint32_t sample = 0;  // 0 for a module song
        uint32_t module = 0;  // 0 for a sample song
        uint32_t channel = 0; // the channel a sample song plays on
        double volume = 0.0;
        double volumeStep = 0.0;
        double ceiling = 1.0;
        bool stopWhenSilent = false;
        bool loop = false; // sample songs: loop when played
        uint32_t Channel() const { return module != 0 ? module : channel; }
    };

    // Plays on the engine of the audio device (null: the engine's null output).
    explicit FModMusicInterface(plat::AudioDevice* device);
    // Plays through the given calls (kept by the caller), as tests do.
    explicit FModMusicInterface(plat::MusicLibrary* library);
    ~FModMusicInterface() override;
    FModMusicInterface(const FModMusicInterface&) = delete;
    FModMusicInterface& operator=(const FModMusicInterface&) = delete;

    bool LoadMusic(int id, const std::string& fileName) override;
    void PlayMusic(int id, int offset, bool noLoop) override;
    void StopMusic(int id) override;
    void PauseMusic(int id) override;
    void ResumeMusic(int id) override;
    void StopAllMusic() override;
    void FadeIn(int id, int offset, double speed, bool noLoop) override;
    void FadeOut(int id, bool stopWhenSilent, double speed) override;
    void FadeOutAll(bool stopWhenSilent, double speed) override;
    void SetSongVolume(int id, double volume) override;
    bool IsPlaying(int id) override;
    void SetVolume(double volume) override;
    void Update() override;
    // Unloading, pausing or resuming all, the ceiling and the amplification are those of the
    // silent player here: songs stay loaded until the player goes.

    // Two sample songs (names without ".ogg") of one rate and channel count joined into one,
    // which loops over the second part.
    virtual bool LoadSampleMusicPair(int id, const std::string& first, const std::string& second, bool loop);
    // A sample song from name + ".ogg", decoded once into the sound cache.
    virtual bool LoadSampleMusic(int id, const std::string& name, bool loop);

    // The cache file of a sample song: "cached\" below the application-data folder, then the
    // song's name with its folders, then ".wav"; empty for a name that is not relative.
    static std::string SampleCachePath(const std::string& name);

    const std::map<int, Song>& Songs() const { return mSongs; }
    plat::MusicLibrary* Library() const { return mLibrary; }

private:
    Song* Find(int id);
    void ApplyVolume(const Song& song);
    void StartSample(const Song& song);
    uint32_t LoadCachedSample(const std::string& name);
    bool AddSampleSong(int id, uint32_t sample, bool loop);

    std::map<int, Song> mSongs;
    double mMasterVolume = 1.0;
    int mModuleVolumeScale = 100;
    int mSampleVolumeScale = 100;
    plat::MusicEngine* mEngine = nullptr; // held while the player lives; null with given calls
    plat::MusicLibrary* mLibrary = nullptr;
};

} // namespace Quor
