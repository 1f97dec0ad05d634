// The mini-games driven headless: the fixture archive written loose with pictures of their own
// for the names the mini-game screen shows, a game screen whose factory, head-up display and
// tutorial frame are recording stand-ins and whose mini-game screen records its tutorial events,
// a recipe of three materials with the sample tuning, and a scripted player that reads the
// chute and clicks through the widget manager. Shared by the tests of every mini-game.
#pragma once

#include "tests/game/shell/GameFixture.h"
#include "tests/game/shell/ProfileFixture.h"

#include "game/minigames/MgSkeleton.h"
#include "game/minigames/MgUi.h"
#include "game/shell/DCapResource.h"
#include "game/shell/ResourceBinding.h"
#include "game/shell/GameApp.h"
#include "game/world/GamePanel.h"
#include "game/world/GamePhase.h"
#include "game/world/GetReward.h"
#include "game/world/Mission.h"
#include "graphics/MemoryImage.h"
#include "tests/support/GoldenImage.h"
#include "platform/Sys.h"
#include "sound/MusicInterface.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quortest {

// What the game around the mini-game saw: panels opened and closed, the head-up display's
// calls, tutorial events, sounds and music.
struct Outside {
    std::vector<std::string> calls;
    std::vector<int> tutorEvents;
    std::vector<int> samples;
    std::vector<std::string> music;
    int Count(int sample) const { return int(std::count(samples.begin(), samples.end(), sample)); }
    bool Has(const std::string& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }
};

class MiniGameMusic : public Quor::MusicInterface {
public:
    explicit MiniGameMusic(Outside* outside) : mOutside(outside) {}
    bool LoadMusic(int id, const std::string& file) override
    {
        (void)id;
        mOutside->music.push_back(file);
        return true;
    }
    Outside* mOutside;
};

class MiniGameApp : public ProfileApp {
public:
    Outside outside;
    MiniGameApp() { mMusicInterface = new MiniGameMusic(&outside); }
    void PlaySample(int id) override { outside.samples.push_back(id); }
    void Popup(const std::string& text) override { std::fprintf(stderr, "popup: %s\n", text.c_str()); }
};

// A panel of the game that only records what the mini-game screen asks of it.
class PanelProbe : public Quor::GamePanel {
public:
    PanelProbe(Quor::GamePhase* owner, int id, int extra, Outside* outside) : GamePanel(owner), mId(id), mOutside(outside)
    {
        mOutside->calls.push_back("open " + std::to_string(id) + " " + std::to_string(extra));
    }
    void SetShown(bool shown) override { mOutside->calls.push_back(std::string("hud shown ") + (shown ? "1" : "0")); }
    void ShowMoneyEffect() override { mOutside->calls.push_back("money effect"); }
    int mId;
    Outside* mOutside;
};

// The character dialog with its quest-target checks recorded.
class MissionProbe : public Quor::Mission {
public:
    MissionProbe(Quor::GamePhase* owner, Outside* outside) : Mission(owner), mOutside(outside) {}
    void UpdateQuestTargets() override
    {
        mOutside->calls.push_back("quest targets");
        Mission::UpdateQuestTargets();
    }
    Outside* mOutside;
};

// The mini-game screen with its tutorial events recorded.
class HostProbe : public Quor::MgUi {
public:
    HostProbe(Quor::GamePhase* owner, int id, Outside* outside) : MgUi(owner, id), mOutside(outside) {}
    void PassTutorEvent(int id) override
    {
        mOutside->tutorEvents.push_back(id);
        MgUi::PassTutorEvent(id);
    }
    Outside* mOutside;
};

class MiniGamePhase : public Quor::GamePhase {
public:
    MiniGamePhase(Quor::GameApp* app, Outside* outside) : GamePhase(app), mOutside(outside) {}

protected:
    Quor::GamePanel* MakePanel(int id, int extra) override
    {
        switch (id) {
        case Quor::PANEL_MINI_GAME:
            return new HostProbe(this, extra, mOutside);
        case Quor::PANEL_MISSION:
            return new MissionProbe(this, mOutside);
        case Quor::PANEL_FACTORY:
        case Quor::PANEL_INFO:
        case Quor::PANEL_TUTOR:
            return new PanelProbe(this, id, extra, mOutside);
        default:
            return nullptr;
        }
    }

private:
    Outside* mOutside;
};

