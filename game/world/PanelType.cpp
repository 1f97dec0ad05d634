#include "game/world/PanelType.h"

#include "game/shell/GameApp.h"
#include "game/shell/MenuScreen.h"
#include "game/shell/PlayerProfile.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "platform/Sys.h"
#include "widgets/ButtonWidget.h"

#include <cstdio>

namespace Quor {

PanelType::PanelType(GamePhase* owner) : mOwner(owner) {}

void PanelType::SetShown(bool show)
{
    mShown = show;
}

void PanelType::Rebuild(int questId, int targetIndex)
{
    (void)questId;
    (void)targetIndex;
}

void PanelType::DrawCalendar(Graphics* g)
{
    (void)g;
}

void PanelType::DrawHelp(Graphics* g, int fade)
{
    (void)g;
    (void)fade;
}

ButtonWidget* PanelType::MakeButton(int id, Image* normal, Image* over, Image* down, int x, int y)
{
    return MakeImageButton(id, this, normal, over, down, x, y, false);
}

void PanelType::ShowButton(ButtonWidget* button)
{
    if (mOwner != nullptr && button != nullptr)
        mOwner->AddWidget(button);
}

void PanelType::HideButton(ButtonWidget* button)
{
    if (mOwner != nullptr && button != nullptr)
        mOwner->RemoveWidget(button);
}

void PanelType::LogMissing(const char* kind, int id)
{
    if (!mLogged.insert({kind, id}).second)
        return;
    char line[96];
    std::snprintf(line, sizeof(line), "The bar finds no %s record for id %d; it shows none\n", kind, id);
    plat::DebugOutput(line);
}

const BlueprintRecord* PanelType::Blueprint(int id)
{
    const auto& table = mOwner->mApp->blueprintTable;
    auto found = table.find(id);
    if (found != table.end())
        return &found->second;
    LogMissing("blueprint", id);
    return nullptr;
}

const SourceRecord* PanelType::Material(int id)
{
    const auto& table = mOwner->mApp->sourceTable;
    auto found = table.find(id);
    if (found != table.end())
        return &found->second;
    LogMissing("material", id);
    return nullptr;
}

std::string PanelType::CountryName(int country)
{
    const auto& table = mOwner->mApp->countryMapTable;
    auto found = table.find(country);
    if (found != table.end())
        return found->second.Name;
    LogMissing("country", country);
    return "";
}

Image* PanelType::Picture(const std::string& name)
{
    return ResourceImageById(ResourceIdByName(name.c_str()));
}

void PanelType::DrawScaled(Graphics* g, Image* image, int x, int y, float scale)
{
    if (image == nullptr)
        return;
    g->SetScale(scale, scale, float(x), float(y));
    g->DrawImage(image, x, y);
    g->SetScale(1.0f, 1.0f, float(x), float(y));
}

void PanelType::DrawTradeLines(Graphics* g, const ItemStatRecord* stat, const char* placeFormat, int x, int priceY,
                               int placeY)
{
    char line[160];
    if (stat != nullptr && stat->value != -1)
        std::snprintf(line, sizeof(line), "Best Price : $%d", stat->value);
    else
        std::snprintf(line, sizeof(line), " ");
    g->DrawString(line, x, priceY);
    if (stat != nullptr && stat->smallValue != -1)
        std::snprintf(line, sizeof(line), placeFormat, CountryName(stat->smallValue).c_str());
    else
        std::snprintf(line, sizeof(line), " ");
    g->DrawString(line, x, placeY);
}

} // namespace Quor
