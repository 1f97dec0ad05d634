// The character editor: its buttons, the speech pages, the character and speech panels with
// their commits, the checks, and "GameMain" staying loaded under the quest editor.
#include "tests/editor/EditorFixture.h"

#include <climits>

using namespace Quor;

namespace {

class CharacterEditorTest : public quortest::EditorTest {
protected:
    static NpcSpeech Set(int32_t id, int lines)
    {
        NpcSpeech set{id, 1, {}};
        for (int i = 0; i < lines; ++i)
            set.Des.push_back("line " + std::to_string(i));
        return set;
    }
    // Character 7 with these speech sets (keys = Ids), alone in the table.
    void OneCharacter(std::vector<NpcSpeech> sets)
    {
        NpcRecord npc{7, "Seven", "NPC_7", {}};
        for (NpcSpeech& set : sets)
            npc.Speech.emplace(set.Id, std::move(set));
        app->npcTable = {{7, npc}};
    }
    // Ids and places of the speech "Edit" buttons on the page.
    static std::vector<std::pair<int, int>> SpeechButtons(DataEditor* editor)
    {
        std::vector<std::pair<int, int>> buttons;
        for (Widget* w : editor->mLists[6])
            buttons.emplace_back(static_cast<ButtonWidget*>(w)->mId, w->mY);
        return buttons;
    }
    static std::vector<int> State(DataEditor* editor) { return editor->mState; }
    EditWidget* PanelField(DataEditor* editor, size_t i) { return static_cast<EditWidget*>(editor->mLists[1].at(i)); }
};

TEST_F(CharacterEditorTest, BuildsItsButtonsAndStartState)
{
    app->npcTable = {{4, {4, "Twelve chars", "NPC_4", {}}}, {9, {9, "Bo", "NPC_9", {}}}};
    DataEditor* editor = Open(3);
    EXPECT_EQ(State(editor), (std::vector<int>{-1, 0, 3, 0, -1, -1}));
    ASSERT_EQ(editor->mLists[4].size(), 2u);
    EXPECT_EQ(static_cast<ButtonWidget*>(editor->mLists[4][0])->mLabel, "Twelve cha");
    EXPECT_EQ(editor->mLists[4][1]->GetRect(), Rect(0, 58, 80, 18));
    struct Look {
        int id;
        const char* label;
        Rect rect;
        bool shown;
    };
    const Look looks[] = {{10001, "OK", Rect(0, 0, 30, 25), false},
                          {10002, "<-", Rect(150, 743, 30, 25), true},
                          {10003, "->", Rect(180, 743, 30, 25), true},
                          {10004, "Edit", Rect(100, 0, 30, 25), true},
                          {10005, "Add", Rect(120, 743, 30, 25), true},
                          {10006, "Del", Rect(0, 0, 30, 25), false},
                          {10007, "Del SP", Rect(312, 584, 30, 25), false},
                          {10008, "Add NPC", Rect(0, 0, 80, 25), true},
                          {10009, "Check USING", Rect(300, 743, 100, 25), true},
                          {10010, "Check MISS", Rect(400, 743, 100, 25), true},
                          {10011, "Check REWARD", Rect(500, 743, 100, 25), true},
                          {10012, "Check BP", Rect(600, 743, 100, 25), true}};
    ASSERT_EQ(editor->mLists[5].size(), std::size(looks));
    for (size_t i = 0; i < std::size(looks); ++i) {
        auto* button = static_cast<ButtonWidget*>(editor->mLists[5][i]);
        EXPECT_EQ(button->mId, looks[i].id);
        EXPECT_EQ(button->mLabel, looks[i].label);
        EXPECT_EQ(button->GetRect(), looks[i].rect) << looks[i].label;
        EXPECT_EQ(Button(editor, looks[i].id) != nullptr, looks[i].shown) << looks[i].label;
    }
    Press(editor, 9);
    EXPECT_EQ(State(editor)[0], 9);
    EXPECT_EQ(State(editor)[1], -1);  // no speech set
}

TEST_F(CharacterEditorTest, NextFreeIds)
{
    struct Case {
        std::vector<int32_t> ids;
        std::optional<int32_t> next;
    };
    for (const Case& c : {Case{{}, 0}, Case{{0, 1, 3}, 2}, Case{{0, 1, 2}, 3}, Case{{1, 2}, 0}, Case{{-5, -2}, -1},
                          Case{{-3, 0, 1}, 2}, Case{{0, INT_MAX}, 1}, Case{{INT_MAX}, 0}})
        EXPECT_EQ(NextFreeId(c.ids), c.next) << c.ids.size();
}

TEST_F(CharacterEditorTest, AddNpcTakesTheFirstFreeId)
{
    struct Case {
        std::vector<int32_t> ids;
        int32_t added;
    };
    for (const Case& c : {Case{{}, 0}, Case{{0, 1, 3}, 2}, Case{{0, 1, 2}, 3}}) {
        app->npcTable.clear();
        for (int32_t id : c.ids)
            app->npcTable[id] = {id, "N" + std::to_string(id), "NPC_1", {}};
        DataEditor* editor = Open(3);
        Press(editor, DataEditor::ID_NPC_ADD_NPC);
        ASSERT_TRUE(app->npcTable.count(c.added)) << c.added;
        EXPECT_EQ(app->npcTable[c.added], (NpcRecord{c.added, "New NPC", "1", {}}));
        EXPECT_EQ(State(editor)[0], c.added);
        EXPECT_EQ(editor->mLists[4].size(), c.ids.size() + 1);
        EXPECT_TRUE(app->editedTables & GameApp::EDITED_CHARACTERS);
    }
}

TEST_F(CharacterEditorTest, SpeechPages)
{
    // Sets of 2, 0 and 1 lines: buttons on rows 2, 4 and 6, one empty row between two sets.
    OneCharacter({Set(0, 2), Set(1, 0), Set(2, 1)});
    DataEditor* editor = Open(3);
    Press(editor, 7);
    EXPECT_EQ(SpeechButtons(editor), (std::vector<std::pair<int, int>>{{20000, 76}, {20001, 112}, {20002, 148}}));
    EXPECT_EQ(State(editor)[2], 3);

    // A page holds sets while the running rows stay below 35: 20 + 1 + 13 = 34 rows fit the
    // first two sets, the third (one line) would reach 35.
    OneCharacter({Set(0, 20), Set(4, 13), Set(5, 1), Set(6, 3)});
    editor = Open(3);
    Press(editor, 7);
    EXPECT_EQ(State(editor)[2], 2);
    Press(editor, DataEditor::ID_NPC_BACK);  // the first set heads the page already
    EXPECT_EQ(State(editor)[1], 0);
    Press(editor, DataEditor::ID_NPC_FORWARD);
    EXPECT_EQ(State(editor)[1], 5);
    EXPECT_EQ(SpeechButtons(editor), (std::vector<std::pair<int, int>>{{20005, 58}, {20006, 130}}));
    // "->" on the page of the last set makes it the first.
    Press(editor, DataEditor::ID_NPC_FORWARD);
    EXPECT_EQ(State(editor)[1], 6);
    Press(editor, DataEditor::ID_NPC_BACK);
    EXPECT_EQ(State(editor)[1], 4);  // 1 + 1 + 3 + 1 + 13 + 1 = 20; set 0 would pass 35
    Press(editor, DataEditor::ID_NPC_BACK);
    EXPECT_EQ(State(editor)[1], 0);

    // A first set of 35 lines leaves the page empty and "->" where it is.
    OneCharacter({Set(0, 35), Set(1, 1)});
    editor = Open(3);
    Press(editor, 7);
    EXPECT_TRUE(SpeechButtons(editor).empty());
    Press(editor, DataEditor::ID_NPC_FORWARD);
    EXPECT_EQ(State(editor)[1], 0);

    // "Add" gives the first free key, Type 1, no lines, heading the page.
    OneCharacter({Set(0, 1), Set(2, 1)});
    editor = Open(3);
    Press(editor, 7);
    Press(editor, DataEditor::ID_NPC_ADD);
    EXPECT_EQ(app->npcTable[7].Speech[1], (NpcSpeech{1, 1, {}}));
    EXPECT_EQ(State(editor)[1], 1);
    EXPECT_EQ(SpeechButtons(editor).front().first, 20001);
}

TEST_F(CharacterEditorTest, CharacterPanel)
{
    app->npcTable = {{3, {3, "Three", "NPC_3", {{0, Set(0, 1)}}}}, {5, {5, "Five", "NPC_5", {}}}};
    DataEditor* editor = Open(3);
    Press(editor, DataEditor::ID_NPC_EDIT);  // nobody selected
    EXPECT_EQ(State(editor)[3], 0);
    Press(editor, 3);
    Press(editor, DataEditor::ID_NPC_EDIT);
    EXPECT_EQ(State(editor)[3], 1);
    ExpectFields(editor, {{90001, Rect(462, 334, 150, 18), 3, "3"},
                          {90002, Rect(462, 359, 150, 18), 50, "Three"},
                          {90003, Rect(462, 384, 150, 18), 50, "NPC_3"}});
    EXPECT_EQ(Button(editor, DataEditor::ID_NPC_OK)->GetRect(), Rect(502, 484, 30, 25));
    EXPECT_EQ(Button(editor, DataEditor::ID_NPC_DEL)->GetRect(), Rect(362, 484, 30, 25));

    // The backdrop takes every other click: SAVE, the character buttons, "Add NPC".
    Press(editor, DataEditor::ID_SAVE);
    Press(editor, 5);
    Press(editor, DataEditor::ID_NPC_ADD_NPC);
    EXPECT_FALSE(std::filesystem::exists(PropertiesFile("DataNPC.xml.tmp")));
    EXPECT_EQ(State(editor)[0], 3);
    EXPECT_EQ(app->npcTable.size(), 2u);
    EXPECT_TRUE(app->mBoxes.empty());

    // Not a number: the panel stays open, nothing changes.
    const auto before = app->npcTable;
    Type(PanelField(editor, 0), "abc");
    Press(editor, DataEditor::ID_NPC_OK);
    EXPECT_EQ(State(editor)[3], 1);
    EXPECT_EQ(app->npcTable, before);

    // A taken Id keeps the old one; Name and Img apply.
    Type(PanelField(editor, 0), "5");
    Type(PanelField(editor, 1), "Renamed");
    Type(PanelField(editor, 2), "NPC_8");
    Press(editor, DataEditor::ID_NPC_OK);
    EXPECT_EQ(State(editor)[3], 0);
    EXPECT_EQ(app->npcTable[3], (NpcRecord{3, "Renamed", "NPC_8", {{0, Set(0, 1)}}}));
    EXPECT_EQ(app->npcTable[5].Name, "Five");
    EXPECT_EQ(Button(editor, DataEditor::ID_NPC_OK), nullptr);

    // A free Id moves the character with its speech sets.
    Press(editor, DataEditor::ID_NPC_EDIT);
    Type(PanelField(editor, 0), "12");
    Press(editor, DataEditor::ID_NPC_OK);
    EXPECT_FALSE(app->npcTable.count(3));
    EXPECT_EQ(app->npcTable[12], (NpcRecord{12, "Renamed", "NPC_8", {{0, Set(0, 1)}}}));
    EXPECT_EQ(State(editor)[0], 12);
    EXPECT_EQ(static_cast<ButtonWidget*>(editor->mLists[4][1])->mId, 12);

    // "Del" deletes the character and builds the mode again.
    Press(editor, DataEditor::ID_NPC_EDIT);
    Press(editor, DataEditor::ID_NPC_DEL);
    app->ProcessSafeDeletes();
    EXPECT_FALSE(app->npcTable.count(12));
    EXPECT_EQ(State(editor), (std::vector<int>{-1, 0, 3, 0, -1, -1}));
    EXPECT_EQ(editor->mLists[4].size(), 1u);
    Press(editor, 5);
    EXPECT_EQ(State(editor)[0], 5);
}

TEST_F(CharacterEditorTest, SpeechPanel)
{
    OneCharacter({Set(0, 2), Set(1, 0), Set(4, 1)});
    DataEditor* editor = Open(3);
    Press(editor, 7);
    Press(editor, DataEditor::ID_NPC_SET + 0);
    EXPECT_EQ(State(editor)[3], 2);
    EXPECT_EQ(State(editor)[4], 0);
    ExpectFields(editor, {{90001, Rect(362, 234, 150, 18), 3, "0"},
                          {90002, Rect(362, 259, 150, 18), 1, "1"},
                          {80000, Rect(362, 284, 500, 18), 255, "line 0"},
                          {80001, Rect(362, 304, 500, 18), 255, "line 1"}});
    for (auto [id, rect] : {std::pair{10001, Rect(602, 584, 30, 25)}, std::pair{10005, Rect(302, 304, 30, 25)},
                            std::pair{10006, Rect(302, 334, 30, 25)}, std::pair{10007, Rect(312, 584, 30, 25)}})
        EXPECT_EQ(Button(editor, id) ? Button(editor, id)->GetRect() : Rect(), rect) << id;

    // "Add" and "Del" change the stored set at once.
    Press(editor, DataEditor::ID_NPC_ADD);
    EXPECT_EQ(app->npcTable[7].Speech[0].Des, (std::vector<std::string>{"line 0", "line 1", "New Des"}));
    EXPECT_EQ(editor->mLists[1].back()->GetRect(), Rect(362, 324, 500, 18));
    Press(editor, DataEditor::ID_NPC_DEL);
    Press(editor, DataEditor::ID_NPC_DEL);
    EXPECT_EQ(app->npcTable[7].Speech[0].Des, (std::vector<std::string>{"line 0"}));
    EXPECT_EQ(editor->mLists[1].size(), 3u);

    // Type "7" is stored as 1; an Id another set has is put back; the line is taken.
    Type(PanelField(editor, 1), "7");
    Type(PanelField(editor, 0), "4");
    Type(PanelField(editor, 2), "Hello");
    Press(editor, DataEditor::ID_NPC_OK);
    EXPECT_EQ(app->npcTable[7].Speech[0], (NpcSpeech{0, 1, {"Hello"}}));
    EXPECT_EQ(State(editor)[3], 0);
    EXPECT_EQ(Button(editor, DataEditor::ID_NPC_ADD)->GetRect(), Rect(120, 743, 30, 25));
    EXPECT_EQ(Button(editor, DataEditor::ID_NPC_DEL_SET), nullptr);

    // A free Id renumbers the set at once; it heads the page.
    Press(editor, DataEditor::ID_NPC_SET + 1);
    Type(PanelField(editor, 0), "9");
    Type(PanelField(editor, 1), "2");
    Press(editor, DataEditor::ID_NPC_OK);
    EXPECT_FALSE(app->npcTable[7].Speech.count(1));
    EXPECT_EQ(app->npcTable[7].Speech[9], (NpcSpeech{9, 2, {}}));
    EXPECT_EQ(State(editor)[1], 9);
    EXPECT_EQ(SpeechButtons(editor).front().first, 20009);

    // "abc" as Type keeps the panel open; "Del SP" erases the set and shows the first again.
    Press(editor, DataEditor::ID_NPC_SET + 9);
    Type(PanelField(editor, 1), "x");
    Press(editor, DataEditor::ID_NPC_OK);
    EXPECT_EQ(State(editor)[3], 2);
    Press(editor, DataEditor::ID_NPC_DEL_SET);
    EXPECT_FALSE(app->npcTable[7].Speech.count(9));
    EXPECT_EQ(State(editor)[1], 0);
    EXPECT_EQ(State(editor)[3], 0);
    EXPECT_EQ(State(editor)[4], -1);
}

TEST_F(CharacterEditorTest, Checks)
{
    OneCharacter({Set(0, 1), Set(1, 1), Set(2, 1)});
    QuestRecord quest{30, 0, 1, "Q", {}, {}, {}};
    QuestEntry talk(5, "T", "");
    talk.Prop = {12, 7, 0, -1, 1, 9};
    quest.Target = {talk};
    QuestEntry reward(1, "R", "");
    reward.Prop = {3, 100};
    quest.Reward = {reward};
    app->questTable = {{30, quest}};
    DataEditor* editor = Open(3);
    Press(editor, 7);
    Press(editor, DataEditor::ID_NPC_CHECK_USING);
    const Color green(0, 255, 0);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(editor->mLists[6][i]->GetColor(ButtonWidget::COLOR_BKG) == green, i == 1) << i;
    EXPECT_EQ(State(editor)[5], -1);

    Press(editor, DataEditor::ID_NPC_CHECK_BP);
    EXPECT_EQ(State(editor)[5], 3);
    Press(editor, DataEditor::ID_NPC_CHECK_MISS);
    EXPECT_EQ(State(editor)[5], 1);
    EXPECT_EQ(editor->mCheckRows, (std::vector<CheckRow>{{7, 9, 30}}));
    Press(editor, DataEditor::ID_NPC_CHECK_REWARD);
    EXPECT_EQ(State(editor)[5], 2);
    EXPECT_EQ(editor->mCheckRows, (std::vector<CheckRow>{{30, 3, 1}}));
    // A rebuild of the speech page clears the colours.
    Press(editor, 7);
    EXPECT_NE(editor->mLists[6][1]->GetColor(ButtonWidget::COLOR_BKG), green);
}

TEST_F(CharacterEditorTest, SecondEditorLeavesGameMainToTheFirst)
{
    // The character editor over another editor: closing it keeps the pictures the one below
    // draws; closing the last frees them.
    DataEditor* below = Open(1);
    ASSERT_NE(below, nullptr);
    ASSERT_NE(GM_I_LV0, nullptr);
    DataEditor* over = Open(3, SCREEN_EDITOR2);
    Press(over, DataEditor::ID_BACK);
    app->ProcessSafeDeletes();
    EXPECT_EQ(app->screens[SCREEN_EDITOR2], nullptr);
    EXPECT_NE(GM_I_LV0, nullptr);
    Press(below, DataEditor::ID_BACK);
    app->ProcessSafeDeletes();
    EXPECT_EQ(GM_I_LV0, nullptr);
}

} // namespace
