// Refine Shaping played through the widget manager: the deal and its board positions, a scripted
// player that swaps each misplaced tile home (levels, the ninth set, the time bonus and its
// popup), the clock's results by hand, the selection rules, a set dealt anew when out of moves,
// the popup taken down with the game, and the tutorial's fixed set.
#include "tests/game/minigames/MiniGameFixture.h"
#include "tests/game/minigames/MiniGamePictures.h"

#include "game/minigames/MgPuzzle.h"
#include "game/minigames/MgPuzzlePiece.h"
#include "game/minigames/MgPuzzleTutor.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/ResourceBinding.h"
#include "widgets/ButtonWidget.h"

#include <set>

using namespace Quor;

namespace {

std::pair<int, int> XY(const Point& p)
{
    return {p.mX, p.mY};
}

class MgPuzzleTest : public quortest::MiniGameTest {
protected:
    void StartShaping()
    {
        Start();
        quortest::ShapingTuning(app->miniGameTuning);
        GiveResultEffect();
        quortest::WriteShapingPictures(kProduct);
    }
    MgPuzzle* OpenShaping()
    {
        MgUi* host = Open(MINI_GAME_PUZZLE);
        return host ? dynamic_cast<MgPuzzle*>(host->mGame) : nullptr;
    }
    // Opens the game and waits out the ready sign.
    MgPuzzle* OpenAndStart()
    {
        MgPuzzle* game = OpenShaping();
        if (game == nullptr || !TickUntil([&] { return game->mStarted; }, 200))
            return nullptr;
        return game;
    }

