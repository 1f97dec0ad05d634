// Sound fixtures made in code: WAV, AU and MP3 bytes, a tracker module, Ogg Vorbis files from
// the encoder helper program, an audio device that renders only into memory (and what tests of
// SDL's devices need: a scoped environment variable and a wait with a generous limit), and a
// sound's samples read back from the sound manager.
#pragma once

#include "app/Common.h"
#include "platform/Audio.h"
#include "sound/DSoundManager.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace quortest {

inline void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

inline void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        out.push_back(uint8_t(v >> (8 * i)));
}

inline void PutBE32(std::vector<uint8_t>& out, uint32_t v)
{
    for (int i = 3; i >= 0; i--)
        out.push_back(uint8_t(v >> (8 * i)));
}

inline void Chunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& body)
{
    out.insert(out.end(), id, id + 4);
    Put32(out, uint32_t(body.size()));
    out.insert(out.end(), body.begin(), body.end());
}

inline std::vector<uint8_t> Fmt(int tag, int channels, int rate, int bits)
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

inline std::vector<uint8_t> Riff(const std::vector<uint8_t>& chunks)
{
    std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
    Put32(out, uint32_t(chunks.size() + 4));
    out.insert(out.end(), {'W', 'A', 'V', 'E'});
    out.insert(out.end(), chunks.begin(), chunks.end());
    return out;
}

// A plain WAV file of the given format and sample bytes.
inline std::vector<uint8_t> Wave(int channels, int rate, int bits, const std::vector<uint8_t>& pcm)
{
    std::vector<uint8_t> c;
    Chunk(c, "fmt ", Fmt(1, channels, rate, bits));
    Chunk(c, "data", pcm);
    return Riff(c);
}

// 16-bit samples as little-endian bytes, and back.
inline std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples)
{
    std::vector<uint8_t> out;
    for (int16_t s : samples)
        Put16(out, uint16_t(s));
    return out;
}

inline std::vector<int16_t> Samples16(const std::vector<uint8_t>& bytes)
{
    std::vector<int16_t> out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        out.push_back(int16_t(bytes[i] | (bytes[i + 1] << 8)));
    return out;
}

// An AU file: header of 24 bytes, then the sample bytes; size is what the header declares.
inline std::vector<uint8_t> Au(uint32_t encoding, const std::vector<uint8_t>& samples, uint32_t size,
                               uint32_t rate = 8000, uint32_t channels = 1, uint32_t offset = 24)
{
    std::vector<uint8_t> out = {'.', 's', 'n', 'd'};
    PutBE32(out, offset);
    PutBE32(out, size);
    PutBE32(out, encoding);
    PutBE32(out, rate);
    PutBE32(out, channels);
    out.resize(offset < 24 ? 24 : offset, 0);
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

// MPEG-1 layer III frames, mono, 44100 Hz, 128 kbit/s, whose side information says every
// granule is empty: each frame (417 bytes) decodes to 1152 frames of silence.
inline std::vector<uint8_t> SilentMp3(int frames)
{
    std::vector<uint8_t> out;
    for (int i = 0; i < frames; i++) {
        size_t start = out.size();
        out.insert(out.end(), {0xFF, 0xFB, 0x90, 0xC0});
        out.resize(start + 417, 0);
    }
    return out;
}

// A four-channel tracker module ("M.K.") of the given number of orders, order n playing
// pattern n: a looping square-wave note held on the first channel, at one tick a row, so that
// each order lasts 1.28 s.
inline std::vector<uint8_t> TrackerModule(int orders)
{
    std::vector<uint8_t> out(20, 0); // title
    auto be16 = [&](uint32_t v) {
        out.push_back(uint8_t(v >> 8));
        out.push_back(uint8_t(v));
    };
    const uint32_t sampleWords = 16;
    for (int i = 0; i < 31; ++i) {
        out.resize(out.size() + 22, 0); // name
        be16(i == 0 ? sampleWords : 0);
        out.push_back(0);                // finetune
        out.push_back(i == 0 ? 64 : 0);  // volume
        be16(0);                         // loop start
        be16(i == 0 ? sampleWords : 1);  // loop length
    }
    out.push_back(uint8_t(orders));
    out.push_back(127);
    for (int i = 0; i < 128; ++i)
        out.push_back(uint8_t(i < orders ? i : 0));
    out.insert(out.end(), {'M', '.', 'K', '.'});
    for (int p = 0; p < orders; ++p) {
        for (int row = 0; row < 64; ++row) {
            for (int ch = 0; ch < 4; ++ch) {
                if (row == 0 && ch == 0) {
                    const uint32_t period = 428 - 40 * uint32_t(p); // a higher note each order
                    out.insert(out.end(), {uint8_t(period >> 8), uint8_t(period), 0x1F, 0x01}); // speed 1
                } else {
                    out.insert(out.end(), {0, 0, 0, 0});
                }
            }
        }
    }
    for (uint32_t i = 0; i < sampleWords * 2; ++i)
        out.push_back(i < sampleWords ? 0x60 : 0xA0);
    return out;
}

// Writes an Ogg Vorbis file of a sine tone (half full scale) through the encoder helper.
inline bool MakeOgg(const std::string& path, int channels, int rate, long frames, double toneHz)
{
    std::string command = std::string("'") + MAKE_TEST_OGG + "' '" + path + "' " + std::to_string(channels) +
                          " " + std::to_string(rate) + " " + std::to_string(frames) + " " +
                          std::to_string(toneHz);
    return std::system(command.c_str()) == 0;
}

// Sets an environment variable for one test and restores it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : mName(name)
    {
        const char* old = std::getenv(name);
        mHad = old != nullptr;
        if (mHad)
            mOld = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (mHad)
            setenv(mName, mOld.c_str(), 1);
        else
            unsetenv(mName);
    }

private:
    const char* mName;
    bool mHad = false;
    std::string mOld;
};

