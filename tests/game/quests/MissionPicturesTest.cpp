// The dialog, the reward screen and the quest detail panel drawn whole by the widget manager into
// a 1024 x 768 memory screen and compared pixel for pixel with tests/data/quests
// (QUOR_UPDATE_GOLDEN=1 rewrites them). The fixture font draws only A and B, so the texts here
// are made of those.
#include "tests/game/quests/MissionFixture.h"

#include "game/quests/MissionFull.h"
#include "game/quests/MissionTarget.h"
#include "tests/support/GoldenImage.h"

using namespace Quor;

namespace {

using missiontest::Entry;
using missiontest::MissionTest;
using missiontest::Speech;

std::vector<uint8_t> Solid(int width, int height, uint32_t colour)
{
    return quortest::PngBytes(width, height, [colour](int, int) { return colour; });
}

// Two tones in bands, so that a misplaced picture shows.
std::vector<uint8_t> Bands(int width, int height, uint32_t a, uint32_t b)
{
    return quortest::PngBytes(width, height, [=](int x, int y) { return ((x / 32 + y / 32) % 2) ? a : b; });
}

class MissionPicturesTest : public MissionTest {
protected:
    void StartWithPictures()
    {
        mPictures["GM_BG_CELLAR"] = Bands(1024, 768, 0xFF5A3A28u, 0xFF6A4A30u);
        mPictures["GM_NAME_CELLAR"] = Solid(300, 60, 0xFFC09040u);
        mPictures["GM_MIS_BG1"] = Solid(530, 330, 0xFFE8D8B0u);
        mPictures["GM_MIS_BG2"] = Solid(720, 640, 0xFFF0E4C4u);
        mPictures["NPC_1"] = Bands(210, 230, 0xFF7090B0u, 0xFF5070A0u);
        mPictures["BTN_NEXT"] = Solid(120, 44, 0xFF3080F0u);
        mPictures["BTN_CANCEL2"] = Solid(120, 44, 0xFFE04040u);
        mPictures["BTN_OK2"] = Solid(120, 44, 0xFF40C040u);
        mPictures["GR_BG"] = Solid(560, 420, 0xFF304060u);
        mPictures["GM_N_FACTORY_O"] = Solid(140, 70, 0xFFA0A020u);
        mPictures["GM_FS_FAC_DISABLE"] = Solid(90, 80, 0xFF808080u);
        mPictures["GM_BTN_IP2_O"] = Solid(110, 110, 0xFFFFE080u);
        mPictures["MP_TICK"] = Solid(16, 16, 0xFF402010u);
        mPictures["MP_TICK_BG"] = Solid(16, 16, 0xFF20C020u);
        mPictures["S_1"] = Solid(70, 70, 0xFF9060C0u);
        mPictures["PD_1"] = Solid(150, 130, 0xFF60C0C0u);
        mPictures["GM_BTN_C_0"] = Solid(100, 100, 0xFFC06060u);
        StartGame();
        // The stand-ins of the country screen, the bar and the note would draw over the scene.
        for (int id : {PANEL_COUNTRY_MAP, PANEL_INFO, PANEL_NOTE})
            phase->ClosePanel(id);
        AddPictureFile("images/product_big/money.png", 180, 140, 0xFFE0C030u);
        AddPictureFile("images/game_main/btn_c0.png", 120, 110, 0xFF30A0E0u);
        AddPictureFile("images/game_reward/icon_money_sm.png", 70, 60, 0xFFD0B020u);
        for (const char* name : {"l4", "l4_o", "l4_c", "r4", "r4_o", "r4_c"})
            AddPictureFile(std::string("images/menu_help/btn_") + name + ".png", 40, 60, 0xFF806040u);
        app->mWidgetManager->MouseMove(0, 767);
    }
    std::string CompareScreen(const std::string& name)
    {
        return quortest::CompareWithGolden(quortest::DataFile("quests/" + name + ".png"),
                                           quortest::DrawWholeScreen(*app->mWidgetManager), 1024, 768);
    }
    // The reward screen of one entry, grown to its full size.
    void ShowReward(const QuestEntry& entry)
    {
        app->questTable[kQuest].Reward = {entry};
        Unlock({0});
        dialog->mQuestId = kQuest;
        auto* screen = new MissionReward(phase, &app->questTable[kQuest], 0);
        screen->Resize(0, 0, 1024, 768);
        dialog->mRewardScreen = screen;
        phase->AddWidget(screen);
        for (int n = 0; n < 100 && !InTree(screen->mOkButton); ++n)
            Frame();
    }
};

TEST_F(MissionPicturesTest, TwoLineSpeech)
{
    StartWithPictures();
    app->npcTable[1].Speech[0] = Speech(0, 1, {"ABBA AB %name BA BAB ABBA BB AB ABBA BAAB BA AB", "BB"});
    app->countryMapTable[0].npcSlots = {{0, 1}};
    app->npcTable[1].Speech = {{0, app->npcTable[1].Speech[0]}};
    OpenHouse(0, 0);
    Ticks(2);
    EXPECT_EQ(ButtonsShown(), (std::vector<int>{2, 999}));
    EXPECT_EQ(CompareScreen("speech"), "");
}

TEST_F(MissionPicturesTest, RewardScreens)
{
    StartWithPictures();
    Profile().factories[0] = FactoryState{0, -1, true, false};
    ShowReward(Entry(1, {0, 500}));
    EXPECT_EQ(CompareScreen("reward_money"), "");
    dialog->CloseNpcDialog();
    Frame();
    ShowReward(Entry(7, {0, 0}));
    EXPECT_EQ(CompareScreen("reward_factory"), "");
}

TEST_F(MissionPicturesTest, DetailPanelWithSevenRewards)
{
    StartWithPictures();
    QuestRecord& quest = app->questTable[kQuest];
    quest.Des = "ABBA BA AB BAB ABBA";
    quest.Reward = {Entry(1, {0, 500}), Entry(2, {0, 1, 2, 3, 9}), Entry(3, {1, 1, 6}), Entry(4, {2, 1}),
                    Entry(1, {3, 20}, "0"), Entry(5, {2, 0}), Entry(7, {3, 0}), Entry(6, {3, 1}),
                    Entry(1, {3, 75})};
    Unlock({0, 1});
    app->questTable[6] = quest;
    app->questTable[6].Id = 6;
    Profile().quests[6] = Profile().quests[kQuest];
    MissionTarget list(phase);
    phase->AddWidget(&list);
    list.Rebuild();
    auto* full = new MissionFull(phase, &list);
    phase->mPanels[PANEL_MISSION_FULL] = full;
    full->Resize(0, 0, 1024, 768);
    full->ShowQuest(kQuest);
    Ticks(2);
    EXPECT_EQ(CompareScreen("detail_seven_rewards"), "");
    phase->ClosePanel(PANEL_MISSION_FULL);
    Frame();
    phase->RemoveWidget(&list);
}

} // namespace
