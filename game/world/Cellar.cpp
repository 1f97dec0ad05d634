#include "game/world/Cellar.h"

#include "app/Common.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"
#include "widgets/ScrollbarWidget.h"

#include <algorithm>

namespace Quor {

namespace {

constexpr int kStockBar[4] = {42, 510, 785, 21};
constexpr int kOrderBarX = 960;
constexpr int kRemoveX = 900;
constexpr int kFirstSlotX = 75;
constexpr int kSlotY = 320;
constexpr int kFirstCardX = 65;
constexpr int kTutorSteps[2] = {57, 58};

const Color kInk(250, 250, 240);

} // namespace

Cellar::Cellar(GamePhase* owner, int country) : TradePanel(owner, country)
{
    AddControl(mExit);
    mSellAll = MakeImageButton(ID_SELL_ALL, this, GM_BTN_SELL, GM_BTN_SELL_O, GM_BTN_SELL_C,
                               770 + ImageWidth(GM_BTN_SELL), 430);
    AddControl(mSellAll);
    Image* const stockThumb[3] = {BTN_SCROLL2, BTN_SCROLL2_O, BTN_SCROLL2_C};
    Image* const stockArrows[6] = {BTN_LEFT3, BTN_LEFT3_O, BTN_LEFT3_C, BTN_RIGHT3, BTN_RIGHT3_O, BTN_RIGHT3_C};
    mItemBar = MakeBar(ID_ITEM_BAR, true, kStockBar, stockThumb, stockArrows, kColumn);
    mItemBar->SetMaxValue((double(owner->mProfile->stock.size()) - kVisibleCards) * kColumn);
    Image* const orderThumb[3] = {BTN_SCROLL, BTN_SCROLL_O, BTN_SCROLL_C};
    Image* const orderArrows[6] = {BTN_UP2, BTN_UP2_O, BTN_UP2_C, BTN_DOWN2, BTN_DOWN2_O, BTN_DOWN2_C};
    const int orderBar[4] = {kOrderBarX, 60, 21, 390};
    mOrderBarX = kOrderBarX;
    mOrderBar = MakeBar(ID_ORDER_BAR, false, orderBar, orderThumb, orderArrows, kOrderRow);
    mOrderBar->SetMaxValue(0);
    for (int s = 0; s < kSlots; ++s)
        mSlots.push_back(MakeSlot(s, kFirstSlotX + kColumn * s, kSlotY, 0, BTN_ADD));
    mTotalsDue = true;
    mFocusSlot = 0;
    RefreshSlots();
    MakeRemoveButtons(kRemoveX);
    mSlide = 254;
    mSlidingIn = true;
}

void Cellar::ClearSlots()
{
    for (TradeSlot& slot : mSlots)
        ShowSlot(slot, false);
}

void Cellar::RefreshSlots()
{
    ClearSlots();
    const int count = int(mOwner->mProfile->stock.size());
    for (int k = mFirstIndex; k < count && k < mFirstIndex + kSlots; ++k) {
        TradeSlot& slot = mSlots[size_t(k - mFirstIndex)];
        slot.item = k;
        FillSlot(slot);
    }
    UpdatePrices();
}

int Cellar::SalePrice(const StockItem& item) const
{
    return mOwner->DinnerwareSalePrice(item.productId, item.rating1, item.rating2);
}

void Cellar::UpdatePrices()
{
    const std::vector<StockItem>& stock = mOwner->mProfile->stock;
    for (TradeSlot& slot : mSlots)
        if (slot.active && slot.item < int(stock.size()))
            slot.unitPrice = SalePrice(stock[size_t(slot.item)]);
    mTotalsDue = true;
}

void Cellar::UpdateLineTotals()
{
    const std::vector<StockItem>& stock = mOwner->mProfile->stock;
    for (TradeSlot& slot : mSlots) {
        // A slot whose item left the stock since the last refresh counts nothing.
        if (!slot.active || slot.item >= int(stock.size()))
            continue;
        int q = FieldValue(slot);
        const int held = stock[size_t(slot.item)].quantity;
        if (q > held) {
            q = held;
            slot.field->mString = std::to_string(q);
            slot.field->mCursorPos = 0;
            slot.field->SetDirty();
        }
        slot.lineTotal = int64_t(slot.unitPrice) * q;
    }
}

bool Cellar::PutInOrder(int slotIndex, int quantity)
{
    if (quantity <= 0 || slotIndex < 0 || slotIndex >= kSlots || !mSlots[size_t(slotIndex)].active ||
        mSlots[size_t(slotIndex)].item >= int(mOwner->mProfile->stock.size()))
        return false;
    const TradeSlot& slot = mSlots[size_t(slotIndex)];
    const int held = mOwner->mProfile->stock[size_t(slot.item)].quantity;
    OrderLine& line = mOrder[slot.item];
    line.key = slot.item;
    line.quantity = std::min(SaturatingAdd(line.quantity, std::min(quantity, held)), held);
    line.unitPrice = slot.unitPrice;
    line.total = int64_t(slot.unitPrice) * line.quantity;
    SumOrder();
    ResizeOrderBar();
    RefreshOrderList();
    return true;
}

void Cellar::AddToOrder(int slotIndex, int quantity)
{
    if (PutInOrder(slotIndex, quantity))
        Sell();
}

bool Cellar::Sell()
{
    PlayerProfile& profile = *mOwner->mProfile;
    std::vector<StockItem>& stock = profile.stock;
    if (profile.tutorialStep == kTenPiecesStep) {
        const bool tenOfTheFirst = std::any_of(mOrder.begin(), mOrder.end(), [&](const auto& entry) {
            const OrderLine& line = entry.second;
            return line.key < int(stock.size()) && stock[size_t(line.key)].productId == 1 && line.quantity >= 10;
        });
        if (!tenOfTheFirst)
            return false;
        if (HasTutor())
            mOwner->TutorPassEvent(ID_SELL_ALL);
    }
    // Each entry sells at most what its own item holds now; emptied items go after the loop so
    // that every entry still finds its item.
    int64_t earned = 0;
    for (auto& [index, line] : mOrder) {
        line.quantity = index < int(stock.size()) ? std::min(line.quantity, stock[size_t(index)].quantity) : 0;
        line.total = int64_t(line.unitPrice) * line.quantity;
        earned += line.total;
    }
    if (std::all_of(mOrder.begin(), mOrder.end(), [](const auto& e) { return e.second.quantity == 0; }))
        return false;
    profile.money = SaturatingAdd(profile.money, earned);
    GamePanel* info = mOwner->mPanels[PANEL_INFO];
    if (!mSellingAll && info != nullptr)
        info->ShowMoneyEffect();
    GamePanel* dialog = mOwner->mPanels[PANEL_MISSION];
    for (const auto& [index, line] : mOrder) {
        if (line.quantity <= 0)
            continue;
        StockItem& item = stock[size_t(index)];
        if (dialog != nullptr)
            dialog->CheckSaleTargets(item.productId, line.quantity);
        profile.AddSaleLogEntry(item.productId, profile.day, line.quantity);
        profile.blueprintStats[item.productId] =
            ItemStatRecord{item.productId, int32_t(line.total / line.quantity), mCountry};
        item.quantity -= line.quantity;
    }
    profile.RemoveEmptyStockItems();

    RefreshSlots();
    ClearOrder();
    mFirstIndex = 0;
    ResetStockBar();
    RefreshSlots();
    if (info != nullptr)
        info->RefreshInventory();
    if (dialog != nullptr) {
        dialog->UpdateQuestTargets();
        dialog->CheckQuestUnlocks(-1);
    }
    return true;
}

void Cellar::ResetStockBar()
{
    mItemScroll = 0;
    mItemBar->SetValue(0);
    mItemBar->SetMaxValue((double(mOwner->mProfile->stock.size()) - kVisibleCards) * kColumn);
    mItemBar->ResizeScrollbar(kStockBar[0], kStockBar[1], kStockBar[2], kStockBar[3]);
    mItemScroll = 0;
}

void Cellar::SellAll()
{
    PlayerProfile& profile = *mOwner->mProfile;
    const int32_t before = profile.money;
    mSellingAll = true;
    // A pass that sells nothing (the tutorial's ten-piece rule) ends the loop.
    while (!profile.stock.empty() && PutInOrder(0, profile.stock.front().quantity) && Sell()) {
    }
    if (profile.money > before)
        if (GamePanel* info = mOwner->mPanels[PANEL_INFO])
            info->ShowMoneyEffect();
    mSellingAll = false;
}

void Cellar::Scroll(int id, double position)
{
    if (id == ID_ITEM_BAR) {
        const int r = Snap(position, kColumn, mItemBar->mMaxValue);
        mItemBar->SetValue(r);
        mItemScroll = r;
        mFirstIndex = r / kColumn;
        RefreshSlots();
    } else if (id == ID_ORDER_BAR) {
        ScrollOrder(position);
    }
}

void Cellar::ButtonDepress(int id)
{
    mOwner->mApp->PlaySample(SE_UI_CLICK);
    if (id == ID_EXIT) {
        if (HasTutor())
            mOwner->TutorPassEvent(ID_EXIT);
        StartSlideOut();
    } else if (id == ID_SELL_ALL) {
        SellAll();
        if (HasTutor())
            mOwner->TutorPassEvent(ID_SELL_ALL);
    } else if (id >= 0 && id < kSlots) {
        if (HasTutor())
            mOwner->TutorPassEvent(id);
        AddToOrder(id, FieldValue(mSlots[size_t(id)]));
    } else if (!AddToField(id)) {
        RemoveButton(id);
    }
}

bool Cellar::AllowChar(int id, char c)
{
    if (id < ID_FIELD || id >= ID_FIELD + kSlots)
        return true;
    const int verdict = TutorDigit(id, c, kTutorSteps[0], kTutorSteps[1], '4');
    if (verdict < 0)
        return false;
    if (verdict > 0) {
        mTotalsDue = true;
        return true;
    }
    return AcceptDigit(c);
}

void Cellar::DrawCard(Graphics* g, const StockItem& item, int x)
{
    GameApp* app = mOwner->mApp;
    const Color white(255, 255, 255, mSlide);
    g->DrawImage(GM_CEL_ITEM_BG, x - 10, 120);
    const auto blueprint = app->blueprintTable.find(item.productId);
    if (blueprint != app->blueprintTable.end()) {
        g->SetScale(0.7f, 0.7f, float(x), 130.0f);
        g->DrawImage(ResourceImageById(ResourceIdByName(blueprint->second.Img.c_str())), x, 130);
        g->SetScale(1.0f, 1.0f, float(x), 130.0f);
    }
    const int cardWidth = ImageWidth(GM_SUP_ITEM_BG);
    g->SetColor(Color(kInk.mRed, kInk.mGreen, kInk.mBlue, mSlide));
    if (blueprint != app->blueprintTable.end())
        g->DrawWrappedTextAt(blueprint->second.Name, x - 10, 237, cardWidth, 13, 0);
    g->DrawString(":", x + 26, 275);
    g->DrawString(":", x + 26, 295);
    g->DrawWrappedTextAt(StrFormat("x%d", item.quantity), x - 2, 124, cardWidth - 10, 13, 1);
    g->SetColor(white);
    Image* const grades[4] = {GM_I_LV0, GM_I_LV1, GM_I_LV2, GM_I_LV3};
    g->DrawImage(GM_I_SLV, x + 4, 262);
    g->DrawImage(GM_I_CLV, x + 4, 282);
    for (int j = 0; j < 3; ++j) {
        g->DrawImage(item.rating1 > j ? grades[j + 1] : grades[0], x + 30 + 18 * j, 264);
        g->DrawImage(item.rating2 > j ? grades[j + 1] : grades[0], x + 30 + 18 * j, 282);
    }
}

void Cellar::Draw(Graphics* g)
{
    const std::vector<StockItem>& stock = mOwner->mProfile->stock;
    g->Translate(mX, mY);
    const Color white(255, 255, 255, mSlide);
    g->SetColor(white);
    g->SetColorizeImages(true);
    g->DrawImage(GM_BG_CELLAR, 0, 0);
    g->DrawImage(GM_NAME_CELLAR, GetCenteredX(ImageWidth(GM_NAME_CELLAR)), 0);
    g->DrawImage(GM_CEL_BG1, 35, 59);
    mExit->DrawIfVisible(g);
    mSellAll->DrawIfVisible(g);

    g->SetClipRect(55, 98, 732, 350);
    g->SetFont(FONT_T14);
    for (size_t k = 0; k < stock.size(); ++k)
        DrawCard(g, stock[k], kFirstCardX + kColumn * int(k) - mItemScroll);

    for (const TradeSlot& slot : mSlots) {
        if (!slot.active)
            continue;
        const int x = 46 + kColumn * slot.index;
        DrawSlotButtons(g, slot);
        g->SetColor(Color(kInk.mRed, kInk.mGreen, kInk.mBlue, mSlide));
        g->SetFont(FONT_S16);
        g->DrawWrappedTextAt(StrFormat("$%d", slot.unitPrice), x, 315, 120, 13, 0);
        g->SetFont(FONT_S14);
        g->DrawWrappedTextAt(StrFormat("Total $%lld", static_cast<long long>(slot.lineTotal)), x, 390, 102, 16, 1);
        g->SetColor(white);
    }
    g->SetFont(FONT_T14);
    g->ClearClipRect();
    mItemBar->DrawIfVisible(g);
    for (ButtonWidget* button : mRemove)
        button->DrawIfVisible(g);
    g->SetColorizeImages(false);
    g->Translate(-mX, -mY);
}

} // namespace Quor
