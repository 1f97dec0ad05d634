// The game screen's popups and tooltip, its answers to the menus, and the effect constructions:
// the warning and the yes/no question through the widget manager with a button of another panel
// below them, the note's delay, leaving for the main menu with and without saving, and effects
// made from definitions and keys.
#include "tests/game/world/WorldFixture.h"

#include "game/minigames/MgUi.h"
#include "game/shell/EffectList.h"
#include "game/shell/GameTables.h"
#include "game/shell/MainMenu.h"
#include "game/shell/MusicTrackList.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/CountryMap.h"
#include "game/world/EffectConstruction.h"
#include "game/world/MessagePopup.h"
#include "game/world/Note.h"
#include "graphics/Image.h"

#include <algorithm>

using namespace Quor;

namespace {

using namespace worldtest;

class PopupsTest : public WorldTest {
protected:
    StandInPhase* EnterWithPopups()
    {
        return Enter(new StandInPhase(app.get(), &record, {PANEL_MINI_GAME, PANEL_WARNING, PANEL_NOTE, PANEL_YES_NO}));
    }
    // A button of the head-up display stand-in under the popup's box, counting its presses.
    ButtonWidget* ButtonBelow(StandInPhase* phase)
    {
        StandIn* info = phase->Panel(PANEL_INFO);
        auto* button = new ButtonWidget(5, info);
        button->Resize(100, 100, 40, 40);
        info->AddControl(button);
        info->mOnButton = [this](StandIn&) { ++mPressedBelow; };
        return button;
    }
    void TickAt(int count) { UpdateAt(count); }

