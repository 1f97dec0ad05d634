// The pieces of the Conveyor game: a material riding along one of the belts, which the player
// clicks, and a product on the lower belt, which collects the materials it needs. The game
// draws both; the materials sit on the game screen for the mouse.
#pragma once

#include "widgets/Widget.h"

#include <map>

namespace Quor {

class Image;
class MgTransfer;

class MgTransferSrc : public Widget {
public:
    static constexpr int kSize = 100;

    MgTransferSrc(MgTransfer* game, int id, int material, int row, double progress);

    // A light veil while hovered, then the material; nothing once taken.
    void Draw(Graphics* g) override;
    // Rides on at the level's speed; at the belt's end a new material starts the row and this
    // one is taken off at the next tick.
    void Tick(double dt) override;
    void MouseEnter() override;
    void MouseLeave() override;
    // While the game runs, an untaken material is offered to the current product.
    void MouseUp(int x, int y, int clickCount) override;

    // Its place on the screen from its row and progress.
    void Place();

    MgTransfer* mGame;  // not owned
    int mSourceId;
    int mMaterial;
    int mRow;
    double mProgress;
    bool mHovered = false;
    bool mTaken = false;
};

class MgTransferProd : public Widget {
public:
    static constexpr double kStepsPerSecond = 20.0;
    static constexpr double kScale = 0.744;

    MgTransferProd(MgTransfer* game, Image* picture, int index, double progress);

    // The product (grey unless it takes clicks) and its needed materials beside it, grey while
    // not collected.
    void Draw(Graphics* g) override;
    // Moves towards its target, wrapping from 100 to 0.
    void Tick(double dt) override;
    // Takes a needed material not yet collected; finishes the product when it was the last.
    bool Accept(int material);
    void ClearCollected();
    void Place();

    MgTransfer* mGame;  // not owned
    Image* mPicture;    // not owned, already at the belt's scale; may be null
    std::map<int, bool> mCollected;
    int mIndex;
    double mProgress;
    double mTarget;
    bool mFinished = false;
    bool mActive = false;
};

} // namespace Quor
