// The base of the head-up display's three tabs (quest list, inventory, factory status). A tab is
// never in the widget tree: the bar ticks the current one and draws it in screen coordinates, and
// the tab puts its own buttons into the game screen while it is shown, drawing them itself.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <set>
#include <string>
#include <utility>

namespace Quor {

class ButtonWidget;
class GamePhase;
class Image;
struct BlueprintRecord;
struct ItemStatRecord;
struct SourceRecord;

class PanelType : public Widget, public ButtonListener {
public:
    explicit PanelType(GamePhase* owner);

    // The tab is chosen (true) or left (false).
    virtual void SetShown(bool show);
    // The tab builds itself again for a quest step.
    virtual void Rebuild(int questId, int targetIndex);
    // What the bar draws of the quest-list tab whatever tab is current: the calendar, and the
    // help hint at the hint's fade value (dimming, box, OK button and text).
    virtual void DrawCalendar(Graphics* g);
    virtual void DrawHelp(Graphics* g, int fade);

    bool IsShown() const { return mShown; }

    GamePhase* mOwner;  // not owned
    bool mShown = false;

protected:
    // A button of the tab: listened to by the tab and drawn by it, never by the tree.
    ButtonWidget* MakeButton(int id, Image* normal, Image* over, Image* down, int x, int y);
    // Puts the button into the game screen (once) or takes it out.
    void ShowButton(ButtonWidget* button);
    void HideButton(ButtonWidget* button);

    // The records of the game data; null, with one log line per id, when there is none.
    const BlueprintRecord* Blueprint(int id);
    const SourceRecord* Material(int id);
    // The country's name; empty when there is no record (one log line per id).
    std::string CountryName(int country);
    // The picture of a resource name; null when none is bound.
    static Image* Picture(const std::string& name);
    // Draws the picture scaled about its top-left corner at x, y; nothing for null.
    static void DrawScaled(Graphics* g, Image* image, int x, int y, float scale);
    // The price line ("Best Price : $%d") and the place line (placeFormat with the country's
    // name) of an item's last trade at x; single spaces for what was never traded.
    void DrawTradeLines(Graphics* g, const ItemStatRecord* stat, const char* placeFormat, int x, int priceY,
                        int placeY);
    // One log line per kind and id of a record that is not there.
    void LogMissing(const char* kind, int id);

private:

    std::set<std::pair<std::string, int>> mLogged;
};

} // namespace Quor
