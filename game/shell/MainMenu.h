// The main menu (screen 2): the menu picture with its buttons along the bottom edge and the
// greeting of the current player. Its buttons start the game and open the help, options,
// award, high-score, account and quit screens; a developer's profile adds the editor buttons.
// It plays the menu music and owns the group "MenuMain" while it exists.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <string>
#include <utility>
#include <vector>

namespace Quor {

class ButtonWidget;
class GameApp;
class Image;
class ParticleSet;

class MainMenu : public Widget, public ButtonListener {
public:
    enum { ID_UPGRADE_EFFECT = 10009 };

    explicit MainMenu(GameApp* app);
    ~MainMenu() override;

    void AddedToManager(WidgetManager* manager) override;
    void Update() override;
    void Draw(Graphics* g) override;
    void Tick(double dt) override;
    void FadeOutDone() override;

    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;

    // "<name>!" for the current player.
    std::string Greeting() const;
    // Chooses four different places of the nine logo places.
    void PickLogoSlots();

    GameApp* mApp;
    ParticleSet* mParticles = nullptr;
    int mNextScreen = 0;
    bool mDeveloper = false;
    ButtonWidget* mButtons[8] = {};
    ButtonWidget* mEditorButtons[4] = {};
    std::vector<std::pair<int, int>> mLogoPlaces;
    int mChosenPlaces[4] = {};
    std::vector<Image*> mLogoImages;  // owned; null where a file is missing
    std::vector<Image*> mLogoIcons;   // owned

private:
    void StartFadeOut();
    // Opens a screen over the menu, which stays open below it.
    void OpenOver(int id, int mode);
};

} // namespace Quor
