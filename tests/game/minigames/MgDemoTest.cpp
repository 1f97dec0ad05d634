// The five mini-games won by a scripted player whose clicks and drags go through the window's
// messages while the game records a demo, then the demo played back headless at another start
// time: the same production record, score and end. Each run is a game of its own in a child
// process (the game's globals), started on the fixture archive with a clock the loop drives.
#include "tests/app/AppTestSupport.h"
#include "tests/game/minigames/MiniGameFixture.h"

#include "game/minigames/MgGlaze.h"
#include "game/minigames/MgGlazeProd.h"
#include "game/minigames/MgGlazeSrc.h"
#include "game/minigames/MgPaint.h"
#include "game/minigames/MgPaintPiece.h"
#include "game/minigames/MgPuzzle.h"
#include "game/minigames/MgPuzzlePiece.h"
#include "game/minigames/MgTransfer.h"
#include "game/minigames/MgTransferPiece.h"
#include "game/minigames/MgUi.h"
#include "game/minigames/MgWine.h"
#include "game/minigames/MgWinePiece.h"
#include "game/shell/DCapResource.h"
#include "game/shell/Loading.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "game/world/GetReward.h"
#include "platform/Window.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <thread>

using namespace Quor;

namespace {

void Watchdog()
{
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::seconds(240));
        std::fprintf(stderr, "watchdog: the run did not end\n");
        std::_Exit(99);
    }).detach();
}

// The game on the fixture archive, recording or playing back the demo file, on a clock that
// moves only when the loop sleeps, without the loading thread, and without drawing (what is
// drawn does not steer the play).
class DemoGame : public quortest::FixtureGame {
public:
    DemoGame(const std::string& folder, const std::string& demo, bool play)
        : FixtureGame(folder), mDemo(demo), mPlay(play)
    {
        SetClock(&mClockNow);
        mLoadingThreadWanted = false;
        mCmdLineParsed = false;
    }
    // The demo option comes with the command line, as in the program: the settings read before
    // it stay out of the demo.
    void ParseCommandLine() override
    {
        mCmdLineParsed = true;
        (mPlay ? mPlayingDemo : mRecordingDemo) = true;
        mDemoFileName = mDemo;
    }
    bool Redraw() override
    {
        mHasPendingDraw = false;
        return true;
    }
    quortest::FakeClock mClockNow;

private:
    std::string mDemo;
    bool mPlay;
};

// What a run ended with.
struct Outcome {
    bool won = false;
    int score = -1;
    int rate = -1;
    int rating1 = -1;
    int rating2 = -1;
    int money = -1;
    int updates = -1;
};

// Product 1 of materials 1 and 2 (colours 1 and 2; 3 is no colour), five materials, short
// tuning, one profile in England with its factory, and the game screen with the mini-game
// screen of the number open.
GamePhase* OpenGame(DemoGame& game, int number)
{
    if (game.loadingScreen != nullptr) {
        game.mWidgetManager->RemoveWidget(game.loadingScreen);
        delete game.loadingScreen;
        game.loadingScreen = nullptr;
    }
    if (!game.LoadGroupInForeground("Sound", &BindSoundResources) || !game.LoadGroupInForeground("Fx", &BindFxResources))
        return nullptr;
    game.sourceTable.clear();
    for (int m = 1; m <= 5; ++m)
        game.sourceTable[m] = SourceRecord{m, "Material", "S_" + std::to_string(m), 5};
    game.blueprintTable.clear();
    game.blueprintTable[1] = BlueprintRecord{1, "Plate", "PD_1", 0, {{1, 1}, {2, 1}}, {{1, 1}, {2, 2}, {3, 1001}}};
    quortest::SampleTuning(game.miniGameTuning);
    quortest::PaintTuning(game.miniGameTuning);
    quortest::ConveyorTuning(game.miniGameTuning);
    quortest::ShapingTuning(game.miniGameTuning);
    quortest::GlazeTuning(game.miniGameTuning);
    PlayerProfile& profile = game.GetCurrentProfile();
    profile.tutorialStep = TutorialFinished;
    profile.country = 0;
    profile.factories[0] = FactoryState{0, 1, true, false};
    profile.production = {ProductionRecord{0, 1, 1, 1, 1}};
    profile.money = 500;

    auto* phase = new GamePhase(&game);
    if (!phase->IsUsable())
        return nullptr;
    game.screens[SCREEN_GAME] = phase;
    phase->Resize(0, 0, game.mWidth, game.mHeight);
    game.mWidgetManager->AddWidget(phase);
    phase->ShowPanel(PANEL_MINI_GAME, number);
    return phase;
}

