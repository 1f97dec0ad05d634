// A game screen without resources around the character dialog: the quest tables and the profile
// are filled by each test, the head-up display is a stand-in that counts its rebuilds, and the
// sounds played are recorded.
#pragma once

#include "game/shell/GameApp.h"
#include "game/world/GamePanel.h"
#include "game/world/GamePhase.h"
#include "game/world/Mission.h"
#include "tests/game/shell/ProfileFixture.h"

#include <memory>
#include <utility>
#include <vector>

namespace quortest {

class QuestApp : public ProfileApp {
public:
    std::vector<int> samples;
    void PlaySample(int id) override { samples.push_back(id); }
    // The screen is built without its picture group on purpose.
    void ReportResourceError(bool exitProgram) override { (void)exitProgram; }
};

// The head-up display: counts how often the open-quest list and the sub-panel are rebuilt.
class HudStandIn : public Quor::GamePanel {
public:
    using GamePanel::GamePanel;
    void RebuildQuestList() override { ++listRebuilds; }
    void Rebuild(int questId, int targetIndex) override { rebuilds.emplace_back(questId, targetIndex); }
    int listRebuilds = 0;
    std::vector<std::pair<int, int>> rebuilds;
};

inline Quor::QuestEntry Entry(int type, std::vector<int32_t> prop)
{
    Quor::QuestEntry entry(type, "", "");
    entry.Prop = std::move(prop);
    return entry;
}

class QuestTest : public ProfileTest {
protected:
    void SetUp() override
    {
        ProfileTest::SetUp();
        app = std::make_unique<QuestApp>();
        app->CreateDefaultProfile("Player");
        phase = new Quor::GamePhase(app.get());
        mission = new Quor::Mission(phase);
        hud = new HudStandIn(phase);
        phase->mPanels[Quor::PANEL_MISSION] = mission;
        phase->mPanels[Quor::PANEL_INFO] = hud;
    }
    void TearDown() override
    {
        delete phase;
        app.reset();
        ProfileTest::TearDown();
    }

    Quor::PlayerProfile& Profile() { return app->GetCurrentProfile(); }
    Quor::QuestRecord& Quest(int id, int weight = 0)
    {
        Quor::QuestRecord& quest = app->questTable[id];
        quest.Id = id;
        quest.Weight = weight;
        return quest;
    }
    // Unlocks the quest with all targets open, or with the given ones done.
    Quor::QuestState& Unlock(int id, std::vector<int> done = {})
    {
        Quor::QuestState& state = Profile().quests[id];
        state = Quor::QuestState();
        state.questId = id;
        for (std::size_t i = 0; i < app->questTable[id].Target.size(); ++i)
            state.targets[int32_t(i)] = false;
        for (int index : done)
            state.targets[index] = true;
        return state;
    }
    bool Done(int quest, int target) { return Profile().quests.at(quest).targets.at(target); }

    std::unique_ptr<QuestApp> app;
    Quor::GamePhase* phase = nullptr;  // owns the panels
    Quor::Mission* mission = nullptr;
    HudStandIn* hud = nullptr;
};

} // namespace quortest
