// The country screen, panel 1 of the game screen: the player's current country with the buttons
// of its places (cellar, supplier, mission house, travel office and, in four countries, the
// factory). A click opens the place, or first the greeting of the place's character; the travel
// office fades the view out to the world map. The screen hides while a place is open, comes back
// when it closes, loads and frees the country's resource group and plays the country's music.
#pragma once

#include "game/world/GamePanel.h"
#include "widgets/ButtonListener.h"

#include <map>
#include <vector>

namespace Quor {

class ButtonWidget;
class CountryScene;
class Image;

class CountryMap : public GamePanel, public ButtonListener {
public:
    enum Place { PLACE_CELLAR = 0, PLACE_SUPPLIER = 1, PLACE_MISSION = 2, PLACE_TRAVEL = 3, PLACE_FACTORY = 4 };
    static constexpr int kPlaceCount = 5;
    static constexpr double kClockCycle = 100.0;  // seconds of one sky pass
    static constexpr double kFadeSpeed = 300.0;   // alpha per second
    static constexpr int kZoomX = 512;            // the point the view zooms about
    static constexpr int kZoomY = 280;
    static constexpr int kLeaveForWorldMap = 2;

    struct PlaceHover {
        int place = 0;
        Image* image = nullptr;  // not owned
        bool hover = false;
    };

    explicit CountryMap(GamePhase* owner);
    ~CountryMap() override;

    // Shows a country: its group is loaded only when the country changes (the profile follows);
    // every call plays its music, rebuilds the place buttons, shows the head-up display and fades
    // the view in.
    void SetCountry(int country);
    // Busy, with the place buttons out of the tree (kept).
    void Hide();
    // Back from a place: logo reloaded, buttons back, visit state and the game-over test.
    void ShowAgain();
    // After a character's greeting: opens the place the click asked for, else shows the screen.
    void OpenPendingPlace() override;
    // Whether the supplier's character has a quest to offer and which target it leads to.
    void UpdateVisitState();
    void LoadCountry(int country);
    void UnloadCountry(int country);
    void DrawSky(Graphics* g);

    void Tick(double dt) override;
    void Draw(Graphics* g) override;
    void FadeInDone() override;
    void FadeOutDone() override;
    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    std::vector<ButtonWidget*> mPlaceButtons;  // owned; ids are places
    std::map<int, PlaceHover> mHovers;         // one per place button
    int mVisitState = 0;    // 0 nothing to visit, 1 the quest's first target, 2 a later one
    bool mBusy = false;     // a place or the world map covers the screen
    double mClock = 0.0;    // seconds, wraps at kClockCycle
    int mCountry = -1;      // -1 before the first SetCountry
    Image* mLogo = nullptr; // owned; the company logo of the profile's logo index
    Image* mIcon = nullptr; // owned
    int mPendingPlace = -1; // place to open after the character's greeting
    int mLeaveMode = 0;
    CountryScene* mScene = nullptr;  // owned; built when the fade-in ends, gone while travelling

private:
    // The country group's image of a name pattern ("GC%d_..."); null when it has none.
    Image* CountryImage(const char* pattern) const;
    void MakePlaceButtons();
    void DeletePlaceButtons();
    void LoadLogo();
    // Opens a place's panel; a place that is not part of the game yet shows the screen again.
    void OpenPlace(int panel);
    // Opens the mission house with the character of a slot greeting the player.
    void OpenMissionHouse(int slot);
    void DeleteScene();
};

} // namespace Quor
