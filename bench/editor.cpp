// The data editor on the sample content (main.pak beside the game program of this build, or the
// file named by TALLOWMERE_PAK): a full redraw of the blueprint editor (18 rows, a blueprint
// open) and of the material editor (every material) into 1024 x 768 RGB565 and XRGB8888 display
// surfaces, beside one opaque full-screen blit into the same surface (the goal: a redraw well
// inside the 10 ms of one update); and SAVE in the blueprint editor end to end beside its parts
// run alone (the file's bytes, the whole-file write, reading the game data, loading "GameMain").
#include "BenchScratch.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "editor/DataEditor.h"
#include "editor/EditorFiles.h"
#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Audio.h"
#include "platform/Files.h"
#include "platform/Video.h"
#include "platform/Window.h"
#include "resources/PakInterface.h"
#include "sound/DSoundManager.h"
#include "widgets/EditWidget.h"
#include "widgets/WidgetManager.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace Quor;

constexpr int kW = 1024;
constexpr int kH = 768;

class BenchGame : public GameApp {
public:
    void ReportResourceError(bool) override { mLastError = resourceManager->GetErrorText(); }
    int MsgBox(const std::string& text, const std::string&, uint32_t) override
    {
        mLastError = text;
        return 6;
    }
    std::string mLastError;
};

intptr_t Proc(plat::WindowId w, uint32_t m, uint32_t wp, uint32_t lp)
{
    return plat::DefWindowProc(w, m, wp, lp);
}

// The game on the sample content with its start-up group and game data, the current folder a
// scratch one with an empty "properties/" for the editor's files.
struct Setup {
    quorbench::ScratchDir mScratch{"quor_bench_editor_"};
    std::unique_ptr<BenchGame> mGame;
    std::string mError;
    std::unique_ptr<DDInterface> mDisplays[2];
    plat::VideoTestSettings mSettings;

    Setup()
    {
        const std::filesystem::path pak = quorbench::SampleContentPak(&mError);
        if (pak.empty())
            return;
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        std::filesystem::create_directories(mScratch.Path() / "properties");
        std::filesystem::current_path(mScratch.Path());
        mGame = std::make_unique<BenchGame>();
        // Sounds of the start-up group load into a device that only renders into memory.
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
        mGame->mWidgetManager->SetMouseMapping(Rect(0, 0, kW, kH), Rect(0, 0, kW, kH));

        // Two display layouts for the screens drawn into.
        static bool registered = plat::RegisterWindowClass("EditorBench", Proc, 0);
        (void)registered;
        plat::WindowId window =
            plat::CreateWindow(0, "EditorBench", "bench", plat::WS_POPUP | plat::WS_VISIBLE, 0, 0, kW, kH);
        mSettings.desktopWidth = 1600;
        mSettings.desktopHeight = 1200;
        mSettings.refreshSet = true;
        mSettings.refreshHz = 60;
        mSettings.desktopFormat = plat::kFormatXRGB8888;
        mSettings.format16 = plat::kFormatRGB565;
        plat::SetVideoTestSettings(&mSettings);
        for (int i = 0; i < 2; ++i) {
            mDisplays[i] = std::make_unique<DDInterface>(mGame.get());
            mGame->mFullScreenBits = i == 0 ? 16 : 32;
            mDisplays[i]->InitDisplay(reinterpret_cast<void*>(static_cast<uintptr_t>(window)), i == 1);
        }
    }
};

Setup& TheSetup()
{
    static Setup setup;
    return setup;
}

// False, with the benchmark skipped, when the game did not start on the sample content.
bool Ready(benchmark::State& state)
{
    if (TheSetup().mError.empty())
        return true;
    state.SkipWithError(TheSetup().mError.c_str());
    return false;
}

// A 1024 x 768 display surface of either layout.
std::unique_ptr<DDImage> Screen(bool is16)
{
    auto screen = std::make_unique<DDImage>(TheSetup().mDisplays[is16 ? 0 : 1].get());
    std::vector<uint32_t> grey(size_t(kW) * kH, 0xFF808080u);
    screen->SetBits(grey.data(), kW, kH);
    screen->CreateSurface();
    return screen;
}

// An editor of a mode on screen 11: mode 4 with its first blueprint open, mode 1 with the
// material of the middle row open.
DataEditor* OpenEditor(int mode)
{
    GameApp& game = *TheSetup().mGame;
    game.ShowScreen(SCREEN_EDITOR, mode);
    auto* editor = static_cast<DataEditor*>(game.screens[SCREEN_EDITOR]);
    if (mode == EDITOR_BLUEPRINTS && !game.blueprintTable.empty())
        editor->ButtonDepress(game.blueprintTable.begin()->first);
    if (mode == EDITOR_MATERIALS && !game.sourceTable.empty())
        editor->ButtonDepress(std::next(game.sourceTable.begin(), long(game.sourceTable.size() / 2))->first);
    return editor;
}

