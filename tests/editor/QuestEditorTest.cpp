// The quest editor: its buttons, the quest pages and views, adding, deleting and renumbering
// quests, the entry rows with their Prop fields, limits and type changes, the pick list, the
// speeches of a talk target, and the character editor opened over it.
#include "tests/editor/EditorFixture.h"

#include "editor/QuestEntryRules.h"
#include "tests/support/GoldenImage.h"

#include <climits>

using namespace Quor;

namespace {

QuestEntry Entry(int32_t type, std::vector<int32_t> props, const char* des = "d")
{
    QuestEntry entry(type, des, "");
    entry.Prop = std::move(props);
    return entry;
}

class QuestEditorTest : public quortest::EditorTest {
protected:
    // Quests with these Ids, no entries.
    void Quests(const std::vector<int32_t>& ids)
    {
        app->questTable.clear();
        for (int32_t id : ids)
            app->questTable[id] = QuestRecord{id, 0, 1, "Q" + std::to_string(id), {}, {}, {}};
    }
    DataEditor* OpenQuests()
    {
        DataEditor* editor = Open(EDITOR_QUESTS);
        EXPECT_EQ(editor->mState.size(), 7u);
        return editor;
    }
    static std::vector<int> QuestButtons(DataEditor* editor)
    {
        std::vector<int> ids;
        for (Widget* w : editor->mLists[4])
            ids.push_back(static_cast<ButtonWidget*>(w)->mId);
        return ids;
    }
    static EditWidget* Prop(DataEditor* editor, size_t row, size_t prop)
    {
        return static_cast<EditWidget*>(editor->mPropFields.at(row).at(prop));
    }
    // Materials 3 and 8, blueprints 2 and 9, characters 4 and 6, countries 1 and 5, awards 7.
    void SmallTables()
    {
        app->sourceTable = {{3, {3, "Clay", "S_1", 5}}, {8, {8, "Gold", "S_2", 9}}};
        app->blueprintTable.clear();
        app->blueprintTable[2].Id = 2;
        app->blueprintTable[9].Id = 9;
        app->npcTable = {{4, {4, "Ed", "NPC_4", {{0, {0, 1, {"Hi"}}}, {5, {5, 2, {}}}, {6, {6, 3, {}}}}}},
                         {6, {6, "Flo", "NPC_6", {}}}};
        app->countryMapTable.clear();
        app->countryMapTable[1].Id = 1;
        app->countryMapTable[5].Id = 5;
        app->awardTable.clear();
        app->awardTable[7].Id = 7;
    }
};

TEST_F(QuestEditorTest, BuildsItsButtons)
{
    Quests({0, 3, 101});
    DataEditor* editor = OpenQuests();
    EXPECT_EQ(editor->mState, (std::vector<int>{0, -1, 0, 0, 0, 0, 0}));
    ASSERT_EQ(editor->mLists[5].size(), 39u);
    // The type buttons: off the screen, one column; the Target "Country" disabled.
    for (size_t i = 0; i < 21; ++i) {
        auto* b = static_cast<ButtonWidget*>(editor->mLists[5][i]);
        EXPECT_EQ(b->mId, 400000 + 100 * int(i / 7) + int(i % 7) + 1);
        EXPECT_EQ(b->GetRect(), Rect(800, 42 + 18 * int(i % 7), 50, 18));
        EXPECT_EQ(Button(editor, b->mId), nullptr);
        EXPECT_EQ(b->mDisabled, i == 5);
    }
    EXPECT_EQ(static_cast<ButtonWidget*>(editor->mLists[5][4])->mLabel, "Speech");
    EXPECT_EQ(static_cast<ButtonWidget*>(editor->mLists[5][20])->mLabel, "Factory");
    struct Look {
        int id;
        const char* label;
        Rect rect;
    };
    const Look looks[] = {{400008, "Edit Speech", Rect(500, 90, 100, 18)}, {400009, "Add T", Rect(200, 90, 50, 18)},
                          {400010, "Add Quest", Rect(0, 0, 100, 18)},     {400011, "Delete Quest", Rect(0, 18, 100, 18)},
                          {400012, "Del T", Rect(250, 90, 50, 18)},       {400013, "OK", Rect(350, 40, 50, 18)},
                          {400014, "Type", Rect(300, 90, 50, 18)},        {400015, "<-", Rect(0, 718, 50, 25)},
                          {400016, "->", Rect(100, 718, 50, 25)},         {400017, "Main", Rect(0, 743, 50, 25)},
                          {400018, "Sub", Rect(100, 743, 50, 25)},        {400019, "Target", Rect(250, 65, 50, 18)},
                          {400020, "PreQuest", Rect(300, 65, 50, 18)},    {400021, "Reward", Rect(350, 65, 50, 18)},
                          {400022, "Edit Q", Rect(300, 40, 50, 18)},      {400023, "Edit T", Rect(350, 90, 50, 18)},
                          {400024, "NPC Editor", Rect(944, 30, 80, 25)},  {400025, "C", Rect(944, 30, 25, 25)}};
    for (size_t i = 0; i < std::size(looks); ++i) {
        auto* b = static_cast<ButtonWidget*>(editor->mLists[5][21 + i]);
        EXPECT_EQ(b->mId, looks[i].id);
        EXPECT_EQ(b->mLabel, looks[i].label);
        EXPECT_EQ(b->GetRect(), looks[i].rect) << looks[i].label;
        EXPECT_EQ(Button(editor, b->mId), b);
    }
    EXPECT_EQ(Button(editor, 400013)->GetColor(ButtonWidget::COLOR_BKG), Color(255, 230, 230));
    // "C" lies in front of "NPC Editor" until entries are shown.
    auto npcEditor = std::find(editor->mWidgets.begin(), editor->mWidgets.end(), Button(editor, 400024));
    ASSERT_NE(npcEditor, editor->mWidgets.end());
    EXPECT_EQ(*std::next(npcEditor), Button(editor, 400025));
    EXPECT_EQ(QuestButtons(editor), (std::vector<int>{0, 3}));
    EXPECT_EQ(editor->mLists[4][1]->GetRect(), Rect(30, 58, 80, 18));
    EXPECT_EQ(static_cast<ButtonWidget*>(editor->mLists[4][1])->mLabel, "3");
    Press(editor, 3);
    EXPECT_EQ(Button(editor, 400025), nullptr);
}

TEST_F(QuestEditorTest, PagesAndViews)
{
    struct Case {
        int quests;
        int pageAfterForward;
        size_t buttons;
    };
    for (const Case& c : {Case{31, 1, 1}, Case{30, 0, 30}, Case{61, 1, 30}}) {
        std::vector<int32_t> ids{200};
        for (int i = 0; i < c.quests; ++i)
            ids.push_back(i);
        Quests(ids);
        DataEditor* editor = OpenQuests();
        Press(editor, DataEditor::ID_Q_PAGE_FORWARD);
        EXPECT_EQ(editor->mState[4], c.pageAfterForward) << c.quests;
        EXPECT_EQ(editor->mLists[4].size(), c.buttons) << c.quests;
        if (c.quests == 31) {
            EXPECT_EQ(QuestButtons(editor), (std::vector<int>{30}));
            EXPECT_EQ(editor->mLists[4][0]->GetRect(), Rect(30, 40, 80, 18));
            Press(editor, DataEditor::ID_Q_PAGE_FORWARD);
            EXPECT_EQ(editor->mState[4], 1);
            // "Main" in view 0 keeps the page; "Sub" shows page 0 of the side quests.
            Press(editor, DataEditor::ID_Q_MAIN);
            EXPECT_EQ(editor->mState[4], 1);
            Press(editor, DataEditor::ID_Q_SUB);
            EXPECT_EQ(editor->mState[3], 1);
            EXPECT_EQ(editor->mState[4], 0);
            EXPECT_EQ(QuestButtons(editor), (std::vector<int>{200}));
            Press(editor, DataEditor::ID_Q_PAGE_BACK);
            EXPECT_EQ(editor->mState[4], 0);
        }
        app->RemoveScreen(SCREEN_EDITOR);
        app->ProcessSafeDeletes();
    }
}

TEST_F(QuestEditorTest, AddDeleteAndRenumberQuests)
{
    struct Case {
        std::vector<int32_t> ids;
        bool sideView;
        int32_t added;  // INT_MIN: nothing
    };
    for (const Case& c : {Case{{5, 200}, false, 6}, Case{{200}, false, 0}, Case{{}, true, 101},
                          Case{{5, 200}, true, 201}, Case{{99, 100}, false, INT_MIN}, Case{{INT_MAX}, true, INT_MIN}}) {
        Quests(c.ids);
        DataEditor* editor = OpenQuests();
        if (c.sideView)
            Press(editor, DataEditor::ID_Q_SUB);
        Press(editor, DataEditor::ID_Q_ADD_QUEST);
        EXPECT_EQ(app->questTable.size(), c.ids.size() + (c.added == INT_MIN ? 0 : 1)) << c.added;
        if (c.added != INT_MIN) {
            EXPECT_EQ(app->questTable[c.added],
                      (QuestRecord{c.added, 0, 1, "NewQuest" + std::to_string(c.added), {}, {}, {}}));
            EXPECT_EQ(editor->mState[0], 0);  // the current quest stays
        }
        app->RemoveScreen(SCREEN_EDITOR);
        app->ProcessSafeDeletes();
    }

    // "Delete Quest", then "Add T": nothing.
    Quests({4, 7});
    DataEditor* editor = OpenQuests();
    Press(editor, 4);
    Press(editor, DataEditor::ID_Q_DELETE_QUEST);
    EXPECT_FALSE(app->questTable.count(4));
    EXPECT_EQ(QuestButtons(editor), (std::vector<int>{7}));
    Press(editor, DataEditor::ID_Q_ADD_ENTRY);
    EXPECT_EQ(app->questTable.size(), 1u);
    EXPECT_TRUE(editor->mLists[6].empty());

    // "Edit Q" to a taken Id keeps the quest under its Id with the new Des and Weight.
    Quests({4, 7});
    app->questTable[4].Target = {Entry(3, {50})};
    editor = OpenQuests();
    Press(editor, 4);
    Press(editor, DataEditor::ID_Q_EDIT_QUEST);
    ExpectFields(editor, {{22001, Rect(500, 40, 60, 18), 8, "4"},
                          {22002, Rect(565, 40, 300, 18), -1, "Q4"},
                          {22003, Rect(870, 40, 20, 18), 1, "1"}});
    Type(Field(editor, 22001), "7");
    Type(Field(editor, 22002), "Renamed");
    Type(Field(editor, 22003), "3");
    Press(editor, DataEditor::ID_Q_OK);
    EXPECT_EQ(app->questTable.size(), 2u);
    EXPECT_EQ(app->questTable[4], (QuestRecord{4, 0, 3, "Renamed", {}, {}, {Entry(3, {50})}}));
    EXPECT_EQ(app->questTable[7].Des, "Q7");
    EXPECT_EQ(editor->mState[6], 0);
    EXPECT_TRUE(editor->mLists[1].empty());
    // A free Id moves it; a field that is no number leaves everything.
    Press(editor, DataEditor::ID_Q_EDIT_QUEST);
    Type(Field(editor, 22001), "x");
    Press(editor, DataEditor::ID_Q_OK);
    EXPECT_EQ(editor->mState[6], 1);
    Type(Field(editor, 22001), "55");
    Press(editor, DataEditor::ID_Q_OK);
    EXPECT_FALSE(app->questTable.count(4));
    EXPECT_EQ(app->questTable[55].Des, "Renamed");
    EXPECT_EQ(QuestButtons(editor), (std::vector<int>{7, 55}));
    EXPECT_TRUE(app->editedTables & GameApp::EDITED_QUESTS);
}

TEST_F(QuestEditorTest, EntryRows)
{
    SmallTables();
    Quests({1, 2});
    app->questTable[2].Reward = {Entry(1, {0, 500}), Entry(8, {1})};
    DataEditor* editor = OpenQuests();
    Press(editor, 1);
    Press(editor, DataEditor::ID_Q_DEL_ENTRY);  // nothing to delete
    Press(editor, DataEditor::ID_Q_ADD_ENTRY);
    ASSERT_EQ(editor->mLists[6].size(), 1u);
    EXPECT_EQ(static_cast<ButtonWidget*>(editor->mLists[6][0])->mLabel, "PV");
    EXPECT_EQ(editor->mLists[6][0]->GetRect(), Rect(120, 127, 20, 17));
    ASSERT_EQ(editor->mPropFields[0].size(), 4u);
    for (size_t j = 0; j < 4; ++j) {
        EXPECT_EQ(Prop(editor, 0, j)->mId, 1001 + int(j));
        EXPECT_EQ(Prop(editor, 0, j)->GetRect(), Rect(250 + 30 * int(j), 125, 29, 18));
    }
    EXPECT_EQ(Prop(editor, 0, 0)->mString, "2");  // the smallest blueprint
    EXPECT_EQ(app->questTable[1].Target[0], Entry(1, {2, 1, 1, 1}, "New Target"));
    EXPECT_EQ(editor->mState[1], -1);
    EXPECT_EQ(Button(editor, DataEditor::ID_Q_PICK), nullptr);

    // Selecting a row that takes a picked value puts "C" beside it.
    Press(editor, DataEditor::ID_Q_ROW);
    EXPECT_EQ(editor->mState[1], 0);
    EXPECT_EQ(Button(editor, DataEditor::ID_Q_PICK)->GetRect(), Rect(470, 127, 25, 25));

    // Rewards: the money field is twice as wide; type 8 is "Tutor", no "C".
    Press(editor, 2);
    Press(editor, DataEditor::ID_Q_REWARDS);
    EXPECT_EQ(editor->mState[5], 2);
    EXPECT_EQ(Prop(editor, 0, 1)->mWidth, 59);
    EXPECT_EQ(Prop(editor, 1, 0)->GetRect(), Rect(250, 161, 29, 18));
    Press(editor, DataEditor::ID_Q_ROW + 1);
    EXPECT_EQ(Button(editor, DataEditor::ID_Q_PICK), nullptr);
    EXPECT_STREQ(EntryTypeName(LIST_REWARD, 8), "Tutor");

    // "Edit T" and OK write the entry's text; "Del T" removes the selected entry.
    Press(editor, DataEditor::ID_Q_EDIT_ENTRY);
    ExpectFields(editor, {{23001, Rect(500, 40, 300, 18), -1, "d"}});
    Type(Field(editor, 23001), "Paid");
    Press(editor, DataEditor::ID_Q_OK);
    EXPECT_EQ(app->questTable[2].Reward[1].Des, "Paid");
    Press(editor, DataEditor::ID_Q_ROW + 0);
    Press(editor, DataEditor::ID_Q_DEL_ENTRY);
    EXPECT_EQ(app->questTable[2].Reward, (std::vector<QuestEntry>{Entry(8, {1}, "Paid")}));
    EXPECT_EQ(editor->mLists[6].size(), 1u);
    EXPECT_EQ(editor->mState[1], -1);
}

TEST_F(QuestEditorTest, PropLimitsAtOk)
{
    SmallTables();
    struct Case {
        int list;
        int type;
        std::vector<int32_t> props;
        std::vector<std::string> typed;  // "" leaves the field
        std::vector<int32_t> stored;
    };
    const Case cases[] = {
        {LIST_TARGET, 1, {2, 1, 1, 1}, {"5", "0", "4", "1000"}, {2, 1, 3, 999}},
        {LIST_TARGET, 1, {2, 1, 1, 1}, {"9", "2", "99999999999", "7"}, {9, 2, 1, 1}},  // no number ends the row
        {LIST_TARGET, 2, {3, 1}, {"4", "0"}, {3, 1}},
        {LIST_TARGET, 3, {1}, {"1000000000"}, {999999999}},
        {LIST_TARGET, 4, {0, 2, 5, 1, 1}, {"3", "9", "41", "0", "9"}, {0, 9, 40, 1, 3}},
        {LIST_TARGET, 5, {12, 4, 0, 1}, {"95", "5", "-2", "-7"}, {82, 4, -1, -7}},
        {LIST_TARGET, 5, {12, 4, 0}, {"11", "6", "-1"}, {12, 6, -1}},
        {LIST_TARGET, 7, {1, 1}, {"-50", "99999"}, {-50, 99999}},
        {LIST_PREQUEST, 1, {1}, {"77"}, {1}},
        {LIST_PREQUEST, 2, {5}, {"0"}, {1}},
        {LIST_PREQUEST, 7, {0}, {"8"}, {7}},
        {LIST_REWARD, 1, {0, 5}, {"-1", "0"}, {0, 1}},
        {LIST_REWARD, 6, {0, 7}, {"", "8"}, {0, 7}},
        {LIST_REWARD, 7, {0, 1}, {"4", "3"}, {4, 1}},
        {LIST_REWARD, 4, {0, 9}, {"", "0x2"}, {0, 2}},
    };
    static const int kListButton[] = {DataEditor::ID_Q_TARGETS, DataEditor::ID_Q_PREQUESTS, DataEditor::ID_Q_REWARDS};
    for (const Case& c : cases) {
        Quests({1});
        QuestList(app->questTable[1], c.list).push_back(Entry(c.type, c.props));
        DataEditor* editor = OpenQuests();
        Press(editor, kListButton[c.list]);
        Press(editor, 1);
        for (size_t j = 0; j < c.typed.size(); ++j)
            if (!c.typed[j].empty())
                Type(Prop(editor, 0, j), c.typed[j]);
        Press(editor, DataEditor::ID_Q_OK);
        EXPECT_EQ(QuestList(app->questTable[1], c.list)[0].Prop, c.stored) << c.list << " " << c.type;
        // A replaced value shows in its field too.
        for (size_t j = 0; j < c.stored.size(); ++j) {
            if (!c.typed[j].empty() && c.typed[j] != "99999999999" && c.typed[j] != "7" && c.typed[j] != "0x2") {
                EXPECT_EQ(Prop(editor, 0, j)->mString, std::to_string(c.stored[j])) << c.list << " " << c.type;
            }
        }
        app->RemoveScreen(SCREEN_EDITOR);
        app->ProcessSafeDeletes();
    }
    // An empty table replaces nothing.
    app->blueprintTable.clear();
    EXPECT_EQ(PropReplacement(LIST_TARGET, 1, 0, 12, *app), std::nullopt);
}

TEST_F(QuestEditorTest, TypeChangeDefaults)
{
    SmallTables();
    Quests({1});
    app->questTable[1].Target = {Entry(1, {2, 1, 1, 1}), Entry(1, {2, 1, 1, 1}), Entry(1, {2, 1, 1, 1})};
    DataEditor* editor = OpenQuests();
    Press(editor, 1);
    Press(editor, DataEditor::ID_Q_ROW + 1);
    Press(editor, DataEditor::ID_Q_TYPE_MENU);
    for (int type = 1; type <= 7; ++type)
        EXPECT_NE(Button(editor, 400000 + type), nullptr);
    EXPECT_EQ(Button(editor, 400101), nullptr);
    Click(Button(editor, 400006));  // "Country" cannot be pressed
    EXPECT_EQ(app->questTable[1].Target[1].Type, 1);
    Press(editor, 400005);
    EXPECT_EQ(app->questTable[1].Target[1].Prop, (std::vector<int32_t>{0, 0, 1, 1, 1, 1, 1}));
    EXPECT_EQ(editor->mPropFields[1].size(), 7u);
    EXPECT_EQ(Button(editor, 400001), nullptr);
    // The first and the last target get six.
    EXPECT_EQ(DefaultProps(LIST_TARGET, 5, false, *app).size(), 6u);

    struct Case {
        int list;
        int type;
        std::vector<int32_t> props;
    };
    for (const Case& c : {Case{LIST_PREQUEST, 1, {1}}, Case{LIST_PREQUEST, 6, {3, 1}}, Case{LIST_REWARD, 2, {0, 2, 1, 1, 1}},
                          Case{LIST_REWARD, 6, {0, 7}}, Case{LIST_REWARD, 7, {0, 1}}, Case{LIST_TARGET, 3, {1}},
                          Case{LIST_PREQUEST, 3, {10000}}})
        EXPECT_EQ(DefaultProps(c.list, c.type, false, *app), c.props) << c.list << " " << c.type;
    app->awardTable.clear();
    EXPECT_EQ(DefaultProps(LIST_REWARD, 6, false, *app), (std::vector<int32_t>{0, 0}));
}

TEST_F(QuestEditorTest, TalkTargetSpeeches)
{
    SmallTables();
    Quests({1});
    app->questTable[1].Target = {Entry(1, {2, 1, 1, 1}), Entry(5, {12, 4, 0, 0, -1, 6, 77}), Entry(5, {12, 9, 0, 1}),
                                 Entry(1, {2, 1, 1, 1})};
    DataEditor* editor = OpenQuests();
    Press(editor, 1);
    Press(editor, DataEditor::ID_Q_ROW + 1);
    // Per speech Prop an "Add", and "NO" for -1 or the set's type (6 has type 3); none for a
    // set the character lacks (77).
    std::vector<std::pair<int, std::string>> buttons;
    for (Widget* w : editor->mLists[7])
        buttons.emplace_back(static_cast<ButtonWidget*>(w)->mId, static_cast<ButtonWidget*>(w)->mLabel);
    EXPECT_EQ(buttons, (std::vector<std::pair<int, std::string>>{{500003, "Add"}, {600003, "T1"}, {500004, "Add"},
                                                                  {600004, "NO"}, {500005, "Add"}, {600005, "T3"},
                                                                  {500006, "Add"}}));
    Press(editor, 600003);
    EXPECT_EQ(app->npcTable[4].Speech[0].Type, 2);
    EXPECT_EQ(static_cast<ButtonWidget*>(editor->mLists[7][1])->mLabel, "T2");
    Press(editor, 600005);  // type 3 stays
    EXPECT_EQ(app->npcTable[4].Speech[6].Type, 3);

    // "Add" makes a speech under the largest key + 1 and opens the panel for editing.
    Press(editor, 500004);
    EXPECT_EQ(app->npcTable[4].Speech[7], (NpcSpeech{7, 1, {}}));
    EXPECT_EQ(app->questTable[1].Target[1].Prop[4], 7);
    EXPECT_EQ(editor->mState[2], 1);
    EXPECT_EQ(editor->mBackdrop->GetRect(), Rect(200, 110, 300, 600));
    EXPECT_TRUE(app->editedTables & GameApp::EDITED_CHARACTERS);
    Press(editor, 500005);  // not while editing
    EXPECT_EQ(app->npcTable[4].Speech.size(), 4u);
    Press(editor, DataEditor::ID_Q_EDIT_SPEECH);
    EXPECT_EQ(editor->mState[2], 0);
    EXPECT_EQ(editor->mBackdrop->GetRect(), Rect(500, 110, 300, 600));

    // A target whose character is missing: "Add" and the type button do nothing.
    Press(editor, DataEditor::ID_Q_ROW + 2);
    const auto npcs = app->npcTable;
    Press(editor, 500003);
    EXPECT_EQ(app->npcTable, npcs);
    EXPECT_EQ(app->questTable[1].Target[2].Prop[3], 1);
}

TEST_F(QuestEditorTest, SpeechLineTexts)
{
    struct Case {
        std::vector<int32_t> props;
        size_t place;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {{12, 4, 0, 5, 6, 7}, 0, {"Speech Set : Quest Receive", "Accept this Quest?           : 5",
                                   "Really? I wait for your product. : 6", "I want XXX product          : 7"}},
        {{12, 4, 0, 5, 6}, 2, {"Speech Set : Quest Complete", "XXX was not finish?         : 5",
                                "Give me XXX?             : 6"}},
        {{12, 4, 0, 5, -1, 7, -1}, 1, {"Speech Set : Middle Quest", "Give me XXX?              : 5",
                                        "XXX was not finish?         : ERROR, it can't be -1",
                                        "Thanks! Reward...           : 7",
                                        "Then, you need to...         : ERROR, it can't be -1"}},
        {{12, 4, 0, 5, 6, 7}, 1, {"Speech Set : Middle Quest", "Give me XXX?              : 5",
                                   "XXX was not finish?         : 6", "Thanks! Reward...           : 7",
                                   "Then, you need to...         : ERROR, plx reset this Target type"}},
        {{12, 4}, 1, {"Speech Set : Middle Quest", "Then, you need to...         : ERROR, plx reset this Target type"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SpeechLines(Entry(5, c.props), c.place, 3), c.lines) << c.place;
}

TEST_F(QuestEditorTest, PickedValues)
{
    SmallTables();
    Quests({1});
    app->questTable[1].Target = {Entry(5, {12, 4, 0}), Entry(2, {3})};
    app->questTable[1].Reward = {Entry(3, {0})};
    DataEditor* editor = OpenQuests();
    Press(editor, DataEditor::ID_Q_PICK);  // no entry selected: nothing
    EXPECT_EQ(editor->mPickList, nullptr);
    Press(editor, 1);
    Press(editor, DataEditor::ID_Q_ROW);
    Press(editor, DataEditor::ID_Q_PICK);
    ASSERT_NE(editor->mPickList, nullptr);
    EXPECT_EQ(editor->mPickList->mKind, PICK_CHARACTERS);
    Press(editor->mPickList, 6);
    app->ProcessSafeDeletes();
    EXPECT_EQ(editor->mPickList, nullptr);
    EXPECT_EQ(app->questTable[1].Target[0].Prop, (std::vector<int32_t>{12, 6, 0}));
    EXPECT_EQ(editor->mState[1], -1);

    Press(editor, DataEditor::ID_Q_ROW + 1);
    Press(editor, DataEditor::ID_Q_PICK);
    EXPECT_EQ(editor->mPickList->mKind, PICK_MATERIALS);
    Press(editor->mPickList, 8);
    EXPECT_EQ(app->questTable[1].Target[1].Prop, (std::vector<int32_t>{8}));

    // A reward without the Prop the pick goes to gets nothing.
    Press(editor, DataEditor::ID_Q_REWARDS);
    Press(editor, DataEditor::ID_Q_ROW);
    Press(editor, DataEditor::ID_Q_PICK);
    Press(editor->mPickList, 3);
    EXPECT_EQ(app->questTable[1].Reward[0].Prop, (std::vector<int32_t>{0}));
}

TEST_F(QuestEditorTest, CharacterEditorOnTop)
{
    SmallTables();
    Quests({1});
    app->questTable[1].Target = {Entry(2, {3, 1})};
    DataEditor* editor = OpenQuests();
    Press(editor, DataEditor::ID_Q_NPC_EDITOR);
    auto* characters = dynamic_cast<DataEditor*>(app->screens[SCREEN_EDITOR2]);
    ASSERT_NE(characters, nullptr);
    EXPECT_EQ(characters->mMode, EDITOR_CHARACTERS);
    EXPECT_EQ(characters->GetRect(), Rect(0, 0, 1024, 768));
    ASSERT_EQ(characters->mState.size(), 6u) << app->mFatalReports;
    ASSERT_EQ(characters->mLists[4].size(), 2u);
    Press(characters, 4);
    Press(characters, DataEditor::ID_NPC_ADD);
    EXPECT_EQ(app->npcTable[4].Speech.count(1), 1u);
    Press(characters, DataEditor::ID_BACK);
    app->ProcessSafeDeletes();
    EXPECT_EQ(app->screens[SCREEN_EDITOR2], nullptr);
    EXPECT_EQ(app->screens[SCREEN_EDITOR], editor);
    EXPECT_EQ(app->mMenusMade, 0);
    // The pictures stay for the quest editor's pick list.
    ASSERT_NE(GM_I_LV0, nullptr);
    Press(editor, 1);
    Press(editor, DataEditor::ID_Q_ROW);
    Press(editor, DataEditor::ID_Q_PICK);
    ASSERT_NE(editor->mPickList, nullptr);
    quortest::DrawWholeScreen(*app->mWidgetManager);
    Press(editor->mPickList, 8);
    EXPECT_EQ(app->questTable[1].Target[0].Prop, (std::vector<int32_t>{8, 1}));

    // SAVE in the character editor reads every table again; the quest editor below holds no
    // record of the old ones: its rows still act on what the tables now hold.
    Press(editor, DataEditor::ID_Q_ROW);
    Press(editor, DataEditor::ID_Q_NPC_EDITOR);
    characters = dynamic_cast<DataEditor*>(app->screens[SCREEN_EDITOR2]);
    app->npcTable = {{4, {4, "Ed", "NPC_4", {}}}};
    Press(characters, DataEditor::ID_SAVE);
    EXPECT_TRUE(app->mErrorLog.empty());
    ASSERT_EQ(app->questTable[1].Target.size(), 1u);
    EXPECT_EQ(app->questTable[1].Target[0].Prop, (std::vector<int32_t>{4}));
    Press(characters, DataEditor::ID_BACK);
    app->ProcessSafeDeletes();
    Press(editor, DataEditor::ID_Q_OK);
    Press(editor, DataEditor::ID_Q_DEL_ENTRY);
    EXPECT_TRUE(app->questTable[1].Target.empty());
    quortest::DrawWholeScreen(*app->mWidgetManager);
}

TEST_F(QuestEditorTest, CaptionsSkipMissingProps)
{
    SmallTables();
    EXPECT_EQ(EntryCaptions(LIST_TARGET, Entry(1, {9}), *app), (std::vector<std::string>{"Set : 9"}));
    app->blueprintTable[9].Name = "Cup";
    EXPECT_EQ(EntryCaptions(LIST_TARGET, Entry(1, {9, 2}), *app), (std::vector<std::string>{"Set : 9  Cup", "SLV : 2"}));
    EXPECT_EQ(EntryCaptions(LIST_TARGET, Entry(5, {12, 4, -1, 0}), *app),
              (std::vector<std::string>{"Country ID : 12", "Ed", "Pre step from : -1"}));
    EXPECT_EQ(EntryCaptions(LIST_REWARD, Entry(1, {}), *app), std::vector<std::string>{});
    EXPECT_EQ(EntryCaptions(LIST_REWARD, Entry(9, {2}), *app), (std::vector<std::string>{"Get from Target : 2"}));
    EXPECT_EQ(EntryCaptions(LIST_TARGET, Entry(12, {2}), *app), std::vector<std::string>{});
    EXPECT_STREQ(EntryTypeName(LIST_TARGET, 12), "No this type");
}

} // namespace