// The player's hand: window messages, handled at the next update.
class Hand {
public:
    explicit Hand(DemoGame& game) : mGame(game) {}
    void Send(uint32_t message, uint32_t wParam, int x, int y)
    {
        const auto window = static_cast<plat::WindowId>(reinterpret_cast<uintptr_t>(mGame.mHWnd));
        QuorAppBase::WindowProc(window, message, wParam, plat::MakeLParam(x, y));
    }
    void Click(int x, int y)
    {
        Send(plat::WM_MOUSEMOVE, 0, x, y);
        Send(plat::WM_LBUTTONDOWN, 1, x, y);
        Send(plat::WM_LBUTTONUP, 0, x, y);
    }
    void Drag(int fromX, int fromY, int toX, int toY)
    {
        Send(plat::WM_MOUSEMOVE, 0, fromX, fromY);
        Send(plat::WM_LBUTTONDOWN, 1, fromX, fromY);
        Send(plat::WM_MOUSEMOVE, 1, toX, toY);
        Send(plat::WM_LBUTTONUP, 0, toX, toY);
    }
    DemoGame& mGame;
};

int MiddleX(const Widget* w)
{
    return w->mX + w->mWidth / 2;
}
int MiddleY(const Widget* w)
{
    return w->mY + w->mHeight / 2;
}

// Painting: every empty cup between y 100 and 400 gets the recipe's materials in turn.
void PaintMove(MgPaint* game, Hand& hand, int& next)
{
    std::vector<MgPaintSet*> cups = game->mCups;
    std::sort(cups.begin(), cups.end(), [](MgPaintSet* a, MgPaintSet* b) { return a->mY > b->mY; });
    for (MgPaintSet* cup : cups)
        if (cup->mActive && cup->mMaterial == -1 && cup->mY >= 100 && cup->mY <= 400) {
            MgPaintSrc* source = game->mSources[size_t(next++ % 2)];
            hand.Drag(MiddleX(source), MiddleY(source), MiddleX(cup), MiddleY(cup));
            return;
        }
}

// Conveyor: a material in plain view that the current product still needs.
void ConveyorMove(MgTransfer* game, Hand& hand)
{
    MgTransferProd* current = game->mProducts[game->mCurrentProduct];
    for (auto& [id, source] : game->mSources) {
        auto need = current->mCollected.find(source->mMaterial);
        if (!source->mTaken && need != current->mCollected.end() && !need->second && source->mX >= 40 &&
            source->mX + 100 <= 960) {
            hand.Click(MiddleX(source), MiddleY(source));
            return;
        }
    }
}

// Production Machine: in the lowest row in reach (inside the chute, above the machine's cover,
// not sliding) a misplaced piece swapped with the one holding its material.
void MachineMove(MgWine* game, Hand& hand)
{
    std::map<int, std::map<int, MgWinePiece*>> rows;
    for (auto& [id, piece] : game->mPieces)
        rows[piece->mRow][piece->mColumn] = piece;
    for (auto& [r, row] : rows) {
        const bool reachable = std::all_of(row.begin(), row.end(), [](const auto& entry) {
            const MgWinePiece* p = entry.second;
            return p->mY >= 110 && p->mY + p->mHeight < 543 && !p->mSwapping;
        });
        if (!reachable)
            continue;
        for (auto& [column, piece] : row)
            for (auto& [other, holder] : row)
                if (piece->mMaterial != column && holder->mMaterial == column) {
                    hand.Click(MiddleX(piece), MiddleY(piece));
                    hand.Click(MiddleX(holder), MiddleY(holder));
                    return;
                }
    }
}

