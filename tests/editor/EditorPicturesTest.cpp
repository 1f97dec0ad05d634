// Whole screens of the editor drawn by the widget manager into a 1024 x 768 memory image and
// compared pixel for pixel with the pictures under tests/data/editor (QUOR_UPDATE_GOLDEN=1
// rewrites them): the material list with a material open, the second page of blueprints with a
// blueprint open, the pick list over it, the character editor with its speech panel open over a
// MISS list, and the quest editor with a middle talk target chosen.
#include "tests/editor/EditorFixture.h"

#include "graphics/MemoryImage.h"
#include "tests/support/GoldenImage.h"

#include <cstdlib>

using namespace Quor;

namespace {

class EditorPicturesTest : public quortest::EditorTest {
protected:
    void ExpectPicture(const std::string& name)
    {
        EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile("editor/" + name + ".png"),
                                              quortest::DrawWholeScreen(*app->mWidgetManager), 1024, 768),
                  "")
            << name;
    }
};

TEST_F(EditorPicturesTest, Screens)
{
    WriteMaterials({3, 8, 12, 40});
    DataEditor* editor = Open(1);
    Press(editor, 8);
    app->mWidgetManager->MouseMove(0, 767);
    ExpectPicture("materials");

    // The second page, a blueprint with a material the table lacks.
    WriteBlueprints(40, {3, 12, 99});
    editor = Open(4);
    Press(editor, DataEditor::ID_BP_FORWARD);
    Press(editor, 20);
    app->mWidgetManager->MouseMove(0, 767);
    ExpectPicture("blueprints");

    Press(editor, DataEditor::ID_BP_CHOICE + 12);
    app->mWidgetManager->MouseMove(0, 767);
    ExpectPicture("pick_list");
}

TEST_F(EditorPicturesTest, CharacterEditor)
{
    NpcRecord npc{4, "Baker Bo", "NPC_4", {}};
    npc.Speech[0] = {0, 1, {"ABBA", "BAB"}};
    npc.Speech[1] = {1, 2, {}};
    npc.Speech[2] = {2, 1, {"AB"}};
    app->npcTable = {{1, {1, "Ann", "NPC_1", {}}}, {4, npc}};
    QuestRecord quest{12, 0, 1, "Q", {}, {}, {}};
    QuestEntry talk(5, "T", "");
    talk.Prop = {12, 4, 0, 1, 8, 9};
    quest.Target = {talk};
    app->questTable = {{12, quest}};
    DataEditor* editor = Open(3);
    Press(editor, 4);
    Press(editor, DataEditor::ID_NPC_CHECK_MISS);
    Press(editor, DataEditor::ID_NPC_SET + 0);
    app->mWidgetManager->MouseMove(0, 767);
    ExpectPicture("characters");
}

TEST_F(EditorPicturesTest, QuestEditor)
{
    NpcRecord npc{4, "Baker Bo", "NPC_4", {}};
    npc.Speech[0] = {0, 1, {"ABBA"}};
    npc.Speech[1] = {1, 2, {"BAB"}};
    app->npcTable = {{4, npc}};
    app->questTable.clear();
    for (int32_t id : {1, 2, 5}) {
        QuestRecord quest{id, 0, 3, "ABBA", {}, {}, {}};
        for (int i = 0; i < 3; ++i) {
            QuestEntry talk(5, "BA", "");
            talk.Prop = {12, 4, 0, 0, 1, -1, 1};
            quest.Target.push_back(talk);
        }
        app->questTable[id] = quest;
    }
    DataEditor* editor = Open(2);
    Press(editor, 2);
    Press(editor, DataEditor::ID_Q_ROW + 1);
    app->mWidgetManager->MouseMove(0, 767);
    ExpectPicture("quests");
}

} // namespace
