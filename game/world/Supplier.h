// The supplier, panel 4 of the game screen: the materials a country sells in a grid of six
// columns with the player's stock of each, twelve offer slots with the day's unit price (the buy
// factor, and a surcharge after heavy buying in the last 30 days), and buying an ordered
// quantity at once: money out, materials in, the purchase logged and the quest checks run.
#pragma once

#include "game/world/TradePanel.h"

#include <string>
#include <vector>

namespace Quor {

class Supplier : public TradePanel {
public:
    enum { ID_MESSAGE_OK = 10009 };
    static constexpr int kSlots = 12;
    static constexpr int kColumns = 6;
    static constexpr int kRow = 210;
    static constexpr const char* kNoMoney = "Sorry, you don't have enough money. Please sell some dinnerware first.";

    Supplier(GamePhase* owner, int country);

    // The unit price of a material at a base price: the day's factor, then +10, +15 or +20
    // percent above 100, 500 or 1000 units bought in the window, each step truncated.
    static int UnitPrice(int basePrice, double buyFactor, int recentlyBought);

    void Draw(Graphics* g) override;
    void ButtonDepress(int id) override;
    bool AllowChar(int id, char c) override;
    // Hides the prices while the offers are being scrolled.
    void ScrollbarPressed(int id, double value) override;

    // The slots from the page start, with their prices.
    void RefreshOffers() override;
    void UpdateUnitPrices();
    void UpdateLineTotals() override;
    void AddToOrder(int slot, int quantity) override;
    void Scroll(int id, double position) override;
    // Buys the order, or refuses it with the message when the money does not reach.
    void BuyMaterial();

    std::vector<int> mMaterials;  // offered material ids, in the country's order
    int mPageStart = 0;
    bool mPricesShown = false;
    bool mMessageShown = false;
    std::string mMessage;
    ButtonWidget* mMessageOk = nullptr;
    Widget* mBlocker = nullptr;

private:
    void ClearOffers();
    void ShowMessage(const std::string& text);
    void HideMessage();
};

} // namespace Quor
