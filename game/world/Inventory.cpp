#include "game/world/Inventory.h"

#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/PlayerProfile.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

#include <cstdio>
#include <algorithm>
#include <iterator>
#include <tuple>

namespace Quor {

namespace {

constexpr int kSpotSize = 50;
const Color kTextColor(80, 20, 0);

int SpotX(int left, int place)
{
    return left + 97 * (place % 3);
}

int SpotY(int place)
{
    return 625 + 57 * (place / 3);
}

} // namespace

Inventory::Inventory(GamePhase* owner) : PanelType(owner)
{
    mMaterialUp = MakeButton(ID_MATERIAL_UP, BTN_UP, BTN_UP_O, BTN_UP, 193, 640);
    mMaterialDown = MakeButton(ID_MATERIAL_DOWN, BTN_DOWN, BTN_DOWN_O, BTN_DOWN, 193, 700);
    mDinnerwareUp = MakeButton(ID_DINNERWARE_UP, BTN_UP, BTN_UP_O, BTN_UP, 843, 640);
    mDinnerwareDown = MakeButton(ID_DINNERWARE_DOWN, BTN_DOWN, BTN_DOWN_O, BTN_DOWN, 843, 700);
    for (int place = 0; place < kPageSize; ++place) {
        mMaterialSpots[place] = MakeButton(place, IMG_NONE, nullptr, nullptr, 0, 0);
        mMaterialSpots[place]->Resize(SpotX(250, place), SpotY(place), kSpotSize, kSpotSize);
        mDinnerwareSpots[place] = MakeButton(ID_DINNERWARE_SPOT + place, IMG_NONE, nullptr, nullptr, 0, 0);
        mDinnerwareSpots[place]->Resize(SpotX(540, place), SpotY(place), kSpotSize, kSpotSize);
    }
}

Inventory::~Inventory()
{
    for (ButtonWidget* button : {mMaterialUp, mMaterialDown, mDinnerwareUp, mDinnerwareDown}) {
        HideButton(button);
        delete button;
    }
    for (int place = 0; place < kPageSize; ++place) {
        HideButton(mMaterialSpots[place]);
        delete mMaterialSpots[place];
        HideButton(mDinnerwareSpots[place]);
        delete mDinnerwareSpots[place];
    }
}

int Inventory::MaterialCount() const
{
    return int(mOwner->mProfile->materials.size());
}

int Inventory::DinnerwareCount() const
{
    return int(mOwner->mProfile->stock.size());
}

int Inventory::MaterialAt(int index) const
{
    const auto& materials = mOwner->mProfile->materials;
    if (index < 0 || index >= int(materials.size()))
        return -1;
    return std::next(materials.begin(), index)->first;
}

void Inventory::SetShown(bool show)
{
    PanelType::SetShown(show);
    if (show) {
        mMaterialFirst = 0;
        ShowButton(mMaterialUp);
        ShowButton(mMaterialDown);
        mDinnerwareFirst = 0;
        ShowButton(mDinnerwareUp);
        ShowButton(mDinnerwareDown);
        Refresh();
        return;
    }
    HideButton(mMaterialUp);
    HideButton(mMaterialDown);
    for (ButtonWidget* spot : mMaterialSpots)
        HideButton(spot);
    HideButton(mDinnerwareUp);
    HideButton(mDinnerwareDown);
    for (ButtonWidget* spot : mDinnerwareSpots)
        HideButton(spot);
}

void Inventory::Refresh()
{
    if (!mShown)
        return;
    for (int place = 0; place < kPageSize; ++place) {
        HideButton(mMaterialSpots[place]);
        HideButton(mDinnerwareSpots[place]);
    }
    for (int place = 0; place < kPageSize && mMaterialFirst + place < MaterialCount(); ++place)
        ShowButton(mMaterialSpots[place]);
    for (int place = 0; place < kPageSize && mDinnerwareFirst + place < DinnerwareCount(); ++place)
        ShowButton(mDinnerwareSpots[place]);
}

void Inventory::Page(int& first, int step, int count)
{
    const int next = first + step;
    if (next >= 0 && next < count) {
        first = next;
        Refresh();
    }
}

void Inventory::ButtonDepress(int id)
{
    switch (id) {
    case ID_MATERIAL_UP:
        Page(mMaterialFirst, -kPageSize, MaterialCount());
        break;
    case ID_MATERIAL_DOWN:
        Page(mMaterialFirst, kPageSize, MaterialCount());
        break;
    case ID_DINNERWARE_UP:
        Page(mDinnerwareFirst, -kPageSize, DinnerwareCount());
        break;
    case ID_DINNERWARE_DOWN:
        Page(mDinnerwareFirst, kPageSize, DinnerwareCount());
        break;
    default:
        // The spots do nothing.
        return;
    }
    mOwner->mApp->PlaySample(SE_UI_CLICK);
}

void Inventory::ButtonMouseEnter(int id)
{
    bool showsItem = false;
    if (id >= 0 && id < kPageSize)
        showsItem = mMaterialFirst + id < MaterialCount();
    else if (id >= ID_DINNERWARE_SPOT && id < ID_DINNERWARE_SPOT + kPageSize)
        showsItem = mDinnerwareFirst + (id - ID_DINNERWARE_SPOT) < DinnerwareCount();
    else if (id == ID_MATERIAL_UP || id == ID_MATERIAL_DOWN || id == ID_DINNERWARE_UP || id == ID_DINNERWARE_DOWN) {
        ShowButtonHover(mOwner->mApp, mOwner);
        return;
    }
    if (!showsItem)
        return;
    mHovering = true;
    mHoveredSpot = id;
    ShowButtonHover(mOwner->mApp, mOwner);
}

void Inventory::ButtonMouseLeave(int id)
{
    (void)id;
    mHovering = false;
    mHoveredSpot = -1;
    mOwner->ShowFinger(false);
}

Image* Inventory::LevelImage(int rating)
{
    if (rating < 1)
        return GM_I_LV0;
    if (rating == 1)
        return GM_I_LV1;
    if (rating == 2)
        return GM_I_LV2;
    return GM_I_LV3;
}

void Inventory::Draw(Graphics* g)
{
    if (GM_BG_IP1_2 != nullptr)
        g->DrawImage(GM_BG_IP1_2, 178, 767 - GM_BG_IP1_2->GetHeight());
    g->SetFont(FONT_T14);
    g->SetColor(kTextColor);
    mMaterialUp->DrawIfVisible(g);
    mMaterialDown->DrawIfVisible(g);
    DrawMaterials(g);
    mDinnerwareUp->DrawIfVisible(g);
    mDinnerwareDown->DrawIfVisible(g);
    DrawDinnerware(g);
    g->SetFont(FONT_S14);
    if (mHovering)
        DrawHoverBox(g);
}

void Inventory::DrawMaterials(Graphics* g)
{
    const auto& materials = mOwner->mProfile->materials;
    auto it = materials.begin();
    std::advance(it, std::min<std::ptrdiff_t>(mMaterialFirst, std::ptrdiff_t(materials.size())));
    char text[24];
    for (int place = 0; place < kPageSize && it != materials.end(); ++place, ++it) {
        const int x = SpotX(250, place);
        const int y = SpotY(place);
        if (const SourceRecord* material = Material(it->first))
            DrawScaled(g, Picture(material->Img), x, y, 0.7f);
        std::snprintf(text, sizeof(text), "%d", it->second);
        g->DrawWrappedTextAt(text, x, y + 47, 80, -1, 1);
    }
}

void Inventory::DrawDinnerware(Graphics* g)
{
    const auto& stock = mOwner->mProfile->stock;
    char text[24];
    for (int place = 0; place < kPageSize && mDinnerwareFirst + place < int(stock.size()); ++place) {
        const StockItem& item = stock[size_t(mDinnerwareFirst + place)];
        const int x = SpotX(540, place);
        const int y = SpotY(place);
        if (const BlueprintRecord* blueprint = Blueprint(item.productId))
            DrawScaled(g, Picture(blueprint->Img), x, y, 0.35f);
        for (auto [image, dx, dy] : {std::tuple{GM_I_SLV, 50, 0}, std::tuple{GM_I_CLV, 50, 18},
                                     std::tuple{LevelImage(item.rating1), 68, 0},
                                     std::tuple{LevelImage(item.rating2), 68, 18}})
            if (image != nullptr)
                g->DrawImage(image, x + dx, y + dy);
        std::snprintf(text, sizeof(text), "%d", item.quantity);
        g->DrawWrappedTextAt(text, x, y + 47, 85, -1, 1);
    }
}

void Inventory::DrawHoverBox(Graphics* g)
{
    // The item is read afresh: a sale or purchase may have changed the lists since the mouse came.
    PlayerProfile& profile = *mOwner->mProfile;
    const bool isMaterial = mHoveredSpot >= 0 && mHoveredSpot < kPageSize;
    const int place = isMaterial ? mHoveredSpot : mHoveredSpot - ID_DINNERWARE_SPOT;
    if (place < 0 || place >= kPageSize)
        return;
    const int index = (isMaterial ? mMaterialFirst : mDinnerwareFirst) + place;
    if (index >= (isMaterial ? MaterialCount() : DinnerwareCount()))
        return;
    const int ox = isMaterial ? SpotX(250, place) : SpotX(540, place);
    const int oy = SpotY(place) - 100;
    if (GM_BG_ITEM_OVER != nullptr)
        g->DrawImage(GM_BG_ITEM_OVER, ox - 10, oy - 20);
    g->SetColor(kTextColor);
    if (isMaterial) {
        const int materialId = MaterialAt(index);
        const SourceRecord* material = Material(materialId);
        g->DrawWrappedTextAt(material != nullptr ? material->Name : "", ox, oy + 15, 200, 15, -1);
        auto stat = profile.materialStats.find(materialId);
        DrawTradeLines(g, stat != profile.materialStats.end() ? &stat->second : nullptr, "Bought in %s", ox, oy + 55,
                       oy + 75);
        return;
    }
    const StockItem& item = profile.stock[size_t(index)];
    const BlueprintRecord* blueprint = Blueprint(item.productId);
    g->DrawWrappedTextAt(blueprint != nullptr ? blueprint->Name : "", ox, oy + 10, 200, 15, -1);
    if (GM_I_SLV != nullptr)
        g->DrawImage(GM_I_SLV, ox, oy + 35);
    if (GM_I_CLV != nullptr)
        g->DrawImage(GM_I_CLV, ox + 80, oy + 35);
    const int ratings[2] = {item.rating1, item.rating2};
    for (int r = 0; r < 2; ++r) {
        const int x = ox + 20 + 80 * r;
        Image* stars[3] = {GM_I_LV1, ratings[r] >= 2 ? GM_I_LV2 : GM_I_LV0, ratings[r] >= 3 ? GM_I_LV3 : GM_I_LV0};
        for (int s = 0; s < 3; ++s)
            if (stars[s] != nullptr)
                g->DrawImage(stars[s], x + 17 * s, oy + 37);
    }
    auto stat = profile.blueprintStats.find(item.productId);
    DrawTradeLines(g, stat != profile.blueprintStats.end() ? &stat->second : nullptr, "Sell in : %s", ox, oy + 75,
                   oy + 95);
}

} // namespace Quor
