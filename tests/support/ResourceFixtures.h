// Bytes of small resource files for archive fixtures (PNG pictures, WAV sounds, text) and a sound
// manager whose sounds go into a sound store, so that sound resources load without a device.
#pragma once

#include "resources/ImageLib.h"
#include "sound/SoundManager.h"
#include "sound/SoundStore.h"
#include "tests/support/TestSupport.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace quortest {

inline std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

inline std::vector<uint8_t> PngBytes(int w, int h, const std::function<uint32_t(int, int)>& pixel)
{
    TempDir dir;
    std::unique_ptr<Quor::ImageLib::Image> image(Quor::ImageLib::AllocImage(w, h));
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            image->mBits[y * w + x] = pixel(x, y);
    if (!Quor::ImageLib::WritePNGImage(dir.File("a.png"), image.get()))
        throw std::runtime_error("cannot write a PNG");
    return ReadFile(dir.File("a.png"));
}

// A mono 16-bit 22050 Hz WAV file holding the sample bytes.
inline std::vector<uint8_t> Wave(const std::vector<uint8_t>& samples)
{
    auto put = [](std::vector<uint8_t>& out, uint32_t v, int n) {
        for (int i = 0; i < n; i++)
            out.push_back(uint8_t(v >> (8 * i)));
    };
    std::vector<uint8_t> out = Bytes("RIFF");
    put(out, 36 + uint32_t(samples.size()), 4);
    for (char c : std::string("WAVEfmt "))
        out.push_back(uint8_t(c));
    put(out, 16, 4);
    put(out, 1, 2);
    put(out, 1, 2);
    put(out, 22050, 4);
    put(out, 44100, 4);
    put(out, 2, 2);
    put(out, 16, 2);
    for (char c : std::string("data"))
        out.push_back(uint8_t(c));
    put(out, uint32_t(samples.size()), 4);
    out.insert(out.end(), samples.begin(), samples.end());
    return out;
}

// A sound manager whose sounds are the store's; it plays nothing.
class StoreSoundManager : public Quor::SoundManager {
public:
    Quor::SoundStore mStore;

    bool Initialized() override { return false; }
    int LoadSound(const std::string&) override { return -1; }
    bool LoadSoundToId(int id, const std::string& name) override { return mStore.LoadSoundToId(id, name); }
    void ReleaseSound(int id) override { mStore.ReleaseSound(id); }
    void SetVolume(double) override {}
    bool SetBaseVolume(int id, double volume) override { return mStore.SetBaseVolume(id, volume); }
    bool SetBasePan(int id, int pan) override { return mStore.SetBasePan(id, pan); }
    Quor::SoundInstance* GetSoundInstance(int) override { return nullptr; }
    void ReleaseSounds() override { mStore.ReleaseSounds(); }
    void ReleaseChannels() override {}
    double GetMasterVolume() override { return 1.0; }
    void SetMasterVolume(double) override {}
    void SetCooperativeWindow(void*, bool) override {}
    void StopAllSounds() override {}
    int GetFreeSoundId() override { return mStore.GetFreeSoundId(); }
    int GetNumSounds() override { return mStore.GetNumSounds(); }
};

} // namespace quortest
