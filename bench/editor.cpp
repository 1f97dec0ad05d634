// The data editor on the sample content (main.pak beside the game program of this build, or the
// file named by TALLOWMERE_PAK): a full redraw of the blueprint editor (18 rows, a blueprint
// open) and of the material editor (every material) into 1024 x 768 RGB565 and XRGB8888 display
// surfaces, beside one opaque full-screen blit into the same surface (the goal: a redraw well
// inside the 10 ms of one update); and SAVE in the blueprint editor end to end beside its parts
// run alone (the file's bytes, the whole-file write, reading the game data, loading "GameMain").
#include "BenchGameScreens.h"
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

using quorbench::ScreensBenchGame;

quorbench::GameOnSampleContent& TheSetup()
{
    static quorbench::GameOnSampleContent setup("quor_bench_editor_");
    return setup;
}

bool Ready(benchmark::State& state)
{
    return TheSetup().Ready(state);
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
    std::unique_ptr<DDImage> screen = TheSetup().Screen(is16);
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

void BM_OpaqueFullScreenBlit(benchmark::State& state, bool is16)
{
    TheSetup().OpaqueFullScreenBlit(state, is16);
}
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_8888, false)->Unit(benchmark::kMillisecond);

// SAVE of the blueprint table under a name the archive does not hold, with the reread of the
// game data and the rebuild of the editor.
void BM_BlueprintSave_endToEnd(benchmark::State& state)
{
    if (!Ready(state))
        return;
    ScreensBenchGame& game = *TheSetup().mGame;
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
