// The Production Machine played through the widget manager: a scripted player that reads the
// chute and orders (or spoils) each row by clicks, the result written and shown, rows judged by
// hand, the selection rules of presses and drags, the step interval, and the tutorial's stops.
#include "tests/game/minigames/MiniGameFixture.h"

#include "game/minigames/MgWine.h"
#include "game/minigames/MgWinePiece.h"
#include "game/minigames/MgWineTutor.h"
#include "game/shell/AmbientSoundCues.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/ResourceBinding.h"
#include "tests/support/GoldenImage.h"
#include "widgets/ButtonWidget.h"

#include <map>

using namespace Quor;

namespace {

class MgWineTest : public quortest::MiniGameTest {
protected:
    MgWine* OpenMachine()
    {
        MgUi* host = Open(MINI_GAME_WINE);
        return host ? dynamic_cast<MgWine*>(host->mGame) : nullptr;
    }

    // The pieces of a row by column.
    static std::map<int, MgWinePiece*> Row(MgWine* game, int row)
    {
        std::map<int, MgWinePiece*> pieces;
        for (auto& [id, piece] : game->mPieces)
            if (piece->mRow == row)
                pieces[piece->mColumn] = piece;
        return pieces;
    }
    // A row the player can reach: inside the chute's window and above the machine's cover.
    static bool Reachable(const std::map<int, MgWinePiece*>& row)
    {
        for (auto& [column, piece] : row)
            if (piece->mY < 110 || piece->mY + piece->mHeight >= 543 || piece->mSwapping)
                return false;
        return !row.empty();
    }

    // The player: orders every reachable row (spoil: makes its first material wrong instead),
    // one pair of clicks per tick.
    void PlayerMove(MgWine* game, bool spoil)
    {
        for (int r = game->mBottomRow; r < MgWine::kEndRow; ++r) {
            std::map<int, MgWinePiece*> row = Row(game, r);
            if (!Reachable(row))
                continue;
            if (spoil) {
                if (row[0]->mMaterial == 0) {
                    Click(row[0]);
                    Click(row[1]);
                    return;
                }
                continue;
            }
            for (auto& [column, piece] : row) {
                if (piece->mMaterial == column)
                    continue;
                for (auto& [other, holder] : row)
                    if (holder->mMaterial == column) {
                        Click(piece);
                        Click(holder);
                        return;
                    }
            }
        }
    }

    // Plays to the end; the level after every row that entered.
    std::vector<int> Play(MgWine* game, bool spoil)
    {
        std::vector<int> levels;
        int bottom = game->mBottomRow;
        for (int i = 0; i < 20000 && !game->mFinished; ++i) {
            PlayerMove(game, spoil);
            Tick();
            if (game->mBottomRow != bottom) {
                bottom = game->mBottomRow;
                if (bottom > MgWine::kFirstRow)
                    levels.push_back(Host()->mLevel);
            }
        }
        return levels;
    }
};

TEST_F(MgWineTest, BuildsTwentyRowsOfEveryMaterialOnceAndTheCoverAboveThem)
{
    Start();
    std::srand(11);
    MgWine* game = OpenMachine();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(Host()->mCountdown, 500.0);
    EXPECT_EQ(Host()->mLevel, 1);
    EXPECT_EQ(game->mRecipeMaterials, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(game->mPieces.size(), 60u);
    for (int row = 8; row < 28; ++row) {
        std::map<int, MgWinePiece*> pieces = Row(game, row);
        ASSERT_EQ(pieces.size(), 3u);
        std::vector<int> materials;
        for (auto& [column, piece] : pieces) {
            EXPECT_EQ(piece->mPieceId, 3 * row + column);
            EXPECT_EQ(piece->GetRect(), Rect(560 + 54 * column, 117 - 54 * (row - 8), 52, 52));
            EXPECT_EQ(piece->mParent, phase);
            materials.push_back(piece->mMaterial);
        }
        std::sort(materials.begin(), materials.end());
        EXPECT_EQ(materials, (std::vector<int>{0, 1, 2})) << row;
    }
    ASSERT_EQ(game->mCovers.size(), 1u);
    EXPECT_EQ(game->mCovers[0]->GetRect(), Rect(540, 543, 320, 100));
    EXPECT_EQ(phase->mWidgets.back(), game->mCovers[0]);
    EXPECT_EQ(Host()->mSoundCues->GetCues().size(), 1u);
}

TEST_F(MgWineTest, APictureThatDoesNotLoadIsLoggedAndLeftOut)
{
    Start();
    std::filesystem::remove("images/mg_4/clock.png");
    static std::vector<std::string> log;
    log.clear();
    plat::SetDebugOutputSink([](const char* text) { log.emplace_back(text); });
    MgWine* game = OpenMachine();
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->mImages[MgWine::CLOCK], nullptr);
    EXPECT_NE(game->mImages[MgWine::LOGO], nullptr);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("images/mg_4/clock.png"), std::string::npos);
    Tick(5);
    quortest::DrawWholeScreen(*app->mWidgetManager);
}

