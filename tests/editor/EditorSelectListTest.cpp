// The pick list: its grid and page buttons, paging, the kinds, and the choice handed back.
#include "tests/editor/EditorFixture.h"

using namespace Quor;

namespace {

class EditorSelectListTest : public quortest::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        editor = Open(7);
        // The frame-only editor loads no pictures of its own.
        ASSERT_TRUE(app->resourceManager->LoadResources("GameMain") && BindGameMainResources(app->resourceManager));
    }
    EditorSelectList* Make(int kind)
    {
        auto* list = new EditorSelectList(editor, 5, kind, 50, 50);
        editor->mPickList = list;
        editor->AddWidget(list);
        return list;
    }
    std::vector<int> Ids(EditorSelectList* list)
    {
        std::vector<int> ids;
        for (ButtonWidget* b : list->mRowButtons)
            ids.push_back(b->mId);
        return ids;
    }
    DataEditor* editor = nullptr;
};

TEST_F(EditorSelectListTest, GridAndPaging)
{
    struct Case {
        int kind;
        int records;
        std::vector<size_t> pages;  // rows of each page reached with "->"
    };
    const Case cases[] = {{1, 20, {20}}, {1, 21, {20, 1}}, {1, 0, {0}}, {2, 45, {20, 20, 5}}, {7, 30, {0}}, {0, 30, {0}}};
    for (const Case& c : cases) {
        app->sourceTable.clear();
        app->blueprintTable.clear();
        for (int i = 1; i <= c.records; ++i) {
            app->sourceTable[i * 2] = {i * 2, "M", "S_1", 1};
            app->blueprintTable[i * 2] = {i * 2, "B", "NO_SUCH", 0, {}, {}};
        }
        EditorSelectList* list = Make(c.kind);
        EXPECT_EQ(list->GetRect(), Rect(0, 0, 1024, 768));
        EXPECT_EQ(list->mBackButton->GetRect(), Rect(50, 450, 50, 25));
        EXPECT_EQ(list->mForwardButton->GetRect(), Rect(100, 450, 50, 25));
        EXPECT_EQ(list->mWidgets.size(), c.pages[0] + 2);
        EXPECT_EQ(list->mWidgets.back(), list->mForwardButton);
        Press(list, EditorSelectList::ID_BACK);
        EXPECT_EQ(list->mPage, 0);
        for (size_t p = 0; p < c.pages.size(); ++p) {
            EXPECT_EQ(list->mPage, int(p)) << c.kind << " " << c.records;
            ASSERT_EQ(list->mRowButtons.size(), c.pages[p]) << c.kind << " " << c.records;
            for (size_t i = 0; i < c.pages[p]; ++i) {
                ButtonWidget* b = list->mRowButtons[i];
                EXPECT_EQ(b->mId, int(2 * (20 * p + i + 1)));
                EXPECT_EQ(b->GetRect(), Rect(50 + 100 * int(i % 5), 50 + 100 * int(i / 5), 100, 100));
                // A known, loaded picture for materials; a name that is no resource gives none.
                EXPECT_EQ(b->mButtonImage != nullptr, c.kind == 1) << i;
                EXPECT_EQ(b->mLabel, "");
            }
            Press(list, EditorSelectList::ID_FORWARD);
            app->ProcessSafeDeletes();
        }
        EXPECT_EQ(list->mPage, int(c.pages.size()) - 1);
        editor->RemoveWidget(list);
        delete list;
        editor->mPickList = nullptr;
    }
}

TEST_F(EditorSelectListTest, CharactersShowFourteenCharactersOfTheName)
{
    app->npcTable.clear();
    app->npcTable[4] = {4, "Abcdefghijklmnopqrst", "NPC_1", {}};
    app->npcTable[9] = {9, "Short", "NPC_2", {}};
    EditorSelectList* list = Make(3);
    ASSERT_EQ(list->mRowButtons.size(), 2u);
    EXPECT_EQ(list->mRowButtons[0]->mLabel, "Abcdefghijklmn");
    EXPECT_EQ(list->mRowButtons[1]->mLabel, "Short");
    EXPECT_EQ(list->mRowButtons[0]->mButtonImage, nullptr);
}

// A record whose Id is a page button's pages like it; any other record is chosen, whatever its
// page: the editor gets the tag and the Id and closes the list.
TEST_F(EditorSelectListTest, PageIdsPageAndChoicesComeFromAnyPage)
{
    std::vector<int> ids;
    for (int i = 1; i <= 24; ++i)
        ids.push_back(i);
    ids.push_back(10002);
    WriteMaterials(ids);
    WriteBlueprints(1, {3});
    DataEditor* blueprints = Open(4);
    Press(blueprints, 1);
    Press(blueprints, DataEditor::ID_BP_CHOICE + 3);
    EditorSelectList* list = blueprints->mPickList;
    ASSERT_NE(list, nullptr);
    Press(list, EditorSelectList::ID_FORWARD);
    ASSERT_EQ(Ids(list), (std::vector<int>{21, 22, 23, 24, 10002}));
    Click(list->mRowButtons.back());  // pages forward: there is no third page
    app->ProcessSafeDeletes();
    EXPECT_EQ(list->mPage, 1);
    EXPECT_EQ(blueprints->mPickList, list);

    Click(list->mRowButtons[1]);
    EXPECT_EQ(blueprints->mPickList, nullptr);
    EXPECT_EQ(app->blueprintTable[1].materialQty, (std::map<int32_t, int32_t>{{22, 4}}));
}

} // namespace
