// Whole menu screens drawn by the widget manager into a 1024 x 768 memory image and compared
// pixel for pixel with the pictures under tests/data/menus (QUOR_UPDATE_GOLDEN=1 rewrites them):
// the main menu once faded in, the quit popup and the options popup over it, and the score table.
#include "tests/game/shell/MenuFixture.h"

#include "graphics/MemoryImage.h"
#include "tests/support/GoldenImage.h"

using namespace Quor;
using quortest::MenuTest;

namespace {

class MenuPicturesTest : public MenuTest {
protected:
    // Opens a screen and waits until its fade-in is over, the pointer parked off every button.
    void Settle(int id, int mode = 0)
    {
        app->ShowScreen(id, mode);
        ASSERT_NE(app->screens[id], nullptr) << id;
        for (int n = 0; n < 200 && app->screens[id]->mFadingIn; ++n)
            Step();
        Step(60);
        app->mWidgetManager->MouseMove(0, 767);
    }
    // The whole screen as the widget manager draws it, against tests/data/menus/<name>.png.
    std::string CompareScreen(const std::string& name)
    {
        return quortest::CompareWithGolden(quortest::DataFile("menus/" + name + ".png"),
                                           quortest::DrawWholeScreen(*app->mWidgetManager), 1024, 768);
    }
};

TEST_F(MenuPicturesTest, MenuScreens)
{
    app->GetCurrentProfile().name = "Mira";
    std::srand(7);
    Settle(SCREEN_MAIN_MENU);
    EXPECT_EQ(CompareScreen("main_menu"), "");

    Settle(SCREEN_QUIT, 1);
    EXPECT_EQ(CompareScreen("quit"), "");
    app->RemoveScreen(SCREEN_QUIT);
    app->ProcessSafeDeletes();

    Settle(SCREEN_OPTION);
    EXPECT_EQ(CompareScreen("options"), "");
    app->RemoveScreen(SCREEN_OPTION);
    app->RemoveScreen(SCREEN_MAIN_MENU);
    app->ProcessSafeDeletes();

    Settle(SCREEN_SCORE);
    EXPECT_EQ(CompareScreen("score_table"), "");
}

} // namespace
