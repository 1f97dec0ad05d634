// The help, options and credits screens, the high-score table and screen, and the award
// gallery, driven through the widget manager with injected update counts and a still clock.
#include "tests/game/shell/MenuFixture.h"

#include "game/shell/Award.h"
#include "game/shell/Credit.h"
#include "game/shell/GameTables.h"
#include "game/shell/HighScores.h"
#include "game/shell/MainMenu.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/PopupHelp.h"
#include "game/shell/PopupOption.h"
#include "game/shell/Score.h"
#include "widgets/Checkbox.h"
#include "widgets/Slider.h"

#include <filesystem>

using namespace Quor;
using quortest::GameStandIn;
using quortest::MenuTest;

namespace {

// Records the alpha of every filled rectangle as well.
class AlphaImage : public quortest::RecordingImage {
public:
    AlphaImage() : RecordingImage(1024, 768) {}
    void FillRect(const Rect& r, const Color& c, int mode) override
    {
        RecordingImage::FillRect(r, c, mode);
        calls.back() += " a" + std::to_string(c.GetAlpha());
    }
};

class MenuPopupsTest : public MenuTest {
protected:
    void Settle(Widget* screen)
    {
        for (int n = 0; n < 200 && screen->mFadingIn; ++n)
            Step();
    }
    std::vector<std::string> AlphaCalls(Widget* widget)
    {
        AlphaImage screen;
        Graphics g(&screen);
        widget->Draw(&g);
        return screen.calls;
    }
};

} // namespace

// ---- help

TEST_F(MenuPopupsTest, HelpPagesWithTheirButtons)
{
    auto* help = Open<PopupHelp>(SCREEN_HELP);
    ASSERT_NE(help, nullptr);
    Settle(help);
    struct Visible {
        bool prev, next, ok;
    };
    auto visible = [&] { return Visible{help->mPrevButton->mVisible, help->mNextButton->mVisible, help->mOkButton->mVisible}; };
    EXPECT_EQ(help->mPage, 0);
    EXPECT_FALSE(visible().prev);
    EXPECT_TRUE(visible().next && visible().ok);

    const struct {
        ButtonWidget* PopupHelp::*button;
        int page;
        bool prev, next;
    } steps[] = {{&PopupHelp::mNextButton, 1, true, true},
                 {&PopupHelp::mNextButton, 2, true, false},
                 {&PopupHelp::mPrevButton, 1, true, true},
                 {&PopupHelp::mPrevButton, 0, false, true}};
    for (const auto& s : steps) {
        app->samples.clear();
        Click(help->*s.button);
        EXPECT_EQ(help->mPage, s.page);
        EXPECT_EQ(visible().prev, s.prev) << s.page;
        EXPECT_EQ(visible().next, s.next) << s.page;
        EXPECT_TRUE(visible().ok);
        EXPECT_EQ(app->Count(SE_UI_CLICK), 1);
    }
}

TEST_F(MenuPopupsTest, HelpVeilAndZoomFollowTheFade)
{
    app->GetCurrentProfile().name = "Mira";
    Open<MainMenu>(SCREEN_MAIN_MENU);
    auto* help = Open<PopupHelp>(SCREEN_HELP);
    help->mFadeAlpha = 128;
    std::vector<std::string> calls = AlphaCalls(help);
    // The main menu is drawn first; the veil follows at half the fade.
    auto veil = std::find_if(calls.begin(), calls.end(), [](const std::string& c) { return c.find(" a64") != std::string::npos; });
    ASSERT_NE(veil, calls.end());
    EXPECT_NE(veil, calls.begin());
    // The page picture at (20, 18) is drawn at about half size about (512, 280).
    ASSERT_NE(veil + 1, calls.end());
    EXPECT_EQ((veil + 1)->rfind("StretchBlt 265,148,", 0), 0u) << *(veil + 1);
}

