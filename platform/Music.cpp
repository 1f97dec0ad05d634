// The music engine: decoders for Ogg Vorbis (libvorbisfile), MP3 (mpg123), WAV and tracker modules
// (libopenmpt), samples decoded whole into memory, a decoder thread that keeps each playing channel about half a second ahead, and
// the mix, which only copies decoded frames.
#include "platform/Music.h"

#include "platform/Audio.h"

#include <libopenmpt/libopenmpt.h>
#include <mpg123.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace plat {

namespace {

constexpr uint32_t kAheadFrames = kMixRate / 2;      // decoded ahead of the mix
constexpr uint32_t kRingFrames = kAheadFrames + 8192; // room for one more block
constexpr uint32_t kBlockFrames = 4096;              // source frames decoded at a time
constexpr uint64_t kMaxSampleFrames = uint64_t(kMixRate) * 60 * 20; // longest sample kept in memory

// ---- Decoders: source frames of 16-bit samples at the file's own rate and channels

class Decoder {
public:
    virtual ~Decoder() = default;
    // Up to frames source frames into out; 0 at the end, negative on damaged data.
    virtual long Read(int16_t* out, uint32_t frames) = 0;
    virtual bool Seek(uint64_t frame) = 0;
    virtual void SetLoop(bool loop) { (void)loop; }
    // Where a looping stream goes on from after its end.
    virtual uint64_t LoopStart() const { return 0; }
    // The frames the file says it holds (0 when it does not say); only a hint.
    virtual uint64_t LengthHint() { return 0; }
    uint32_t rate = kMixRate;
    uint32_t channels = 2;
};

// The whole file in memory, read by the decoders' callbacks.
struct MemoryFile {
    std::vector<uint8_t> bytes;
    size_t pos = 0;
    size_t Read(void* out, size_t count)
    {
        size_t n = std::min(count, bytes.size() - pos);
        std::memcpy(out, bytes.data() + pos, n);
        pos += n;
        return n;
    }
    int Seek(int64_t offset, int origin)
    {
        int64_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? int64_t(pos) : int64_t(bytes.size());
        int64_t to = base + offset;
        if (to < 0 || to > int64_t(bytes.size()))
            return -1;
        pos = size_t(to);
        return 0;
    }
};

size_t VorbisRead(void* ptr, size_t size, size_t count, void* source)
{
    if (size == 0)
        return 0;
    return static_cast<MemoryFile*>(source)->Read(ptr, size * count) / size;
}
int VorbisSeek(void* source, ogg_int64_t offset, int origin)
{
    return static_cast<MemoryFile*>(source)->Seek(offset, origin);
}
long VorbisTell(void* source)
{
    return long(static_cast<MemoryFile*>(source)->pos);
}

class VorbisDecoder : public Decoder {
public:
    explicit VorbisDecoder(std::vector<uint8_t> bytes) { mFile.bytes = std::move(bytes); }
    ~VorbisDecoder() override
    {
        if (mOpen)
            ov_clear(&mVorbis);
    }
    bool Open()
    {
        ov_callbacks callbacks = {VorbisRead, VorbisSeek, nullptr, VorbisTell};
        if (ov_open_callbacks(&mFile, &mVorbis, nullptr, 0, callbacks) < 0)
            return false;
        mOpen = true;
        vorbis_info* info = ov_info(&mVorbis, -1);
        if (info == nullptr || info->channels < 1 || info->channels > 2 || info->rate < 1000 ||
            info->rate > 192000)
            return false;
        rate = uint32_t(info->rate);
        channels = uint32_t(info->channels);
        return true;
    }
    long Read(int16_t* out, uint32_t frames) override
    {
        long want = long(frames * channels * 2);
        long got = 0;
        while (got < want) {
            int section = 0;
            long n = ov_read(&mVorbis, reinterpret_cast<char*>(out) + got, int(want - got), 0, 2, 1, &section);
            if (n == OV_HOLE)
                continue;
            if (n < 0)
                return got > 0 ? got / long(channels * 2) : -1;
            if (n == 0)
                break;
            // A later section in another format cannot be played as this stream.
            vorbis_info* info = ov_info(&mVorbis, -1);
            if (info == nullptr || uint32_t(info->channels) != channels)
                return got > 0 ? got / long(channels * 2) : -1;
            got += n;
        }
        return got / long(channels * 2);
    }
    bool Seek(uint64_t frame) override { return ov_pcm_seek(&mVorbis, ogg_int64_t(frame)) == 0; }
    uint64_t LengthHint() override { return uint64_t(std::max<ogg_int64_t>(ov_pcm_total(&mVorbis, -1), 0)); }

private:
    MemoryFile mFile;
    OggVorbis_File mVorbis{};
    bool mOpen = false;
};

ssize_t Mp3Read(void* source, void* buffer, size_t bytes)
{
    return ssize_t(static_cast<MemoryFile*>(source)->Read(buffer, bytes));
}
off_t Mp3Seek(void* source, off_t offset, int origin)
{
    auto* file = static_cast<MemoryFile*>(source);
    if (file->Seek(offset, origin) != 0)
        return -1;
    return off_t(file->pos);
}

class Mp3Decoder : public Decoder {
public:
    explicit Mp3Decoder(std::vector<uint8_t> bytes) { mFile.bytes = std::move(bytes); }
    ~Mp3Decoder() override
    {
        if (mHandle != nullptr) {
            mpg123_close(mHandle);
            mpg123_delete(mHandle);
        }
    }
    bool Open()
    {
        static std::once_flag initOnce;
        std::call_once(initOnce, [] { mpg123_init(); });
        mHandle = mpg123_new(nullptr, nullptr);
        if (mHandle == nullptr)
            return false;
        mpg123_param(mHandle, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        mpg123_format_none(mHandle);
        const long* rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i)
            mpg123_format(mHandle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (mpg123_replace_reader_handle(mHandle, Mp3Read, Mp3Seek, nullptr) != MPG123_OK ||
            mpg123_open_handle(mHandle, &mFile) != MPG123_OK)
            return false;
        long r = 0;
        int c = 0;
        int encoding = 0;
        if (mpg123_getformat(mHandle, &r, &c, &encoding) != MPG123_OK || (c != 1 && c != 2) || r < 1000)
            return false;
        rate = uint32_t(r);
        channels = uint32_t(c);
        return true;
    }
    long Read(int16_t* out, uint32_t frames) override
    {
        size_t want = size_t(frames) * channels * 2;
        size_t got = 0;
        while (got < want) {
            size_t done = 0;
            int result = mpg123_read(mHandle, reinterpret_cast<uint8_t*>(out) + got, want - got, &done);
            got += done;
            if (result == MPG123_DONE)
                break;
            if (result == MPG123_NEW_FORMAT) {
                long r = 0;
                int c = 0;
                int encoding = 0;
                mpg123_getformat(mHandle, &r, &c, &encoding);
                if (uint32_t(r) != rate || uint32_t(c) != channels)
                    return got > 0 ? long(got / (channels * 2)) : -1;
                continue;
            }
            if (result != MPG123_OK)
                return got > 0 ? long(got / (channels * 2)) : -1;
            if (done == 0)
                break;
        }
        return long(got / (channels * 2));
    }
    bool Seek(uint64_t frame) override { return mpg123_seek(mHandle, off_t(frame), SEEK_SET) >= 0; }

private:
    MemoryFile mFile;
    mpg123_handle* mHandle = nullptr;
};

uint32_t Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// A plain PCM WAV file: 1-2 channels of 8 or 16 bits.
class WaveDecoder : public Decoder {
public:
    explicit WaveDecoder(std::vector<uint8_t> bytes) : mBytes(std::move(bytes)) {}
    bool Open()
    {
        if (mBytes.size() < 12 || std::memcmp(mBytes.data(), "RIFF", 4) != 0 ||
            std::memcmp(mBytes.data() + 8, "WAVE", 4) != 0)
            return false;
        size_t pos = 12;
        bool haveFormat = false;
        while (pos + 8 <= mBytes.size()) {
            const uint8_t* chunk = mBytes.data() + pos;
            uint64_t size = Le32(chunk + 4);
            size_t body = pos + 8;
            if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16 && body + 16 <= mBytes.size()) {
                const uint8_t* f = mBytes.data() + body;
                uint32_t tag = f[0] | (f[1] << 8);
                channels = f[2] | (f[3] << 8);
                rate = Le32(f + 4);
                mBits = f[14] | (f[15] << 8);
                if (tag != 1 || (channels != 1 && channels != 2) || (mBits != 8 && mBits != 16) ||
                    rate < 1000 || rate > 192000)
                    return false;
                haveFormat = true;
            } else if (std::memcmp(chunk, "data", 4) == 0) {
                if (!haveFormat)
                    return false;
                mData = body;
                mDataBytes = size_t(std::min<uint64_t>(size, mBytes.size() - body));
                mFrameBytes = channels * mBits / 8;
                mFrames = mDataBytes / mFrameBytes;
                return mFrames > 0;
            }
            pos = body + size_t(std::min<uint64_t>(size + (size & 1), mBytes.size()));
        }
        return false;
    }
    long Read(int16_t* out, uint32_t frames) override
    {
        uint64_t n = std::min<uint64_t>(frames, mFrames - mPos);
        const uint8_t* p = mBytes.data() + mData + mPos * mFrameBytes;
        size_t samples = size_t(n) * channels;
        if (mBits == 16) {
            for (size_t i = 0; i < samples; ++i)
                out[i] = int16_t(p[2 * i] | (p[2 * i + 1] << 8));
        } else {
            for (size_t i = 0; i < samples; ++i)
                out[i] = int16_t((int(p[i]) - 128) * 256);
        }
        mPos += n;
        return long(n);
    }
    bool Seek(uint64_t frame) override
    {
        if (frame > mFrames)
            return false;
        mPos = frame;
        return true;
    }
    uint64_t LengthHint() override { return mFrames; }

private:
    std::vector<uint8_t> mBytes;
    size_t mData = 0;
    size_t mDataBytes = 0;
    uint32_t mBits = 16;
    uint32_t mFrameBytes = 4;
    uint64_t mFrames = 0;
    uint64_t mPos = 0;
};

// A tracker module, rendered by the library at the mix rate in stereo.
class ModuleDecoder : public Decoder {
public:
    ~ModuleDecoder() override
    {
        if (mModule != nullptr)
            openmpt_module_destroy(mModule);
    }
    bool Open(const std::vector<uint8_t>& bytes)
    {
        mModule = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr,
                                                     nullptr, nullptr, nullptr, nullptr);
        rate = kMixRate;
        channels = 2;
        return mModule != nullptr;
    }
    long Read(int16_t* out, uint32_t frames) override
    {
        return long(openmpt_module_read_interleaved_stereo(mModule, int32_t(kMixRate), frames, out));
    }
    // Modules seek by order: the frame is the order number.
    bool Seek(uint64_t order) override
    {
        openmpt_module_set_position_order_row(mModule, int32_t(order), 0);
        return true;
    }
    void SetLoop(bool loop) override { openmpt_module_set_repeat_count(mModule, loop ? -1 : 0); }
    uint64_t Order() const { return uint64_t(std::max(0, openmpt_module_get_current_order(mModule))); }

private:
    openmpt_module* mModule = nullptr;
};