// Waits up to 30 s for a condition (polled every 5 ms).
template <typename F>
bool WaitFor(F condition)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// An audio device that only renders into memory.
class MemoryAudio {
public:
    MemoryAudio() { plat::AudioDevice::Create(plat::AudioOutput::Memory, "", &mDevice); }
    ~MemoryAudio() { mDevice->Release(); }
    MemoryAudio(const MemoryAudio&) = delete;
    MemoryAudio& operator=(const MemoryAudio&) = delete;

    plat::AudioDevice* operator->() const { return mDevice; }
    plat::AudioDevice* Get() const { return mDevice; }
    // The next frames of the mix, interleaved left and right.
    std::vector<int16_t> Render(uint32_t frames)
    {
        std::vector<int16_t> out(size_t(frames) * 2);
        mDevice->Render(out.data(), frames);
        return out;
    }

private:
    plat::AudioDevice* mDevice = nullptr;
};

// The sample bytes an id of the manager holds (empty when it holds none).
inline std::vector<uint8_t> SoundBytes(Quor::DSoundManager& manager, int id)
{
    plat::SoundBuffer* buffer = manager.AcquireSoundBuffer(id);
    if (buffer == nullptr)
        return {};
    void* data = nullptr;
    uint32_t bytes = 0;
    std::vector<uint8_t> out;
    if (plat::Succeeded(buffer->Lock(0, buffer->GetSize(), &data, &bytes, nullptr, nullptr, plat::kLockReadOnly))) {
        out.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + bytes);
        buffer->Unlock(data, bytes, nullptr, 0);
    }
    buffer->Release();
    return out;
}

inline plat::WaveFormat SoundFormat(Quor::DSoundManager& manager, int id)
{
    plat::WaveFormat format;
    plat::SoundBuffer* buffer = manager.AcquireSoundBuffer(id);
    if (buffer != nullptr) {
        buffer->GetFormat(&format);
        buffer->Release();
    }
    return format;
}

// Points the application-data folder somewhere for the life of the object.
class ScopedAppDataFolder {
public:
    explicit ScopedAppDataFolder(const std::string& folder) : mOld(Quor::GetAppDataFolder())
    {
        Quor::SetAppDataFolder(folder);
    }
    ~ScopedAppDataFolder() { Quor::SetAppDataFolder(mOld); }
    ScopedAppDataFolder(const ScopedAppDataFolder&) = delete;
    ScopedAppDataFolder& operator=(const ScopedAppDataFolder&) = delete;

private:
    std::string mOld;
};

} // namespace quortest
