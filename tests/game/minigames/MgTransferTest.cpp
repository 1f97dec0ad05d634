// The Conveyor game played through the widget manager: a player who clicks what the current
// product needs, the levels and rows, the grades a run ends with, wrong clicks and their cost,
// a recipe that needs nothing, the lower belt's turn, degenerate tuning, and the level-1 screen
// against its golden picture.
#include "tests/game/minigames/MiniGameFixture.h"

#include "game/minigames/MgTransfer.h"
#include "game/minigames/MgTransferPiece.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/ResourceBinding.h"
#include "tests/support/GoldenImage.h"
#include "widgets/ButtonWidget.h"

#include <set>

using namespace Quor;

namespace {

class MgTransferTest : public quortest::MiniGameTest {
protected:
    // The materials, the product and the screen's parts.
    static void ConveyorPictures(std::vector<paktool::PakEntry>& entries)
    {
        GiveMaterialPictures(entries, 80);
        entries.push_back({"images\\mg_2\\p1.png", quortest::PngBytes(168, 168, [](int x, int y) {
                               return ((x - 84) * (x - 84) + (y - 84) * (y - 84)) < 80 * 80 ? 0xFFE08040u : 0u;
                           }),
                           0});
        struct Part {
            const char* path;
            int w, h;
            uint32_t colour;
        };
        const Part parts[] = {{"images\\mg_1\\ui_belt_0.png", 1024, 40, 0xFF404048u}, {"images\\mg_1\\ui_belt_2.png", 60, 30, 0xFF909090u},
                              {"images\\mg_1\\ui_belt_4.png", 60, 80, 0xFF603020u}, {"images\\mg_1\\ui_product.png", 200, 200, 0xFF506070u},
                              {"images\\mg_2\\ui_score.png", 150, 20, 0xFF20C040u},  {"images\\mg_2\\ui_score_bg.png", 150, 20, 0xFF203020u},
                              {"images\\mg_2\\clock.png", 164, 164, 0xFFE0E0D0u},    {"images\\mg_4\\clock_pin.png", 18, 80, 0xFFC02020u}};
        for (const Part& p : parts)
            entries.push_back({p.path, quortest::PngBytes(p.w, p.h, [c = p.colour](int, int) { return c; }), 0});
        GivePicture(entries, "res_mg", "MG_1_BELT_1", 100, 40, [](int x, int) { return (x / 10) % 2 ? 0xFF303030u : 0xFF808080u; });
        GivePicture(entries, "res_mg", "MG_1_BELT_3", 120, 60, [](int x, int y) { return ((x + y) / 15) % 2 ? 0xFF6A5A40u : 0xFF8A7A60u; });
        GivePicture(entries, "res_mg", "MG_1_BELT_3A", 120, 60, [](int x, int y) { return ((x - y + 60) / 15) % 2 ? 0xFF6A5A40u : 0xFF8A7A60u; });
    }

    // Colour sources {1: 1, 2: 2, 3: 1001} (3 is left out: two needed), the test tuning and the
    // closing effect in the effect data.
    MgTransfer* OpenConveyor(std::map<int, int> colours = {{1, 1}, {2, 2}, {3, 1001}}, int storedRating = 0, unsigned seed = 1)
    {
        Start(3, ConveyorPictures);
        quortest::ConveyorTuning(app->miniGameTuning);
        app->blueprintTable[kProduct].colorSources = colours;
        GiveResultEffect();
        Profile().production[0].rating2 = storedRating;
        std::srand(seed);  // the game's draws, from here on alike in every run
        MgUi* host = Open(MINI_GAME_TRANSFER);
        return host ? dynamic_cast<MgTransfer*>(host->mGame) : nullptr;
    }

    // The rows that still carry materials.
    static std::set<int> Rows(MgTransfer* game)
    {
        std::set<int> rows;
        for (auto& [id, source] : game->mSources)
            rows.insert(source->mRow);
        return rows;
    }
    // A material in plain view, not taken, of one of the wanted materials; null when none.
    static MgTransferSrc* InView(MgTransfer* game, const std::function<bool(int)>& wanted)
    {
        for (auto& [id, source] : game->mSources)
            if (!source->mTaken && wanted(source->mMaterial) && source->mX >= 40 && source->mX + 100 <= 960)
                return source;
        return nullptr;
    }
    // The player: one click a tick on a material the current product still needs.
    void PlayerMove(MgTransfer* game)
    {
        MgTransferProd* current = game->mProducts[game->mCurrentProduct];
        MgTransferSrc* source = InView(game, [&](int m) {
            auto it = current->mCollected.find(m);
            return it != current->mCollected.end() && !it->second;
        });
        if (source != nullptr)
            Click(source);
    }
    // A click on a material nobody needs.
    void WrongClick(MgTransfer* game)
    {
        MgTransferSrc* source = InView(game, [](int m) { return m >= 3; });
        ASSERT_NE(source, nullptr);
        Click(source);
    }
    // Plays until the score or the end; the level and rows of every tick.
    struct Moment {
        int score, level;
        std::set<int> rows;
    };
    std::vector<Moment> PlayTo(MgTransfer* game, int score)
    {
        std::vector<Moment> seen;
        EXPECT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
        for (int i = 0; i < 6000 && game->mStarted && Host()->mScore < score; ++i) {
            PlayerMove(game);
            Tick();
            seen.push_back({Host()->mScore, Host()->mLevel, Rows(game)});
        }
        return seen;
    }