// A song decoded whole into memory.
struct Sample {
    uint32_t rate = kMixRate;
    uint32_t channels = 2;
    std::vector<int16_t> pcm;
    uint64_t loopStart = 0;
    uint64_t loopEnd = 0;
    uint64_t Frames() const { return pcm.size() / channels; }
};

// Plays a sample that no one changes any more; looping, it ends at the loop end and goes on
// from the loop start.
class SampleDecoder : public Decoder {
public:
    explicit SampleDecoder(std::shared_ptr<const Sample> sample) : mSample(std::move(sample))
    {
        rate = mSample->rate;
        channels = mSample->channels;
    }
    long Read(int16_t* out, uint32_t frames) override
    {
        uint64_t end = mLoop ? mSample->loopEnd : mSample->Frames();
        if (mPos >= end)
            return 0;
        uint64_t n = std::min<uint64_t>(frames, end - mPos);
        std::memcpy(out, mSample->pcm.data() + mPos * channels, size_t(n) * channels * sizeof(int16_t));
        mPos += n;
        return long(n);
    }
    bool Seek(uint64_t frame) override
    {
        if (frame > mSample->Frames())
            return false;
        mPos = frame;
        return true;
    }
    void SetLoop(bool loop) override { mLoop = loop; }
    uint64_t LoopStart() const override { return mSample->loopStart; }

private:
    std::shared_ptr<const Sample> mSample;
    uint64_t mPos = 0;
    bool mLoop = false;
};

