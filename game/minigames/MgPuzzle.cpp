#include "game/minigames/MgPuzzle.h"

#include "game/minigames/MgDraw.h"
#include "game/minigames/MgPuzzlePiece.h"
#include "game/minigames/MgUi.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXMath.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <cstdlib>
#include <string>

namespace Quor {

using namespace mgdraw;

namespace {

const char* const kPicturePaths[MgPuzzle::kPictureCount] = {
    nullptr,  // the product's puzzle picture, by its id
    "images/mg_2/ui_bg.png",
    "images/mg_2/ui_score.png",
    "images/mg_2/ui_score_bg.png",
    "images/mg_2/ui_sample.png",
    "images/mg_2/ui_product.png",
    "images/mg_2/clock.png",
    "images/mg_4/clock_pin.png",
    "images/mg_2/ui_active.png",
    "images/mg_4/wheel_0.png",
    "images/mg_4/wheel_1.png",
    "images/mg_4/wheel_2.png",
    "images/mg_main/result_shape.png",
    "images/mg_main/star0.png",
    "images/mg_main/star1.png",
    "images/mg_main/star2.png",
    "images/mg_main/star3.png",
};

constexpr double kFullTurn = 6.28;

// The board origin of each set by level (1-3); any other pair stands at 0, 0.
const Point kSetBases[3][MgPuzzle::kMaxSets] = {
    {{381, 226}, {606, 226}, {0, 0}, {0, 0}},
    {{381, 126}, {606, 126}, {381, 348}, {0, 0}},
    {{381, 126}, {606, 126}, {381, 348}, {606, 348}},
};

} // namespace

MgPuzzle::MgPuzzle(MgUi* host) : MgPuzzle(host, Building{})
{
    Build();
    LockAll();  // nothing moves during the ready sign
}

MgPuzzle::MgPuzzle(MgUi* host, Building) : MgSkeleton(host, MINI_GAME_PUZZLE), mReward(this)
{
    for (int k = 0; k < kMaxSets; ++k)
        mSets[k] = SetRecord{0, 8, false};
}

void MgPuzzle::Build()
{
    GameApp* app = App();
    app->PlayMusicFile("music/mini_game.ogg");
    mStarted = false;
    mHost->mCountdown = app->miniGameTuning.m2Time;
    auto recipe = app->blueprintTable.find(mHost->mProductId);
    mRecipe = recipe != app->blueprintTable.end() ? &recipe->second : nullptr;
    mRecord = mOwnerScreen->mProfile->FindProductRecord(mHost->mProductId);
    mStars = 0;
    LoadImages();
    BuildBoard();
}

MgPuzzle::~MgPuzzle()
{
    LeaveScreen();
    // Not inside a tile's click here: the tiles go at once.
    for (auto& [id, piece] : mPieces)
        delete piece;
    mPieces.clear();
    mSetFrames.clear();
}

void MgPuzzle::LoadImages()
{
    mImages[PUZZLE] = LoadPicture("images/mg_2/p" + std::to_string(mHost->mProductId) + ".png");
    for (int i = 1; i < kPictureCount; ++i)
        mImages[i] = LoadPicture(kPicturePaths[i]);
}

void MgPuzzle::BuildBoard()
{
    mSelectedPiece = -1;
    for (int k = 0; k <= mHost->mLevel && k < kMaxSets; ++k)
        BuildSet(k);
}

Point MgPuzzle::CellPosition(int level, int set, int cell)
{
    Point base{0, 0};
    if (level >= 1 && level <= 3 && set >= 0 && set < kMaxSets)
        base = kSetBases[level - 1][set];
    return Point{base.mX + 57 + kTileSize * (cell % 3), base.mY + 60 + kTileSize * (cell / 3)};
}

void MgPuzzle::AddPiece(int set, int home, int cell)
{
    const int id = kTilesPerSet * set + home;
    auto* piece = new MgPuzzlePiece(this, id, home, cell, set);
    piece->mLocked = cell == home;
    const Point at = CellPosition(mHost->mLevel, set, cell);
    piece->Resize(at.mX, at.mY, kTileSize, kTileSize);
    mPieces[id] = piece;
    AddToScreen(piece);
}

void MgPuzzle::PlaceFrame(int set)
{
    const Point cell0 = CellPosition(mHost->mLevel, set, 0);
    mSetFrames[set] = Point{cell0.mX - 23, cell0.mY - 30};
}

void MgPuzzle::BuildSet(int set)
{
    if (set < 0 || set >= kMaxSets)
        return;
    mSets[set] = SetRecord{set, 99999 - mHost->mLevel, false};
    bool taken[kTilesPerSet] = {};
    for (int home = 0; home < kTilesPerSet; ++home) {
        int cell = 0;
        do
            cell = std::rand() % kTilesPerSet;
        while (taken[cell]);
        taken[cell] = true;
        AddPiece(set, home, cell);
    }
    PlaceFrame(set);
}

void MgPuzzle::RemoveSet(int set)
{
    for (int home = 0; home < kTilesPerSet; ++home) {
        auto it = mPieces.find(kTilesPerSet * set + home);
        if (it == mPieces.end())
            continue;
        if (mSelectedPiece == it->first)
            mSelectedPiece = -1;
        RemoveFromScreen(it->second);
        App()->SafeDeleteWidget(it->second);
        mPieces.erase(it);
    }
    mSetFrames.erase(set);
}

void MgPuzzle::StartGame()
{
    mStarted = true;
    for (auto& [id, piece] : mPieces)
        piece->mLocked = piece->mCell == piece->mHome;
}

MgPuzzlePiece* MgPuzzle::Piece(int pieceId)
{
    auto it = mPieces.find(pieceId);
    return it != mPieces.end() ? it->second : nullptr;
}

void MgPuzzle::ClickPiece(int pieceId)
{
    if (mSelectedPiece == -1) {
        SelectPiece(pieceId);
    } else if (mSelectedPiece == pieceId) {
        mSelectedPiece = -1;
        EnableAll(true);
    } else {
        SwapWithSelected(pieceId);
    }
}

void MgPuzzle::SelectPiece(int pieceId)
{
    MgPuzzlePiece* chosen = Piece(pieceId);
    if (chosen == nullptr)
        return;
    mSelectedPiece = pieceId;
    for (auto& [id, piece] : mPieces)
        piece->mEnabled = piece->mSet == chosen->mSet;
}

void MgPuzzle::SwapWithSelected(int pieceId)
{
    MgPuzzlePiece* a = Piece(mSelectedPiece);
    MgPuzzlePiece* b = Piece(pieceId);
    if (a == nullptr || b == nullptr || a == b)
        return;
    const int set = a->mSet;
    mSets[set].movesLeft -= 1;
    std::swap(a->mCell, b->mCell);
    for (MgPuzzlePiece* piece : {a, b}) {
        piece->mLocked = piece->mCell == piece->mHome;
        const Point at = CellPosition(mHost->mLevel, piece->mSet, piece->mCell);
        piece->Move(at.mX, at.mY);
    }
    mSelectedPiece = -1;
    CheckSet(set);  // a level rise or a new deal may take both tiles away
    mTilesInPlace = 0;
    for (auto& [id, piece] : mPieces)
        mTilesInPlace += piece->mLocked ? 1 : 0;
    EnableAll(true);
}

void MgPuzzle::CheckSet(int set)
{
    bool solved = true;
    for (int home = 0; home < kTilesPerSet; ++home) {
        MgPuzzlePiece* piece = Piece(kTilesPerSet * set + home);
        solved = solved && piece != nullptr && piece->mCell == piece->mHome;
    }
    if (!solved) {
        if (mSets[set].movesLeft <= 0) {
            RemoveSet(set);
            BuildSet(set);
        }
        return;
    }
    mHost->mScore = AddSaturated(mHost->mScore, 1);
    App()->PlaySample(SE_CYCLE_GET);
    if (mHost->mScore == 2 || mHost->mScore == 5)
        RaiseLevel();
    else if (mHost->mScore == kSolvedToStop)
        StopGame();
    else
        mSets[set].done = true;
}

void MgPuzzle::RaiseLevel()
{
    if (mHost->mLevel >= 3)
        return;
    for (int k = 0; k <= mHost->mLevel && k < kMaxSets; ++k)
        RemoveSet(k);
    mHost->mLevel += 1;
    BuildBoard();
}

void MgPuzzle::LockAll()
{
    for (auto& [id, piece] : mPieces)
        piece->mLocked = true;
}

void MgPuzzle::EnableAll(bool enabled)
{
    for (auto& [id, piece] : mPieces)
        piece->mEnabled = enabled;
}

void MgPuzzle::EndWithResult()
{
    AddClosingEffect(App(), mHost->mEffects, 152, 30);
    LockAll();
}

void MgPuzzle::TimeUp()
{
    EndPlay();
    const int score = mHost->mScore;
    int level = 0;
    if (score >= 5) {
        level = 2;
        mStars = 2;
    } else if (score >= 2) {
        level = 1;
        mStars = 1;
    }
    if (mRecord != nullptr && mRecord->rating1 < level)
        mRecord->rating1 = level;
    EndWithResult();
}

void MgPuzzle::StopGame()
{
    EndPlay();
    if (mRecord != nullptr)
        mRecord->rating1 = 3;
    mStars = 3;
    mHost->mWinnings = TuningInt(App()->miniGameTuning.m2BonusMulti * mHost->mCountdown);
    EndWithResult();
    AddPerfectSign(mHost->mEffects, MG_2_PERFECT, mOwnerScreen->mWidth);
    App()->PlaySample(SE_MIS_FIN);
}

bool MgPuzzle::ShowReward()
{
    return mReward.Show();
}

bool MgPuzzle::UpdateReward(double dt)
{
    return mReward.Update(dt);
}

float MgPuzzle::GetClockAngle()
{
    const double time = App()->miniGameTuning.m2Time;
    if (time == 0.0)
        return 0.0f;
    return static_cast<float>(mHost->mCountdown / time * kFullTurn);
}

int MgPuzzle::GaugeWidth() const
{
    Image* gauge = mImages[UI_SCORE];
    if (gauge == nullptr || mPieces.empty())
        return 0;
    // Multiplied first: a share divided first would be 0 until every tile stands home.
    return static_cast<int>(static_cast<long long>(mTilesInPlace) * gauge->GetWidth() / TileCount());
}

void MgPuzzle::DrawPanel(Graphics* g)
{
    const std::string name = mRecipe != nullptr ? mRecipe->Name : std::string();
    g->DrawImage(GM_BG_FACTORY, 0, 0);
    const long long hundredths = TruncToInt(mHost->mCountdown * 100.0);
    const double turn = static_cast<double>(hundredths % 850) / 850.0 * kFullTurn;
    DrawTurned(g, mImages[WHEEL_0], 264, 638, turn);
    DrawTurned(g, mImages[WHEEL_1], 412, 552, turn);
    DrawTurned(g, mImages[WHEEL_2], 544, 660, turn);
    g->DrawImage(mImages[UI_BG], 98, 63);
    g->DrawImage(mImages[UI_SAMPLE], 184, 254);
    g->DrawImage(mImages[PUZZLE], 207, 283);
    g->DrawImage(mImages[CLOCK], 141, 25);
    if (FONT_B18 != nullptr) {
        g->SetFont(FONT_B18);
        g->SetColor(Color(160, 92, 45));
        g->DrawString(Format("%lld", mHost->mLevel), 227, 80);
    }
    if (Image* pin = mImages[CLOCK_PIN])
        g->DrawImageRotatedInt(pin, 222, 44, 9, 72, nullptr, GetClockAngle());
    WriteText(g, FONT_T14, Color(0, 0, 0), name, 220, 230, 180, 22);

    const int rating = mRecord != nullptr ? mRecord->rating1 : 0;
    g->DrawImage(GM_I_SLV, 250, 493);
    g->DrawImage(GM_I_LV1, 278, 495);
    g->DrawImage(rating >= 2 ? GM_I_LV2 : GM_I_LV0, 298, 495);
    g->DrawImage(rating >= 3 ? GM_I_LV3 : GM_I_LV0, 318, 495);

    g->DrawImage(mImages[UI_SCORE_BG], 198, 519);
    if (Image* gauge = mImages[UI_SCORE]) {
        const int width = GaugeWidth();
        if (width > 0)
            g->DrawImageRegion(gauge, 198, 519, Rect(0, 0, width, gauge->GetHeight()));
    }
    for (const auto& [set, frame] : mSetFrames)
        g->DrawImage(mImages[UI_PRODUCT], frame.mX, frame.mY);
    for (auto& [id, piece] : mPieces)
        piece->Draw(g);

    if (!mFinished)
        return;
    DrawResultPanel(g, mRecipe, "Refine Shaping", Format("Time Bonus : $%lld", mHost->mWinnings), mImages[RESULT_SHAPE],
                    &mImages[STAR_0], mStars);
}

} // namespace Quor
