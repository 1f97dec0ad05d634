// Arbitrary bytes read as the save file P0.dat into the running game's profile, then the head-up
// display's quest list is paged to its end, each listed quest's detail panel is opened and drawn,
// each of its reward selectors is walked on the reward screen (every entry shown, drawn and paid)
// and the help hint is drawn, all on a memory image.
#include "fuzz/MiniGameFuzz.h"
#include "game/quests/MissionFull.h"
#include "game/quests/MissionReward.h"
#include "game/quests/MissionTarget.h"
#include "game/world/InfoPanel.h"
#include "game/world/PlayerInfo.h"
#include "graphics/Graphics.h"
#include "widgets/ButtonWidget.h"

#include <cstdlib>
#include <set>

namespace {

Quor::QuestEntry Entry(int type, std::vector<int32_t> prop, const std::string& des = "Go", const std::string& sub = "")
{
    Quor::QuestEntry entry(type, des, sub);
    entry.Prop = std::move(prop);
    return entry;
}

// Quests 1-8: talk steps with deliveries, materials, money and production between them, and
// rewards of every kind the walk pays here, by selectors 0-3 (some short, some naming nothing).
void AddQuests(Quor::GameApp& app)
{
    app.npcTable[1].Id = 1;
    app.npcTable[1].Img = "NPC_1";
    app.npcTable[1].Name = "Ann";
    for (int id = 1; id <= 8; ++id) {
        Quor::QuestRecord& quest = app.questTable[id];
        quest.Id = id;
        quest.Des = "Quest " + std::to_string(id);
        quest.Target = {Entry(5, {10, 1, -1, 0, 0}, "Talk", "Meet"), Entry(1, {1, 1, 1, 5 * id}, "Bring plates"),
                        Entry(2, {id % 3 + 1, 7}), Entry(3, {100 * id}), Entry(4, {0, 1, 3, 1, 1}),
                        Entry(5, {10, 1, 1, 0, 0}, "Report"), Entry(5, {10 + id, 1}, "Short")};
        quest.Target.resize(size_t(2 + id % 6));
        quest.Reward = {Entry(1, {0, 500}), Entry(2, {1, 1, 2, 3, 9}), Entry(3, {1, 2, 40}), Entry(4, {2, 1}),
                        Entry(5, {2, 3}), Entry(7, {3, 0}), Entry(9, {3, 1}), Entry(9, {0, 2}),
                        Entry(1, {3, 2000000000}), Entry(3, {2, 99, 1}), Entry(2, {0}), Entry(1, {})};
        if (id % 2 == 0)
            quest.Reward.back().SubDes = "0";
    }
}

void Draw(quorfuzz::MiniGameRig& rig, Quor::Widget* what)
{
    Quor::Graphics g(&rig.screen);
    what->Draw(&g);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorfuzz::DataFolder folder("quor_fuzz_quests_");
    static quorfuzz::MiniGameRig* rig = [] {
        auto* made = new quorfuzz::MiniGameRig();
        for (int id = 1; id <= 3; ++id)
            made->app.sourceTable[id] = Quor::SourceRecord{id, "Material", "S_" + std::to_string(id), 10 * id};
        made->app.blueprintTable[1] = Quor::BlueprintRecord{1, "Plate", "PD_1", 0, {{1, 2}, {3, 1}}, {}};
        made->app.countryMapTable[0].Name = "England";
        made->app.countryMapTable[3].Name = "India";
        AddQuests(made->app);
        return made;
    }();
    Quor::GameApp& app = rig->app;
    Quor::GamePhase* phase = rig->phase;

    if (!rig->LoadSlot0(data, size))
        std::abort();
    Quor::InfoPanel* bar = &rig->ShownBar();
    bar->SelectTab(Quor::InfoPanel::TAB_QUESTS);
    Quor::PlayerInfo* tab = bar->QuestTab();
    Quor::MissionTarget* list = tab->mQuestList;
    tab->Rebuild(-1, -1);

    // Every page of the list, and the quests its headers name.
    std::set<int> listed;
    for (;;) {
        Draw(*rig, bar);
        for (Quor::ButtonWidget* button : list->mRowButtons)
            listed.insert(button->mId);
        const int first = list->mFirstRow;
        tab->ButtonDepress(Quor::PlayerInfo::ID_DOWN);
        if (list->mFirstRow == first)
            break;
    }
    tab->ButtonDepress(Quor::PlayerInfo::ID_UP);

    for (int id : listed) {
        list->ButtonDepress(id);
        auto* full = dynamic_cast<Quor::MissionFull*>(phase->mPanels[Quor::PANEL_MISSION_FULL]);
        if (full == nullptr)
            std::abort();
        Draw(*rig, full);
        full->ButtonDepress(Quor::MissionFull::ID_NEXT);
        full->ButtonDepress(Quor::MissionFull::ID_PREVIOUS);
        Draw(*rig, full);
        phase->ClosePanel(Quor::PANEL_MISSION_FULL);
        app.ProcessSafeDeletes();

        const Quor::QuestRecord& quest = app.questTable.at(id);
        for (int selector = 0; selector < 4; ++selector) {
            Quor::MissionReward reward(phase, &quest, selector);
            reward.Resize(0, 0, 1024, 768);
            while (reward.ShowNextReward()) {
                Quor::Graphics g(&rig->screen);
                reward.mAlpha = 255;
                reward.Draw(&g);
                reward.ApplyReward(reward.mIndex);
                ++reward.mIndex;
            }
        }
    }

    // The help hint over whatever the list holds now, at its full and its first fade.
    bar->ButtonDepress(Quor::InfoPanel::ID_HELP);
    for (int fade : {254, 255, 1}) {
        Quor::Graphics g(&rig->screen);
        tab->DrawHelp(&g, fade);
    }
    bar->ButtonDepress(Quor::InfoPanel::ID_HINT_OK);
    ++app.mUpdateCount;
    app.mWidgetManager->UpdateFrame();
    app.ProcessSafeDeletes();
    return 0;
}