// The decoder of a stream file, told apart by its first bytes; null when it cannot be decoded.
std::unique_ptr<Decoder> OpenStreamDecoder(std::vector<uint8_t> bytes)
{
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "OggS", 4) == 0) {
        auto d = std::make_unique<VorbisDecoder>(std::move(bytes));
        return d->Open() ? std::move(d) : nullptr;
    }
    if (bytes.size() >= 4 && std::memcmp(bytes.data(), "RIFF", 4) == 0) {
        auto d = std::make_unique<WaveDecoder>(std::move(bytes));
        return d->Open() ? std::move(d) : nullptr;
    }
    auto d = std::make_unique<Mp3Decoder>(std::move(bytes));
    return d->Open() ? std::move(d) : nullptr;
}

// ---- Channels

struct Channel {
    bool module = false;
    std::unique_ptr<Decoder> decoder;
    // Under the engine's lock:
    int state = kMusicStopped;
    uint32_t flags = 0;
    int volume = 100;
    int amplify = 50;
    uint64_t generation = 0;     // raised by every seek; older decoded frames are dropped
    bool seekPending = true;     // the decoder seeks to seekTarget before decoding
    uint64_t seekTarget = 0;
    bool ended = false;          // decoded to the end (or damaged data); the ring runs dry
    bool busy = false;           // the decoder thread works on the decoder
    bool freed = false;
    std::vector<float> ring = std::vector<float>(size_t(kRingFrames) * 2);
    std::vector<uint64_t> ringPos = std::vector<uint64_t>(kRingFrames); // source frame of each
    uint32_t head = 0;  // next frame to mix
    uint32_t count = 0; // frames decoded ahead
    uint64_t playedPos = 0; // source frame (order for modules) the mix stands at
    // Decoder thread only: the resampler.
    std::vector<int16_t> carry; // source frames not yet consumed by the resampler
    uint64_t carryPos = 0;      // source frame of carry[0]
    uint64_t step = 0;          // source frames per output frame, 32.32
    uint64_t frac = 0;          // position inside carry, 32.32
    bool loopedEmpty = false;   // came back to the start without a frame since
};