TEST_F(MgWineTest, WinningRunSetsTheRateToTwentyFiveWithThePerfectSign)
{
    Start();
    std::srand(5);
    MgWine* game = OpenMachine();
    ASSERT_NE(game, nullptr);
    const std::vector<int> levels = Play(game, false);
    ASSERT_TRUE(game->mFinished);
    ASSERT_EQ(levels.size(), 20u);
    for (int row = 1; row <= 20; ++row)
        EXPECT_EQ(levels[size_t(row - 1)], std::min(5, 1 + row / 4)) << row;
    EXPECT_EQ(Host()->mScore, 25);
    EXPECT_EQ(game->mFinalScore, 25);
    EXPECT_EQ(Profile().production[0].rate, 25);
    EXPECT_EQ(Seen().Count(SE_MIS_FIN), 1);
    EXPECT_EQ(Seen().Count(SE_BREAK), 0);
    EXPECT_EQ(Seen().Count(SE_MG4_PRODUCE), 20);
    EXPECT_EQ(game->mFinalScore - Host()->mLevel, 20);  // "20 Products", "+ 5 Bonus products"
    EXPECT_TRUE(Host()->mEndButton->mVisible);
    EXPECT_TRUE(game->mPieces.empty());

    Click(Host()->mEndButton);
    EXPECT_EQ(phase->mPanels[PANEL_MINI_GAME], nullptr);
    EXPECT_EQ(Profile().money, 500);
    EXPECT_FALSE(Seen().Has("money effect"));
}

TEST_F(MgWineTest, LosingRunKeepsTheBetterRate)
{
    Start();
    Profile().production[0].rate = 10;
    std::srand(9);
    MgWine* game = OpenMachine();
    const std::vector<int> levels = Play(game, true);
    ASSERT_TRUE(game->mFinished);
    EXPECT_EQ(levels, std::vector<int>(20, 1));
    EXPECT_EQ(Host()->mScore, 1);
    EXPECT_EQ(Profile().production[0].rate, 10);
    EXPECT_EQ(Seen().Count(SE_MIS_FIN), 0);
    EXPECT_EQ(Seen().Count(SE_BREAK), 20);
}

// Rows judged one after another: level and score after each.
TEST_F(MgWineTest, RowsAreScoredPunishedOrIgnoredByTheirOrder)
{
    Start();
    MgWine* game = OpenMachine();
    struct Step {
        std::vector<int> row;
        int level, score;
    };
    const Step steps[] = {
        {{0, 1, 2}, 1, 1}, {{0, 1, 2}, 1, 2}, {{0, 2, 1}, 1, 2}, {{0, 1, 2}, 1, 3}, {{0, 1, 2}, 2, 4},
        {{1, 0, 2}, 1, 4}, {{2, 1, 0}, 1, 4}, {{0, 1, 2}, 1, 5}, {{0, 0, 0}, 1, 5},
    };
    for (const Step& s : steps) {
        game->JudgeRow(s.row);
        EXPECT_EQ(Host()->mLevel, s.level) << s.score;
        EXPECT_EQ(Host()->mScore, s.score);
    }
    // The empty recipe's rows count as ordered.
    game->JudgeRow({});
    EXPECT_EQ(Host()->mScore, 6);
}

TEST_F(MgWineTest, DefaultTuningEndsTwentyOrderedRowsAtLevelNineAndScoreTwentyNine)
{
    Start();
    app->miniGameTuning.SetDefaults();
    MgWine* game = OpenMachine();
    EXPECT_EQ(Host()->mLevel, 5);
    for (int i = 0; i < 20; ++i)
        game->JudgeRow({0, 1, 2});
    game->ShowResult();
    EXPECT_EQ(Host()->mLevel, 9);
    EXPECT_EQ(Host()->mScore, 29);
    EXPECT_EQ(Profile().production[0].rate, 29);
    // No perfect sign below 30: the result adds the product effect and the timer only.
    for (const auto& effect : Host()->mEffects->mEffects)
        EXPECT_NE(effect->mImage, MG_1_PERFECT);
}

