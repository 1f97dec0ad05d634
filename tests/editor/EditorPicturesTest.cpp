// Whole screens of the editor drawn by the widget manager into a 1024 x 768 memory image and
// compared pixel for pixel with the pictures under tests/data/editor (QUOR_UPDATE_GOLDEN=1
// rewrites them): the material list with a material open, the second page of blueprints with a
// blueprint open, and the pick list over it.
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

} // namespace