class Engine;

// The null output: advances the mix in real time when there is no device.
class NullOutput {
public:
    explicit NullOutput(Engine* engine);
    ~NullOutput();

private:
    Engine* mEngine;
    std::atomic<bool> mStop{false};
    std::thread mThread;
};

class DeviceStream : public AudioStream {
public:
    explicit DeviceStream(Engine* engine) : mEngine(engine) {}
    void Mix(float* left, float* right, uint32_t frames) override;

private:
    Engine* mEngine;
    std::vector<float> mInterleaved; // the engine mixes interleaved frames
};

class Engine : public MusicEngine {
public:
    explicit Engine(AudioDevice* device) : mDevice(device), mStream(this)
    {
        mDecoderThread = std::thread([this] { DecodeLoop(); });
        if (mDevice != nullptr) {
            mDevice->AddRef();
            mDevice->AddStream(&mStream);
        } else {
            mNull = std::make_unique<NullOutput>(this);
        }
    }
    ~Engine() override
    {
        if (mDevice != nullptr) {
            mDevice->RemoveStream(&mStream);
            mDevice->Release();
        }
        mNull.reset();
        {
            std::lock_guard<std::mutex> lock(mLock);
            mQuit = true;
        }
        mWake.notify_all();
        mDecoderThread.join();
    }

    std::atomic<int> refs{1};
    AudioDevice* Device() const { return mDevice; }

    void Release() override;

    bool IsNewerGeneration() const override { return true; }

    uint32_t CreateStream(std::vector<uint8_t> bytes, uint32_t flags) override
    {
        std::unique_ptr<Decoder> decoder = OpenStreamDecoder(std::move(bytes));
        return decoder ? AddChannel(std::move(decoder), false, flags) : 0;
    }

    uint32_t LoadModule(std::vector<uint8_t> bytes, uint32_t flags) override
    {
        auto d = std::make_unique<ModuleDecoder>();
        if (!d->Open(bytes))
            return 0;
        return AddChannel(std::move(d), true, flags);
    }

    bool FreeStream(uint32_t handle) override { return Free(handle, false); }
    bool FreeModule(uint32_t handle) override { return Free(handle, true); }

