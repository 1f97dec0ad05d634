// The character dialog, panel 8 of the game screen, made once with the game screen and kept for
// the whole game. It holds which character the player talks to and about which quest step, and
// carries the quest engine: which quests unlock, which targets are met, which quest a character
// offers and what handing a step in takes from the player. The engine keeps nothing of its own:
// it works on the current profile's quest map and the dialog fields below. The dialog draws
// nothing by itself: the place screen it is opened over draws it.
#pragma once

#include "game/world/GamePanel.h"
#include "widgets/ButtonListener.h"

#include <cstddef>
#include <string>

namespace Quor {

class ButtonWidget;
class MissionHouse;
class MissionReward;
struct NpcSpeech;
struct QuestEntry;
struct QuestRecord;
struct QuestState;

class Mission : public GamePanel, public ButtonListener {
public:
    enum { ID_OK = 1, ID_NEXT = 2, ID_CLOSE = 999 };
    // The notify ids of the step effects.
    enum {
        NOTIFY_ACCEPT_DONE = 50001,  // the accept follow-up ended: hand in target 0
        NOTIFY_ACCEPT = 50002,       // the accept effect ended: the follow-up
        NOTIFY_STEP_DONE = 50003,    // a middle step or the fireworks ended: hand in
        NOTIFY_FIREWORK = 50004,     // the next firework
    };
    static constexpr int kFireworks = 11;  // launched by the final step before its hand-in

    explicit Mission(GamePhase* owner);
    // Frees the reward screen, if any; the buttons go with the panel.
    ~Mission() override;

    // The character of a country's place slot greets the player over the place screen.
    void OpenNpcDialog(int country, int slot, MissionHouse* opener);
    // The same over the open place screen (panel 5).
    void OpenNpcDialog(int country, int slot) override;
    // Ends the dialog: the reward screen is freed after the current update, the fields are
    // reset, the buttons leave and the place screen slides away.
    void CloseNpcDialog();
    void DrawNpcDialog(Graphics* g);
    // Picks a random character of the slot and any of its speeches; speech -1 when the slot
    // has no character or the character no speech.
    void PickIdleSpeech();
    // Chooses the mode and the buttons for the current speech and shows its first line.
    void SetDialogMode();
    // The speech record being shown; null for none.
    const NpcSpeech* CurrentSpeech() const;
    // The Award screen moved past an award: the reward screen goes on with the next entry.
    void ShowNextReward() override;

    void OnNotify(int id) override;
    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

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

    MissionHouse* mOpener = nullptr;        // not owned
    MissionReward* mRewardScreen = nullptr; // owned; a child of the game screen while open
    ButtonWidget* mOkButton;                // owned through the panel
    ButtonWidget* mCloseButton;
    ButtonWidget* mNextButton;
    int mDialogMode = 1;   // 1 OK, 2 OK and close, 3 next and close, 4 OK
    int mSpeech = -1;      // speech Id of the character; -1 shows no character
    int mPage = -1;        // line of the speech shown
    int mFireworksLeft = 0;

private:
    void OpenRewardScreen();
    void RemoveButtons();
    void LaunchFirework();
    // An invisible effect that ends after the time with the notify id.
    void StartTimer(double seconds, int notifyId);
    // Effect entry fxId of the game data at x, y, posting the id when its cels have played;
    // without that entry, an invisible one-second timer of the same id.
    void StartStepEffect(int fxId, int x, int y, int notifyId);
    // Hands in the dialog's target and goes on with the speech of Prop[propIndex] of that target.
    void HandInAndContinue(int propIndex);

    bool ConditionHolds(const QuestEntry& entry, int finishedQuestId);
    void RebuildQuestList() override;
    // Prop[n] of an entry; a shorter list writes a log line naming the quest and answers false.
    bool Prop(const QuestRecord& quest, const QuestEntry& entry, std::size_t n, int& value) const;
};

} // namespace Quor
