// The help popup (screen 3) over the main menu: three help pages, one at a time, with buttons
// for the previous and next page and OK to close. It grows from (512, 280) while it fades in
// and owns the group "MenuHelp" while it exists.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

namespace Quor {

class ButtonWidget;
class GameApp;

class PopupHelp : public Widget, public ButtonListener {
public:
    enum { ID_OK = 1, ID_PREV = 2, ID_NEXT = 3 };

    explicit PopupHelp(GameApp* app);
    ~PopupHelp() override;

    void AddedToManager(WidgetManager* manager) override;
    void RemovedFromManager(WidgetManager* manager) override;
    void Update() override;
    void Draw(Graphics* g) override;
    void FadeOutDone() override;

    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    GameApp* mApp;
    ButtonWidget* mOkButton = nullptr;
    ButtonWidget* mPrevButton = nullptr;
    ButtonWidget* mNextButton = nullptr;
    int mPage = 0;
    int mLastPage = 2;
};

} // namespace Quor