    // The tiles of a set by home cell.
    static std::vector<MgPuzzlePiece*> Set(MgPuzzle* game, int set)
    {
        std::vector<MgPuzzlePiece*> tiles;
        for (auto& [id, piece] : game->mPieces)
            if (piece->mSet == set)
                tiles.push_back(piece);
        return tiles;
    }
    // Puts every tile of the set on the cell the function gives its home.
    void Arrange(MgPuzzle* game, int set, const std::function<int(int)>& cellOf)
    {
        for (MgPuzzlePiece* piece : Set(game, set)) {
            piece->mCell = cellOf(piece->mHome);
            piece->mLocked = piece->mCell == piece->mHome;
            const Point at = MgPuzzle::CellPosition(Host()->mLevel, set, piece->mCell);
            piece->Move(at.mX, at.mY);
        }
    }
    static bool Solved(MgPuzzle* game, int set)
    {
        for (MgPuzzlePiece* piece : Set(game, set))
            if (piece->mCell != piece->mHome)
                return false;
        return true;
    }
    // The player's next move on the set: the first misplaced tile clicked, then the tile
    // standing on its home cell. False when the set is solved.
    bool SwapOneHome(MgPuzzle* game, int set)
    {
        for (MgPuzzlePiece* a : Set(game, set)) {
            if (a->mCell == a->mHome)
                continue;
            for (MgPuzzlePiece* b : Set(game, set))
                if (b->mCell == a->mHome) {
                    Click(a);
                    Click(b);
                    return true;
                }
        }
        return false;
    }
    // Swaps of the set until one more would solve it; the number made.
    int SolveAllButOne(MgPuzzle* game, int set)
    {
        int swaps = 0;
        for (;;) {
            int misplaced = 0;
            for (MgPuzzlePiece* piece : Set(game, set))
                misplaced += piece->mCell != piece->mHome;
            if (misplaced <= 2)
                return swaps;
            SwapOneHome(game, set);
            ++swaps;
        }
    }
    // A set that is not solved yet, -1 when none.
    static int OpenSet(MgPuzzle* game)
    {
        for (int k = 0; k < MgPuzzle::kMaxSets; ++k)
            if (!Set(game, k).empty() && !Solved(game, k))
                return k;
        return -1;
    }
};

TEST_F(MgPuzzleTest, DealsTwoShuffledSetsOnTheirBoardsLockedUntilTheStart)
{
    StartShaping();
    std::srand(7);
    MgPuzzle* game = OpenShaping();
    ASSERT_NE(game, nullptr);
    MgUi* host = Host();
    EXPECT_EQ(host->mCountdown, 90.0);
    EXPECT_EQ(game->mPieces.size(), 18u);
    for (int set = 0; set < 2; ++set) {
        EXPECT_EQ(game->mSets[set].set, set);
        EXPECT_EQ(game->mSets[set].movesLeft, 99998);
        EXPECT_FALSE(game->mSets[set].done);
        std::set<int> cells;
        for (MgPuzzlePiece* piece : Set(game, set)) {
            EXPECT_EQ(piece->mPieceId, 9 * set + piece->mHome);
            cells.insert(piece->mCell);
            const int baseX = set == 0 ? 381 : 606;
            EXPECT_EQ(piece->GetRect(), Rect(baseX + 57 + 56 * (piece->mCell % 3), 226 + 60 + 56 * (piece->mCell / 3), 56, 56));
            EXPECT_TRUE(piece->mLocked);  // the ready sign runs
            EXPECT_EQ(piece->mParent, phase);
        }
        EXPECT_EQ(cells.size(), 9u);
        EXPECT_EQ(XY(game->mSetFrames[set]), std::pair((set == 0 ? 381 : 606) + 34, 256));
    }
    // The other levels' boards, and a pair outside the table at 0, 0.
    EXPECT_EQ(XY(MgPuzzle::CellPosition(2, 2, 4)), std::pair(381 + 57 + 56, 348 + 60 + 56));
    EXPECT_EQ(XY(MgPuzzle::CellPosition(3, 3, 8)), std::pair(606 + 57 + 112, 348 + 60 + 112));
    EXPECT_EQ(XY(MgPuzzle::CellPosition(2, 3, 0)), std::pair(57, 60));
    EXPECT_EQ(XY(MgPuzzle::CellPosition(1, 2, 0)), std::pair(57, 60));

    // A locked tile answers no click.
    Click(Set(game, 0)[0]);
    EXPECT_EQ(game->mSelectedPiece, -1);
    EXPECT_EQ(Seen().Count(SE_UI_CLICK), 0);

    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    for (auto& [id, piece] : game->mPieces)
        EXPECT_EQ(piece->mLocked, piece->mCell == piece->mHome) << id;
}

TEST_F(MgPuzzleTest, WinningRunRaisesTheLevelTwiceAndPaysTheTimeLeftThroughThePopupOnce)
{
    StartShaping();
    Profile().production[0].rating1 = 1;
    std::srand(12);
    MgPuzzle* game = OpenAndStart();
    ASSERT_NE(game, nullptr);
    MgUi* host = Host();
    std::vector<int> levelAfter;  // the level after each solved set
    int solved = 0;
    while (solved < 9) {
        const int set = OpenSet(game);
        ASSERT_GE(set, 0);
        SolveAllButOne(game, set);
        if (solved == 8) {  // the last swap 28.5 s into play
            ASSERT_TRUE(TickUntil([&] { return host->mCountdown <= 61.5 + 1e-9; }, 3000));
        }
        ASSERT_TRUE(SwapOneHome(game, set));
        ++solved;
        ASSERT_EQ(host->mScore, solved);
        levelAfter.push_back(host->mLevel);
        EXPECT_EQ(game->mPieces.size(), size_t(9 * (host->mLevel + 1)));
        Tick();  // the tiles of a rebuilt board are freed here
    }
    EXPECT_EQ(levelAfter, (std::vector<int>{1, 2, 2, 2, 3, 3, 3, 3, 3}));
    EXPECT_EQ(Seen().Count(SE_CYCLE_GET), 9);
    EXPECT_EQ(Seen().Count(SE_MIS_FIN), 1);
    EXPECT_FALSE(game->mStarted);
    EXPECT_EQ(host->mWinnings, 61);
    EXPECT_EQ(Profile().production[0].rating1, 3);
    EXPECT_EQ(game->mStars, 3);
    EXPECT_EQ(game->mTilesInPlace, game->TileCount());
    EXPECT_EQ(game->GaugeWidth(), 150);
    for (auto& [id, piece] : game->mPieces)
        EXPECT_TRUE(piece->mLocked);
    bool perfect = false;
    for (const auto& effect : host->mEffects->mEffects)
        perfect = perfect || effect->mImage == MG_2_PERFECT;
    EXPECT_TRUE(perfect);

    ASSERT_TRUE(TickUntil([&] { return game->mFinished; }, 400));
    Click(host->mEndButton);
    GetReward* popup = game->mReward.mPopup;
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->mReward, (std::vector<int>{1, 61}));
    EXPECT_EQ(popup->GetRect(), Rect(0, 0, 1024, 768));
    EXPECT_EQ(popup->mParent, phase);
    host->ButtonDepress(MgUi::ID_END);  // a second press opens nothing more
    EXPECT_EQ(game->mReward.mPopup, popup);
    ASSERT_TRUE(PressRewardOk(popup));
    EXPECT_EQ(Profile().money, 500);  // paid when the popup has faded out
    ASSERT_TRUE(TickUntil([&] { return phase->mPanels[PANEL_MINI_GAME] == nullptr; }, 100));
    EXPECT_EQ(Profile().money, 561);
    Tick(5);
    EXPECT_EQ(Profile().money, 561);
    EXPECT_TRUE(Seen().Has("money effect"));
}