    int mPressedBelow = 0;
};

TEST_F(PopupsTest, AWarningBlocksEveryClickButItsOkWhichClosesIt)
{
    Start();
    StandInPhase* phase = EnterWithPopups();
    ButtonWidget* below = ButtonBelow(phase);
    struct Case {
        int style;
        Rect ok;
    };
    const int x = (1024 - 8) / 2;  // the fixture's hint box is 8 pixels wide
    for (Case c : {Case{0, Rect(x + 145, 485, 8, 4)}, Case{4, Rect(x + 145, 515, 8, 4)}}) {
        phase->ShowPanel(PANEL_WARNING, c.style);
        auto* warning = dynamic_cast<Warning*>(phase->mPanels[PANEL_WARNING]);
        ASSERT_NE(warning, nullptr);
        EXPECT_EQ(warning->mMessage, "Warning Message here");
        EXPECT_EQ(warning->mFirst->GetRect(), c.ok) << c.style;
        EXPECT_EQ(warning->mBlocker->GetRect(), Rect(0, 0, 1024, 768));
        EXPECT_FALSE(phase->HasWidget(warning->mBlocker));
        // Before the first tick the popup takes no click.
        Click(below);
        EXPECT_EQ(mPressedBelow, 1);
        UpdateAt(2);
        EXPECT_EQ(warning->mFadeAlpha, 255);
        const auto& children = phase->mWidgets;
        auto blocker = std::find(children.begin(), children.end(), warning->mBlocker);
        auto ok = std::find(children.begin(), children.end(), warning->mFirst);
        ASSERT_NE(blocker, children.end());
        ASSERT_NE(ok, children.end());
        EXPECT_LT(std::distance(children.begin(), blocker), std::distance(children.begin(), ok));

        // A second warning while this one is open is refused; the first stays.
        phase->ShowPanel(PANEL_WARNING, 0);
        EXPECT_EQ(phase->mPanels[PANEL_WARNING], warning);

        Click(below);
        EXPECT_EQ(mPressedBelow, 1);
        EXPECT_EQ(phase->mPanels[PANEL_WARNING], warning);
        ButtonWidget* okButton = warning->mFirst;
        Click(okButton);
        EXPECT_EQ(phase->mPanels[PANEL_WARNING], nullptr);
        EXPECT_FALSE(phase->HasWidget(okButton));
        UpdateAt(4);  // freed here, after its handler
        Click(below);
        EXPECT_EQ(mPressedBelow, 2);
        mPressedBelow = 0;
    }
}

TEST_F(PopupsTest, YesPlaysTheKindsMiniGameAgainAndNoLeavesTheFactory)
{
    Start();
    StandInPhase* phase = EnterWithPopups();
    struct Case {
        int kind;
        bool factoryOpen;
        int button;
        int miniGame;  // -1: none opened
        bool factoryAfter;
        bool hidden;
    };
    const Case cases[] = {
        {1, true, MessagePopup::ID_FIRST, 3, false, true},   {2, true, MessagePopup::ID_FIRST, 0, false, true},
        {3, true, MessagePopup::ID_FIRST, 4, false, true},   {2, true, MessagePopup::ID_SECOND, -1, true, false},
        {2, false, MessagePopup::ID_FIRST, 0, false, true},  {7, true, MessagePopup::ID_FIRST, -1, true, false},
    };
    int count = 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.kind) + " " + std::to_string(c.button) + " " + std::to_string(c.factoryOpen));
        if (c.factoryOpen)
            phase->ShowPanel(PANEL_FACTORY, 0);
        phase->ShowPanel(PANEL_YES_NO, c.kind);
        auto* question = dynamic_cast<UIPopupYesNo*>(phase->mPanels[PANEL_YES_NO]);
        ASSERT_NE(question, nullptr);
        EXPECT_EQ(question->mMessage, "UIPopupYesNo Message here");
        const int x = (1024 - 8) / 2;
        EXPECT_EQ(question->mFirst->GetRect(), Rect(x + 45, 515, 8, 4));
        EXPECT_EQ(question->mSecond->GetRect(), Rect(x + 215, 515, 8, 4));
        UpdateAt(count += 2);
        record.trace.clear();
        app->mWidgetManager->MouseMove(0, 0);  // the last case's button stood where this one stands
        Click(c.button == MessagePopup::ID_FIRST ? question->mFirst : question->mSecond);
        EXPECT_EQ(phase->mPanels[PANEL_YES_NO], nullptr);
        EXPECT_EQ(phase->mPanels[PANEL_FACTORY] != nullptr, c.factoryAfter);
        EXPECT_EQ(std::count(record.trace.begin(), record.trace.end(), "shown 0"), c.hidden ? 1 : 0);
        auto* game = dynamic_cast<MgUi*>(phase->mPanels[PANEL_MINI_GAME]);
        EXPECT_EQ(game ? game->mMiniGameId : -1, c.miniGame);
        phase->ClosePanel(PANEL_MINI_GAME);
        phase->ClosePanel(PANEL_FACTORY);
        UpdateAt(count += 2);  // frees the closed panels
    }
}

TEST_F(PopupsTest, TheNoteShowsAfterItsDelayAndAtOnceWhileShowing)
{
    Start();
    StandInPhase* phase = EnterWithPopups();
    auto* note = dynamic_cast<Note*>(phase->mPanels[PANEL_NOTE]);
    ASSERT_NE(note, nullptr);
    int count = 0;
    auto ticks = [&](int n) {
        for (int i = 0; i < n; ++i)
            UpdateAt(count += 2);
    };
    for (int round = 0; round < 2; ++round) {
        phase->ShowNote("Cellar", 40, 700);
        EXPECT_EQ(note->mText, "Cellar");
        ticks(45);  // 0.9 s
        EXPECT_FALSE(note->mShowing);
        ticks(10);
        EXPECT_TRUE(note->mShowing);
        phase->ShowNote("Supplier", 60, 710);
        EXPECT_TRUE(note->mShowing);
        EXPECT_EQ(note->mText, "Supplier");
        EXPECT_EQ(note->mX, 60);
        EXPECT_EQ(note->mY, 710);
        phase->HideNote();
        EXPECT_FALSE(note->mShowing);
        EXPECT_FALSE(note->mArmed);
    }
}