// The sample tuning of the tests: start 1, a level per 4 rows, cap 5, speeds 150-180, 15 less a level.
inline void SampleTuning(Quor::MiniGameTuning& t)
{
    t.m4LvStart = 1;
    t.m4LvUpQty = 4;
    t.m4LvMax = 5;
    t.m4BasicSpeed2 = 150;
    t.m4BasicSpeed3 = 160;
    t.m4BasicSpeed4 = 170;
    t.m4BasicSpeed5 = 180;
    t.m4LvSpeed = 15;
}

// Painting's test tuning: cups of 2 pixels a tick, 10.5 s of play, level passes out of reach.
inline void PaintTuning(Quor::MiniGameTuning& t)
{
    t.m3BasicSpeed = 100;
    t.m3MulSpeed = 0.5;
    t.m3Time = 10.5;
    t.m3Lv1Pass = 100;
    t.m3Lv2Pass = 200;
}

// Conveyor's test tuning: speeds 10, 14 and 18 a second along a belt of 800 pixels, a minute of
// play, 3 s a wrong click, levels at 3 and 6 and the perfect end at 9.
inline void ConveyorTuning(Quor::MiniGameTuning& t)
{
    t.m1BasicSpeed1 = 10;
    t.m1BasicSpeed2 = 14;
    t.m1BasicSpeed3 = 18;
    t.m1Distance = 800;
    t.m1Time = 60;
    t.m1TimeDeduct = 3;
    t.m1Lv1Pass = 3;
    t.m1Lv2Pass = 6;
    t.m1Lv3Pass = 9;
}

// Refine Shaping's test tuning: 90 s of play, a dollar a second left.
inline void ShapingTuning(Quor::MiniGameTuning& t)
{
    t.m2Time = 90;
    t.m2BonusMulti = 1;
}

// Glaze Selection's test tuning: passes 2, 4 and 6, three chances, bowls open 1.5 s, covers
// dropping over 2.0 - 0.3 x level s, 5 s off the clock a wrong pick.
inline void GlazeTuning(Quor::MiniGameTuning& t)
{
    t.m5Lv1Pass = 2;
    t.m5Lv2Pass = 4;
    t.m5Lv3Pass = 6;
    t.m6Chance = 3;
    t.m6Prepare = 1.5;
    t.m5TimeDropBowl = 2.0;
    t.m5TimeDropBowlLvMulti = 0.3;
    t.m5TimeDeduct = 5;
}

class MiniGameTest : public ProfileTest {
protected:
    static constexpr int kProduct = 1;

    void TearDown() override
    {
        if (app) {
            app->RemoveScreen(Quor::SCREEN_QUIT);
            app->RemoveScreen(Quor::SCREEN_GAME);
            app->ProcessSafeDeletes();
            app->resourceManager->DeleteResources("");
            app.reset();
        }
        plat::SetDebugOutputSink(nullptr);
        if (!mOldDir.empty())
            std::filesystem::current_path(mOldDir);
        ProfileTest::TearDown();
    }