// The clock runs out at a score: the shape level is raised, never lowered, by it; no bonus.
TEST_F(MgPuzzleTest, TheClockGivesTheShapeLevelByTheScoreAndPaysNothing)
{
    struct Case {
        int score, ratingBefore, ratingAfter, stars;
    };
    for (Case c : {Case{1, 0, 0, 0}, Case{4, 0, 1, 1}, Case{6, 1, 2, 2}, Case{6, 3, 3, 2}, Case{2, 0, 1, 1}, Case{5, 0, 2, 2}}) {
        SCOPED_TRACE(c.score);
        StartShaping();
        Profile().production[0].rating1 = c.ratingBefore;
        MgPuzzle* game = OpenAndStart();
        ASSERT_NE(game, nullptr);
        MgUi* host = Host();
        host->mScore = c.score;
        host->mCountdown = 0.1;
        ASSERT_TRUE(TickUntil([&] { return game->mFinished; }, 400));
        EXPECT_EQ(Profile().production[0].rating1, c.ratingAfter);
        EXPECT_EQ(game->mStars, c.stars);
        EXPECT_EQ(host->mWinnings, 0);
        for (auto& [id, piece] : game->mPieces)
            EXPECT_TRUE(piece->mLocked);
        Click(host->mEndButton);
        EXPECT_EQ(game->mReward.mPopup, nullptr);
        EXPECT_EQ(phase->mPanels[PANEL_MINI_GAME], nullptr);
        EXPECT_EQ(Profile().money, 500);
        Tick(1);
        TearDown();
        SetUp();
    }
}

