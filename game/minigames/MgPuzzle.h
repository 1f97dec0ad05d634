// Refine Shaping: the product's picture cut into 3 x 3 tiles, shuffled on two to four boards
// (sets); the player restores each by swapping two tiles of the same set. Solved sets count,
// raise the level (more sets) after 2 and 5, and 9 end the game with a bonus for the time left;
// when the clock runs out first, the score gives the shape level of the product.
#pragma once

#include "game/minigames/MgReward.h"
#include "game/minigames/MgSkeleton.h"
#include "graphics/Rect.h"

#include <map>

namespace Quor {

class Image;
class MgPuzzlePiece;
struct BlueprintRecord;
struct ProductionRecord;

class MgPuzzle : public MgSkeleton {
public:
    static constexpr int kMaxSets = 4;
    static constexpr int kTilesPerSet = 9;
    static constexpr int kTileSize = 56;
    static constexpr int kSolvedToStop = 9;
    static constexpr int kPictureCount = 17;

    // One set's progress: its index, the swaps it may still take before it is dealt anew, and
    // whether it is solved.
    struct SetRecord {
        int set = 0;
        int movesLeft = 8;
        bool done = false;
    };

    explicit MgPuzzle(MgUi* host);
    ~MgPuzzle() override;

    void LoadImages() override;
    void BuildBoard() override;
    void StartGame() override;
    void TimeUp() override;
    void StopGame() override;
    void RaiseLevel() override;
    bool ShowReward() override;
    bool UpdateReward(double dt) override;
    void DrawPanel(Graphics* g) override;

    // The clock hand: the time left as a share of the play time, times 6.28 (0 without a play
    // time).
    virtual float GetClockAngle();
    // Deals one set shuffled onto its board.
    virtual void BuildSet(int set);
    virtual void SelectPiece(int pieceId);
    // Swaps the tile with the selected one and looks at the selected tile's set.
    virtual void SwapWithSelected(int pieceId);

    // A click on a tile that may move: selects it, drops the selection, or swaps.
    void ClickPiece(int pieceId);
    // Where the tile of a set's cell stands at the level.
    static Point CellPosition(int level, int set, int cell);
    MgPuzzlePiece* Piece(int pieceId);
    Image* PuzzlePicture() const { return mImages[PUZZLE]; }
    int TileCount() const { return static_cast<int>(mPieces.size()); }
    // The width of the score gauge's filled part.
    int GaugeWidth() const;

    std::map<int, MgPuzzlePiece*> mPieces;  // owned; id = 9 x set + home cell
    std::map<int, Point> mSetFrames;
    MgReward mReward;
    SetRecord mSets[kMaxSets];
    const BlueprintRecord* mRecipe = nullptr;  // the game data's, not owned
    ProductionRecord* mRecord = nullptr;       // the player's, not owned
    int mSelectedPiece = -1;
    int mTilesInPlace = 0;
    int mStars = 0;

    enum Picture {
        PUZZLE, UI_BG, UI_SCORE, UI_SCORE_BG, UI_SAMPLE, UI_PRODUCT, CLOCK, CLOCK_PIN, UI_ACTIVE,
        WHEEL_0, WHEEL_1, WHEEL_2, RESULT_SHAPE, STAR_0, STAR_1, STAR_2, STAR_3,
    };
    Image* mImages[kPictureCount] = {};  // in mPictures; null when a file did not load

protected:
    // The construction in two parts, so that a variant's own sets are dealt by Build.
    struct Building {};
    MgPuzzle(MgUi* host, Building);
    void Build();

    // A tile of a set on its board and on the game screen.
    void AddPiece(int set, int home, int cell);
    // A set off the board: its tiles off the game screen and freed after the update (a tile
    // may be in the middle of its own click), its frame gone.
    void RemoveSet(int set);
    // The frame point of a set from the tile now in its cell 0.
    void PlaceFrame(int set);
    // After a swap: counts a solved set, deals anew one out of moves.
    void CheckSet(int set);
    void LockAll();
    void EnableAll(bool enabled);
    // The result display, the record raised and all tiles locked.
    void EndWithResult();
};

} // namespace Quor
