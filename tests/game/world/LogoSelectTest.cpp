// The company identity screen driven through the widget manager: where its controls lie, what
// each press writes into the profile, the name field, OK saving the profile (read back from its
// file) and bringing the main menu back, indices a damaged profile file brings in, and the screen
// drawn on a memory screen.
#include "tests/game/shell/MenuFixture.h"

#include "game/shell/MainMenu.h"
#include "game/shell/ProfileFile.h"
#include "game/world/LogoSelect.h"
#include "tests/support/GoldenImage.h"
#include "widgets/EditWidget.h"

#include <filesystem>

using namespace Quor;

namespace {

std::vector<uint8_t> Solid(int w, int h, uint32_t colour)
{
    return quortest::PngBytes(w, h, [colour](int, int) { return colour; });
}

class LogoSelectTest : public quortest::MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        app->standIns.erase(SCREEN_LOGO);
        // Logo k is 100 + k pixels wide, so that a drawing tells which one it shows.
        Write("images/logo/bg.png", quortest::PngBytes(1024, 768, [](int x, int y) {
                  return (x / 32 + y / 32) % 2 ? 0xFF3A3050u : 0xFF463C60u;
              }));
        for (int k = 0; k < 8; ++k) {
            const std::string n = std::to_string(k);
            const uint32_t shade = 0xFF000000u | uint32_t(0x40 + k * 0x14) << 8 | 0x600000u;
            Write("images/logo/" + n + ".png", Solid(100 + k, 120, shade));
            Write("images/logo/icon" + n + ".png", Solid(40, 40, 0xFF0000A0u + uint32_t(k * 0x14) * 0x10000u));
            const LogoSelect::Rgb c = LogoSelect::kColours[k];
            const uint32_t rgb = 0xFF000000u | uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | uint32_t(c.blue);
            Write("images/logo/color" + n + ".png", Solid(24, 24, rgb));
            Write("images/logo/color" + n + "_o.png", quortest::PngBytes(24, 24, [rgb](int x, int y) {
                      return x < 2 || y < 2 || x >= 22 || y >= 22 ? 0xFFFFFFFFu : rgb;
                  }));
        }
        Write("images/menu_acc/btn_ok.png", Solid(136, 48, 0xFF30A040u));
        Write("images/menu_acc/btn_ok_o.png", Solid(136, 48, 0xFF50C060u));
        Write("images/menu_acc/btn_ok_c.png", Solid(136, 48, 0xFF208030u));
        PlayerProfile& p = app->GetCurrentProfile();
        p.name = "Mira";
        p.DeveloperFlag = true;
        p.logo.companyName.clear();
    }
    void Write(const std::string& path, const std::vector<uint8_t>& png)
    {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        quortest::WriteFile(path, png);
    }
    LogoSelect* OpenLogo() { return Open<LogoSelect>(SCREEN_LOGO); }
    ButtonWidget* Button(LogoSelect* screen, int id)
    {
        if (id == LogoSelect::ID_OK)
            return screen->mOkButton;
        if (id >= LogoSelect::ID_LOGO_PREV)
            return screen->mArrowButtons[id - LogoSelect::ID_LOGO_PREV];
        return screen->mColourButtons[size_t(id)];
    }
    void Type(const std::string& text)
    {
        for (char c : text)
            app->mWidgetManager->KeyChar(c);
    }
    CompanyLogo& Logo() { return app->GetCurrentProfile().logo; }
};

TEST_F(LogoSelectTest, TheControlsLieWhereTheScreenPutsThem)
{
    LogoSelect* screen = OpenLogo();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->GetRect(), Rect(0, 0, 1024, 768));
    EXPECT_EQ(screen->mWidgets.front(), screen->mBackdrop);
    EXPECT_EQ(screen->mBackdrop->GetRect(), Rect(0, 0, 1024, 768));
    EXPECT_EQ(screen->mOkButton->GetRect(), Rect(444, 526, 136, 48));
    const Rect arrows[6] = {{200, 260, 8, 4}, {347, 260, 8, 4}, {410, 260, 8, 4},
                            {525, 260, 8, 4}, {585, 285, 8, 4}, {685, 285, 8, 4}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(screen->mArrowButtons[i]->mId, LogoSelect::ID_LOGO_PREV + i);
        EXPECT_EQ(screen->mArrowButtons[i]->GetRect(), arrows[i]) << i;
    }
    ASSERT_EQ(screen->mColourButtons.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(screen->mColourButtons[size_t(i)]->GetRect(), Rect(590 + 28 * i, 340, 24, 24)) << i;
    EXPECT_EQ(screen->mNameField->GetRect(), Rect(583, 213, 206, 34));
    EXPECT_EQ(screen->mNameField->mMaxChars, 10);
    EXPECT_EQ(screen->mNameField->mId, LogoSelect::ID_NAME);
}

