// Music: songs played as streams (Ogg Vorbis, MP3 and WAV, decoded to 16-bit samples), as
// tracker modules or as samples (whole songs decoded into memory, which may loop between two
// points), each on a channel of its own, decoded ahead on a thread of the engine and mixed
// beside the sound buffers of an audio device. Without a device the engine plays into a
// null output that still advances time, so song states and ends behave the same.
#pragma once

#include <cstdint>
#include <vector>

namespace plat {

class AudioDevice;

// Channel flags.
enum : uint32_t {
    kMusicLoop = 4,          // start again at the end
    kMusicRamp = 0x200,      // modules: soften sudden volume changes (accepted, no effect here)
    kMusicPosReset = 0x8000, // modules: stop every note when the position changes
};

// Channel states.
enum : int { kMusicStopped = 0, kMusicPlaying = 1, kMusicPaused = 3 };

// Engine options.
enum : int {
    kMusicConfigBuffer = 0,       // the playing buffer in milliseconds (accepted)
    kMusicConfigStreamVolume = 5, // the global volume of streams, 0-100
    kMusicConfigModuleVolume = 6, // the global volume of modules, 0-100
};

// A module position: the order in the low 16 bits with this bit set.
constexpr uint64_t kMusicOrderPosition = 0x80000000u;

// A sample's 16-bit frames: their rate, channels (1 or 2) and count.
struct MusicSampleFormat {
    uint32_t rate = 0;
    uint32_t channels = 0;
    uint64_t frames = 0;
};

// The calls the music players make. The engine below is the real one; tests put engines of
// their own in its place.
class MusicLibrary {
public:
    virtual ~MusicLibrary() = default;

    // The newer generation sets the global volumes through SetConfig; the older one through
    // SetGlobalVolumes.
    virtual bool IsNewerGeneration() const = 0;
    // A stream on the bytes of a whole Ogg Vorbis, WAV or MP3 file (told apart by their
    // contents); 0 when they cannot be decoded.
    virtual uint32_t CreateStream(std::vector<uint8_t> bytes, uint32_t flags) = 0;
    // A module on the bytes of a whole tracker file; 0 when they cannot be read.
    virtual uint32_t LoadModule(std::vector<uint8_t> bytes, uint32_t flags) = 0;
    virtual bool FreeStream(uint32_t stream) = 0;
    virtual bool FreeModule(uint32_t module) = 0;
    // Plays from where the channel stands, or from the start with restart.
    virtual bool ChannelPlay(uint32_t channel, bool restart) = 0;
    virtual bool ChannelStop(uint32_t channel) = 0;
    virtual bool ChannelPause(uint32_t channel) = 0;
    virtual int ChannelIsActive(uint32_t channel) = 0;
    virtual bool ChannelSetFlags(uint32_t channel, uint32_t flags) = 0;
    // Streams: a byte of the decoded 16-bit samples; modules: kMusicOrderPosition | order.
    virtual bool ChannelSetPosition(uint32_t channel, uint64_t position) = 0;
    virtual uint64_t ChannelGetPosition(uint32_t channel) = 0;
    // Volume 0-100 (-1 leaves it); frequency and pan are accepted as the callers pass them
    // (-1 and -101 leave them) and otherwise ignored.
    virtual bool ChannelSetAttributes(uint32_t channel, int frequency, int volume, int pan) = 0;
    // Attribute 0 of a module: its amplification 0-100 (50 plays it as it is).
    virtual bool MusicSetAttribute(uint32_t module, int attribute, int value) = 0;
    virtual void SetConfig(int option, int value) = 0;
    virtual int GetConfig(int option) = 0;
    // The older generation's global volumes (0-100 each) of modules, samples and streams.
    virtual void SetGlobalVolumes(int modules, int samples, int streams) = 0;

    // Samples: a whole Ogg Vorbis, WAV or MP3 file decoded into memory (0 when it cannot be),
    // or silence of a given format; their loop points are their first and their last frame.
    virtual uint32_t LoadSample(std::vector<uint8_t> bytes) = 0;
    virtual uint32_t CreateSample(uint32_t rate, uint32_t channels, uint64_t frames) = 0;
    virtual bool FreeSample(uint32_t sample) = 0;
    virtual bool GetSampleFormat(uint32_t sample, MusicSampleFormat* format) = 0;
    // Copies frames out of or into a sample; false when they are not all inside it.
    virtual bool ReadSample(uint32_t sample, uint64_t frame, uint64_t frames, int16_t* out) = 0;
    virtual bool WriteSample(uint32_t sample, uint64_t frame, uint64_t frames, const int16_t* in) = 0;
    // A looping channel plays on from start after reaching end (exclusive); start < end <= frames.
    virtual bool SetSampleLoopPoints(uint32_t sample, uint64_t start, uint64_t end) = 0;
    // A stream channel that plays the sample as it is now (later changes to the sample do not
    // reach it); freed with FreeStream.
    virtual uint32_t CreateSampleChannel(uint32_t sample, uint32_t flags) = 0;
};

// The engine on an audio device (null: the null output), shared by every holder of the same
// device and reference counted: Acquire takes a reference, Release gives it back and the last
// one ends the engine.
class MusicEngine : public MusicLibrary {
public:
    static MusicEngine* Acquire(AudioDevice* device);
    virtual void Release() = 0;

    // Waits until the channel has at least the given milliseconds decoded ahead, or has decoded
    // to its end; false after timeoutMs.
    virtual bool WaitDecoded(uint32_t channel, uint32_t aheadMs, uint32_t timeoutMs) = 0;
    // Mixes the next frames of every playing channel into a 44100 Hz stereo accumulator and
    // advances them (what the device's callback and the null output call).
    virtual void Mix(float* accumulator, uint32_t frames) = 0;

protected:
    ~MusicEngine() override = default;
};

} // namespace plat