    void TimeOutAtFour(int stored)
    {
        MgTransfer* game = OpenConveyor({{1, 1}, {2, 2}, {3, 1001}}, stored, 8);
        ASSERT_NE(game, nullptr);
        PlayTo(game, 4);
        ASSERT_EQ(Host()->mScore, 4);
        Host()->mCountdown = 0.5;
        ASSERT_TRUE(TickUntil([&] { return game->mFinished; }, 400));
        EXPECT_EQ(game->mGrade, 1);
        EXPECT_EQ(game->mStoredRating, stored);
        EXPECT_EQ(Profile().production[0].rating2, std::max(stored, 1));
        EXPECT_EQ(game->mGrade > game->mStoredRating, stored == 0);  // "Record Updated!"
        quortest::DrawWholeScreen(*app->mWidgetManager);
    }
};

TEST_F(MgTransferTest, BuildsFourBeltsOfTenMaterialsAndFourProducts)
{
    MgTransfer* game = OpenConveyor({{1, 1}, {2, 2}, {3, 1001}}, 0, 3);
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(Host()->mCountdown, 60.0);
    EXPECT_EQ(game->mNeeded, (std::vector<int>{1, 2}));
    // Three materials outside the needed ones: three decoys (3 is no colour but a fine decoy).
    EXPECT_EQ(game->mMaterialPictures.size(), 5u);
    ASSERT_EQ(game->mSources.size(), 40u);
    for (auto& [id, source] : game->mSources) {
        const int row = id / 10, i = id % 10;
        EXPECT_EQ(source->mRow, row);
        EXPECT_EQ(source->mProgress, -10.0 * i);
        const int along = row % 2 == 0 ? -80 * i : 800 + 80 * i;
        EXPECT_EQ(source->GetRect(), Rect(-100 + along, 30 + 120 * row, 100, 100)) << id;
        EXPECT_EQ(source->mParent, phase);
        EXPECT_EQ(game->mMaterialPictures.count(source->mMaterial), 1u);
    }
    ASSERT_EQ(game->mProducts.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        MgTransferProd* product = game->mProducts[i];
        EXPECT_EQ(product->mProgress, 25.0 * i);
        EXPECT_EQ(product->mX, 63 + int(8.2 * (25.0 * i)));
        EXPECT_EQ(product->mY, 574);
        EXPECT_EQ(product->mActive, i == 3);
        EXPECT_EQ(product->mCollected, (std::map<int, bool>{{1, false}, {2, false}}));
    }
    EXPECT_EQ(game->mCurrentProduct, 3);
    EXPECT_EQ(game->mBeltSpeed, 1);
    ASSERT_NE(MG_1_BELT_3, nullptr);

    // Nothing moves or takes clicks before the start.
    Click(game->mSources[0]);
    EXPECT_EQ(Host()->mCountdown, 60.0);
}

// At the belt's end a new material starts the row and the old one goes at the next tick.
TEST_F(MgTransferTest, MaterialsLeaveAtTheEndOfTheBeltAndNewOnesStart)
{
    MgTransfer* game = OpenConveyor();
    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    MgTransferSrc* last = game->mSources[10];  // row 1, progress 0
    last->mProgress = 99.9;
    Tick();
    EXPECT_GE(last->mProgress, 100.0);
    ASSERT_EQ(game->mRemovals, std::vector<int>{10});
    EXPECT_EQ(game->mSources.size(), 41u);
    MgTransferSrc* fresh = game->mSources.rbegin()->second;
    EXPECT_EQ(fresh->mSourceId, 40);
    EXPECT_EQ(fresh->mRow, 1);
    EXPECT_EQ(fresh->mProgress, 0.0);  // started during the tick: it rides from the next
    EXPECT_EQ(fresh->mX, 700);
    game->QueueRemoval(10);
    EXPECT_EQ(game->mRemovals.size(), 1u);
    Tick();
    EXPECT_EQ(game->mSources.count(10), 0u);
    EXPECT_EQ(game->mSources.size(), 40u);
    EXPECT_NEAR(fresh->mProgress, 0.2, 1e-9);
    EXPECT_EQ(fresh->mX, -100 + int(800 * 99.8 / 100));
}

TEST_F(MgTransferTest, NineProductsEndThePlayPerfectly)
{
    MgTransfer* game = OpenConveyor({{1, 1}, {2, 2}, {3, 1001}}, 1, 5);
    ASSERT_NE(game, nullptr);
    const std::vector<Moment> seen = PlayTo(game, 9);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(Host()->mScore, 9);
    EXPECT_FALSE(game->mStarted);
    EXPECT_GT(Host()->mCountdown, 0.0);
    // The level rises at 3 and 6; a belt goes at the tick after each rise.
    for (size_t i = 1; i < seen.size(); ++i) {
        const Moment& m = seen[i];
        EXPECT_EQ(m.level, m.score >= 6 ? 3 : m.score >= 3 ? 2 : 1) << i;
        const std::set<int> expected = m.level == 1 ? std::set<int>{0, 1, 2, 3} : m.level == 2 ? std::set<int>{0, 1, 2} : std::set<int>{0, 1};
        if (seen[i - 1].level == m.level) {
            EXPECT_EQ(m.rows, expected) << i;
        }
    }
    EXPECT_EQ(game->mBeltSpeed, 2);
    EXPECT_EQ(game->mGrade, 3);
    EXPECT_EQ(Profile().production[0].rating2, 3);
    EXPECT_EQ(Seen().Count(SE_CYCLE_GET), 9);  // no wrong click
    ASSERT_TRUE(TickUntil([&] { return game->mFinished; }, 400));
    quortest::DrawWholeScreen(*app->mWidgetManager);
    Click(Host()->mEndButton);
    EXPECT_EQ(phase->mPanels[PANEL_MINI_GAME], nullptr);
    EXPECT_TRUE(Seen().Has("open 6 0"));
}

// Out of time at score 4: grade 1, which raises a stored 0 and leaves a stored 2.
TEST_F(MgTransferTest, TimeOutAtFourRaisesAStoredZeroToOne)
{
    TimeOutAtFour(0);
}

TEST_F(MgTransferTest, TimeOutAtFourKeepsAStoredTwo)
{
    TimeOutAtFour(2);
}

TEST_F(MgTransferTest, AWrongClickCostsTimeAndBelowTheCostEndsTheGameOnce)
{
    MgTransfer* game = OpenConveyor({{1, 1}, {2, 2}, {3, 1001}}, 0, 6);
    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    const double before = Host()->mCountdown;
    WrongClick(game);
    EXPECT_NEAR(Host()->mCountdown, before - 3.0, 1e-9);
    EXPECT_EQ(Seen().Count(SE_CYCLE_GET), 1);
    EXPECT_EQ(Seen().Count(SE_UI_CLICK), 1);
    EXPECT_TRUE(game->mStarted);

    Host()->mCountdown = 2.5;
    WrongClick(game);
    EXPECT_EQ(Host()->mCountdown, 0.0);
    EXPECT_FALSE(game->mStarted);
    EXPECT_EQ(game->mGrade, 0);
    // Clicks after the end do nothing; the result comes once.
    WrongClick(game);
    EXPECT_EQ(Seen().Count(SE_CYCLE_GET), 2);
    Tick(10);
    int results = 0;
    for (const auto& effect : Host()->mEffects->mEffects)
        results += effect->mNotifyId == MgUi::ID_RESULT_SHOWN;
    EXPECT_EQ(results, 1);
    ASSERT_TRUE(TickUntil([&] { return game->mFinished; }, 400));
    EXPECT_EQ(Profile().production[0].rating2, 0);
    // Back to the game from the quit popup's "no" restarts nothing.
    Host()->ButtonDepress(MgUi::ID_RESUME);
    EXPECT_FALSE(game->mStarted);
}

TEST_F(MgTransferTest, ARecipeWithoutColoursNeedsNothingAndEndsByTime)
{
    MgTransfer* game = OpenConveyor({{1, 1001}, {2, 1001}}, 0, 9);
    EXPECT_TRUE(game->mNeeded.empty());
    EXPECT_EQ(game->mMaterialPictures.size(), 5u);
    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    int clicks = 0;
    for (int i = 0; i < 3000 && game->mStarted; ++i) {
        if (MgTransferSrc* source = InView(game, [](int) { return true; })) {
            Click(source);
            ++clicks;
        }
        Tick();
    }
    EXPECT_FALSE(game->mStarted);
    EXPECT_EQ(Host()->mScore, 0);
    EXPECT_EQ(clicks, 20);  // 60 s at 3 s a click
    EXPECT_EQ(Seen().Count(SE_CYCLE_GET), 20);
    EXPECT_EQ(game->mGrade, 0);
}

// After a finish the products step on by 25; the finished one stays current until it wraps
// (clicks meanwhile are wrong), then the next takes over with both products' flags cleared.
TEST_F(MgTransferTest, TheFinishedProductHandsOverWhenItWraps)
{
    MgTransfer* game = OpenConveyor();
    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    MgTransferProd* finished = game->mProducts[3];
    MgTransferProd* next = game->mProducts[2];
    next->mCollected[1] = true;  // left over from an earlier round
    game->TryMaterial(-1, 1);
    game->TryMaterial(-1, 2);
    EXPECT_EQ(Host()->mScore, 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(game->mProducts[i]->mTarget, 25.0 * i + 25.0);
    EXPECT_TRUE(finished->mFinished);

    const double time = Host()->mCountdown;
    game->TryMaterial(-1, 1);  // still the finished product's: wrong
    EXPECT_NEAR(Host()->mCountdown, time - 3.0, 1e-9);
    EXPECT_EQ(game->mCurrentProduct, 3);
    Tick(62);
    EXPECT_EQ(game->mCurrentProduct, 3);
    Tick(1);  // 1.25 s at 20 a second
    EXPECT_EQ(game->mCurrentProduct, 2);
    EXPECT_TRUE(next->mActive);
    EXPECT_FALSE(finished->mActive);
    EXPECT_EQ(next->mCollected, (std::map<int, bool>{{1, false}, {2, false}}));
    EXPECT_EQ(finished->mCollected, (std::map<int, bool>{{1, false}, {2, false}}));
    EXPECT_EQ(finished->mProgress, 0.0);
    EXPECT_EQ(finished->mTarget, 0.0);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(game->mProducts[i]->mProgress, 25.0 * i + 25.0);  // stopped exactly
    EXPECT_EQ(game->mProducts[0]->mX, 63 + int(8.2 * 25.0));
    // The next one finishes in turn; the one before it comes after, from 0 back to 3.
    for (int k : {2, 1, 0, 3}) {
        EXPECT_EQ(game->mCurrentProduct, k);
        game->TryMaterial(-1, 2);
        game->TryMaterial(-1, 1);
        Tick(63);
    }
    EXPECT_EQ(Host()->mScore, 5);
    EXPECT_EQ(game->mCurrentProduct, 2);
}

// A limit of 0 gives an empty gauge and a pin at 0; positions saturate; the screen still draws
// without its product picture; no materials, no new ones on the belts.
TEST_F(MgTransferTest, DegenerateTuningDrawsAnEmptyGaugeAndAStillPin)
{
    MgTransfer* game = OpenConveyor();
    app->miniGameTuning.m1Lv3Pass = 0;
    app->miniGameTuning.m1Time = 0;
    EXPECT_EQ(game->GetClockAngle(), 0.0f);
    app->miniGameTuning.m1Distance = 2147483647;
    game->mSources[0]->mProgress = 1e300;
    game->mSources[0]->Place();
    EXPECT_EQ(game->mSources[0]->mX, 2147483647 - 100);
    game->mProductPicture = nullptr;
    for (auto& [index, product] : game->mProducts)
        product->mPicture = nullptr;
    Host()->mScore = 5;
    quortest::DrawWholeScreen(*app->mWidgetManager);
    app->miniGameTuning.m1Time = 60;
    Host()->mCountdown = 15;
    EXPECT_NEAR(game->GetClockAngle(), 6.28 / 4, 1e-6);
    // Without any material a belt gets nothing new (and draws nothing from an empty list).
    game->mMaterialPictures.clear();
    const size_t sources = game->mSources.size();
    game->AddSource(0, 0.0);
    EXPECT_EQ(game->mSources.size(), sources);
}

// The level-1 screen (QUOR_UPDATE_GOLDEN=1 rewrites it): four belts of materials, the products
// with the current one in colour and one material collected.
TEST_F(MgTransferTest, LevelOneScreen)
{
    MgTransfer* game = OpenConveyor({{1, 1}, {2, 2}, {3, 1001}}, 0, 12);
    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    Tick(300);
    MgTransferSrc* one = InView(game, [](int m) { return m == 1; });
    ASSERT_NE(one, nullptr);
    Click(one);
    app->mWidgetManager->MouseMove(0, 767);
    EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile("minigames/conveyor_level1.png"),
                                          quortest::DrawWholeScreen(*app->mWidgetManager), 1024, 768),
              "");
}

} // namespace