// Refine Shaping: a misplaced tile swapped onto its home cell.
void ShapingMove(MgPuzzle* game, Hand& hand)
{
    for (auto& [id, a] : game->mPieces) {
        if (a->mCell == a->mHome || a->mLocked)
            continue;
        for (auto& [other, b] : game->mPieces)
            if (b->mSet == a->mSet && b->mCell == a->mHome) {
                hand.Click(MiddleX(a), MiddleY(a));
                hand.Click(MiddleX(b), MiddleY(b));
                return;
            }
    }
}

// Glaze Selection: the covered bowl of a required glaze the product still lacks.
void GlazeMove(MgGlaze* game, Hand& hand)
{
    if (game->mProduct == nullptr || game->mBlocker->mParent != nullptr)
        return;
    for (int glaze : game->mRequired) {
        auto slot = game->mBowlSlots.find(glaze);
        if (game->mProduct->mApplied[glaze] || slot == game->mBowlSlots.end() || game->mBoxes.count(slot->second) == 0)
            continue;
        MgGlazeSrc* box = game->mBoxes[slot->second];
        if (box->mReady && !box->mOpen && !box->mUsed) {
            hand.Click(MiddleX(box), MiddleY(box));
            return;
        }
    }
}

// The reward popup of a game that pays a bonus, null for none.
GetReward* RewardPopup(MgSkeleton* mini)
{
    if (auto* shaping = dynamic_cast<MgPuzzle*>(mini))
        return shaping->mReward.mPopup;
    if (auto* glaze = dynamic_cast<MgGlaze*>(mini))
        return glaze->mReward.mPopup;
    return nullptr;
}

// One run: recorded with the scripted player (who presses the end button and closes the window
// once the result is shown), or played back from the demo alone.
Outcome Run(const quortest::TempDir& dir, const std::string& demo, int number, bool play)
{
    Outcome out;
    auto* game = new DemoGame(dir.Path().string(), demo, play);
    game->Init();
    GamePhase* phase = game->mInitialized ? OpenGame(*game, number) : nullptr;
    if (phase == nullptr) {
        delete game;
        return out;
    }
    Hand hand(*game);
    int next = 0;
    int lastMove = -10;
    bool closing = false;
    for (int guard = 0; guard < 100000 && !game->mShutdown; ++guard) {
        auto* host = dynamic_cast<MgUi*>(phase->mPanels[PANEL_MINI_GAME]);
        if (!play && !closing && game->mUpdateCount >= lastMove + 6) {
            lastMove = game->mUpdateCount;
            MgSkeleton* mini = host != nullptr ? host->mGame : nullptr;
            if (mini == nullptr) {
                hand.Send(plat::WM_CLOSE, 0, 0, 0);
                closing = true;
            } else if (mini->mFinished) {
                out.score = host->mScore;
                if (GetReward* popup = RewardPopup(mini)) {
                    if (popup->mOkButton->mVisible)
                        hand.Click(MiddleX(popup->mOkButton), MiddleY(popup->mOkButton));
                } else {
                    hand.Click(MiddleX(host->mEndButton), MiddleY(host->mEndButton));
                }
            } else if (mini->mStarted) {
                if (auto* paint = dynamic_cast<MgPaint*>(mini))
                    PaintMove(paint, hand, next);
                else if (auto* conveyor = dynamic_cast<MgTransfer*>(mini))
                    ConveyorMove(conveyor, hand);
                else if (auto* shaping = dynamic_cast<MgPuzzle*>(mini))
                    ShapingMove(shaping, hand);
                else if (auto* glaze = dynamic_cast<MgGlaze*>(mini))
                    GlazeMove(glaze, hand);
                else if (auto* machine = dynamic_cast<MgWine*>(mini))
                    MachineMove(machine, hand);
            }
        }
        if (host != nullptr && host->mGame != nullptr && host->mGame->mFinished)
            out.score = host->mScore;
        // The headless window is never the active one: the game is told it is.
        game->mActive = true;
        game->mMinimized = false;
        game->FocusChanged();
        game->UpdateAppStep(nullptr);
    }
    const ProductionRecord& record = game->GetCurrentProfile().production[0];
    out.rate = record.rate;
    out.rating1 = record.rating1;
    out.rating2 = record.rating2;
    out.money = game->GetCurrentProfile().money;
    out.updates = game->mUpdateCount;
    out.won = game->mShutdown && (number == MINI_GAME_PAINT || number == MINI_GAME_WINE ? record.rate > 1
                                  : number == MINI_GAME_PUZZLE ? record.rating1 > 1
                                                               : record.rating2 > 1);
    delete game;  // writes the demo when recording
    return out;
}

