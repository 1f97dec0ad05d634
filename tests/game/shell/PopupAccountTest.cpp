// The profile popup driven through the widget manager: first start on the name page, typing a
// name, the 15-character limit, deleting a slot (files written only when the popup closes),
// buttons that ignore an unnamed profile, and the shown values.
#include "tests/game/shell/GameFixture.h"
#include "tests/game/shell/ProfileFixture.h"

#include "game/shell/DCapResource.h"
#include "game/shell/PopupAccount.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

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
        for (const paktool::PakEntry& entry : quortest::GameArchiveEntries()) {
            std::string path = entry.name;
            std::replace(path.begin(), path.end(), '\\', '/');
            std::filesystem::create_directories((mFiles.Path() / path).parent_path());
            quortest::WriteFile(mFiles.File(path), entry.data);
        }
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
