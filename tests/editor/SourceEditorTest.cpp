// The material editor: rows, the open material's fields, OK with its parse and bounds, and the
// Ids that cannot be opened.
#include "tests/editor/EditorFixture.h"

using namespace Quor;

namespace {

class SourceEditorTest : public quortest::EditorTest {};

TEST_F(SourceEditorTest, RowsAndOpenMaterial)
{
    WriteMaterials({3, 8, 40});
    DataEditor* editor = Open(1);
    ASSERT_EQ(editor->mLists[4].size(), 3u);
    for (int i = 0; i < 3; ++i) {
        auto* row = static_cast<ButtonWidget*>(editor->mLists[4][size_t(i)]);
        EXPECT_EQ(row->mId, std::vector<int>({3, 8, 40})[size_t(i)]);
        EXPECT_EQ(row->mLabel, "Edit");
        EXPECT_EQ(row->GetRect(), Rect(0, 60 + 18 * i, 40, 18));
    }
    EXPECT_EQ(editor->OpenId(), -1);
    EXPECT_FALSE(editor->HasWidget(editor->mLists[5][0]));

    Press(editor, 8);
    EXPECT_EQ(editor->OpenId(), 8);
    ExpectFields(editor, {{DataEditor::ID_SOURCE_NAME, Rect(500, 60, 200, 18), 50, "M8"},
                          {DataEditor::ID_SOURCE_IMG, Rect(500, 85, 200, 18), 50, "S_9"},
                          {DataEditor::ID_SOURCE_PRICE, Rect(500, 110, 100, 18), 9, "80"}});
    ButtonWidget* ok = Button(editor, DataEditor::ID_SOURCE_OK);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(editor->mWidgets.back(), ok);
    EXPECT_EQ(ok->GetRect(), Rect(500, 360, 50, 30));

    // Another row replaces the fields.
    Press(editor, 40);
    EXPECT_EQ(editor->OpenId(), 40);
    EXPECT_EQ(Field(editor, DataEditor::ID_SOURCE_NAME)->mString, "M40");
    EXPECT_EQ(editor->mWidgets.size(), 3u + 3u + 3u + 1u);
}

TEST_F(SourceEditorTest, OkParsesAndBoundsThePrice)
{
    struct Case {
        const char* name;
        const char* img;
        const char* price;
        const char* imgAfter;    // the image-name field after OK
        const char* priceAfter;  // the price field after OK
        bool applied;
        int32_t newPrice;
    };
    const Case cases[] = {
        {"N", "S_2", "0", "S_2", "1", true, 1},
        {"N", "S_2", "-5", "S_2", "1", true, 1},
        {"N", "S_2", "0x10", "S_2", "0x10", true, 16},
        {"N", "S_2", "999999999", "S_2", "999999999", true, 999999999},
        {"N", "NO_SUCH", "25", "S_4", "25", true, 25},  // the image name goes back, the rest applies
        {"N", "NO_SUCH", "12a", "S_4", "12a", false, 30},
        {"N", "S_2", "-", "S_2", "-", false, 30},
        {"N", "S_2", "0x", "S_2", "0x", false, 30},
        {"N", "S_2", "", "S_2", "", false, 30},
    };
    WriteMaterials({3});
    for (const Case& c : cases) {
        app->sourceTable[3] = {3, "M3", "S_4", 30};
        DataEditor* editor = Open(1);
        Press(editor, 3);
        Type(Field(editor, DataEditor::ID_SOURCE_NAME), c.name);
        Type(Field(editor, DataEditor::ID_SOURCE_IMG), c.img);
        Type(Field(editor, DataEditor::ID_SOURCE_PRICE), c.price);
        Press(editor, DataEditor::ID_SOURCE_OK);
        const SourceRecord& m = app->sourceTable[3];
        EXPECT_EQ(Field(editor, DataEditor::ID_SOURCE_IMG)->mString, c.imgAfter) << c.price;
        EXPECT_EQ(Field(editor, DataEditor::ID_SOURCE_PRICE)->mString, c.priceAfter) << c.price;
        EXPECT_EQ(m.Price, c.newPrice) << c.price;
        EXPECT_EQ(m.Name, c.applied ? "N" : "M3") << c.price;
        EXPECT_EQ(m.Img, c.applied ? c.imgAfter : "S_4") << c.price;
        if (c.applied)
            for (Widget* w : editor->mLists[1]) {
                EXPECT_EQ(static_cast<EditWidget*>(w)->mCursorPos, 0);
                EXPECT_EQ(static_cast<EditWidget*>(w)->mLeftPos, 0);
            }
        EXPECT_EQ(editor->OpenId(), 3);
        app->RemoveScreen(SCREEN_EDITOR);
        app->ProcessSafeDeletes();
    }
}

// Ids from 10000 are taken as commands and 998/999 as SAVE and BACK: such materials cannot be
// opened.
TEST_F(SourceEditorTest, IdsThatActAsCommands)
{
    WriteMaterials({5, 998, 10001, 10005});
    DataEditor* editor = Open(1);
    Press(editor, 5);
    Type(Field(editor, DataEditor::ID_SOURCE_PRICE), "0");
    Press(editor, 10005);
    EXPECT_EQ(editor->OpenId(), 5);
    EXPECT_EQ(app->sourceTable[5].Price, 50);
    Press(editor, 10001);  // OK
    EXPECT_EQ(editor->OpenId(), 5);
    EXPECT_EQ(app->sourceTable[5].Price, 1);

    Press(editor, 998);  // SAVE
    EXPECT_EQ(editor->OpenId(), -1);
    EXPECT_NE(Read("DataSource.xml").find("Price = \"1\""), std::string::npos);
    EXPECT_EQ(app->sourceTable[5].Price, 1);
}

} // namespace
