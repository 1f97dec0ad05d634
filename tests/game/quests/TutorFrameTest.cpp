// The tutorial frame in a real game screen, driven through the widget manager and direct
// updates: reading the script, the blockers and buttons of a step, the events and the timer, the
// arrow and the text runs, skipping, the actions, the end of the tutorial, and the sample script
// played from its first step to its end.
#include "tests/game/quests/TutorFixture.h"

#include "game/minigames/MgUi.h"
#include "game/shell/FXObject.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Image.h"
#include "tests/support/GoldenImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <list>
#include <set>
#include <sstream>

using namespace Quor;

namespace {

// One "Tutor" element; attrs holds the attributes beyond Id, Next, Type and Pass.
std::string StepXml(int id, int next, int type, int pass, const std::string& attrs = "")
{
    std::ostringstream s;
    s << "<Tutor Id=\"" << id << "\" Next=\"" << next << "\" Type=\"" << type << "\" Pass=\"" << pass << "\" " << attrs
      << "/>";
    return s.str();
}

std::string Script(const std::vector<std::string>& steps)
{
    std::string body = "<DataTutor>";
    for (const std::string& step : steps)
        body += step;
    return body + "</DataTutor>";
}

class Recorder : public ButtonListener {
public:
    std::vector<int> ids;
    void ButtonDepress(int id) override { ids.push_back(id); }
};

// The positions of the pictures a draw blits, in order.
std::vector<std::pair<int, int>> Blits(const std::vector<std::string>& calls)
{
    std::vector<std::pair<int, int>> at;
    for (const std::string& call : calls) {
        int x = 0;
        int y = 0;
        if (std::sscanf(call.c_str(), "Blt %d,%d", &x, &y) == 2)
            at.emplace_back(x, y);
    }
    return at;
}

class TutorFrameTest : public quortest::TutorTest {};

TEST_F(TutorFrameTest, TheScriptReadsMissingOrUncleanAttributesAsZero)
{
    WriteScript("<DataTutor><Tutor Id=\"5\" Type=\"2\" Pass=\"55502\" Des=\"first\"/>"
                "<Tutor Id=\"5\" Next=\"9\" Des=\"second\"/>"
                "<Tutor Id=\"6\" Next=\"7x\" Time=\"2.5\" X=\"12\"/><Other Id=\"8\"/>"
                "<Tutor Id=\"7\" Next=\"-999\"/>\n<Tutor Id=\"9\" <broken/></DataTutor>");
    TutorFrame* frame = Enter(5);
    ASSERT_NE(frame, nullptr);
    std::set<int> ids;
    for (const auto& [id, step] : frame->mSteps)
        ids.insert(id);
    EXPECT_EQ(ids, (std::set<int>{5, 6, 7}));
    const TutorStep& first = frame->mSteps.at(5);
    EXPECT_EQ(first.Des, "first");
    EXPECT_EQ(first.Next, 0);
    EXPECT_EQ(first.Time, 0.0);
    EXPECT_EQ(frame->mTimer, 0.0);
    EXPECT_EQ(frame->mSteps.at(6).Next, 0);
    EXPECT_EQ(frame->mSteps.at(6).Time, 2.5);
    EXPECT_EQ(frame->mSteps.at(6).X, 12);
    ASSERT_EQ(app->mErrorLog.size(), 1u);
    EXPECT_EQ(app->mErrorLog[0].rfind("Syntax error in properties/DataTutor.xml on line 2: ", 0), 0u) << app->mErrorLog[0];
    EXPECT_TRUE(app->mBoxes.empty());
}

TEST_F(TutorFrameTest, AnUnopenableScriptAsksForShutdown)
{
    std::filesystem::remove(mFiles.File("properties/DataTutor.xml"));
    Enter(0);
    ASSERT_EQ(app->mBoxes.size(), 1u);
    EXPECT_EQ(app->mBoxes[0].rfind("Error: Couldn't open properties/DataTutor.xml. Error returned:\n\"", 0), 0u)
        << app->mBoxes[0];
    EXPECT_TRUE(app->mShutdownRequested);
    // Without steps the frame ends at once.
    EXPECT_EQ(Profile().tutorialStep, TutorialFinished);
    Step(2);
    EXPECT_EQ(phase->mPanels[PANEL_TUTOR], nullptr);
}

TEST_F(TutorFrameTest, OnlyTheRectangleIsClickable)
{
    WriteScript(Script({StepXml(3, 4, 1, 77, "X=\"100\" Y=\"200\" W=\"50\" H=\"40\""), StepXml(4, -999, 1, 78)}));
    TutorFrame* frame = Enter(3);
    Recorder recorder;
    ButtonWidget inside(1, &recorder);
    ButtonWidget outside(2, &recorder);
    inside.Resize(110, 210, 20, 20);
    outside.Resize(300, 500, 20, 20);
    // The screen's own controls lie under the step's blockers.
    frame->CloseStep();
    phase->AddWidget(&inside);
    phase->AddWidget(&outside);
    frame->ShowStep();
    EXPECT_EQ(frame->mBlockers.size(), 4u);
    ClickAt(120, 220);
    ClickAt(310, 510);
    EXPECT_EQ(recorder.ids, std::vector<int>{1});

    EXPECT_TRUE(!frame->TutorPassEvent(77));
    ASSERT_EQ(frame->mBlockers.size(), 1u);
    EXPECT_EQ(frame->mBlockers[0]->GetRect(), Rect(0, 0, 1024, 768));
    ClickAt(120, 220);
    EXPECT_EQ(recorder.ids, std::vector<int>{1});
    phase->RemoveWidget(&inside);
    phase->RemoveWidget(&outside);
}

TEST_F(TutorFrameTest, MenuAndSkipButtonsComeWithTheBoxPicture)
{
    const std::string box = "Img=\"20001\" ImgX=\"610\" ImgY=\"10\"";
    WriteScript(Script({StepXml(0, 5, 0, 55501, box), StepXml(5, 6, 2, 55502, box), StepXml(61, 6, 1, 1, box),
                        StepXml(1005, 6, 1, 1, box), StepXml(6, 7, 1, 1)}));
    TutorFrame* frame = Enter(0);
    struct Case {
        int step;
        bool menuInTree, skipInTree, menuShown, skipShown, catcher, next;
    };
    const Case cases[] = {
        {0, false, false, false, false, true, false},  {5, true, true, true, true, false, true},
        {61, false, false, true, true, false, false},  {1005, true, false, true, false, false, false},
        {6, false, false, false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        frame->CloseStep();
        frame->mStepId = c.step;
        frame->ShowStep();
        EXPECT_EQ(phase->HasWidget(frame->mMenu), c.menuInTree);
        EXPECT_EQ(phase->HasWidget(frame->mSkip), c.skipInTree);
        EXPECT_EQ(frame->mMenuShown, c.menuShown);
        EXPECT_EQ(frame->mSkipShown, c.skipShown);
        EXPECT_EQ(phase->HasWidget(frame->mCatcher), c.catcher);
        EXPECT_EQ(phase->HasWidget(frame->mNext), c.next);
    }
    frame->CloseStep();
    frame->mStepId = 5;
    frame->ShowStep();
    EXPECT_EQ(frame->mNext->GetRect().mX, 650);
    EXPECT_EQ(frame->mNext->GetRect().mY, 226);
    EXPECT_EQ(frame->mSkip->GetRect().mX, 790);
    EXPECT_EQ(frame->mMenu->GetRect().mX, 880);
    // The menu button asks the tutorial's quit question.
    Click(frame->mMenu);
    EXPECT_EQ(app->opened.back(), std::make_pair(int(SCREEN_QUIT), 4));
    EXPECT_EQ(frame->mStepId, 5);
}

TEST_F(TutorFrameTest, TheTimerPassesItsStepOnce)
{
    WriteScript(Script({StepXml(10, 11, 1, 55503, "Time=\"2.5\""), StepXml(11, 12, 1, 55503), StepXml(12, -999, 1, 40)}));
    TutorFrame* frame = Enter(10);
    EXPECT_FALSE(frame->TutorPassEvent(41));
    EXPECT_EQ(frame->mStepId, 10);
    EXPECT_EQ(frame->mTimer, 2.5);
    int passedAt = 0;
    for (int n = 1; n <= 400; ++n) {
        frame->Tick(0.01);
        if (passedAt == 0 && frame->mStepId != 10)
            passedAt = n;
    }
    EXPECT_NEAR(passedAt, 250, 1);
    EXPECT_EQ(frame->mStepId, 11);  // no second timer event
    EXPECT_EQ(frame->mTimer, 0.0);
    EXPECT_EQ(Profile().tutorialStep, 11);

    frame->mStepId = 12;
    EXPECT_TRUE(frame->TutorPassEvent(40));
    EXPECT_EQ(Profile().tutorialStep, TutorialFinished);
    EXPECT_EQ(phase->mPanels[PANEL_TUTOR], nullptr);
    EXPECT_TRUE(frame->mBlockers.empty());
    Step(2);  // freed with the next update
}

TEST_F(TutorFrameTest, TheArrowPointsFromTheFirstSideWithRoom)
{
    WriteScript(Script({StepXml(1, 2, 1, 1, "X=\"100\" Y=\"200\" W=\"50\" H=\"40\""),
                        StepXml(2, 3, 1, 2, "X=\"1000\" Y=\"300\" W=\"24\" H=\"40\""),
                        StepXml(3, 4, 1, 3, "X=\"1000\" Y=\"0\" W=\"24\" H=\"40\""), StepXml(4, 5, 1, 4)}));
    TutorFrame* frame = Enter(1);
    const int w = TU_AL->GetWidth();
    const int h = TU_AL->GetHeight();
    const std::vector<std::vector<std::pair<int, int>>> expected = {
        {{150, 200 + (40 - h) / 2}},                // left-pointing, right of it
        {{1000 + (24 - w / 2) / 2, 300 - h}},       // right edge: down-pointing, above it
        {{1000 - w / 2, (40 - h) / 2}},             // right edge and top: right-pointing, left of it
        {},                                         // no rectangle, no arrow
    };
    for (int step = 1; step <= 4; ++step) {
        SCOPED_TRACE(step);
        EXPECT_EQ(frame->mStepId, step);
        EXPECT_EQ(Blits(DrawCalls(frame)), expected[std::size_t(step - 1)]);
        frame->TutorPassEvent(step);
    }
}

TEST_F(TutorFrameTest, TextIsCutIntoRunsAfterTheNameIsPutIn)
{
    struct Case {
        std::string des;
        std::string name;
        std::vector<TutorTextRun> runs;
    };
    const Case cases[] = {
        {"plain text", "Mira", {{1, "plain text"}}},
        {"Hi %name, %name!", "Mira", {{1, "Hi Mira, Mira!"}}},
        {"a %b& c", "Mira", {{1, "a "}, {2, "b"}, {1, " c"}}},
        {"%b&", "Mira", {{2, "b"}}},
        {"a %b c", "Mira", {{1, "a "}, {2, "b c"}}},       // no closing sign
        {"%name", "x%namey", {{1, "x"}, {2, "namey"}}},   // the inserted name is not replaced again
    };
    for (const Case& c : cases)
        EXPECT_EQ(CutTutorText(c.des, c.name), c.runs) << c.des;

    // Three runs drawn as three blocks, each below the last, from (ImgX + 40, ImgY + 35).
    WriteScript(Script({StepXml(1, 2, 1, 1, "Des=\"AB %BA& AB\" ImgX=\"100\" ImgY=\"50\"")}));
    TutorFrame* frame = Enter(1);
    std::vector<int> rows;
    for (auto [x, y] : Blits(DrawCalls(frame))) {
        EXPECT_GE(x, 140);
        if (rows.empty() || rows.back() != y)
            rows.push_back(y);
    }
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_LT(rows[0], rows[1]);
    EXPECT_LT(rows[1], rows[2]);
}

TEST_F(TutorFrameTest, SkippingAFreshGameLeavesTheTutorialsGoods)
{
    UseSampleData();
    for (int absent : {1, 0}) {
        SCOPED_TRACE(absent);
        if (!absent) {
            app->RemoveScreen(SCREEN_GAME);
            Step();
            app->profiles.clear();
            app->CreateDefaultProfile("Mira");
            Profile().materials[25] = 5;
        }
        const int money = Profile().money;
        TutorFrame* frame = Enter(3);
        ASSERT_TRUE(frame->mSkipShown);
        Click(frame->mSkip);
        const PlayerProfile& p = Profile();
        EXPECT_EQ(p.tutorialStep, TutorialFinished);
        EXPECT_EQ(p.money, money + 10000);
        EXPECT_EQ(p.materials.at(1), 30);
        EXPECT_EQ(p.materials.at(7), 30);
        EXPECT_EQ(p.materials.at(25), absent ? 10 : 35);
        for (int recipe = 1; recipe <= 4; ++recipe)
            EXPECT_TRUE(!p.recipes.count(recipe) || p.recipes.at(recipe)) << recipe;
        EXPECT_TRUE(p.countries.at(1));
        EXPECT_TRUE(p.miniGameOpen1 && p.miniGameOpen2);
        for (int quest = 1; quest <= 4; ++quest) {
            ASSERT_TRUE(p.quests.count(quest)) << quest;
            EXPECT_TRUE(p.quests.at(quest).finished);
            EXPECT_EQ(p.quests.at(quest).targets.size(), app->questTable.at(quest).Target.size());
            for (const auto& [index, done] : p.quests.at(quest).targets)
                EXPECT_TRUE(done) << quest << " " << index;
        }
        ASSERT_TRUE(p.quests.count(5));
        EXPECT_FALSE(p.quests.at(5).finished);
        EXPECT_EQ(phase->mPanels[PANEL_TUTOR], nullptr);
        EXPECT_EQ(app->Count(SE_UI_MENUCLICK), absent ? 1 : 2);
    }
}

TEST_F(TutorFrameTest, ASkipWhoseOwnEventEndsTheTutorialPaysNothing)
{
    WriteScript(Script({StepXml(3, -999, 1, 10001, "Img=\"20001\" ImgX=\"610\" ImgY=\"10\"")}));
    Profile().money = 7;
    TutorFrame* frame = Enter(3);
    Click(frame->mSkip);
    EXPECT_EQ(Profile().money, 7);
    EXPECT_EQ(Profile().tutorialStep, TutorialFinished);
    EXPECT_EQ(app->Count(SE_UI_MENUCLICK), 0);
}

TEST_F(TutorFrameTest, ActionsBranchOnTheMiniGameResult)
{
    WriteScript(Script({StepXml(605, 700, 1, 999, "Action=\"608\""), StepXml(720, 700, 1, 999, "Action=\"702\""),
                        StepXml(609, 1, 1, 1), StepXml(610, 1, 1, 1), StepXml(611, 1, 1, 1), StepXml(709, 1, 1, 1),
                        StepXml(710, 1, 1, 1), StepXml(711, 1, 1, 1), StepXml(700, 1, 1, 1)}));
    Profile().production = {{0, 4, 2, 3, 10}};
    TutorFrame* frame = Enter(605);
    EXPECT_TRUE(frame->TutorPassEvent(999));
    EXPECT_EQ(frame->mStepId, 610);
    EXPECT_EQ(Profile().tutorialStep, 610);
    EXPECT_EQ(frame->mBlockers.size(), 1u);  // step 610 is shown

    frame->CloseStep();
    frame->mStepId = 720;
    frame->ShowStep();
    EXPECT_TRUE(frame->TutorPassEvent(999));
    EXPECT_EQ(frame->mStepId, 711);

    // Without a record of product 4 nothing branches: the step goes on to its Next.
    Profile().production.clear();
    frame->CloseStep();
    frame->mStepId = 605;
    frame->ShowStep();
    EXPECT_FALSE(frame->TutorPassEvent(999));
    EXPECT_EQ(frame->mStepId, 700);
    EXPECT_TRUE(Logged("needs a production record of product 4"));
}

TEST_F(TutorFrameTest, ActionsOnMusicStoryPagesAndTheMiniGame)
{
    WriteScript(Script({StepXml(0, 1, 0, 55501, "Img=\"10001\" Action=\"1\""), StepXml(1, 2, 0, 55501, "Img=\"10002\"")}));
    Profile().name = "ABBA";
    Profile().country = 3;
    TutorFrame* frame = Enter(0);
    EXPECT_FALSE(frame->RunTutorAction(10001));
    EXPECT_EQ(app->music.back(), "music/bgm4.ogg");

    // Without an open mini-game or story effects these do nothing.
    for (int code : {3, 503, 506, 701, 10002, 4242})
        EXPECT_FALSE(frame->RunTutorAction(code)) << code;
    EXPECT_TRUE(Logged("Tutorial action 503 needs an open mini-game"));
    phase->ShowPanel(PANEL_MINI_GAME, 3);
    ASSERT_NE(dynamic_cast<MgUi*>(phase->mPanels[PANEL_MINI_GAME]), nullptr);
    quortest::TutorLog().clear();
    for (int code : {503, 506, 701, 10002})
        EXPECT_FALSE(frame->RunTutorAction(code)) << code;
    EXPECT_FALSE(Logged("needs an open mini-game"));
    phase->ClosePanel(PANEL_MINI_GAME);

    // Step 0 passes with action 1: the letter slides in and the name appears once it lies at x 0.
    EXPECT_FALSE(frame->TutorPassEvent(55501));
    ASSERT_EQ(frame->mEffectMap.size(), 2u);
    FXObject* letter = frame->mEffectMap.at(3);
    EXPECT_EQ(letter->mX, -TU_S2->GetWidth());
    auto nameBlits = [&] {
        auto blits = Blits(DrawCalls(frame));
        return std::count_if(blits.begin(), blits.end(), [](auto at) { return at.first >= 285 && at.first < 490; });
    };
    EXPECT_EQ(nameBlits(), 0);
    for (int n = 0; n < 140; ++n)
        frame->Tick(0.01);
    EXPECT_LT(letter->mX, 0);
    EXPECT_EQ(nameBlits(), 0);
    for (int n = 0; n < 11; ++n)
        frame->Tick(0.01);
    EXPECT_EQ(letter->mX, 0);
    EXPECT_GT(nameBlits(), 0);
    EXPECT_FALSE(frame->RunTutorAction(3));
    EXPECT_TRUE(frame->mEffectMap.empty());
    EXPECT_TRUE(frame->mEffects.mEffects.empty());
}

TEST_F(TutorFrameTest, AStepMissingFromTheScriptEndsTheTutorial)
{
    WriteScript(Script({StepXml(5, 6, 1, 1)}));
    TutorFrame* frame = Enter(5);
    EXPECT_TRUE(frame->TutorPassEvent(1));
    EXPECT_TRUE(Logged("Tutorial step 6 is not in the script"));
    EXPECT_EQ(Profile().tutorialStep, TutorialFinished);
    EXPECT_EQ(phase->mPanels[PANEL_TUTOR], nullptr);
}

TEST_F(TutorFrameTest, TheGameScreenFreesAFrameInTheMiddleOfAStep)
{
    WriteScript(Script({StepXml(5, 6, 2, 1, "X=\"10\" Y=\"10\" W=\"10\" H=\"10\" Img=\"20001\"")}));
    TutorFrame* frame = Enter(5);
    ASSERT_EQ(frame->mBlockers.size(), 4u);
    const std::size_t before = phase->mWidgets.size();
    EXPECT_GT(before, 6u);
    app->RemoveScreen(SCREEN_GAME);
    Step();
    EXPECT_EQ(app->screens[SCREEN_GAME], nullptr);
}

TEST_F(TutorFrameTest, TheSampleScriptRunsFromItsFirstStepToItsEnd)
{
    UseSampleData();
    TutorFrame* frame = Enter(0);
    int events = 0;
    for (; events < 500 && Frame() != nullptr; ++events)
        frame->TutorPassEvent(frame->mSteps.at(frame->mStepId).Pass);
    EXPECT_LT(events, 500);
    EXPECT_EQ(Profile().tutorialStep, TutorialFinished);
    EXPECT_FALSE(Logged("is not in the script"));
    EXPECT_TRUE(app->mErrorLog.empty());
}

TEST_F(TutorFrameTest, TheGameScreenOpensOnTheFrameOfAPendingStepOnly)
{
    WriteScript(Script({StepXml(0, 3, 0, 55501, "Img=\"10001\""),
                        StepXml(3, -999, 2, 55502, "Img=\"20001\" ImgX=\"610\" ImgY=\"10\"")}));
    app->standIns.erase(SCREEN_GAME);
    for (int step : {TutorialFinished, 0, 3}) {
        SCOPED_TRACE(step);
        Profile().tutorialStep = step;
        app->ShowScreen(SCREEN_GAME, 0);
        auto* game = dynamic_cast<GamePhase*>(app->screens[SCREEN_GAME]);
        ASSERT_NE(game, nullptr);
        auto* frame = dynamic_cast<TutorFrame*>(game->mPanels[PANEL_TUTOR]);
        if (step == TutorialFinished) {
            EXPECT_EQ(frame, nullptr);
        } else {
            ASSERT_NE(frame, nullptr);
            EXPECT_EQ(frame->mStepId, step);
            EXPECT_EQ(frame->GetRect(), Rect(0, 0, 1024, 768));
            ASSERT_EQ(frame->mBlockers.size(), 1u);
            EXPECT_TRUE(game->HasWidget(frame->mBlockers[0]));
            EXPECT_EQ(game->HasWidget(frame->mCatcher), step == 0);
            EXPECT_EQ(game->HasWidget(frame->mNext), step == 3);
        }
        app->RemoveScreen(SCREEN_GAME);
        Step();
    }
}

TEST_F(TutorFrameTest, TheLastActionSavesAndEndsOnTheMainMenuUnderTheCredits)
{
    WriteScript(Script({StepXml(90, 91, 2, 55502, "Img=\"20001\" ImgX=\"610\" ImgY=\"10\" Action=\"99999\""),
                        StepXml(91, -999, 1, 1)}));
    app->standIns.erase(SCREEN_GAME);
    Profile().tutorialStep = 90;
    app->ShowScreen(SCREEN_GAME, 0);
    auto* game = dynamic_cast<GamePhase*>(app->screens[SCREEN_GAME]);
    ASSERT_NE(game, nullptr);
    TutorFrame* frame = dynamic_cast<TutorFrame*>(game->mPanels[PANEL_TUTOR]);
    ASSERT_NE(frame, nullptr);
    Click(frame->mNext);
    Step();

    EXPECT_EQ(app->screens[SCREEN_GAME], nullptr);
    Widget* menu = app->screens[SCREEN_MAIN_MENU];
    Widget* credits = app->screens[SCREEN_CREDIT];
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(credits, nullptr);
    const std::list<Widget*>& order = app->mWidgetManager->mWidgets;
    const auto menuAt = std::find(order.begin(), order.end(), menu);
    const auto creditsAt = std::find(order.begin(), order.end(), credits);
    ASSERT_NE(menuAt, order.end());
    ASSERT_NE(creditsAt, order.end());
    EXPECT_LT(std::distance(order.begin(), menuAt), std::distance(order.begin(), creditsAt));
    // Saved as finished: the next game does not replay the last step.
    Profile().tutorialStep = 90;
    ASSERT_TRUE(app->LoadPlayerProfile(0));
    EXPECT_EQ(Profile().tutorialStep, TutorialFinished);
}

TEST_F(TutorFrameTest, Pictures)
{
    WriteScript(Script({StepXml(0, 3, 0, 55501, "Img=\"10001\""),
                        StepXml(3, 4, 2, 55502,
                                "Des=\"AB %name AB %BA& AB\" X=\"300\" Y=\"300\" W=\"40\" H=\"20\" Img=\"20001\" "
                                "ImgX=\"610\" ImgY=\"10\"")}));
    Profile().name = "ABBA";
    TutorFrame* frame = Enter(0);
    for (int n = 0; n < 10; ++n)
        frame->Tick(0.02);
    app->mWidgetManager->MouseMove(0, 767);
    EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile("tutor/page.png"),
                                          quortest::DrawWholeScreen(*app->mWidgetManager), 1024, 768),
              "");
    frame->TutorPassEvent(55501);
    for (int n = 0; n < 10; ++n)
        frame->Tick(0.02);
    EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile("tutor/box.png"),
                                          quortest::DrawWholeScreen(*app->mWidgetManager), 1024, 768),
              "");
}

} // namespace