TEST_F(MenuPopupsTest, HelpOkDuringTheFadeInClosesAndReopensOnTheFirstPage)
{
    auto* help = Open<PopupHelp>(SCREEN_HELP);
    Step(4);
    Click(help->mNextButton);
    Click(help->mOkButton);
    EXPECT_EQ(help->mFadeAlpha, 255);
    EXPECT_TRUE(help->mFadingOut);
    Step(50);
    EXPECT_EQ(app->screens[SCREEN_HELP], help);
    Step(2);
    EXPECT_EQ(app->screens[SCREEN_HELP], nullptr);
    EXPECT_EQ(MH_1, nullptr);

    help = Open<PopupHelp>(SCREEN_HELP);
    EXPECT_EQ(help->mPage, 0);
    EXPECT_NE(MH_1, nullptr);
}

// ---- options

TEST_F(MenuPopupsTest, OptionsControlsAppearAfterTheFadeInWithTheCurrentValues)
{
    app->mMusicVolume = 0.25;
    app->mSfxVolume = 0.5;
    app->mWindowed = false;
    auto* options = Open<PopupOption>(SCREEN_OPTION);
    ASSERT_NE(options, nullptr);
    EXPECT_EQ(options->mWidgets.size(), 2u);
    EXPECT_EQ(options->mOkButton->GetRect(), Rect(508, 495, 8, 4));
    EXPECT_EQ(options->mCreditsButton->GetRect(), Rect(508, 425, 8, 4));
    EXPECT_EQ(options->mMusicSlider->GetRect(), Rect(508, 235, 8, 4));
    EXPECT_EQ(options->mEffectsSlider->GetRect(), Rect(508, 305, 8, 4));
    EXPECT_EQ(options->mFullScreen->GetRect(), Rect(550, 340, 8, 4));
    EXPECT_DOUBLE_EQ(options->mMusicSlider->mVal, 0.25);
    EXPECT_DOUBLE_EQ(options->mEffectsSlider->mVal, 0.5);
    EXPECT_TRUE(options->mFullScreen->IsChecked());
    Settle(options);
    EXPECT_EQ(options->mWidgets.size(), 5u);
    EXPECT_TRUE(app->samples.empty());
}

TEST_F(MenuPopupsTest, EffectsSliderSoundsOnceOnReleaseAndMusicFollowsAtOnce)
{
    auto* options = Open<PopupOption>(SCREEN_OPTION);
    Settle(options);
    // Wider sliders than the fixture's pictures, so the thumb can travel.
    for (Slider* slider : {options->mMusicSlider, options->mEffectsSlider})
        slider->Resize(400, slider->mY, 200, 4);
    options->mEffectsSlider->SetValue(0.0);
    app->SetSfxVolume(0.0);
    WidgetManager& m = *app->mWidgetManager;
    m.MouseMove(404, 307);
    m.MouseDown(404, 307, 1);
    EXPECT_TRUE(options->mEffectsSlider->mDragging);
    double last = app->GetSfxVolume();
    for (int x = 420; x <= 500; x += 20) {
        m.MouseDrag(x, 307);
        EXPECT_GT(app->GetSfxVolume(), last) << x;
        last = app->GetSfxVolume();
    }
    EXPECT_EQ(app->Count(SE_CLICK), 0);
    m.MouseUp(500, 307, 1);
    EXPECT_EQ(app->Count(SE_CLICK), 1);

    ClickAt(550, 237);
    EXPECT_GT(app->GetMusicVolume(), 0.7);
    EXPECT_EQ(app->Count(SE_CLICK), 1);
}

TEST_F(MenuPopupsTest, ForcedFullScreenKeepsTheBoxChecked)
{
    app->mForceFullscreen = true;
    app->mWindowed = false;
    auto* options = Open<PopupOption>(SCREEN_OPTION);
    Settle(options);
    Click(options->mFullScreen);
    EXPECT_TRUE(options->mFullScreen->IsChecked());
    EXPECT_EQ(app->Count(SE_OVER), 1);
    EXPECT_EQ(app->Count(SE_CLICK), 2);
}

