// The data editor on the sample content (main.pak beside the game program of this build, or the
// file named by TALLOWMERE_PAK): a full redraw of the blueprint editor (18 rows, a blueprint
// open) and of the material editor (every material) into 1024 x 768 RGB565 and XRGB8888 display
// surfaces, beside one opaque full-screen blit into the same surface (the goal: a redraw well
// inside the 10 ms of one update); and SAVE in the blueprint editor end to end beside its parts
// run alone (the file's bytes, the whole-file write, reading the game data, loading "GameMain").
// The quest side: the four checks of the character editor on the sample tables and on tables ten
// times larger beside one walk over every quest entry (goal: each well inside one update); the
// quest editor's full redraw with a middle talk target chosen beside the same blit; and the
// quest mode's file bytes and writes beside writing the same bytes with plat::WriteWholeFile
// (goal: within 1.2 times).
#include "BenchGameScreens.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "editor/CharacterChecks.h"
#include "editor/DataEditor.h"
#include "editor/QuestFiles.h"
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

// Full redraws of the open editor into a display surface, then the editor closes.
void RedrawEditor(benchmark::State& state, DataEditor* editor, bool is16)
{
    GameApp& game = *TheSetup().mGame;
    std::unique_ptr<DDImage> screen = TheSetup().Screen(is16);
    game.mWidgetManager->mImage = screen.get();
    for (auto _ : state) {
        editor->SetDirtyFull();
        benchmark::DoNotOptimize(game.mWidgetManager->DrawScreen());
    }
    game.mWidgetManager->mImage = nullptr;
    CloseEditor();
}

void BM_EditorRedraw(benchmark::State& state, int mode, bool is16)
{
    if (!Ready(state))
        return;
    RedrawEditor(state, OpenEditor(mode), is16);
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

// The sample's quests and characters, or copies of them under nine more Id ranges.
struct QuestTables {
    std::map<int32_t, QuestRecord> quests;
    std::map<int32_t, NpcRecord> npcs;
};

QuestTables SampleQuestTables(int copies)
{
    const GameApp& game = *TheSetup().mGame;
    QuestTables tables;
    for (int c = 0; c < copies; ++c) {
        const int32_t offset = 1000 * c;
        for (const auto& [id, quest] : game.questTable) {
            QuestRecord copy = quest;
            copy.Id = id + offset;
            tables.quests.emplace(copy.Id, std::move(copy));
        }
        for (const auto& [id, npc] : game.npcTable) {
            NpcRecord copy = npc;
            copy.Id = id + offset;
            tables.npcs.emplace(copy.Id, std::move(copy));
        }
    }
    return tables;
}

void BM_QuestChecks(benchmark::State& state)
{
    if (!Ready(state))
        return;
    const QuestTables tables = SampleQuestTables(int(state.range(0)));
    const int32_t npc = tables.npcs.empty() ? 0 : tables.npcs.begin()->first;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SpeechSetInUse(tables.quests, npc, 0));
        benchmark::DoNotOptimize(CheckMissRows(tables.quests, tables.npcs));
        benchmark::DoNotOptimize(CheckRewardRows(tables.quests));
        benchmark::DoNotOptimize(CheckBlueprintRows(tables.quests));
    }
    state.counters["quests"] = double(tables.quests.size());
}
BENCHMARK(BM_QuestChecks)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

// The reference: one walk over every Prop of every quest entry.
void BM_QuestEntryWalk_reference(benchmark::State& state)
{
    if (!Ready(state))
        return;
    const QuestTables tables = SampleQuestTables(int(state.range(0)));
    for (auto _ : state) {
        int64_t sum = 0;
        for (const auto& [id, quest] : tables.quests)
            for (const auto* list : {&quest.PreQuest, &quest.Target, &quest.Reward})
                for (const QuestEntry& entry : *list)
                    for (int32_t prop : entry.Prop)
                        sum += prop;
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_QuestEntryWalk_reference)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

// The quest editor on its first quest with a middle talk target (or else its first talk target)
// chosen.
void BM_QuestEditorRedraw(benchmark::State& state, bool is16)
{
    if (!Ready(state))
        return;
    GameApp& game = *TheSetup().mGame;
    game.ShowScreen(SCREEN_EDITOR, EDITOR_QUESTS);
    auto* editor = static_cast<DataEditor*>(game.screens[SCREEN_EDITOR]);
    // A middle talk target has the most lines; the first talk target serves when there is none.
    for (bool middleOnly : {true, false}) {
        for (const auto& [id, quest] : game.questTable) {
            for (size_t i = 0; i < quest.Target.size() && editor->mState[1] < 0; ++i)
                if (quest.Target[i].Type == 5 && (!middleOnly || (i > 0 && i + 1 < quest.Target.size()))) {
                    editor->ButtonDepress(id);
                    editor->ButtonDepress(DataEditor::ID_Q_ROW + int(i));
                }
            if (editor->mState[1] >= 0)
                break;
        }
        if (editor->mState[1] >= 0)
            break;
    }
    if (editor->mState[1] < 0)
        state.SkipWithError("no quest with a talk target");
    RedrawEditor(state, editor, is16);
}
BENCHMARK_CAPTURE(BM_QuestEditorRedraw, talk_565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_QuestEditorRedraw, talk_8888, false)->Unit(benchmark::kMillisecond);

// What the quest mode's SAVE writes: the three files' bytes and their writes.
void BM_QuestSave_filesAndWrites(benchmark::State& state)
{
    if (!Ready(state))
        return;
    const GameApp& game = *TheSetup().mGame;
    for (auto _ : state)
        for (const EditorFile& file : DataQuestFiles("BenchQuest", game.questTable, game.npcTable))
            if (!plat::WriteWholeFile(file.path, file.bytes.data(), file.bytes.size()))
                state.SkipWithError("a file could not be written");
}
BENCHMARK(BM_QuestSave_filesAndWrites)->Unit(benchmark::kMillisecond);

void BM_QuestSave_writesAlone(benchmark::State& state)
{
    if (!Ready(state))
        return;
    const GameApp& game = *TheSetup().mGame;
    const std::vector<EditorFile> files = DataQuestFiles("BenchQuest", game.questTable, game.npcTable);
    for (auto _ : state)
        for (const EditorFile& file : files)
            if (!plat::WriteWholeFile(file.path, file.bytes.data(), file.bytes.size()))
                state.SkipWithError("a file could not be written");
}
BENCHMARK(BM_QuestSave_writesAlone)->Unit(benchmark::kMillisecond);

} // namespace
