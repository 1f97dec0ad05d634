#include "game/world/TradePanel.h"

#include "app/Common.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/MusicTrackList.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/CountryMap.h"
#include "game/world/GamePhase.h"
#include "graphics/Color.h"
#include "graphics/Graphics.h"
#include "widgets/ButtonWidget.h"
#include "widgets/EditWidget.h"
#include "widgets/ScrollbarWidget.h"
#include "widgets/ScrollbuttonWidget.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace Quor {

namespace {

constexpr int kKeyBackspace = 8;
constexpr int kKeyTab = 9;
constexpr int kKeyEnter = 13;
constexpr int kKeyDelete = 46;
constexpr int kFieldWidth = 53;
constexpr int kFieldHeight = 20;
constexpr int kButtonRowDy = 26;
constexpr int kAddDx = 60;
constexpr int kAdd50Dx = 45;
constexpr int kRemoveY[2] = {80, 290};
constexpr int kOrderBarY = 60;
constexpr int kOrderBarHeight = 390;
constexpr int kBarThickness = 21;

} // namespace

TradePanel::TradePanel(GamePhase* owner, int country) : GamePanel(owner), mCountry(country)
{
    owner->mApp->musicTracks->StopAll();
    mExit = MakeImageButton(ID_EXIT, this, GM_BTN_EXIT, GM_BTN_EXIT_O, GM_BTN_EXIT_C,
                            owner->mWidth - ImageWidth(GM_BTN_EXIT), 506);
    mFadeAlpha = 255;
}

TradePanel::~TradePanel()
{
    GameApp* app = mOwner->mApp;
    if (!app->mShutdown)
        app->PlayCountryMusic(mCountry);
}

int TradePanel::FieldValue(const TradeSlot& slot)
{
    int value = 0;
    StringToInt(slot.field->mString, &value);
    return value;
}

int TradePanel::Snap(double position, int unit, double maximum)
{
    // NaN and anything outside the bar's range land on its ends first.
    const double top = std::max(0.0, maximum);
    double clamped = position >= 0.0 ? position : 0.0;
    if (clamped > top)
        clamped = top;
    const int whole = int(clamped);
    int snapped = whole / unit * unit;
    if (whole % unit > unit / 2)
        snapped += unit;
    return snapped;
}

int TradePanel::ClampPrice(double price)
{
    if (!(price > 0.0))
        return 0;
    if (price >= double(INT_MAX))
        return INT_MAX;
    return int(price);
}

TradePanel::TradeSlot TradePanel::MakeSlot(int index, int x, int y, int fieldDx, Image* addDown)
{
    TradeSlot slot;
    slot.index = index;
    slot.field = new EditWidget(ID_FIELD + index, this);
    slot.field->SetFont(FONT_S15);
    slot.field->SetColor(EditWidget::COLOR_BKG, Color::White);
    slot.field->SetColor(EditWidget::COLOR_OUTLINE, Color::Black);
    slot.field->SetColor(EditWidget::COLOR_TEXT, Color::Black);
    slot.field->mMaxChars = kFieldChars;
    slot.field->Resize(x + fieldDx, y, kFieldWidth, kFieldHeight);
    slot.add = MakeImageButton(index, this, BTN_ADD, BTN_ADD_O, addDown, x + kAddDx, y);
    slot.add10 = MakeImageButton(ID_ADD10 + index, this, BTN_ADD10, BTN_ADD10_O, BTN_ADD10_C, x, y + kButtonRowDy);
    slot.add50 =
        MakeImageButton(ID_ADD50 + index, this, BTN_ADD50, BTN_ADD50_O, BTN_ADD50_C, x + kAdd50Dx, y + kButtonRowDy);
    for (Widget* w : {static_cast<Widget*>(slot.field), static_cast<Widget*>(slot.add),
                      static_cast<Widget*>(slot.add10), static_cast<Widget*>(slot.add50)})
        TakeControl(w);
    return slot;
}

ScrollbarWidget* TradePanel::MakeBar(int id, bool horizontal, const int place[4], Image* const thumb[3],
                                     Image* const arrows[6], int unit)
{
    auto* bar = new ScrollbarWidget(id, this);
    bar->SetHorizontal(horizontal);
    bar->SetThumbImages(thumb[0], thumb[1], thumb[2]);
    ScrollbuttonWidget* ends[2] = {bar->mUpButton, bar->mDownButton};
    for (int i = 0; i < 2; ++i) {
        ends[i]->mButtonImage = arrows[3 * i];
        ends[i]->mOverImage = arrows[3 * i + 1];
        ends[i]->mDownImage = arrows[3 * i + 2];
    }
    bar->SetInvisibleArrows();
    bar->SetPageSize(unit);
    bar->SetArrowStep(unit);
    bar->ResizeScrollbar(place[0], place[1], place[2], place[3]);
    AddControl(bar);
    return bar;
}

