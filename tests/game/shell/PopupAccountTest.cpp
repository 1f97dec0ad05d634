// The profile popup driven through the widget manager: first start on the name page, typing a
// name, the 15-character limit, deleting a slot (files written only when the popup closes),
// buttons that ignore an unnamed profile, the shown values, where the widgets sit and how the
// popup draws.
#include "tests/game/shell/GameFixture.h"
#include "tests/game/shell/ProfileFixture.h"

#include "game/shell/DCapResource.h"
#include "game/shell/PopupAccount.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "tests/support/GoldenImage.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <tuple>

using namespace Quor;

namespace {

class PopupApp : public quortest::ProfileApp {
public:
    std::vector<int> mSamples;
    void PlaySample(int id) override { mSamples.push_back(id); }
};

// The fixture's manifests and files loose in a folder made the current one, the start-up and
// sound groups loaded, five blank profiles and the popup not yet open.
class PopupAccountTest : public quortest::ProfileTest {
protected:
    void SetUp() override
    {
        ProfileTest::SetUp();
        mOldDir = std::filesystem::current_path();
        std::vector<paktool::PakEntry> entries = quortest::GameArchiveEntries();
        ChangeFiles(entries);
        quortest::WriteGameFilesLoose(mFiles.Path(), entries);
        std::filesystem::current_path(mFiles.Path());
        app = std::make_unique<PopupApp>();
        app->mSoundManager = new quortest::MemorySoundManager();
        app->mWidgetManager->SetMouseMapping(Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 768));
        for (const char* manifest : GameApp::kResourceManifests)
            ASSERT_TRUE(app->resourceManager->ParseResourcesFile(manifest)) << manifest;
        ASSERT_TRUE(app->resourceManager->LoadResources("Init") && BindInitResources(app->resourceManager));
        ASSERT_TRUE(app->resourceManager->LoadResources("Sound") && BindSoundResources(app->resourceManager));
        for (int i = 0; i < 5; ++i)
            app->CreateDefaultProfile("");
        app->currentProfile = 0;
    }
    void TearDown() override
    {
        if (app->screens[SCREEN_ACCOUNT])
            app->RemoveScreen(SCREEN_ACCOUNT);
        app->ProcessSafeDeletes();
        app->resourceManager->DeleteResources("Init");
        app->resourceManager->DeleteResources("Sound");
        app.reset();
        std::filesystem::current_path(mOldDir);
        ProfileTest::TearDown();
    }

    // Lets a test change the fixture's files before they are written and loaded.
    virtual void ChangeFiles(std::vector<paktool::PakEntry>& entries) { (void)entries; }

    PopupAccount* Open()
    {
        app->ShowScreen(SCREEN_ACCOUNT, 0);
        auto* popup = dynamic_cast<PopupAccount*>(app->screens[SCREEN_ACCOUNT]);
        Settle(popup);
        return popup;
    }
    // Runs the popup's updates until its fade has ended.
    void Settle(PopupAccount* popup)
    {
        for (int n = 0; n < 200 && popup && (popup->mFadingIn || popup->mFadingOut); ++n)
            popup->Update();
    }
    void Click(ButtonWidget* button)
    {
        Rect r = button->GetRect();
        WidgetManager& m = *app->mWidgetManager;
        m.MouseMove(r.mX + r.mWidth / 2, r.mY + r.mHeight / 2);
        m.MouseDown(r.mX + r.mWidth / 2, r.mY + r.mHeight / 2, 1);
        m.MouseUp(r.mX + r.mWidth / 2, r.mY + r.mHeight / 2, 1);
    }
    void Type(const std::string& text)
    {
        for (char c : text)
            app->mWidgetManager->KeyChar(c);
    }

    quortest::TempDir mFiles;
    std::filesystem::path mOldDir;
    std::unique_ptr<PopupApp> app;
};

} // namespace