    // The archive's files loose in a temporary folder, "Init", "Sound" and "Fx" loaded, one
    // profile standing in England with its factory making product 1 of materials 1-3, the sample
    // tuning, no tutorial, and the game screen open. A game's test may add files of its own.
    void Start(int materials = 3, const std::function<void(std::vector<paktool::PakEntry>&)>& moreFiles = {})
    {
        mOldDir = std::filesystem::current_path();
        std::vector<paktool::PakEntry> entries = GameArchiveEntries();
        GivePicture(entries, "res_game_main", "GM_BG_FACTORY", 1024, 768,
                    [](int x, int y) { return 0xFF000000u | uint32_t((x / 4) << 16) | uint32_t((y / 3) << 8) | 0x30u; });
        GivePicture(entries, "res_mg", "MG_READY", 240, 90, [](int x, int y) { return (x / 20 + y / 15) % 2 ? 0xFFE0C020u : 0xFF402000u; });
        GivePicture(entries, "res_mg", "MG_RESULT_BG", 560, 330, [](int, int) { return 0xFFF0E8D0u; });
        GivePicture(entries, "res_mg", "MG_1_PERFECT", 300, 60, [](int, int) { return 0xFFFF4040u; });
        GivePicture(entries, "res_fx", "FX_C_MISSION_FIN", 170, 30, [](int x, int) { return 0xFF000000u | uint32_t((x % 10) * 25) << 8; });
        const uint32_t colours[] = {0xFFD03030u, 0xFF30B030u, 0xFF3050E0u, 0xFFE0E030u, 0xFFB030B0u};
        for (int m = 1; m <= 5; ++m)
            GivePicture(entries, "res_game_main", "S_" + std::to_string(m), 74, 74,
                        [c = colours[m - 1]](int x, int y) { return (x < 4 || y < 4) ? 0xFF000000u : c; });
        GivePicture(entries, "res_game_main", "PD_1", 96, 96, [](int x, int y) { return ((x - 48) * (x - 48) + (y - 48) * (y - 48)) < 2000 ? 0xFFF8F8F0u : 0u; });
        const char* mg4[] = {"ui_bg", "ui_bg_c", "clock", "clock_pin", "wheel_0", "wheel_1", "wheel_2", "Mini3_smoke", "p_break", "logo"};
        const int sizes[][2] = {{1024, 768}, {360, 225}, {170, 170}, {18, 80}, {176, 176}, {176, 176}, {176, 176}, {64, 64}, {128, 128}, {300, 80}};
        for (int i = 0; i < 10; ++i) {
            const int w = sizes[i][0], h = sizes[i][1];
            entries.push_back({std::string("images\\mg_4\\") + mg4[i] + ".png",
                               PngBytes(w, h,
                                        [i, w, h](int x, int y) -> uint32_t {
                                            if (i == 0)  // a frame round the play field, clear inside
                                                return (x < 8 || y < 8 || x >= w - 8 || y >= h - 8) ? 0xFF806040u : 0u;
                                            if (i >= 4 && i <= 6)  // wheels with a spoke to show the turn
                                                return (std::abs(x - w / 2) < 6 || ((x - w / 2) * (x - w / 2) + (y - h / 2) * (y - h / 2)) > 80 * 80)
                                                           ? 0xFF303030u
                                                           : 0xFF909090u;
                                            return 0xFF000000u | uint32_t(i * 24) << 16 | uint32_t(x * 255 / w) << 8 | uint32_t(y * 255 / h);
                                        }),
                               0});
        }
        if (moreFiles)
            moreFiles(entries);
        WriteGameFilesLoose(mFiles.Path(), entries);
        std::filesystem::current_path(mFiles.Path());

        app = std::make_unique<MiniGameApp>();
        app->mSoundManager = new MemorySoundManager();
        app->mWidgetManager->SetMouseMapping(Quor::Rect(0, 0, 1024, 768), Quor::Rect(0, 0, 1024, 768));
        app->mWidgetManager->mImage = &mScreen;
        mScreen.Create(1024, 768);
        for (const char* manifest : Quor::GameApp::kResourceManifests)
            ASSERT_TRUE(app->resourceManager->ParseResourcesFile(manifest)) << manifest;
        Quor::DCapResource* rm = app->resourceManager;
        ASSERT_TRUE(rm->LoadResources("Init") && Quor::BindInitResources(rm));
        ASSERT_TRUE(rm->LoadResources("Sound") && Quor::BindSoundResources(rm));
        ASSERT_TRUE(rm->LoadResources("Fx") && Quor::BindFxResources(rm));

        for (int m = 1; m <= 5; ++m)
            app->sourceTable[m] = Quor::SourceRecord{m, "Material " + std::to_string(m), "S_" + std::to_string(m), 5};
        Quor::BlueprintRecord recipe{kProduct, "Sunrise Plate", "PD_1", 0, {}, {}};
        for (int m = 1; m <= materials; ++m)
            recipe.materialQty[m] = 1;
        app->blueprintTable[kProduct] = recipe;
        Quor::FXDef closing;
        closing.id = 4;
        closing.img = Quor::ResourceIdByName("FX_C_MISSION_FIN");
        closing.frame = 17;
        closing.timePerLoop = 0.68;
        closing.playTime = 1;
        closing.holdTime = -999.0;
        app->fxDefs = Quor::FXDefList{closing};
        SampleTuning(app->miniGameTuning);

        app->CreateDefaultProfile("Player");
        Profile().tutorialStep = Quor::TutorialFinished;
        Profile().country = 0;
        Profile().money = 500;
        Profile().factories[0] = Quor::FactoryState{0, kProduct, true, false};
        Profile().production = {Quor::ProductionRecord{0, kProduct, 1, 2, 0}};
        app->mUpdateCount = 0;

        phase = new MiniGamePhase(app.get(), &app->outside);
        ASSERT_TRUE(phase->IsUsable());
        app->screens[Quor::SCREEN_GAME] = phase;
        phase->Resize(0, 0, 1024, 768);
        app->mWidgetManager->AddWidget(phase);
    }

