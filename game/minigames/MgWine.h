// The Production Machine: rows of material pieces slide down a chute; the player puts each row
// into the recipe's order by swapping pieces before it enters the machine. Ordered rows score
// and raise the level; a row with the wrong first material resets it. The score plus the level
// becomes the product's production rate when it beats the old one.
#pragma once

#include "game/minigames/MgSkeleton.h"
#include "graphics/Rect.h"

#include <map>
#include <memory>
#include <vector>

namespace Quor {

class EffectList;
class FXObject;
class Image;
class MgWinePiece;
class ParticleSet;
struct BlueprintRecord;
struct ProductionRecord;

class MgWine : public MgSkeleton {
public:
    enum {
        ID_ROW_SHOWN = 40001,   // the row's product has moved on along the belt
        ID_ROW_SMOKE = 40002,   // a good row's product came out: smoke
        ID_CLOSING = 40003,     // the closing effect ended: the closing animation
        ID_RESULT = 40004,      // the closing animation ended: the result
    };
    static constexpr int kFirstRow = 8;
    static constexpr int kEndRow = 28;   // one past the last row
    static constexpr int kRowStep = 54;  // pixels between rows
    static constexpr int kFallPerTick = 18;
    static constexpr double kCountdown = 500.0;
    static constexpr int kPictureCount = 10;

    explicit MgWine(MgUi* host);
    ~MgWine() override;

    void OnEffectDone(int id) override;
    void LoadImages() override;
    void BuildBoard() override;
    void StartGame() override;
    void StopGame() override;
    void RaiseLevel() override;
    bool UpdateReward(double dt) override;
    void DrawPanel(Graphics* g) override;
    void Tick(double dt) override;
    void Draw(Graphics* g) override;

    // The clock hand's angle: host countdown / 75 x 6.28 (not drawn by this game).
    virtual float GetClockAngle();
    // Lays out the twenty rows and the cover over the machine's opening.
    virtual void BuildRows();
    // Takes the bottom row into the machine and judges it.
    virtual void RowArrived();
    // Selects the piece, or swaps it with the selected one.
    virtual void ClickPiece(int pieceId);
    // Drops the selection; nothing when nothing is selected.
    virtual void ClearSelection();
    // The two pieces exchange materials and slide into place.
    virtual void SwapPieces(int a, int b);
    // Swaps with the piece beside it in its row (direction -1 or +1), when there is one.
    virtual void SwapWithNeighbour(int pieceId, int direction);

    // The tick interval of a chute step at the current level; never 0.
    int StepInterval(int slowdown = 0) const;
    // Starts the next row's fall on the interval's ticks once the last row has landed: a fall
    // takes three ticks, and one started again before its end would never bring a row in.
    void StartFallEvery(int interval);
    // Moves the chute by one tick of the current step and ticks every piece.
    void ScrollRows(double dt);
    // Scores, punishes or ignores a row that entered the machine (materials by column).
    void JudgeRow(const std::vector<int>& row);
    // The row's product carried along the belt, good or broken.
    void ShowRowResult(bool good);
    // The closing animation ended: the result written and shown.
    void ShowResult();
    MgWinePiece* Piece(int pieceId);
    // The picture of a recipe material (by column), or null.
    Image* MaterialPicture(int material) const;
    Image* ProductPicture() const;

    EffectList* mGameEffects;     // owned
    ParticleSet* mBackParticles;  // owned
    ParticleSet* mFrontParticles; // owned
    std::map<int, MgWinePiece*> mPieces;  // owned
    std::vector<Widget*> mCovers;         // owned
    std::vector<Point> mBeltPath;
    int mFallOffset = 0;
    int mTickCounter = 0;
    int mBottomRow = 0;
    int mSelectedRow = -1;
    int mSelectedPiece = -1;
    int mStreak = 0;
    bool mBusy = false;
    int mOldRate = 0;
    int mFinalScore = 0;
    ProductionRecord* mRecord = nullptr;      // the player's, not owned
    const BlueprintRecord* mRecipe = nullptr; // the game data's, not owned
    std::vector<int> mRecipeMaterials;        // material ids, ascending

    enum Picture { UI_BG, UI_BG_C, CLOCK, CLOCK_PIN, WHEEL_0, WHEEL_1, WHEEL_2, SMOKE, BREAK, LOGO };
    Image* mImages[kPictureCount] = {};  // in mPictures; null when a file did not load

    // Tuning read once, at the start.
    int mLvMax = 0;
    int mLvStart = 0;
    int mLvUpQty = 0;
    int mSpeed = 0;          // of the recipe's number of materials
    double mLvSpeed = 0.0;

protected:
    // A piece of the chute at its row's place, on the game screen.
    void AddPiece(int id, int material, int row, int column);
    // The empty widget over the machine's opening, above the pieces.
    void AddCover();
    // The construction in two parts, so that a variant's own rows are laid out by Build.
    struct Building {};
    MgWine(MgUi* host, Building);
    void Build();
};

} // namespace Quor
