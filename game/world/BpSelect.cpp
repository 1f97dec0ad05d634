#include "game/world/BpSelect.h"

#include "game/shell/DCapResource.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/Factory.h"
#include "game/world/GamePanel.h"
#include "game/world/GamePhase.h"
#include "game/world/RecipeView.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/Sys.h"
#include "widgets/ButtonWidget.h"
#include "widgets/ScrollbarWidget.h"

#include <algorithm>
#include <cstdio>

namespace Quor {

namespace {

constexpr int kListX = 274;
constexpr int kListY = 119;
constexpr int kRowSize = 90;

void Log(const char* format, int a, int b)
{
    char line[160];
    std::snprintf(line, sizeof(line), format, a, b);
    plat::DebugOutput(line);
}

Widget* Blocker(int x, int y, int width, int height)
{
    auto* blocker = new Widget();
    blocker->Resize(x, y, width, height);
    return blocker;
}

void DrawScaled(Graphics* g, Image* image, int x, int y, float scale)
{
    if (image == nullptr)
        return;
    g->SetScale(scale, scale, float(x), float(y));
    g->DrawImage(image, x, y);
    g->SetScale(1.0f, 1.0f, float(x), float(y));
}

std::string Count(int number)
{
    char text[16];
    std::snprintf(text, sizeof(text), "x%d", number);
    return text;
}

} // namespace

BpSelect::BpSelect(GamePhase* owner, Factory* factory, int productId) : mOwner(owner), mFactory(factory)
{
    (void)productId;
    mBlocker = Blocker(0, 0, owner->mWidth, owner->mHeight);
    owner->AddWidget(mBlocker);
    mSideBlockers[0] = Blocker(0, 108, 270, 110);
    mSideBlockers[1] = Blocker(767, 108, 270, 110);
    for (Widget* side : mSideBlockers)
        owner->AddWidget(side);
    mCloseButton = MakeImageButton(ID_CLOSE, this, BTN_LEFT, BTN_LEFT_O, BTN_LEFT, kPanelX + 565, kPanelY + 55);
    mCloseButton->mDoFinger = true;
    for (int row = 0; row < kRows; ++row) {
        mRowButtons[row] = MakeImageButton(row, this, IMG_NONE, nullptr, nullptr, kListX + row * kStep, kListY);
        mRowButtons[row]->Resize(kListX + row * kStep, kListY, kRowSize, kRowSize);
        mRowButtons[row]->mDoFinger = true;
    }
    mScrollbar = new ScrollbarWidget(ID_SCROLLBAR, this);
    mScrollbar->SetHorizontal(true);
    mScrollbar->SetInvisibleArrows();
    mScrollbar->SetThumbImages(BTN_SCROLL2, BTN_SCROLL2_O, BTN_SCROLL2_C);
    mScrollbar->SetMaxValue(0);
    mScrollbar->SetPageSize(kStep);
    mScrollbar->Resize(223, 235, 585, 21);
    mScrollbar->SetVisible(false);
    owner->AddWidget(mScrollbar);
    mFadeAlpha = 0;
    mFadingIn = true;
    mFadingOut = false;
}

BpSelect::~BpSelect()
{
    RemoveControls();
    for (ButtonWidget* button : mCountryButtons)
        delete button;
    for (ButtonWidget* button : mRowButtons)
        delete button;
    for (Widget* side : mSideBlockers)
        delete side;
    delete mCloseButton;
    delete mBlocker;
    delete mScrollbar;
}

void BpSelect::RemoveControls()
{
    mOwner->RemoveWidget(mBlocker);
    for (Widget* side : mSideBlockers)
        mOwner->RemoveWidget(side);
    mOwner->RemoveWidget(mCloseButton);
    mOwner->RemoveWidget(mScrollbar);
    for (ButtonWidget* button : mCountryButtons)
        mOwner->RemoveWidget(button);
    for (ButtonWidget* button : mRowButtons)
        mOwner->RemoveWidget(button);
}

void BpSelect::OnTop(Widget* widget)
{
    mOwner->RemoveWidget(widget);
    mOwner->AddWidget(widget);
}

void BpSelect::Tick(double dt)
{
    if (mFadingIn || mFadingOut)
        Widget::Tick(dt);
}

void BpSelect::FadeInDone()
{
    mFadeAlpha = 255;
    mOwner->AddWidget(mCloseButton);
    BuildCountryList();
    mScrollbar->SetVisible(true);
}

void BpSelect::FadeOutDone()
{
    // The factory frees the chooser after this update.
    mFactory->CloseBpSelect();
}

void BpSelect::SetScroll(int itemCount)
{
    mScrollbar->SetValue(0);
    mScrollbar->SetMaxValue((itemCount - 4) * kStep);
}

void BpSelect::BuildCountryList()
{
    const GameApp& app = *mOwner->mApp;
    mLists.clear();
    for (const auto& [id, owned] : mOwner->mProfile->recipes) {
        if (!owned)
            continue;
        const BlueprintRecord* record = FindBlueprint(app, id);
        if (record == nullptr) {
            Log("Owned recipe %d has no blueprint record; the chooser leaves it out\n", id, 0);
            continue;
        }
        if (record->CountryId < 0 || record->CountryId >= kCountryCount) {
            Log("Blueprint %d names country %d; the chooser leaves it out\n", id, record->CountryId);
            continue;
        }
        mLists[record->CountryId].push_back(id);
    }
    int place = 0;
    for (const auto& [country, ids] : mLists) {
        char name[32];
        std::snprintf(name, sizeof(name), "GM_BTN_C_%d", country);
        Image* normal = NamedImage(name);
        std::snprintf(name, sizeof(name), "GM_BTN_C_%d_O", country);
        Image* over = NamedImage(name);
        ButtonWidget* button = MakeImageButton(ID_COUNTRY + country, this, normal, over, normal,
                                               kListX + place * kStep - mScrollOffset, kListY);
        button->Resize(button->mX, button->mY, ImageWidth(over), ImageHeight(over));
        button->mDoFinger = true;
        mCountryButtons.push_back(button);
        ++place;
    }
    for (ButtonWidget* button : mCountryButtons)
        mOwner->AddWidget(button);
    for (Widget* side : mSideBlockers)
        OnTop(side);
    OnTop(mCloseButton);
    SetScroll(int(mLists.size()));
}

int BpSelect::SnapOffset(double value)
{
    const int whole = int(value);
    int offset = whole / kStep * kStep;
    if (whole % kStep > kStep / 2)
        offset += kStep;
    return offset;
}

int BpSelect::SlidePanelX() const
{
    return int(kPanelX - (1.0 - mFadeAlpha / 255.0) * kSlideDistance);
}

int BpSelect::BlueprintAtRow(int row) const
{
    const auto list = mLists.find(mCountry);
    if (list == mLists.end() || row < 0 || row >= mRowsShown)
        return -1;
    const size_t index = size_t(mFirst + row);
    return index < list->second.size() ? list->second[index] : -1;
}

void BpSelect::ScrollPosition(int id, double value)
{
    if (id != ID_SCROLLBAR)
        return;
    mScrollOffset = SnapOffset(value);
    // The place of the moment, not the one of the last drawing: the list is built at the end of
    // the fade-in, and a frame drawn some updates earlier saw the panel still sliding.
    mPanelX = SlidePanelX();
    if (mView == VIEW_COUNTRIES) {
        for (size_t i = 0; i < mCountryButtons.size(); ++i) {
            ButtonWidget* button = mCountryButtons[i];
            button->Move(mPanelX - mScrollOffset + int(i) * kStep + 50, button->mY);
        }
    } else if (mView == VIEW_BLUEPRINTS) {
        mFirst = mScrollOffset / kStep;
    }
}

void BpSelect::ScrollbarReleased(int id, double value)
{
    if (id != ID_SCROLLBAR)
        return;
    const int offset = SnapOffset(value);
    mScrollbar->SetValue(offset);
    mScrollOffset = offset;
    if (mView == VIEW_BLUEPRINTS)
        mFirst = offset / kStep;
}

void BpSelect::ShowCountry(int country)
{
    if (mLists.count(country) == 0)
        return;
    for (ButtonWidget* button : mCountryButtons)
        mOwner->RemoveWidget(button);
    mCountry = country;
    mView = VIEW_BLUEPRINTS;
    mFirst = 0;
    ShowBlueprintRows();
}

void BpSelect::ShowBlueprintRows()
{
    const int count = int(mLists[mCountry].size());
    mRowsShown = std::min(kRows, count - mFirst);
    for (int row = 0; row < mRowsShown; ++row)
        mOwner->AddWidget(mRowButtons[row]);
    SetScroll(count);
}

void BpSelect::ChooseBlueprint(int blueprintId)
{
    PlayerProfile& profile = *mOwner->mProfile;
    if (auto state = profile.factories.find(profile.country); state != profile.factories.end())
        state->second.productId = blueprintId;
    if (GamePanel* dialog = mOwner->mPanels[PANEL_MISSION])
        dialog->UpdateQuestTargets();
    for (ButtonWidget* button : mRowButtons)
        mOwner->RemoveWidget(button);
    mOwner->RemoveWidget(mCloseButton);
    mScrollbar->SetVisible(false);
    mView = VIEW_CLOSING;
    mHover = false;
    mHovered = -1;
    StartClosing();
}

void BpSelect::StartClosing()
{
    mFadeAlpha = 255;
    mFadingIn = false;
    mFadingOut = true;
}

void BpSelect::ButtonDepress(int id)
{
    if (mOwner->mPanels[PANEL_TUTOR] != nullptr)
        mOwner->TutorPassEvent(id);
    if (id == ID_CLOSE && mView == VIEW_COUNTRIES) {
        for (ButtonWidget* button : mCountryButtons) {
            mOwner->RemoveWidget(button);
            button->SetVisible(false);
        }
        mOwner->RemoveWidget(mCloseButton);
        mScrollbar->SetVisible(false);
        StartClosing();
    } else if (id == ID_CLOSE && mView == VIEW_BLUEPRINTS) {
        mView = VIEW_COUNTRIES;
        mFirst = 0;
        mCountry = -1;
        mRowsShown = 0;
        mHover = false;
        mHovered = -1;
        for (ButtonWidget* button : mRowButtons)
            mOwner->RemoveWidget(button);
        for (ButtonWidget* button : mCountryButtons) {
            mOwner->AddWidget(button);
            button->SetVisible(true);
        }
        for (Widget* side : mSideBlockers)
            OnTop(side);
        OnTop(mCloseButton);
        SetScroll(int(mLists.size()));
    } else if (id >= ID_COUNTRY && id < ID_COUNTRY + kCountryCount && mView == VIEW_COUNTRIES) {
        ShowCountry(id - ID_COUNTRY);
    } else if (id >= 0 && id < kRows && mView == VIEW_BLUEPRINTS) {
        const int blueprint = BlueprintAtRow(id);
        if (blueprint >= 0)
            ChooseBlueprint(blueprint);
    }
    mOwner->mApp->PlaySample(SE_UI_CLICK);
}

void BpSelect::ButtonMouseEnter(int id)
{
    if (mView == VIEW_BLUEPRINTS && id >= 0 && id < kRows) {
        mHovered = BlueprintAtRow(id);
        mHover = mHovered >= 0;
    }
    ShowButtonHover(mOwner->mApp, mOwner);
}

void BpSelect::ButtonMouseLeave(int id)
{
    (void)id;
    if (mView == VIEW_BLUEPRINTS) {
        mHover = false;
        mHovered = -1;
    }
    mOwner->ShowFinger(false);
}

void BpSelect::Draw(Graphics* g)
{
    const GameApp& app = *mOwner->mApp;
    g->SetColorizeImages(true);
    g->SetColor(Color(0, 0, 0, mFadeAlpha * 100 / 255));
    g->FillRect(0, 0, mOwner->mWidth, mOwner->mHeight);
    mPanelX = SlidePanelX();
    g->SetColorizeImages(false);
    g->SetColor(Color::White);
    if (GM_SELECT_BP_FRM != nullptr)
        g->DrawImage(GM_SELECT_BP_FRM, 36, 39);
    const int product = mFactory->ProductId();
    if (mOwner->mProfile->FindProductRecord(product) != nullptr)
        if (const BlueprintRecord* record = FindBlueprint(app, product))
            if (Image* picture = NamedImage(record->Img))
                g->DrawImage(picture, 67, 128);

    Graphics panel(*g);
    panel.ClipRect(223, mPanelY - 20, 600, 250);
    if (GM_SELECT_BP_BG != nullptr)
        panel.DrawImage(GM_SELECT_BP_BG, mPanelX - 20, mPanelY);
    mScrollbar->DrawIfVisible(&panel);
    if (mView == VIEW_COUNTRIES) {
        Graphics strip(panel);
        strip.ClipRect(270, 108, 497, 110);
        for (ButtonWidget* button : mCountryButtons)
            button->DrawIfVisible(&strip);
    } else if (mView == VIEW_BLUEPRINTS) {
        DrawRows(&panel);
    }
    if (mView == VIEW_BLUEPRINTS && mHover && mHovered >= 0)
        DrawCard(g);
}

void BpSelect::DrawRows(Graphics* g)
{
    const GameApp& app = *mOwner->mApp;
    const std::vector<int>& list = mLists[mCountry];
    for (int index = mFirst; index < int(list.size()) && index - mFirst < mRowsShown; ++index) {
        const int place = index - mFirst;
        const BlueprintRecord* record = FindBlueprint(app, list[size_t(index)]);
        const bool ready = mOwner->HasRecipeMaterials(list[size_t(index)]);
        const int shade = ready ? 255 : 128;
        g->SetColor(Color(shade, shade, shade));
        g->SetColorizeImages(true);
        if (record != nullptr)
            DrawScaled(g, NamedImage(record->Img), mPanelX + place * kStep + 50, mPanelY + 40, 0.65f);
        g->SetColor(Color::White);
        if (!ready && GM_I_NO_ITEM != nullptr)
            g->DrawImage(GM_I_NO_ITEM, mPanelX + (place + 1) * kStep, mPanelY + 100);
        g->SetColorizeImages(false);
        mRowButtons[place]->DrawIfVisible(g);
    }
}

void BpSelect::DrawCard(Graphics* g)
{
    const GameApp& app = *mOwner->mApp;
    const BlueprintRecord* record = FindBlueprint(app, mHovered);
    if (record == nullptr)
        return;
    const int x = mPanelX + 100;
    const int y = mPanelY + 200;
    g->SetColor(Color::White);
    if (GM_BG_ITEM_OVER2 != nullptr)
        g->DrawImage(GM_BG_ITEM_OVER2, x, y);
    DrawScaled(g, GM_BTN_IP1, x + 110, y + 20, 0.6f);
    if (FONT_T14 == nullptr)
        return;
    g->SetFont(FONT_T14);
    g->SetColor(Color::Black);
    g->DrawWrappedTextAt(record->Name, x + 10, y + 20, 170, 14, -1);
    int rowTop = y + 40;
    for (const auto& [material, needed] : record->materialQty) {
        const SourceRecord* source = FindSource(app, material);
        g->SetColor(Color::White);
        if (source != nullptr)
            DrawScaled(g, NamedImage(source->Img), x + 40, rowTop, 0.4f);
        g->SetColor(Color::Black);
        g->DrawString(Count(needed), x + 80, rowTop + 20);
        const HeldMaterial held = MaterialHeld(*mOwner->mProfile, material, needed);
        g->SetColor(held.isShort ? Color(255, 0, 0) : Color::Black);
        g->DrawString(Count(held.held), x + 120, rowTop + 20);
        if (held.isShort) {
            g->SetColor(Color::White);
            DrawScaled(g, GM_I_NO_ITEM, x + 150, rowTop, 0.6f);
        }
        rowTop += 30;
    }
}

} // namespace Quor
