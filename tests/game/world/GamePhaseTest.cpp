// The game screen driven through the widget manager with an injected update count: the tick and
// draw orders of stand-in panels in every slot, the focus, the tutorial frame during a travel,
// notify routing, refused and closed panels, the layers on a memory screen, the failed or
// cut-short "GameMain", and the permanent panels with the story music.
#include "tests/game/world/WorldFixture.h"

#include "game/shell/DCapResource.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/MusicTrackList.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/ParticleSystem.h"
#include "game/world/GamePanel.h"
#include "game/world/GamePhase.h"
#include "game/world/Mission.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Sys.h"
#include "sound/MusicInterface.h"
#include "tests/support/GoldenImage.h"
#include "widgets/ButtonListener.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace Quor;

namespace {

using namespace worldtest;

const Trace kTickOrder = {"t1", "t2", "t3", "t4", "t5", "t6", "t10", "t11", "t7", "t9", "t12", "t14", "t13", "t16", "t15"};
const Trace kDrawOrder = {"d1", "d3", "d4", "d5", "d6", "d10", "d7", "d9", "fx", "d2", "d11",
                          "d12", "dim", "d14", "d13", "d16", "d15"};

class GamePhaseTest : public WorldTest {};

TEST_F(GamePhaseTest, EvenUpdatesTickAndRedrawsDrawInTheirOrdersNeverThroughSlotEight)
{
    Start();
    StandInPhase* phase = EnterWithStandIns(true);
    for (int id = 1; id < PANEL_SLOTS; ++id) {
        ASSERT_NE(phase->mPanels[id], nullptr) << id;
        EXPECT_EQ(phase->mPanels[id]->GetRect(), Rect(0, 0, 1024, 768)) << id;
    }
    MemoryImage fxImage;
    fxImage.Create(16, 16);
    phase->mEffects->Add(new TracedEffect(&fxImage, &record.trace));

    UpdateAt(2);
    EXPECT_EQ(record.trace, kTickOrder);
    EXPECT_TRUE(phase->mDirty);
    record.trace.clear();
    app->mWidgetManager->DrawScreen();
    EXPECT_EQ(record.trace, kDrawOrder);

    struct Case {
        int count;
        bool focus;
    };
    for (Case c : {Case{3, true}, Case{4, false}, Case{5, false}}) {
        record.trace.clear();
        app->mHasFocus = c.focus;
        UpdateAt(c.count);
        EXPECT_TRUE(record.trace.empty()) << c.count << " " << c.focus;
    }
    Redraw(phase);
    EXPECT_TRUE(record.trace.empty());
}

TEST_F(GamePhaseTest, WithoutTheFocusNothingAdvancesAndAllResumesWhereItStopped)
{
    Start();
    StandInPhase* phase = EnterWithStandIns(false);
    app->PlayCountryMusic(0);
    MemoryImage fxImage;
    fxImage.Create(16, 16);
    auto* effect = new TracedEffect(&fxImage, &record.trace);
    phase->mEffects->Add(effect);
    auto* particles = new ParticleSystem("", 0);
    particles->mHeader.mDuration = 10.0f;
    phase->mParticles->Add(-1, particles);
    particles->StartAt(10, 10);
    const double musicWait = app->musicTracks->Tracks().at(0)->startTimeLeft;
    const float age = particles->mLife;

    app->mHasFocus = false;
    phase->mDirty = false;
    for (int n = 1; n <= 100; ++n)
        UpdateAt(n);
    EXPECT_EQ(phase->Panel(1)->mTicks, 0);
    EXPECT_DOUBLE_EQ(app->musicTracks->Tracks().at(0)->startTimeLeft, musicWait);
    EXPECT_EQ(effect->mElapsed, 0.0);
    EXPECT_EQ(particles->mLife, age);
    EXPECT_FALSE(phase->mDirty);

    app->mHasFocus = true;
    UpdateAt(101);
    UpdateAt(102);
    EXPECT_EQ(phase->Panel(1)->mTicks, 1);
    EXPECT_NEAR(app->musicTracks->Tracks().at(0)->startTimeLeft, musicWait - 0.02, 1e-9);
    EXPECT_NEAR(effect->mElapsed, 0.02, 1e-9);
    EXPECT_NEAR(particles->mLife, age + 0.02f, 1e-6);
    EXPECT_TRUE(phase->mDirty);
}

TEST_F(GamePhaseTest, TutorFrameHidesWhileATravelRunsOnTheWorldMap)
{
    Start();
    StandInPhase* phase = EnterWithStandIns(false);
    phase->ShowPanel(PANEL_TUTOR, 3);
    struct Case {
        int step;
        bool worldMap;
        bool travel;
        bool drawn;
    };
    const Case cases[] = {{5, false, false, true},  {5, true, false, true}, {5, true, true, false},
                          {5, true, false, true},   {0, true, true, false}, {TutorialFinished, false, false, false}};
    for (const Case& c : cases) {
        Profile().tutorialStep = c.step;
        if (c.worldMap && !phase->mPanels[PANEL_WORLD_MAP])
            phase->ShowPanel(PANEL_WORLD_MAP, 0);
        if (!c.worldMap)
            phase->ClosePanel(PANEL_WORLD_MAP);
        if (c.worldMap)
            phase->Panel(PANEL_WORLD_MAP)->mTravel = c.travel;
        record.trace.clear();
        Redraw(phase);
        bool drawn = std::count(record.trace.begin(), record.trace.end(), "d12") == 1;
        EXPECT_EQ(drawn, c.drawn) << c.step << " " << c.worldMap << " " << c.travel;
    }
}

TEST_F(GamePhaseTest, QuestNotifiesReachAnOpenMissionHouseOnly)
{
    Start();
    StandInPhase* phase = EnterWithStandIns(false);
    struct Case {
        int id;
        bool reaches;
    };
    const Case cases[] = {{49999, false}, {50000, true}, {50001, true},  {59999, true},
                          {60000, false}, {0, false},    {-50001, false}, {5, false}};
    for (bool open : {false, true}) {
        if (open)
            phase->ShowPanel(PANEL_MISSION_HOUSE, 0);
        for (const Case& c : cases) {
            record.notices.clear();
            phase->OnNotify(c.id);
            std::vector<std::pair<int, int>> expected;
            if (open && c.reaches)
                expected.emplace_back(PANEL_MISSION_HOUSE, c.id);
            EXPECT_EQ(record.notices, expected) << c.id << " open " << open;
        }
    }
    // An effect's notice comes through the tick.
    record.notices.clear();
    phase->mEffects->mPendingNotifyId = 50001;
    UpdateAt(2);
    EXPECT_EQ(record.notices, (std::vector<std::pair<int, int>>{{PANEL_MISSION_HOUSE, 50001}}));
}

TEST_F(GamePhaseTest, AnOccupiedSlotRefusesANewPanelAndOnlyIdsOneToSixteenCount)
{
    Start();
    plat::SetDebugOutputSink(&CaptureLog);
    StandInPhase* phase = EnterWithStandIns(false);
    phase->ShowPanel(PANEL_CELLAR, 0);
    StandIn* cellar = phase->Panel(PANEL_CELLAR);
    auto* button = new ButtonWidget(1, cellar);
    cellar->AddControl(button);
    const size_t children = phase->mWidgets.size();
    gLog.clear();

    phase->ShowPanel(PANEL_CELLAR, 0);
    EXPECT_EQ(phase->mPanels[PANEL_CELLAR], cellar);
    EXPECT_EQ(phase->mWidgets.size(), children);
    EXPECT_TRUE(record.freed.empty());
    ASSERT_EQ(gLog.size(), 1u);
    EXPECT_NE(gLog[0].find("Panel 3 is open already"), std::string::npos) << gLog[0];

    GamePanel* before[PANEL_SLOTS];
    std::copy(std::begin(phase->mPanels), std::end(phase->mPanels), before);
    for (int id : {0, -1, 17, 100}) {
        phase->ShowPanel(id, 0);
        phase->ClosePanel(id);
    }
    EXPECT_TRUE(std::equal(std::begin(phase->mPanels), std::end(phase->mPanels), before));
}

TEST_F(GamePhaseTest, APanelClosingInItsOwnHandlerOrTickIsFreedAfterItsCodeRan)
{
    struct Case {
        bool fromTick;
        bool deleteScreen;
    };
    Start();
    for (Case c : {Case{false, false}, Case{true, false}, Case{false, true}, Case{true, true}}) {
        SCOPED_TRACE(std::to_string(c.fromTick) + " " + std::to_string(c.deleteScreen));
        record = Record();
        StandInPhase* phase = EnterWithStandIns(false);
        phase->ShowPanel(PANEL_WARNING, 0);
        StandIn* panel = phase->Panel(PANEL_WARNING);
        auto* button = new ButtonWidget(10001, panel);
        button->Resize(300, 200, 80, 40);
        panel->AddControl(button);
        std::function<void(StandIn&)> close = [&](StandIn& self) {
            self.mOwner->ClosePanel(PANEL_WARNING);
            EXPECT_FALSE(phase->HasWidget(button));
            if (c.deleteScreen)
                app->RemoveScreen(SCREEN_GAME);
        };
        if (c.fromTick) {
            panel->mOnTick = close;
            UpdateAt(2);
        } else {
            panel->mOnButton = close;
            Click(button);
        }
        EXPECT_TRUE(panel->mAfterCall);
        EXPECT_EQ(record.freed.count(PANEL_WARNING), 0u);
        if (!c.deleteScreen) {
            EXPECT_EQ(phase->mPanels[PANEL_WARNING], nullptr);
            UpdateAt(3);
            EXPECT_EQ(record.freed.count(PANEL_WARNING), 1u);
            Leave();
        } else {
            app->ProcessSafeDeletes();
            EXPECT_EQ(record.freed.size(), 5u);  // 1, 7, 8, 15 and the closed one
        }
    }
}

TEST_F(GamePhaseTest, LayersOnAMemoryScreenMatchTheGolden)
{
    Start();
    StandInPhase* phase = EnterWithStandIns(true);
    phase->Resize(0, 0, 256, 192);
    for (GamePanel* panel : phase->mPanels)
        if (panel)
            panel->Resize(0, 0, 256, 192);
    MemoryImage fxImage;
    fxImage.Create(16, 16);
    std::fill(fxImage.GetBits(), fxImage.GetBits() + 16 * 16, 0xFFFFFFFFu);
    fxImage.BitsChanged();
    phase->mEffects->Add(new TracedEffect(&fxImage, &record.trace));
    phase->mEffects->mEffects.back()->mX = 60;
    phase->mEffects->mEffects.back()->mY = 50;

    MemoryImage screen;
    screen.Create(256, 192);
    app->mWidgetManager->mImage = &screen;
    Redraw(phase);
    std::vector<uint32_t> pixels(screen.GetBits(), screen.GetBits() + 256 * 192);
    const std::string golden = quortest::DataFile("world/game_layers.png");
    if (std::getenv("QUOR_UPDATE_GOLDEN") != nullptr) {
        std::filesystem::create_directories(std::filesystem::path(golden).parent_path());
        ASSERT_TRUE(quortest::WritePng(golden, pixels, 256, 192));
    }
    std::vector<uint32_t> expected;
    int w = 0;
    int h = 0;
    ASSERT_TRUE(quortest::ReadPng(golden, expected, w, h)) << golden;
    ASSERT_EQ(w, 256);
    ASSERT_EQ(h, 192);
    EXPECT_TRUE(pixels == expected);
    app->mWidgetManager->mImage = &mScreen;
}

TEST_F(GamePhaseTest, EnteringMakesTheDialogAndPlaysTheStoryMusicAtStepZeroOnly)
{
    Start();
    for (int step : {0, 5, TutorialFinished}) {
        Profile().tutorialStep = step;
        app->music->loads.clear();
        GamePhase* phase = Enter(new GamePhase(app.get()));
        EXPECT_TRUE(phase->IsUsable());
        EXPECT_EQ(phase->mProfile, &Profile());
        auto* mission = dynamic_cast<Mission*>(phase->mPanels[PANEL_MISSION]);
        ASSERT_NE(mission, nullptr);
        EXPECT_EQ(mission->mOwner, phase);
        EXPECT_EQ(mission->GetRect(), Rect(0, 0, 1024, 768));
        EXPECT_EQ(mission->mQuestId, -1);
        EXPECT_FALSE(mission->mHandedIn);
        EXPECT_FALSE(phase->HasWidget(mission));
        // The country's programme comes first; the story music replaces it at step 0 only.
        const bool story = !app->music->loads.empty() && app->music->loads.back() == "0 music/story_page.ogg";
        EXPECT_EQ(story, step == 0) << step;
        EXPECT_EQ(std::count(app->music->loads.begin(), app->music->loads.end(), "0 music/story_page.ogg"),
                  step == 0 ? 1 : 0);
        EXPECT_NE(GM_BG_CELLAR, nullptr);
        Leave();
        EXPECT_EQ(GM_BG_CELLAR, nullptr);  // "GameMain" went with the screen
    }
}

TEST_F(GamePhaseTest, AGameMainImageMissingFromItsListFailsTheBinding)
{
    CheckFailedGameMain({{"GM_BG_CELLAR"}, {}}, "", "popup: Image resource not found: GM_BG_CELLAR");
}

TEST_F(GamePhaseTest, AGameMainImageWithoutItsFileFailsTheLoad)
{
    CheckFailedGameMain({}, "GM_NAME_SUPPLIER", "popup: .*gone");
}

TEST_F(GamePhaseTest, AShutdownDuringTheLoadLeavesAnInertScreenWithoutAReport)
{
    Start();
    app->Shutdown();
    StandInPhase* phase = EnterWithStandIns(false);
    EXPECT_FALSE(app->loadFailed);
    EXPECT_EQ(app->exitStatus, 0);
    ExpectInert(phase);
}

TEST_F(GamePhaseTest, NoteTextGoesToTheNotePanel)
{
    Start();
    StandInPhase* phase = EnterWithStandIns(false);
    phase->ShowNote("Cellar", 40, 700);
    EXPECT_EQ(record.trace, Trace{"note Cellar 40 700"});
}

} // namespace
