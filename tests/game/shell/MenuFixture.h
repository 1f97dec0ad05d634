// Fixture of the menu-screen tests: the fixture archive's files loose in a temporary folder made
// the current one, the groups "Init", "Sound" and "MenuPopup" loaded, five blank profiles, and
// an application that records the sounds it plays, the music it loads, the screens it opens
// (the game screen, the logo screen and the data editor as recording stand-ins) and its screen
// mode switches. Input goes through the widget manager; updates carry an injected count.
#pragma once

#include "tests/game/shell/GameFixture.h"
#include "tests/game/shell/ProfileFixture.h"
#include "tests/support/RecordingImage.h"

#include "game/shell/DCapResource.h"
#include "game/shell/GameScreenAccess.h"
#include "graphics/Graphics.h"
#include "sound/MusicInterface.h"
#include "widgets/ButtonListener.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace quortest {

class MusicRecorder : public Quor::MusicInterface {
public:
    std::vector<std::string>* files;
    explicit MusicRecorder(std::vector<std::string>* out) : files(out) {}
    bool LoadMusic(int id, const std::string& file) override
    {
        (void)id;
        files->push_back(file);
        return true;
    }
};

// Stands in for the game screen: records what the menus ask of it and of its mini-game panel.
class GameStandIn : public Quor::Widget, public Quor::GameScreenAccess, public Quor::ButtonListener {
public:
    std::vector<std::string> calls;
    bool hasMiniGame = true;
    void ReturnToMainMenu(bool save) override { calls.push_back(save ? "return saved" : "return reloaded"); }
    Quor::ButtonListener* GetMiniGameListener() override { return hasMiniGame ? this : nullptr; }
    void ShowNextQuestReward() override { calls.push_back("next reward"); }
    void ButtonDepress(int id) override { calls.push_back("mini-game " + std::to_string(id)); }
};

class StillClock : public Quor::AppClock {
public:
    uint32_t ticks = 1000;
    uint32_t GetTickCount() override { return ticks; }
};

class MenuApp : public ProfileApp {
public:
    std::vector<int> samples;
    std::vector<std::string> music;
    std::vector<std::pair<int, int>> opened;  // (screen, mode) of every ShowScreen
    std::vector<bool> modeSwitches;           // the windowed wish of every switch
    std::set<int> standIns{Quor::SCREEN_GAME, Quor::SCREEN_LOGO, Quor::SCREEN_EDITOR, Quor::SCREEN_EDITOR2};
    StillClock clock;

    MenuApp()
    {
        mMusicInterface = new MusicRecorder(&music);
        SetClock(&clock);
    }
    void PlaySample(int id) override { samples.push_back(id); }
    void SwitchScreenMode(bool wantWindowed, bool is3D, bool force) override
    {
        (void)is3D;
        (void)force;
        modeSwitches.push_back(wantWindowed);
        mWindowed = mForceFullscreen ? false : wantWindowed;
    }
    int Count(int sample) const { return int(std::count(samples.begin(), samples.end(), sample)); }

protected:
    Quor::Widget* MakeScreen(int& id, int mode) override
    {
        opened.emplace_back(id, mode);
        if (standIns.count(id))
            return id == Quor::SCREEN_GAME ? new GameStandIn() : new Quor::Widget();
        return GameApp::MakeScreen(id, mode);
    }
};

class MenuTest : public ProfileTest {
protected:
    void SetUp() override
    {
        ProfileTest::SetUp();
        mOldDir = std::filesystem::current_path();
        for (const paktool::PakEntry& entry : GameArchiveEntries()) {
            std::string path = entry.name;
            std::replace(path.begin(), path.end(), '\\', '/');
            std::filesystem::create_directories((mFiles.Path() / path).parent_path());
            WriteFile(mFiles.File(path), entry.data);
        }
        std::filesystem::current_path(mFiles.Path());
        app = std::make_unique<MenuApp>();
        app->mSoundManager = new MemorySoundManager();
        app->mWidgetManager->SetMouseMapping(Quor::Rect(0, 0, 1024, 768), Quor::Rect(0, 0, 1024, 768));
        app->mLoadingThreadCompleted = true;
        app->mWindowed = true;
        for (const char* manifest : Quor::GameApp::kResourceManifests)
            ASSERT_TRUE(app->resourceManager->ParseResourcesFile(manifest)) << manifest;
        Quor::DCapResource* rm = app->resourceManager;
        ASSERT_TRUE(rm->LoadResources("Init") && Quor::BindInitResources(rm));
        ASSERT_TRUE(rm->LoadResources("Sound") && Quor::BindSoundResources(rm));
        ASSERT_TRUE(rm->LoadResources("MenuPopup") && Quor::BindMenuPopupResources(rm));
        ASSERT_TRUE(app->LoadGameData());
        for (int i = 0; i < 5; ++i)
            app->CreateDefaultProfile("");
        app->currentProfile = 0;
    }
    void TearDown() override
    {
        app->mShutdown = false;
        for (int id = 1; id < Quor::SCREEN_SLOTS; ++id)
            app->RemoveScreen(id);
        for (Quor::Widget* widget : std::list<Quor::Widget*>(app->mWidgetManager->mWidgets)) {
            app->mWidgetManager->RemoveWidget(widget);
            app->SafeDeleteWidget(widget);
        }
        app->loadingScreen = nullptr;
        app->ProcessSafeDeletes();
        for (const char* group : {"Init", "Sound", "MenuPopup"})
            app->resourceManager->DeleteResources(group);
        app.reset();
        std::filesystem::current_path(mOldDir);
        ProfileTest::TearDown();
    }

    template <class T> T* Open(int id, int mode = 0)
    {
        app->ShowScreen(id, mode);
        return dynamic_cast<T*>(app->screens[id]);
    }
    // One application update: the widget tree, then the deferred deletions.
    void Step(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            ++app->mUpdateCount;
            app->mWidgetManager->UpdateFrame();
            app->ProcessSafeDeletes();
        }
    }
    bool InManager(Quor::Widget* widget) { return app->mWidgetManager->HasWidget(widget); }
    void Click(Quor::Widget* widget)
    {
        // Every screen lies at 0, 0: a control's rectangle is in window pixels.
        Quor::Rect r = widget->GetRect();
        ClickAt(r.mX + r.mWidth / 2, r.mY + r.mHeight / 2);
    }
    void ClickAt(int x, int y)
    {
        Quor::WidgetManager& m = *app->mWidgetManager;
        m.MouseMove(x, y);
        m.MouseDown(x, y, 1);
        m.MouseUp(x, y, 1);
    }
    // The drawing calls of one draw of a widget.
    std::vector<std::string> DrawCalls(Quor::Widget* widget)
    {
        RecordingImage screen(1024, 768);
        Quor::Graphics g(&screen);
        widget->Draw(&g);
        return screen.calls;
    }

    TempDir mFiles;
    std::filesystem::path mOldDir;
    std::unique_ptr<MenuApp> app;
};

} // namespace quortest
