// The travel office, panel 2 of the game screen: a map of the eight countries with one button
// each. Pointing at a country tells its ticket and travel days; a click on a released country
// pays, lets the travel days pass, plays the travel animation and shows that country. The
// distance between the buttons decides train, ship or plane.
#pragma once

#include "game/world/GamePanel.h"
#include "widgets/ButtonListener.h"

#include <string>
#include <vector>

namespace Quor {

class ButtonWidget;
class WorldTravel;

class WorldMap : public GamePanel, public ButtonListener {
public:
    static constexpr int kCountryCount = 8;
    enum { ID_MENU = 999, ID_BACK = 10001, ID_OK = 10009 };
    static constexpr const char* kNoMoneyText =
        "Sorry, you don't have enough money. Please sell some dinnerware first.";

    // Top-left corner of a country's button on the map.
    struct MapPoint {
        int x;
        int y;
    };
    static constexpr MapPoint kCountryPositions[kCountryCount] = {
        {429, 190}, {523, 200}, {840, 254}, {677, 357}, {457, 275}, {723, 253}, {680, 170}, {175, 245}};

    // Plays the map's music, loads "GameWorldMap" and puts the buttons on the game screen; a
    // country the profile has not released gets a disabled button.
    WorldMap(GamePhase* owner, int currentCountry);
    // Frees a running animation and the group; the buttons go with the panel.
    ~WorldMap() override;

    // The travel mode (1 train, 5 ship, 2 plane, also the days) between two map positions, and
    // the ticket of a mode ($0 for any other value).
    static int TravelModeBetween(int from, int to);
    static int TicketPrice(int travelMode);
    // Fills the travel mode from the current country to each country (0 for the current one).
    void ComputeTravelDays();
    // Pays the ticket, lets the travel days pass and starts the animation; with too little
    // money only the message box opens.
    void TravelToCountry(int country);

    void Tick(double dt) override;
    void Draw(Graphics* g) override;
    void FadeOutDone() override;
    bool IsTravelRunning() override { return mTravel != nullptr; }

    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    WorldTravel* mTravel = nullptr;  // owned; null when none runs
    std::vector<ButtonWidget*> mCountryButtons;  // owned as controls; index = country
    ButtonWidget* mMenuButton = nullptr;  // owned as controls
    ButtonWidget* mBackButton = nullptr;
    ButtonWidget* mOkButton = nullptr;
    Widget* mBlocker = nullptr;
    int mCurrentCountry;
    int mHoveredCountry = -1;
    int mTravelMode[kCountryCount] = {};
    bool mHintShown = false;
    std::string mHintText;
    int mDestination = -1;

private:
    // Takes the country buttons and buttons 999 and 10001 off the game screen (kept).
    void RemoveMapButtons();
    // Fades out towards the destination; the next tick ends the fade.
    void StartFadeOut();
    void DrawFactoryIcons(Graphics* g);
    void DrawTravelBox(Graphics* g);
    void DrawMessageBox(Graphics* g);
};

} // namespace Quor