void CloseEditor()
{
    GameApp& game = *TheSetup().mGame;
    game.RemoveScreen(SCREEN_EDITOR);
    game.ProcessSafeDeletes();
}

void BM_EditorRedraw(benchmark::State& state, int mode, bool is16)
{
    if (!Ready(state))
        return;
    GameApp& game = *TheSetup().mGame;
    std::unique_ptr<DDImage> screen = Screen(is16);
    DataEditor* editor = OpenEditor(mode);
    game.mWidgetManager->mImage = screen.get();
    for (auto _ : state) {
        editor->SetDirtyFull();
        benchmark::DoNotOptimize(game.mWidgetManager->DrawScreen());
    }
    game.mWidgetManager->mImage = nullptr;
    CloseEditor();
}
BENCHMARK_CAPTURE(BM_EditorRedraw, blueprints_565, int(EDITOR_BLUEPRINTS), true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EditorRedraw, materials_565, int(EDITOR_MATERIALS), true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EditorRedraw, blueprints_8888, int(EDITOR_BLUEPRINTS), false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_EditorRedraw, materials_8888, int(EDITOR_MATERIALS), false)->Unit(benchmark::kMillisecond);

// The reference: one opaque picture of the screen's size blitted over it.
void BM_OpaqueFullScreenBlit(benchmark::State& state, bool is16)
{
    if (!Ready(state))
        return;
    std::unique_ptr<DDImage> screen = Screen(is16);
    std::vector<uint32_t> pixels(size_t(kW) * kH);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
    MemoryImage picture(nullptr);
    picture.SetBits(pixels.data(), kW, kH);
    Graphics g(screen.get());
    for (auto _ : state)
        g.DrawImage(&picture, 0, 0);
}
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_8888, false)->Unit(benchmark::kMillisecond);

// SAVE of the blueprint table under a name the archive does not hold, with the reread of the
// game data and the rebuild of the editor.
void BM_BlueprintSave_endToEnd(benchmark::State& state)
{
    if (!Ready(state))
        return;
    BenchGame& game = *TheSetup().mGame;
    DataEditor* editor = OpenEditor(EDITOR_BLUEPRINTS);
    editor->mBaseNameField->SetText("BenchBluePrint");
    for (auto _ : state) {
        editor->ButtonDepress(DataEditor::ID_SAVE);
        game.ProcessSafeDeletes();
    }
    if (!game.mLastError.empty())
        state.SkipWithError(game.mLastError.c_str());
    CloseEditor();
}
BENCHMARK(BM_BlueprintSave_endToEnd)->Unit(benchmark::kMillisecond);

void BM_BlueprintSave_partBytes(benchmark::State& state)
{
    if (!Ready(state))
        return;
    GameApp& game = *TheSetup().mGame;
    for (auto _ : state) {
        std::map<int32_t, BlueprintRecord> blueprints = game.blueprintTable;
        PruneColorSources(blueprints);
        benchmark::DoNotOptimize(DataBluePrintBytes(blueprints));
    }
}
BENCHMARK(BM_BlueprintSave_partBytes)->Unit(benchmark::kMillisecond);

void BM_BlueprintSave_partWrite(benchmark::State& state)
{
    if (!Ready(state))
        return;
    const std::string bytes = DataBluePrintBytes(TheSetup().mGame->blueprintTable);
    for (auto _ : state)
        if (!plat::WriteWholeFile("properties/BenchBluePrint.xml", bytes.data(), bytes.size()))
            state.SkipWithError("the file could not be written");
}
BENCHMARK(BM_BlueprintSave_partWrite)->Unit(benchmark::kMillisecond);

void BM_BlueprintSave_partLoadGameData(benchmark::State& state)
{
    if (!Ready(state))
        return;
    for (auto _ : state)
        TheSetup().mGame->LoadGameData();
}
BENCHMARK(BM_BlueprintSave_partLoadGameData)->Unit(benchmark::kMillisecond);

void BM_BlueprintSave_partLoadGameMain(benchmark::State& state)
{
    if (!Ready(state))
        return;
    ResourceManager* resources = TheSetup().mGame->resourceManager;
    for (auto _ : state) {
        resources->LoadResources("GameMain");
        BindGameMainResources(resources);
        state.PauseTiming();
        resources->DeleteResources("GameMain");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BlueprintSave_partLoadGameMain)->Unit(benchmark::kMillisecond);

} // namespace
