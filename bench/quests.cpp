// The quest engine as after every trade: the targets of 100 running quests of five targets each
// evaluated on 500 stock entries, then every quest's conditions checked, beside copying those
// 500 entries 100 times (the copies the evaluation itself makes). And the tutorial frame of the
// sample content drawing a text box of three runs with its arrow and buttons, beside one opaque
// full-screen blit.
#include "BenchGameScreens.h"
#include "game/quests/TutorFrame.h"
#include "game/shell/GameApp.h"
#include "game/world/GamePhase.h"
#include "game/world/Mission.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

using namespace Quor;

namespace {

class QuestBenchGame : public GameApp {
public:
    void ReportResourceError(bool) override {}
};

QuestEntry Entry(int type, std::vector<int32_t> prop)
{
    QuestEntry entry(type, "", "");
    entry.Prop = std::move(prop);
    return entry;
}

// 100 running quests (talk, delivery, material, money, production), 100 locked ones behind
// conditions that do not hold, and 500 stock entries of 50 products.
struct QuestWorld {
    QuestBenchGame app;
    GamePhase* phase;
    Mission* mission;

    QuestWorld()
    {
        app.CreateDefaultProfile("Bench");
        PlayerProfile& p = app.GetCurrentProfile();
        p.money = 5000;
        for (int i = 0; i < 500; ++i)
            p.stock.push_back({1 + i % 50, 1 + i / 50 % 3, 1 + i / 150, 3 + i % 7});
        for (int m = 1; m <= 20; ++m)
            p.materials[m] = m * 3;
        p.factories[0] = FactoryState{0, 7, true, false};
        p.production = {{0, 7, 2, 2, 12}};
        for (int id = 1; id <= 100; ++id) {
            QuestRecord& quest = app.questTable[id];
            quest.Id = id;
            quest.Target = {Entry(5, {12, 1, -1, 1, 2, 3}), Entry(1, {1 + id % 50, 1, 1, 5 + id % 40}),
                            Entry(2, {1 + id % 20, id % 70}), Entry(3, {id * 60}), Entry(4, {0, 7, id % 20, 1, 1})};
            QuestState& state = p.quests[id];
            state.questId = id;
            for (int t = 0; t < 5; ++t)
                state.targets[t] = t == 0;
        }
        for (int id = 101; id <= 200; ++id) {
            QuestRecord& quest = app.questTable[id];
            quest.Id = id;
            quest.PreQuest = {Entry(1 + id % 7, {99999, 9, 9, 9})};
            quest.Target = {Entry(5, {12, 1, -1, 1, 2, 3})};
        }
        phase = new GamePhase(&app);
        mission = new Mission(phase);
        phase->mPanels[PANEL_MISSION] = mission;
    }
    ~QuestWorld() { delete phase; }
};

void BM_QuestsAfterATrade(benchmark::State& state)
{
    QuestWorld world;
    for (auto _ : state) {
        world.mission->UpdateQuestTargets();
        world.mission->CheckQuestUnlocks(-1);
    }
    state.counters["quests"] = double(world.app.GetCurrentProfile().quests.size());
}
BENCHMARK(BM_QuestsAfterATrade)->Unit(benchmark::kMicrosecond);

void BM_Reference_CopyStock100Times(benchmark::State& state)
{
    QuestWorld world;
    const std::vector<StockItem>& stock = world.app.GetCurrentProfile().stock;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) {
            std::vector<StockItem> copy = stock;
            benchmark::DoNotOptimize(copy.data());
        }
    }
}
BENCHMARK(BM_Reference_CopyStock100Times)->Unit(benchmark::kMicrosecond);

quorbench::GameOnSampleContent& TheSetup()
{
    static quorbench::GameOnSampleContent setup("quor_bench_quests_");
    return setup;
}

void BM_TutorBoxRedraw(benchmark::State& state, bool is16)
{
    quorbench::GameOnSampleContent& s = TheSetup();
    if (!s.Ready(state))
        return;
    GameApp* app = s.mGame.get();
    if (app->profiles.empty())
        app->CreateDefaultProfile("Bench");
    auto* phase = new GamePhase(app);
    phase->Resize(0, 0, quorbench::kScreenW, quorbench::kScreenH);
    auto* frame = new TutorFrame(phase, 3);
    phase->mPanels[PANEL_TUTOR] = frame;
    // A text box with a next button, three runs, the menu and skip buttons and an arrow.
    TutorStep& step = frame->mSteps[3];
    step.Type = 2;
    step.Img = 20001;
    step.ImgX = 610;
    step.ImgY = 10;
    step.X = 500;
    step.Y = 330;
    step.W = 150;
    step.H = 120;
    step.Des = "Hello %name! I will show you how a trader of %tableware& gets along in this world.";
    frame->CloseStep();
    frame->mStepId = 3;
    frame->ShowStep();
    std::unique_ptr<DDImage> screen = s.Screen(is16);
    Graphics g(screen.get());
    for (auto _ : state)
        frame->Draw(&g);
    delete phase;
}
BENCHMARK_CAPTURE(BM_TutorBoxRedraw, box_565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TutorBoxRedraw, box_8888, false)->Unit(benchmark::kMillisecond);

void BM_OpaqueFullScreenBlit(benchmark::State& state, bool is16)
{
    TheSetup().OpaqueFullScreenBlit(state, is16);
}
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_8888, false)->Unit(benchmark::kMillisecond);

} // namespace
