// The Conveyor game: materials ride along horizontal belts; the player clicks the materials
// that the current product needs; a product with all of them is finished and the lower belt
// brings the next one. Wrong clicks cost time. The score gives a grade 0-3 that raises the
// product's colour level.
#pragma once

#include "game/minigames/MgSkeleton.h"

#include <map>
#include <vector>

namespace Quor {

class Image;
class MgTransferProd;
class MgTransferSrc;
struct BlueprintRecord;
struct ProductionRecord;

class MgTransfer : public MgSkeleton {
public:
    static constexpr int kDecoyCount = 5;
    static constexpr int kMaxLevel = 3;
    static constexpr int kRows = 5;            // rows at level 0; one fewer a level
    static constexpr int kSourcesPerRow = 10;
    static constexpr int kProductCount = 4;
    static constexpr int kNoColour = 1001;     // a colour source the game leaves out

    explicit MgTransfer(MgUi* host);
    ~MgTransfer() override;

    void LoadImages() override;
    void BuildBoard() override;
    void StartGame() override;
    void TimeUp() override;
    void StopGame() override;
    void RaiseLevel() override;
    void DrawPanel(Graphics* g) override;
    void Tick(double dt) override;

    // The clock hand: countdown / time limit x 6.28 (0 without a limit).
    virtual float GetClockAngle();

    // The belt pictures show a cel for n ticks; the belt offset grows by n a tick.
    void SetBeltSpeed(int n);
    // A new material (drawn from the material pictures) at the row's progress; none without
    // materials.
    void AddSource(int row, double progress);
    // The player clicked a material: the current product takes it, or time is lost.
    void TryMaterial(int sourceId, int material);
    void ProductFinished(int index);
    // A source goes at the next tick (once, however often asked).
    void QueueRemoval(int sourceId);
    // The finished product came round: the next one takes the clicks.
    void NextProduct();
    // The belts in play at the current level.
    int RowCount() const;
    // Progress a second of the materials at the current level.
    double SourceSpeed() const;
    Image* MaterialPicture(int material) const;
    // The material's picture made 50 pixels wide for the products' lists; null without one.
    Image* MaterialIcon(int material) const;
    // The belt of a row: its frame, rollers, rivets, the moving band and the ends.
    void DrawBeltRow(Graphics* g, int row);

    std::map<int, MgTransferSrc*> mSources;   // owned, on the game screen
    std::map<int, MgTransferProd*> mProducts; // owned
    std::vector<int> mNeeded;
    std::vector<int> mRemovals;
    const BlueprintRecord* mRecipe = nullptr;  // the game data's, not owned
    ProductionRecord* mRecord = nullptr;       // the player's, not owned
    std::map<int, Image*> mMaterialPictures;   // the needed materials and the decoys
    std::map<int, Image*> mMaterialIcons;      // the same, 50 pixels wide
    Image* mProductPicture = nullptr;          // as read
    Image* mProductOnBelt = nullptr;           // at the lower belt's scale
    int mNextSourceId = 0;
    int mCurrentProduct = kProductCount - 1;
    int mBeltOffset = 0;
    int mBeltSpeed = 1;
    int mStoredRating = 0;
    int mGrade = 0;

    enum Picture { UI_BELT_4, UI_BELT_2, UI_BELT_0, UI_PRODUCT, UI_SCORE, UI_SCORE_BG, CLOCK, CLOCK_PIN, kPictureCount };
    Image* mImages[kPictureCount] = {};  // in mPictures; null when a file did not load

private:
    void Grade(int grade);
    // A copy of the picture at the scale, kept with the game's pictures, so that it can be drawn
    // in a colour (greyed) like any picture; null without a picture.
    Image* ScaledCopy(Image* picture, double scale);
};

} // namespace Quor
