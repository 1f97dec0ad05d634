// What the character-dialog, reward and quest-list tests share: the game screen on the fixture
// files with the real dialog and place screen and recording stand-ins for the other panels (the
// country screen hears of the pending place, the head-up display of the money effect, the
// tutorial frame of the events), sample characters and a quest of four steps, and frames with
// an injected update count.
#pragma once

#include "tests/game/world/WorldFixture.h"

#include "game/quests/MissionReward.h"
#include "game/shell/GameApp.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/ParticleSystem.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/Mission.h"
#include "game/world/MissionHouse.h"

#include <algorithm>
#include <cstdlib>

namespace missiontest {

using namespace Quor;
using worldtest::StandIn;
using worldtest::StandInPhase;

inline QuestEntry Entry(int type, std::vector<int32_t> prop, const std::string& subDes = "")
{
    QuestEntry entry(type, "", subDes);
    entry.Prop = std::move(prop);
    return entry;
}

inline NpcSpeech Speech(int id, int type, std::vector<std::string> lines)
{
    NpcSpeech speech;
    speech.Id = id;
    speech.Type = type;
    speech.Des = std::move(lines);
    return speech;
}

class MissionTest : public worldtest::WorldTest {
protected:
    static constexpr int kQuest = 5;
    static constexpr int kCellar = 10;  // the place id of England's cellar

    // The game screen with the real dialog and place screen; England's cellar keeps Ann (1),
    // who gives quest 5: accept (0), deliver ten plates (1), report (2), finish (3).
    void StartGame(int tutorialStep = TutorialFinished)
    {
        Start();
        for (auto [group, bind] : {std::pair{"Fx", &BindFxResources}, {"Sound", &BindSoundResources}})
            ASSERT_TRUE(app->resourceManager->LoadResources(group) && bind(app->resourceManager)) << group;
        ParticleSystem::SetRandomState(1);
        Profile().tutorialStep = tutorialStep;
        Profile().name = "ABBA";
        Profile().money = 1000;
        app->countryMapTable[0].Id = 0;
        app->countryMapTable[0].Name = "England";
        app->countryMapTable[0].npcSlots = {{0, 1}, {2, 2}};
        NpcRecord& ann = app->npcTable[1];
        ann.Id = 1;
        ann.Name = "Ann";
        ann.Img = "NPC_1";
        for (NpcSpeech speech : {Speech(0, 1, {"AB AB"}), Speech(1, 2, {"ABBA AB %name"}), Speech(2, 1, {"BA"}),
                                 Speech(3, 1, {"AAA"}), Speech(4, 4, {"BBB"}), Speech(5, 1, {"BAB"}),
                                 Speech(6, 4, {"A"}), Speech(7, 1, {"B"})})
            ann.Speech[speech.Id] = speech;
        QuestRecord& quest = app->questTable[kQuest];
        quest.Id = kQuest;
        quest.Des = "ABBA BA";
        quest.Target = {Entry(5, {kCellar, 1, -1, 1, 2}, "AB"), Entry(1, {1, 0, 0, 10}, "ABB"),
                        Entry(5, {kCellar, 1, 1, 3, 4, 5}, "BA"), Entry(5, {kCellar, 1, 2, 3, 6, 7}, "BB")};
        app->sourceTable[1].Id = 1;
        app->sourceTable[1].Name = "BA";
        app->sourceTable[1].Img = "S_1";
        app->blueprintTable[1].Id = 1;
        app->blueprintTable[1].Name = "AB";
        app->blueprintTable[1].Img = "PD_1";
        phase = Enter(new StandInPhase(app.get(), &record, {PANEL_MISSION, PANEL_MISSION_HOUSE}));
        dialog = dynamic_cast<Mission*>(phase->mPanels[PANEL_MISSION]);
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override
    {
        if (app) {
            Leave();
            for (const char* group : {"Fx", "Sound"}) {
                app->resourceManager->DeleteResources(group);
                UnbindResourceGroup(group);
            }
        }
        WorldTest::TearDown();
    }
    // A picture file below the game's folder, as the screens load them by path.
    void AddPictureFile(const std::string& path, int width, int height, uint32_t colour)
    {
        std::filesystem::create_directories((mFiles.Path() / path).parent_path());
        quortest::WriteFile((mFiles.Path() / path).string(),
                            quortest::PngBytes(width, height, [colour](int, int) { return colour; }));
    }
    // The quest unlocked with the given targets done.
    void Unlock(std::vector<int> done)
    {
        QuestState& state = Profile().quests[kQuest];
        state = QuestState();
        state.questId = kQuest;
        for (int i = 0; i < 4; ++i)
            state.targets[i] = std::find(done.begin(), done.end(), i) != done.end();
    }
    // The effect definitions of the accept effects (and the reward sparkle).
    void AddStepEffects()
    {
        FXDefList defs;
        for (auto [id, frames, time] : {std::tuple{2, 1, 3.0}, {4, 17, 0.68}, {5, 8, 0.8}}) {
            FXDef def;
            def.id = id;
            def.img = ResourceIdByName("FX_C_REWARD_UP");
            def.frame = frames;
            def.timePerLoop = time;
            def.playTime = 1;
            def.holdTime = -999;
            defs.push_back(def);
        }
        app->fxDefs = defs;
    }
    // The place screen of a slot with the dialog, as the country screen opens it.
    MissionHouse* OpenHouse(int country, int slot)
    {
        phase->ShowPanel(PANEL_MISSION_HOUSE, country);
        auto* house = dynamic_cast<MissionHouse*>(phase->mPanels[PANEL_MISSION_HOUSE]);
        EXPECT_NE(house, nullptr);
        house->AttachDialog(country, slot, dialog);
        dialog->OpenNpcDialog(country, slot);
        return house;
    }
    // One application frame; the game screen ticks on every second one.
    void Frame()
    {
        UpdateAt(++mCount);
        app->ProcessSafeDeletes();
    }
    void Ticks(int n)
    {
        for (int i = 0; i < 2 * n; ++i)
            Frame();
    }
    // Ticks until the condition holds; the number of ticks taken, or -1 after the limit.
    template <class Condition>
    int TicksUntil(Condition done, int limit = 2000)
    {
        for (int n = 0; n < limit; ++n) {
            if (done())
                return n;
            Ticks(1);
        }
        return -1;
    }
    bool InTree(Widget* widget) { return phase->HasWidget(widget); }
    std::vector<int> ButtonsShown()
    {
        std::vector<int> ids;
        for (ButtonWidget* button : {dialog->mOkButton, dialog->mNextButton, dialog->mCloseButton})
            if (InTree(button))
                ids.push_back(button->mId);
        return ids;
    }
    int Played(int sample) { return int(std::count(app->samples.begin(), app->samples.end(), sample)); }
    bool Traced(const std::string& line)
    {
        return std::find(record.trace.begin(), record.trace.end(), line) != record.trace.end();
    }

    StandInPhase* phase = nullptr;
    Mission* dialog = nullptr;
    int mCount = 0;
};

} // namespace missiontest
