// The factory screen in the game screen, with the real country screen and popups and stand-ins
// for the head-up display, the dialog, the tutorial frame and the mini-game screen: the mode of
// each factory, buying one, the mini-game buttons by product, materials and ratings, the hover
// effects, leaving, and opening it from the country screen's factory place.
#include "tests/game/world/FactoryFixture.h"

#include "game/shell/EffectList.h"
#include "game/shell/ParticleSet.h"

using namespace Quor;

namespace {

using namespace worldtest;

bool InTree(GamePhase* phase, Widget* widget)
{
    return widget != nullptr && phase->HasWidget(widget);
}

TEST_F(FactoryTest, EachFactoryShowsTheModeOfItsStateAndPrice)
{
    StartFactories();
    struct Case {
        const char* what;
        int country;
        std::function<void(PlayerProfile&)> setUp;
        int mode;
        bool canBuy;
        int price;
    };
    const Case cases[] = {
        {"England is owned from the start", 0, nullptr, Factory::MODE_OWNED, false, -1},
        {"Japan is not working", 2, nullptr, Factory::MODE_IDLE, false, 5000},
        {"China is not working", 5, nullptr, Factory::MODE_IDLE, false, 8000},
        {"the USA is not working", 7, nullptr, Factory::MODE_IDLE, false, 12000},
        {"Japan for sale, money equal to the price", 2,
         [](PlayerProfile& p) {
             p.factories[2].secondFlag = true;
             p.money = 5000;
         },
         Factory::MODE_FOR_SALE, true, 5000},
        {"Japan for sale, a dollar short", 2,
         [](PlayerProfile& p) {
             p.factories[2].secondFlag = true;
             p.money = 4999;
         },
         Factory::MODE_FOR_SALE, false, 5000},
        {"for sale without a price", 3,
         [](PlayerProfile& p) { p.factories[3] = FactoryState{3, -1, false, true}; }, Factory::MODE_IDLE, false, -1},
        {"no factory in the profile", 1, nullptr, Factory::MODE_IDLE, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app->profiles.clear();
        app->CreateDefaultProfile("Player");
        Profile().tutorialStep = TutorialFinished;
        if (c.setUp)
            c.setUp(Profile());
        const auto factoriesBefore = Profile().factories;
        StandInPhase* phase = EnterGame();
        Factory* factory = OpenFactory(phase, c.country);
        ASSERT_NE(factory, nullptr);
        EXPECT_EQ(factory->mMode, c.mode);
        EXPECT_EQ(factory->mCanBuy, c.canBuy);
        EXPECT_EQ(factory->mPrice, c.price);
        EXPECT_EQ(Profile().factories, factoriesBefore);  // nothing looked up was added
        EXPECT_TRUE(InTree(phase, factory->mExitButton));
        EXPECT_EQ(InTree(phase, factory->mChooseButton), c.mode == Factory::MODE_OWNED || c.canBuy);
        for (ButtonWidget* button : factory->mGameButtons)
            EXPECT_EQ(InTree(phase, button), c.mode == Factory::MODE_OWNED);
        EXPECT_EQ(factory->mY, 0);  // in place after one update
        Leave();
    }
}

TEST_F(FactoryTest, ShapingAndGlazingWaitForTheirMiniGameFlags)
{
    StartFactories();
    for (int flags = 0; flags < 4; ++flags) {
        Profile().miniGameOpen1 = flags & 1;
        Profile().miniGameOpen2 = flags & 2;
        StandInPhase* phase = EnterGame();
        Factory* factory = OpenFactory(phase, 0);
        EXPECT_FALSE(factory->mGameButtons[Factory::ID_MACHINE]->mDisabled);
        EXPECT_EQ(factory->mGameButtons[Factory::ID_SHAPING]->mDisabled, !(flags & 1));
        EXPECT_EQ(factory->mGameButtons[Factory::ID_GLAZING]->mDisabled, !(flags & 2));
        EXPECT_EQ(factory->mGameButtons[Factory::ID_SHAPING]->mDisabledImage, IMG_NONE);
        EXPECT_EQ(factory->mGameButtons[Factory::ID_GLAZING]->mDisabledImage, IMG_NONE);
        Leave();
    }
}

TEST_F(FactoryTest, BuyingPaysThePriceOnceAndTheFactoryReopensOwned)
{
    StartFactories();
    Profile().factories[2].secondFlag = true;
    Profile().money = 5000;
    StandInPhase* phase = EnterGame();
    auto* map = dynamic_cast<CountryMap*>(phase->mPanels[PANEL_COUNTRY_MAP]);
    ASSERT_NE(map, nullptr);
    map->Hide();  // as the factory place leaves it
    Factory* factory = OpenFactory(phase, 2);
    const size_t effects = phase->mEffects->mEffects.size();
    record.trace.clear();
    Click(factory->mChooseButton);
    EXPECT_EQ(Profile().money, 0);
    EXPECT_TRUE(Profile().factories[2].firstFlag);
    EXPECT_EQ(Calls(), (Trace{Sound(SE_UI_OVER), Sound(SE_UI_CLICK), "factory status", Sound(SE_UI_GET)}));
    ASSERT_EQ(phase->mEffects->mEffects.size(), effects + 1);
    EXPECT_EQ(phase->mEffects->mEffects.back()->mX, 663);
    EXPECT_EQ(phase->mEffects->mEffects.back()->mY, 646);
    EXPECT_TRUE(map->mBusy);
    TickOnce();
    EXPECT_EQ(phase->mPanels[PANEL_FACTORY], nullptr);
    EXPECT_FALSE(map->mBusy);  // the country screen is back
    TickOnce();
    factory = OpenFactory(phase, 2);
    EXPECT_EQ(factory->mMode, Factory::MODE_OWNED);
    EXPECT_EQ(Profile().money, 0);
}

TEST_F(FactoryTest, TheBuyClickTestsTheMoneyAgain)
{
    StartFactories();
    Profile().factories[2].secondFlag = true;
    Profile().money = 5000;
    StandInPhase* phase = EnterGame();
    Factory* factory = OpenFactory(phase, 2);
    Profile().money = 4000;  // spent while the panel was open
    ButtonWidget* buy = factory->mChooseButton;
    Click(buy);
    EXPECT_EQ(Profile().money, 4000);
    EXPECT_FALSE(Profile().factories[2].firstFlag);
    EXPECT_FALSE(factory->mCanBuy);
    EXPECT_FALSE(InTree(phase, buy));
    EXPECT_FALSE(factory->mFadingOut);
}

TEST_F(FactoryTest, TheMiniGameButtonsAnswerByProductMaterialsAndRatings)
{
    StartFactories();
    enum Answer { NOTHING, WARN_SHORT, WARN_FULL, ASK, PLAY };
    struct Case {
        int button;
        int product;
        int value;  // the rate (button 0) or the rating the button raises
        Answer answer;
        int popup;  // warning style, question kind or mini-game
        const char* text;
    };
    const char* shortText = Factory::kShortText;
    const Case cases[] = {
        {0, -1, 0, WARN_SHORT, 0, shortText},
        {0, 2, 0, WARN_SHORT, 0, shortText},  // five glaze short
        {0, 3, 0, NOTHING, 0, ""},            // no production record
        {0, 1, 25, WARN_FULL, 4, "The Production Machine is already set to maximum capacity for this piece."},
        {0, 1, 24, ASK, 1,
         "The Production Machine is already set for this piece, but the production rate can be improved. Would you "
         "like to play again?"},
        {0, 1, 1, ASK, 1,
         "The Production Machine is already set for this piece, but the production rate can be improved. Would you "
         "like to play again?"},
        {0, 1, 0, PLAY, 3, ""},
        {1, -1, 1, WARN_SHORT, 0, shortText},
        {1, 1, 3, WARN_FULL, 4, "You've already shaped this piece to perfection."},
        {1, 1, 2, ASK, 2,
         "You've already shaped this piece, but you may want to improve its star rating. Would you like to play "
         "again?"},
        {1, 1, 1, PLAY, 0, ""},
        {2, 2, 1, WARN_SHORT, 0, shortText},
        {2, 1, 3, WARN_FULL, 4, "You've already glazed this piece to perfection."},
        {2, 1, 2, ASK, 3,
         "You've already glazed this piece, but you may want to improve its star rating. Would you like to play "
         "again?"},
        {2, 1, 1, PLAY, 4, ""},
    };
    Profile().miniGameOpen1 = true;
    Profile().miniGameOpen2 = true;
    auto& production = Profile().production;
    production.erase(std::remove_if(production.begin(), production.end(),
                                    [](const ProductionRecord& r) { return r.productId == 3; }),
                     production.end());
    const int hintX = (1024 - 8) / 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.button) + " product " + std::to_string(c.product) + " value " +
                     std::to_string(c.value));
        Profile().factories[0].productId = c.product;
        if (ProductionRecord* r = Profile().FindProductRecord(c.product)) {
            r->rate = c.button == 0 ? c.value : 0;
            r->rating1 = c.button == 1 ? c.value : 1;
            r->rating2 = c.button == 2 ? c.value : 1;
        }
        StandInPhase* phase = EnterGame();
        phase->ShowPanel(PANEL_TUTOR, 0);
        Factory* factory = OpenFactory(phase, 0);
        ButtonWidget* button = factory->mGameButtons[c.button];
        Rect r = button->GetRect();
        app->mWidgetManager->MouseMove(r.mX + 1, r.mY + 1);
        record.trace.clear();
        record.made.clear();
        Click(button);

