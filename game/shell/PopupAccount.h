// The profile popup over the main menu: picks the current one of the five player profiles,
// names a free one, renames and deletes; page 1 lists the slots, page 2 confirms a deletion and
// page 3 asks for a name, both as a panel zooming in over page 1. Closing saves all five.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/EditListener.h"
#include "widgets/Widget.h"

namespace Quor {

class ButtonWidget;
class EditWidget;
class GameApp;

class PopupAccount : public Widget, public ButtonListener, public EditListener {
public:
    enum {
        ID_OK = 10001,
        ID_DELETE = 10002,
        ID_EDIT = 10003,
        ID_NAME_OK = 10011,
        ID_CANCEL = 999,
        ID_NAME_FIELD = 20001,
    };

    explicit PopupAccount(GameApp* app);
    ~PopupAccount() override;

    void AddedToManager(WidgetManager* manager) override;
    void Update() override;
    void Draw(Graphics* g) override;
    void FadeInDone() override;
    void FadeOutDone() override;

    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    bool AllowKey(int id, int keyCode) override;

    // Shows the widgets of the current page.
    void SetupPage();
    // Takes the shown values from the current profile.
    void RefreshValues();

    GameApp* mApp;
    ButtonWidget* mOkButton = nullptr;      // page 1
    ButtonWidget* mNameOkButton = nullptr;  // page 3
    ButtonWidget* mConfirmButton = nullptr; // page 2
    ButtonWidget* mCancelButton = nullptr;  // page 2
    ButtonWidget* mDeleteButton = nullptr;
    ButtonWidget* mEditButton = nullptr;
    ButtonWidget* mSlotButtons[5] = {};
    EditWidget* mNameField = nullptr;
    int mPage = 1;  // 1 select, 2 confirm deletion, 3 enter a name
    bool mAllSlotsFree = false;
    int mOriginX = 0;
    int mOriginY = 0;
    int mCollectionCount = 0;
    int mWeeks = 0;
    int mWeekday = 0;
    int mMoney = 0;
    bool mShown = false;
    int mPendingAction = -1;

private:
    bool CurrentNamed() const;
    void StartFade(bool in);
};

} // namespace Quor
