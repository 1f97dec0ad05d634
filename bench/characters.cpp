// The character screens on the sample content, drawn into 1024 x 768 RGB565 and XRGB8888 display
// surfaces:
// - the final step of the cellar's quest from its OK until just before the hand-in (the eleven
//   firework systems over the place screen and the dialog): the worst frame of one game update
//   and one redraw, in thread CPU time (the goal: under 5 ms, half of one 10 ms update);
// - one frame of the reward screen while it grows, beside one opaque full-screen blit (the goal:
//   under 2 ms);
// - the open-quest list built again with 50 running quests, as after every trade (the goal: under
//   50 us).
#include "BenchGameScreens.h"
#include "game/quests/MissionReward.h"
#include "game/quests/MissionTarget.h"
#include "game/shell/EffectList.h"
#include "game/shell/ParticleSet.h"
#include "game/world/GamePhase.h"
#include "game/world/Mission.h"
#include "game/world/MissionHouse.h"
#include "widgets/ButtonWidget.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace {

using namespace Quor;

constexpr int kQuest = 5;  // the sample content's quest of England's cellar: accept, deliver, report
constexpr int kCellarSlot = 0;

quorbench::GameOnSampleContent& TheSetup()
{
    static quorbench::GameOnSampleContent setup("quor_bench_characters_");
    // The fireworks read their particle file loose beside the archive, as the program does.
    static const bool linked = [] {
        std::string error;
        const std::filesystem::path pak = quorbench::SampleContentPak(&error);
        std::error_code ignored;
        if (!pak.empty())
            std::filesystem::create_directory_symlink(pak.parent_path() / "particle", setup.mScratch.Path() / "particle",
                                                      ignored);
        return true;
    }();
    (void)linked;
    return setup;
}

double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The game screen on England past the tutorial, the cellar's quest at its last step with the
// plates in stock.
struct GameAtTheLastStep {
    GameApp& mGame;
    GamePhase* mPhase = nullptr;
    Mission* mDialog = nullptr;

    explicit GameAtTheLastStep(GameApp& game) : mGame(game)
    {
        static const bool made = (game.CreateDefaultProfile("Bench"), true);
        (void)made;
        PlayerProfile& p = game.GetCurrentProfile();
        p.tutorialStep = TutorialFinished;
        p.money = 5000;
        p.country = 0;
        p.stock = {{1, 1, 1, 10}};
        p.quests.clear();
        p.quests[4] = QuestState(4, 4, true, {{0, true}});
        ResetQuest();
        game.mHasFocus = true;
        mPhase = new GamePhase(&game);
        mPhase->Resize(0, 0, quorbench::kScreenW, quorbench::kScreenH);
        game.screens[SCREEN_GAME] = mPhase;
        game.mWidgetManager->AddWidget(mPhase);
        mDialog = dynamic_cast<Mission*>(mPhase->mPanels[PANEL_MISSION]);
    }
    ~GameAtTheLastStep()
    {
        mGame.RemoveScreen(SCREEN_GAME);
        mGame.ProcessSafeDeletes();
    }
    void ResetQuest()
    {
        mGame.GetCurrentProfile().quests[kQuest] = QuestState(kQuest, kQuest, false, {{0, true}, {1, true}, {2, false}});
    }
    void Update()
    {
        ++mGame.mUpdateCount;
        mGame.mWidgetManager->UpdateFrame();
        mGame.ProcessSafeDeletes();
    }
    // The cellar's place screen slid in with the character at the last step; false when the
    // sample content does not lead there.
    bool OpenCellar()
    {
        if (mDialog == nullptr)
            return false;
        mPhase->ShowPanel(PANEL_MISSION_HOUSE, 0);
        auto* house = dynamic_cast<MissionHouse*>(mPhase->mPanels[PANEL_MISSION_HOUSE]);
        if (house == nullptr)
            return false;
        house->AttachDialog(0, kCellarSlot, mDialog);
        mDialog->OpenNpcDialog(0, kCellarSlot);
        for (int i = 0; i < 6; ++i)
            Update();
        return mDialog->mQuestId == kQuest && mDialog->mTargetIndex == 2 && mPhase->HasWidget(mDialog->mOkButton);
    }
};