TEST_F(PopupsTest, ReturningToTheMainMenuSavesOrRestoresTheProfile)
{
    Start();
    ASSERT_TRUE(app->SavePlayerProfile(app->currentProfile));
    const int32_t saved = Profile().money;
    for (bool save : {true, false}) {
        StandInPhase* phase = EnterWithPopups();
        EXPECT_EQ(phase->GetMiniGameListener(), nullptr);  // the stand-in game has no buttons
        record.trace.clear();
        phase->ShowNextQuestReward();
        EXPECT_EQ(record.trace, Trace{"next reward"});
        app->PlayCountryMusic(0);
        Profile().money = saved + (save ? 40 : 70);
        phase->ReturnToMainMenu(save);
        EXPECT_TRUE(app->musicTracks->Tracks().empty());
        EXPECT_EQ(app->screens[SCREEN_GAME], nullptr);
        EXPECT_FALSE(app->mWidgetManager->HasWidget(phase));
        EXPECT_NE(dynamic_cast<MainMenu*>(app->screens[SCREEN_MAIN_MENU]), nullptr);
        app->ProcessSafeDeletes();
        EXPECT_EQ(Profile().money, saved + 40) << save;  // the first return saved, the second read it back
        app->RemoveScreen(SCREEN_MAIN_MENU);
        app->ProcessSafeDeletes();
    }
}

TEST_F(PopupsTest, TheGameButtonsScreenIsTheGameWithTheProfilesCountry)
{
    Start();
    Profile().country = 2;
    app->ShowScreen(SCREEN_GAME, 0);
    auto* phase = dynamic_cast<GamePhase*>(app->screens[SCREEN_GAME]);
    ASSERT_NE(phase, nullptr);
    EXPECT_EQ(phase->GetRect(), Rect(0, 0, 1024, 768));
    auto* map = dynamic_cast<CountryMap*>(phase->mPanels[PANEL_COUNTRY_MAP]);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->mCountry, 2);
    EXPECT_NE(GC2_BG, nullptr);
    EXPECT_NE(dynamic_cast<Note*>(phase->mPanels[PANEL_NOTE]), nullptr);
}

