// The mini-game screen on the sample content. One screen tick plus a full redraw of the
// Production Machine at its busiest (twenty rows on the chute, the dust, the furnace's fire, the
// machine's smoke and a row's product on the belt), of Refine Shaping at level 3 (36 tiles, one
// selected, the gauge part filled), of Glaze Selection with 12 bowls mid-drop, a wrong pick's
// blink and the product, of Painting with six filled cups and the fireworks flying, and of
// Conveyor at level 1 (four belts of ten materials), on RGB565 and XRGB8888 screens of 1024 x 768, beside one opaque
// full-screen blit of GM_BG_FACTORY (the goal: under 5 ms, half of a 10 ms update). Opening the
// Production Machine (its ten pictures) and Glaze Selection (its 55 pictures by path), "Mg"
// loaded and bound each time, beside decoding the same PNG files, read into memory beforehand,
// with libpng alone (the goal: within 1.3 times).
#include "BenchDisplay.h"
#include "BenchGame.h"
#include "BenchPng.h"
#include "display/DDImage.h"
#include "game/minigames/MgGlaze.h"
#include "game/minigames/MgGlazeSrc.h"
#include "game/minigames/MgPaint.h"
#include "game/minigames/MgPaintPiece.h"
#include "game/minigames/MgPuzzle.h"
#include "game/minigames/MgPuzzlePiece.h"
#include "game/minigames/MgTransfer.h"
#include "game/minigames/MgUi.h"
#include "game/minigames/MgWine.h"
#include "game/minigames/MgWinePiece.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/EffectList.h"
#include "game/shell/DCapResource.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "widgets/WidgetManager.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <type_traits>
#include <string>
#include <vector>

using namespace Quor;

namespace {

constexpr int kW = 1024;
constexpr int kH = 768;

const char* const kMachinePictures[] = {
    "images/mg_4/ui_bg.png",   "images/mg_4/ui_bg_c.png", "images/mg_4/clock.png",   "images/mg_4/clock_pin.png",
    "images/mg_4/wheel_0.png", "images/mg_4/wheel_1.png", "images/mg_4/wheel_2.png", "images/mg_4/Mini3_smoke.png",
    "images/mg_4/p_break.png", "images/mg_4/logo.png",
};

struct Setup {
    quorbench::ScratchDir mScratch{"quor_bench_minigames_"};
    std::unique_ptr<quorbench::BenchGame> mGame;
    std::string mError;
    GamePhase* mPhase = nullptr;
    WidgetManager* mManager = nullptr;

