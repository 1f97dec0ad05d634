// What the cellar and the supplier share: a full-screen place that slides in over the country
// screen, trade slots (a quantity field with an add, a +10 and a +50 button), an order with two
// remove buttons, scrollbars snapped to whole columns or rows, the rules of the quantity fields,
// and the way back to the country.
#pragma once

#include "game/world/GamePanel.h"
#include "widgets/ButtonListener.h"
#include "widgets/EditListener.h"
#include "widgets/ScrollListener.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Quor {

class ButtonWidget;
class EditWidget;
class Image;
class ScrollbarWidget;

class TradePanel : public GamePanel, public ButtonListener, public EditListener, public ScrollListener {
public:
    enum {
        ID_ITEM_BAR = 1,    // the offers or the stock
        ID_ORDER_BAR = 2,
        ID_EXIT = 999,
        ID_FIELD = 1000,    // + slot
        ID_REMOVE = 20000,  // + order key
        ID_ADD10 = 31000,   // + slot
        ID_ADD50 = 32000,   // + slot
    };
    static constexpr int kRemoveKeys = 100;     // remove buttons exist for keys 0-99
    static constexpr int kOrderRow = 210;       // pixels per row of the order list
    static constexpr int kFieldChars = 4;       // what typing may put into a quantity field
    static constexpr int kMaxFieldSum = 999999; // what +10 and +50 may raise a field to
    static constexpr double kSlideSpeed = 300.0;

    struct TradeSlot {
        int index = 0;
        int item = -1;  // material id or stock index; -1 empty
        int unitPrice = 0;
        int64_t lineTotal = 0;
        EditWidget* field = nullptr;  // owned through the panel
        ButtonWidget* add = nullptr;
        ButtonWidget* add10 = nullptr;
        ButtonWidget* add50 = nullptr;
        bool active = false;
    };
    struct OrderLine {
        int key = 0;  // material id or stock index
        int quantity = 0;
        int unitPrice = 0;
        int64_t total = 0;
    };

    // Stops the music; the panel starts sliding in.
    TradePanel(GamePhase* owner, int country);
    // Starts the country's music again unless the program is closing; the controls go with the
    // panel.
    ~TradePanel() override;

    // The line totals when they are due, then the slide.
    void Tick(double dt) override;
    void FadeInDone() override;
    // Back to the country screen; the game screen frees the panel.
    void FadeOutDone() override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;
    // Enter orders the field's quantity, Backspace and Delete redo the totals, Tab moves the
    // focus to the next filled slot.
    bool AllowKey(int id, int key) override;
    // Stores the snapped position only (the scrollbar's own report).
    void ScrollPosition(int id, double value) override;
    void ScrollbarReleased(int id, double value) override;
    void ScrollbarPressed(int id, double value) override;
    void ScrollArrowStep(int id, double value) override;
    // The quantity field of the focus slot loses the focus (the head-up display asks).
    void FocusLost() override;

    // Orders a quantity of a slot's item and trades it at once.
    virtual void AddToOrder(int slot, int quantity) = 0;
    // Moves the item strip (id 1) or the order list (id 2) to a snapped position and refreshes.
    virtual void Scroll(int id, double position) = 0;
    virtual void UpdateLineTotals() = 0;

    // The integer in a slot's quantity field; 0 for an empty or unreadable text.
    static int FieldValue(const TradeSlot& slot);
    // The position clamped to 0 .. max(0, maximum), then snapped to the nearest multiple of the
    // unit (half a unit rounds down).
    static int Snap(double position, int unit, double maximum);
    // The price as an int: truncated toward zero, held to 0 .. the int maximum.
    static int ClampPrice(double price);

    int mCountry;
    std::vector<TradeSlot> mSlots;
    std::map<int, OrderLine> mOrder;  // by key
    int64_t mOrderTotal = 0;
    ButtonWidget* mExit = nullptr;
    ButtonWidget* mRemove[2] = {};
    ScrollbarWidget* mItemBar = nullptr;
    ScrollbarWidget* mOrderBar = nullptr;
    int mItemScroll = 0;   // pixels
    int mOrderScroll = 0;  // pixels
    int mOrderFirstRow = 0;
    int mFocusSlot = 0;
    int mLastFilled = -1;
    int mSlide = 254;  // also the alpha the panel is drawn with
    bool mSlidingIn = true;
    bool mSlidingOut = false;
    bool mTotalsDue = true;

protected:
    // The slot's field at (x + fieldDx, y), its add button at (x + 60, y), +10 at (x, y + 26)
    // and +50 at (x + 45, y + 26); nothing of it is in the tree yet.
    TradeSlot MakeSlot(int index, int x, int y, int fieldDx, Image* addDown);
    // A scrollbar with hidden arrows, a page and a step of one unit, in the tree.
    ScrollbarWidget* MakeBar(int id, bool horizontal, const int place[4], Image* const thumb[3],
                             Image* const arrows[6], int unit);
    void MakeRemoveButtons(int x);
    // Puts the slot's widgets into the tree or takes them out (emptying the field).
    void ShowSlot(TradeSlot& slot, bool shown);
    // Marks slot s as filled and hands the focus on when the focus slot lies past it.
    void FillSlot(TradeSlot& slot);
    void GiveFocus(int slot);
    // +10 and +50; true when the id was one of them.
    bool AddToField(int id);
    // The remove buttons; true when the id was one of them.
    bool RemoveButton(int id);
    // Typing rule of the fields: digits only; during the tutorial's steps the expected digit in
    // an empty field passes the event and drops the focus, and nothing may follow it.
    // Answers -1 to refuse, 1 to accept, 0 to go on with the digit rule.
    int TutorDigit(int id, char c, int firstStep, int lastStep, char digit);
    bool AcceptDigit(char c);
    void SumOrder();
    // The order scrollbar's maximum from the number of entries (0 when not above one row),
    // placed again.
    void ResizeOrderBar();
    void SetOrderBarMaximum(double maximum);
    void RefreshOrderList();
    // Empties the order and its list, scrollbar and total.
    void ClearOrder();
    void ScrollOrder(double position);
    void StartSlideOut();
    bool HasTutor() const;
    void DrawSlotButtons(Graphics* g, const TradeSlot& slot);

    int mRemoveX = 0;
    int mOrderBarX = 0;
};

} // namespace Quor