void BM_LastStepWorstFrame(benchmark::State& state, bool is16)
{
    if (!TheSetup().Ready(state))
        return;
    GameAtTheLastStep game(*TheSetup().mGame);
    if (!game.OpenCellar()) {
        state.SkipWithError("the cellar's character does not stand at the quest's last step");
        return;
    }
    std::unique_ptr<DDImage> screen = TheSetup().Screen(is16);
    Graphics g(screen.get());
    int systems = 0;
    for (auto _ : state) {
        std::srand(7);
        game.mDialog->ButtonDepress(Mission::ID_OK);
        double worst = 0.0;
        // Until the last firework is up and 0.18 s of game time have passed, just before the
        // hand-in: the time from the launch of the last one to the hand-in is 0.2 s.
        int after = -1;
        for (int frame = 0; frame < 1000 && after < 18; ++frame) {
            const double start = ThreadSeconds();
            game.Update();
            game.mPhase->Draw(&g);
            worst = std::max(worst, ThreadSeconds() - start);
            systems = std::max(systems, int(game.mPhase->mParticles->mSystems.size()));
            if (after >= 0 || game.mDialog->mFireworksLeft == 0)
                ++after;
        }
        state.SetIterationTime(worst);
        // Back to the OK of the last step for the next round.
        game.mPhase->mParticles->Clear();
        game.mPhase->mEffects->DeleteAll();
        game.ResetQuest();
        game.mDialog->OpenNpcDialog(0, kCellarSlot);
        game.Update();
    }
    state.counters["systems"] = systems;
}
// Each round plays the whole timeline of about 160 frames: a few rounds are enough.
BENCHMARK_CAPTURE(BM_LastStepWorstFrame, fireworks_565, true)
    ->UseManualTime()
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LastStepWorstFrame, fireworks_8888, false)
    ->UseManualTime()
    ->Iterations(4)
    ->Unit(benchmark::kMillisecond);

void BM_GrowingRewardScreen(benchmark::State& state, bool is16)
{
    if (!TheSetup().Ready(state))
        return;
    GameAtTheLastStep game(*TheSetup().mGame);
    const auto quest = TheSetup().mGame->questTable.find(kQuest);
    if (quest == TheSetup().mGame->questTable.end()) {
        state.SkipWithError("the sample content has no quest 5");
        return;
    }
    // The money reward of the last step, halfway grown.
    auto* reward = new MissionReward(game.mPhase, &quest->second, 2);
    reward->Resize(0, 0, quorbench::kScreenW, quorbench::kScreenH);
    game.mPhase->AddWidget(reward);
    if (!reward->ShowNextReward()) {
        state.SkipWithError("quest 5 shows no reward for its last step");
        return;
    }
    reward->mAlpha = 128;
    std::unique_ptr<DDImage> screen = TheSetup().Screen(is16);
    Graphics g(screen.get());
    for (auto _ : state)
        reward->Draw(&g);
    game.mPhase->RemoveWidget(reward);
    delete reward;
}
BENCHMARK_CAPTURE(BM_GrowingRewardScreen, reward_565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GrowingRewardScreen, reward_8888, false)->Unit(benchmark::kMillisecond);

void BM_OpaqueFullScreenBlit(benchmark::State& state, bool is16)
{
    TheSetup().OpaqueFullScreenBlit(state, is16);
}
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpaqueFullScreenBlit, reference_8888, false)->Unit(benchmark::kMillisecond);

// 50 running quests of four targets, each at another point of its steps, and 50 locked ones.
void BM_QuestListRebuild(benchmark::State& state)
{
    if (!TheSetup().Ready(state))
        return;
    GameApp& app = *TheSetup().mGame;
    GameAtTheLastStep game(app);
    const auto savedQuests = app.questTable;
    PlayerProfile& p = app.GetCurrentProfile();
    for (int id = 1001; id <= 1100; ++id) {
        QuestRecord& quest = app.questTable[id];
        quest.Id = id;
        quest.Des = "A quest of four steps";
        quest.Target = {QuestEntry(5, "Talk", "England, cellar"), QuestEntry(1, "Deliver", "Your stock"),
                        QuestEntry(5, "Report", "England, cellar"), QuestEntry(3, "Pay", "Your money")};
        quest.Target[0].Prop = {10, 19, -1, 0, 1, 2};
        quest.Target[2].Prop = {10, 19, 1, 3, 4, 5};
        if (id <= 1050)
            p.quests[id] = QuestState(id, id, false, {{0, true}, {1, id % 3 == 0}, {2, id % 6 == 0}, {3, false}});
        else
            p.quests[id] = QuestState(id, id, false, {{0, false}});
    }
    MissionTarget list(game.mPhase);
    game.mPhase->AddWidget(&list);
    for (auto _ : state)
        list.Rebuild();
    state.counters["rows"] = list.mRowCount;
    game.mPhase->RemoveWidget(&list);
    for (int id = 1001; id <= 1100; ++id)
        p.quests.erase(id);
    app.questTable = savedQuests;
}
BENCHMARK(BM_QuestListRebuild)->Unit(benchmark::kMicrosecond);

} // namespace
