// The quest detail panel, panel 9 of the game screen: one running quest in full (description,
// targets with tick boxes, rewards with pictures and amounts), arrows to the previous and next
// quest of the open-quest list and an OK button. Modal: a blocker covers the game screen.
#pragma once

#include "game/world/GamePanel.h"
#include "widgets/ButtonListener.h"

namespace Quor {

class ButtonWidget;
class Image;
class MissionTarget;
struct QuestEntry;
struct QuestRecord;

class MissionFull : public GamePanel, public ButtonListener {
public:
    enum { ID_OK = 999, ID_PREVIOUS = 10001, ID_NEXT = 10002 };
    static constexpr int kItemsPerLine = 5;
    static constexpr int kItemStep = 120;
    static constexpr int kLineStep = 70;
    static constexpr int kItemsX = 235;

    // The list's neighbours are the quests the arrows page through.
    MissionFull(GamePhase* owner, MissionTarget* list);
    ~MissionFull() override;

    // Shows the quest of the id; an unknown id keeps the quest shown. With no other quest in the
    // list the arrows go.
    void ShowQuest(int questId);

    void Tick(double dt) override;
    void Draw(Graphics* g) override;
    void FadeInDone() override;
    void FadeOutDone() override;
    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    MissionTarget* mList;  // not owned
    Widget* mBlocker;      // owned through the panel
    ButtonWidget* mOkButton;
    ButtonWidget* mPreviousButton;
    ButtonWidget* mNextButton;
    const QuestRecord* mQuest = nullptr;  // not owned
    Image* mMoneyIcon;
    Image* mArrowImages[6];

private:
    // One reward item at x, y; false when the entry shows none.
    bool DrawRewardItem(Graphics* g, const QuestEntry& entry, int x, int y);
    void ReleaseImages();
};

} // namespace Quor
