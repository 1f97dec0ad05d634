// What the game-screen tests share: a game on the fixture files loose in a temporary folder with
// one profile and a memory screen, stand-in panels that record their ticks, draws and calls into
// one trace, and a game screen that makes stand-ins for the panels a test does not want real.
#pragma once

#include "tests/game/shell/GameFixture.h"
#include "tests/game/shell/ProfileFixture.h"

#include "game/shell/DCapResource.h"
#include "game/shell/FXObject.h"
#include "game/world/GamePanel.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/MemoryImage.h"
#include "platform/Sys.h"
#include "sound/MusicInterface.h"
#include "widgets/ButtonListener.h"
#include "widgets/ButtonWidget.h"
#include "widgets/WidgetManager.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace worldtest {

using namespace Quor;

using Trace = std::vector<std::string>;

inline std::vector<std::string> gLog;
inline void CaptureLog(const char* text)
{
    gLog.emplace_back(text);
}

class RecordingMusic : public MusicInterface {
public:
    std::vector<std::string> loads;
    bool LoadMusic(int id, const std::string& file) override
    {
        loads.push_back(std::to_string(id) + " " + file);
        return true;
    }
};

// The game with its popups written to standard error for the parent of a death test, and the
// sound effects it plays recorded.
class WorldApp : public quortest::ProfileApp {
public:
    RecordingMusic* music = new RecordingMusic();
    std::vector<int> samples;  // every sound played, in order
    WorldApp() { mMusicInterface = music; }
    void PlaySample(int id) override
    {
        samples.push_back(id);
        ProfileApp::PlaySample(id);
    }
    void Popup(const std::string& text) override { std::fprintf(stderr, "popup: %s\n", text.c_str()); }
    void PlaySampleVolumePan(int id, int pan, double volume) override
    {
        samples.push_back(id);
        ProfileApp::PlaySampleVolumePan(id, pan, volume);
    }
};

// Everything the stand-ins share: the trace, the panels freed, the notices received.
struct Record {
    Trace trace;
    std::set<int> freed;
    std::vector<std::pair<int, int>> notices;  // panel, id
    int offeredQuest = -1;  // what the stand-in dialog's FindOfferedQuest answers
    int factoryColumns[4] = {0, 0, 0, 0};  // what the stand-in display's factory columns show
    std::vector<int> unlockDays;  // the profile's day at each quest check
    bool unseen = false;  // the stand-ins draw nothing (their draws are still traced)
};

// A panel that writes its ticks and draws into the trace and paints a rectangle of its own.
class StandIn : public GamePanel, public ButtonListener {
public:
    StandIn(GamePhase* owner, int id, Record* record) : GamePanel(owner), mId(id), mRecord(record) {}
    ~StandIn() override { mRecord->freed.insert(mId); }

    void Tick(double dt) override
    {
        EXPECT_DOUBLE_EQ(dt, 0.02);
        ++mTicks;
        mRecord->trace.push_back("t" + std::to_string(mId));
        if (mOnTick)
            mOnTick(*this);
        mAfterCall = true;
    }
    void Draw(Graphics* g) override
    {
        mRecord->trace.push_back("d" + std::to_string(mId));
        if (mRecord->unseen)
            return;
        g->SetColor(Color((mId * 53) % 256, (mId * 97) % 256, (255 - mId * 31 % 256 + 256) % 256));
        g->FillRect(mId * 9, mId * 7, 60, 44);
    }
    void DrawDimLayer(Graphics* g) override
    {
        mRecord->trace.push_back("dim");
        if (mRecord->unseen)
            return;
        g->SetColor(Color(0, 0, 0, 128));
        g->FillRect(0, 0, mWidth / 2, mHeight);
    }
    bool IsTravelRunning() override { return mTravel; }
    void SetText(const std::string& text, int x, int y) override
    {
        mRecord->trace.push_back("note " + text + " " + std::to_string(x) + " " + std::to_string(y));
    }
    void OnNotify(int id) override { mRecord->notices.emplace_back(mId, id); }
    void SetShown(bool shown) override { mRecord->trace.push_back("shown " + std::to_string(shown)); }
    bool TutorPassEvent(int event) override
    {
        mRecord->trace.push_back("tutor " + std::to_string(event));
        return false;
    }
    void OpenNpcDialog(int country, int slot) override
    {
        mRecord->trace.push_back("npc " + std::to_string(country) + " " + std::to_string(slot));
    }
    int FindOfferedQuest(int npcId, bool offeredOnly) override
    {
        mRecord->trace.push_back("offered " + std::to_string(npcId) + " " + std::to_string(offeredOnly));
        return mRecord->offeredQuest;
    }
    void AttachDialog(int country, int slot, GamePanel* dialog) override
    {
        mRecord->trace.push_back("attach " + std::to_string(country) + " " + std::to_string(slot) + " " +
                                 std::to_string(dialog == mOwner->mPanels[PANEL_MISSION]));
    }
    void ShowNextReward() override { mRecord->trace.push_back("next reward"); }
    void CheckQuestUnlocks(int finishedQuestId) override
    {
        mRecord->trace.push_back("unlocks " + std::to_string(finishedQuestId));
        mRecord->unlockDays.push_back(mOwner->mProfile->day);
    }
    void UpdateQuestTargets() override { mRecord->trace.push_back("targets"); }
    void RefreshSlots() override { mRecord->trace.push_back("slots " + std::to_string(mId)); }
    void RefreshOffers() override { mRecord->trace.push_back("offers " + std::to_string(mId)); }
    void FocusLost() override { mRecord->trace.push_back("focus lost " + std::to_string(mId)); }
    void RefreshFactoryStatus() override { mRecord->trace.push_back("factory status"); }
    void RefreshInventory() override { mRecord->trace.push_back("inventory"); }
    void ShowProductionResult() override { mRecord->trace.push_back("show"); }
    int FactoryColumnState(int column) override { return mRecord->factoryColumns[column & 3]; }
    void ButtonDepress(int id) override
    {
        (void)id;
        if (mOnButton)
            mOnButton(*this);
        mAfterCall = true;  // the panel's own code goes on after it closed
    }

