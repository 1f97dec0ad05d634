// The factory screen, panel 6 of the game screen: the factory of the player's current country.
// An owned factory shows its product with the production rate and the two star ratings, opens
// the blueprint chooser and starts the three production mini-games; a factory for sale offers
// itself for its price; any other only says it is not working. The panel slides up into view
// and down out of it, and gives the country screen back when it has left.
#pragma once

#include "game/world/GamePanel.h"
#include "widgets/ButtonListener.h"

#include <string>

namespace Quor {

class BpSelect;
class ButtonWidget;
class EffectList;
class FXObject;
class Image;
class ParticleSet;
struct FactoryState;

// The name banner of the factory in the country (0, 2, 5 or 7); null for the others.
Image* FactoryTitle(int country);

class Factory : public GamePanel, public ButtonListener {
public:
    enum Mode { MODE_OWNED = 1, MODE_FOR_SALE = 2, MODE_IDLE = 3 };
    enum {
        ID_MACHINE = 0,   // Production Machine
        ID_SHAPING = 1,
        ID_GLAZING = 2,
        ID_EXIT = 999,
        ID_CHOOSE = 10001,  // the blueprint chooser (owned) or buying (for sale)
    };
    static constexpr int kFireSystemId = 10001;
    static constexpr int kMaxRate = 25;
    static constexpr int kMaxRating = 3;
    static constexpr double kSlideSpeed = 300.0;  // fade counter per second
    static constexpr const char* kShortText =
        "There are not enough materials for this dinnerware. Please check the stock.";

    // Builds the panel for the country from the player's factory there; a country the profile
    // has no factory in shows as not working.
    Factory(GamePhase* owner, int country);
    // Deletes the chooser, the effects, the particles and the two pictures; the buttons go with
    // the panel's controls.
    ~Factory() override;

    void Tick(double dt) override;
    void Draw(Graphics* g) override;
    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;
    // The country screen shows again and the panel closes.
    void FadeOutDone() override;

    // Opens the blueprint chooser over the factory.
    void OpenBpSelect(int productId);
    // The chooser has closed: it leaves the game screen, is freed after the update, and the
    // head-up display's factory list is read again.
    void CloseBpSelect();

    // The player's factory of the panel's country; null when the profile has none. Never adds
    // an entry.
    FactoryState* State() const;
    // The product chosen in this factory; -1 when none.
    int ProductId() const;

    // Closes the factory, hides the head-up display and opens the mini-game screen with the game.
    static void StartMiniGame(GamePhase* owner, int miniGameId);
    // The price of the factory of a country; -1 for a country whose factory has no price.
    static int PriceOf(const GamePhase* owner, int country);

    EffectList* mEffects;      // owned
    ParticleSet* mParticles;   // owned
    BpSelect* mBpSelect = nullptr;  // owned while open
    ButtonWidget* mExitButton = nullptr;    // the rest are owned through the panel's controls
    ButtonWidget* mChooseButton = nullptr;  // choose-blueprint (owned) or buy (for sale)
    ButtonWidget* mGameButtons[3] = {};
    FXObject* mHoverEffect = nullptr;    // held in the effect list
    FXObject* mMachineEffect = nullptr;  // held in the effect list
    Image* mPicture1 = nullptr;  // owned
    Image* mPicture2 = nullptr;  // owned
    int mMode = MODE_IDLE;
    bool mCanBuy = false;
    int mPrice = 0;
    int mCountry;

private:
    void SlideTo(int counter);
    void DrawOwned(Graphics* g);
    void DrawMessage(Graphics* g, const std::string& text);
    void PressOwned(int id);
    void Buy();
    // The warning popup (panel 14) of the style with the text.
    void Warn(int style, const char* text);
    // The question popup (panel 16) of the kind with the text.
    void Ask(int kind, const char* text);
    void OpenPopup(int panel, int extra, const char* text);
    void RemoveHoverEffects();
};

} // namespace Quor
