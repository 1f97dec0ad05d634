// The blueprint editor: pages of 18 rows, the panel of an open blueprint, ADD, DEL, OK with its
// parse and bounds, the material choice through the pick list, and what SAVE writes.
#include "tests/editor/EditorFixture.h"

#include "widgets/Checkbox.h"

using namespace Quor;

namespace {

class BlueprintEditorTest : public quortest::EditorTest {
protected:
    std::vector<int> RowIds(DataEditor* editor)
    {
        std::vector<int> ids;
        for (Widget* w : editor->mLists[4])
            ids.push_back(static_cast<ButtonWidget*>(w)->mId);
        return ids;
    }
    std::map<int32_t, int32_t> Materials(int id) { return app->blueprintTable[id].materialQty; }
};

TEST_F(BlueprintEditorTest, PagesOfEighteen)
{
    struct Case {
        int blueprints;
        size_t firstPage;
        size_t secondPage;  // rows after "->" (0: "->" does nothing)
    };
    for (const Case& c : {Case{18, 18, 0}, Case{19, 18, 1}, Case{40, 18, 18}, Case{0, 0, 0}}) {
        WriteBlueprints(c.blueprints, {});
        DataEditor* editor = Open(4);
        EXPECT_EQ(editor->mLists[4].size(), c.firstPage);
        Press(editor, DataEditor::ID_BP_BACK);
        EXPECT_EQ(editor->Page(), 0);
        Press(editor, DataEditor::ID_BP_FORWARD);
        EXPECT_EQ(editor->Page(), c.secondPage ? 1 : 0) << c.blueprints;
        if (c.secondPage) {
            EXPECT_EQ(editor->mLists[4].size(), c.secondPage);
            EXPECT_EQ(RowIds(editor).front(), 19);
            EXPECT_EQ(editor->mLists[4][0]->GetRect(), Rect(0, 40, 40, 18));
            Press(editor, DataEditor::ID_BP_BACK);
            EXPECT_EQ(RowIds(editor).front(), 1);
        }
        app->RemoveScreen(SCREEN_EDITOR);
        app->ProcessSafeDeletes();
    }
}

TEST_F(BlueprintEditorTest, PanelOfAnOpenBlueprint)
{
    WriteMaterials({3, 8, 12});
    WriteBlueprints(2, {3, 12});
    app->blueprintTable[2].colorSources = {{3, 2}};
    DataEditor* editor = Open(4);
    EXPECT_EQ(editor->mLists[4][1]->GetRect(), Rect(0, 76, 40, 18));
    Press(editor, 2);
    EXPECT_EQ(editor->OpenId(), 2);
    ExpectFields(editor, {{20001, Rect(750, 40, 200, 18), 50, "B2"}, {20002, Rect(750, 65, 200, 18), 50, "PD_2"},
                          {20003, Rect(750, 140, 50, 18), 5, "3"},   {20004, Rect(830, 140, 50, 18), 5, "4"},
                          {20005, Rect(750, 178, 50, 18), 5, "12"},  {20006, Rect(830, 178, 50, 18), 5, "13"}});
    ASSERT_EQ(editor->mLists[6].size(), 2u);
    EXPECT_EQ(static_cast<ButtonWidget*>(editor->mLists[6][1])->mId, 20012);
    EXPECT_EQ(editor->mLists[6][1]->GetRect(), Rect(800, 178, 20, 18));
    ASSERT_EQ(editor->mLists[11].size(), 2u);
    auto* box = static_cast<Checkbox*>(editor->mLists[11][0]);
    EXPECT_EQ(box->mId, 3);
    EXPECT_EQ(box->GetRect(), Rect(700, 140, 20, 18));
    EXPECT_FALSE(box->mChecked);
    EXPECT_EQ(box->mUncheckedImage, GM_I_LV0);
    EXPECT_EQ(box->mCheckedImage, GM_I_LV3);
    for (int id : {DataEditor::ID_BP_OK, DataEditor::ID_BP_ADD, DataEditor::ID_BP_DEL, DataEditor::ID_BP_CLOSE})
        EXPECT_NE(Button(editor, id), nullptr) << id;
    // The panel keeps the colour source it found and adds 0 for the material without one.
    EXPECT_EQ(app->blueprintTable[2].colorSources, (std::map<int32_t, int32_t>{{3, 2}, {12, 0}}));

    // Paging drops the "C" buttons only; X closes the panel.
    WriteBlueprints(20, {3});
    editor = Open(4);
    Press(editor, 1);
    Press(editor, DataEditor::ID_BP_FORWARD);
    EXPECT_TRUE(editor->mLists[6].empty());
    EXPECT_EQ(editor->mLists[1].size(), 4u);
    Press(editor, DataEditor::ID_BP_CLOSE);
    EXPECT_EQ(editor->OpenId(), -1);
    EXPECT_TRUE(editor->mLists[1].empty());
    EXPECT_EQ(Button(editor, DataEditor::ID_BP_OK), nullptr);
}

TEST_F(BlueprintEditorTest, AddAndDelete)
{
    struct Case {
        std::vector<int> materialTable;
        std::vector<int> before;
        int press;
        std::map<int32_t, int32_t> after;
    };
    const std::vector<Case> cases = {
        {{2, 3, 8, 12, 20, 30}, {3, 8}, DataEditor::ID_BP_ADD, {{2, 1}, {3, 4}, {8, 9}}},
        {{2, 3, 8, 12, 20, 30}, {2, 8}, DataEditor::ID_BP_ADD, {{2, 3}, {8, 9}}},
        {{2, 3, 8, 12, 20, 30}, {3, 8, 12, 20, 30}, DataEditor::ID_BP_ADD, {{3, 4}, {8, 9}, {12, 13}, {20, 21}, {30, 31}}},
        {{}, {3}, DataEditor::ID_BP_ADD, {{3, 4}}},
        {{2, 3, 8}, {3, 8}, DataEditor::ID_BP_DEL, {{8, 9}}},
        {{2, 3, 8}, {}, DataEditor::ID_BP_DEL, {}},
    };
    for (const Case& c : cases) {
        WriteMaterials(c.materialTable);
        WriteBlueprints(1, c.before);
        DataEditor* editor = Open(4);
        Press(editor, 1);
        Press(editor, c.press);
        EXPECT_EQ(Materials(1), c.after);
        EXPECT_EQ(editor->mLists[1].size(), 2 + 2 * c.after.size());
        // Every material shown has a colour source.
        for (const auto& [material, qty] : c.after)
            EXPECT_EQ(app->blueprintTable[1].colorSources.count(material), 1u) << material;
        app->RemoveScreen(SCREEN_EDITOR);
        app->ProcessSafeDeletes();
    }
}

TEST_F(BlueprintEditorTest, OkParsesBoundsAndMerges)
{
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> pairs;  // material and quantity typed
        std::map<int32_t, int32_t> after;
        std::vector<const char*> fieldsAfter;  // when the blueprint kept its values
    };
    const std::vector<Case> cases = {
        {"qty 0 and 1000", {{"3", "0"}, {"8", "1000"}}, {{3, 1}, {8, 999}}, {}},
        {"hexadecimal", {{"0x3", "0xA"}, {"8", "5"}}, {{3, 10}, {8, 5}}, {}},
        {"same material twice", {{"8", "7"}, {"8", "2"}}, {{8, 7}}, {}},
        {"unknown material", {{"77", "6"}, {"8", "5"}}, {{2, 6}, {8, 5}}, {}},
        {"material not a number", {{"x", "6"}, {"8", "5"}}, {{3, 4}, {8, 9}}, {"x", "6", "8", "5"}},
        {"quantity not a number", {{"77", "-"}, {"8", "5"}}, {{3, 4}, {8, 9}}, {"2", "-", "8", "5"}},
        {"out of 32 bits", {{"3", "99999"}, {"8", "0x"}}, {{3, 4}, {8, 9}}, {"3", "999", "8", "0x"}},
    };
    WriteMaterials({2, 3, 8});
    for (const Case& c : cases) {
        WriteBlueprints(1, {3, 8});
        DataEditor* editor = Open(4);
        Press(editor, 1);
        Type(Field(editor, DataEditor::ID_BP_NAME), "Renamed");
        for (size_t i = 0; i < c.pairs.size(); ++i) {
            Type(Field(editor, 20003 + 2 * int(i)), c.pairs[i].first);
            Type(Field(editor, 20004 + 2 * int(i)), c.pairs[i].second);
        }
        Press(editor, DataEditor::ID_BP_OK);
        EXPECT_EQ(Materials(1), c.after) << c.name;
        EXPECT_EQ(app->blueprintTable[1].Name, c.fieldsAfter.empty() ? "Renamed" : "B1") << c.name;
        for (size_t i = 0; i < c.fieldsAfter.size(); ++i)
            EXPECT_EQ(static_cast<EditWidget*>(editor->mLists[1][2 + i])->mString, c.fieldsAfter[i]) << c.name;
        app->RemoveScreen(SCREEN_EDITOR);
        app->ProcessSafeDeletes();
    }