TEST_F(MenuPopupsTest, ScreenModeChangesOnlyAfterTheFadeOutAndCreditsOpen)
{
    for (bool credits : {false, true}) {
        SCOPED_TRACE(credits);
        app->mWindowed = false;
        app->modeSwitches.clear();
        auto* options = Open<PopupOption>(SCREEN_OPTION);
        Settle(options);
        Click(options->mFullScreen);
        EXPECT_FALSE(options->mFullScreen->IsChecked());
        Click(credits ? options->mCreditsButton : options->mOkButton);
        EXPECT_EQ(options->mWidgets.size(), 0u);
        Step(50);
        EXPECT_TRUE(app->modeSwitches.empty());
        EXPECT_FALSE(app->mWindowed);
        Step(2);
        EXPECT_EQ(app->modeSwitches, std::vector<bool>{true});
        EXPECT_TRUE(app->mWindowed);
        EXPECT_EQ(app->screens[SCREEN_OPTION], nullptr);
        EXPECT_EQ(dynamic_cast<Credit*>(app->screens[SCREEN_CREDIT]) != nullptr, credits);
        app->RemoveScreen(SCREEN_CREDIT);
        app->ProcessSafeDeletes();
    }
}

TEST_F(MenuPopupsTest, OptionsClosedDuringTheFadeInAddsNoControls)
{
    auto* options = Open<PopupOption>(SCREEN_OPTION);
    Step(4);
    Click(options->mOkButton);
    // The fade-in still ends on the next step, as the fade-out begins.
    Step(2);
    EXPECT_FALSE(options->mFadingIn);
    EXPECT_EQ(options->mWidgets.size(), 0u);
    Step(60);
    EXPECT_EQ(app->screens[SCREEN_OPTION], nullptr);
}

// ---- credits

namespace {

class CreditTest : public MenuPopupsTest {
protected:
    Credit* OpenCredit(int fade)
    {
        app->miniGameTuning.credit_fade = fade;
        auto* credit = Open<Credit>(SCREEN_CREDIT);
        Step(26);
        return credit;
    }
};

} // namespace

TEST_F(CreditTest, PicturesFadeHoldAndCycle)
{
    Credit* credit = OpenCredit(51);
    EXPECT_EQ(credit->mOwnFadeAlpha, 255);
    EXPECT_EQ(credit->mPictureStep, 51);
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(credit->mPictureIndex, (k + 0) % 4);
        Step(4);
        EXPECT_LT(credit->mPictureAlpha, 255);
        Step(1);
        EXPECT_EQ(credit->mPictureAlpha, 255);
        EXPECT_EQ(credit->mPictureShownAt, app->clock.ticks);
        app->clock.ticks += 2000;
        Step(10);
        EXPECT_EQ(credit->mPictureAlpha, 255);
        app->clock.ticks += 1;
        Step(6);
        EXPECT_EQ(credit->mPictureAlpha, 255 - 5 * 51);
        Step(1);
        EXPECT_EQ(credit->mPictureIndex, (k + 1) % 4);
        EXPECT_EQ(credit->mPictureAlpha, 0);
    }
}

TEST_F(CreditTest, ClickOutsideOkEndsOnlyAHold)
{
    Credit* credit = OpenCredit(51);
    Step(2);
    ClickAt(100, 100);
    EXPECT_EQ(credit->mPictureStep, 51);
    Step(3);
    ASSERT_NE(credit->mPictureShownAt, 0u);
    ClickAt(100, 100);
    EXPECT_EQ(credit->mPictureShownAt, 0u);
    EXPECT_EQ(credit->mPictureStep, -51);
    EXPECT_EQ(app->Count(SE_UI_CLICK), 2);

    Credit* still = nullptr;
    app->RemoveScreen(SCREEN_CREDIT);
    app->ProcessSafeDeletes();
    still = OpenCredit(0);
    Step(300);
    ClickAt(100, 100);
    EXPECT_EQ(still->mPictureAlpha, 0);
    EXPECT_EQ(still->mPictureStep, 0);
    // The veil and the background show; no picture at (90, 120).
    std::vector<std::string> calls = AlphaCalls(still);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[1], "Blt 0,0 src 0,0,8,4");
    for (const std::string& call : calls)
        EXPECT_EQ(call.find("90,120"), std::string::npos) << call;
}