TEST_F(PopupAccountTest, FirstStartAsksForANameThatNamesSlotZero)
{
    PopupAccount* popup = Open();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->mPage, 3);
    EXPECT_TRUE(popup->mShown);
    EXPECT_TRUE(popup->HasWidget(popup->mNameField));
    EXPECT_EQ(app->mWidgetManager->mFocusWidget, popup->mNameField);

    Type("ABABABABABABABAB");  // 16 characters: the last is not kept
    EXPECT_EQ(popup->mNameField->mString, "ABABABABABABABA");
    app->mWidgetManager->KeyDown(13);
    EXPECT_EQ(popup->mPendingAction, PopupAccount::ID_NAME_OK);
    Settle(popup);
    EXPECT_EQ(popup->mPage, 1);
    EXPECT_EQ(app->profiles[0].name, "ABABABABABABABA");
    EXPECT_EQ(app->currentProfile, 0);
    EXPECT_TRUE(popup->HasWidget(popup->mOkButton));
    EXPECT_FALSE(popup->HasWidget(popup->mNameField));
    // Nothing is written before the popup closes.
    EXPECT_FALSE(std::filesystem::exists(PlayerProfilePath(0)));

    Click(popup->mOkButton);
    EXPECT_FALSE(popup->mShown);
    Settle(popup);
    EXPECT_EQ(app->screens[SCREEN_ACCOUNT], nullptr);
    for (int slot = 0; slot < 5; ++slot)
        EXPECT_TRUE(std::filesystem::exists(PlayerProfilePath(slot))) << slot;
    EXPECT_FALSE(app->mSamples.empty());
    EXPECT_EQ(app->mSamples.back(), SE_UI_CLICK);
}

TEST_F(PopupAccountTest, DeletingASlotMovesTheOthersUpAndSavesOnClose)
{
    for (int i = 0; i < 3; ++i)
        app->profiles[size_t(i)].name = std::string(1, char('A' + i));
    app->profiles[2].money = 77;
    PopupAccount* popup = Open();
    EXPECT_EQ(popup->mPage, 1);

    Click(popup->mSlotButtons[1]);
    EXPECT_EQ(app->currentProfile, 1);
    Click(popup->mDeleteButton);
    EXPECT_EQ(popup->mPage, 2);
    Settle(popup);
    EXPECT_TRUE(popup->HasWidget(popup->mConfirmButton));
    Click(popup->mConfirmButton);
    Settle(popup);
    EXPECT_EQ(popup->mPage, 1);
    ASSERT_EQ(app->profiles.size(), 5u);
    EXPECT_EQ(app->profiles[1].name, "C");
    EXPECT_EQ(app->profiles[1].money, 77);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(app->profiles[size_t(i)].slotIndex, i);
        if (i >= 2) {
            EXPECT_EQ(app->profiles[size_t(i)].name, "");
        }
    }
    EXPECT_EQ(app->currentProfile, 0);
    EXPECT_FALSE(std::filesystem::exists(PlayerProfilePath(1)));

    Click(popup->mOkButton);
    Settle(popup);
    PopupApp reader;
    for (int i = 0; i < 5; ++i)
        reader.CreateDefaultProfile("");
    for (int slot = 0; slot < 5; ++slot)
        ASSERT_TRUE(reader.LoadPlayerProfile(slot));
    EXPECT_EQ(reader.profiles[1].name, "C");
    EXPECT_EQ(reader.profiles[1].slotIndex, 1);
    EXPECT_EQ(reader.currentProfile, 0);
}

TEST_F(PopupAccountTest, UnnamedCurrentProfileIgnoresOkDeleteAndEdit)
{
    app->profiles[2].name = "C";
    app->currentProfile = 4;
    PopupAccount* popup = Open();
    for (ButtonWidget* button : {popup->mOkButton, popup->mDeleteButton, popup->mEditButton}) {
        Click(button);
        EXPECT_EQ(popup->mPage, 1);
        EXPECT_TRUE(popup->mShown);
        EXPECT_EQ(popup->mPendingAction, -1);
    }
    // An empty name entered on the name page makes slot 0 current and names nothing.
    Click(popup->mSlotButtons[3]);
    EXPECT_EQ(popup->mPage, 3);
    Settle(popup);
    Click(popup->mNameOkButton);
    Settle(popup);
    EXPECT_EQ(popup->mPage, 1);
    EXPECT_EQ(app->currentProfile, 0);
    EXPECT_EQ(app->profiles[3].name, "");
}

TEST_F(PopupAccountTest, ShownValuesOfTheCurrentProfile)
{
    struct Case {
        int day;
        int recipes;
        int weekday;
        int weeks;
    };
    for (const Case& c : {Case{16, 12, 3, 2}, Case{0, 0, 1, 0}, Case{6, 80, 7, 0}}) {
        app->profiles[0].name = "A";
        app->profiles[0].day = c.day;
        app->profiles[0].money = 1234;
        app->profiles[0].recipes.clear();
        for (int r = 0; r < c.recipes; ++r)
            app->profiles[0].recipes[r] = true;
        app->profiles[0].recipes[200] = false;
        PopupAccount popup(app.get());
        EXPECT_EQ(popup.mCollectionCount, c.recipes);
        EXPECT_EQ(popup.mWeekday, c.weekday);
        EXPECT_EQ(popup.mWeeks, c.weeks);
        EXPECT_EQ(popup.mMoney, 1234);
    }
}

