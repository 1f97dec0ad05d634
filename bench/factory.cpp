// The factory screens on the sample content, on RGB565 and XRGB8888 screens of 1024 x 768: a full
// redraw of England's factory with the blueprint chooser's recipe card, and of the recipe book's
// grid (80 pictures at half scale, 79 of them silhouettes), each beside one opaque full-screen
// blit; opening the book (its group loaded and bound, 80 buttons, the first draw) beside decoding
// the group's PNG files with libpng alone.
#include "BenchDisplay.h"
#include "BenchGame.h"
#include "BenchPng.h"
#include "display/DDImage.h"
#include "game/shell/DCapResource.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/BpSelect.h"
#include "game/world/Factory.h"
#include "game/world/GamePhase.h"
#include "game/world/Pottery.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

using namespace Quor;

namespace {

constexpr int kW = 1024;
constexpr int kH = 768;

struct Setup {
    quorbench::ScratchDir mScratch{"quor_bench_factory_"};
    std::unique_ptr<quorbench::BenchGame> mGame;
    std::string mError;

    Setup()
    {
        setenv("QUOR_NO_3D", "1", 1);
        mError = quorbench::StartSampleGame(mScratch, mGame);
        if (!mError.empty())
            return;
        PlayerProfile& profile = mGame->GetCurrentProfile();
        profile.tutorialStep = TutorialFinished;
        profile.money = 100000;  // no rescue popup
        profile.country = 0;
        for (int id = 1; id <= 5; ++id)
            profile.recipes[id] = true;
        profile.factories[0].productId = 2;
        mGame->mHasFocus = true;
    }
};

Setup& GetSetup()
{
    static Setup setup;
    return setup;
}

bool Usable(benchmark::State& state, Setup& s)
{
    if (s.mError.empty())
        return true;
    state.SkipWithError(s.mError.c_str());
    return false;
}

// The game screen entered on England, drawing into the screen.
struct InGame {
    GameApp* mApp;
    WidgetManager mManager;
    GamePhase* mPhase;

    InGame(GameApp* app, Image* screen) : mApp(app), mManager(app)
    {
        mManager.SetMouseMapping(Rect(0, 0, kW, kH), Rect(0, 0, kW, kH));
        mManager.mImage = screen;
        mPhase = new GamePhase(app);
        mPhase->Resize(0, 0, kW, kH);
        mManager.AddWidget(mPhase);
        Update();
    }
    ~InGame()
    {
        mManager.RemoveWidget(mPhase);
        delete mPhase;
        mApp->ProcessSafeDeletes();
    }
    void Update()
    {
        mApp->mUpdateCount += 2;
        mManager.UpdateFrame();
    }
    void Redraw()
    {
        mPhase->SetDirty();
        mManager.DrawScreen();
    }
};

void BM_FactoryWithChooserCard(benchmark::State& state, bool is16)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    std::unique_ptr<DDImage> screen = quorbench::BlackScreen(is16);
    InGame game(s.mGame.get(), screen.get());
    game.mPhase->ShowPanel(PANEL_FACTORY, 0);
    auto* factory = dynamic_cast<Factory*>(game.mPhase->mPanels[PANEL_FACTORY]);
    if (factory == nullptr || factory->mMode != Factory::MODE_OWNED) {
        state.SkipWithError("England's factory did not open");
        return;
    }
    factory->OpenBpSelect(factory->ProductId());
    for (int i = 0; i < 40 && factory->mBpSelect->mFadingIn; ++i)
        game.Update();
    BpSelect* chooser = factory->mBpSelect;
    chooser->ButtonDepress(BpSelect::ID_COUNTRY);
    chooser->ButtonMouseEnter(1);
    if (chooser->mHovered != 2) {
        state.SkipWithError("the chooser shows no card");
        return;
    }
    for (auto _ : state)
        game.Redraw();
}
BENCHMARK_CAPTURE(BM_FactoryWithChooserCard, rgb565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FactoryWithChooserCard, xrgb8888, false)->Unit(benchmark::kMillisecond);

void BM_BookGrid(benchmark::State& state, bool is16)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    // A new player's book: blueprint 1 usable, the other 79 silhouettes.
    PlayerProfile& profile = s.mGame->GetCurrentProfile();
    const auto recipes = profile.recipes;
    for (auto& [id, owned] : profile.recipes)
        owned = id == 1;
    std::unique_ptr<DDImage> screen = quorbench::BlackScreen(is16);
    InGame game(s.mGame.get(), screen.get());
    game.mPhase->ShowPanel(PANEL_POTTERY, 0);
    game.Update();
    auto* book = dynamic_cast<Pottery*>(game.mPhase->mPanels[PANEL_POTTERY]);
    if (book == nullptr || !book->IsBuilt() || book->mBlueprintButtons.size() != 80) {
        state.SkipWithError("the recipe book did not open with 80 blueprints");
        profile.recipes = recipes;
        return;
    }
    for (auto _ : state)
        game.Redraw();
    int silhouettes = 0;
    for (ButtonWidget* button : book->mBlueprintButtons)
        silhouettes += button->mDisabled ? 1 : 0;
    state.counters["silhouettes"] = silhouettes;
    profile.recipes = recipes;
}
BENCHMARK_CAPTURE(BM_BookGrid, rgb565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_BookGrid, xrgb8888, false)->Unit(benchmark::kMillisecond);

void BM_Reference_OpaqueBlit(benchmark::State& state, bool is16)
{
    quorbench::OpaqueFullScreenBlits(state, is16);
}
BENCHMARK_CAPTURE(BM_Reference_OpaqueBlit, rgb565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reference_OpaqueBlit, xrgb8888, false)->Unit(benchmark::kMillisecond);

// Every opening loads the group again: its pictures are freed with the book.
void BM_OpenBook(benchmark::State& state)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    std::unique_ptr<DDImage> screen = quorbench::BlackScreen(false);
    InGame game(s.mGame.get(), screen.get());
    for (auto _ : state) {
        game.mPhase->ShowPanel(PANEL_POTTERY, 0);
        game.Redraw();
        state.PauseTiming();
        if (MB_BG == nullptr)
            state.SkipWithError(("MenuBlueprint did not load: " + s.mGame->mLastPopup).c_str());
        game.mPhase->ClosePanel(PANEL_POTTERY);
        game.Update();
        s.mGame->mCleanSharedImages = true;
        s.mGame->CleanSharedImages();
        state.ResumeTiming();
    }
    state.counters["images"] = s.mGame->resourceManager->GetNumImages("MenuBlueprint");
}
BENCHMARK(BM_OpenBook)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Reference_LibpngDecodeBook(benchmark::State& state)
{
    Setup& s = GetSetup();
    if (!Usable(state, s))
        return;
    quorbench::DecodeWithLibpng(state, quorbench::GroupImagePaths(*s.mGame->resourceManager, "MenuBlueprint"));
}
BENCHMARK(BM_Reference_LibpngDecodeBook)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
