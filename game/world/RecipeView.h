// What the factory screen, the blueprint chooser and the recipe book look up to show a recipe:
// pictures by resource name, blueprint and material records by id, and how much of a material
// the player holds against what a recipe needs. None of the lookups adds to a table or profile.
#pragma once

#include <string>

namespace Quor {

class Image;
struct BlueprintRecord;
struct GameTables;
struct PlayerProfile;
struct SourceRecord;

// The loaded picture of a numbered resource name; null when the name has none or it is not
// loaded.
Image* NamedImage(const std::string& name);
// The record of an id; null when the tables hold none.
const BlueprintRecord* FindBlueprint(const GameTables& tables, int id);
const SourceRecord* FindSource(const GameTables& tables, int id);
// The name of a country; "" when the tables hold no record for it.
std::string CountryName(const GameTables& tables, int country);

// A material of a recipe as the player holds it.
struct HeldMaterial {
    int held = 0;        // 0 when the material is not in store at all
    bool inStore = false;
    bool isShort = false;  // not in store, or held below what is needed
};
HeldMaterial MaterialHeld(const PlayerProfile& profile, int materialId, int needed);

} // namespace Quor