    bool ChannelPlay(uint32_t handle, bool restart) override
    {
        std::unique_lock<std::mutex> lock(mLock);
        Channel* c = Find(handle);
        if (c == nullptr)
            return false;
        if (restart || (c->state == kMusicStopped && c->ended && c->count == 0))
            Reposition(*c, 0);
        c->state = kMusicPlaying;
        lock.unlock();
        mWake.notify_all();
        return true;
    }
    bool ChannelStop(uint32_t handle) override
    {
        std::lock_guard<std::mutex> lock(mLock);
        Channel* c = Find(handle);
        if (c == nullptr)
            return false;
        c->state = kMusicStopped;
        return true;
    }
    bool ChannelPause(uint32_t handle) override
    {
        std::lock_guard<std::mutex> lock(mLock);
        Channel* c = Find(handle);
        if (c == nullptr || c->state != kMusicPlaying)
            return false;
        c->state = kMusicPaused;
        return true;
    }
    int ChannelIsActive(uint32_t handle) override
    {
        std::lock_guard<std::mutex> lock(mLock);
        Channel* c = Find(handle);
        return c == nullptr ? kMusicStopped : c->state;
    }
    bool ChannelSetFlags(uint32_t handle, uint32_t flags) override
    {
        std::unique_lock<std::mutex> lock(mLock);
        Channel* c = Find(handle);
        if (c == nullptr)
            return false;
        bool wasLooping = (c->flags & kMusicLoop) != 0;
        c->flags = flags;
        // A stream that has decoded to its end goes on decoding from the start.
        if (!wasLooping && (flags & kMusicLoop) != 0 && c->ended && !c->module) {
            c->ended = false;
            c->seekPending = true;
            c->seekTarget = c->decoder->LoopStart();
            c->loopedEmpty = false;
        }
        lock.unlock();
        mWake.notify_all();
        return true;
    }
    bool ChannelSetPosition(uint32_t handle, uint64_t position) override
    {
        std::unique_lock<std::mutex> lock(mLock);
        Channel* c = Find(handle);
        if (c == nullptr)
            return false;
        uint64_t target;
        if (c->module) {
            if ((position & kMusicOrderPosition) == 0)
                return false;
            target = position & 0xFFFF;
        } else {
            target = position / (uint64_t(c->decoder->channels) * 2);
        }
        Reposition(*c, target);
        lock.unlock();
        mWake.notify_all();
        return true;
    }
    uint64_t ChannelGetPosition(uint32_t handle) override
    {
        std::lock_guard<std::mutex> lock(mLock);
        Channel* c = Find(handle);
        if (c == nullptr)
            return 0;
        return c->module ? c->playedPos : c->playedPos * c->decoder->channels * 2;
    }
    bool ChannelSetAttributes(uint32_t handle, int frequency, int volume, int pan) override
    {
        (void)frequency;
        (void)pan;
        std::lock_guard<std::mutex> lock(mLock);
        Channel* c = Find(handle);
        if (c == nullptr)
            return false;
        if (volume >= 0)
            c->volume = std::min(volume, 100);
        return true;
    }
    bool MusicSetAttribute(uint32_t handle, int attribute, int value) override
    {
        std::lock_guard<std::mutex> lock(mLock);
        Channel* c = Find(handle);
        if (c == nullptr || !c->module || attribute != 0)
            return false;
        c->amplify = std::clamp(value, 0, 100);
        return true;
    }
    void SetConfig(int option, int value) override
    {
        std::lock_guard<std::mutex> lock(mLock);
        if (option == kMusicConfigStreamVolume)
            mStreamVolume = std::clamp(value, 0, 100);
        else if (option == kMusicConfigModuleVolume)
            mModuleVolume = std::clamp(value, 0, 100);
        else if (option == kMusicConfigBuffer)
            mBufferMs = value;
    }
    int GetConfig(int option) override
    {
        std::lock_guard<std::mutex> lock(mLock);
        if (option == kMusicConfigStreamVolume)
            return mStreamVolume;
        if (option == kMusicConfigModuleVolume)
            return mModuleVolume;
        if (option == kMusicConfigBuffer)
            return mBufferMs;
        return -1;
    }
    void SetGlobalVolumes(int modules, int samples, int streams) override
    {
        (void)samples;
        std::lock_guard<std::mutex> lock(mLock);
        mModuleVolume = std::clamp(modules, 0, 100);
        mStreamVolume = std::clamp(streams, 0, 100);
    }

