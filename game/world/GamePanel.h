// The base of the panels of the game screen (country screen, places, head-up display, dialogs,
// popups, mini-game host, tutorial frame). A panel is never a child in the widget tree: the
// game screen ticks and draws it. Its controls are children of the game screen, added through
// AddControl, so that the game screen can take them out of the tree the moment the panel closes.
#pragma once

#include "widgets/Widget.h"

#include <string>
#include <vector>

namespace Quor {

class GamePhase;

class GamePanel : public Widget {
public:
    explicit GamePanel(GamePhase* owner = nullptr);
    // Takes the panel's controls out of the game screen and deletes them.
    ~GamePanel() override;

    // Makes the control a child of the game screen, on top of its siblings. The panel owns it
    // from then on, in the tree or out of it.
    void AddControl(Widget* control);
    // The panel owns the control from now on without putting it into the tree yet.
    void TakeControl(Widget* control);
    // Takes the control out of the game screen; the panel keeps it.
    void RemoveControl(Widget* control);
    // Takes every control out of the game screen (the game screen does so when the panel closes).
    void RemoveControls();

    // The dimming layer the head-up display lays over the panels below the popups.
    virtual void DrawDimLayer(Graphics* g);
    // Whether the world map runs a travel animation.
    virtual bool IsTravelRunning();
    // The head-up display's factory-status state of a column (0 England, 1 Japan, 2 China,
    // 3 USA; 1 = ready to produce); -1 from panels that do not show it.
    virtual int FactoryColumnState(int column);
    // The tooltip note's text at a position.
    virtual void SetText(const std::string& text, int x, int y);
    // The head-up display shown or hidden (the mini-game screen hides it).
    virtual void SetShown(bool shown);
    // The head-up display's floating money effect after a payment.
    virtual void ShowMoneyEffect();
    // The tutorial frame hears of an event (a pressed button or a named event); true when the
    // tutorial has ended or an action took over the flow. Other panels answer false.
    virtual bool TutorPassEvent(int event);
    // The head-up display builds its open-quest list again.
    virtual void RebuildQuestList();
    // The head-up display's current sub-panel builds itself again for a quest step.
    virtual void Rebuild(int questId, int targetIndex);
    // The character dialog greets the player with the character of a country's place slot.
    virtual void OpenNpcDialog(int country, int slot);
    // The quest the character offers (offeredOnly) or runs; -1 for none.
    virtual int FindOfferedQuest(int npcId, bool offeredOnly);
    // The character dialog's reward view moves on to the next reward of the finished quest.
    virtual void ShowNextReward();
    // A place screen with a character learns its country, character slot and dialog.
    virtual void AttachDialog(int country, int slot, GamePanel* dialog);
    // The quest engine of the character dialog: unlocks after a finished quest (-1 for none) and
    // re-evaluates the running quests' targets.
    virtual void CheckQuestUnlocks(int finishedQuestId);
    virtual void UpdateQuestTargets();
    // The cellar reads its slots again from the stock; the supplier its offers and prices.
    virtual void RefreshSlots();
    virtual void RefreshOffers();
    // A place panel lets go of the keyboard focus of its fields (the recipe book opens over it).
    virtual void FocusLost();
    // The head-up display's factory-status and inventory tabs read the profile again.
    virtual void RefreshFactoryStatus();
    virtual void RefreshInventory();
    // The head-up display's production result show.
    virtual void ShowProductionResult();

    GamePhase* mOwner;  // not owned
    std::vector<Widget*> mControls;  // owned

protected:
    // Moves the fade alpha by dt x speed towards 255 (fading in) or 0 (fading out) and reports
    // the end of either fade.
    void StepFade(double dt, double speed);
};

} // namespace Quor
