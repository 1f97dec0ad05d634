// The cellar, panel 3 of the game screen: the player's dinnerware stock as a strip of cards with
// picture, name, quantity and the two ratings, six sale slots under the visible cards with the
// day's price, and selling an ordered quantity at once (money in with the floating effect, the
// pieces out of the stock, the sale logged, the quest sale targets and checks run). SELL sells
// the whole stock.
#pragma once

#include "game/world/TradePanel.h"

namespace Quor {

struct StockItem;

class Cellar : public TradePanel {
public:
    enum { ID_SELL_ALL = 10001 };
    static constexpr int kSlots = 6;
    static constexpr int kColumn = 122;
    static constexpr int kVisibleCards = 5;
    // The tutorial step whose sale needs ten pieces of the first product.
    static constexpr int kTenPiecesStep = 38;

    Cellar(GamePhase* owner, int country);

    void Draw(Graphics* g) override;
    void ButtonDepress(int id) override;
    bool AllowChar(int id, char c) override;

    // The slots from the first index, with their prices.
    void RefreshSlots() override;
    void UpdatePrices();
    // Writes a field above its stock down to the stock and totals the lines.
    void UpdateLineTotals() override;
    void AddToOrder(int slot, int quantity) override;
    void Scroll(int id, double position) override;
    // Sells the order; false when nothing was sold (the tenth-piece rule of the tutorial).
    bool Sell();
    // Sells every stock item, one pass per item, with one money effect at the end.
    void SellAll();

    int mFirstIndex = 0;
    bool mSellingAll = false;
    ButtonWidget* mSellAll = nullptr;

private:
    // Puts a quantity of a slot into the order without selling it; false when nothing was ordered.
    bool PutInOrder(int slot, int quantity);
    void ClearSlots();
    void ResetStockBar();
    // The price of one piece of the stock item, from the game screen's price rule.
    int SalePrice(const StockItem& item) const;
    void DrawCard(Graphics* g, const StockItem& item, int x);
};

} // namespace Quor