TEST_F(LogoSelectTest, EveryPressChangesTheProfileAtOnceWithinItsRangeAndClicks)
{
    LogoSelect* screen = OpenLogo();
    ASSERT_NE(screen, nullptr);
    struct Press {
        int id;
        int logo, icon, font;
        const char* fontName;
        int colour;
        LogoSelect::Rgb rgb;
    };
    const Press presses[] = {
        {LogoSelect::ID_LOGO_PREV, 0, 0, 0, "FONT_T14", 0, {255, 0, 0}},  // at 0: nothing
        {LogoSelect::ID_LOGO_NEXT, 1, 0, 0, "FONT_T14", 0, {255, 0, 0}},
        {LogoSelect::ID_LOGO_NEXT, 2, 0, 0, "FONT_T14", 0, {255, 0, 0}},
        {LogoSelect::ID_ICON_NEXT, 2, 1, 0, "FONT_T14", 0, {255, 0, 0}},
        {LogoSelect::ID_ICON_PREV, 2, 0, 0, "FONT_T14", 0, {255, 0, 0}},
        {LogoSelect::ID_ICON_PREV, 2, 0, 0, "FONT_T14", 0, {255, 0, 0}},
        {LogoSelect::ID_FONT_PREV, 2, 0, 0, "FONT_T14", 0, {255, 0, 0}},
        {LogoSelect::ID_FONT_NEXT, 2, 0, 1, "FONT_B18", 0, {255, 0, 0}},
        {LogoSelect::ID_FONT_NEXT, 2, 0, 2, "FONT_DEFAULT", 0, {255, 0, 0}},
        {LogoSelect::ID_FONT_NEXT, 2, 0, 3, "FONT_S14", 0, {255, 0, 0}},
        {7, 2, 0, 3, "FONT_S14", 7, {255, 255, 255}},
        {6, 2, 0, 3, "FONT_S14", 6, {0, 0, 0}},
        {2, 2, 0, 3, "FONT_S14", 2, {255, 239, 24}},
        {LogoSelect::ID_FONT_NEXT, 2, 0, 4, "FONT_S16_L", 2, {255, 239, 24}},
        {LogoSelect::ID_FONT_NEXT, 2, 0, 5, "FONT_G9", 2, {255, 239, 24}},
        {LogoSelect::ID_FONT_NEXT, 2, 0, 5, "FONT_G9", 2, {255, 239, 24}},  // at the last: nothing
        {LogoSelect::ID_FONT_PREV, 2, 0, 4, "FONT_S16_L", 2, {255, 239, 24}},
    };
    app->samples.clear();
    int count = 0;
    for (const Press& p : presses) {
        SCOPED_TRACE(count);
        Click(Button(screen, p.id));
        ++count;
        const CompanyLogo& l = Logo();
        EXPECT_EQ(l.logoIndex, p.logo);
        EXPECT_EQ(l.secondIndex, p.icon);
        EXPECT_EQ(l.fontIndex, p.font);
        EXPECT_EQ(l.fontName, p.fontName);
        EXPECT_EQ(l.colorIndex, p.colour);
        EXPECT_EQ(l.red, p.rgb.red);
        EXPECT_EQ(l.green, p.rgb.green);
        EXPECT_EQ(l.blue, p.rgb.blue);
        EXPECT_EQ(app->Count(SE_UI_CLICK), count);
    }
    for (int i = 0; i < 9; ++i) {
        Click(Button(screen, LogoSelect::ID_LOGO_NEXT));
        Click(Button(screen, LogoSelect::ID_ICON_NEXT));
    }
    EXPECT_EQ(Logo().logoIndex, 7);
    EXPECT_EQ(Logo().secondIndex, 7);
}