TEST_F(CreditTest, OkDuringTheFadeInFadesOutFromFullAndCloses)
{
    app->miniGameTuning.credit_fade = 51;
    auto* credit = Open<Credit>(SCREEN_CREDIT);
    Step(5);
    EXPECT_EQ(credit->mOwnFadeAlpha, 50);
    Click(credit->mOkButton);
    EXPECT_EQ(credit->mOwnFadeAlpha, 255);
    EXPECT_TRUE(credit->mOwnFadingOut);
    Step(20);
    EXPECT_EQ(credit->mOwnFadeAlpha, 255 - 10 * 20);
    // The Widget fade ends its fade-in: the picture cycle restarts and the fade-out goes on from
    // full.
    Step(1);
    EXPECT_EQ(credit->mPictureStep, 51);
    EXPECT_EQ(credit->mOwnFadeAlpha, 255);
    Step(25);
    EXPECT_EQ(app->screens[SCREEN_CREDIT], credit);
    Step(1);
    EXPECT_EQ(app->screens[SCREEN_CREDIT], nullptr);
}

// ---- high scores

namespace {

// A profile whose score is exactly the given one on the fixture's tables (awards, money and
// days only).
PlayerProfile ProfileScoring(const std::string& name, int64_t score)
{
    PlayerProfile p;
    p.name = name;
    p.day = 0;
    int64_t rest = score + 30 * 11700;
    for (int id = 0; rest >= 100000; ++id, rest -= 100000)
        p.awards[id] = true;
    p.money = int32_t(rest * 20000);
    return p;
}

std::vector<std::pair<std::string, int64_t>> Rows(const std::list<ScoreEntry>& table, size_t count)
{
    std::vector<std::pair<std::string, int64_t>> out;
    for (const ScoreEntry& e : table)
        if (out.size() < count)
            out.emplace_back(e.name, e.score);
    return out;
}

} // namespace

TEST_F(MenuPopupsTest, ScoreTableRanksProfilesAmongTheDefaults)
{
    using Rows5 = std::vector<std::pair<std::string, int64_t>>;
    const struct {
        const char* what;
        Rows5 profiles;  // by slot; "" for an unnamed one
        Rows5 top;
    } cases[] = {
        {"defaults only", {{"", 900000}},
         {{"Anna", 500000}, {"Bruno", 450000}, {"Clara", 400000}, {"David", 350000}, {"Emma", 300000}}},
        {"tie after the default", {{"Tia", 450000}},
         {{"Anna", 500000}, {"Bruno", 450000}, {"Tia", 450000}, {"Clara", 400000}, {"David", 350000}}},
        {"equal profiles in slot order", {{"Ann", 420000}, {"", 0}, {"Bea", 420000}},
         {{"Anna", 500000}, {"Bruno", 450000}, {"Ann", 420000}, {"Bea", 420000}, {"Clara", 400000}}},
        {"top score", {{"Top", 600000}},
         {{"Top", 600000}, {"Anna", 500000}, {"Bruno", 450000}, {"Clara", 400000}, {"David", 350000}}},
    };
    app->standIns.insert(SCREEN_MAIN_MENU);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (size_t slot = 0; slot < 5; ++slot) {
            app->profiles[slot] = slot < c.profiles.size()
                                      ? ProfileScoring(c.profiles[slot].first, c.profiles[slot].second)
                                      : PlayerProfile{};
            if (slot < c.profiles.size()) {
                EXPECT_EQ(ProfileScore(app->profiles[slot], *app), c.profiles[slot].second);
            }
        }
        auto* screen = Open<Score>(SCREEN_SCORE);
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(Rows(screen->mTable, 5), c.top);
        app->RemoveScreen(SCREEN_SCORE);
        app->ProcessSafeDeletes();
    }
    // A fresh profile lies far below every default.
    EXPECT_LT(ProfileScore(PlayerProfile{}, *app), -350000);
}

