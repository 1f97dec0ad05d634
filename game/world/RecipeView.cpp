#include "game/world/RecipeView.h"

#include "game/shell/GameTables.h"
#include "game/shell/PlayerProfile.h"
#include "game/shell/ResourceBinding.h"

namespace Quor {

Image* NamedImage(const std::string& name)
{
    return ResourceImageById(ResourceIdByName(name.c_str()));
}

const BlueprintRecord* FindBlueprint(const GameTables& tables, int id)
{
    const auto found = tables.blueprintTable.find(id);
    return found == tables.blueprintTable.end() ? nullptr : &found->second;
}

const SourceRecord* FindSource(const GameTables& tables, int id)
{
    const auto found = tables.sourceTable.find(id);
    return found == tables.sourceTable.end() ? nullptr : &found->second;
}

std::string CountryName(const GameTables& tables, int country)
{
    const auto found = tables.countryMapTable.find(country);
    return found == tables.countryMapTable.end() ? std::string() : found->second.Name;
}

HeldMaterial MaterialHeld(const PlayerProfile& profile, int materialId, int needed)
{
    HeldMaterial result;
    const auto found = profile.materials.find(materialId);
    if (found != profile.materials.end()) {
        result.inStore = true;
        result.held = found->second;
    }
    result.isShort = !result.inStore || result.held < needed;
    return result;
}

} // namespace Quor
