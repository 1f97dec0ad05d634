// The Painting game: cups ride down a belt; the player drags the product's materials from a row
// of sources into passing cups; every cup that leaves the belt delivers its material, and when
// the last deliveries are exactly the recipe's materials a product is finished and rides off
// under fireworks. When the time is up the number of products becomes the product's production
// rate if it beats the old one.
#pragma once

#include "game/minigames/MgSkeleton.h"

#include <map>
#include <memory>
#include <vector>

namespace Quor {

class Image;
class MgPaintProd;
class MgPaintSet;
class MgPaintSrc;
struct BlueprintRecord;
struct ProductionRecord;

class MgPaint : public MgSkeleton {
public:
    static constexpr int kCupCount = 6;
    static constexpr int kDecoyCount = 5;
    static constexpr int kMaxLevel = 3;
    static constexpr int kCupX = 653;
    static constexpr int kBeltY = 90;
    static constexpr int kBeltCels = 10;

    explicit MgPaint(MgUi* host);
    ~MgPaint() override;

    void LoadImages() override;
    void BuildBoard() override;
    void StartGame() override;
    void TimeUp() override;
    void RaiseLevel() override;
    void DrawPanel(Graphics* g) override;
    void Tick(double dt) override;
    // A drag released outside every cup is dropped.
    void MouseUp(int x, int y, int clickCount) override;

    // The drag point moves; every cup on the belt strictly containing it is highlighted, the
    // others not.
    void HighlightCups(int x, int y);
    // The dragged material goes into every cup on the belt strictly containing the point.
    void DropOnCups(int x, int y);
    // One more product: score + 1, and the level rises at the two passes.
    void ProductFinished();

    // The cup speed factor of the current level.
    double LevelSpeed() const;
    // A material for a recycled cup by the level: none at level 1, one in ten at 2, one in three
    // at 3 (and never from an empty list).
    int RefillMaterial() const;
    Image* MaterialPicture(int material) const;

    const BlueprintRecord* mRecipe = nullptr;  // the game data's, not owned
    ProductionRecord* mRecord = nullptr;       // the player's, not owned
    std::vector<MgPaintSrc*> mSources;         // owned
    std::vector<MgPaintSet*> mCups;            // owned
    std::unique_ptr<MgPaintProd> mProduct;
    std::map<int, Image*> mMaterialPictures;   // material id -> picture (null when unread)
    Image* mProductPicture = nullptr;          // "PD_<id>", not owned
    std::vector<int> mMaterials;               // the recipe's, then the decoys
    std::vector<int> mRecipeMaterials;
    int mDragged = -1;
    int mDragX = 0;
    int mDragY = 0;
    int mFrameCounter = 0;
    int mOldQuantity = 0;
    int mNewQuantity = 0;

    enum Picture { UI_BG, UI_BG_C, UI_SCORE, UI_BOX, UI_BOX_C, UI_CUP, UI_CUP_C, kPictureCount };
    Image* mImages[kPictureCount] = {};  // in mPictures; null when a file did not load
};

} // namespace Quor