// Effects made from definitions of the fixture's game data and keys built one by one.
TEST_F(PopupsTest, EffectsFromDefinitionsAndKeys)
{
    Start();
    plat::SetDebugOutputSink(&CaptureLog);
    Profile().country = 0;
    EnterWithPopups();  // stand-in country screen: load England's group by hand
    ASSERT_TRUE(app->LoadGroupInForeground("GameCountry0", [](ResourceManager* rm) { return BindGameCountryResources(rm, 0); }));
    const int picture = ResourceIdByName("GC0_BTN_CELLAR");  // 8 x 4
    FXDef plain;
    plain.id = 9;
    plain.img = picture;
    plain.frame = 4;
    plain.timePerLoop = 2.0;
    plain.isLoop = true;
    plain.playTime = -1;
    plain.holdTime = -999.0;
    FXDef noCels = plain;
    noCels.id = 10;
    noCels.frame = 0;
    FXDef unloaded = plain;
    unloaded.id = 11;
    unloaded.img = ResourceIdByName("GC1_BG");
    FXDef fiveTracks = plain;
    fiveTracks.id = 12;
    for (int i = 0; i < 5; ++i)
        fiveTracks.keyframes[i] = FXKeyframeDef{true, Keyframe::ALPHA, 0, {{0.0, 100.0 + i}, {1.0, 200.0}}};
    FXDef endsAtZero = plain;
    endsAtZero.id = 13;
    endsAtZero.keyframes[0] = FXKeyframeDef{true, Keyframe::SCALE, 0, {{0.0, 2.0}}};
    FXDef second = plain;
    second.frame = 2;
    const FXDefList defs = {plain, noCels, unloaded, fiveTracks, endsAtZero, second};

    gLog.clear();
    EXPECT_EQ(CreateFXObject(&defs, 99), nullptr);
    EXPECT_EQ(CreateFXObject(nullptr, 9), nullptr);
    EXPECT_TRUE(gLog.empty());
    EXPECT_EQ(CreateFXObject(&defs, 11), nullptr);
    EXPECT_EQ(gLog.size(), 1u);

    std::unique_ptr<FXObject> fx(CreateFXObject(&defs, 9));  // the first of the id
    ASSERT_NE(fx, nullptr);
    EXPECT_EQ(fx->mCelWidth, 2);
    EXPECT_EQ(fx->mCelHeight, 4);
    EXPECT_EQ(fx->mFrameCount, 4);
    EXPECT_DOUBLE_EQ(fx->mTimePerFrame, 0.5);
    EXPECT_EQ(fx->mX, 0);
    EXPECT_FALSE(fx->mTransform);  // not started
    EXPECT_EQ(fx->mNotifyId, 0);

    std::unique_ptr<FXObject> still(CreateFXObject(&defs, 10));
    ASSERT_NE(still, nullptr);
    EXPECT_EQ(still->mCelWidth, 8);
    EXPECT_FALSE(still->CelTimingRuns());
    std::unique_ptr<FXObject> tracks(CreateFXObject(&defs, 12));
    EXPECT_EQ(tracks->mTrackCount, FXObject::kMaxTracks);
    std::unique_ptr<FXObject> zero(CreateFXObject(&defs, 13));
    zero->Start();
    EXPECT_FALSE(zero->Update(1, 5.0));  // no endless reduction of the clock
    EXPECT_DOUBLE_EQ(zero->mScale, 2.0);

    // Keys of one time jump; a phase past the cycle reads as its remainder in (0, cycle].
    std::vector<Keyframe*> keys;
    PushKeyframe(keys, Keyframe::TRANSLATE, Keyframe::TRANS_X, 0.0, 0.0);
    PushKeyframe(keys, Keyframe::TRANSLATE, Keyframe::TRANS_X, 45.0, 400.0);
    PushKeyframe(keys, Keyframe::TRANSLATE, Keyframe::TRANS_X, 45.0, 1024.0);
    PushKeyframe(keys, Keyframe::TRANSLATE, Keyframe::TRANS_X, 90.0, 1024.0);
    ASSERT_TRUE(fx->SetTrack(keys, true));
    keys.clear();
    fx->Start();
    struct Case {
        double phase;
        int x;
    };
    for (Case c : {Case{44.0, 391}, Case{45.0, 1024}, Case{60.0, 1024}, Case{90.0, 1024}, Case{180.0, 1024},
                   Case{135.0, 1024}, Case{112.5, 200}}) {
        fx->mElapsed = c.phase;
        fx->Update(1, 0.0);
        EXPECT_EQ(fx->mX, c.x) << c.phase;
        EXPECT_DOUBLE_EQ(fx->mElapsed, c.phase);  // the track clock itself keeps growing
    }

    // An image's own animation.
    FXObject animated;
    Image* image = GC0_BTN_CELLAR;
    gLog.clear();
    InitAnimated(&animated, 30, 40, image, 7, -1.0);
    EXPECT_EQ(gLog.size(), 1u);  // the fixture picture has no animation: a still
    EXPECT_EQ(animated.mFrameMode, FXObject::FRAMES_BY_ANIMATION);
    EXPECT_EQ(animated.mX, 30);
    EXPECT_EQ(animated.mCelWidth, 8);
    EXPECT_TRUE(animated.mLoop);
    EXPECT_EQ(animated.mPassesLeft, -1);
    EXPECT_DOUBLE_EQ(animated.mHoldTime, -999.0);
    image->mNumCols = 4;
    image->mAnimInfo = new ImageAnimation();
    image->mAnimInfo->mAnimType = ImageAnimation::AnimType_Once;
    image->mAnimInfo->mTotalAnimTime = 1250;
    InitAnimated(&animated, 30, 40, image, 7, -1.0);
    EXPECT_EQ(animated.mCelWidth, 2);
    EXPECT_DOUBLE_EQ(animated.mHoldTime, 12.0);
    image->mAnimInfo->mAnimType = ImageAnimation::AnimType_Loop;
    InitAnimated(&animated, 30, 40, image, 7, -1.0);
    EXPECT_DOUBLE_EQ(animated.mHoldTime, -999.0);
    app->resourceManager->DeleteResources("GameCountry0");
}

} // namespace
