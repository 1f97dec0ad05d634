#include "game/world/FactoryStatus.h"

#include "app/Common.h"
#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/PlayerProfile.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "widgets/ButtonWidget.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>

namespace Quor {

namespace {

constexpr int kSpotSize = 22;
constexpr int kSpotY = 710;

int ColumnX(int column)
{
    return 245 + 145 * column;
}

const Color kTextColor(80, 20, 10);
const Color kBoxTextColor(80, 20, 0);

} // namespace

FactoryStatus::FactoryStatus(GamePhase* owner) : PanelType(owner)
{
    for (int column = 0; column < kColumns; ++column) {
        mRows[column].country = kColumnCountries[column];
        for (int place = 0; place < kPlaces; ++place) {
            const int id = kPlaces * column + place;
            mSpots[id] = MakeButton(id, IMG_NONE, nullptr, nullptr, 0, 0);
            mSpots[id]->Resize(256 + 144 * column + 24 * place, kSpotY, kSpotSize, kSpotSize);
        }
        mProduce[column] = MakeButton(ID_PRODUCE + column, BTN_SKIPS, BTN_SKIPS_O, BTN_SKIPS_C, 340 + 145 * column, 623);
    }
}

FactoryStatus::~FactoryStatus()
{
    for (ButtonWidget*& spot : mSpots) {
        HideButton(spot);
        delete spot;
        spot = nullptr;
    }
    for (ButtonWidget*& button : mProduce) {
        HideButton(button);
        delete button;
        button = nullptr;
    }
}

void FactoryStatus::SetShown(bool show)
{
    PanelType::SetShown(show);
    if (show)
        Refresh();
    for (ButtonWidget* spot : mSpots)
        show ? ShowButton(spot) : HideButton(spot);
    for (ButtonWidget* button : mProduce)
        show ? ShowButton(button) : HideButton(button);
}

void FactoryStatus::Refresh()
{
    PlayerProfile& profile = *mOwner->mProfile;
    for (int column = 0; column < kColumns; ++column) {
        FactoryStatusRow& row = mRows[column];
        row.country = kColumnCountries[column];
        auto found = profile.factories.find(row.country);
        const FactoryState factory = found != profile.factories.end() ? found->second : FactoryState{row.country};
        if (!factory.firstFlag) {
            row.state = factory.secondFlag ? FACTORY_FOR_SALE : FACTORY_CLOSED;
            continue;
        }
        if (factory.productId == -1) {
            row.state = FACTORY_NO_PRODUCT;
            continue;
        }
        const BlueprintRecord* blueprint = Blueprint(factory.productId);
        if (blueprint == nullptr) {
            // Nothing can be made of an unknown product: the column shows it short.
            row.materials.clear();
            row.state = FACTORY_SHORT;
            continue;
        }
        row.materials = blueprint->materialQty;
        bool enough = true;
        for (auto& [materialId, count] : row.materials) {
            auto held = profile.materials.find(materialId);
            const int needed = count;
            count = held != profile.materials.end() ? held->second : 0;
            if (held == profile.materials.end() || count < needed)
                enough = false;
        }
        row.state = enough ? FACTORY_READY : FACTORY_SHORT;
    }
}

int FactoryStatus::GaugeHeight(int count)
{
    if (count <= 0)
        return 0;
    return int(std::min<int64_t>(20, int64_t(count) * 20 / 200));
}

void FactoryStatus::ButtonDepress(int id)
{
    const int column = id - ID_PRODUCE;
    if (column < 0 || column >= kColumns)
        return;
    const int state = mRows[column].state;
    if (state == FACTORY_NO_PRODUCT || state == FACTORY_READY || state == FACTORY_SHORT)
        mOwner->ProduceInFactory(mRows[column].country);
}

void FactoryStatus::ButtonMouseEnter(int id)
{
    if (id < 0 || id >= kColumns * kPlaces)
        return;
    const int column = id / kPlaces;
    if (size_t(id % kPlaces) >= mRows[column].materials.size())
        return;
    mHovering = true;
    mHoveredSpot = id;
    ShowButtonHover(mOwner->mApp, mOwner);
}

void FactoryStatus::ButtonMouseLeave(int id)
{
    if (id < 0 || id >= ID_PRODUCE)
        return;
    mHovering = false;
    mHoveredSpot = -1;
    mOwner->ShowFinger(false);
}

void FactoryStatus::Draw(Graphics* g)
{
    if (GM_BG_IP3_1 != nullptr)
        g->DrawImage(GM_BG_IP3_1, 178, 767 - GM_BG_IP3_1->GetHeight());
    for (int column = 0; column < kColumns; ++column)
        DrawColumn(g, column);
    g->SetFont(FONT_S14);
    if (mHovering)
        DrawMaterialBox(g);
}

void FactoryStatus::DrawColumn(Graphics* g, int column)
{
    const FactoryStatusRow& row = mRows[column];
    const int x0 = ColumnX(column);
    char text[48];
    g->SetFont(FONT_G9);
    g->SetColor(kTextColor);
    const std::string name = ToUpperCopy(row.state == FACTORY_CLOSED ? "" : CountryName(row.country));
    switch (row.state) {
    case FACTORY_FOR_SALE: {
        g->DrawWrappedTextAt(name, x0, 639, 115, 20, 1);
        if (GM_FS_FAC_DISABLE != nullptr)
            g->DrawImage(GM_FS_FAC_DISABLE, x0 + 35, 642);
        g->SetFont(FONT_T13);
        g->DrawWrappedTextAt("For Sale :", x0, 704, 115, -1, 0);
        const MiniGameTuning& tuning = mOwner->mApp->miniGameTuning;
        const int price = row.country == 2 ? tuning.gp_fac_jap : row.country == 5 ? tuning.gp_fac_chi
                                                                                  : tuning.gp_fac_usa;
        std::snprintf(text, sizeof(text), "$%d", price);
        g->DrawWrappedTextAt(text, x0, 724, 115, -1, 0);
        break;
    }
    case FACTORY_NO_PRODUCT:
        g->DrawWrappedTextAt(name, x0, 639, 115, 20, 1);
        if (GM_FS_FAC_ERROR != nullptr)
            g->DrawImage(GM_FS_FAC_ERROR, x0, 635);
        break;
    case FACTORY_READY:
    case FACTORY_SHORT: {
        g->DrawWrappedTextAt(name, x0, 639, 115, 20, -1);
        if (Image* frame = row.state == FACTORY_READY ? GM_FS_FAC_NORMAL : GM_FS_FAC_ERROR)
            g->DrawImage(frame, x0, 645);
        PlayerProfile& profile = *mOwner->mProfile;
        auto factory = profile.factories.find(row.country);
        const int productId = factory != profile.factories.end() ? factory->second.productId : -1;
        if (const BlueprintRecord* blueprint = Blueprint(productId))
            DrawScaled(g, Picture(blueprint->Img), x0 + 50, 639, 0.35f);
        const ProductionRecord* record = profile.FindProductRecord(productId);
        if (record == nullptr)
            LogMissing("production", productId);
        g->SetFont(FONT_L8);
        std::snprintf(text, sizeof(text), "%d", record != nullptr ? record->rate : 0);
        g->DrawWrappedTextAt(text, x0 + 80, 684, 55, -1, 0);
        mProduce[column]->DrawIfVisible(g);
        break;
    }
    default:
        break;
    }
    // A recipe of more than five materials shows its first five.
    int place = 0;
    for (auto it = row.materials.begin(); it != row.materials.end() && place < kPlaces; ++it, ++place) {
        const ButtonWidget* spot = mSpots[kPlaces * column + place];
        if (const SourceRecord* material = Material(it->first))
            DrawScaled(g, Picture(material->Img), spot->mX, spot->mY, 0.37f);
        const int h = GaugeHeight(it->second);
        if (h > 0 && GM_FS_FAC_BAR != nullptr)
            g->DrawImageRegion(GM_FS_FAC_BAR, spot->mX, kSpotY - h, Rect(0, 20 - h, 6, h));
    }
}

void FactoryStatus::DrawMaterialBox(Graphics* g)
{
    if (mHoveredSpot < 0 || mHoveredSpot >= kColumns * kPlaces)
        return;
    // The material is looked up afresh: the recipe may have changed since the mouse came.
    PlayerProfile& profile = *mOwner->mProfile;
    const int column = mHoveredSpot / kPlaces;
    auto factory = profile.factories.find(kColumnCountries[column]);
    if (factory == profile.factories.end())
        return;
    const BlueprintRecord* blueprint = Blueprint(factory->second.productId);
    const size_t place = size_t(mHoveredSpot % kPlaces);
    if (blueprint == nullptr || place >= blueprint->materialQty.size())
        return;
    const int materialId = std::next(blueprint->materialQty.begin(), std::ptrdiff_t(place))->first;
    const int sx = mSpots[mHoveredSpot]->mX;
    const int sy = mSpots[mHoveredSpot]->mY;
    if (GM_BG_ITEM_OVER != nullptr)
        g->DrawImage(GM_BG_ITEM_OVER, sx - 60, sy - 115);
    g->SetColor(kBoxTextColor);
    const SourceRecord* material = Material(materialId);
    g->DrawWrappedTextAt(material != nullptr ? material->Name : "", sx - 50, sy - 85, 200, 15, -1);
    auto stat = profile.materialStats.find(materialId);
    DrawTradeLines(g, stat != profile.materialStats.end() ? &stat->second : nullptr, "Bought in %s", sx - 50,
                   sy - 45, sy - 25);
    auto held = profile.materials.find(materialId);
    char line[48];
    std::snprintf(line, sizeof(line), "Storage : %d", held != profile.materials.end() ? held->second : 0);
    g->DrawString(line, sx - 50, sy - 5);
}

} // namespace Quor
