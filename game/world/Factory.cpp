#include "game/world/Factory.h"

#include "display/DDImage.h"
#include "game/shell/DCapResource.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/ParticleSystem.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/BpSelect.h"
#include "game/world/CountryMap.h"
#include "game/world/EffectConstruction.h"
#include "game/world/GamePhase.h"
#include "game/world/MessagePopup.h"
#include "game/world/RecipeView.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

#include <cstdio>

namespace Quor {

namespace {

constexpr int kBoughtEffect = 2;
constexpr int kBoughtEffectX = 663;
constexpr int kBoughtEffectY = 646;

ButtonWidget* FingerButton(int id, ButtonListener* listener, Image* normal, Image* over, Image* down, int x, int y)
{
    ButtonWidget* button = MakeImageButton(id, listener, normal, over, down, x, y);
    button->mDoFinger = true;
    return button;
}

// The still effect a hovered mini-game button lays over the factory.
FXObject* HoverEffect(Image* image, int x, int y)
{
    return new FXObject(x, y, ImageWidth(image), ImageHeight(image), image, 1, true, -1, 0, 999.0, FXObject::kNoHoldTime,
                        0.0, FXObject::kDeriveNotifyTime);
}

FXObject* MachineEffect(Image* image, int x, int y)
{
    auto* effect = new FXObject();
    InitAnimated(effect, x, y, image, 0, FXObject::kDeriveNotifyTime);
    return effect;
}

void DrawStars(Graphics* g, int rating, int y)
{
    g->DrawImage(GM_I_LV1, 119, y);
    g->DrawImage(rating >= 2 ? GM_I_LV2 : GM_I_LV0, 139, y);
    g->DrawImage(rating >= 3 ? GM_I_LV3 : GM_I_LV0, 159, y);
}

} // namespace

Image* FactoryTitle(int country)
{
    switch (country) {
    case 0:
        return GM_NAME_FACTORY_EN;
    case 2:
        return GM_NAME_FACTORY_JP;
    case 5:
        return GM_NAME_FACTORY_CN;
    case 7:
        return GM_NAME_FACTORY_US;
    default:
        return nullptr;
    }
}

Factory::Factory(GamePhase* owner, int country)
    : GamePanel(owner), mEffects(new EffectList()), mParticles(new ParticleSet(owner->mApp)), mCountry(country)
{
    GameApp* app = owner->mApp;
    PlayerProfile& profile = *owner->mProfile;
    const FactoryState* state = State();
    mPrice = PriceOf(owner, country);
    if (state != nullptr && state->firstFlag)
        mMode = MODE_OWNED;
    else if (state != nullptr && state->secondFlag && mPrice >= 0)
        mMode = MODE_FOR_SALE;
    else
        mMode = MODE_IDLE;
    mPicture1 = app->LoadImageFile("images/mg_main/factory_1.png");
    mPicture2 = app->LoadImageFile("images/mg_main/factory_2.png");

    mExitButton = FingerButton(ID_EXIT, this, GM_BTN_EXIT, GM_BTN_EXIT_O, GM_BTN_EXIT_C, 24, 506);
    if (mMode == MODE_OWNED) {
        AddControl(mExitButton);
        mChooseButton =
            FingerButton(ID_CHOOSE, this, GM_BTN_SELECT_BP, GM_BTN_SELECT_BP_O, GM_BTN_SELECT_BP_C, 71, 354);
        AddControl(mChooseButton);
        mGameButtons[ID_MACHINE] = FingerButton(ID_MACHINE, this, GM_BTN_MG0, GM_BTN_MG0_O, IMG_NONE, 893, 233);
        mGameButtons[ID_SHAPING] = FingerButton(ID_SHAPING, this, GM_BTN_MG1, GM_BTN_MG1_O, IMG_NONE, 430, 285);
        mGameButtons[ID_GLAZING] = FingerButton(ID_GLAZING, this, GM_BTN_MG2, GM_BTN_MG2_O, IMG_NONE, 288, 256);
        mGameButtons[ID_SHAPING]->mDisabledImage = IMG_NONE;
        mGameButtons[ID_GLAZING]->mDisabledImage = IMG_NONE;
        mGameButtons[ID_SHAPING]->SetDisabled(!profile.miniGameOpen1);
        mGameButtons[ID_GLAZING]->SetDisabled(!profile.miniGameOpen2);
        for (ButtonWidget* button : mGameButtons)
            AddControl(button);
    } else if (mMode == MODE_FOR_SALE) {
        mChooseButton = FingerButton(ID_CHOOSE, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C,
                                     (owner->mWidth - ImageWidth(BTN_OK2)) / 2, 345);
        AddControl(mChooseButton);
        AddControl(mExitButton);
        mCanBuy = true;
        if (profile.money < mPrice) {
            RemoveControl(mChooseButton);
            mCanBuy = false;
        }
    } else {
        AddControl(mExitButton);
    }
    mFadeAlpha = 254;
    mFadingIn = true;
    mFadingOut = false;
}

Factory::~Factory()
{
    if (mBpSelect != nullptr) {
        mOwner->RemoveWidget(mBpSelect);
        delete mBpSelect;
    }
    mEffects->DeleteAll();
    delete mEffects;
    mParticles->Clear();
    delete mParticles;
    delete mPicture1;
    delete mPicture2;
}

int Factory::PriceOf(const GamePhase* owner, int country)
{
    const MiniGameTuning& tuning = owner->mApp->miniGameTuning;
    switch (country) {
    case 2:
        return tuning.gp_fac_jap;
    case 5:
        return tuning.gp_fac_chi;
    case 7:
        return tuning.gp_fac_usa;
    default:
        return -1;
    }
}

FactoryState* Factory::State() const
{
    auto& factories = mOwner->mProfile->factories;
    const auto found = factories.find(mCountry);
    return found == factories.end() ? nullptr : &found->second;
}

int Factory::ProductId() const
{
    const FactoryState* state = State();
    return state != nullptr ? state->productId : -1;
}

void Factory::SlideTo(int counter)
{
    mFadeAlpha = counter;
    Move(0, 768 - mFadeAlpha * 768 / 255);
}

void Factory::Tick(double dt)
{
    mEffects->UpdateAll(mOwner->mApp->mUpdateCount, dt);
    mParticles->Update(dt);
    if (mBpSelect != nullptr)
        mBpSelect->Tick(dt);
    if (mFadingIn && mFadeAlpha < 255) {
        SlideTo(int(mFadeAlpha + dt * kSlideSpeed));
        if (mFadeAlpha >= 255) {
            SlideTo(255);
            mFadingIn = false;
            FadeInDone();
        }
    }
    if (mFadingOut && mFadeAlpha > 0) {
        SlideTo(int(mFadeAlpha - dt * kSlideSpeed));
        if (mFadeAlpha <= 0) {
            SlideTo(0);
            mFadingOut = false;
            FadeOutDone();
        }
    }
}

void Factory::FadeOutDone()
{
    if (auto* countryMap = dynamic_cast<CountryMap*>(mOwner->mPanels[PANEL_COUNTRY_MAP]))
        countryMap->ShowAgain();
    // The panel is freed after this update; nothing of it is touched below.
    mOwner->ClosePanel(PANEL_FACTORY);
}

void Factory::Draw(Graphics* g)
{
    g->Translate(mX, mY);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    g->SetColorizeImages(true);
    if (mMode == MODE_OWNED) {
        DrawOwned(g);
    } else {
        if (GM_BG_FACTORY != nullptr)
            g->DrawImage(GM_BG_FACTORY, 0, 0);
        char text[150];
        if (mMode == MODE_FOR_SALE && mCanBuy)
            std::snprintf(text, sizeof(text), "Spending $%d to buy this factory?", mPrice);
        else if (mMode == MODE_FOR_SALE)
            std::snprintf(text, sizeof(text), "You have no enough money to purchase this factory, please collect $%d",
                          mPrice);
        else
            std::snprintf(text, sizeof(text), "This factory is not working now.");
        DrawMessage(g, text);
        mExitButton->DrawIfVisible(g);
        if (mMode == MODE_FOR_SALE && mCanBuy)
            mChooseButton->DrawIfVisible(g);
    }
    if (Image* title = FactoryTitle(mCountry))
        g->DrawImage(title, (mWidth - title->GetWidth()) / 2, 0);
    g->SetColorizeImages(false);
    g->Translate(-mX, -mY);
}

void Factory::DrawMessage(Graphics* g, const std::string& text)
{
    if (GM_HINT_BG != nullptr)
        g->DrawImage(GM_HINT_BG, (mOwner->mWidth - GM_HINT_BG->GetWidth()) / 2, 130);
    if (FONT_S16 == nullptr)
        return;
    g->SetFont(FONT_S16);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
    g->DrawWrappedTextAt(text, 362, 220, 300, 25, 0);
}

void Factory::DrawOwned(Graphics* g)
{
    if (GM_BG_FACTORY != nullptr)
        g->DrawImage(GM_BG_FACTORY, 0, 0);
    if (GM_FACTORY_MG3 != nullptr)
        g->DrawImageCel(GM_FACTORY_MG3, 299, 261, 0);
    if (GM_SELECT_BP_FRM != nullptr)
        g->DrawImage(GM_SELECT_BP_FRM, 36, 39);
    if (GM_BG_FACTORY_QTY != nullptr)
        g->DrawImage(GM_BG_FACTORY_QTY, 812, 82);
    mExitButton->DrawIfVisible(g);
    mChooseButton->DrawIfVisible(g);
    for (ButtonWidget* button : mGameButtons)
        button->DrawIfVisible(g);
    mEffects->DrawAll(g);
    mParticles->Draw(g);
    if (mPicture1 != nullptr)
        g->DrawImage(mPicture1, 380, 280);
    if (mPicture2 != nullptr)
        g->DrawImage(mPicture2, 348, 297);

    const int product = ProductId();
    const ProductionRecord* record = mOwner->mProfile->FindProductRecord(product);
    const BlueprintRecord* blueprint = FindBlueprint(*mOwner->mApp, product);
    if (record != nullptr && blueprint != nullptr) {
        const int shade = mOwner->HasRecipeMaterials(product) ? 255 : 128;
        if (Image* picture = NamedImage(blueprint->Img)) {
            g->SetColor(Color(shade, shade, shade, mFadeAlpha));
            g->DrawImage(picture, 67, 128);
        }
        g->SetColor(Color(80, 50, 0, mFadeAlpha));
        if (FONT_C_BIG_NUM != nullptr) {
            g->SetFont(FONT_C_BIG_NUM);
            g->DrawColorCodedText(std::to_string(record->rate), 810, 185, 70, 1);
        }
        if (FONT_T14 != nullptr) {
            g->SetFont(FONT_T14);
            g->DrawWrappedTextAt(blueprint->Name, 61, 292, 147, 20, 0);
        }
        g->SetColor(Color(255, 255, 255, mFadeAlpha));
        if (GM_I_SLV != nullptr)
            g->DrawImage(GM_I_SLV, 91, 315);
        if (GM_I_CLV != nullptr)
            g->DrawImage(GM_I_CLV, 93, 337);
        DrawStars(g, record->rating1, 315);
        DrawStars(g, record->rating2, 337);
    }
    if (mBpSelect != nullptr)
        mBpSelect->Draw(g);
    g->SetColor(Color(255, 255, 255, mFadeAlpha));
}

void Factory::ButtonDepress(int id)
{
    GamePhase* owner = mOwner;
    if (owner->mPanels[PANEL_TUTOR] != nullptr)
        owner->TutorPassEvent(id);
    owner->mApp->PlaySample(SE_UI_CLICK);
    if (id == ID_EXIT) {
        mFadingIn = false;
        mFadeAlpha = 1;
        mFadingOut = true;
        return;
    }
    if (mMode == MODE_OWNED)
        PressOwned(id);
    else if (mMode == MODE_FOR_SALE && id == ID_CHOOSE && mCanBuy)
        Buy();
}

void Factory::PressOwned(int id)
{
    GamePhase* owner = mOwner;
    const int product = ProductId();
    if (id == ID_CHOOSE) {
        OpenBpSelect(product);
        return;
    }
    if (id != ID_MACHINE && id != ID_SHAPING && id != ID_GLAZING)
        return;
    if (product < 1 || !owner->HasRecipeMaterials(product)) {
        owner->mApp->PlaySample(SE_MG5_WRONG);
        Warn(0, kShortText);
        return;
    }
    const ProductionRecord* record = owner->mProfile->FindProductRecord(product);
    if (record == nullptr)
        return;
    switch (id) {
    case ID_MACHINE:
        if (record->rate >= kMaxRate)
            Warn(4, "The Production Machine is already set to maximum capacity for this piece.");
        else if (record->rate > 0)
            Ask(1, "The Production Machine is already set for this piece, but the production rate can be improved. "
                   "Would you like to play again?");
        else
            StartMiniGame(owner, UIPopupYesNo::MiniGameOfKind(1));
        break;
    case ID_SHAPING:
        if (record->rating1 >= kMaxRating)
            Warn(4, "You've already shaped this piece to perfection.");
        else if (record->rating1 == 2)
            Ask(2, "You've already shaped this piece, but you may want to improve its star rating. Would you like to "
                   "play again?");
        else
            StartMiniGame(owner, UIPopupYesNo::MiniGameOfKind(2));
        break;
    default:
        if (record->rating2 >= kMaxRating)
            Warn(4, "You've already glazed this piece to perfection.");
        else if (record->rating2 == 2)
            Ask(3, "You've already glazed this piece, but you may want to improve its star rating. Would you like to "
                   "play again?");
        else
            StartMiniGame(owner, UIPopupYesNo::MiniGameOfKind(3));
        break;
    }
}

void Factory::Buy()
{
    GamePhase* owner = mOwner;
    PlayerProfile& profile = *owner->mProfile;
    FactoryState* state = State();
    // The money was tested when the panel was built; it is tested again so it never goes
    // below 0.
    if (state == nullptr || profile.money < mPrice) {
        RemoveControl(mChooseButton);
        mCanBuy = false;
        return;
    }
    profile.money -= mPrice;
    state->firstFlag = true;
    mCanBuy = false;
    RemoveControl(mChooseButton);
    if (GamePanel* info = owner->mPanels[PANEL_INFO])
        info->RefreshFactoryStatus();
    const auto& defs = owner->mApp->fxDefs;
    if (FXObject* effect = CreateFXObject(defs ? &*defs : nullptr, kBoughtEffect)) {
        effect->mX = kBoughtEffectX;
        effect->mY = kBoughtEffectY;
        owner->mEffects->Add(effect);
    }
    owner->mApp->PlaySample(SE_UI_GET);
    mFadingIn = false;
    mFadeAlpha = 1;
    mFadingOut = true;
}

void Factory::Warn(int style, const char* text)
{
    OpenPopup(PANEL_WARNING, style, text);
}

void Factory::Ask(int kind, const char* text)
{
    OpenPopup(PANEL_YES_NO, kind, text);
}

void Factory::OpenPopup(int panel, int extra, const char* text)
{
    if (mOwner->mPanels[panel] != nullptr)
        return;  // one at a time; the open one stays
    mOwner->ShowPanel(panel, extra);
    if (auto* popup = dynamic_cast<MessagePopup*>(mOwner->mPanels[panel]))
        popup->SetMessage(text);
}

void Factory::StartMiniGame(GamePhase* owner, int miniGameId)
{
    owner->ClosePanel(PANEL_FACTORY);
    if (GamePanel* info = owner->mPanels[PANEL_INFO])
        info->SetShown(false);
    owner->ShowPanel(PANEL_MINI_GAME, miniGameId);
}

void Factory::OpenBpSelect(int productId)
{
    if (mBpSelect != nullptr)
        return;
    mBpSelect = new BpSelect(mOwner, this, productId);
    mBpSelect->Resize(0, 0, mWidth, mHeight);
}

void Factory::CloseBpSelect()
{
    if (mBpSelect == nullptr)
        return;
    BpSelect* chooser = mBpSelect;
    mBpSelect = nullptr;
    mOwner->RemoveWidget(chooser);
    chooser->RemoveControls();
    mOwner->mApp->SafeDeleteWidget(chooser);
    if (GamePanel* info = mOwner->mPanels[PANEL_INFO])
        info->RefreshFactoryStatus();
}

void Factory::RemoveHoverEffects()
{
    mEffects->Remove(mHoverEffect);
    mEffects->Remove(mMachineEffect);
    mHoverEffect = nullptr;
    mMachineEffect = nullptr;
}

void Factory::ButtonMouseEnter(int id)
{
    if (mMode == MODE_OWNED && (id == ID_MACHINE || id == ID_SHAPING || id == ID_GLAZING)) {
        RemoveHoverEffects();
        switch (id) {
        case ID_MACHINE: {
            mParticles->StopSystem10001();
            auto* fire = new ParticleSystem("particle/FX_fire.psi", 0);
            if (mParticles->Add(kFireSystemId, fire) < 0)
                delete fire;
            else
                fire->StartAt(990, 300);
            mHoverEffect = HoverEffect(GM_BTN_MG0_C, 800, 440);
            break;
        }
        case ID_SHAPING:
            mHoverEffect = HoverEffect(GM_BTN_MG1_C, 540, 360);
            mMachineEffect = MachineEffect(GM_FACTORY_MG2, 437, 295);
            break;
        default:
            mHoverEffect = HoverEffect(GM_BTN_MG2_C, 280, 445);
            mMachineEffect = MachineEffect(GM_FACTORY_MG3, 298, 262);
            break;
        }
        mEffects->Add(mHoverEffect);
        if (mMachineEffect != nullptr)
            mEffects->Add(mMachineEffect);
    }
    ShowButtonHover(mOwner->mApp, mOwner);
}

void Factory::ButtonMouseLeave(int id)
{
    if (id == ID_MACHINE)
        mParticles->StopSystem10001();
    if (id == ID_MACHINE || id == ID_SHAPING || id == ID_GLAZING)
        RemoveHoverEffects();
    mOwner->ShowFinger(false);
}

} // namespace Quor
