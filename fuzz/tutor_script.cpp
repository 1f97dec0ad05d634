// Reads arbitrary bytes as the tutorial script into a tutorial frame on a game screen without
// pictures, then draws each step on a 1024 x 768 memory image and passes it by its own Pass
// event, up to 200 events.
#include "fuzz/FuzzScratch.h"
#include "game/quests/TutorFrame.h"
#include "game/shell/GameApp.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>

namespace {

// Neither message boxes nor resource errors stop the run; without pictures the screen is drawn
// with what there is.
class FuzzApp : public Quor::GameApp {
public:
    int MsgBox(const std::string&, const std::string&, uint32_t) override { return 1; }
    void ReportResourceError(bool) override {}
    void LogScreenError(const std::string&) override {}
};

struct World {
    World()
    {
        std::filesystem::create_directories(folder / "properties");
        // A profile the script's last action saves stays in the scratch folder.
        setenv("XDG_DATA_HOME", folder.c_str(), 1);
        app.CreateDefaultProfile("Fuzz");
        phase = new Quor::GamePhase(&app);
        phase->Resize(0, 0, 1024, 768);
        screen.Create(1024, 768);
    }
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "quor_fuzz_tutor";
    FuzzApp app;
    Quor::GamePhase* phase;  // kept for the process
    Quor::MemoryImage screen;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static World world;
    quorfuzz::WriteBytes((world.folder / "properties" / "DataTutor.xml").string(), data, size);
    Quor::PlayerProfile& profile = world.app.GetCurrentProfile();
    profile.tutorialStep = 0;
    // The frame reads its script from the current folder; libFuzzer reads its inputs from the
    // folder it was started in.
    const std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::current_path(world.folder);
    auto* frame = new Quor::TutorFrame(world.phase, 0);
    std::filesystem::current_path(started);
    world.phase->mPanels[Quor::PANEL_TUTOR] = frame;
    Quor::Graphics g(&world.screen);
    for (int events = 0; events < 200 && world.phase->mPanels[Quor::PANEL_TUTOR] == frame; ++events) {
        frame->Draw(&g);
        frame->Tick(0.5);
        auto step = frame->mSteps.find(frame->mStepId);
        if (step == frame->mSteps.end() || frame->IsClosed())
            break;
        frame->TutorPassEvent(step->second.Pass);
    }
    // A tutorial still running is skipped from wherever it stands.
    if (world.phase->mPanels[Quor::PANEL_TUTOR] == frame && !frame->IsClosed())
        frame->SkipTutorial();
    if (world.phase->mPanels[Quor::PANEL_TUTOR] == frame) {
        world.phase->mPanels[Quor::PANEL_TUTOR] = nullptr;
        delete frame;
    }
    world.phase->Update();  // frees a frame that closed itself
    return 0;
}
