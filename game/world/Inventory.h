// The inventory tab of the head-up display: two paged grids of six places, the player's
// materials with their counts on the left and the dinnerware in stock with quantity and star
// ratings on the right; pointing at an item shows its name and its last trade.
#pragma once

#include "game/world/PanelType.h"

namespace Quor {

class Image;

class Inventory : public PanelType {
public:
    static constexpr int kPageSize = 6;
    enum {
        ID_MATERIAL_UP = 5000,
        ID_MATERIAL_DOWN = 5001,
        ID_DINNERWARE_SPOT = 10000,  // 10000-10005
        ID_DINNERWARE_UP = 15000,
        ID_DINNERWARE_DOWN = 15001,
    };

    explicit Inventory(GamePhase* owner);
    ~Inventory() override;

    // Shown: both grids back on their first page.
    void SetShown(bool show) override;
    // Puts into the game screen the spots of the places that show an item on the current
    // pages; the pages stay. Nothing while the tab is hidden.
    void Refresh();
    void Draw(Graphics* g) override;
    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    // The level image of a rating: 1-3 have their own; below 1 the empty one, above 3 the third.
    static Image* LevelImage(int rating);

    ButtonWidget* mMaterialUp;
    ButtonWidget* mMaterialDown;
    ButtonWidget* mMaterialSpots[kPageSize] = {};
    int mMaterialFirst = 0;
    ButtonWidget* mDinnerwareUp;
    ButtonWidget* mDinnerwareDown;
    ButtonWidget* mDinnerwareSpots[kPageSize] = {};
    int mDinnerwareFirst = 0;
    bool mHovering = false;
    int mHoveredSpot = -1;

private:
    int MaterialCount() const;
    int DinnerwareCount() const;
    // The material id at an index of the material list; -1 past its end.
    int MaterialAt(int index) const;
    void DrawMaterials(Graphics* g);
    void DrawDinnerware(Graphics* g);
    void DrawHoverBox(Graphics* g);
    void Page(int& first, int step, int count);
};

} // namespace Quor
