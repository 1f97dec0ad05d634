// The pieces of the Painting game: a material source the player drags from, a cup riding down
// the belt, and the product that takes the cups' deliveries and rides off when it is complete.
// The game draws them (not the widget tree); sources and cups sit on the game screen for the
// mouse.
#pragma once

#include "widgets/Widget.h"

#include <map>
#include <vector>

namespace Quor {

class Image;
class MgPaint;

class MgPaintSrc : public Widget {
public:
    static constexpr int kSize = 100;

    MgPaintSrc(MgPaint* game, int material, Image* picture);

    // A white veil while hovered, then the material.
    void Draw(Graphics* g) override;
    void MouseEnter() override;
    void MouseLeave() override;
    // While unlocked: a press takes the material up, a drag and a release point at the cups
    // under the place (the source's own position plus the mouse point).
    void MouseDown(int x, int y, int clickCount) override;
    void MouseDrag(int x, int y) override;
    void MouseUp(int x, int y, int clickCount) override;

    MgPaint* mGame;  // not owned
    Image* mPicture; // not owned; may be null
    int mMaterial;
    bool mHovered = false;
    int mOriginX = 0;
    int mOriginY = 0;
    bool mLocked = true;
};

class MgPaintSet : public Widget {
public:
    static constexpr int kSize = 100;
    static constexpr int kTopY = -10;       // where a cup (re)enters the belt
    static constexpr int kLeaveY = 488;     // past this the cup is out of reach
    static constexpr int kDeliverY = 590;   // here it delivers and comes back to the top

    MgPaintSet(MgPaint* game, double speed);

    // The box behind, the highlight, the material and the box's front.
    void Draw(Graphics* g) override;
    // Rides down the belt at the level's speed; leaves the player's reach at 488 and delivers
    // at 590.
    void Tick(double dt) override;
    void MouseEnter() override;
    void MouseLeave() override;
    // A drop, or a plain click: the cup takes the dragged material (none empties it).
    void MouseUp(int x, int y, int clickCount) override;

    // Back to the top with a new material (or none) drawn by the level, after delivering.
    void Recycle();
    void SetMaterial(int material);

    MgPaint* mGame;        // not owned
    Image* mPicture = nullptr;  // not owned; null when empty
    int mMaterial = -1;
    bool mHighlighted = false;
    double mSpeed;
    bool mActive = true;
};

class MgPaintProd : public Widget {
public:
    static constexpr int kStepPerSecond = 800;
    static constexpr int kColourFromX = 640;  // grey before, in colour from here on

    struct Waypoint {
        int x;
        int y;
        bool reached;
    };

    MgPaintProd(MgPaint* game, Image* picture, int recipeCount);

    // The product (grey while left of 640) and the materials delivered so far.
    void Draw(Graphics* g) override;
    // While moving: towards the target, then on to the next waypoint; after the last it waits at
    // the start again.
    void Tick(double dt) override;
    // One cup's material; the last recipe-count deliveries, when they are exactly the recipe's
    // materials, finish a product. -1 is nothing.
    void Deliver(int material);

    MgPaint* mGame;    // not owned
    Image* mPicture;   // not owned; may be null
    std::vector<int> mDelivered;
    int mRecipeCount;
    bool mMoving = false;
    int mPosX;
    int mPosY;
    std::map<int, Waypoint> mWaypoints;
    int mTargetX;
    int mTargetY;

private:
    bool IsRecipeComplete() const;
    void Finished();
};

} // namespace Quor