    // Points the manifest entry of a name at a picture of its own.
    static void GivePicture(std::vector<paktool::PakEntry>& entries, const std::string& manifest, const std::string& name,
                            int w, int h, const std::function<uint32_t(int, int)>& pixel)
    {
        for (paktool::PakEntry& entry : entries) {
            if (entry.name != "properties\\" + manifest + ".xml")
                continue;
            std::string body(entry.data.begin(), entry.data.end());
            const std::string from = "id=\"" + name + "\" path=\"img\\pic.png\"";
            const size_t at = body.find(from);
            ASSERT_NE(at, std::string::npos) << name;
            body.replace(at, from.size(), "id=\"" + name + "\" path=\"img\\" + name + ".png\"");
            entry.data.assign(body.begin(), body.end());
        }
        entries.push_back({"fixture\\img\\" + name + ".png", PngBytes(w, h, pixel), 0});
    }

    // The whole screen drawn by the widget manager against tests/data/minigames/<name>.png
    // (QUOR_UPDATE_GOLDEN=1 rewrites it); "" when they match.
    std::string CompareScreen(const std::string& name)
    {
        return quortest::CompareWithGolden(quortest::DataFile("minigames/" + name + ".png"),
                                           quortest::DrawWholeScreen(*app->mWidgetManager), 1024, 768);
    }

    // Waits for the reward popup's OK button to fade in and presses it; false when it never shows.
    bool PressRewardOk(Quor::GetReward* popup)
    {
        if (!TickUntil([&] { return popup->mOkButton->mVisible && popup->mOkButton->mParent == phase; }, 200))
            return false;
        Click(popup->mOkButton);
        return true;
    }

    // Loose pictures "images/mg_1/s_1.png" to "s_5.png" of the size, a colour each with a black
    // top and left edge, for the games that load their materials by path.
    static void GiveMaterialPictures(std::vector<paktool::PakEntry>& entries, int size)
    {
        const uint32_t colours[] = {0xFFD03030u, 0xFF30B030u, 0xFF3050E0u, 0xFFE0E030u, 0xFFB030B0u};
        for (int m = 1; m <= 5; ++m)
            entries.push_back({"images\\mg_1\\s_" + std::to_string(m) + ".png",
                               PngBytes(size, size, [c = colours[m - 1]](int x, int y) { return (x < 3 || y < 3) ? 0xFF000000u : c; }),
                               0});
    }
    // Effect 2 of the effect data, the result display the games close with.
    void GiveResultEffect()
    {
        Quor::FXDef result;
        result.id = 2;
        result.img = Quor::ResourceIdByName("FX_C_MISSION_FIN");
        result.frame = 17;
        result.timePerLoop = 0.68;
        result.playTime = 1;
        result.holdTime = -999.0;
        app->fxDefs->push_back(result);
    }

    Quor::PlayerProfile& Profile() { return app->GetCurrentProfile(); }
    Outside& Seen() { return app->outside; }

    // Opens the mini-game screen with the number, as the factory does.
    HostProbe* Open(int number)
    {
        phase->ShowPanel(Quor::PANEL_MINI_GAME, number);
        return Host();
    }
    HostProbe* Host() { return dynamic_cast<HostProbe*>(phase->mPanels[Quor::PANEL_MINI_GAME]); }

    // One game-screen tick (two application updates), then the deferred deletions.
    void Tick(int count = 1)
    {
        for (int i = 0; i < 2 * count; ++i) {
            ++app->mUpdateCount;
            app->mWidgetManager->UpdateFrame();
            app->ProcessSafeDeletes();
        }
    }
    // Ticks until the condition holds; false after the limit.
    template <class Pred>
    bool TickUntil(Pred pred, int limit = 20000)
    {
        for (int i = 0; i < limit; ++i) {
            if (pred())
                return true;
            Tick();
        }
        return pred();
    }
    void ClickAt(int x, int y)
    {
        Quor::WidgetManager& m = *app->mWidgetManager;
        m.MouseMove(x, y);
        m.MouseDown(x, y, 1);
        m.MouseUp(x, y, 1);
    }
    void Click(Quor::Widget* widget)
    {
        Quor::Rect r = widget->GetRect();
        ClickAt(r.mX + r.mWidth / 2, r.mY + r.mHeight / 2);
    }

    TempDir mFiles;
    std::filesystem::path mOldDir;
    std::unique_ptr<MiniGameApp> app;
    Quor::MemoryImage mScreen;
    MiniGamePhase* phase = nullptr;
};

} // namespace quortest