TEST_F(MgPuzzleTest, OnlyASetsOwnTileCanBeSecondAndTheSelectedTileDropsTheSelection)
{
    StartShaping();
    std::srand(3);
    MgPuzzle* game = OpenAndStart();
    ASSERT_NE(game, nullptr);
    auto misplaced = [&](int set, int skip = -1) {
        for (MgPuzzlePiece* piece : Set(game, set))
            if (piece->mCell != piece->mHome && piece->mPieceId != skip)
                return piece;
        return static_cast<MgPuzzlePiece*>(nullptr);
    };
    MgPuzzlePiece* a = misplaced(0);
    MgPuzzlePiece* other = misplaced(1);
    ASSERT_TRUE(a && other);
    const int cellA = a->mCell, cellOther = other->mCell;
    Click(a);
    EXPECT_EQ(game->mSelectedPiece, a->mPieceId);
    EXPECT_EQ(Seen().Count(SE_UI_CLICK), 1);
    Click(other);  // another set's tile: disabled, nothing happens
    EXPECT_EQ(game->mSelectedPiece, a->mPieceId);
    EXPECT_EQ(a->mCell, cellA);
    EXPECT_EQ(other->mCell, cellOther);
    EXPECT_EQ(Seen().Count(SE_UI_CLICK), 1);
    EXPECT_EQ(game->mSets[0].movesLeft, 99998);

    Click(a);  // the selected tile again: no selection, every tile enabled
    EXPECT_EQ(game->mSelectedPiece, -1);
    for (auto& [id, piece] : game->mPieces)
        EXPECT_TRUE(piece->mEnabled);
    Click(other);
    EXPECT_EQ(game->mSelectedPiece, other->mPieceId);
    EXPECT_EQ(game->mSets[0].movesLeft, 99998);

    // A swap counts a move of the selected tile's set. A set standing solved without a swap in
    // it (as a deal may leave one) is never counted: only a swap looks at its own set.
    Click(other);
    Arrange(game, 0, [](int home) { return home; });
    Arrange(game, 1, [](int home) { return (home + 1) % 9; });
    Click(game->Piece(9));
    Click(game->Piece(11));
    EXPECT_EQ(game->mSets[1].movesLeft, 99997);
    EXPECT_EQ(Host()->mScore, 0);
    EXPECT_FALSE(game->mSets[0].done);
}

TEST_F(MgPuzzleTest, ASetOutOfMovesIsDealtAnewAndItsOldTilesFreedAfterTheClick)
{
    StartShaping();
    std::srand(5);
    MgPuzzle* game = OpenAndStart();
    ASSERT_NE(game, nullptr);
    // Every tile one cell on: swapping homes 0 and 2 then leaves both off their homes.
    Arrange(game, 1, [](int home) { return (home + 1) % 9; });
    std::vector<MgPuzzlePiece*> before = Set(game, 1);
    game->mSets[1].movesLeft = 1;
    MgPuzzlePiece* a = game->Piece(9);
    MgPuzzlePiece* b = game->Piece(11);
    Click(a);
    Click(b);
    std::vector<MgPuzzlePiece*> after = Set(game, 1);
    ASSERT_EQ(after.size(), 9u);
    for (MgPuzzlePiece* piece : after)
        EXPECT_EQ(std::count(before.begin(), before.end(), piece), 0);
    EXPECT_EQ(a->mParent, nullptr);  // off the screen, freed at the end of the update
    EXPECT_EQ(game->mSets[1].movesLeft, 99998);
    EXPECT_EQ(Host()->mScore, 0);
    EXPECT_EQ(game->mSetFrames.count(1), 1u);
    EXPECT_EQ(game->mPieces.size(), 18u);
    Tick();
}

TEST_F(MgPuzzleTest, GaugeMultipliesBeforeDividingAndTheClockNeedsAPlayTime)
{
    StartShaping();
    MgPuzzle* game = OpenShaping();
    ASSERT_NE(game, nullptr);
    struct Case {
        int inPlace, width;
    };
    for (Case c : {Case{0, 0}, Case{1, 8}, Case{9, 75}, Case{17, 141}, Case{18, 150}}) {
        game->mTilesInPlace = c.inPlace;
        EXPECT_EQ(game->GaugeWidth(), c.width) << c.inPlace;
    }
    Host()->mCountdown = 45.0;
    EXPECT_FLOAT_EQ(game->GetClockAngle(), 3.14f);
    app->miniGameTuning.m2Time = 0;
    EXPECT_EQ(game->GetClockAngle(), 0.0f);
}

