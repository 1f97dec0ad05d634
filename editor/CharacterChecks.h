// The consistency checks of the character editor over the quest and character tables: speech
// sets that quests use, speech references that lead nowhere, rewards no talk pays out and
// blueprints a quest asks for before any quest gives them.
#pragma once

#include "game/shell/GameTables.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Quor {

// One problem a check found; what the three values mean depends on the check.
struct CheckRow {
    int32_t a = 0;
    int32_t b = 0;
    int32_t c = 0;

    bool operator==(const CheckRow&) const = default;
};

// Which result list the character editor shows.
enum CheckKind { CHECK_NONE = -1, CHECK_MISS = 1, CHECK_REWARD = 2, CHECK_BLUEPRINTS = 3 };

// True when a talk target (type 5) of some quest names the character (Prop[1]) and the speech
// set among its Prop[3], Prop[4], ...
bool SpeechSetInUse(const std::map<int32_t, QuestRecord>& quests, int32_t npcId, int32_t setId);

// Rows (character Id, speech set Id, quest Id): every speech set a talk target names (other than
// -1) whose character or set does not exist.
std::vector<CheckRow> CheckMissRows(const std::map<int32_t, QuestRecord>& quests,
                                    const std::map<int32_t, NpcRecord>& npcs);

// Rows (quest Id, Prop[0], reward Type): every reward whose Prop[0] is not the index of a talk
// target of its quest.
std::vector<CheckRow> CheckRewardRows(const std::map<int32_t, QuestRecord>& quests);

// Rows (quest Id, blueprint Id, target Type): every target of type 1, 4 or 7 whose blueprint is
// not yet given, walking the quests and their targets in order. Blueprint 1 is given from the
// start; a recipe reward (type 4) gives its Prop[1] once the target it is paid by is passed.
std::vector<CheckRow> CheckBlueprintRows(const std::map<int32_t, QuestRecord>& quests);

// A row as the result list shows it for that kind of check.
std::string CheckRowText(int kind, const CheckRow& row);

} // namespace Quor
