// The open-quest list of the head-up display: for each running quest a header line with its
// description and a line with its next open step, four rows visible at a time, with a details
// button on each visible header that opens the quest's detail panel. The player-information
// sub-panel keeps it, pages it and draws it; the quest engine has it rebuilt.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <string>
#include <vector>

namespace Quor {

class ButtonWidget;
class GamePhase;
struct QuestRecord;

struct QuestListRow {
    enum { STEP = 0, STEP_TICKED = 1, HEADER = 2 };
    int kind = HEADER;
    std::string text;       // header: the quest's Des; step: its target's SubDes
    int questId = 0;
    int targetIndex = 0;    // 0 on a header
    std::string picture;    // resource name of a small picture; "" for none
};

class MissionTarget : public Widget, public ButtonListener {
public:
    static constexpr int kRowHeight = 25;
    static constexpr int kVisibleRows = 4;

    explicit MissionTarget(GamePhase* owner);
    ~MissionTarget() override;

    // The rows from the player's running quests, then the buttons of the visible rows.
    void Rebuild();
    // The details buttons of the headers among the visible rows.
    void CreateRowButtons();
    // The quest before or after the given one among the headers, wrapping around; an id that is
    // not listed gives the first (next) or the last (previous). Null while no button is shown.
    const QuestRecord* NeighbourQuest(int questId, bool previous) const;

    // The owner draws the list (Draw), never the widget tree.
    void DrawAll(ModalFlags* flags, Graphics* g) override;
    void Draw(Graphics* g) override;
    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    GamePhase* mOwner;  // not owned
    int mFirstRow = 0;
    int mRowCount = 0;
    std::vector<ButtonWidget*> mRowButtons;  // owned; ids are quest ids
    std::vector<QuestListRow> mRows;

private:
    void DeleteRowButtons();
};

} // namespace Quor