    Setup()
    {
        setenv("QUOR_NO_3D", "1", 1);
        mError = quorbench::StartSampleGame(mScratch, mGame);
        if (!mError.empty())
            return;
        // The particle files lie loose beside the archive.
        std::string error;
        std::filesystem::create_directory_symlink(quorbench::SampleContentPak(&error).parent_path() / "particle",
                                                  mScratch.Path() / "particle");
        GameApp* app = mGame.get();
        if (!app->LoadGroupInForeground("Fx", &BindFxResources)) {
            mError = "Fx did not load: " + mGame->mLastPopup;
            return;
        }
        app->CreateDefaultProfile("Bench");
        PlayerProfile& profile = app->GetCurrentProfile();
        profile.tutorialStep = TutorialFinished;
        profile.country = 0;
        profile.factories[0] = FactoryState{0, 1, true, false};
        profile.production = {ProductionRecord{0, 1, 1, 1, 0}};
        app->mHasFocus = true;
        mManager = new WidgetManager(app);
        mManager->SetMouseMapping(Rect(0, 0, kW, kH), Rect(0, 0, kW, kH));
        mPhase = new GamePhase(app);
        if (!mPhase->IsUsable()) {
            mError = "GameMain did not load: " + mGame->mLastPopup;
            return;
        }
        mPhase->Resize(0, 0, kW, kH);
        mManager->AddWidget(mPhase);
    }
};

// The set-up, made once; null, with the benchmark skipped, when the game did not start on the
// sample content.
Setup* Ready(benchmark::State& state)
{
    static Setup setup;
    if (!setup.mError.empty()) {
        state.SkipWithError(setup.mError.c_str());
        return nullptr;
    }
    return &setup;
}

// Closes the mini-game screen and frees it with "Mg" and every decoded picture.
void CloseMachine(Setup& s)
{
    s.mPhase->ClosePanel(PANEL_MINI_GAME);
    s.mPhase->ClosePanel(PANEL_FACTORY);
    s.mPhase->Update();
    s.mGame->CleanSharedImages();
}

std::unique_ptr<DDImage> Screen(bool is16)
{
    auto screen = std::make_unique<DDImage>(quorbench::TheDisplay(is16).dd.get());
    std::vector<uint32_t> black(size_t(kW) * kH, 0xFF000000u);
    screen->SetBits(black.data(), kW, kH);
    screen->CreateSurface();
    return screen;
}


// The game of the number opened on the sample content with its ready sign run out, set up by
// the first function; then per iteration the second function, one host tick (the clock kept
// running) and a full redraw. Skipped when the game did not open.
template <class Game>
void TickAndRedraw(benchmark::State& state, bool is16, int number, const std::function<void(Game*)>& setUp,
                   const std::function<void(Game*)>& eachTick)
{
    Setup* ready = Ready(state);
    if (ready == nullptr)
        return;
    Setup& s = *ready;
    std::unique_ptr<DDImage> screen = Screen(is16);
    s.mManager->mImage = screen.get();
    s.mPhase->ShowPanel(PANEL_MINI_GAME, number);
    auto* host = dynamic_cast<MgUi*>(s.mPhase->mPanels[PANEL_MINI_GAME]);
    auto* game = host ? dynamic_cast<Game*>(host->mGame) : nullptr;
    if (game == nullptr) {
        state.SkipWithError("the game did not open");
        CloseMachine(s);
        s.mManager->mImage = nullptr;
        return;
    }
    for (int i = 0; i < 130; ++i) {
        ++s.mGame->mUpdateCount;
        host->Tick(GamePhase::kTickStep);
    }
    setUp(game);
    for (auto _ : state) {
        eachTick(game);
        host->mCountdown = 60.0;
        ++s.mGame->mUpdateCount;
        host->Tick(GamePhase::kTickStep);
        s.mGame->ProcessSafeDeletes();
        s.mPhase->mDirty = true;
        s.mManager->DrawScreen();
    }
    state.counters["widgets"] = double(s.mPhase->mWidgets.size());
    state.counters["effects"] = double(host->mEffects->mEffects.size());
    CloseMachine(s);
    s.mManager->mImage = nullptr;
}

void BM_MachineTickAndRedraw(benchmark::State& state, bool is16)
{
    int n = 0;
    TickAndRedraw<MgWine>(
        state, is16, MINI_GAME_WINE,
        [](MgWine* game) {
            // The chute full: ten rows in view above the machine, ten behind them.
            game->mBottomRow = 8;
            for (auto& [id, piece] : game->mPieces)
                piece->Move(piece->mX, (game->mBottomRow - piece->mRow) * MgWine::kRowStep + 603);
            game->OnEffectDone(MgWine::ID_ROW_SMOKE);
            game->App()->mHasFocus = true;
        },
        [&n](MgWine* game) {
            // A row's product always on the belt; the chute never steps.
            if (!game->mBusy)
                game->ShowRowResult(++n % 2 == 0);
            game->mTickCounter = 1;
        });
}
BENCHMARK_CAPTURE(BM_MachineTickAndRedraw, rgb565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MachineTickAndRedraw, xrgb8888, false)->Unit(benchmark::kMillisecond);

void BM_ShapingTickAndRedraw(benchmark::State& state, bool is16)
{
    // Level 3: four boards of nine, one tile selected, a third of the gauge filled.
    TickAndRedraw<MgPuzzle>(
        state, is16, MINI_GAME_PUZZLE,
        [](MgPuzzle* game) {
            game->RaiseLevel();
            game->RaiseLevel();
            for (auto& [id, piece] : game->mPieces)
                if (piece->mCell != piece->mHome) {
                    game->SelectPiece(id);
                    break;
                }
            game->mTilesInPlace = game->TileCount() / 3;
        },
        [](MgPuzzle*) {});
}
BENCHMARK_CAPTURE(BM_ShapingTickAndRedraw, rgb565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ShapingTickAndRedraw, xrgb8888, false)->Unit(benchmark::kMillisecond);

void BM_GlazeTickAndRedraw(benchmark::State& state, bool is16)
{
    int n = 0;
    TickAndRedraw<MgGlaze>(
        state, is16, MINI_GAME_GLAZE,
        [](MgGlaze* game) {
            // The first board built, then twelve bowls of level 3 dealt at once.
            game->BuildBoard();
            game->mHost->mLevel = 3;
            game->mHost->mEffects->DeleteAll();
            game->DealBoxes();
        },
        [&n](MgGlaze* game) {
            for (auto& [slot, box] : game->mBoxes) {
                box->mReady = true;
                box->mOpen = true;
                box->mLifted = false;
                box->mDropTimer = game->DropTime() / 2;
            }
            // A wrong pick's blink on the chance boxes all the time.
            if (n++ % 20 == 0) {
                game->mHost->mEffects->DeleteAll();
                game->mChances = 3;
                game->TryGlaze(0, 0);
            }
        });
}
BENCHMARK_CAPTURE(BM_GlazeTickAndRedraw, rgb565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GlazeTickAndRedraw, xrgb8888, false)->Unit(benchmark::kMillisecond);

void BM_PaintTickAndRedraw(benchmark::State& state, bool is16)
{
    // Every cup full and a product always finished, so that its fireworks keep flying.
    auto busy = [](MgPaint* game) {
        if (game->mRecipeMaterials.empty())
            return;
        for (MgPaintSet* cup : game->mCups)
            if (cup->mMaterial == -1)
                cup->SetMaterial(game->mRecipeMaterials.front());
        if (game->mHost->mParticles->mSystems.count(ParticleSet::kPathSystemId) == 0)
            for (int material : game->mRecipeMaterials)
                game->mProduct->Deliver(material);
    };
    TickAndRedraw<MgPaint>(
        state, is16, MINI_GAME_PAINT,
        [&busy](MgPaint* game) {
            // The fireworks a second on their way, when most of their sparks fly.
            for (int i = 0; i < 50; ++i) {
                busy(game);
                game->mHost->Tick(GamePhase::kTickStep);
            }
        },
        busy);
}
BENCHMARK_CAPTURE(BM_PaintTickAndRedraw, rgb565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PaintTickAndRedraw, xrgb8888, false)->Unit(benchmark::kMillisecond);

void BM_ConveyorTickAndRedraw(benchmark::State& state, bool is16)
{
    // Level 1 as it opens: four belts of ten materials, the four products.
    TickAndRedraw<MgTransfer>(state, is16, MINI_GAME_TRANSFER, [](MgTransfer*) {}, [](MgTransfer*) {});
}
BENCHMARK_CAPTURE(BM_ConveyorTickAndRedraw, rgb565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ConveyorTickAndRedraw, xrgb8888, false)->Unit(benchmark::kMillisecond);

void BM_Reference_OpaqueFactoryBlit(benchmark::State& state, bool is16)
{
    if (Ready(state) == nullptr)
        return;
    std::unique_ptr<DDImage> screen = Screen(is16);
    Graphics g(screen.get());
    for (auto _ : state)
        g.DrawImage(GM_BG_FACTORY, 0, 0);
}
BENCHMARK_CAPTURE(BM_Reference_OpaqueFactoryBlit, rgb565, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Reference_OpaqueFactoryBlit, xrgb8888, false)->Unit(benchmark::kMillisecond);

// Opens the game of the number and closes it again, per iteration; the pictures it holds
// counted.
template <class Game>
void OpenGame(benchmark::State& state, int number)
{
    Setup* ready = Ready(state);
    if (ready == nullptr)
        return;
    Setup& s = *ready;
    for (auto _ : state) {
        s.mPhase->ShowPanel(PANEL_MINI_GAME, number);
        state.PauseTiming();
        auto* host = dynamic_cast<MgUi*>(s.mPhase->mPanels[PANEL_MINI_GAME]);
        auto* game = host ? dynamic_cast<Game*>(host->mGame) : nullptr;
        if (game == nullptr)
            state.SkipWithError("the game did not open");
        else
            state.counters["pictures"] = double(std::count_if(std::begin(game->mImages), std::end(game->mImages),
                                                              [](Image* image) { return image != nullptr; }));
        if constexpr (std::is_same_v<Game, MgGlaze>)
            if (game != nullptr)
                state.counters["pictures"] += double(game->mGlazePictures.size());
        CloseMachine(s);
        state.ResumeTiming();
    }
}

void BM_OpenMachine(benchmark::State& state)
{
    OpenGame<MgWine>(state, MINI_GAME_WINE);
}
BENCHMARK(BM_OpenMachine)->Unit(benchmark::kMillisecond)->UseRealTime();

// The pictures of "Mg" and the game's own, decoded with libpng alone.
void DecodeWithMg(benchmark::State& state, const std::vector<std::string>& own)
{
    Setup* ready = Ready(state);
    if (ready == nullptr)
        return;
    std::vector<std::string> names = quorbench::GroupImagePaths(*ready->mGame->resourceManager, "Mg");
    names.insert(names.end(), own.begin(), own.end());
    quorbench::DecodeWithLibpng(state, names);
}

void BM_Reference_LibpngDecodeMachine(benchmark::State& state)
{
    DecodeWithMg(state, std::vector<std::string>(std::begin(kMachinePictures), std::end(kMachinePictures)));
}
BENCHMARK(BM_Reference_LibpngDecodeMachine)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenGlaze(benchmark::State& state)
{
    OpenGame<MgGlaze>(state, MINI_GAME_GLAZE);
}
BENCHMARK(BM_OpenGlaze)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Reference_LibpngDecodeGlaze(benchmark::State& state)
{
    std::vector<std::string> names;
    for (int glaze = 1; glaze <= 36; ++glaze)
        names.push_back("images/mg_1/s_" + std::to_string(glaze) + ".png");
    for (const char* part : {"_bg", "_1", "_2", "_3"})
        names.push_back(std::string("images/mg_6/pd0") + part + ".png");
    names.insert(names.end(), std::begin(MgGlaze::kScreenPictures), std::end(MgGlaze::kScreenPictures));
    DecodeWithMg(state, names);
}
BENCHMARK(BM_Reference_LibpngDecodeGlaze)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
