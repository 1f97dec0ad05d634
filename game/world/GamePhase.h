// The main game screen (screen 1): the one widget that hosts a running game. It holds the current
// profile, the sixteen panel slots, a particle set and an effect list; it ticks the world on every
// second application update and draws the open panels in a fixed layer order.
#pragma once

#include "game/shell/GameScreenAccess.h"
#include "widgets/Widget.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace Quor {

class EffectList;
class GameApp;
class GamePanel;
class ParticleSet;
struct PlayerProfile;
struct ProductionRecord;
struct StockItem;

// The panel slots of the game screen.
enum PanelId {
    PANEL_COUNTRY_MAP = 1,
    PANEL_WORLD_MAP = 2,
    PANEL_CELLAR = 3,
    PANEL_SUPPLIER = 4,
    PANEL_MISSION_HOUSE = 5,
    PANEL_FACTORY = 6,
    PANEL_INFO = 7,
    PANEL_MISSION = 8,
    PANEL_MISSION_FULL = 9,
    PANEL_MINI_GAME = 10,
    PANEL_POTTERY = 11,
    PANEL_TUTOR = 12,
    PANEL_GAME_OVER = 13,
    PANEL_WARNING = 14,
    PANEL_NOTE = 15,
    PANEL_YES_NO = 16,
    PANEL_SLOTS = 17
};

class GamePhase : public Widget, public GameScreenAccess {
public:
    // The world's fixed step, seconds.
    static constexpr double kTickStep = 0.02;

    // Takes the current profile and loads "GameMain"; a group that fails or is cut short by a
    // shutdown leaves a screen that builds no panel and neither ticks nor draws.
    explicit GamePhase(GameApp* app);
    // Deletes every panel (open or closing), the particle set and the effect list, and frees
    // "GameMain".
    ~GamePhase() override;

    // Builds the permanent panels and shows the player's country.
    void AddedToManager(WidgetManager* manager) override;
    void RemovedFromManager(WidgetManager* manager) override;
    // Frees the panels closed since the last update, then ticks on even update counts.
    void Update() override;
    void Draw(Graphics* g) override;
    void Tick(double dt) override;
    // Quest-effect ids (quotient by 10000 of 5) go to the open mission house; others are dropped.
    void OnNotify(int id) override;

    // Builds the panel of the id into its empty slot, sized to the screen. An occupied slot keeps
    // its panel and the call is refused with a log line; ids outside 1-16 do nothing.
    void ShowPanel(int id, int extra);
    // Closes the panel of the id: clears the slot and takes the panel's controls out of the tree
    // at once; the panel itself is freed at the next update or with the screen, so a panel may
    // close itself from its own button handler or tick.
    void ClosePanel(int id);
    // Hands the text and position to the tooltip note.
    void ShowNote(const std::string& text, int x, int y);
    // Hides the tooltip note.
    void HideNote();
    // Passes a tutorial event to the tutorial frame when one is open; true when the tutorial
    // ended or an action took over the flow.
    bool TutorPassEvent(int event);
    // After the tutorial, a player short of money (under 150) with no dinnerware left is offered
    // the rescue (panel 13): variant 1, or 3 after 100 rescues.
    void CheckGameOver();

    // Production and prices (GamePhaseProduction.cpp).
    // One day passes: the day counter rises and the day's buy and sell factors are drawn anew
    // (two draws of rand(), each 0.900-1.099).
    void RollDay();
    // One production step in the player's factory of the country: one day, then up to its rate
    // of pieces while the materials last, and the result show. A factory without a product, short
    // of materials or without a production rate gets a warning and nothing changes.
    void ProduceInFactory(int country);
    // One production step in every factory that can work, one day in all; true when any piece
    // was made. With no factory ready a warning opens and no day passes.
    bool ProduceInAllFactories();
    // Some factory has a product, the materials for one piece and a rate above 0.
    bool AnyFactoryReady();
    // Each working factory makes up to its rate of pieces, stopping at the first it cannot make;
    // true when any piece was made. No day passes here.
    bool RunAllFactories();
    // Makes one piece of the record's product from the player's materials: into the stock entry
    // at stockIndex, or (-1) into the entry of its product and ratings. False, with nothing
    // changed, when a material is short or the product has no blueprint.
    bool ProducePiece(const ProductionRecord& record, int stockIndex);
    // The player holds the materials of one piece of the product.
    bool HasRecipeMaterials(int productId);
    // Adds dinnerware to the stock, which stays sorted with one entry per product and ratings.
    void AddToStock(const StockItem& item);
    // What one piece of the product with the two ratings sells for today.
    int DinnerwareSalePrice(int productId, int rating1, int rating2);

    // Stops the music, saves the profile (or reads it back from its file), closes this screen and
    // opens a new main menu.
    void ReturnToMainMenu(bool save) override;
    ButtonListener* GetMiniGameListener() override;
    // Hands on to the character dialog, which holds the quest's reward view.
    void ShowNextQuestReward() override;

    // Whether "GameMain" loaded and bound.
    bool IsUsable() const { return mUsable; }

    GameApp* mApp;  // not owned
    GamePanel* mPanels[PANEL_SLOTS] = {};  // owned; index 0 unused
    PlayerProfile* mProfile;  // not owned
    ParticleSet* mParticles;  // owned
    EffectList* mEffects;     // owned

protected:
    // The panel of an id, or null while that panel is not part of the game.
    virtual GamePanel* MakePanel(int id, int extra);

private:
    void StorePanel(int id, GamePanel* panel);
    void FreeClosedPanels();
    // Opens the warning popup (panel 14, style 0) with the message.
    void OpenWarning(const char* message);
    // The quest checks and refreshes that follow a production step.
    void AfterProduction();
    // Makes up to rate pieces of the record; with stopAtFirstFailure the factory stops at the
    // first piece it cannot make. The number of pieces made.
    int RunFactory(const ProductionRecord& record, bool stopAtFirstFailure);
    // A log line the first time a product or material lacks its record.
    void LogMissingRecord(const char* kind, int id);

    bool mUsable = false;
    std::vector<GamePanel*> mClosedPanels;  // owned; freed at the next update
    std::set<std::pair<std::string, int>> mMissingRecordsLogged;
};

} // namespace Quor
