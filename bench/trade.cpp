// A trading day through the panels' own code on the sample content: the supplier buys the
// materials of 25 pieces for each of four factories (recipes 1-4 in England, Japan, China and
// the USA), every factory produces at rate 25, the cellar sells the whole stock, and the supplier's
// and cellar's prices are worked out again, with the character dialog's quest checks after each
// change. Timed as one day at the start of a game, one day after ten years of such days (the
// purchase and sale logs are never pruned), and that same day with both logs emptied; and the
// whole ten years once. The goal is under 1 ms a day after ten years, a tenth of an update.
#include "BenchGameScreens.h"
#include "game/shell/GameApp.h"
#include "game/world/Cellar.h"
#include "game/world/GamePhase.h"
#include "game/world/Mission.h"
#include "game/world/Supplier.h"
#include "game/shell/EffectList.h"
#include "game/shell/ResourceBinding.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>

using namespace Quor;

namespace {

constexpr int kFactories[4] = {0, 2, 5, 7};
constexpr int kRate = 25;
constexpr int kTenYears = 3650;

quorbench::GameOnSampleContent& TheSetup()
{
    static quorbench::GameOnSampleContent setup("quor_bench_trade_");
    return setup;
}

// The game screen with the dialog, the supplier and the cellar open in England, and a player
// owning the four factories.
struct TradeWorld {
    GameApp* app;
    GamePhase* phase;
    Supplier* supplier;
    Cellar* cellar;

    explicit TradeWorld(GameApp* game) : app(game)
    {
        app->profiles.clear();
        app->CreateDefaultProfile("Bench");
        PlayerProfile& p = app->GetCurrentProfile();
        p.tutorialStep = TutorialFinished;
        p.money = 1000000000;
        p.day = 1;
        for (int i = 0; i < 4; ++i) {
            p.factories[kFactories[i]] = FactoryState{kFactories[i], i + 1, true, false};
            if (ProductionRecord* record = p.FindProductRecord(i + 1))
                record->rate = kRate;
        }
        std::srand(1);
        app->LoadGroupInForeground("Fx", &BindFxResources);
        phase = new GamePhase(app);
        phase->Resize(0, 0, quorbench::kScreenW, quorbench::kScreenH);
        phase->mPanels[PANEL_MISSION] = new Mission(phase);
        supplier = new Supplier(phase, 0);
        cellar = new Cellar(phase, 0);
        phase->mPanels[PANEL_SUPPLIER] = supplier;
        phase->mPanels[PANEL_CELLAR] = cellar;
    }
    ~TradeWorld() { delete phase; }

    // One day: buy, produce, sell all, refresh both panels' prices.
    void Day()
    {
        PlayerProfile& p = app->GetCurrentProfile();
        for (int product = 1; product <= 4; ++product)
            for (const auto& [material, quantity] : app->blueprintTable.at(product).materialQty)
                for (const auto& slot : supplier->mSlots)
                    if (slot.active && slot.item == material)
                        supplier->AddToOrder(slot.index, quantity * kRate);
        phase->ProduceInAllFactories();
        cellar->SellAll();
        supplier->RefreshOffers();
        cellar->RefreshSlots();
        phase->mEffects->DeleteAll();  // the purchase effects, which no frame plays here
        // Keep the money away from the int maximum so every day buys the same.
        p.money = 1000000000;
    }
};

bool Ready(benchmark::State& state)
{
    return TheSetup().Ready(state);
}

// One day on a profile as the snapshot left it, restored before each day.
void TimeDay(benchmark::State& state, TradeWorld& world, const PlayerProfile& snapshot)
{
    for (auto _ : state) {
        state.PauseTiming();
        world.app->GetCurrentProfile() = snapshot;
        world.supplier->RefreshOffers();
        world.cellar->RefreshSlots();
        state.ResumeTiming();
        world.Day();
    }
    const PlayerProfile& p = world.app->GetCurrentProfile();
    state.counters["purchase_log"] = double(p.purchaseLog.size());
    state.counters["sale_log"] = double(p.saleLog.size());
}

// The profile after ten years of days, made once.
const PlayerProfile& TenYearsOn()
{
    static PlayerProfile profile = [] {
        TradeWorld world(TheSetup().mGame.get());
        for (int day = 0; day < kTenYears; ++day)
            world.Day();
        return world.app->GetCurrentProfile();
    }();
    return profile;
}

void BM_TradeDay_AtTheStart(benchmark::State& state)
{
    if (!Ready(state))
        return;
    TradeWorld world(TheSetup().mGame.get());
    const PlayerProfile start = world.app->GetCurrentProfile();
    TimeDay(state, world, start);
}
BENCHMARK(BM_TradeDay_AtTheStart)->Unit(benchmark::kMicrosecond);

void BM_TradeDay_AfterTenYears(benchmark::State& state)
{
    if (!Ready(state))
        return;
    const PlayerProfile& later = TenYearsOn();
    TradeWorld world(TheSetup().mGame.get());
    TimeDay(state, world, later);
}
BENCHMARK(BM_TradeDay_AfterTenYears)->Unit(benchmark::kMicrosecond);

void BM_Reference_TradeDay_TenYearsOnEmptyLogs(benchmark::State& state)
{
    if (!Ready(state))
        return;
    PlayerProfile later = TenYearsOn();
    later.purchaseLog.clear();
    later.saleLog.clear();
    TradeWorld world(TheSetup().mGame.get());
    TimeDay(state, world, later);
}
BENCHMARK(BM_Reference_TradeDay_TenYearsOnEmptyLogs)->Unit(benchmark::kMicrosecond);

void BM_TradeTenYears(benchmark::State& state)
{
    if (!Ready(state))
        return;
    for (auto _ : state) {
        TradeWorld world(TheSetup().mGame.get());
        const auto start = std::chrono::steady_clock::now();
        for (int day = 0; day < kTenYears; ++day)
            world.Day();
        const std::chrono::duration<double, std::micro> spent = std::chrono::steady_clock::now() - start;
        state.counters["us_per_day"] = spent.count() / kTenYears;
    }
}
BENCHMARK(BM_TradeTenYears)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
