// The Painting game played through the widget manager: a player who drags the recipe's
// materials into the cups between y 100 and 400, the rate written only when it grows, the
// levels, the window of the last deliveries, drops, clicks and releases outside the cups, the
// cups out of reach, the product's ride, the decoys drawn from tables with gaps, and the play
// screen against its golden picture.
#include "tests/game/minigames/MiniGameFixture.h"

#include "game/minigames/MgPaint.h"
#include "game/minigames/MgPaintPiece.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/ResourceBinding.h"
#include "tests/support/GoldenImage.h"
#include "widgets/ButtonWidget.h"

#include <set>

using namespace Quor;

namespace {

using XY = std::pair<int, int>;

class MgPaintTest : public quortest::MiniGameTest {
protected:
    // The game's own pictures: materials, the play screen's parts and a belt.
    static void PaintPictures(std::vector<paktool::PakEntry>& entries)
    {
        GiveMaterialPictures(entries, 60);
        struct Part {
            const char* name;
            int w, h;
            uint32_t colour;
        };
        const Part parts[] = {{"ui_bg", 1024, 768, 0}, {"ui_bg_c", 300, 200, 0xFF705030u}, {"ui_score", 150, 20, 0xFF204060u},
                              {"ui_box", 120, 60, 0xFF806020u}, {"ui_box_c", 120, 60, 0x80A08040u}, {"ui_cup", 60, 60, 0xFF406040u},
                              {"ui_cup_c", 60, 60, 0xFF60A060u}};
        for (const Part& p : parts)
            entries.push_back({std::string("images\\mg_3\\") + p.name + ".png",
                               quortest::PngBytes(p.w, p.h,
                                        [p](int x, int y) -> uint32_t {
                                            if (p.colour == 0 || p.w == 300)  // frames, clear inside
                                                return (x < 6 || y < 6 || x >= p.w - 6 || y >= p.h - 6) ? 0xFF604020u : 0u;
                                            return p.colour;
                                        }),
                               0});
        GivePicture(entries, "res_mg", "MG_1_BELT_3", 320, 60,
                                            [](int x, int y) { return ((x / 20 + y / 20) % 2) ? 0xFF505050u : 0xFF707070u; });
    }

    // Recipe {1, 2}, the test tuning, and the closing effect in the effect data.
    MgPaint* OpenPaint(int storedRate = 1, unsigned seed = 1)
    {
        Start(2, PaintPictures);
        quortest::PaintTuning(app->miniGameTuning);
        GiveResultEffect();
        Profile().production[0].rate = storedRate;
        std::srand(seed);  // the game's draws, from here on alike in every run
        MgUi* host = Open(MINI_GAME_PAINT);
        return host ? dynamic_cast<MgPaint*>(host->mGame) : nullptr;
    }

    // Presses at the middle of the widget, drags to the point and, unless held, releases there.
    void DragTo(Widget* from, int x, int y, bool hold = false)
    {
        WidgetManager& m = *app->mWidgetManager;
        const Rect r = from->GetRect();
        m.MouseMove(r.mX + r.mWidth / 2, r.mY + r.mHeight / 2);
        m.MouseDown(r.mX + r.mWidth / 2, r.mY + r.mHeight / 2, 1);
        m.MouseDrag(x, y);
        if (!hold)
            m.MouseUp(x, y, 1);
    }
    static Point Middle(const Widget* w) { return {w->mX + w->mWidth / 2, w->mY + w->mHeight / 2}; }

    // The player: every empty cup on the belt between y 100 and 400 gets the recipe's materials
    // in turn, the lowest cup first.
    void Feed(MgPaint* game, int& next)
    {
        std::vector<MgPaintSet*> cups = game->mCups;
        std::sort(cups.begin(), cups.end(), [](MgPaintSet* a, MgPaintSet* b) { return a->mY > b->mY; });
        for (MgPaintSet* cup : cups)
            if (cup->mActive && cup->mMaterial == -1 && cup->mY >= 100 && cup->mY <= 400) {
                const Point at = Middle(cup);
                DragTo(game->mSources[size_t(next++ % 2)], at.mX, at.mY);
            }
    }

    // The ticks since StartGame at which a product was finished, played to the end.
    std::vector<int> PlayFed(MgPaint* game)
    {
        EXPECT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
        std::vector<int> finished;
        int next = 0;
        for (int t = 1; t <= 1000 && !game->mFinished; ++t) {
            Feed(game, next);
            const int score = Host()->mScore;
            Tick();
            if (Host()->mScore != score)
                finished.push_back(t);
        }
        return finished;
    }

