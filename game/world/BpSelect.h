// The blueprint chooser over an owned factory: the countries whose recipes the player owns, then
// the owned blueprints of one country five at a time with a horizontal scrollbar and, under the
// mouse, a card with the recipe's materials needed and held. Choosing a blueprint makes it the
// product of the current country's factory. The factory ticks and draws the chooser; its
// controls are children of the game screen.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/ScrollListener.h"
#include "widgets/Widget.h"

#include <map>
#include <vector>

namespace Quor {

class ButtonWidget;
class Factory;
class GamePhase;
class ScrollbarWidget;

class BpSelect : public Widget, public ButtonListener, public ScrollListener {
public:
    enum View { VIEW_COUNTRIES = 0, VIEW_BLUEPRINTS = 1, VIEW_CLOSING = 999 };
    enum { ID_CLOSE = 999, ID_COUNTRY = 100, ID_SCROLLBAR = 10009 };
    static constexpr int kRows = 5;
    static constexpr int kStep = 100;  // pixels between two entries of either list
    static constexpr int kPanelX = 224;
    static constexpr int kPanelY = 79;
    static constexpr int kSlideDistance = 550;
    static constexpr int kCountryCount = 8;

    // Builds the chooser fading in; the product id is not used.
    BpSelect(GamePhase* owner, Factory* factory, int productId);
    // Takes every control of the chooser out of the game screen and deletes it.
    ~BpSelect() override;

    // The fade step, only while fading in or out.
    void Tick(double dt) override;
    void Draw(Graphics* g) override;
    // The close button and the country list come up.
    void FadeInDone() override;
    // The factory is told the chooser has closed.
    void FadeOutDone() override;
    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;
    void ScrollPosition(int id, double value) override;
    void ScrollbarReleased(int id, double value) override;

    // Takes every control out of the game screen (the chooser keeps them).
    void RemoveControls();
    // The scroll offset of a scrollbar value: whole steps, rounded up past half a step.
    static int SnapOffset(double value);
    // The blueprint at a row button, after scrolling; -1 when that row is past the list's end.
    int BlueprintAtRow(int row) const;
    // The panel's x for the fade alpha of the moment: it slides in from the left as the alpha
    // rises.
    int SlidePanelX() const;

    void BuildCountryList();
    void ShowCountry(int country);
    void ShowBlueprintRows();
    void ChooseBlueprint(int blueprintId);

    GamePhase* mOwner;   // not owned
    Factory* mFactory;   // not owned
    std::vector<ButtonWidget*> mCountryButtons;  // owned
    ButtonWidget* mRowButtons[kRows] = {};       // owned
    ButtonWidget* mCloseButton;                  // owned
    Widget* mBlocker;                            // owned
    Widget* mSideBlockers[2] = {};               // owned
    std::map<int, std::vector<int>> mLists;      // country -> owned blueprint ids, ascending
    ScrollbarWidget* mScrollbar;                 // owned
    int mScrollOffset = 0;
    int mView = VIEW_COUNTRIES;
    int mCountry = -1;
    int mFirst = 0;
    int mRowsShown = 0;
    int mPanelX = kPanelX;
    int mPanelY = kPanelY;
    bool mHover = false;
    int mHovered = -1;

private:
    void OnTop(Widget* widget);
    void SetScroll(int itemCount);
    void DrawRows(Graphics* g);
    void DrawCard(Graphics* g);
    void StartClosing();
};

} // namespace Quor
