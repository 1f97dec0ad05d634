// Arbitrary bytes read as the save file P0.dat into the running game's profile, then the head-up
// display shows each tab, pages both inventory grids to their ends, hovers every spot and draws
// the bar into a memory image on each page.
#include "fuzz/MiniGameFuzz.h"
#include "game/world/FactoryStatus.h"
#include "game/world/InfoPanel.h"
#include "game/world/Inventory.h"
#include "graphics/Graphics.h"

#include <cstdlib>

namespace {

void DrawWithEachSpotHovered(Quor::InfoPanel* bar, Quor::PanelType* tab, const std::vector<int>& spots,
                             Quor::MemoryImage& screen)
{
    Quor::Graphics g(&screen);
    bar->Draw(&g);
    for (int id : spots) {
        tab->ButtonMouseEnter(id);
        bar->Draw(&g);
        tab->ButtonMouseLeave(id);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static quorfuzz::DataFolder folder("quor_fuzz_hud_");
    static quorfuzz::MiniGameRig* rig = [] {
        auto* made = new quorfuzz::MiniGameRig();
        // A few records, so that some of the profile's ids find theirs.
        for (int id = 1; id <= 7; ++id)
            made->app.sourceTable[id] = Quor::SourceRecord{id, "Material", "S_" + std::to_string(id), 10 * id};
        made->app.blueprintTable[1] = Quor::BlueprintRecord{1, "Plate", "PD_1", 0, {{1, 2}, {7, 1}}, {}};
        made->app.blueprintTable[2] =
            Quor::BlueprintRecord{2, "Urn", "PD_2", 0, {{1, 1}, {2, 1}, {3, 1}, {4, 1}, {5, 1}, {6, 1}}, {}};
        made->app.countryMapTable[0].Name = "England";
        return made;
    }();
    if (!rig->LoadSlot0(data, size))
        std::abort();
    Quor::InfoPanel* bar = &rig->ShownBar();
    bar->RefreshFactoryStatus();
    auto* inventory = static_cast<Quor::Inventory*>(bar->mTabPanels[Quor::InfoPanel::TAB_INVENTORY]);
    auto* factories = static_cast<Quor::FactoryStatus*>(bar->mTabPanels[Quor::InfoPanel::TAB_FACTORIES]);

    bar->SelectTab(Quor::InfoPanel::TAB_QUESTS);
    DrawWithEachSpotHovered(bar, bar->mTabPanels[0], {}, rig->screen);

    bar->SelectTab(Quor::InfoPanel::TAB_FACTORIES);
    std::vector<int> factorySpots;
    for (int id = 0; id < 20; ++id)
        factorySpots.push_back(id);
    DrawWithEachSpotHovered(bar, factories, factorySpots, rig->screen);

    bar->SelectTab(Quor::InfoPanel::TAB_INVENTORY);
    std::vector<int> inventorySpots;
    for (int i = 0; i < Quor::Inventory::kPageSize; ++i) {
        inventorySpots.push_back(i);
        inventorySpots.push_back(Quor::Inventory::ID_DINNERWARE_SPOT + i);
    }
    for (;;) {
        DrawWithEachSpotHovered(bar, inventory, inventorySpots, rig->screen);
        const int materialFirst = inventory->mMaterialFirst;
        const int dinnerwareFirst = inventory->mDinnerwareFirst;
        inventory->ButtonDepress(Quor::Inventory::ID_MATERIAL_DOWN);
        inventory->ButtonDepress(Quor::Inventory::ID_DINNERWARE_DOWN);
        if (inventory->mMaterialFirst == materialFirst && inventory->mDinnerwareFirst == dinnerwareFirst)
            break;
    }
    inventory->ButtonDepress(Quor::Inventory::ID_MATERIAL_UP);
    inventory->ButtonDepress(Quor::Inventory::ID_DINNERWARE_UP);
    return 0;
}
