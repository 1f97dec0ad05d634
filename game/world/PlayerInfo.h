// The quest tab of the head-up display: the list of the player's running quests, paged by four
// rows with an up and a down button. It also draws, for the bar whatever tab is current, the
// calendar (week and day of the game) and the help hint (the next open quest step, or a greeting).
#pragma once

#include "game/world/PanelType.h"

#include <string>

namespace Quor {

class MissionTarget;

class PlayerInfo : public PanelType {
public:
    enum { ID_UP = 1, ID_DOWN = 2 };
    static constexpr int kPageRows = 4;

    explicit PlayerInfo(GamePhase* owner);
    ~PlayerInfo() override;

    // Shown: the paging buttons and the list go into the game screen and the list is built
    // again on the page it was on.
    void SetShown(bool show) override;
    // The list is built again from its first row (the arguments are not used).
    void Rebuild(int questId, int targetIndex) override;
    void DrawCalendar(Graphics* g) override;
    void DrawHelp(Graphics* g, int fade) override;
    void Draw(Graphics* g) override;

    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    // The text the help hint shows: the Des of the first open step in the list, else the
    // greeting; empty at the tutorial step that keeps the box empty. `isStep` tells which.
    std::string HelpText(bool* isStep = nullptr) const;

    MissionTarget* mQuestList;  // owned
    ButtonWidget* mUp;
    ButtonWidget* mDown;
};

} // namespace Quor
