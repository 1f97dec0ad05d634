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
        MemoryImage image;
        image.Create(1024, 768);
        app->mWidgetManager->mImage = &image;
        app->mWidgetManager->SetDirtyFull();
        app->mWidgetManager->DrawScreen();
        app->mWidgetManager->mImage = nullptr;
        std::vector<uint32_t> pixels(image.GetBits(), image.GetBits() + 1024 * 768);
        for (uint32_t& p : pixels)
            p |= 0xFF000000u;

        const std::string golden = quortest::DataFile("editor/" + name + ".png");
        if (std::getenv("QUOR_UPDATE_GOLDEN") != nullptr) {
            ASSERT_TRUE(quortest::WritePng(golden, pixels, 1024, 768));
        }
        std::vector<uint32_t> expected;
        int w = 0;
        int h = 0;
        ASSERT_TRUE(quortest::ReadPng(golden, expected, w, h)) << golden;
        ASSERT_EQ(w, 1024);
        ASSERT_EQ(h, 768);
        size_t differing = 0;
        for (size_t i = 0; i < pixels.size(); ++i)
            differing += pixels[i] != expected[i];
        EXPECT_EQ(differing, 0u) << name;
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