    int mId;
    Record* mRecord;
    int mTicks = 0;
    bool mTravel = false;
    bool mAfterCall = false;
    std::function<void(StandIn&)> mOnTick;
    std::function<void(StandIn&)> mOnButton;
};

// The game screen with stand-ins for every panel it makes.
// The panels of the ids in real are the game's own.
class StandInPhase : public GamePhase {
public:
    StandInPhase(GameApp* app, Record* record, std::set<int> real = {})
        : GamePhase(app), mRecord(record), mReal(std::move(real))
    {
    }
    StandIn* Panel(int id) { return dynamic_cast<StandIn*>(mPanels[id]); }

protected:
    GamePanel* MakePanel(int id, int extra) override
    {
        if (mReal.count(id))
            return GamePhase::MakePanel(id, extra);
        return new StandIn(this, id, mRecord);
    }

private:
    Record* mRecord;
    std::set<int> mReal;
};

// An effect that writes its draws into the trace.
class TracedEffect : public FXObject {
public:
    TracedEffect(Image* image, Trace* trace)
        : FXObject(100, 70, 16, 16, image, 1, true, -1, 0, 1.0, kNoHoldTime, 0.0, kDeriveNotifyTime), mTrace(trace)
    {
    }
    void Draw(Graphics* g) override
    {
        mTrace->push_back("fx");
        FXObject::Draw(g);
    }
    Trace* mTrace;
};


// The fixture's files loose in a folder made the current one, the start-up group loaded, one
// profile, and a memory screen for the widget manager.
class WorldTest : public quortest::ProfileTest {
protected:
    void TearDown() override
    {
        if (app) {
            app->RemoveScreen(SCREEN_GAME);
            app->ProcessSafeDeletes();
            app->resourceManager->DeleteResources("Init");
            app.reset();
        }
        plat::SetDebugOutputSink(nullptr);
        if (!mOldDir.empty())
            std::filesystem::current_path(mOldDir);
        ProfileTest::TearDown();
    }

    // brokenName: a "GameMain" image whose file is missing.
    void Start(const quortest::GameArchiveOptions& options = {}, const std::string& brokenName = "")
    {
        mOldDir = std::filesystem::current_path();
        std::vector<paktool::PakEntry> entries = quortest::GameArchiveEntries(options);
        for (paktool::PakEntry& entry : entries) {
            if (brokenName.empty() || entry.name != "properties\\res_game_main.xml")
                continue;
            std::string body(entry.data.begin(), entry.data.end());
            const std::string from = "id=\"" + brokenName + "\" path=\"img\\pic.png\"";
            ASSERT_NE(body.find(from), std::string::npos);
            body.replace(body.find(from), from.size(), "id=\"" + brokenName + "\" path=\"img\\gone.png\"");
            entry.data.assign(body.begin(), body.end());
        }
        for (paktool::PakEntry& entry : entries) {
            if (entry.name.rfind("properties\\res_", 0) != 0)
                continue;
            std::string body(entry.data.begin(), entry.data.end());
            for (const auto& [name, png] : mPictures) {
                const std::string from = "id=\"" + name + "\" path=\"img\\pic.png\"";
                if (size_t at = body.find(from); at != std::string::npos)
                    body.replace(at, from.size(),
                                 "id=\"" + name + "\" path=\"img\\" + name + ".png\"" + mPictureAttributes[name]);
            }
            entry.data.assign(body.begin(), body.end());
        }
        for (const auto& [name, png] : mPictures)
            entries.push_back({"fixture\\img\\" + name + ".png", png, 0});
        quortest::WriteGameFilesLoose(mFiles.Path(), entries);
        std::filesystem::current_path(mFiles.Path());
        app = std::make_unique<WorldApp>();
        app->mSoundManager = MakeSoundManager();
        app->mWidgetManager->SetMouseMapping(Rect(0, 0, 1024, 768), Rect(0, 0, 1024, 768));
        app->mWidgetManager->mImage = &mScreen;
        mScreen.Create(1024, 768);
        for (const char* manifest : GameApp::kResourceManifests)
            ASSERT_TRUE(app->resourceManager->ParseResourcesFile(manifest)) << manifest;
        ASSERT_TRUE(app->resourceManager->LoadResources("Init") && BindInitResources(app->resourceManager));
        app->CreateDefaultProfile("Player");
        Profile().tutorialStep = 5;
        app->mUpdateCount = 0;
    }