TEST_F(MgWineTest, StepIntervalFollowsTheLevelAndIsNeverZero)
{
    Start();
    MgWine* game = OpenMachine();
    EXPECT_EQ(game->StepInterval(), 160);
    Host()->mLevel = 3;
    EXPECT_EQ(game->StepInterval(), 130);
    app->miniGameTuning.m4LvSpeed = 80;  // read at the start: no change
    EXPECT_EQ(game->StepInterval(), 130);
    game->mLvSpeed = 80;
    EXPECT_EQ(game->StepInterval(), 1);
    game->mLvSpeed = 90;
    EXPECT_EQ(game->StepInterval(), -20);
    Host()->mLevel = -2147483647 - 1;
    EXPECT_GT(game->StepInterval(), 0);
    // A running chute with a zero interval steps every tick instead of dividing by zero.
    Host()->mLevel = 3;
    game->mLvSpeed = 80;
    Tick(130);
    game->mFallOffset = 0;
    Tick(1);
    EXPECT_EQ(game->mFallOffset, 36);
    // Rows keep coming in however short the interval: a fall is not started again before it ends.
    const int bottom = game->mBottomRow;
    Tick(12);
    EXPECT_GE(game->mBottomRow, bottom + 3);
}

TEST_F(MgWineTest, PressesMoveTheSelectionAndDragsSwapWithTheNeighbour)
{
    Start();
    std::srand(3);
    MgWine* game = OpenMachine();
    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    std::map<int, MgWinePiece*> a = Row(game, 8);
    std::map<int, MgWinePiece*> b = Row(game, 9);

    Click(a[0]);
    EXPECT_EQ(game->mSelectedPiece, a[0]->mPieceId);
    EXPECT_EQ(Seen().Count(SE_MG_CLICK), 1);
    Click(b[1]);  // another row: the selection moves
    EXPECT_FALSE(a[0]->mSelected);
    EXPECT_TRUE(b[1]->mSelected);
    EXPECT_EQ(game->mSelectedPiece, b[1]->mPieceId);
    EXPECT_EQ(game->mSelectedRow, 9);
    EXPECT_EQ(Seen().Count(SE_MG_EXCHANGE), 0);

    const int m0 = b[0]->mMaterial, m1 = b[1]->mMaterial;
    Click(b[0]);  // same row: a swap
    EXPECT_EQ(b[0]->mMaterial, m1);
    EXPECT_EQ(b[1]->mMaterial, m0);
    EXPECT_TRUE(b[0]->mSwapping && b[1]->mSwapping);
    EXPECT_EQ(game->mSelectedPiece, -1);
    EXPECT_EQ(Seen().Count(SE_MG_EXCHANGE), 1);
    Tick(10);
    EXPECT_FALSE(b[0]->mSwapping);
    EXPECT_EQ(b[0]->mSwapProgress, 1.0);

    // Clicking the selected piece again ends the selection and moves nothing.
    Click(a[2]);
    const int m2 = a[2]->mMaterial;
    Click(a[2]);
    EXPECT_EQ(a[2]->mMaterial, m2);
    EXPECT_EQ(game->mSelectedPiece, -1);

    // Drags out of the right and the left side swap with that neighbour; none past the edge.
    WidgetManager& m = *app->mWidgetManager;
    struct Drag {
        int column, toX, partner;
    };
    for (Drag d : {Drag{1, 80, 2}, Drag{1, -30, 0}, Drag{2, 80, -1}}) {
        std::map<int, MgWinePiece*> row = Row(game, 8);
        std::vector<int> before;
        for (auto& [c, p] : row)
            before.push_back(p->mMaterial);
        MgWinePiece* p = row[d.column];
        const int x = p->mX + 26, y = p->mY + 26;
        m.MouseMove(x, y);
        m.MouseDown(x, y, 1);
        m.MouseDrag(p->mX + d.toX, y);
        m.MouseMove(p->mX + d.toX, y);
        m.MouseUp(p->mX + d.toX, y, 1);
        std::vector<int> want = before;
        if (d.partner >= 0)
            std::swap(want[size_t(d.column)], want[size_t(d.partner)]);
        std::vector<int> after;
        for (auto& [c, q] : Row(game, 8))
            after.push_back(q->mMaterial);
        EXPECT_EQ(after, want) << d.column << " " << d.toX;
        Tick(12);
        game->ClearSelection();
    }
    // Nothing selected: clearing is harmless.
    game->mSelectedPiece = -1;
    game->ClearSelection();
    EXPECT_EQ(game->mSelectedRow, -1);
}