        Trace expected = {"tutor " + std::to_string(c.button), Sound(SE_UI_CLICK)};
        if (c.answer == WARN_SHORT)
            expected.push_back(Sound(SE_MG5_WRONG));
        if (c.answer == PLAY)
            expected.push_back("shown 0");
        EXPECT_EQ(Calls(), expected);
        auto* warning = dynamic_cast<Warning*>(phase->mPanels[PANEL_WARNING]);
        auto* question = dynamic_cast<UIPopupYesNo*>(phase->mPanels[PANEL_YES_NO]);
        EXPECT_EQ(warning != nullptr, c.answer == WARN_SHORT || c.answer == WARN_FULL);
        EXPECT_EQ(question != nullptr, c.answer == ASK);
        if (warning != nullptr) {
            EXPECT_EQ(warning->mMessage, c.text);
            EXPECT_EQ(warning->mFirst->GetRect().mY, c.popup == 4 ? 515 : 485);
            EXPECT_EQ(warning->mFirst->GetRect().mX, hintX + 145);
        }
        if (question != nullptr) {
            EXPECT_EQ(question->mMessage, c.text);
            EXPECT_EQ(question->mKind, c.popup);
        }
        if (c.answer == PLAY) {
            EXPECT_EQ(phase->mPanels[PANEL_FACTORY], nullptr);
            EXPECT_NE(phase->mPanels[PANEL_MINI_GAME], nullptr);
            EXPECT_EQ(record.made, (std::vector<std::pair<int, int>>{{PANEL_MINI_GAME, c.popup}}));
            EXPECT_FALSE(InTree(phase, button));
        } else {
            EXPECT_EQ(phase->mPanels[PANEL_FACTORY], factory);
            EXPECT_EQ(phase->mPanels[PANEL_MINI_GAME], nullptr);
        }
        Leave();
    }
}

