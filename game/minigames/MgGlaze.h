// Glaze Selection: the glazes the product's recipe requires are shown, then hidden among decoys
// in a board of bowls that stand open for a moment before their covers drop. The player lifts
// covers to pick the required glazes; a finished product scores and brings a new board, a wrong
// pick costs a chance. The passes reached give the product's glaze level; a perfect game pays
// 100 for each chance left.
#pragma once

#include "game/minigames/MgReward.h"
#include "game/minigames/MgSkeleton.h"

#include <map>
#include <vector>

namespace Quor {

class FXObject;
class Image;
class MgGlazeProd;
class MgGlazeSrc;
struct BlueprintRecord;
struct ProductionRecord;

class MgGlaze : public MgSkeleton {
public:
    enum {
        ID_PICKED = 60001,         // a right pick's effect ended: its bowl goes
        ID_NEXT_PRODUCT = 60002,   // a finished product's pause ended: a new board
        ID_WRONG_SHOWN = 60003,    // a wrong pick's display ended
        ID_DEAL = 60004,           // the memory sign ended: the bowls are dealt
        ID_REQUIRED_SHOWN = 60005, // the required glazes reached their list
        ID_FIRST_BOARD = 61000,    // the required glazes' show ended: the first board
    };
    enum { TUTOR_STEP_OPEN_BOWL = 706, TUTOR_STEP_OPEN_BOWL_AGAIN = 708 };
    static constexpr double kCountdown = 99999.0;
    static constexpr int kFirstGlaze = 1;
    static constexpr int kLastGlaze = 36;
    static constexpr int kFirstDecoy = 22;  // decoys are the glazes 22-36
    static constexpr int kDecoyCount = 15;
    static constexpr int kPictureSets = 16;
    static constexpr double kWrongTime = 1.5;
    static constexpr int kScreenPictureCount = 15;
    // The screen's own pictures by path, UI_BG onwards.
    static const char* const kScreenPictures[kScreenPictureCount];

    explicit MgGlaze(MgUi* host);
    ~MgGlaze() override;

    void Draw(Graphics* g) override;
    void Tick(double dt) override;
    void OnEffectDone(int id) override;
    void LoadImages() override;
    void BuildBoard() override;
    void StartGame() override;
    void StopGame() override;
    void RaiseLevel() override;
    bool ShowReward() override;
    bool UpdateReward(double dt) override;
    void DrawPanel(Graphics* g) override;

    // Unused by this game's drawing: the time left as a share of the tuning's play time.
    virtual float GetClockAngle();
    // Deals the bowls of the level: the required glazes on slots of their own, decoys on the rest.
    virtual void DealBoxes();
    // A bowl's glaze offered to the product: true when it was a required one not yet applied.
    virtual bool TryGlaze(int slot, int glaze);

    // The required glazes fly in, then the first board follows.
    void ShowRequiredGlazes();
    // Every bowl off the board, then the memory sign whose end deals new ones.
    void ClearBoxes();
    // The bowl holding the glaze off the board; nothing when none holds it.
    void RemoveBox(int glaze);
    // All required glazes applied: a point, maybe a level, the end or a new board.
    void ProductComplete();
    // The cover's drop time at the current level.
    double DropTime() const;
    // The picture of a glaze, null for ids without one.
    Image* GlazePicture(int glaze) const;
    // How many chance boxes fit on the screen beside "Remaining chances :".
    int ChanceBoxesShown(int chances) const;

    MgReward mReward;
    std::map<int, MgGlazeSrc*> mBoxes;  // owned; by slot
    MgGlazeProd* mProduct = nullptr;    // owned
    std::vector<int> mRequired;         // by stage 1, 2, 3
    std::vector<int> mPicked;           // right picks whose bowls still stand
    const BlueprintRecord* mRecipe = nullptr;  // the game data's, not owned
    ProductionRecord* mRecord = nullptr;       // the player's, not owned
    std::map<int, Image*> mGlazePictures;      // 1-36, those that loaded
    std::map<int, int> mStageOf;               // required glaze -> its stage
    int mPictureSet = -1;                      // -1: the product has no pictures
    int mBoxCount = 6;
    std::map<int, int> mBowlSlots;  // required glaze -> slot
    int mNextSlot = 0;
    int mChances = 0;
    Widget* mBlocker = nullptr;     // owned; on the screen while a wrong pick shows
    int mShowingRequired = 0;
    int mGrade = 0;

    enum Picture {
        PD_BG, PD_1, PD_2, PD_3, UI_BG, UI_PRODUCT, RESULT_COLOR, STAR_0, STAR_1, STAR_2, STAR_3,
        BOWL_1, BOWL_2, BOWL_3, BOWL_WRONG, TXT_MEM, WHEEL_0, WHEEL_1, WHEEL_2, PICTURE_COUNT,
    };
    Image* mImages[PICTURE_COUNT] = {};  // in mPictures; null when a file did not load

private:
    void ShowWrongPick();
    void CheckChances();
    void AddEffect(FXObject* effect);
};

} // namespace Quor