    // With no material at all, OK stops at the first material field.
    WriteMaterials({});
    WriteBlueprints(1, {3});
    DataEditor* editor = Open(4);
    Press(editor, 1);
    Type(Field(editor, DataEditor::ID_BP_NAME), "Renamed");
    Press(editor, DataEditor::ID_BP_OK);
    EXPECT_EQ(app->blueprintTable[1].Name, "B1");
    EXPECT_EQ(Materials(1), (std::map<int32_t, int32_t>{{3, 4}}));
}

TEST_F(BlueprintEditorTest, ChoosingAMaterialInThePickList)
{
    WriteMaterials({2, 3, 8, 12});
    WriteBlueprints(1, {3, 8});
    DataEditor* editor = Open(4);
    Press(editor, 1);
    Press(editor, 20003);  // "C" of material 3
    ASSERT_NE(editor->mPickList, nullptr);
    EXPECT_EQ(editor->mWidgets.back(), editor->mPickList);
    EXPECT_EQ(editor->mPickList->mTag, 3);
    EXPECT_EQ(editor->mPickList->mKind, PICK_MATERIALS);
    Press(editor->mPickList, 12);
    EXPECT_EQ(editor->mPickList, nullptr);
    EXPECT_EQ(Materials(1), (std::map<int32_t, int32_t>{{8, 9}, {12, 4}}));
    EXPECT_EQ(app->blueprintTable[1].colorSources, (std::map<int32_t, int32_t>{{3, 0}, {8, 0}, {12, 0}}));

    // A material the blueprint has already merges the two rows with its own quantity.
    Press(editor, 20012);
    Press(editor->mPickList, 8);
    EXPECT_EQ(Materials(1), (std::map<int32_t, int32_t>{{8, 9}}));
    app->ProcessSafeDeletes();

    // SAVE keeps colour sources of the blueprint's own materials only.
    Click(editor->mSaveButton);
    const std::string file = Read("DataBluePrint.xml");
    EXPECT_NE(file.find("<ColorSrc\tBpId = \"1\"\tId = \"8\""), std::string::npos) << file;
    EXPECT_EQ(file.find("Id = \"3\""), std::string::npos) << file;
    EXPECT_EQ(file.find("Id = \"12\""), std::string::npos) << file;
    EXPECT_EQ(Materials(1), (std::map<int32_t, int32_t>{{8, 9}}));
}

TEST_F(BlueprintEditorTest, IdsThatActAsCommands)
{
    std::string text = "<DataBluePrint>";
    for (int id : {4, 999, 10002})
        text += "<BluePrint Id=\"" + std::to_string(id) + "\" Name=\"B\" Img=\"PD_1\" CountryId=\"0\"/>";
    Write("DataBluePrint.xml", text + "</DataBluePrint>");
    ASSERT_TRUE(app->LoadGameData());
    DataEditor* editor = Open(4);
    Press(editor, 10002);  // "->": three blueprints make one page
    EXPECT_EQ(editor->OpenId(), -1);
    EXPECT_EQ(editor->Page(), 0);
    Press(editor, 999);  // BACK
    EXPECT_EQ(app->screens[SCREEN_EDITOR], nullptr);
    EXPECT_EQ(app->mMenusMade, 1);
}

} // namespace
