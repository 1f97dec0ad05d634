// The factory-status tab of the head-up display: one column for each of the four factory
// countries with its state, its product and rate, a button for one production step there, and an
// icon and stock gauge for each recipe material; pointing at an icon shows the material's box.
#pragma once

#include "game/world/PanelType.h"

#include <map>

namespace Quor {

// What a column shows.
enum FactoryStatusState {
    FACTORY_NO_PRODUCT = 0,  // owned, no product chosen
    FACTORY_READY = 1,       // owned, every recipe material held
    FACTORY_SHORT = 2,       // owned, some material short (or the product has no recipe)
    FACTORY_FOR_SALE = 3,    // not owned, for sale
    FACTORY_CLOSED = 4,      // neither owned nor for sale
};

struct FactoryStatusRow {
    int country = 0;
    int state = FACTORY_CLOSED;
    std::map<int, int> materials;  // recipe material id -> count held, the whole recipe
};

class FactoryStatus : public PanelType {
public:
    static constexpr int kColumns = 4;
    static constexpr int kPlaces = 5;  // material places of a column
    static constexpr int kColumnCountries[kColumns] = {0, 2, 5, 7};
    enum { ID_PRODUCE = 2000 };

    explicit FactoryStatus(GamePhase* owner);
    ~FactoryStatus() override;

    void SetShown(bool show) override;
    // Reads the columns again from the profile; called after every change of factories,
    // products or materials, whether the tab is shown or not.
    void Refresh();
    void Draw(Graphics* g) override;
    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    // Pixels of stock gauge for a count: 20 at 200 and more, none for 0 or less.
    static int GaugeHeight(int count);

    FactoryStatusRow mRows[kColumns];
    ButtonWidget* mSpots[kColumns * kPlaces] = {};  // owned
    ButtonWidget* mProduce[kColumns] = {};           // owned
    bool mHovering = false;
    int mHoveredSpot = -1;

private:
    void DrawColumn(Graphics* g, int column);
    void DrawMaterialBox(Graphics* g);
};

} // namespace Quor