void TradePanel::MakeRemoveButtons(int x)
{
    mRemoveX = x;
    for (int i = 0; i < 2; ++i) {
        mRemove[i] = MakeImageButton(ID_REMOVE, this, BTN_X, BTN_X_O, BTN_X_C, x, kRemoveY[i]);
        mRemove[i]->SetVisible(false);
        TakeControl(mRemove[i]);
    }
}

void TradePanel::ShowSlot(TradeSlot& slot, bool shown)
{
    for (Widget* w : {static_cast<Widget*>(slot.add), static_cast<Widget*>(slot.add10),
                      static_cast<Widget*>(slot.add50), static_cast<Widget*>(slot.field)}) {
        if (shown)
            AddControl(w);
        else
            RemoveControl(w);
    }
    if (!shown) {
        slot.active = false;
        slot.item = -1;
        slot.field->SetText("", true);
    }
}

void TradePanel::FillSlot(TradeSlot& slot)
{
    slot.active = true;
    ShowSlot(slot, true);
    mLastFilled = slot.index;
    if (mFocusSlot > slot.index)
        mFocusSlot = slot.index;
    GiveFocus(mFocusSlot);
}

void TradePanel::GiveFocus(int slot)
{
    if (slot < 0 || slot >= int(mSlots.size()))
        return;
    EditWidget* field = mSlots[size_t(slot)].field;
    if (WidgetManager* manager = mOwner->mApp->mWidgetManager)
        manager->SetFocus(field);
    field->GotFocus();
}

void TradePanel::FocusLost()
{
    if (mFocusSlot >= 0 && mFocusSlot < int(mSlots.size()))
        mSlots[size_t(mFocusSlot)].field->LostFocus();
}

bool TradePanel::AddToField(int id)
{
    int step = 0;
    int slot = -1;
    if (id >= ID_ADD10 && id < ID_ADD10 + int(mSlots.size())) {
        step = 10;
        slot = id - ID_ADD10;
    } else if (id >= ID_ADD50 && id < ID_ADD50 + int(mSlots.size())) {
        step = 50;
        slot = id - ID_ADD50;
    } else {
        return false;
    }
    TradeSlot& s = mSlots[size_t(slot)];
    const int64_t sum = std::clamp<int64_t>(int64_t(FieldValue(s)) + step, 0, kMaxFieldSum);
    s.field->SetText(std::to_string(sum), true);
    if (WidgetManager* manager = mOwner->mApp->mWidgetManager)
        manager->SetFocus(s.field);
    s.field->GotFocus();
    mTotalsDue = true;
    return true;
}

bool TradePanel::RemoveButton(int id)
{
    if (id < ID_REMOVE || id >= ID_REMOVE + kRemoveKeys)
        return id >= ID_REMOVE && id < ID_ADD10;  // other remove ids do nothing
    if (mOrder.erase(id - ID_REMOVE) == 0)
        return true;
    SumOrder();
    const int count = int(mOrder.size());
    if (mOrderFirstRow > count - 2) {
        mOrderFirstRow = count - 2;
        if (mOrderFirstRow < 0)
            mOrderFirstRow = 0;
        mOrderBar->SetValue(mOrderFirstRow * kOrderRow);
        mOrderScroll = mOrderFirstRow * kOrderRow;
    }
    ResizeOrderBar();
    RefreshOrderList();
    return true;
}

int TradePanel::TutorDigit(int id, char c, int firstStep, int lastStep, char digit)
{
    const int step = mOwner->mProfile->tutorialStep;
    if (step < firstStep || step > lastStep)
        return 0;
    EditWidget* field = mSlots[size_t(id - ID_FIELD)].field;
    if (field->mString == std::string(1, digit))
        return -1;
    if (!field->mString.empty() || c != digit)
        return 0;
    if (HasTutor())
        mOwner->TutorPassEvent(digit - '0');
    field->LostFocus();
    return 1;
}

bool TradePanel::AcceptDigit(char c)
{
    if (c < '0' || c > '9')
        return false;
    mTotalsDue = true;
    return true;
}

bool TradePanel::AllowKey(int id, int key)
{
    if (id < ID_FIELD || id >= ID_FIELD + int(mSlots.size()))
        return true;
    switch (key) {
    case kKeyEnter:
        AddToOrder(id - ID_FIELD, FieldValue(mSlots[size_t(id - ID_FIELD)]));
        mOwner->mApp->PlaySample(SE_UI_CLICK);
        break;
    case kKeyBackspace:
    case kKeyDelete:
        mTotalsDue = true;
        break;
    case kKeyTab:
        mFocusSlot = mFocusSlot <= -1 || mFocusSlot >= mLastFilled ? 0 : mFocusSlot + 1;
        GiveFocus(mFocusSlot);
        break;
    default:
        break;
    }
    return true;
}

