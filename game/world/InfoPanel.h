// The head-up display, panel 7 of the game screen: the bar along the bottom with the cash, the
// calendar, three tabs (quest list, inventory, factory status) and the buttons for production in
// all factories, help, the recipe book, the award gallery and the way back to the menu. It also
// runs the two shows that cover the game screen: the help hint and the production result.
#pragma once

#include "game/world/GamePanel.h"
#include "widgets/ButtonListener.h"

namespace Quor {

class ButtonWidget;
class PanelType;
class PlayerInfo;

class InfoPanel : public GamePanel, public ButtonListener {
public:
    enum {
        TAB_QUESTS = 0,
        TAB_INVENTORY = 1,
        TAB_FACTORIES = 2,
        TAB_COUNT = 3,
        ID_MENU = 10001,
        ID_PRODUCE = 20000,
        ID_HELP = 20001,
        ID_AWARD = 20002,
        ID_HINT_OK = 20003,
        ID_RECIPES = 20004,
        ID_CASH = 20005,
    };
    // What the end of a fade-out completes.
    enum { PENDING_NONE = -1, PENDING_HIDE = 10001, PENDING_CLOSE_HINT = 20003 };
    // The production result show lasts this long, seconds.
    static constexpr double kShowTime = 3.0;

    explicit InfoPanel(GamePhase* owner);
    ~InfoPanel() override;

    // Shows the bar on the quest-list tab, or hides it: its buttons leave the game screen at once
    // and the drawing stops at the next tick.
    void SetShown(bool show) override;
    // Shows the tab of the index 0-2; other indices are refused.
    void SelectTab(int index);
    void ShowMoneyEffect() override;
    void ShowProductionResult() override;
    void RefreshFactoryStatus() override;
    void RefreshInventory() override;
    int FactoryColumnState(int column) override;
    // The quest tab's list of running quests is built again, on the page it shows.
    void RebuildQuestList() override;
    // The current tab builds itself again for a quest step.
    void Rebuild(int questId, int targetIndex) override;

    void Tick(double dt) override;
    void FadeInDone() override;
    void FadeOutDone() override;
    void DrawDimLayer(Graphics* g) override;
    void Draw(Graphics* g) override;

    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    bool IsShown() const { return mShown; }
    bool IsShowRunning() const { return mShowTimer > 0.0; }
    // The quest tab, which also draws the calendar and the help hint.
    PlayerInfo* QuestTab() const;

    PanelType* mTabPanels[TAB_COUNT] = {};  // owned
    ButtonWidget* mTabs[TAB_COUNT] = {};
    ButtonWidget* mMenu;
    ButtonWidget* mProduce;
    ButtonWidget* mHelp;
    ButtonWidget* mAward;
    ButtonWidget* mHintOk;
    ButtonWidget* mRecipes;
    ButtonWidget* mCash;
    Widget* mBlocker;
    int mCurrentTab = -1;
    bool mShown = false;
    bool mHintShown = false;
    double mShowTimer = 0.0;
    int mFade = 0;  // alpha of the two shows
    bool mFadeUp = false;
    bool mFadeDown = false;
    int mPending = PENDING_NONE;

private:
    void OpenHint();
    void CloseHint();
    void AddEffectAt(int x, int y);
};

} // namespace Quor
