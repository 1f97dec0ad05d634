// The open-quest list and the quest detail panel: which quests and steps the list shows, the
// details buttons of the visible rows, the neighbours the arrows page through, and where the
// detail panel puts its rewards.
#include "tests/game/quests/MissionFixture.h"

#include "game/quests/MissionFull.h"
#include "game/quests/MissionTarget.h"
#include "graphics/Graphics.h"
#include "tests/support/RecordingImage.h"

using namespace Quor;

namespace {

using missiontest::Entry;
using missiontest::MissionTest;

class QuestListTest : public MissionTest {
protected:
    // Quests 1-7 of three steps or four, and the player's states of them.
    void AddQuests()
    {
        for (int id = 1; id <= 7; ++id) {
            QuestRecord& quest = app->questTable[id];
            quest.Id = id;
            quest.Des = "ABBA " + std::to_string(id);
            quest.Target = {Entry(5, {10, 1, -1, 0, 0}, "A"), Entry(1, {1, 0, 0, 1}, "AB"),
                            Entry(5, {10, 1, 1, 0, 0}, "ABA"), Entry(3, {5}, "BB")};
        }
        app->questTable[6].Target[1] = Entry(5, {10, 2, 0, 0, 0}, "B");
        app->questTable[6].Target.pop_back();
        app->questTable[6].Target[2] = Entry(3, {5}, "BB");
        auto state = [&](int id, bool finished, std::vector<bool> done) {
            std::map<int32_t, bool> targets;
            for (size_t i = 0; i < done.size(); ++i)
                targets[int32_t(i)] = done[i];
            Profile().quests[id] = QuestState(id, id, finished, targets);
        };
        state(1, false, {false, false, false, false});  // not accepted
        state(2, true, {true, true, true, true});       // finished
        state(3, false, {true, true, false, false});    // the delivery is in: the report is next
        state(4, false, {true, false, false, false});   // the delivery is next
        state(6, false, {true, true, true});            // all after the last talk done
        state(7, false, {true, false, false, false});
    }
    MissionTarget* MakeList()
    {
        list = std::make_unique<MissionTarget>(phase);
        phase->AddWidget(list.get());
        list->Rebuild();
        return list.get();
    }
    void TearDown() override
    {
        if (list)
            phase->RemoveWidget(list.get());
        list.reset();
        MissionTest::TearDown();
    }
    // A click on a details button, which lies inside the list.
    void ClickRow(size_t index)
    {
        ButtonWidget* button = list->mRowButtons.at(index);
        const int x = list->mX + button->mX + button->mWidth / 2;
        const int y = list->mY + button->mY + button->mHeight / 2;
        WidgetManager& m = *app->mWidgetManager;
        m.MouseMove(x, y);
        m.MouseDown(x, y, 1);
        m.MouseUp(x, y, 1);
    }
    std::vector<int> ButtonIds()
    {
        std::vector<int> ids;
        for (ButtonWidget* button : list->mRowButtons)
            ids.push_back(button->mId);
        return ids;
    }
    std::unique_ptr<MissionTarget> list;
};

TEST_F(QuestListTest, RowsOfRunningQuestsWithTheirNextStep)
{
    StartGame();
    AddQuests();
    MakeList();
    struct Row {
        int kind, quest, target;
        std::string text, picture;
    };
    const std::vector<Row> expected = {
        {2, 3, 0, "ABBA 3", ""}, {0, 3, 2, "ABA", "NPC_1"}, {2, 4, 0, "ABBA 4", ""}, {0, 4, 1, "AB", ""},
        {2, 6, 0, "ABBA 6", ""}, {2, 7, 0, "ABBA 7", ""},  {0, 7, 1, "AB", ""},
    };
    ASSERT_EQ(list->mRows.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const QuestListRow& row = list->mRows[i];
        EXPECT_EQ(row.kind, expected[i].kind) << i;
        EXPECT_EQ(row.questId, expected[i].quest) << i;
        EXPECT_EQ(row.targetIndex, expected[i].target) << i;
        EXPECT_EQ(row.text, expected[i].text) << i;
        EXPECT_EQ(row.picture, expected[i].picture) << i;
    }
    EXPECT_EQ(list->mRowCount, 7);
}

TEST_F(QuestListTest, DetailsButtonsOnVisibleHeadersOnly)
{
    StartGame();
    AddQuests();
    MakeList();
    EXPECT_EQ(ButtonIds(), (std::vector<int>{3, 4}));
    list->mFirstRow = 2;
    list->CreateRowButtons();
    EXPECT_EQ(ButtonIds(), (std::vector<int>{4, 6, 7}));
    std::vector<int> ys;
    for (ButtonWidget* button : list->mRowButtons) {
        ys.push_back(button->mY);
        EXPECT_EQ(button->mX, 430);
        EXPECT_TRUE(list->HasWidget(button));
    }
    EXPECT_EQ(ys, (std::vector<int>{-9, 41, 66}));
}

TEST_F(QuestListTest, NeighboursWrapAndNeverPassTheList)
{
    StartGame();
    AddQuests();
    MakeList();
    struct Case {
        int from;
        bool previous;
        int to;
    };
    for (const Case& c : {Case{3, false, 4}, Case{7, false, 3}, Case{3, true, 7}, Case{6, true, 4},
                          Case{99, false, 3}, Case{99, true, 7}}) {
        const QuestRecord* neighbour = list->NeighbourQuest(c.from, c.previous);
        ASSERT_NE(neighbour, nullptr) << c.from;
        EXPECT_EQ(neighbour->Id, c.to) << c.from << " " << c.previous;
    }
    // One quest: itself both ways. No buttons: none.
    for (int id : {3, 4, 6})
        Profile().quests.erase(id);
    list->Rebuild();
    EXPECT_EQ(list->NeighbourQuest(7, false)->Id, 7);
    EXPECT_EQ(list->NeighbourQuest(7, true)->Id, 7);
    list->mFirstRow = 1;
    list->CreateRowButtons();
    EXPECT_EQ(list->NeighbourQuest(7, false), nullptr);
}

TEST_F(QuestListTest, DetailPanelPagesThroughTheListedQuests)
{
    StartGame();
    AddQuests();
    Profile().quests.erase(7);
    for (const char* name : {"l4", "l4_o", "l4_c", "r4", "r4_o", "r4_c"})
        AddPictureFile(std::string("images/menu_help/btn_") + name + ".png", 40, 60, 0xFF806040u);
    MakeList();
    ClickRow(0);
    auto* full = dynamic_cast<MissionFull*>(phase->mPanels[PANEL_MISSION_FULL]);
    ASSERT_NE(full, nullptr);
    ASSERT_EQ(full->mQuest->Id, 3);
    EXPECT_TRUE(InTree(full->mPreviousButton));
    EXPECT_TRUE(InTree(full->mNextButton));
    Ticks(1);
    EXPECT_EQ(full->mFadeAlpha, 255);
    Click(full->mPreviousButton);
    EXPECT_EQ(full->mQuest->Id, 6);  // previous from the first is the last
    Click(full->mNextButton);
    Click(full->mNextButton);
    EXPECT_EQ(full->mQuest->Id, 4);
    full->ShowQuest(42);  // unknown: stays
    EXPECT_EQ(full->mQuest->Id, 4);
    Click(full->mOkButton);
    EXPECT_FALSE(InTree(full->mOkButton));
    Ticks(1);
    EXPECT_EQ(phase->mPanels[PANEL_MISSION_FULL], nullptr);
    EXPECT_EQ(Played(SE_UI_CLICK), 5);

    // With one quest listed, no arrows.
    for (int id : {4, 6})
        Profile().quests.erase(id);
    list->Rebuild();
    ClickRow(0);
    full = dynamic_cast<MissionFull*>(phase->mPanels[PANEL_MISSION_FULL]);
    ASSERT_NE(full, nullptr);
    EXPECT_FALSE(InTree(full->mPreviousButton));
    EXPECT_FALSE(full->mNextButton->mVisible);
}

TEST_F(QuestListTest, SevenRewardsMakeALineOfFiveAndOneOfTwo)
{
    mPictures["S_1"] = quortest::PngBytes(30, 20, [](int, int) { return 0xFF204060u; });
    StartGame();
    app->sourceTable[1] = SourceRecord{};
    app->sourceTable[1].Name = "AB";
    app->sourceTable[1].Img = "S_1";
    QuestRecord& quest = app->questTable[kQuest];
    quest.Reward.clear();
    for (int i = 0; i < 8; ++i)
        quest.Reward.push_back(Entry(3, {i % 3, 1, i + 1}, i == 3 ? "0" : ""));
    Unlock({0});
    MakeList();
    MissionFull full(phase, list.get());
    full.Resize(0, 0, 1024, 768);
    full.ShowQuest(kQuest);
    quortest::RecordingImage image(1024, 768);
    Graphics g(&image);
    full.Draw(&g);
    std::vector<std::pair<int, int>> items;
    for (const std::string& call : image.calls)
        if (call.rfind("Blt ", 0) == 0 && call.find("src 0,0,30,20") != std::string::npos) {
            int x = 0, y = 0;
            std::sscanf(call.c_str(), "Blt %d,%d", &x, &y);
            items.emplace_back(x, y);
        }
    ASSERT_EQ(items.size(), 7u);
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(items[i].first, 235 + 120 * int(i % 5)) << i;
        EXPECT_EQ(items[i].second, items[0].second + (i >= 5 ? 70 : 0)) << i;
    }
}

} // namespace