    uint32_t LoadSample(std::vector<uint8_t> bytes) override
    {
        std::unique_ptr<Decoder> decoder = OpenStreamDecoder(std::move(bytes));
        if (!decoder)
            return 0;
        auto sample = std::make_shared<Sample>();
        sample->rate = decoder->rate;
        sample->channels = decoder->channels;
        // One allocation for the whole song where its length is known.
        sample->pcm.reserve(size_t(std::min(decoder->LengthHint(), kMaxSampleFrames)) * decoder->channels);
        std::vector<int16_t> block(size_t(kBlockFrames) * decoder->channels);
        for (;;) {
            // Damaged data ends the sample where it is.
            long got = decoder->Read(block.data(), kBlockFrames);
            if (got <= 0)
                break;
            if (sample->Frames() + uint64_t(got) > kMaxSampleFrames)
                return 0;
            sample->pcm.insert(sample->pcm.end(), block.begin(), block.begin() + got * long(decoder->channels));
        }
        if (sample->pcm.empty())
            return 0;
        sample->loopEnd = sample->Frames();
        return AddSample(std::move(sample));
    }
    uint32_t CreateSample(uint32_t rate, uint32_t channels, uint64_t frames) override
    {
        if ((channels != 1 && channels != 2) || rate < 1000 || rate > 192000 || frames == 0 ||
            frames > kMaxSampleFrames)
            return 0;
        auto sample = std::make_shared<Sample>();
        sample->rate = rate;
        sample->channels = channels;
        sample->pcm.assign(size_t(frames) * channels, 0);
        sample->loopEnd = frames;
        return AddSample(std::move(sample));
    }
    bool FreeSample(uint32_t handle) override
    {
        std::shared_ptr<Sample> sample; // let go of outside the lock
        std::lock_guard<std::mutex> lock(mLock);
        auto it = mSamples.find(handle);
        if (it == mSamples.end())
            return false;
        sample = std::move(it->second);
        mSamples.erase(it);
        return true;
    }
    bool GetSampleFormat(uint32_t handle, MusicSampleFormat* format) override
    {
        std::lock_guard<std::mutex> lock(mLock);
        auto it = mSamples.find(handle);
        if (it == mSamples.end())
            return false;
        *format = {it->second->rate, it->second->channels, it->second->Frames()};
        return true;
    }
    bool ReadSample(uint32_t handle, uint64_t frame, uint64_t frames, int16_t* out) override
    {
        std::lock_guard<std::mutex> lock(mLock);
        auto it = mSamples.find(handle);
        if (it == mSamples.end() || frame > it->second->Frames() || frames > it->second->Frames() - frame)
            return false;
        const Sample& s = *it->second;
        std::copy_n(s.pcm.begin() + ptrdiff_t(frame * s.channels), size_t(frames * s.channels), out);
        return true;
    }
    bool WriteSample(uint32_t handle, uint64_t frame, uint64_t frames, const int16_t* in) override
    {
        std::lock_guard<std::mutex> lock(mLock);
        Sample* s = WritableSample(handle);
        if (s == nullptr || frame > s->Frames() || frames > s->Frames() - frame)
            return false;
        std::copy_n(in, size_t(frames * s->channels), s->pcm.begin() + ptrdiff_t(frame * s->channels));
        return true;
    }
    bool SetSampleLoopPoints(uint32_t handle, uint64_t start, uint64_t end) override
    {
        std::lock_guard<std::mutex> lock(mLock);
        Sample* s = WritableSample(handle);
        if (s == nullptr || start >= end || end > s->Frames())
            return false;
        s->loopStart = start;
        s->loopEnd = end;
        return true;
    }
    uint32_t CreateSampleChannel(uint32_t handle, uint32_t flags) override
    {
        std::shared_ptr<const Sample> sample;
        {
            std::lock_guard<std::mutex> lock(mLock);
            auto it = mSamples.find(handle);
            if (it == mSamples.end())
                return 0;
            sample = it->second;
        }
        return AddChannel(std::make_unique<SampleDecoder>(std::move(sample)), false, flags);
    }

    bool WaitDecoded(uint32_t handle, uint32_t aheadMs, uint32_t timeoutMs) override
    {
        uint32_t frames = std::min<uint32_t>(kAheadFrames, uint32_t(uint64_t(aheadMs) * kMixRate / 1000));
        std::unique_lock<std::mutex> lock(mLock);
        return mDecoded.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
            Channel* c = Find(handle);
            return c == nullptr || c->ended || (c->count >= frames && !c->seekPending);
        });
    }

    void Mix(float* acc, uint32_t frames) override
    {
        bool wake = false;
        {
            std::lock_guard<std::mutex> lock(mLock);
            for (auto& [handle, c] : mChannels) {
                if (c->state != kMusicPlaying || c->seekPending)
                    continue;
                float gain = float(c->volume) / 100.0f *
                             float(c->module ? mModuleVolume : mStreamVolume) / 100.0f;
                if (c->module)
                    gain *= float(c->amplify) / 50.0f;
                uint32_t n = std::min(frames, c->count);
                for (uint32_t i = 0; i < n; ++i) {
                    uint32_t at = (c->head + i) % kRingFrames;
                    acc[2 * i] += c->ring[2 * size_t(at)] * gain;
                    acc[2 * i + 1] += c->ring[2 * size_t(at) + 1] * gain;
                }
                if (n > 0) {
                    uint32_t last = (c->head + n - 1) % kRingFrames;
                    c->playedPos = c->ringPos[last] + (c->module ? 0 : 1);
                    c->head = (c->head + n) % kRingFrames;
                    c->count -= n;
                    wake = true;
                }
                // Decoded to the end and all of it played: the song stops by itself.
                if (c->count == 0 && c->ended)
                    c->state = kMusicStopped;
            }
        }
        if (wake)
            mWake.notify_all();
    }