TEST_F(MgPuzzleTest, ThePopupGoesWithTheGameWhenTheScreenClosesUnderIt)
{
    StartShaping();
    MgPuzzle* game = OpenAndStart();
    ASSERT_NE(game, nullptr);
    Host()->mWinnings = 30;
    EXPECT_FALSE(game->ShowReward());
    GetReward* popup = game->mReward.mPopup;
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->mParent, phase);
    ASSERT_TRUE(TickUntil([&] { return popup->mOkButton->mParent == phase; }, 200));
    Widget* ok = popup->mOkButton;
    // A tutorial skip or the way back to the main menu closes the panel without its OK.
    phase->ClosePanel(PANEL_MINI_GAME);
    Tick();
    for (Widget* widget : phase->mWidgets) {
        EXPECT_NE(widget, popup);
        EXPECT_NE(widget, ok);
    }
    EXPECT_EQ(Profile().money, 500);
}

TEST_F(MgPuzzleTest, TutorialSetIsSolvedByOneSelectionAndOneSwap)
{
    StartShaping();
    Profile().tutorialStep = TUTOR_STEP_PUZZLE;
    MgUi* host = Open(MINI_GAME_PUZZLE);
    auto* tutor = dynamic_cast<MgPuzzleTutor*>(host->mGame);
    ASSERT_NE(tutor, nullptr);
    EXPECT_TRUE(host->mEffects->mEffects.empty());  // no ready sign
    EXPECT_TRUE(tutor->mStarted);
    EXPECT_EQ(host->mCountdown, 500.0);
    EXPECT_EQ(tutor->mSets[0].movesLeft, 99999);
    for (MgPuzzlePiece* piece : Set(tutor, 0)) {
        const int want = piece->mHome == 3 ? 4 : piece->mHome == 4 ? 3 : piece->mHome;
        EXPECT_EQ(piece->mCell, want);
        EXPECT_EQ(piece->mLocked, piece->mHome != 3 && piece->mHome != 4);
    }
    EXPECT_EQ(Set(tutor, 1).size(), 9u);
    host->mCountdown = 250.0;
    EXPECT_FLOAT_EQ(tutor->GetClockAngle(), 3.14f);

    Click(tutor->Piece(3));
    EXPECT_EQ(Seen().tutorEvents, std::vector<int>{12605});
    Click(tutor->Piece(4));
    EXPECT_EQ(Seen().tutorEvents, (std::vector<int>{12605, 12606}));
    EXPECT_EQ(host->mScore, 1);
    EXPECT_TRUE(tutor->mSets[0].done);
    EXPECT_EQ(Seen().Count(SE_CYCLE_GET), 1);
}

// The screen against tests/data/minigames (QUOR_UPDATE_GOLDEN=1 rewrites them): level 3 with a
// tile selected, another hovered and the gauge part filled; the two-star result.
TEST_F(MgPuzzleTest, ShapingScreens)
{
    StartShaping();
    std::srand(31);
    MgPuzzle* game = OpenAndStart();
    ASSERT_NE(game, nullptr);
    while (Host()->mScore < 5) {
        const int set = OpenSet(game);
        const int score = Host()->mScore;
        while (Host()->mScore == score)
            ASSERT_TRUE(SwapOneHome(game, set));
    }
    ASSERT_EQ(Host()->mLevel, 3);
    SwapOneHome(game, 0);
    MgPuzzlePiece* selected = nullptr;
    MgPuzzlePiece* hovered = nullptr;
    for (MgPuzzlePiece* piece : Set(game, 2))
        if (piece->mCell != piece->mHome)
            (selected == nullptr ? selected : hovered) = piece;
    ASSERT_TRUE(selected && hovered);
    Click(selected);
    app->mWidgetManager->MouseMove(hovered->mX + 20, hovered->mY + 20);
    EXPECT_TRUE(hovered->mHovered);
    Tick();
    EXPECT_GT(game->GaugeWidth(), 0);
    EXPECT_LT(game->GaugeWidth(), 150);
    EXPECT_EQ(CompareScreen("shaping_play"), "");

    Host()->mScore = 5;
    Host()->mCountdown = 0.02;
    app->mWidgetManager->MouseMove(0, 767);
    ASSERT_TRUE(TickUntil([&] { return game->mFinished; }, 400));
    EXPECT_EQ(game->mStars, 2);
    EXPECT_EQ(CompareScreen("shaping_result"), "");
}

} // namespace
