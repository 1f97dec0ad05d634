// The reward screen of a quest step: walks the Reward entries of the quest whose selector
// (Prop[0]) is the talk target just handed in, shows each with its picture and caption and pays
// it when the player presses OK. An award hands over to the award screen, which brings the walk
// back here when it closes; a tutorial step hands the player over to the tutorial and ends the
// walk. It belongs to the character dialog, which frees it when the dialog closes.
#pragma once

#include "game/world/RewardView.h"
#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Quor {

class ButtonWidget;
class GamePhase;
struct GameTables;
class Image;
struct PlayerProfile;
struct QuestEntry;
struct QuestRecord;

// A reward as a list: the kind first, then its values from position 1 on, as a quest's Reward
// entry holds them after its selector.
std::vector<int32_t> RewardValues(const QuestEntry& entry);
// Whether the values the kind reads are there and name what the game data (or, for a factory,
// the player) has; with the reason for the log when not.
bool RewardIsKnown(const GameTables& tables, const PlayerProfile& profile, const std::vector<int32_t>& values,
                   std::string* why);

class MissionReward : public Widget, public ButtonListener {
public:
    enum { ID_OK = 999 };
    static constexpr int kCaptionWidth = 340;

    MissionReward(GamePhase* owner, const QuestRecord* quest, int selector);
    // Frees the picture and "GameReward" and takes the OK button out of the game screen.
    ~MissionReward() override;

    // Moves to the next entry of the selector at or after the current index and shows it; false
    // when nothing is left (the dialog closes), or the award screen or the tutorial took over.
    bool ShowNextReward();
    // Pays one entry to the player; nothing for an entry of another selector.
    void ApplyReward(int index);
    // The caption and the picture of one entry.
    void RewardCaption(Graphics* g, int index);
    void LoadRewardPicture(int index);

    void Update() override;
    void Draw(Graphics* g) override;
    void FadeInDone() override;
    void FadeOutDone() override;
    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    GamePhase* mOwner;  // not owned
    ButtonWidget* mOkButton;
    Image* mPicture = nullptr;  // owned
    bool mStarted = false;
    bool mGroupLoaded = false;
    bool mShown = false;
    const QuestRecord* mQuest;  // not owned
    int mSelector;
    int mIndex = 0;
    int mAlpha = 0;

private:
    const QuestEntry* EntryAt(int index) const;
    // Effect 2 of the game data at x, y in the game screen's effect list.
    void RewardEffect(int x, int y);
};

} // namespace Quor