    void FedRun(int stored, int rate, bool updated)
    {
        MgPaint* game = OpenPaint(stored, 7);
        ASSERT_NE(game, nullptr);
        EXPECT_EQ(PlayFed(game), (std::vector<int>{150, 250, 350, 450}));
        ASSERT_TRUE(game->mFinished);
        EXPECT_EQ(Host()->mCountdown, 0.0);
        EXPECT_EQ(Host()->mLevel, 1);
        EXPECT_EQ(game->mNewQuantity, 4);
        EXPECT_EQ(game->mOldQuantity, stored);
        EXPECT_EQ(Profile().production[0].rate, rate);
        EXPECT_EQ(game->mNewQuantity > game->mOldQuantity, updated);  // "Record Updated!"
        EXPECT_TRUE(Host()->mEndButton->mVisible);
        quortest::DrawWholeScreen(*app->mWidgetManager);
        // No popup: the end button goes straight back to the factory.
        Click(Host()->mEndButton);
        EXPECT_EQ(phase->mPanels[PANEL_MINI_GAME], nullptr);
        EXPECT_TRUE(Seen().Has("open 6 0"));
        EXPECT_EQ(Profile().money, 500);
    }
};

TEST_F(MgPaintTest, BuildsLockedSourcesSixCupsAndAWaitingProduct)
{
    MgPaint* game = OpenPaint(1, 4);
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(Host()->mCountdown, 10.5);
    EXPECT_EQ(game->mRecipeMaterials, (std::vector<int>{1, 2}));
    // Only three materials lie outside the recipe: three decoys, the recipe's first.
    ASSERT_EQ(game->mMaterials.size(), 5u);
    EXPECT_EQ(std::set<int>(game->mMaterials.begin() + 2, game->mMaterials.end()), (std::set<int>{3, 4, 5}));
    for (int m = 1; m <= 5; ++m)
        EXPECT_NE(game->MaterialPicture(m), nullptr) << m;
    ASSERT_EQ(game->mSources.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        MgPaintSrc* source = game->mSources[size_t(i)];
        EXPECT_EQ(source->GetRect(), Rect(550 + 100 * i, 648, 100, 100));
        EXPECT_TRUE(source->mLocked);
        EXPECT_EQ(source->mParent, phase);
    }
    ASSERT_EQ(game->mCups.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(game->mCups[size_t(i)]->GetRect(), Rect(653, -10 + 100 * i, 100, 100));
        EXPECT_EQ(game->mCups[size_t(i)]->mMaterial, -1);
    }
    EXPECT_FALSE(game->mProduct->mMoving);
    EXPECT_EQ(XY(game->mProduct->mPosX, game->mProduct->mPosY), XY(10, 490));

    // A press while locked takes nothing up; the sources open with the start.
    DragTo(game->mSources[0], 700, 300);
    EXPECT_EQ(game->mCups[3]->mMaterial, -1);
    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    EXPECT_FALSE(game->mSources[0]->mLocked);
}

// Cups move 2 pixels a tick and one delivers every 50 ticks from tick 100 on: the recipe fed
// in turn finishes a product at every second delivery, four in 10.5 s.
TEST_F(MgPaintTest, FedRunRaisesAStoredRateOfThreeToFour)
{
    FedRun(3, 4, true);
}

TEST_F(MgPaintTest, FedRunKeepsAStoredRateOfFour)
{
    FedRun(4, 4, false);
}

TEST_F(MgPaintTest, LevelRisesAtBothPassesAndSpeedsTheCups)
{
    MgPaint* game = OpenPaint();
    app->miniGameTuning.m3Lv1Pass = 3;
    app->miniGameTuning.m3Lv2Pass = 6;
    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    MgPaintSet* cup = game->mCups[0];
    const int levels[] = {1, 1, 2, 2, 2, 3, 3, 3};
    const int steps[] = {2, 2, 3, 3, 3, 4, 4, 4};
    for (int i = 0; i < 8; ++i) {
        game->ProductFinished();
        EXPECT_EQ(Host()->mLevel, levels[i]) << i + 1;
        cup->Move(cup->mX, 100);
        Tick();
        EXPECT_EQ(cup->mY, 100 + steps[i]) << i + 1;
    }
    game->RaiseLevel();
    EXPECT_EQ(Host()->mLevel, 3);
}

// The product takes the last two deliveries of recipe {1, 2}; 3 is a decoy.
TEST_F(MgPaintTest, TheLastDeliveriesMustBeExactlyTheRecipe)
{
    MgPaint* game = OpenPaint();
    MgPaintProd& product = *game->mProduct;
    struct Case {
        std::vector<int> delivered;
        std::vector<int> finishedAt;  // indices of the deliveries that finished a product
    };
    const Case cases[] = {
        {{1, 2}, {1}},
        {{2, 1}, {1}},
        {{1, 3, 2, 1}, {3}},
        {{1, 1, 2}, {2}},
        {{3, 1, 3, 2, 1}, {4}},
        {{1, 2, 1, 2}, {1, 3}},
        {{1, -1, 2}, {2}},
        {{3, 3, 3}, {}},
    };
    for (const Case& c : cases) {
        product.mDelivered.clear();
        std::vector<int> finished;
        for (size_t i = 0; i < c.delivered.size(); ++i) {
            const int score = Host()->mScore;
            product.Deliver(c.delivered[i]);
            EXPECT_LE(product.mDelivered.size(), 2u);
            if (Host()->mScore != score) {
                finished.push_back(int(i));
                EXPECT_TRUE(product.mDelivered.empty());
            }
        }
        EXPECT_EQ(finished, c.finishedAt) << ::testing::PrintToString(c.delivered);
    }
}

TEST_F(MgPaintTest, DropsReplaceClicksEmptyAndReleasesOutsideChangeNothing)
{
    MgPaint* game = OpenPaint();
    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    MgPaintSet* a = game->mCups[2];
    MgPaintSet* b = game->mCups[3];
    const Point atA = Middle(a), atB = Middle(b);

    // Holding the material over a cup highlights that one only.
    DragTo(game->mSources[0], atB.mX, atB.mY, true);
    EXPECT_EQ(game->mDragged, 1);
    for (MgPaintSet* cup : game->mCups)
        EXPECT_EQ(cup->mHighlighted, cup == b);
    // Highlighting and dropping want the point strictly inside: a cup's edge is no cup.
    app->mWidgetManager->MouseDrag(b->mX, atB.mY);
    EXPECT_FALSE(b->mHighlighted);
    app->mWidgetManager->MouseUp(b->mX, atB.mY, 1);
    EXPECT_EQ(b->mMaterial, -1);
    EXPECT_EQ(game->mDragged, -1);

    DragTo(game->mSources[0], atA.mX, atA.mY);
    EXPECT_EQ(a->mMaterial, 1);
    EXPECT_NE(a->mPicture, nullptr);
    DragTo(game->mSources[1], atA.mX, atA.mY);
    EXPECT_EQ(a->mMaterial, 2);
    EXPECT_EQ(game->mDragged, -1);

    // A release over no cup: every cup as it was.
    DragTo(game->mSources[0], 300, 300);
    EXPECT_EQ(a->mMaterial, 2);
    for (MgPaintSet* cup : game->mCups)
        if (cup != a) {
            EXPECT_EQ(cup->mMaterial, -1);
        }
    EXPECT_EQ(game->mDragged, -1);

    // A plain click empties a full cup with a click sound; an empty cup stays silent.
    const int clicks = Seen().Count(SE_CLICK);
    Click(a);
    EXPECT_EQ(a->mMaterial, -1);
    EXPECT_EQ(a->mPicture, nullptr);
    EXPECT_EQ(Seen().Count(SE_CLICK), clicks + 1);
    Click(a);
    EXPECT_EQ(Seen().Count(SE_CLICK), clicks + 1);
}

TEST_F(MgPaintTest, ACupPastReachRefusesDropsYetDelivers)
{
    MgPaint* game = OpenPaint();
    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    MgPaintSet* cup = game->mCups[4];  // at y 390
    const Point at = Middle(cup);
    DragTo(game->mSources[0], at.mX, at.mY);
    ASSERT_EQ(cup->mMaterial, 1);
    Tick(49);
    EXPECT_EQ(cup->mY, 488);
    EXPECT_FALSE(cup->mActive);
    EXPECT_EQ(cup->mParent, nullptr);
    game->mDragged = 2;
    game->DropOnCups(Middle(cup).mX, Middle(cup).mY);
    EXPECT_EQ(cup->mMaterial, 1);
    EXPECT_EQ(game->mDragged, -1);
    EXPECT_TRUE(game->mProduct->mDelivered.empty());
    Tick(51);
    EXPECT_EQ(cup->mY, -10);
    EXPECT_TRUE(cup->mActive);
    EXPECT_EQ(cup->mParent, phase);
    EXPECT_EQ(cup->mMaterial, -1);  // level 1 refills nothing
    EXPECT_EQ(game->mProduct->mDelivered, std::vector<int>{1});
}

// A finished product rides (10, 490) -> (430, 540) -> (1024, 540) at 16 pixels a tick and
// waits at the start again; finished while it stands on a waypoint it is there already.
TEST_F(MgPaintTest, ProductRidesItsWaypointsUnderFireworks)
{
    MgPaint* game = OpenPaint();
    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    MgPaintProd& product = *game->mProduct;
    product.Deliver(1);
    product.Deliver(2);
    EXPECT_TRUE(product.mMoving);
    EXPECT_EQ(Host()->mParticles->mSystems.count(ParticleSet::kPathSystemId), 1u);
    std::vector<XY> stops;
    for (int i = 0; i < 200 && product.mMoving; ++i) {
        const XY target(product.mTargetX, product.mTargetY);
        product.Tick(0.02);
        if (stops.empty() || stops.back() != target)
            stops.push_back(target);
        EXPECT_LE(product.mPosX, 1024);
    }
    EXPECT_EQ(stops, (std::vector<XY>{{430, 540}, {1024, 540}}));
    EXPECT_EQ(XY(product.mPosX, product.mPosY), XY(10, 490));
    EXPECT_TRUE(product.mWaypoints[0].reached);
    EXPECT_FALSE(product.mWaypoints[1].reached || product.mWaypoints[2].reached);

    // Finished again on waypoint 1: a distance of 0 counts as arrived.
    product.mPosX = 430;
    product.mPosY = 540;
    product.Deliver(2);
    product.Deliver(1);
    product.Tick(0.02);
    EXPECT_EQ(XY(product.mTargetX, product.mTargetY), XY(1024, 540));
    EXPECT_EQ(Host()->mScore, 2);
    // The first fireworks still fly: the second product has none of its own.
    EXPECT_EQ(Host()->mParticles->mSystems.size(), 1u);
}

// Decoys come from keys 1..(number of records); keys without a record are drawn again, and
// when nothing outside the recipe is left fewer are taken, with a log line.
TEST_F(MgPaintTest, DecoysAreBoundedByTheMaterialTable)
{
    MgPaint* game = OpenPaint();
    static std::vector<std::string> log;
    log.clear();
    plat::SetDebugOutputSink([](const char* text) { log.emplace_back(text); });
    struct Case {
        std::vector<int> keys;
        size_t decoys;
        std::set<int> from;  // what they may be
    };
    const Case cases[] = {
        {{}, 0, {}},
        {{1, 2}, 0, {}},
        {{1, 2, 3, 7, 8, 9, 10, 11}, 3, {3, 7, 8}},
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}, 5, {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20}},
    };
    for (const Case& c : cases) {
        app->sourceTable.clear();
        for (int key : c.keys)
            app->sourceTable[key] = SourceRecord{key, "M", "S_1", 1};
        log.clear();
        std::set<int> taken = {1, 2};
        const std::vector<int> decoys = game->DrawDecoys(taken, 5);
        EXPECT_EQ(decoys.size(), c.decoys) << c.keys.size();
        EXPECT_EQ(std::set<int>(decoys.begin(), decoys.end()).size(), decoys.size());
        for (int d : decoys)
            EXPECT_EQ(c.from.count(d), 1u) << d;
        EXPECT_EQ(log.size(), c.decoys < 5 ? 1u : 0u);
        EXPECT_EQ(taken.size(), 2 + decoys.size());
    }
    // Without any material a refilled cup stays empty at every level.
    game->mMaterials.clear();
    Host()->mLevel = 3;
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(game->RefillMaterial(), -1);
}

// The play screen (QUOR_UPDATE_GOLDEN=1 rewrites it): cups with materials, a material dragged
// over a highlighted cup, and a finished product in colour past x 640.
TEST_F(MgPaintTest, PlayScreen)
{
    MgPaint* game = OpenPaint(1, 2);
    ASSERT_TRUE(TickUntil([&] { return game->mStarted; }, 200));
    DragTo(game->mSources[0], Middle(game->mCups[2]).mX, Middle(game->mCups[2]).mY);
    DragTo(game->mSources[1], Middle(game->mCups[3]).mX, Middle(game->mCups[3]).mY);
    game->mProduct->Deliver(1);
    game->mProduct->Deliver(2);
    ASSERT_TRUE(TickUntil([&] { return game->mProduct->mPosX >= 700; }, 200));
    const Point at = Middle(game->mCups[1]);
    DragTo(game->mSources[1], at.mX, at.mY, true);
    ASSERT_TRUE(game->mCups[1]->mHighlighted);
    EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile("minigames/paint_play.png"),
                                          quortest::DrawWholeScreen(*app->mWidgetManager), 1024, 768),
              "");
    app->mWidgetManager->MouseUp(at.mX, at.mY, 1);
}

} // namespace
