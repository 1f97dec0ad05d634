// What the quest editor knows about the entries of a quest's three lists (targets, conditions,
// rewards) by list and type: names and type-button labels, the Props a new or retyped entry
// gets, the limits OK enforces, the value the pick list fills in, and the caption and speech
// lines drawn for the selected entry.
#pragma once

#include "game/shell/GameTables.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Quor {

// The list of a quest the editor shows.
enum QuestListKind { LIST_TARGET = 0, LIST_PREQUEST = 1, LIST_REWARD = 2 };

// The list of that kind in the quest.
std::vector<QuestEntry>& QuestList(QuestRecord& quest, int list);

// "No this type" for a type the list does not name.
const char* EntryTypeName(int list, int type);
// The label of the type button 1-7 of the list.
const char* TypeButtonLabel(int list, int type);

// The entry a new row of the list starts as ("Add T").
QuestEntry NewQuestEntry(int list, const GameTables& tables);
// The Props of an entry given this type; a middle target is neither the first nor the last of
// its quest. A smallest Id of an empty table is 0.
std::vector<int32_t> DefaultProps(int list, int type, bool middleTarget, const GameTables& tables);

// A money Prop, whose field is twice as wide.
bool IsMoneyProp(int list, int type, std::size_t prop);
// The value OK puts in place of a Prop outside its limit; nothing when it is inside or the Prop
// has no limit (an empty table gives no replacement).
std::optional<int32_t> PropReplacement(int list, int type, std::size_t prop, int32_t value, const GameTables& tables);

// The pick list an entry of this type takes its value from (PickListKind), or 0 for none.
int PickListFor(int list, int type);
// The Prop the picked value goes to, or -1.
int PickedProp(int list, int type);

// The caption rows drawn for the entry, one per Prop it has ("" where a named record is missing).
std::vector<std::string> EntryCaptions(int list, const QuestEntry& entry, const GameTables& tables);

// The speech rows of a talk target at this place in the quest's target list: the header, then a
// placeholder line per speech Prop (Prop[3] on) the target has.
std::vector<std::string> SpeechLines(const QuestEntry& target, std::size_t place, std::size_t targets);

} // namespace Quor
