#include "game/world/Supplier.h"

#include "app/Common.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXObject.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/EffectConstruction.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "platform/Sys.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"
#include "widgets/ScrollbarWidget.h"

#include <cmath>
#include <cstdio>

namespace Quor {

namespace {

constexpr int kOffersBar[4] = {833, 80, 21, 450};
constexpr int kOrderBarX = 931;
constexpr int kRemoveX = 860;
constexpr int kFirstColumnX = 105;
constexpr int kColumnStep = 122;
constexpr int kRowY[2] = {255, 465};
constexpr int kPurchaseEffect = 2;
constexpr int kPurchaseEffectX = 440;
constexpr int kPurchaseEffectY = 645;
constexpr int kTutorSteps[2][2] = {{40, 43}, {64, 65}};

const Color kInk(80, 20, 0);

Color WithAlpha(const Color& c, int alpha)
{
    return Color(c.mRed, c.mGreen, c.mBlue, alpha);
}

} // namespace

Supplier::Supplier(GamePhase* owner, int country) : TradePanel(owner, country)
{
    GameApp* app = owner->mApp;
    if (auto record = app->countryMapTable.find(country); record != app->countryMapTable.end()) {
        for (int id : record->second.sourceIds) {
            if (app->sourceTable.count(id)) {
                mMaterials.push_back(id);
                continue;
            }
            char line[96];
            std::snprintf(line, sizeof(line), "Material %d has no record; the supplier does not offer it\n", id);
            plat::DebugOutput(line);
        }
    }
    AddControl(mExit);
    mMessageOk = MakeImageButton(ID_MESSAGE_OK, this, BTN_OK2, BTN_OK2_O, BTN_OK2_C,
                                 GetCenteredX(ImageWidth(BTN_OK2)), 380);
    TakeControl(mMessageOk);
    mBlocker = new Widget();
    mBlocker->Resize(0, 0, owner->mWidth, owner->mHeight);
    TakeControl(mBlocker);

    Image* const thumb[3] = {BTN_SCROLL, BTN_SCROLL_O, BTN_SCROLL_C};
    Image* const arrows[6] = {BTN_UP2, BTN_UP2_O, BTN_UP2_C, BTN_DOWN2, BTN_DOWN2_O, BTN_DOWN2_C};
    mItemBar = MakeBar(ID_ITEM_BAR, false, kOffersBar, thumb, arrows, kRow);
    mItemBar->SetMaxValue(std::ceil(double(mMaterials.size()) / kColumns) * kRow - kRow);
    const int orderBar[4] = {kOrderBarX, 60, 21, 390};
    mOrderBarX = kOrderBarX;
    mOrderBar = MakeBar(ID_ORDER_BAR, false, orderBar, thumb, arrows, kRow);
    mOrderBar->SetMaxValue(0);

    for (int i = 0; i < kSlots; ++i)
        mSlots.push_back(MakeSlot(i, kFirstColumnX + kColumnStep * (i % kColumns) + 0, kRowY[i / kColumns] - 26, 1,
                                  BTN_ADD_C));
    mTotalsDue = true;
    mFocusSlot = 0;
    RefreshOffers();
    MakeRemoveButtons(kRemoveX);
    mSlide = 254;
    mSlidingIn = true;
}

int Supplier::UnitPrice(int basePrice, double buyFactor, int recentlyBought)
{
    int p = ClampPrice(basePrice * buyFactor);
    if (recentlyBought > 1000)
        p = ClampPrice(p * 1.2);
    else if (recentlyBought > 500)
        p = ClampPrice(p * 1.15);
    else if (recentlyBought > 100)
        p = ClampPrice(p * 1.1);
    return p;
}

void Supplier::ClearOffers()
{
    for (TradeSlot& slot : mSlots)
        ShowSlot(slot, false);
}

void Supplier::RefreshOffers()
{
    ClearOffers();
    for (int k = mPageStart; k < mPageStart + kSlots && k < int(mMaterials.size()); ++k) {
        TradeSlot& slot = mSlots[size_t(k - mPageStart)];
        slot.item = mMaterials[size_t(k)];
        FillSlot(slot);
    }
    UpdateUnitPrices();
    mPricesShown = true;
    mTotalsDue = true;
}

void Supplier::UpdateUnitPrices()
{
    const PlayerProfile& profile = *mOwner->mProfile;
    const auto& sources = mOwner->mApp->sourceTable;
    for (TradeSlot& slot : mSlots) {
        if (!slot.active)
            continue;
        const auto source = sources.find(slot.item);
        slot.unitPrice = source == sources.end()
                             ? 0
                             : UnitPrice(source->second.Price, profile.buyFactor,
                                         profile.CountRecentPurchases(slot.item));
    }
}

void Supplier::UpdateLineTotals()
{
    for (TradeSlot& slot : mSlots)
        if (slot.active)
            slot.lineTotal = int64_t(slot.unitPrice) * FieldValue(slot);
}

void Supplier::AddToOrder(int slotIndex, int quantity)
{
    if (quantity <= 0 || slotIndex < 0 || slotIndex >= kSlots || !mSlots[size_t(slotIndex)].active)
        return;
    const TradeSlot& slot = mSlots[size_t(slotIndex)];
    OrderLine& line = mOrder[slot.item];
    line.key = slot.item;
    line.quantity = SaturatingAdd(line.quantity, quantity);
    line.unitPrice = slot.unitPrice;
    line.total = int64_t(slot.unitPrice) * line.quantity;
    SumOrder();
    ResizeOrderBar();
    RefreshOrderList();
    BuyMaterial();
}

void Supplier::BuyMaterial()
{
    PlayerProfile& profile = *mOwner->mProfile;
    GameApp* app = mOwner->mApp;
    if (profile.money < mOrderTotal) {
        RefreshOffers();
        ClearOrder();
        SetOrderBarMaximum(0);
        ShowMessage(kNoMoney);
        return;
    }
    if (mOrderTotal == 0)
        return;
    profile.money = int32_t(profile.money - mOrderTotal);
    for (const auto& [material, line] : mOrder) {
        profile.materials[material] = SaturatingAdd(profile.materials[material], line.quantity);
        profile.AddPurchaseLogEntry(material, profile.day, line.quantity);
        profile.materialStats[material] = ItemStatRecord{material, int32_t(line.total / line.quantity), mCountry};
    }
    const FXDefList* defs = app->fxDefs ? &*app->fxDefs : nullptr;
    if (FXObject* effect = CreateFXObject(defs, kPurchaseEffect)) {
        effect->mX = kPurchaseEffectX;
        effect->mY = kPurchaseEffectY;
        mOwner->mEffects->Add(effect);
    }
    app->PlaySample(SE_UI_GET);
    ClearOrder();
    HideMessage();
    if (GamePanel* info = mOwner->mPanels[PANEL_INFO])
        info->RefreshInventory();
    if (GamePanel* dialog = mOwner->mPanels[PANEL_MISSION]) {
        dialog->UpdateQuestTargets();
        dialog->CheckQuestUnlocks(-1);
    }
    SetOrderBarMaximum(0);
    if (GamePanel* info = mOwner->mPanels[PANEL_INFO])
        info->RefreshFactoryStatus();
}

void Supplier::ShowMessage(const std::string& text)
{
    mMessageShown = true;
    mMessage = text;
    AddControl(mBlocker);
    AddControl(mMessageOk);
}

void Supplier::HideMessage()
{
    RemoveControl(mBlocker);
    RemoveControl(mMessageOk);
    mMessageShown = false;
    mMessage.clear();
}

void Supplier::Scroll(int id, double position)
{
    if (id == ID_ITEM_BAR) {
        const int r = Snap(position, kRow, mItemBar->mMaxValue);
        mItemBar->SetValue(r);
        mItemScroll = r;
        mPageStart = r / kRow * kColumns;
        RefreshOffers();
    } else if (id == ID_ORDER_BAR) {
        ScrollOrder(position);
    }
}

void Supplier::ScrollbarPressed(int id, double value)
{
    TradePanel::ScrollbarPressed(id, value);
    if (id == ID_ITEM_BAR)
        mPricesShown = false;
}

void Supplier::ButtonDepress(int id)
{
    GameApp* app = mOwner->mApp;
    app->PlaySample(SE_UI_CLICK);
    if (id == ID_EXIT) {
        StartSlideOut();
        if (HasTutor())
            mOwner->TutorPassEvent(ID_EXIT);
    } else if (id == ID_MESSAGE_OK) {
        HideMessage();
    } else if (id >= 0 && id < kSlots) {
        if (HasTutor())
            mOwner->TutorPassEvent(id);
        TradeSlot& slot = mSlots[size_t(id)];
        AddToOrder(id, FieldValue(slot));
        slot.field->SetText("", true);
    } else if (!AddToField(id)) {
        RemoveButton(id);
    }
}

bool Supplier::AllowChar(int id, char c)
{
    if (id < ID_FIELD || id >= ID_FIELD + kSlots)
        return true;
    for (const auto& steps : kTutorSteps) {
        const int verdict = TutorDigit(id, c, steps[0], steps[1], '5');
        if (verdict < 0)
            return false;
        if (verdict > 0) {
            // The later steps take the digit at once; the earlier ones go on to the digit rule.
            if (steps[0] == kTutorSteps[1][0]) {
                mTotalsDue = true;
                return true;
            }
            break;
        }
    }
    return AcceptDigit(c);
}

void Supplier::Draw(Graphics* g)
{
    GameApp* app = mOwner->mApp;
    const PlayerProfile& profile = *mOwner->mProfile;
    g->Translate(mX, mY);
    const Color white(255, 255, 255, mSlide);
    g->SetColor(white);
    g->SetColorizeImages(true);
    g->DrawImage(GM_BG_SUPPLIER, 0, 0);
    g->DrawImage(GM_NAME_SUPPLIER, GetCenteredX(ImageWidth(GM_NAME_SUPPLIER)), 0);
    g->DrawImage(GM_SUP_BG1, 63, 57);
    mExit->DrawIfVisible(g);

    g->SetClipRect(77, 105, 732, 420);
    g->SetFont(FONT_T14);
    const int cardWidth = ImageWidth(GM_SUP_ITEM_BG);
    for (size_t k = 0; k < mMaterials.size(); ++k) {
        const int x = 90 + kColumnStep * int(k % kColumns);
        const int y = 105 + kRow * int(k / kColumns) - mItemScroll;
        g->DrawImage(GM_SUP_ITEM_BG, x, y);
        const SourceRecord& source = app->sourceTable.at(mMaterials[k]);
        g->DrawImage(ResourceImageById(ResourceIdByName(source.Img.c_str())), x + 10, y + 10);
        g->SetColor(WithAlpha(kInk, mSlide));
        g->DrawWrappedTextAt(source.Name, x, y + 87, cardWidth, 13, 0);
        const auto held = profile.materials.find(mMaterials[k]);
        g->DrawWrappedTextAt(StrFormat("x%d", held == profile.materials.end() ? 0 : held->second), x, y + 20,
                             cardWidth - 10, 13, 1);
        g->SetColor(white);
    }

    for (const TradeSlot& slot : mSlots) {
        if (!slot.active)
            continue;
        const int c = slot.index % kColumns;
        const int r = slot.index / kColumns;
        DrawSlotButtons(g, slot);
        if (!mPricesShown)
            continue;
        g->SetFont(FONT_S14);
        g->SetColor(WithAlpha(kInk, mSlide));
        g->DrawWrappedTextAt(StrFormat("$%d/One", slot.unitPrice), 90 + kColumnStep * c, 225 + kRow * r, cardWidth,
                             13, 0);
        g->DrawWrappedTextAt(StrFormat("Total $%lld", static_cast<long long>(slot.lineTotal)), 90 + kColumnStep * c,
                             292 + kRow * r, cardWidth, 13, 0);
        g->SetColor(white);
    }
    g->ClearClipRect();
    mItemBar->DrawIfVisible(g);
    for (ButtonWidget* button : mRemove)
        button->DrawIfVisible(g);

    if (mMessageShown) {
        g->SetColor(Color(0, 0, 0, 128));
        g->FillRect(0, 0, mOwner->mWidth, mOwner->mHeight);
        const int hintX = GetCenteredX(ImageWidth(GM_HINT_BG));
        g->SetColor(white);
        g->DrawImage(GM_HINT_BG, hintX, 200);
        g->SetFont(FONT_S16);
        g->SetColor(Color::White);
        g->DrawWrappedTextAt(mMessage, hintX + 40, 250, ImageWidth(GM_HINT_BG) - 80, 20, -1);
        mMessageOk->DrawIfVisible(g);
    }
    g->SetColorizeImages(false);
    g->Translate(-mX, -mY);
}

} // namespace Quor
