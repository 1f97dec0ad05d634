#include "game/world/InfoPanel.h"

#include "app/Common.h"
#include "game/shell/FXObject.h"
#include "game/quests/MissionTarget.h"
#include "game/shell/EffectList.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/EffectConstruction.h"
#include "game/world/FactoryStatus.h"
#include "game/world/GamePhase.h"
#include "game/world/Inventory.h"
#include "game/world/PanelType.h"
#include "game/world/PlayerInfo.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

#include <cstdio>

namespace Quor {

namespace {

constexpr int kResultEffect = 2;  // the effect definition of the result show and the money

struct Tooltip {
    int id;
    const char* text;
    int x, y;
};
constexpr Tooltip kTooltips[] = {
    {InfoPanel::TAB_QUESTS, "Check any unfinished missions", 240, 715},
    {InfoPanel::TAB_INVENTORY, "Check amount of materials and dinnerware in stock", 400, 715},
    {InfoPanel::TAB_FACTORIES, "Check the condition of all factories", 600, 715},
    {InfoPanel::ID_PRODUCE, "Begin production in all factories", 15, 730},
    {InfoPanel::ID_HELP, "Get Help from Red Udeda", 820, 570},
    {InfoPanel::ID_RECIPES, "Recipe Book, Find the required materials for each dinnerware", 20, 550},
    {InfoPanel::ID_CASH, "Cash", 730, 555},
};

} // namespace

InfoPanel::InfoPanel(GamePhase* owner) : GamePanel(owner)
{
    const int w = owner->mWidth;
    const int h = owner->mHeight;
    Image* const tabImages[TAB_COUNT][3] = {{GM_BTN_IP0, GM_BTN_IP0_O, GM_BTN_IP0_D},
                                            {GM_BTN_IP1, GM_BTN_IP1_O, GM_BTN_IP1_D},
                                            {GM_BTN_IP3, GM_BTN_IP3_O, GM_BTN_IP3_D}};
    const int tabX[TAB_COUNT] = {235, 478, 703};
    for (int i = 0; i < TAB_COUNT; ++i) {
        Image* const* images = tabImages[i];
        mTabs[i] = MakeImageButton(i, this, images[0], images[1], images[0], tabX[i], 731, false);
        mTabs[i]->mDisabledImage = images[2];
        TakeControl(mTabs[i]);
    }
    mTabPanels[TAB_QUESTS] = new PlayerInfo(owner);
    mTabPanels[TAB_INVENTORY] = new Inventory(owner);
    mTabPanels[TAB_FACTORIES] = new FactoryStatus(owner);
    const int stripHeight = ImageHeight(GM_BG_IP0);
    for (PanelType* tab : mTabPanels)
        tab->Resize(0, h - stripHeight, w, stripHeight);

    auto make = [this](int id, Image* normal, Image* over, Image* down, int x, int y) {
        ButtonWidget* button = MakeImageButton(id, this, normal, over, down, x, y, false);
        TakeControl(button);
        return button;
    };
    mMenu = make(ID_MENU, BTN_MENU, BTN_MENU_O, BTN_MENU_C, 880, 676);
    mProduce = make(ID_PRODUCE, BTN_SKIP, BTN_SKIP_O, BTN_SKIP_C, 15, 666);
    mHelp = make(ID_HELP, BTN_HELP, BTN_HELP_O, BTN_HELP_C, 910, 575);
    mAward = make(ID_AWARD, BTN_AWARD, BTN_AWARD_O, BTN_AWARD_C, w - ImageWidth(BTN_AWARD), h - ImageHeight(BTN_AWARD));
    mHintOk = make(ID_HINT_OK, BTN_OK4, BTN_OK4_O, BTN_OK4_C, (1024 - ImageWidth(BTN_OK4)) / 2, 445);
    mRecipes = make(ID_RECIPES, GM_BTN_IP2, GM_BTN_IP2_O, GM_BTN_IP2_D, 7, 553);
    mCash = make(ID_CASH, IMG_NONE, nullptr, nullptr, 668, 578);
    mCash->Resize(668, 578, 182, 28);
    mBlocker = new Widget();
    mBlocker->Resize(0, 0, w, h);
    TakeControl(mBlocker);
    RefreshFactoryStatus();
}

InfoPanel::~InfoPanel()
{
    // The controls leave the game screen with GamePanel's destructor.
    for (int i = 0; i < TAB_COUNT; ++i) {
        mTabPanels[i]->SetShown(false);
        mTabs[i]->SetDisabled(false);
        delete mTabPanels[i];
    }
}

void InfoPanel::SetShown(bool show)
{
    if (show) {
        // A hide still fading out is called off, and a tab left over from it is hidden first, so
        // no tab keeps its buttons in the game screen.
        if (mPending == PENDING_HIDE) {
            mPending = PENDING_NONE;
            mFadeDown = false;
        }
        if (mCurrentTab >= 0) {
            mTabPanels[mCurrentTab]->SetShown(false);
            mTabs[mCurrentTab]->SetDisabled(false);
        }
        mShown = true;
        mFadeAlpha = 255;
        AddControl(mMenu);
        for (ButtonWidget* tab : mTabs)
            AddControl(tab);
        mCurrentTab = TAB_QUESTS;
        mTabPanels[TAB_QUESTS]->SetShown(true);
        mTabs[TAB_QUESTS]->SetDisabled(true);
        for (ButtonWidget* button : {mProduce, mHelp, mAward, mRecipes, mCash})
            AddControl(button);
        return;
    }
    mPending = PENDING_HIDE;
    mFade = 1;
    mFadeDown = true;
    RemoveControl(mMenu);
    for (ButtonWidget* tab : mTabs)
        RemoveControl(tab);
    if (mCurrentTab >= 0) {
        mTabPanels[mCurrentTab]->SetShown(false);
        mTabs[mCurrentTab]->SetDisabled(false);
    }
    mCurrentTab = -1;
    for (ButtonWidget* button : {mProduce, mHelp, mAward, mRecipes, mCash})
        RemoveControl(button);
}

void InfoPanel::SelectTab(int index)
{
    if (index < 0 || index >= TAB_COUNT)
        return;
    if (mCurrentTab >= 0) {
        mTabPanels[mCurrentTab]->SetShown(false);
        mTabs[mCurrentTab]->SetDisabled(false);
    }
    mTabPanels[index]->SetShown(true);
    mTabs[index]->SetDisabled(true);
    mCurrentTab = index;
}

void InfoPanel::AddEffectAt(int x, int y)
{
    GameApp* app = mOwner->mApp;
    FXObject* effect = CreateFXObject(app->fxDefs ? &*app->fxDefs : nullptr, kResultEffect);
    if (effect == nullptr)
        return;
    effect->mX = x;
    effect->mY = y;
    effect->Start();
    mOwner->mEffects->Add(effect);
}

void InfoPanel::ShowMoneyEffect()
{
    AddEffectAt(670, 480);
    mOwner->mApp->PlaySample(SE_UI_MONEY);
}

void InfoPanel::ShowProductionResult()
{
    // The hint and the show share one fade and one blocker: an open hint gives way.
    if (mHintShown) {
        RemoveControl(mHintOk);
        mHintShown = false;
        if (mPending == PENDING_CLOSE_HINT)
            mPending = PENDING_NONE;
    }
    AddEffectAt(440, 645);
    GameApp* app = mOwner->mApp;
    app->PlaySample(SE_UI_GET);
    mShowTimer = kShowTime;
    RemoveControl(mBlocker);
    AddControl(mBlocker);
    mFade = 254;
    mFadeUp = true;
    mFadeDown = false;
    app->PlaySample(SE_UI_SKIP);
}

void InfoPanel::RefreshFactoryStatus()
{
    static_cast<FactoryStatus*>(mTabPanels[TAB_FACTORIES])->Refresh();
}

int InfoPanel::FactoryColumnState(int column)
{
    if (column < 0 || column >= FactoryStatus::kColumns)
        return -1;
    return static_cast<FactoryStatus*>(mTabPanels[TAB_FACTORIES])->mRows[column].state;
}

void InfoPanel::RefreshInventory()
{
    static_cast<Inventory*>(mTabPanels[TAB_INVENTORY])->Refresh();
}

PlayerInfo* InfoPanel::QuestTab() const
{
    return static_cast<PlayerInfo*>(mTabPanels[TAB_QUESTS]);
}

void InfoPanel::RebuildQuestList()
{
    QuestTab()->mQuestList->Rebuild();
}

void InfoPanel::Rebuild(int questId, int targetIndex)
{
    if (mCurrentTab >= 0)
        mTabPanels[mCurrentTab]->Rebuild(questId, targetIndex);
}

void InfoPanel::OpenHint()
{
    AddControl(mBlocker);
    AddControl(mHintOk);
    mHintShown = true;
    mFade = 254;
    mFadeUp = true;
    mFadeDown = false;
    if (mPending == PENDING_CLOSE_HINT)
        mPending = PENDING_NONE;
}

void InfoPanel::CloseHint()
{
    RemoveControl(mHintOk);
    RemoveControl(mBlocker);
    mPending = PENDING_CLOSE_HINT;
    mFade = 1;
    mFadeDown = true;
    mFadeUp = false;
}

void InfoPanel::ButtonDepress(int id)
{
    GameApp* app = mOwner->mApp;
    switch (id) {
    case ID_MENU:
        app->PlaySample(SE_UI_MENUCLICK);
        if (app->screens[SCREEN_QUIT] == nullptr)
            app->ShowScreen(SCREEN_QUIT, 2);
        break;
    case ID_PRODUCE:
        if (mOwner->ProduceInAllFactories())
            ShowProductionResult();
        break;
    case ID_HELP:
        if (!IsShowRunning() && !mHintShown)
            OpenHint();
        break;
    case ID_AWARD:
        if (app->screens[SCREEN_AWARD] == nullptr)
            app->ShowScreen(SCREEN_AWARD, 1);
        break;
    case ID_HINT_OK:
        CloseHint();
        break;
    case ID_RECIPES:
        if (GamePanel* supplier = mOwner->mPanels[PANEL_SUPPLIER]) {
            supplier->RefreshOffers();
            supplier->FocusLost();
        }
        if (GamePanel* cellar = mOwner->mPanels[PANEL_CELLAR]) {
            cellar->RefreshSlots();
            cellar->FocusLost();
        }
        mOwner->ShowPanel(PANEL_POTTERY, 0);
        break;
    default:
        // The tabs; the cash spot selects nothing.
        SelectTab(id);
        break;
    }
    app->PlaySample(SE_UI_CLICK);
    mOwner->TutorPassEvent(id);
}

void InfoPanel::ButtonMouseEnter(int id)
{
    mOwner->mApp->PlaySample(SE_UI_OVER);
    mOwner->ShowFinger(true);
    for (const Tooltip& tip : kTooltips)
        if (tip.id == id)
            mOwner->ShowNote(tip.text, tip.x, tip.y);
}

void InfoPanel::ButtonMouseLeave(int id)
{
    (void)id;
    mOwner->ShowFinger(false);
    mOwner->HideNote();
}

void InfoPanel::Tick(double dt)
{
    if (mCurrentTab >= 0)
        mTabPanels[mCurrentTab]->Tick(dt);
    if (mFadeUp && mFade < 255) {
        mFade += 10;
        if (mFade >= 255) {
            mFade = 255;
            mFadeUp = false;
            FadeInDone();
        }
    }
    if (mFadeDown && mFade > 0) {
        mFade -= 10;
        if (mFade <= 0) {
            mFade = 0;
            mFadeDown = false;
            FadeOutDone();
        }
    }
    if (mShowTimer > 0.0) {
        mShowTimer -= dt;
        if (mShowTimer <= 0.0) {
            mShowTimer = 0.0;
            RemoveControl(mBlocker);
            mOwner->TutorPassEvent(ID_HELP);
            mFade = 1;
            mFadeDown = true;
            mFadeUp = false;
        }
    }
    Widget::Tick(dt);
}

void InfoPanel::FadeInDone()
{
    if (mPending == PENDING_HIDE)
        mPending = PENDING_NONE;
}

void InfoPanel::FadeOutDone()
{
    if (mPending == PENDING_HIDE)
        mShown = false;
    else if (mPending == PENDING_CLOSE_HINT)
        mHintShown = false;
    mPending = PENDING_NONE;
}

void InfoPanel::DrawDimLayer(Graphics* g)
{
    if (mShowTimer <= 0.0)
        return;
    g->SetColorizeImages(true);
    g->SetColor(Color(0, 0, 0, mFade * 128 / 255));
    g->FillRect(0, 0, mOwner->mWidth, mOwner->mHeight);
    g->SetColorizeImages(false);
}

void InfoPanel::Draw(Graphics* g)
{
    if (!mShown)
        return;
    const int h = mOwner->mHeight;
    PanelType* questTab = mTabPanels[TAB_QUESTS];
    if (mPending == PENDING_HIDE) {
        // The last frame before the bar goes.
        g->SetColorizeImages(true);
        g->SetColor(Color(255, 255, 255, mFadeAlpha));
    }
    if (GM_BG_IP1_1 != nullptr)
        g->DrawImage(GM_BG_IP1_1, 0, 768 - GM_BG_IP1_1->GetHeight());
    questTab->DrawCalendar(g);
    if (GM_MONEY_BG != nullptr)
        g->DrawImage(GM_MONEY_BG, 700, 577);
    if (FONT_C_MONEY != nullptr) {
        char cash[24];
        std::snprintf(cash, sizeof(cash), "$%d", mOwner->mProfile->money);
        g->SetFont(FONT_C_MONEY);
        g->SetColor(Color::Black);
        g->DrawWrappedTextAt(cash, 645, 602, 200, 30, 1);
    }
    g->SetColor(Color::White);
    g->SetColorizeImages(false);
    if (mHintShown)
        questTab->DrawHelp(g, mFade);
    if (mCurrentTab >= 0)
        mTabPanels[mCurrentTab]->Draw(g);
    if (FX_C_UI_DATE != nullptr)
        g->DrawImageAnim(FX_C_UI_DATE, 0, h - FX_C_UI_DATE->GetHeight(), mOwner->mApp->mUpdateCount);
    for (int i = 0; i < TAB_COUNT; ++i)
        if (i != mCurrentTab)
            mTabs[i]->DrawIfVisible(g);
    if (mCurrentTab >= 0)
        mTabs[mCurrentTab]->DrawIfVisible(g);
    if (mOwner->mProfile->tutorialStep == TutorialFinished)
        mMenu->DrawIfVisible(g);
    for (ButtonWidget* button : {mProduce, mHelp, mAward, mRecipes})
        button->DrawIfVisible(g);
}

} // namespace Quor
