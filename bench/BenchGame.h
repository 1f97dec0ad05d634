// The game of a benchmark run, started on the sample content (SampleContentPak). The user's
// folders point into a scratch folder, video and sound use SDL's dummy drivers, and a failed
// start is reported by the benchmarks rather than ending the program.
#pragma once

#include "BenchScratch.h"
#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "resources/PakInterface.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

namespace quorbench {

class BenchGame : public Quor::GameApp {
public:
    explicit BenchGame(const std::string& folder)
    {
        mCmdLineParsed = true;
        mOnlyAllowOneCopyToRun = false;
        mWindowed = true;
        mChangeDirTo = folder;
    }
    void Popup(const std::string& text) override { mLastPopup = text; }
    void ReportResourceError(bool) override
    {
        mLastPopup = resourceManager->GetErrorText();
        mShutdownRequested = true;
    }
    std::string mLastPopup;
};

// Makes and initialises the game in the scratch folder; the text of what went wrong, or "".
inline std::string StartSampleGame(const ScratchDir& scratch, std::unique_ptr<BenchGame>& game)
{
    std::string error;
    const std::filesystem::path pak = SampleContentPak(&error);
    if (pak.empty())
        return error;
    for (const char* sub : {"config", "data", "runtime"})
        std::filesystem::create_directories(scratch.Path() / sub);
    setenv("XDG_CONFIG_HOME", (scratch.Path() / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (scratch.Path() / "data").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (scratch.Path() / "runtime").c_str(), 1);
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    game = std::make_unique<BenchGame>(scratch.Path().string());
    Quor::GetPakInterface()->AddPakFile(pak.string());
    game->Init();
    if (!game->mInitialized || game->mShutdown || game->mShutdownRequested)
        return "the game did not start: " + game->mLastPopup;
    return "";
}

} // namespace quorbench