private:
    uint32_t AddChannel(std::unique_ptr<Decoder> decoder, bool module, uint32_t flags)
    {
        auto c = std::make_unique<Channel>();
        c->module = module;
        c->flags = flags;
        c->step = (uint64_t(decoder->rate) << 32) / kMixRate;
        c->decoder = std::move(decoder);
        std::lock_guard<std::mutex> lock(mLock);
        uint32_t handle = NewHandle();
        mChannels.emplace(handle, std::move(c));
        return handle;
    }

    uint32_t AddSample(std::shared_ptr<Sample> sample)
    {
        std::lock_guard<std::mutex> lock(mLock);
        uint32_t handle = NewHandle();
        mSamples.emplace(handle, std::move(sample));
        return handle;
    }

    uint32_t NewHandle()
    {
        uint32_t handle = ++mLastHandle;
        return handle != 0 ? handle : ++mLastHandle;
    }

    // A sample that no channel plays, to be changed (a copy when a channel holds it). Lock held.
    Sample* WritableSample(uint32_t handle)
    {
        auto it = mSamples.find(handle);
        if (it == mSamples.end())
            return nullptr;
        if (it->second.use_count() > 1)
            it->second = std::make_shared<Sample>(*it->second);
        return it->second.get();
    }

    Channel* Find(uint32_t handle)
    {
        auto it = mChannels.find(handle);
        return it == mChannels.end() || it->second->freed ? nullptr : it->second.get();
    }

    // Drops what was decoded ahead and decodes from the target on. Lock held.
    void Reposition(Channel& c, uint64_t target)
    {
        c.generation++;
        c.seekPending = true;
        c.seekTarget = target;
        c.ended = false;
        c.loopedEmpty = false;
        c.head = 0;
        c.count = 0;
        c.playedPos = target;
    }

    bool Free(uint32_t handle, bool module)
    {
        std::unique_ptr<Channel> channel;
        {
            std::unique_lock<std::mutex> lock(mLock);
            auto it = mChannels.find(handle);
            if (it == mChannels.end() || it->second->module != module || it->second->freed)
                return false;
            it->second->freed = true;
            mDecoded.wait(lock, [&] { return !it->second->busy; });
            channel = std::move(it->second);
            mChannels.erase(it);
        }
        return true; // the decoder is ended here, outside the lock
    }

    // The decoder thread: fills the ring of the playing channel that has the least decoded.
    void DecodeLoop()
    {
        std::vector<int16_t> source;
        std::vector<float> out;
        std::vector<uint64_t> outPos;
        std::unique_lock<std::mutex> lock(mLock);
        while (!mQuit) {
            Channel* pick = nullptr;
            for (auto& [handle, c] : mChannels) {
                if (c->freed || c->ended || c->state == kMusicStopped)
                    continue;
                if (c->count + kBlockFrames > kRingFrames || (c->count >= kAheadFrames && !c->seekPending))
                    continue;
                if (pick == nullptr || c->count < pick->count)
                    pick = c.get();
            }
            if (pick == nullptr) {
                mWake.wait_for(lock, std::chrono::milliseconds(20));
                continue;
            }
            Channel& c = *pick;
            c.busy = true;
            uint64_t generation = c.generation;
            bool seek = c.seekPending;
            uint64_t target = c.seekTarget;
            bool loop = (c.flags & kMusicLoop) != 0;
            lock.unlock();

            bool ended = false;
            Decoder& d = *c.decoder;
            if (seek) {
                c.carry.clear();
                c.frac = 0;
                c.carryPos = target;
                if (!d.Seek(target))
                    ended = true;
            }
            d.SetLoop(loop);
            out.clear();
            outPos.clear();
            if (!ended) {
                source.resize(size_t(kBlockFrames) * d.channels);
                long got = d.Read(source.data(), kBlockFrames);
                if (got <= 0) {
                    // The end (or damaged data): a looping stream starts again unless it came
                    // back to the start without playing a frame.
                    if (got == 0 && loop && !c.module && !c.loopedEmpty && d.Seek(d.LoopStart())) {
                        c.loopedEmpty = true;
                        c.carry.clear();
                        c.frac = 0;
                        c.carryPos = d.LoopStart();
                    } else {
                        ended = true;
                        FlushCarry(c, out, outPos);
                    }
                } else {
                    c.loopedEmpty = false;
                    Resample(c, source.data(), uint32_t(got), out, outPos);
                }
            }

            lock.lock();
            c.busy = false;
            if (c.generation == generation && !c.freed) {
                if (seek)
                    c.seekPending = false;
                uint32_t n = uint32_t(outPos.size());
                for (uint32_t i = 0; i < n && c.count < kRingFrames; ++i) {
                    uint32_t at = (c.head + c.count) % kRingFrames;
                    c.ring[2 * size_t(at)] = out[2 * size_t(i)];
                    c.ring[2 * size_t(at) + 1] = out[2 * size_t(i) + 1];
                    c.ringPos[at] = outPos[i];
                    c.count++;
                }
                if (ended)
                    c.ended = true;
            }
            mDecoded.notify_all();
        }
    }

    // Turns source frames into mix-rate stereo frames by linear interpolation; the last source
    // frame waits in the carry for its successor.
    void Resample(Channel& c, const int16_t* src, uint32_t frames, std::vector<float>& out,
                  std::vector<uint64_t>& outPos)
    {
        const uint32_t ch = c.decoder->channels;
        if (c.module) {
            // Modules come at the mix rate in stereo; their position is the order.
            for (uint32_t i = 0; i < frames; ++i) {
                out.push_back(src[2 * i]);
                out.push_back(src[2 * i + 1]);
            }
            uint64_t order = static_cast<ModuleDecoder*>(c.decoder.get())->Order();
            outPos.insert(outPos.end(), frames, order);
            return;
        }
        c.carry.insert(c.carry.end(), src, src + size_t(frames) * ch);
        uint64_t have = c.carry.size() / ch;
        while ((c.frac >> 32) + 1 < have) {
            uint64_t i = c.frac >> 32;
            float t = float(uint32_t(c.frac)) * (1.0f / 4294967296.0f);
            const int16_t* a = &c.carry[i * ch];
            const int16_t* b = &c.carry[(i + 1) * ch];
            float l = a[0] + (b[0] - a[0]) * t;
            float r = a[ch - 1] + (b[ch - 1] - a[ch - 1]) * t;
            out.push_back(l);
            out.push_back(r);
            outPos.push_back(c.carryPos + i);
            c.frac += c.step;
        }
        uint64_t used = std::min<uint64_t>(c.frac >> 32, have);
        c.carry.erase(c.carry.begin(), c.carry.begin() + ptrdiff_t(used * ch));
        c.carryPos += used;
        c.frac -= used << 32;
    }

    // At the end the last source frame is played as it is.
    void FlushCarry(Channel& c, std::vector<float>& out, std::vector<uint64_t>& outPos)
    {
        const uint32_t ch = c.decoder->channels;
        if (c.module || c.carry.size() < ch)
            return;
        while ((c.frac >> 32) == 0) {
            out.push_back(c.carry[0]);
            out.push_back(c.carry[ch - 1]);
            outPos.push_back(c.carryPos);
            c.frac += c.step;
        }
        c.carry.clear();
        c.frac = 0;
    }

    AudioDevice* mDevice;
    DeviceStream mStream;
    std::unique_ptr<NullOutput> mNull;
    std::mutex mLock;
    std::condition_variable mWake;    // the decoder thread: work may be there
    std::condition_variable mDecoded; // waiters: frames were decoded or a decoder is free
    std::map<uint32_t, std::unique_ptr<Channel>> mChannels;
    std::map<uint32_t, std::shared_ptr<Sample>> mSamples;
    uint32_t mLastHandle = 0;
    int mStreamVolume = 100;
    int mModuleVolume = 100;
    int mBufferMs = 500;
    bool mQuit = false;
    std::thread mDecoderThread;
};

