// The recipe book, panel 11 of the game screen: a grid of all eighty blueprints, the owned ones
// usable and the others faint silhouettes. An owned blueprint opens its page: the big picture,
// name, country, series and the recipe with every material needed and held; hovering a material
// tells its last price, where it was bought and how much is stored. The book loads its own
// resource group for as long as it is open.
#pragma once

#include "game/world/GamePanel.h"
#include "widgets/ButtonListener.h"

#include <string>
#include <vector>

namespace Quor {

class ButtonWidget;
class GameApp;
class Image;
class ParticleSet;

class Pottery : public GamePanel, public ButtonListener {
public:
    enum { ID_CLOSE = 999, ID_BACK = 11000, ID_MATERIAL = 50000 };
    static constexpr int kFirstBlueprint = 1;
    static constexpr int kLastBlueprint = 80;
    static constexpr int kSeriesSize = 5;

    // Loads and binds "MenuBlueprint" and builds the buttons; a group that fails reports the
    // resource error (which ends the program) and builds nothing, as does one cut short by a
    // shutdown.
    explicit Pottery(GamePhase* owner);
    // Frees the particles, the big picture and "MenuBlueprint"; the buttons go with the panel's
    // controls.
    ~Pottery() override;

    void Tick(double dt) override;
    void Draw(Graphics* g) override;
    void FadeInDone() override;
    // The book closes.
    void FadeOutDone() override;
    void ButtonDepress(int id) override;
    void ButtonMouseEnter(int id) override;
    void ButtonMouseLeave(int id) override;

    void LoadBigPicture(int blueprintId);
    void BuildMaterialButtons(int blueprintId);
    // MB_A<series> of a blueprint; IMG_NONE past the last series.
    static Image* SeriesPicture(int blueprintId);
    // What the hover box of a material of the open page says: its name, its last price, where
    // it was bought and how much is stored.
    std::vector<std::string> MaterialLines(int materialId) const;
    // The top-left of a blueprint's grid button.
    static int GridX(int blueprintId);
    static int GridY(int blueprintId);

    bool IsBuilt() const { return mBuilt; }

    GameApp* mApp;             // not owned
    ParticleSet* mParticles;   // owned
    ButtonWidget* mOkButton = nullptr;  // the rest are owned through the panel's controls
    std::vector<ButtonWidget*> mBlueprintButtons;
    std::vector<ButtonWidget*> mMaterialButtons;
    ButtonWidget* mBackButton = nullptr;
    ButtonWidget* mBackground = nullptr;
    Image* mBigPicture = nullptr;  // owned
    bool mHover = false;
    int mHovered = -1;
    bool mPageOpen = false;
    int mPage = -1;
    int mHoveredMaterial = -1;

private:
    void ClosePage();
    void DrawGrid(Graphics* g);
    void DrawPage(Graphics* g);
    void DrawMaterials(Graphics* g);
    void DrawMaterialHover(Graphics* g);
    // The "name / (country)" line under the book.
    void DrawCaption(Graphics* g, int blueprintId);

    bool mBuilt = false;
    bool mGroupAsked = false;
};

} // namespace Quor