TEST_F(LogoSelectTest, TheNameKeepsTenCharactersAndOkSavesTheFieldAndOpensTheMenu)
{
    LogoSelect* screen = OpenLogo();
    ASSERT_NE(screen, nullptr);
    Click(Button(screen, LogoSelect::ID_LOGO_NEXT));
    Click(Button(screen, LogoSelect::ID_LOGO_NEXT));
    Click(Button(screen, LogoSelect::ID_ICON_NEXT));
    for (int i = 0; i < 3; ++i)
        Click(Button(screen, LogoSelect::ID_FONT_NEXT));
    Click(Button(screen, 2));
    Click(screen->mNameField);
    // The fixture's font has the glyphs A and B only.
    Type("ABABABAB");
    EXPECT_EQ(screen->mNameField->mString, "ABABABAB");
    EXPECT_EQ(Logo().companyName, "ABABABAB");
    app->mWidgetManager->KeyDown(8);  // backspace
    EXPECT_EQ(screen->mNameField->mString, "ABABABA");
    Type("BBBBB");  // the eleventh character and on are not taken
    EXPECT_EQ(screen->mNameField->mString, "ABABABABBB");
    EXPECT_EQ(Logo().companyName, "ABABABABBB");
    for (int i = 0; i < 3; ++i)
        app->mWidgetManager->KeyDown(8);
    EXPECT_EQ(screen->mNameField->mString, "ABABABA");
    EXPECT_EQ(Logo().companyName, "ABABABAB");  // copied before the last key

    app->samples.clear();
    Click(screen->mOkButton);
    EXPECT_EQ(app->Count(SE_UI_CLICK), 1);
    EXPECT_EQ(app->screens[SCREEN_LOGO], nullptr);
    EXPECT_FALSE(InManager(screen));
    auto* menu = dynamic_cast<MainMenu*>(app->screens[SCREEN_MAIN_MENU]);
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(InManager(menu));
    EXPECT_EQ(menu->GetRect(), Rect(0, 0, app->mWidth, app->mHeight));
    Step();

    PlayerProfile saved;
    const std::vector<uint8_t> bytes = quortest::ReadFile(SavePath(0));
    ASSERT_TRUE(DecodePlayerProfile(bytes.data(), bytes.size(), saved));
    EXPECT_EQ(saved.logo.logoIndex, 2);
    EXPECT_EQ(saved.logo.secondIndex, 1);
    EXPECT_EQ(saved.logo.fontIndex, 3);
    EXPECT_EQ(saved.logo.fontName, "FONT_S14");
    EXPECT_EQ(saved.logo.colorIndex, 2);
    EXPECT_EQ((std::vector<int>{saved.logo.red, saved.logo.green, saved.logo.blue}), (std::vector<int>{255, 239, 24}));
    EXPECT_EQ(saved.logo.companyName, "ABABABA");  // the field, taken at OK
}

TEST_F(LogoSelectTest, IndicesPastThePicturesFromAFileShowTheFirstAndStayUntilChanged)
{
    CompanyLogo& logo = Logo();
    logo.logoIndex = 12;
    logo.secondIndex = 15;
    logo.fontIndex = 9;
    logo.colorIndex = 8;
    // What the profile reader makes of such a file: the four-bit values as they are.
    PlayerProfile read;
    const std::vector<uint8_t> bytes = EncodePlayerProfile(app->GetCurrentProfile(), true);
    ASSERT_TRUE(DecodePlayerProfile(bytes.data(), bytes.size(), read));
    ASSERT_EQ(read.logo, logo);

    LogoSelect* screen = OpenLogo();
    ASSERT_NE(screen, nullptr);
    const std::vector<std::string> calls = DrawCalls(screen);
    auto drawn = [&](const std::string& call) { return std::find(calls.begin(), calls.end(), call) != calls.end(); };
    EXPECT_TRUE(drawn("Blt 405,406 src 0,0,100,120")) << "the card shows logo 0";
    EXPECT_TRUE(drawn("Blt 416,464 src 0,0,40,40")) << "and an icon at the default offset";
    EXPECT_EQ(LogoSelect::CompanyFont(9), FONT_T14);
    EXPECT_EQ((std::vector<int>{logo.logoIndex, logo.secondIndex, logo.fontIndex}), (std::vector<int>{12, 15, 9}));

    // "Previous" from what is shown (0) changes nothing; "next" moves on from it.
    Click(Button(screen, LogoSelect::ID_LOGO_PREV));
    EXPECT_EQ(logo.logoIndex, 12);
    Click(Button(screen, LogoSelect::ID_LOGO_NEXT));
    Click(Button(screen, LogoSelect::ID_FONT_NEXT));
    EXPECT_EQ(logo.logoIndex, 1);
    EXPECT_EQ(logo.fontIndex, 1);
    EXPECT_EQ(logo.fontName, "FONT_B18");
}

TEST_F(LogoSelectTest, TheCompanyScreenWithFontThreeAndColourTwoDrawsAsStored)
{
    LogoSelect* screen = OpenLogo();
    ASSERT_NE(screen, nullptr);
    Click(Button(screen, LogoSelect::ID_LOGO_NEXT));
    for (int i = 0; i < 3; ++i)
        Click(Button(screen, LogoSelect::ID_FONT_NEXT));
    Click(Button(screen, 2));
    Click(screen->mNameField);
    Type("ABBA");
    app->mWidgetManager->MouseMove(5, 5);
    Step();
    std::vector<uint32_t> px = quortest::DrawWholeScreen(*app->mWidgetManager);
    EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile("world/company_font3_colour2.png"), px, 1024, 768), "");
}

} // namespace