TEST_F(FactoryTest, HoveringAMiniGameButtonStartsItsEffectsAndLeavingEndsThem)
{
    StartFactories();
    Profile().miniGameOpen1 = true;
    Profile().miniGameOpen2 = true;
    StandInPhase* phase = EnterGame();
    Factory* factory = OpenFactory(phase, 0);
    struct Case {
        int button;
        size_t effects;
        bool fire;
    };
    for (Case c : {Case{0, 1, true}, Case{1, 2, false}, Case{2, 2, false}}) {
        SCOPED_TRACE(c.button);
        Rect r = factory->mGameButtons[c.button]->GetRect();
        record.trace.clear();
        app->mWidgetManager->MouseMove(r.mX + 1, r.mY + 1);
        EXPECT_EQ(Calls(), Trace{Sound(SE_UI_OVER)});
        EXPECT_EQ(factory->mEffects->mEffects.size(), c.effects);
        EXPECT_EQ(factory->mParticles->mSystems.count(Factory::kFireSystemId), c.fire ? 1u : 0u);
        ASSERT_NE(factory->mHoverEffect, nullptr);
        EXPECT_EQ(factory->mHoverEffect->mNotifyId, 0);
        TickOnce();
        app->mWidgetManager->MouseMove(1000, 760);
        EXPECT_TRUE(factory->mEffects->mEffects.empty());
        EXPECT_TRUE(factory->mParticles->mSystems.empty());
    }
}

TEST_F(FactoryTest, ExitSlidesTheFactoryOutAndTheCountryScreenComesBack)
{
    StartFactories();
    StandInPhase* phase = EnterGame();
    auto* map = dynamic_cast<CountryMap*>(phase->mPanels[PANEL_COUNTRY_MAP]);
    TickOnce();
    // The factory place of the country screen opens the factory of the player's country.
    ButtonWidget* place = nullptr;
    for (ButtonWidget* button : map->mPlaceButtons)
        if (button->mId == CountryMap::PLACE_FACTORY)
            place = button;
    ASSERT_NE(place, nullptr);
    Click(place);
    Factory* factory = FactoryOf(phase);
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(factory->mCountry, 0);
    EXPECT_TRUE(map->mBusy);
    TickOnce();
    EXPECT_EQ(factory->mY, 0);
    ButtonWidget* exit = factory->mExitButton;
    Click(exit);
    TickOnce();
    EXPECT_EQ(phase->mPanels[PANEL_FACTORY], nullptr);
    EXPECT_FALSE(InTree(phase, exit));
    EXPECT_FALSE(map->mBusy);
    TickOnce();  // the factory is freed here
}

} // namespace
