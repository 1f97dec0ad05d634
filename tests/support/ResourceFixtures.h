// Bytes of small resource files for archive fixtures (PNG pictures, WAV sounds, text), a sound
// manager that plays into memory, so that sound resources load without a device, and an
// application that loads pictures without a window.
#pragma once

#include "app/Common.h"
#include "app/QuorAppBase.h"
#include "display/DDImage.h"
#include "graphics/SharedImage.h"
#include "resources/ImageLib.h"
#include "platform/Audio.h"
#include "sound/DSoundManager.h"
#include "tests/support/SoundFixtures.h"
#include "tests/support/TestSupport.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
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
    return Wave(1, 22050, 16, samples);
}

// The program's sound manager on an audio device that only renders into memory, so that sound
// resources load and play without a sound card.
class MemorySoundManager : public Quor::DSoundManager {
public:
    MemorySoundManager() : MemorySoundManager(NewDevice()) {}

private:
    explicit MemorySoundManager(plat::AudioDevice* device) : DSoundManager(device, false) { device->Release(); }
    static plat::AudioDevice* NewDevice()
    {
        plat::AudioDevice* device = nullptr;
        plat::AudioDevice::Create(plat::AudioOutput::Memory, "", &device);
        return device;
    }
};

// Popups are recorded. Pictures are loaded into display images and shared by upper-cased name
// and variant, as the application does with a display.
class LoadingApp : public Quor::QuorAppBase {
public:
    std::vector<std::string> mPopups;
    void Popup(const std::string& text) override { mPopups.push_back(text); }

    Quor::DDImage* LoadImageFile(const std::string& fileName, bool commitBits) override
    {
        std::unique_ptr<Quor::ImageLib::Image> decoded(Quor::ImageLib::GetImage(fileName, true));
        if (!decoded)
            return nullptr;
        auto* image = new Quor::DDImage(mDdInterface);
        image->mFilePath = fileName;
        image->SetBits(decoded->GetBits(), decoded->GetWidth(), decoded->GetHeight(), commitBits);
        return image;
    }
    Quor::SharedImageHandle GetSharedImage(const std::string& fileName, const std::string& variant,
                                           bool* created) override
    {
        Quor::SharedImageKey key{Quor::StringToUpper(fileName), Quor::StringToUpper(variant)};
        std::lock_guard<std::recursive_mutex> lock(mImageSetLock);
        auto it = mSharedImageMap.find(key);
        bool isNew = it == mSharedImageMap.end();
        if (isNew) {
            it = mSharedImageMap.emplace(key, std::make_unique<Quor::SharedImage>()).first;
            it->second->mImage = LoadImageFile(fileName, false);
        }
        if (created)
            *created = isNew;
        Quor::SharedImageHandle handle;
        handle = it->second.get();
        return handle;
    }
};

} // namespace quortest