void TradePanel::SumOrder()
{
    mOrderTotal = 0;
    for (const auto& [key, line] : mOrder)
        mOrderTotal += line.total;
}

void TradePanel::SetOrderBarMaximum(double maximum)
{
    mOrderBar->SetMaxValue(maximum);
    mOrderBar->ResizeScrollbar(mOrderBarX, kOrderBarY, kBarThickness, kOrderBarHeight);
}

void TradePanel::ResizeOrderBar()
{
    const int maximum = (int(mOrder.size()) - 1) * kOrderRow;
    SetOrderBarMaximum(maximum > kOrderRow ? maximum : 0);
}

void TradePanel::RefreshOrderList()
{
    for (ButtonWidget* button : mRemove) {
        RemoveControl(button);
        button->SetVisible(false);
    }
    int row = 0;
    int shown = 0;
    for (const auto& [key, line] : mOrder) {
        if (row++ < mOrderFirstRow)
            continue;
        if (shown == 2)
            break;
        ButtonWidget* button = mRemove[shown++];
        button->mId = ID_REMOVE + key;
        AddControl(button);
        button->SetVisible(true);
    }
}

void TradePanel::ClearOrder()
{
    mOrder.clear();
    ResizeOrderBar();
    RefreshOrderList();
    mOrderFirstRow = 0;
    mOrderScroll = 0;
    mTotalsDue = true;
    mOrderTotal = 0;
}

void TradePanel::ScrollOrder(double position)
{
    const int r = Snap(position, kOrderRow, mOrderBar->mMaxValue);
    mOrderBar->SetValue(r);
    mOrderScroll = r;
    mOrderFirstRow = std::max(0, std::min(r / kOrderRow, int(mOrder.size()) - 2));
    RefreshOrderList();
}

void TradePanel::ScrollPosition(int id, double value)
{
    if (id == ID_ITEM_BAR)
        mItemScroll = Snap(value, int(mItemBar->mPageSize), mItemBar->mMaxValue);
    else if (id == ID_ORDER_BAR)
        mOrderScroll = Snap(value, kOrderRow, mOrderBar->mMaxValue);
}

void TradePanel::ScrollbarReleased(int id, double value)
{
    Scroll(id, value);
}

void TradePanel::ScrollbarPressed(int id, double value)
{
    (void)id;
    (void)value;
    mOwner->mApp->PlaySample(SE_UI_CLICK);
}

void TradePanel::ScrollArrowStep(int id, double value)
{
    Scroll(id, value);
}

void TradePanel::Tick(double dt)
{
    if (mTotalsDue) {
        mTotalsDue = false;
        UpdateLineTotals();
    }
    const int width = mOwner->mWidth;
    if (mSlidingIn && mSlide < 255) {
        mSlide = int(mSlide + dt * kSlideSpeed);
        Move(mSlide * width / 255 - width, 0);
        if (mSlide >= 255) {
            mSlide = 255;
            Move(0, 0);
            mSlidingIn = false;
            FadeInDone();
        }
    } else if (mSlidingOut && mSlide > 0) {
        mSlide = int(mSlide - dt * kSlideSpeed);
        Move(width - mSlide * width / 255, 0);
        if (mSlide <= 0) {
            mSlide = 0;
            Move(width, 0);
            mSlidingOut = false;
            FadeOutDone();
        }
    }
}

void TradePanel::FadeInDone()
{
    mSlide = 255;
    mOwner->mApp->PlaySample(SE_SHOP);
}

void TradePanel::FadeOutDone()
{
    if (auto* map = dynamic_cast<CountryMap*>(mOwner->mPanels[PANEL_COUNTRY_MAP]))
        map->ShowAgain();
    for (int id : {PANEL_CELLAR, PANEL_SUPPLIER})
        if (mOwner->mPanels[id] == this)
            mOwner->ClosePanel(id);
}

void TradePanel::StartSlideOut()
{
    mSlide = 1;
    mSlidingIn = false;
    mSlidingOut = true;
}

bool TradePanel::HasTutor() const
{
    return mOwner->mPanels[PANEL_TUTOR] != nullptr;
}

void TradePanel::ButtonMouseEnter(int id)
{
    (void)id;
    ShowButtonHover(mOwner->mApp, mOwner);
}

void TradePanel::ButtonMouseLeave(int id)
{
    (void)id;
    mOwner->ShowFinger(false);
}

void TradePanel::DrawSlotButtons(Graphics* g, const TradeSlot& slot)
{
    g->DrawImage(GM_SUP_ITEM_PRICE, slot.field->mX - 5, slot.field->mY - 5);
    slot.add->DrawIfVisible(g);
    slot.add10->DrawIfVisible(g);
    slot.add50->DrawIfVisible(g);
}

} // namespace Quor