namespace {

// The popup on pictures of its own sizes (panel 640 x 320, overlay panels 360 x 180, buttons of
// three sizes, each picture a colour of its own with a border and a clear corner) and an image
// font covering the printable characters, drawn on a 1024 x 768 memory screen and compared with
// pictures under tests/data/popup (QUOR_UPDATE_GOLDEN=1 rewrites them).
class PopupAccountPictures : public PopupAccountTest {
protected:
    struct Picture {
        const char* name;
        int w, h;
        uint32_t rgb;
    };
    static constexpr Picture kPictures[] = {
        {"MC_BG_T1", 640, 320, 0x3A6EA5},       {"MC_BG_T2", 360, 180, 0xB04A3C},
        {"MC_BG_T3", 360, 180, 0x5C9E48},       {"MC_SELECT", 170, 41, 0xF0D040},
        {"MC_SELECT_O", 170, 41, 0x40D0F0},     {"MC_BTN_OK", 80, 30, 0x2050C0},
        {"MC_BTN_OK_O", 80, 30, 0x4070E0},      {"MC_BTN_OK_C", 80, 30, 0x103080},
        {"MC_BTN_CANCEL", 96, 26, 0xC02050},    {"MC_BTN_CANCEL_O", 96, 26, 0xE04070},
        {"MC_BTN_CANCEL_C", 96, 26, 0x801030},  {"MC_BTN_DELETE", 110, 34, 0x808080},
        {"MC_BTN_DELETE_O", 110, 34, 0xA0A0A0}, {"MC_BTN_DELETE_C", 110, 34, 0x606060},
        {"MC_BTN_EDIT", 100, 34, 0x70A030},     {"MC_BTN_EDIT_O", 100, 34, 0x90C050},
        {"MC_BTN_EDIT_C", 100, 34, 0x508010},
    };
    static constexpr int kGlyphW = 6, kGlyphH = 9;

    void ChangeFiles(std::vector<paktool::PakEntry>& entries) override
    {
        std::string manifest =
            "<ResourceManifest>\n  <Resources id=\"MenuAcc\">\n    <SetDefaults path=\"acc\" idprefix=\"\"/>\n";
        for (const Picture& p : kPictures) {
            manifest += std::string("    <Image id=\"") + p.name + "\" path=\"" + p.name + ".png\"/>\n";
            // A bordered block of the colour, alpha 160 in a band across the middle, with a clear
            // 6 x 6 corner.
            entries.push_back({std::string("acc\\") + p.name + ".png", quortest::PngBytes(p.w, p.h, [p](int x, int y) {
                                   if (x < 6 && y < 6)
                                       return 0u;
                                   const bool border = x < 2 || y < 2 || x >= p.w - 2 || y >= p.h - 2;
                                   const uint32_t rgb = border ? (p.rgb >> 1) & 0x7F7F7F : p.rgb ^ uint32_t((x + y) & 8);
                                   const uint32_t a = !border && y > p.h / 3 && y < p.h / 2 ? 160 : 255;
                                   return a << 24 | rgb;
                               }),
                               0});
        }
        manifest += "  </Resources>\n</ResourceManifest>\n";

        // Glyphs of the characters ' ' to '~' (without the quote and the backslash): a pattern of
        // the character code in a 5 x 8 cell, each cell 6 wide.
        std::string chars, rects, widths;
        int n = 0;
        for (int c = 32; c < 127; ++c, ++n) {
            if (c == '\'' || c == '\\')
                continue;
            chars += std::string(" '") + char(c) + "'";
            rects += " (" + std::to_string(n * kGlyphW) + " 0 " + std::to_string(kGlyphW) + " " + std::to_string(kGlyphH) + ")";
            widths += " " + std::to_string(kGlyphW);
        }
        const int count = n;
        std::string desc = "Define Rects (" + rects + ");\nCreateLayer Main;\nLayerSetImage Main 'glyphs.png';\n" +
                           "LayerSetImageMap Main (" + chars + ") Rects;\nLayerSetCharWidths Main (" + chars + ") (" +
                           widths + ");\nLayerSetAscent Main 8;\nSetDefaultPointSize 10;\n";
        for (paktool::PakEntry& entry : entries) {
            if (entry.name == "properties\\res_menu_acc.xml")
                entry.data = quortest::Bytes(manifest);
            else if (entry.name == "fixture\\fonts\\desc.txt")
                entry.data = quortest::Bytes(desc);
            else if (entry.name == "fixture\\fonts\\glyphs.png")
                entry.data = quortest::PngBytes(count * kGlyphW, kGlyphH, [](int x, int y) {
                    const int code = 32 + x / kGlyphW, cx = x % kGlyphW;
                    const bool on = cx < 5 && y < 8 && (y == 7 || ((code * 37 + y * 5 + cx * 3) >> 2 & 1));
                    return on ? 0xFFFFFFFFu : 0u;
                });
        }
    }

