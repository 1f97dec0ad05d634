#include "game/shell/PopupAccount.h"

#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Color.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"
#include "widgets/WidgetManager.h"

#include <cstdio>

namespace Quor {

namespace {

const Color kTextColor(111, 153, 33);

ButtonWidget* MakeButton(int id, ButtonListener* listener, Image* normal, Image* over, Image* down)
{
    auto* button = new ButtonWidget(id, listener);
    button->mButtonImage = normal;
    button->mOverImage = over;
    button->mDownImage = down;
    // Drawn by the popup itself, inside its zoom.
    button->mBtnNoDraw = true;
    return button;
}

int Width(Image* image) { return image ? image->GetWidth() : 0; }
int Height(Image* image) { return image ? image->GetHeight() : 0; }

} // namespace

PopupAccount::PopupAccount(GameApp* app) : mApp(app)
{
    mAllSlotsFree = !mApp->AnyProfileNamed();
    mPage = mAllSlotsFree ? 3 : 1;
    if (!mAllSlotsFree)
        RefreshValues();

    DCapResource* resources = mApp->resourceManager;
    resources->StartLoadResources("MenuAcc");
    while (resources->LoadNextResource())
        if (mApp->mShutdown)
            break;
    if (resources->HadError() || !BindMenuAccResources(resources))
        mApp->ReportResourceError(true);

    mOriginX = (mApp->mWidth - Width(MC_BG_T1)) / 2;
    mOriginY = (mApp->mHeight - Height(MC_BG_T1)) / 2;
}

PopupAccount::~PopupAccount()
{
    ButtonWidget* buttons[] = {mOkButton,     mNameOkButton,   mConfirmButton,   mCancelButton,
                               mDeleteButton, mEditButton,     mSlotButtons[0],  mSlotButtons[1],
                               mSlotButtons[2], mSlotButtons[3], mSlotButtons[4]};
    for (ButtonWidget* button : buttons) {
        if (button) {
            RemoveWidget(button);
            delete button;
        }
    }
    if (mNameField) {
        RemoveWidget(mNameField);
        delete mNameField;
    }
    mApp->resourceManager->DeleteResources("MenuAcc");
    UnbindResourceGroup("MenuAcc");
}

void PopupAccount::AddedToManager(WidgetManager* manager)
{
    Widget::AddedToManager(manager);
    mOkButton = MakeButton(ID_OK, this, MC_BTN_OK, MC_BTN_OK_O, MC_BTN_OK_C);
    mOkButton->Resize(mOriginX + 527, mOriginY + 240, Width(MC_BTN_OK), Height(MC_BTN_OK));
    mDeleteButton = MakeButton(ID_DELETE, this, MC_BTN_DELETE, MC_BTN_DELETE_O, MC_BTN_DELETE_C);
    mDeleteButton->Resize(mOriginX + 495, mOriginY + 20, Width(MC_BTN_DELETE), Height(MC_BTN_DELETE));
    mEditButton = MakeButton(ID_EDIT, this, MC_BTN_EDIT, MC_BTN_EDIT_O, MC_BTN_EDIT_C);
    mEditButton->Resize(mOriginX + 248, mOriginY + 20, Width(MC_BTN_EDIT), Height(MC_BTN_EDIT));
    for (int i = 0; i < 5; ++i) {
        mSlotButtons[i] = MakeButton(i, this, IMG_NONE, MC_SELECT_O, MC_SELECT_O);
        mSlotButtons[i]->Resize(254, 203 + 41 * i, 170, 41);
    }
    mConfirmButton = MakeButton(ID_OK, this, MC_BTN_OK, MC_BTN_OK_O, MC_BTN_OK_C);
    mConfirmButton->Resize(mOriginX + 220, mOriginY + 250, Width(MC_BTN_OK), Height(MC_BTN_OK));
    mCancelButton = MakeButton(ID_CANCEL, this, MC_BTN_CANCEL, MC_BTN_CANCEL_O, MC_BTN_CANCEL_C);
    mCancelButton->Resize(mOriginX + 340, mOriginY + 255, Width(MC_BTN_CANCEL), Height(MC_BTN_CANCEL));
    mNameOkButton = MakeButton(ID_NAME_OK, this, MC_BTN_OK, MC_BTN_OK_O, MC_BTN_OK_C);
    mNameOkButton->Resize(mOriginX + (Width(MC_BG_T1) - Width(MC_BTN_OK)) / 2, mOriginY + 230, Width(MC_BTN_OK),
                          Height(MC_BTN_OK));
    mNameField = new EditWidget(ID_NAME_FIELD, this);
    mNameField->SetFont(FONT_S16);
    mNameField->mMaxChars = 15;
    mNameField->Resize(mOriginX + (Width(MC_BG_T1) - 150) / 2, mOriginY + 182, 150, 30);

    SetupPage();
    StartFade(true);
}

void PopupAccount::SetupPage()
{
    ButtonWidget* all[] = {mOkButton,       mNameOkButton,   mConfirmButton,  mCancelButton,
                           mDeleteButton,   mEditButton,     mSlotButtons[0], mSlotButtons[1],
                           mSlotButtons[2], mSlotButtons[3], mSlotButtons[4]};
    for (ButtonWidget* button : all)
        RemoveWidget(button);
    RemoveWidget(mNameField);
    if (mPage == 1) {
        AddWidget(mOkButton);
        AddWidget(mDeleteButton);
        AddWidget(mEditButton);
        for (ButtonWidget* slot : mSlotButtons)
            AddWidget(slot);
    } else if (mPage == 2) {
        AddWidget(mConfirmButton);
        AddWidget(mCancelButton);
    } else if (mPage == 3) {
        AddWidget(mNameOkButton);
        AddWidget(mNameField);
        mNameField->mString.clear();
        mNameField->mCursorPos = 0;
        if (mWidgetManager)
            mWidgetManager->SetFocus(mNameField);
    }
    SetDirty();
}

void PopupAccount::RefreshValues()
{
    const PlayerProfile& profile = mApp->GetCurrentProfile();
    mCollectionCount = 0;
    for (const auto& [id, owned] : profile.recipes)
        if (owned)
            ++mCollectionCount;
    mWeeks = profile.day / 7;
    mWeekday = profile.day % 7 + 1;
    mMoney = profile.money;
}

bool PopupAccount::CurrentNamed() const
{
    return !mApp->GetCurrentProfile().name.empty();
}

void PopupAccount::StartFade(bool in)
{
    mFadeAlpha = in ? 0 : 255;
    mFadingIn = in;
    mFadingOut = !in;
}

void PopupAccount::Update()
{
    Widget::Update();
    if (!mApp->mActive)
        return;
    if ((mFadingIn || mFadingOut) && mApp->mUpdateCount % 2 == 0)
        Widget::Tick(0.02);
}

void PopupAccount::ButtonMouseEnter(int id)
{
    (void)id;
    mApp->PlaySample(SE_UI_OVER);
    ShowFinger(true);
}

void PopupAccount::ButtonDepress(int id)
{
    mApp->PlaySample(SE_UI_CLICK);
    if (mPage == 1) {
        if (id == ID_OK) {
            if (!CurrentNamed())
                return;
            mShown = false;
            RemoveWidget(mOkButton);
            RemoveWidget(mDeleteButton);
            RemoveWidget(mEditButton);
            for (ButtonWidget* slot : mSlotButtons)
                RemoveWidget(slot);
            StartFade(false);
        } else if (id == ID_DELETE || id == ID_EDIT) {
            if (!CurrentNamed())
                return;
            mPage = id == ID_DELETE ? 2 : 3;
            mPendingAction = mPage;
            StartFade(true);
        } else if (id >= 0 && id < 5 && size_t(id) < mApp->profiles.size()) {
            mApp->currentProfile = id;
            if (!CurrentNamed()) {
                mPage = 3;
                mPendingAction = 3;
                StartFade(true);
            }
            RefreshValues();
        }
    } else if (mPage == 2) {
        if (id == ID_OK || id == ID_CANCEL) {
            mPendingAction = id;
            StartFade(false);
        }
    } else if (mPage == 3 && id == ID_NAME_OK) {
        mPendingAction = ID_NAME_OK;
        RemoveWidget(mNameField);
        StartFade(false);
    }
}

bool PopupAccount::AllowKey(int id, int keyCode)
{
    (void)id;
    if (mPage == 3 && keyCode == 13) {
        mPendingAction = ID_NAME_OK;
        StartFade(false);
    }
    return true;
}

void PopupAccount::FadeInDone()
{
    mShown = true;
    if (mPendingAction == 2 || mPendingAction == 3)
        SetupPage();
}

void PopupAccount::FadeOutDone()
{
    if (!mShown) {
        // Closing: the five profiles are saved, then the popup goes.
        mApp->SaveFivePlayerProfiles();
        if (mWidgetManager)
            mWidgetManager->RemoveWidget(this);
        mApp->SafeDeleteWidget(this);
        if (mApp->screens[SCREEN_ACCOUNT] == this)
            mApp->screens[SCREEN_ACCOUNT] = nullptr;
        return;
    }
    switch (mPendingAction) {
    case ID_OK: {
        // The current profile goes; the ones behind it move up a slot and take its number.
        std::vector<PlayerProfile>& profiles = mApp->profiles;
        profiles.erase(profiles.begin() + mApp->currentProfile);
        for (size_t i = size_t(mApp->currentProfile); i < profiles.size(); ++i)
            profiles[i].slotIndex = int32_t(i);
        mApp->CreateDefaultProfile("");
        mApp->currentProfile = 0;
        RefreshValues();
        break;
    }
    case ID_NAME_OK: {
        std::string name = mNameField->mString;
        RemoveWidget(mNameField);
        if (!name.empty())
            mApp->GetCurrentProfile().name = name;
        else
            mApp->currentProfile = 0;
        RefreshValues();
        break;
    }
    case ID_CANCEL:
        break;
    default:
        return;
    }
    mPendingAction = -1;
    mPage = 1;
    SetupPage();
}

void PopupAccount::Draw(Graphics* g)
{
    if (!mApp->mActive || !mOkButton)
        return;
    if (Widget* menu = mApp->screens[SCREEN_MAIN_MENU]) {
        g->PushState();
        menu->Draw(g);
        g->PopState();
    }
    const int alpha = mFadeAlpha;
    if (!mShown) {
        float s = float(alpha) / 255.0f;
        g->SetScale(s, s, 512, 280);
        g->SetColorizeImages(true);
    }
    g->SetColor(Color(0, 0, 0, mShown ? 180 : alpha * 180 / 255));
    g->FillRect(0, 0, mWidth, mHeight);

    g->SetColor(Color(255, 255, 255, alpha));
    if (MC_BG_T1)
        g->DrawImage(MC_BG_T1, (mApp->mWidth - MC_BG_T1->GetWidth()) / 2, (600 - MC_BG_T1->GetHeight()) / 2);

    auto text = [&](const std::string& line, int x, int y, int width, int justification) {
        g->DrawWrappedTextAt(line, x, y, width, 20, justification);
    };
    mOkButton->DrawIfVisible(g);
    g->SetFont(FONT_S16);
    for (int i = 0; i < 5; ++i) {
        ButtonWidget* slot = mSlotButtons[i];
        slot->DrawIfVisible(g);
        if (size_t(i) < mApp->profiles.size() && !mApp->profiles[size_t(i)].name.empty()) {
            g->SetColor(Color(kTextColor.GetRed(), kTextColor.GetGreen(), kTextColor.GetBlue(), mShown ? 255 : alpha));
            text(mApp->profiles[size_t(i)].name, slot->mX + 20, slot->mY + 21, 150, 0);
        }
    }
    ButtonWidget* current = mSlotButtons[mApp->currentProfile >= 0 && mApp->currentProfile < 5 ? mApp->currentProfile : 0];
    g->SetColor(Color(255, 255, 255, alpha));
    if (MC_SELECT)
        g->DrawImage(MC_SELECT, current->mX, current->mY);
    mDeleteButton->DrawIfVisible(g);
    mEditButton->DrawIfVisible(g);

    g->SetFont(FONT_B18);
    g->SetColor(kTextColor);
    text(mApp->GetCurrentProfile().name, mOriginX + 330, mOriginY + 50, 150, 0);

    g->SetFont(FONT_S14);
    static const char* const kLabels[3] = {"Dinnerware Collection :", "Time :", "Money :"};
    char values[3][64];
    std::snprintf(values[0], sizeof(values[0]), "%d/80", mCollectionCount);
    std::snprintf(values[1], sizeof(values[1]), "%d Day %d Week", mWeekday, mWeeks);
    std::snprintf(values[2], sizeof(values[2]), "$%d", mMoney);
    for (int i = 0; i < 3; ++i) {
        text(kLabels[i], mOriginX + 250, mOriginY + 210 + 20 * i, 200, 1);
        text(values[i], mOriginX + 450, mOriginY + 210 + 20 * i, 200, -1);
    }

    float s = float(alpha) / 255.0f;
    g->SetScale(s, s, 512, 280);
    g->SetColor(Color(255, 255, 255, alpha));
    g->SetColorizeImages(true);
    Image* panel = mPage == 2 ? MC_BG_T2 : mPage == 3 ? MC_BG_T3 : nullptr;
    if (panel && MC_BG_T1)
        g->DrawImage(panel, mOriginX + (MC_BG_T1->GetWidth() - panel->GetWidth()) / 2,
                     mOriginY + (MC_BG_T1->GetHeight() - panel->GetHeight()) / 2);
    if (mPage == 2) {
        mConfirmButton->DrawIfVisible(g);
        mCancelButton->DrawIfVisible(g);
    } else if (mPage == 3) {
        mNameOkButton->DrawIfVisible(g);
    }
    g->SetScale(1, 1, 512, 280);
    g->SetColorizeImages(false);
}

} // namespace Quor
