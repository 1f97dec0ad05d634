// The game started on the sample content for the benchmarks that draw its screens: the
// start-up group and the game data loaded, sounds going to a device that only renders into
// memory, the current folder a scratch one, and two 1024 x 768 display layouts (RGB565 and
// XRGB8888) to draw into. Also the common reference: one opaque full-screen blit.
#pragma once

#include "BenchDisplay.h"
#include "BenchScratch.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Audio.h"
#include "platform/Video.h"
#include "platform/Window.h"
#include "resources/PakInterface.h"
#include "sound/DSoundManager.h"
#include "widgets/WidgetManager.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace quorbench {

constexpr int kScreenW = 1024;
constexpr int kScreenH = 768;

class ScreensBenchGame : public Quor::GameApp {
public:
    void ReportResourceError(bool) override { mLastError = resourceManager->GetErrorText(); }
    int MsgBox(const std::string& text, const std::string&, uint32_t) override
    {
        mLastError = text;
        return 6;
    }
    std::string mLastError;
};

struct GameOnSampleContent {
    ScratchDir mScratch;
    std::unique_ptr<ScreensBenchGame> mGame;
    std::string mError;
    std::unique_ptr<Quor::DDInterface> mDisplays[2];
    plat::VideoTestSettings mSettings;

    explicit GameOnSampleContent(const std::string& scratchPrefix) : mScratch(scratchPrefix)
    {
        using namespace Quor;
        const std::filesystem::path pak = SampleContentPak(&mError);
        if (pak.empty())
            return;
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        std::filesystem::create_directories(mScratch.Path() / "properties");
        std::filesystem::current_path(mScratch.Path());
        mGame = std::make_unique<ScreensBenchGame>();
        plat::AudioDevice* device = nullptr;
        plat::AudioDevice::Create(plat::AudioOutput::Memory, "", &device);
        mGame->mSoundManager = new DSoundManager(device, false);
        device->Release();
        GetPakInterface()->mDecryptPassword = GameApp::kArchivePassword;
        GetPakInterface()->AddPakFile(pak.string());
        for (const char* manifest : GameApp::kResourceManifests)
            if (!mGame->resourceManager->ParseResourcesFile(manifest)) {
                mError = "manifest " + std::string(manifest) + ": " + mGame->resourceManager->GetErrorText();
                return;
            }
        if (!mGame->resourceManager->LoadResources("Init") || !BindInitResources(mGame->resourceManager)) {
            mError = "the start-up group did not load: " + mGame->resourceManager->GetErrorText();
            return;
        }
        if (!mGame->LoadGameData()) {
            mError = "the game data did not load: " + mGame->mLastError;
            return;
        }
        mGame->mWidgetManager->SetMouseMapping(Rect(0, 0, kScreenW, kScreenH), Rect(0, 0, kScreenW, kScreenH));

        plat::WindowId window = OpenBenchWindow(mSettings);
        for (int i = 0; i < 2; ++i) {
            mDisplays[i] = std::make_unique<DDInterface>(mGame.get());
            mGame->mFullScreenBits = i == 0 ? 16 : 32;
            mDisplays[i]->InitDisplay(reinterpret_cast<void*>(static_cast<uintptr_t>(window)), i == 1);
        }
    }

    // False, with the benchmark skipped, when the game did not start on the sample content.
    bool Ready(benchmark::State& state) const
    {
        if (mError.empty())
            return true;
        state.SkipWithError(mError.c_str());
        return false;
    }

    // A grey 1024 x 768 display surface of either layout.
    std::unique_ptr<Quor::DDImage> Screen(bool is16) const
    {
        auto screen = std::make_unique<Quor::DDImage>(mDisplays[is16 ? 0 : 1].get());
        std::vector<uint32_t> grey(size_t(kScreenW) * kScreenH, 0xFF808080u);
        screen->SetBits(grey.data(), kScreenW, kScreenH);
        screen->CreateSurface();
        return screen;
    }

    // The reference: one opaque picture of the screen's size blitted over it.
    void OpaqueFullScreenBlit(benchmark::State& state, bool is16) const
    {
        if (!Ready(state))
            return;
        std::unique_ptr<Quor::DDImage> screen = Screen(is16);
        std::vector<uint32_t> pixels(size_t(kScreenW) * kScreenH);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
        Quor::MemoryImage picture(nullptr);
        picture.SetBits(pixels.data(), kScreenW, kScreenH);
        Quor::Graphics g(screen.get());
        for (auto _ : state)
            g.DrawImage(&picture, 0, 0);
    }
};

} // namespace quorbench