TEST_F(MenuPopupsTest, ProfileScoreOnTheSampleData)
{
    const std::filesystem::path sample = std::filesystem::path(QUOR_TEST_DATA_DIR) / "../../content/properties";
    for (const char* file : {"DataSource.xml", "DataBluePrint.xml"})
        std::filesystem::copy_file(sample / file, mFiles.Path() / "properties" / file,
                                   std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(app->LoadGameData());

    PlayerProfile p;
    p.day = 20;                           // -30 x 11720
    p.money = 1234567;                    // 61
    p.buyFactor = 0.9;
    p.sellFactor = 1.2;
    p.materials = {{1, 10}, {3, 4}, {999, 50}};  // 10 x 8 x 0.9 = 72, 4 x 12 x 0.9 = 43; 999 has no record
    p.stock = {{1, 3, 1, 5},              // recipe 1: 2 x 8 + 1 x 14 = 30; base 54; unit 54 + 378 = 432; x 5
               {81, 3, 1, 5},             // outside 1-80
               {0, 3, 1, 5}};
    p.awards = {{0, true}, {1, false}, {2, true}};                           // 200000
    p.quests[1].targets = {{0, true}, {1, false}, {2, true}};                // 20000
    p.quests[2].targets = {{0, true}};                                       // 10000
    p.production = {{0, 1, 2, 3, 10}, {2, 1, 5, 5, 99}};                     // 500 + 1000 + 1500
    p.recipes = {{1, true}, {2, true}, {3, false}};                          // 2000
    p.countries = {{0, true}, {1, true}};                                    // 20000
    p.factories[0].firstFlag = true;                                         // 20000
    p.factories[2].firstFlag = false;
    EXPECT_EQ(ProfileScore(p, *app), 2160 + 115 + 200000 + 30000 + 3000 + 2000 + 20000 + 20000 + 61 - 351600);

    // Sums past 32 bits stay whole.
    PlayerProfile rich;
    rich.day = 0;
    rich.materials = {{10, 2000000000}};  // x 18
    EXPECT_EQ(ProfileScore(rich, *app), int64_t(36000000000) - 351000);
}

TEST_F(MenuPopupsTest, ScoreScreenPlaysItsMusicAndReturnsToANewMainMenu)
{
    app->standIns.insert(SCREEN_MAIN_MENU);
    auto* screen = Open<Score>(SCREEN_SCORE);
    Settle(screen);
    EXPECT_EQ(app->music.back(), "music/bgm2.ogg");
    EXPECT_EQ(screen->mBackButton->GetRect(), Rect(508, 530, 8, 4));
    app->opened.clear();
    Click(screen->mBackButton);
    EXPECT_EQ(app->Count(SE_UI_CLICK), 1);
    Step(52);
    EXPECT_EQ(app->screens[SCREEN_SCORE], nullptr);
    EXPECT_EQ(app->opened, (std::vector<std::pair<int, int>>{{SCREEN_MAIN_MENU, 0}}));
    EXPECT_EQ(MS_BG, nullptr);
}

// ---- awards

namespace {

class AwardTest : public MenuPopupsTest {
protected:
    void SetUp() override
    {
        MenuPopupsTest::SetUp();
        for (int id = 0; id < Award::kAwardCount; ++id)
            app->awardTable[id] = AwardRecord{id, "A", "MA_A" + std::to_string(id), "d", 20 + 40 * id, 100};
        app->GetCurrentProfile().awards = {{1, true}, {4, true}};
    }
    Award* OpenAward(int mode)
    {
        auto* award = Open<Award>(SCREEN_AWARD, mode);
        Step(2);
        return award;
    }
};

} // namespace

TEST_F(AwardTest, UnearnedAwardsAreGreyAndCannotBePressed)
{
    app->awardTable.erase(7);
    Award* award = OpenAward(0);
    EXPECT_TRUE(award->mPictureShown);
    EXPECT_EQ(award->mAwardButtons[7], nullptr);
    for (int id : {0, 1, 4}) {
        ButtonWidget* b = award->mAwardButtons[id];
        ASSERT_NE(b, nullptr);
        EXPECT_EQ(b->mDisabled, id == 0);
        EXPECT_EQ(b->mDisabledImage, ResourceImageById(ResourceIdByName(("MA_A" + std::to_string(id) + "_D").c_str())));
        EXPECT_EQ(b->GetRect(), Rect(20 + 40 * id, 100, 8, 4));
    }
    Click(award->mAwardButtons[0]);
    EXPECT_EQ(award->mSelected, -1);
    EXPECT_EQ(app->Count(SE_UI_CLICK), 0);
}

TEST_F(AwardTest, PictureOpensAndAnyClickClosesItInTheGallery)
{
    Award* award = OpenAward(0);
    Click(award->mAwardButtons[4]);
    EXPECT_EQ(award->mSelected, 4);
    EXPECT_EQ(award->mFade, 254);
    Step(2);
    ASSERT_NE(award->mPictureButton, nullptr);
    EXPECT_EQ(award->mPictureButton->GetRect(), Rect(0, 0, 1024, 768));
    ClickAt(900, 20);
    EXPECT_TRUE(award->mFadeOut);
    Step(2);
    EXPECT_EQ(award->mSelected, -1);
    EXPECT_EQ(award->mPictureButton, nullptr);
    EXPECT_EQ(app->screens[SCREEN_AWARD], award);
    EXPECT_TRUE(award->HasWidget(award->mAwardButtons[1]));
}

TEST_F(AwardTest, ClosingFollowsTheOpeningMode)
{
    const struct {
        int mode;
        bool menu;
        std::vector<std::string> gameCalls;
    } cases[] = {{0, true, {}}, {1, false, {}}, {2, false, {"next reward"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        app->ShowScreen(SCREEN_GAME, 0);
        auto* game = dynamic_cast<GameStandIn*>(app->screens[SCREEN_GAME]);
        Award* award = OpenAward(c.mode);
        app->opened.clear();
        Click(award->mCloseButton);
        EXPECT_EQ(award->mWidgets.size(), 0u);
        Step(2);
        EXPECT_EQ(app->screens[SCREEN_AWARD], nullptr);
        EXPECT_EQ(app->screens[SCREEN_MAIN_MENU] != nullptr, c.menu);
        EXPECT_EQ(game->calls, c.gameCalls);
        for (int id = 1; id < SCREEN_SLOTS; ++id)
            app->RemoveScreen(id);
        app->ProcessSafeDeletes();
    }
}

TEST_F(AwardTest, AwardGetZoomsThePictureWithItsSoundAndBurst)
{
    Award* award = OpenAward(1);
    for (int id : {-1, 17, 100}) {
        award->StartAwardGet(id);
        EXPECT_EQ(award->mSelected, -1);
    }
    EXPECT_EQ(app->Count(SE_CYCLE_GET), 0);
    award->StartAwardGet(9);
    EXPECT_EQ(award->mSelected, 9);
    EXPECT_EQ(award->mFade, 254);
    EXPECT_EQ(app->Count(SE_CYCLE_GET), 1);
    EXPECT_EQ(award->mParticles->mSystems.size(), 1u);
    Step(2);
    EXPECT_NE(award->mPictureButton, nullptr);
    // The picture centred in the screen, then the turning light.
    std::vector<std::string> calls = DrawCalls(award);
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Blt 508,382 src 0,0,8,4"), calls.end());
}
