// The sound effects held in memory by sound id (0-255): each id's decoded PCM samples with their
// format, base volume and base pan, loaded from WAV, Ogg Vorbis or AU files through the
// archive-aware file functions. A sound manager keeps its sounds here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Quor {

// One decoded sound: interleaved little-endian PCM samples.
struct SoundData {
    int mChannels = 1;
    int mSamplesPerSec = 22050;
    int mBitsPerSample = 16;
    std::vector<uint8_t> mPCM;

    int GetBlockAlign() const { return mChannels * mBitsPerSample / 8; }
};

class SoundStore {
public:
    static constexpr int MAX_SOURCE_SOUNDS = 256;
    // The largest sound buffer the mixer takes (bytes); larger sounds do not load.
    static constexpr uint32_t MAX_BUFFER_BYTES = 0x0FFFFFFF;

    SoundStore();
    ~SoundStore();
    SoundStore(const SoundStore&) = delete;
    SoundStore& operator=(const SoundStore&) = delete;

    // The lowest id without a sound; -1 when every id holds one.
    int GetFreeSoundId() const;
    int GetNumSounds() const;

    // Frees what the id held, then loads name + ".wav", else name + ".ogg", else name + ".au".
    // False (the id left empty) when the id is out of range or no form could be read.
    bool LoadSoundToId(int theId, const std::string& theName);
    // Frees the id's sound and forgets its name; ids outside 0-255 are ignored.
    void ReleaseSound(int theId);
    void ReleaseSounds();

    // False for an id outside 0-255.
    bool SetBaseVolume(int theId, double theVolume);
    bool SetBasePan(int theId, int thePan);
    double GetBaseVolume(int theId) const;
    int GetBasePan(int theId) const;

    // The id's sound, or null when it holds none.
    const SoundData* GetSound(int theId) const;
    // The name last given to LoadSoundToId for the id ("" for none).
    std::string GetSoundName(int theId) const;

    // The readers, each filling theData from one file; false when the file is missing, is not
    // of that kind, or is damaged.
    static bool ReadWaveFile(const std::string& theFileName, SoundData& theData);
    static bool DecodeOgg(const std::string& theFileName, SoundData& theData);
    static bool DecodeAu(const std::string& theFileName, SoundData& theData);

private:
    static bool ValidId(int theId) { return theId >= 0 && theId < MAX_SOURCE_SOUNDS; }

    std::unique_ptr<SoundData> mSounds[MAX_SOURCE_SOUNDS];
    std::string mNames[MAX_SOURCE_SOUNDS];
    double mBaseVolumes[MAX_SOURCE_SOUNDS];
    int mBasePans[MAX_SOURCE_SOUNDS];
};

} // namespace Quor