void RecordAndReplay(int number)
{
    Watchdog();
    quortest::TempDir dir(quortest::RunDir());
    quortest::WriteGameArchive(dir.Path().string());
    const std::string demo = dir.File("win.dmo");
    const Outcome recorded = Run(dir, demo, number, false);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // another start time
    const Outcome played = Run(dir, demo, number, true);
    std::fprintf(stderr, "score %d rate %d rating %d won %d; replay alike %d\n", recorded.score, recorded.rate,
                 recorded.rating2, int(recorded.won),
                 int(played.score == recorded.score && played.rate == recorded.rate &&
                     played.rating1 == recorded.rating1 && played.rating2 == recorded.rating2 &&
                     played.money == recorded.money && played.updates == recorded.updates && played.won));
    std::fprintf(stderr, "shape level %d money %d\n", recorded.rating1, recorded.money);
    std::exit(0);
}

} // namespace

// Twenty ordered rows: levels 2 to 5 after rows 4, 8, 12 and 16, so 20 products and 5 more a
// day; the rate goes from 1 to 25, no money.
TEST(MiniGameDemoDeathTest, MachineWinReplaysToTheSameRecord)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RecordAndReplay(MINI_GAME_WINE), ::testing::ExitedWithCode(0),
                "score 25 rate 25 rating 1 won 1; replay alike 1\nshape level 1 money 500");
}

// Four products in 10.5 s raise the rate from 1 to 4.
TEST(MiniGameDemoDeathTest, PaintingWinReplaysToTheSameRecord)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RecordAndReplay(MINI_GAME_PAINT), ::testing::ExitedWithCode(0),
                "score 4 rate 4 rating 1 won 1; replay alike 1");
}

// Nine products end the play perfectly: rating 2 becomes 3.
TEST(MiniGameDemoDeathTest, ConveyorWinReplaysToTheSameRecord)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RecordAndReplay(MINI_GAME_TRANSFER), ::testing::ExitedWithCode(0),
                "score 9 rate 1 rating 3 won 1; replay alike 1");
}

// Nine sets solved with 50 s or more left: the shape level becomes 3 and the time left is paid
// after the popup's OK.
TEST(MiniGameDemoDeathTest, ShapingWinReplaysToTheSameRecordAndMoney)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RecordAndReplay(MINI_GAME_PUZZLE), ::testing::ExitedWithCode(0),
                "score 9 rate 1 rating 1 won 1; replay alike 1\nshape level 3 money 5[5-9][0-9]");
}

// Six products without a wrong pick: the glaze level becomes 3 and 300 are paid after the
// popup's OK.
TEST(MiniGameDemoDeathTest, GlazeWinReplaysToTheSameRecordAndMoney)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(RecordAndReplay(MINI_GAME_GLAZE), ::testing::ExitedWithCode(0),
                "score 6 rate 1 rating 3 won 1; replay alike 1\nshape level 1 money 800");
}