TEST_F(MgWineTest, SelectionInTheEnteringRowOrTheOneBehindIsDropped)
{
    Start();
    MgWine* game = OpenMachine();
    // Bring row 8 to the machine's mouth, then select in rows 8, 9 and 10 in turn.
    game->mBottomRow = 8;
    for (int offset : {0, 1, 2}) {
        const int row = 8 + offset;
        MgWinePiece* piece = Row(game, row)[0];
        ASSERT_NE(piece, nullptr);
        piece->mSelected = true;
        game->mSelectedPiece = piece->mPieceId;
        game->mSelectedRow = row;
        game->RowArrived();
        if (offset < 2) {
            EXPECT_EQ(game->mSelectedPiece, -1) << offset;
            EXPECT_EQ(game->mSelectedRow, -1);
            if (offset == 1) {
                EXPECT_FALSE(piece->mSelected);
            }
        } else {
            EXPECT_EQ(game->mSelectedPiece, piece->mPieceId);
        }
        game->mBottomRow = 8;
    }
}

TEST_F(MgWineTest, TutorialRowsStopAndReportAtTheirCheckpoints)
{
    Start(2);
    Profile().tutorialStep = TUTOR_STEP_WINE;
    MgUi* host = Open(MINI_GAME_WINE);
    auto* tutor = dynamic_cast<MgWineTutor*>(host->mGame);
    ASSERT_NE(tutor, nullptr);
    EXPECT_TRUE(host->mEffects->mEffects.empty());  // no ready sign
    EXPECT_EQ(host->mBackButton->mParent, nullptr);
    EXPECT_TRUE(tutor->mStarted);
    EXPECT_EQ(host->mCountdown, 500.0);
    for (int row = 8; row < 28; ++row) {
        std::map<int, MgWinePiece*> pieces = Row(tutor, row);
        const bool ordered = row == 11 || row == 12 || row == 14 || row == 18;
        EXPECT_EQ(pieces[0]->mMaterial, ordered ? 0 : 1) << row;
        EXPECT_EQ(pieces[1]->mMaterial, ordered ? 1 : 0) << row;
    }
    Tick(300);
    EXPECT_EQ(tutor->mBottomRow, 0);  // held until the tutorial lets the rows run

    host->ContinueTutorialGame();  // action 503
    ASSERT_TRUE(TickUntil([&] { return !tutor->mRowsRunning; }, 2000));
    EXPECT_EQ(tutor->mBottomRow, 3);
    EXPECT_EQ(Seen().tutorEvents, std::vector<int>{11504});
    const double interval = tutor->StepInterval(10);
    EXPECT_EQ(interval, 150 - 10);

    Click(Row(tutor, 8)[0]);
    Click(Row(tutor, 8)[1]);
    EXPECT_EQ(Seen().tutorEvents, (std::vector<int>{11504, 11505, 11506, 11505}));

    Profile().tutorialStep = MgWineTutor::kWaitStep;
    host->ContinueTutorialGame();  // action 506
    ASSERT_TRUE(TickUntil([&] { return !tutor->mRowsRunning; }, 20000));
    EXPECT_EQ(tutor->mBottomRow, 10);
    EXPECT_EQ(Seen().tutorEvents.back(), 11507);
}

// The screen drawn by the widget manager against tests/data/minigames (QUOR_UPDATE_GOLDEN=1
// rewrites them): the ready sign at full size 1.0 s in, a seeded chute 600 ticks in, and the
// result panel after the winning run.
TEST_F(MgWineTest, MachineScreens)
{
    Start();
    std::srand(21);
    MgWine* game = OpenMachine();
    app->mWidgetManager->MouseMove(0, 767);
    Tick(50);
    EXPECT_EQ(CompareScreen("machine_ready"), "");
    Tick(550);
    EXPECT_GT(game->mBottomRow, 0);
    EXPECT_EQ(CompareScreen("machine_play"), "");
    Play(game, false);
    ASSERT_TRUE(game->mFinished);
    app->mWidgetManager->MouseMove(0, 767);
    EXPECT_EQ(CompareScreen("machine_result"), "");
}

} // namespace