    PlayerProfile& Profile() { return app->GetCurrentProfile(); }
    // Gives the sounds their own ids, so that a test can tell them apart.
    void LoadSounds()
    {
        ASSERT_TRUE(app->resourceManager->LoadResources("Sound") && BindSoundResources(app->resourceManager));
    }
    // The sound manager the game gets at the start.
    virtual SoundManager* MakeSoundManager() { return new quortest::MemorySoundManager(); }

    // Opens the game screen as screen 1 of the application.
    template <class Phase>
    Phase* Enter(Phase* phase)
    {
        app->screens[SCREEN_GAME] = phase;
        phase->Resize(0, 0, 1024, 768);
        app->mWidgetManager->AddWidget(phase);
        return phase;
    }
    StandInPhase* EnterWithStandIns(bool everySlot)
    {
        StandInPhase* phase = Enter(new StandInPhase(app.get(), &record));
        if (everySlot)
            for (int id : {2, 3, 4, 5, 6, 9, 10, 11, 12, 13, 14, 16})
                phase->ShowPanel(id, 0);
        return phase;
    }
    void Leave()
    {
        app->RemoveScreen(SCREEN_GAME);
        app->ProcessSafeDeletes();
    }
    // One application update with the given count.
    void UpdateAt(int count)
    {
        app->mUpdateCount = count;
        app->mWidgetManager->UpdateFrame();
    }
    void Redraw(GamePhase* phase)
    {
        phase->mDirty = true;
        app->mWidgetManager->DrawScreen();
    }
    // A screen without "GameMain": no panel even when asked for every one, no tick, no drawing.
    void ExpectInert(StandInPhase* phase)
    {
        EXPECT_FALSE(phase->IsUsable());
        for (int id = 1; id < PANEL_SLOTS; ++id)
            phase->ShowPanel(id, 0);
        for (GamePanel* panel : phase->mPanels)
            EXPECT_EQ(panel, nullptr);
        phase->mDirty = false;
        UpdateAt(2);
        EXPECT_FALSE(phase->mDirty);
        Redraw(phase);
        EXPECT_TRUE(record.trace.empty());
        EXPECT_EQ(mScreen.GetBits()[0], 0u);  // not even the black fill
    }
    void CheckFailedGameMain(const quortest::GameArchiveOptions& options, const std::string& broken,
                             const char* message);
    void Click(Widget* button)
    {
        Rect r = button->GetRect();
        WidgetManager& m = *app->mWidgetManager;
        m.MouseMove(r.mX + r.mWidth / 2, r.mY + r.mHeight / 2);
        m.MouseDown(r.mX + r.mWidth / 2, r.mY + r.mHeight / 2, 1);
        m.MouseUp(r.mX + r.mWidth / 2, r.mY + r.mHeight / 2, 1);
    }

    // Pictures of their own for some resource names (the others share the fixture's one).
    std::map<std::string, std::vector<uint8_t>> mPictures;
    // Manifest attributes of those pictures (cels, animation), " name=\"value\"" each.
    std::map<std::string, std::string> mPictureAttributes;
    quortest::TempDir mFiles;
    std::filesystem::path mOldDir;
    std::unique_ptr<WorldApp> app;
    MemoryImage mScreen;
    Record record;
};

// A "GameMain" that cannot be loaded or bound ends the program outside the main loop; inside it
// the report returns and the screen stays inert.
inline void WorldTest::CheckFailedGameMain(const quortest::GameArchiveOptions& options, const std::string& broken,
                                   const char* message)
{
    Start(options, broken);
    EXPECT_EXIT(
        {
            new GamePhase(app.get());
            std::exit(0);
        },
        ::testing::ExitedWithCode(1), message);

    app->mIsInMainLoop = true;
    StandInPhase* phase = EnterWithStandIns(false);
    EXPECT_TRUE(app->loadFailed);
    EXPECT_EQ(app->exitStatus, 1);
    ExpectInert(phase);
}

} // namespace worldtest