void DeviceStream::Mix(float* left, float* right, uint32_t frames)
{
    mInterleaved.assign(size_t(frames) * 2, 0.0f);
    mEngine->Mix(mInterleaved.data(), frames);
    for (uint32_t i = 0; i < frames; ++i) {
        left[i] += mInterleaved[2 * i];
        right[i] += mInterleaved[2 * i + 1];
    }
}

NullOutput::NullOutput(Engine* engine) : mEngine(engine)
{
    mThread = std::thread([this] {
        using Clock = std::chrono::steady_clock;
        std::vector<float> scratch;
        auto last = Clock::now();
        uint64_t carried = 0; // frames owed, in millionths
        while (!mStop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            auto now = Clock::now();
            uint64_t micros = uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(now - last).count());
            last = now;
            carried += micros * kMixRate;
            uint32_t frames = uint32_t(std::min<uint64_t>(carried / 1000000, kMixRate));
            carried -= uint64_t(frames) * 1000000;
            if (carried > uint64_t(kMixRate) * 1000000)
                carried = 0;
            if (frames == 0)
                continue;
            scratch.assign(size_t(frames) * 2, 0.0f);
            mEngine->Mix(scratch.data(), frames);
        }
    });
}

NullOutput::~NullOutput()
{
    mStop = true;
    mThread.join();
}

std::mutex gEnginesLock;
std::map<AudioDevice*, Engine*> gEngines;

void Engine::Release()
{
    std::lock_guard<std::mutex> lock(gEnginesLock);
    if (--refs > 0)
        return;
    gEngines.erase(mDevice);
    delete this;
}

} // namespace

MusicEngine* MusicEngine::Acquire(AudioDevice* device)
{
    std::lock_guard<std::mutex> lock(gEnginesLock);
    auto it = gEngines.find(device);
    if (it != gEngines.end()) {
        it->second->refs++;
        return it->second;
    }
    auto* engine = new Engine(device);
    gEngines.emplace(device, engine);
    return engine;
}

} // namespace plat