    // The popup drawn over a grey gradient, compared with the named picture.
    void ExpectPicture(PopupAccount* popup, const std::string& file)
    {
        SCOPED_TRACE(file);
        constexpr int kW = 1024, kH = 768;
        MemoryImage screen(app.get());
        screen.Create(kW, kH);
        uint32_t* bits = screen.GetBits();
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x)
                bits[y * kW + x] = 0xFF000000u | uint32_t(x / 4) << 16 | uint32_t(y / 3) << 8 | 0x80;
        screen.BitsChanged();
        Graphics g(&screen);
        popup->Draw(&g);
        std::vector<uint32_t> got(screen.GetBits(), screen.GetBits() + kW * kH);
        EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile("popup/" + file), got, kW, kH), "");
    }

    // Runs n steps of the popup's fade (ten alpha steps each).
    void Steps(PopupAccount* popup, int n)
    {
        for (int i = 0; i < n; ++i)
            popup->Update();
    }
};

} // namespace

TEST_F(PopupAccountPictures, OriginAndWidgetsSitOnThePanel)
{
    app->profiles[0].name = "A";
    PopupAccount* popup = Open();
    ASSERT_NE(popup, nullptr);
    ASSERT_NE(MC_BG_T1, nullptr);
    ASSERT_EQ(MC_BG_T1->GetWidth(), 640);
    // The panel centred on the 1024 x 768 screen; the widgets placed from that corner, the slot
    // buttons where the screen says.
    EXPECT_EQ(popup->mOriginX, 192);
    EXPECT_EQ(popup->mOriginY, 224);
    struct Case {
        ButtonWidget* button;
        Rect rect;
    };
    const Case cases[] = {
        {popup->mOkButton, Rect(192 + 527, 224 + 240, 80, 30)},
        {popup->mDeleteButton, Rect(192 + 495, 224 + 20, 110, 34)},
        {popup->mEditButton, Rect(192 + 248, 224 + 20, 100, 34)},
        {popup->mConfirmButton, Rect(192 + 220, 224 + 250, 80, 30)},
        {popup->mCancelButton, Rect(192 + 340, 224 + 255, 96, 26)},
        {popup->mNameOkButton, Rect(192 + (640 - 80) / 2, 224 + 230, 80, 30)},
        {popup->mSlotButtons[0], Rect(254, 203, 170, 41)},
        {popup->mSlotButtons[4], Rect(254, 203 + 164, 170, 41)},
    };
    for (const Case& c : cases) {
        Rect r = c.button->GetRect();
        EXPECT_EQ(std::tie(r.mX, r.mY, r.mWidth, r.mHeight),
                  std::tie(c.rect.mX, c.rect.mY, c.rect.mWidth, c.rect.mHeight))
            << c.button->mId;
    }
    Rect field = popup->mNameField->GetRect();
    EXPECT_EQ(std::tie(field.mX, field.mY, field.mWidth, field.mHeight),
              std::make_tuple(192 + (640 - 150) / 2, 224 + 182, 150, 30));
}

TEST_F(PopupAccountPictures, ZoomPageOneAndOverlayDrawnAsBefore)
{
    const char* names[] = {"Ada Quill", "Bram", "Corvin Stale"};
    for (int i = 0; i < 3; ++i)
        app->profiles[size_t(i)].name = names[i];
    app->currentProfile = 1;
    PlayerProfile& current = app->profiles[1];
    current.day = 16;
    current.money = 48250;
    for (int r = 1; r <= 12; ++r)
        current.recipes[r] = true;

    app->ShowScreen(SCREEN_ACCOUNT, 0);
    auto* popup = dynamic_cast<PopupAccount*>(app->screens[SCREEN_ACCOUNT]);
    ASSERT_NE(popup, nullptr);
    // Coming in: everything zoomed about (512, 280) at alpha 120.
    Steps(popup, 12);
    ASSERT_EQ(popup->mFadeAlpha, 120);
    ASSERT_FALSE(popup->mShown);
    ExpectPicture(popup, "opening.png");

    Settle(popup);
    ASSERT_TRUE(popup->mShown);
    ExpectPicture(popup, "page1.png");

    // The deletion panel zooming in over page 1.
    Click(popup->mDeleteButton);
    Steps(popup, 17);
    ASSERT_EQ(popup->mPage, 2);
    ASSERT_EQ(popup->mFadeAlpha, 170);
    ExpectPicture(popup, "delete_zoom.png");
}
