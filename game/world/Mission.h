// The character dialog, panel 8 of the game screen, made once with the game screen and kept for
// the whole game. It holds which character the player talks to and about which quest step, and
// carries the quest engine: which quests unlock, which targets are met, which quest a character
// offers and what handing a step in takes from the player. The engine keeps nothing of its own:
// it works on the current profile's quest map and the dialog fields below.
#pragma once

#include "game/world/GamePanel.h"

#include <cstddef>

namespace Quor {

struct QuestEntry;
struct QuestRecord;
struct QuestState;

class Mission : public GamePanel {
public:
    explicit Mission(GamePhase* owner);

    // Unlocks every quest without an entry whose conditions all hold. With a quest id, a
    // condition on a finished quest holds only when it names that quest; with -1 it looks the
    // named quest up in the quest map.
    void CheckQuestUnlocks(int finishedQuestId) override;
    // Evaluates the delivery, material, money and production targets of every running quest,
    // each quest on its own copy of the stock, and sets or clears their done flags.
    void UpdateQuestTargets() override;
    // Marks the sell targets that this one sale meets (sales are not added up).
    void CheckSaleTargets(int productId, int quantity) override;
    // Stores the flag's value, has the open-quest list rebuilt and, for true, plays the
    // step-finished effect and sound.
    void SetTargetDone(bool* flag, bool value);
    // The quest the character at place npcId offers, or -1: first a quest whose next talk step
    // is at that place (a quest starts only at its first character), the heavier first and the
    // lower id on a tie; then, unless offeredOnly, a quest with a talk step done there.
    int FindOfferedQuest(int npcId, bool offeredOnly) override;
    // The speech the dialog's character says about the quest, or -1; stores the target index
    // talked about and the character to show.
    int PickQuestSpeech(int questId);
    // Completes talk target targetIndex of the dialog's quest: takes what the targets it hands
    // in ask for (all of it or, when any of them cannot be paid, nothing) and sets it done; the
    // last talk step finishes the quest. True when the step was handed in.
    bool HandInQuest(QuestState& state, int targetIndex);

    int mCountry = -1;      // country index of the character
    int mSlot = -1;         // character slot: 0 cellar, 1 supplier, 2 mission house
    int mQuestId = -1;      // quest spoken about; -1 for an idle speech
    int mTargetIndex = -1;  // quest target the speech belongs to
    int mCharacterId = -1;  // character record to show for that target
    bool mHandedIn = false; // a hand-in happened since the dialog was opened

private:
    bool ConditionHolds(const QuestEntry& entry, int finishedQuestId);
    void RebuildQuestList() override;
    // Prop[n] of an entry; a shorter list writes a log line naming the quest and answers false.
    bool Prop(const QuestRecord& quest, const QuestEntry& entry, std::size_t n, int& value) const;
};

} // namespace Quor
