#include "game/minigames/MgWine.h"

#include "game/minigames/MgDraw.h"
#include "game/minigames/MgUi.h"
#include "game/minigames/MgWinePiece.h"
#include "game/shell/AmbientSoundCues.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXMath.h"
#include "game/shell/FXObject.h"
#include "game/shell/GameApp.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/ParticleSystem.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "platform/Sys.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace Quor {

using namespace mgdraw;

namespace {

const char* const kPicturePaths[MgWine::kPictureCount] = {
    "images/mg_4/ui_bg.png",   "images/mg_4/ui_bg_c.png", "images/mg_4/clock.png",        "images/mg_4/clock_pin.png",
    "images/mg_4/wheel_0.png", "images/mg_4/wheel_1.png", "images/mg_4/wheel_2.png",      "images/mg_4/Mini3_smoke.png",
    "images/mg_4/p_break.png", "images/mg_4/logo.png",
};

constexpr double kFullTurn = 6.28;
constexpr double kBeltStretch = 0.8;  // seconds a product takes from one belt point to the next
constexpr double kProductScale = 0.85;

void MoveAlong(FXObject* effect, Point from, Point to, double seconds)
{
    effect->SetTrack(Track(Keyframe::TRANSLATE, Keyframe::TRANS_X, {{0.0, from.mX}, {seconds, to.mX}}), false);
    effect->SetTrack(Track(Keyframe::TRANSLATE, Keyframe::TRANS_Y, {{0.0, from.mY}, {seconds, to.mY}}), false);
}

void StartParticles(ParticleSet* set, const char* path, float x, float y)
{
    auto* system = new ParticleSystem(path, 0);
    if (set->Add(-1, system) < 0) {
        delete system;
        return;
    }
    system->StartAt(x, y);
}

} // namespace

MgWine::MgWine(MgUi* host) : MgWine(host, Building{})
{
    Build();
}

MgWine::MgWine(MgUi* host, Building)
    : MgSkeleton(host, MINI_GAME_WINE), mGameEffects(new EffectList()), mBackParticles(new ParticleSet(host->App())),
      mFrontParticles(new ParticleSet(host->App()))
{
}

void MgWine::Build()
{
    GameApp* app = App();
    mStarted = false;
    mBeltPath = {{-120, 467}, {-15, 483}, {90, 499}, {195, 515}, {300, 531}, {405, 547}, {1024, 547}};
    mHost->mCountdown = kCountdown;
    app->PlayMusicFile("music/mini_game.ogg");

    const MiniGameTuning& tuning = app->miniGameTuning;
    mLvMax = TuningInt(tuning.m4LvMax);
    mLvStart = TuningInt(tuning.m4LvStart);
    mLvUpQty = TuningInt(tuning.m4LvUpQty);
    mLvSpeed = tuning.m4LvSpeed;

    mRecord = mOwnerScreen->mProfile->FindProductRecord(mHost->mProductId);
    mOldRate = mRecord != nullptr ? mRecord->rate : 0;
    mFinalScore = 0;
    auto recipe = app->blueprintTable.find(mHost->mProductId);
    mRecipe = recipe != app->blueprintTable.end() ? &recipe->second : nullptr;
    if (mRecipe != nullptr)
        for (const auto& [material, quantity] : mRecipe->materialQty)
            mRecipeMaterials.push_back(material);

    double speeds[] = {tuning.m4BasicSpeed2, tuning.m4BasicSpeed3, tuning.m4BasicSpeed4, tuning.m4BasicSpeed5};
    const size_t n = mRecipeMaterials.size();
    mSpeed = TuningInt(n >= 2 && n <= 5 ? speeds[n - 2] : tuning.m4BasicSpeed2);

    LoadImages();
    BuildBoard();

    auto* cue = new AmbientSoundCue();
    cue->mSoundId = SE_MG_WHEEL;
    cue->mPan = 0;
    cue->mVolume = 1.0;
    cue->mLife = -999.0;
    cue->mInterval = 3.0;
    cue->mCountdown = 3.0;
    mHost->mSoundCues->Add(cue);

    StartParticles(mBackParticles, "particle/FX_mini3_fire.psi", 1010, 420);
    StartParticles(mBackParticles, "particle/FX_fire.psi", 990, 300);
}

MgWine::~MgWine()
{
    LeaveScreen();
    mGameEffects->DeleteAll();
    delete mGameEffects;
    mBackParticles->Clear();
    delete mBackParticles;
    mFrontParticles->Clear();
    delete mFrontParticles;
    for (auto& [id, piece] : mPieces)
        delete piece;
    mPieces.clear();
    for (Widget* cover : mCovers)
        delete cover;
    mCovers.clear();
}

void MgWine::LoadImages()
{
    for (int i = 0; i < kPictureCount; ++i)
        mImages[i] = LoadPicture(kPicturePaths[i]);
    // Dust rising from the furnace towards the upper right edge, each puff on its own beat.
    for (int i = 0; i < 7; ++i) {
        const double time = 4.5 + i * (0.5 / 6.0);
        FXObject* dust = MakeEffect(FX_C_MG4_DUST, 990, 400, time, FXObject::kNoHoldTime, 0, true);
        dust->SetTrack(Track(Keyframe::TRANSLATE, Keyframe::TRANS_X, {{0.0, 975.0 + 6 * i}, {time, 1030.0 + 4 * i}}), true);
        dust->SetTrack(Track(Keyframe::TRANSLATE, Keyframe::TRANS_Y, {{0.0, 400.0 - 9 * i}, {time, 40.0 - 12 * i}}), true);
        dust->SetTrack(Track(Keyframe::ALPHA, 0, {{0.0, 0.0}, {time * 0.25, 180.0}, {time * 0.75, 180.0}, {time, 0.0}}),
                       true);
        mGameEffects->Add(dust);
    }
}

void MgWine::BuildBoard()
{
    BuildRows();
    mHost->mLevel = mLvStart;
    mTickCounter = 1;
}

void MgWine::BuildRows()
{
    const int n = static_cast<int>(mRecipeMaterials.size());
    for (int row = kFirstRow; row < kEndRow; ++row) {
        std::vector<bool> taken(static_cast<size_t>(n), false);
        for (int column = 0; column < n; ++column) {
            int m = 0;
            do
                m = std::rand() % n;
            while (taken[static_cast<size_t>(m)]);
            taken[static_cast<size_t>(m)] = true;
            AddPiece(n * row + column, m, row, column);
        }
    }
    AddCover();
}

void MgWine::AddPiece(int id, int material, int row, int column)
{
    auto* piece = new MgWinePiece(this, id, material, row, column);
    piece->Resize(560 + kRowStep * column, 117 - kRowStep * (row - kFirstRow), MgWinePiece::kSize, MgWinePiece::kSize);
    mPieces[id] = piece;
    AddToScreen(piece);
}

void MgWine::AddCover()
{
    auto* cover = new Widget();
    cover->Resize(540, 543, 320, 100);
    mCovers.push_back(cover);
    AddToScreen(cover);
}

void MgWine::StartGame()
{
    mStarted = true;
}

int MgWine::StepInterval(int slowdown) const
{
    const double value = static_cast<double>(mSpeed) - slowdown - (static_cast<double>(mHost->mLevel) - 1.0) * mLvSpeed;
    const int interval = TruncToInt(value);
    return interval == 0 ? 1 : interval;
}

void MgWine::Tick(double dt)
{
    if (!mStarted)
        return;
    ++mTickCounter;
    StartFallEvery(StepInterval());
    ScrollRows(dt);
}

void MgWine::StartFallEvery(int interval)
{
    if (mFallOffset == 0 && mTickCounter % interval == 0)
        mFallOffset = kRowStep;
}

void MgWine::ScrollRows(double dt)
{
    if (mFallOffset > 0) {
        mFallOffset -= kFallPerTick;
        for (auto& [id, piece] : mPieces) {
            if (piece->mRow > mBottomRow + 9)
                continue;
            piece->Move(piece->mX, (mBottomRow - piece->mRow) * kRowStep - mFallOffset + 603);
            piece->Tick(dt);
        }
        if (mFallOffset <= 0) {
            mFallOffset = 0;
            RowArrived();
        }
    }
    for (auto& [id, piece] : mPieces)
        piece->Tick(dt);
}

void MgWine::RowArrived()
{
    std::vector<int> row(mRecipeMaterials.size(), 0);
    std::vector<int> gone;
    for (auto& [id, piece] : mPieces) {
        if (piece->mRow == mBottomRow) {
            if (piece->mColumn >= 0 && static_cast<size_t>(piece->mColumn) < row.size())
                row[static_cast<size_t>(piece->mColumn)] = piece->mMaterial;
            RemoveFromScreen(piece);
            gone.push_back(id);
            if (id == mSelectedPiece) {
                mSelectedPiece = -1;
                mSelectedRow = -1;
            }
        } else if (piece->mRow == mBottomRow + 1 && id == mSelectedPiece) {
            piece->mSelected = false;
            mSelectedPiece = -1;
            mSelectedRow = -1;
        }
    }
    JudgeRow(row);
    for (int id : gone) {
        delete mPieces[id];
        mPieces.erase(id);
    }
    ++mBottomRow;
    if (mBottomRow == kEndRow)
        StopGame();
}

void MgWine::JudgeRow(const std::vector<int>& row)
{
    bool ordered = true;
    for (size_t i = 0; i < row.size(); ++i)
        ordered = ordered && row[i] == static_cast<int>(i);
    GameApp* app = App();
    if (ordered) {
        mHost->mScore = AddSaturated(mHost->mScore, 1);
        ++mStreak;
        if (mStreak == mLvUpQty) {
            RaiseLevel();
            mStreak = 0;
        }
        ShowRowResult(true);
        app->PlaySample(SE_MG4_PRODUCE);
        app->PlaySample(SE_MG4_PRODUCE2);
    } else if (row[0] != 0) {
        mHost->mLevel = 1;
        mTickCounter = 1;
        mStreak = 0;
        ShowRowResult(false);
        app->PlaySample(SE_BREAK);
    } else {
        return;
    }
    mHost->mEffects->Add(PlayOnce(FX_C_MG4_PRODUCE_1, 780, 600, 1.0));
}

void MgWine::RaiseLevel()
{
    if (mHost->mLevel < mLvMax)
        ++mHost->mLevel;
    mTickCounter = 1;
}

Image* MgWine::MaterialPicture(int material) const
{
    if (material < 0 || static_cast<size_t>(material) >= mRecipeMaterials.size())
        return nullptr;
    auto source = App()->sourceTable.find(mRecipeMaterials[static_cast<size_t>(material)]);
    if (source == App()->sourceTable.end())
        return nullptr;
    return ResourceImageById(ResourceIdByName(source->second.Img.c_str()));
}

Image* MgWine::ProductPicture() const
{
    return mRecipe != nullptr ? ResourceImageById(ResourceIdByName(mRecipe->Img.c_str())) : nullptr;
}

void MgWine::ShowRowResult(bool good)
{
    mBusy = true;
    Image* product = ProductPicture();
    const Color tint(255, 236, 214);
    auto onBelt = [&](FXObject* effect) {
        effect->mScale = kProductScale;
        effect->mColor = std::make_unique<Color>(tint);
        mGameEffects->Add(effect);
    };
    for (size_t i = 0; i + 2 < mBeltPath.size(); ++i) {
        FXObject* stretch = MakeEffect(product, mBeltPath[i].mX, mBeltPath[i].mY, kBeltStretch, kBeltStretch,
                                       i == 0 ? ID_ROW_SHOWN : 0);
        MoveAlong(stretch, mBeltPath[i], mBeltPath[i + 1], kBeltStretch);
        onBelt(stretch);
    }
    const Point& from = mBeltPath[mBeltPath.size() - 2];
    const Point& to = mBeltPath.back();
    FXObject* last = MakeEffect(good ? product : mImages[BREAK], from.mX, from.mY, 2 * kBeltStretch, 2 * kBeltStretch, 0);
    MoveAlong(last, from, to, 2 * kBeltStretch);
    onBelt(last);
    if (!good)
        return;
    FXObject* out = MakeEffect(product, 1024, to.mY, 2.0, 2.0, 0);
    out->SetTrack(Track(Keyframe::TRANSLATE, Keyframe::TRANS_X, {{0.0, 1024.0}, {1.0, 1024.0}, {1.0, 780.0}, {2.0, 1024.0}}),
                  false);
    onBelt(out);
    mGameEffects->Add(MakeEffect(IMG_NONE, 0, 0, 0.6, 0.6, ID_ROW_SMOKE));
}

void MgWine::StopGame()
{
    EndPlay();
    FXObject* closing = nullptr;
    if (const auto& defs = App()->fxDefs)
        for (const FXDef& def : *defs)
            if (def.id == 4) {
                closing = new FXObject(def, ResourceImageById(def.img));
                break;
            }
    if (closing == nullptr) {
        // Without its effect definition the close still runs its time.
        plat::DebugOutput("Effect 4 is not in the effect data; the machine closes without it\n");
        closing = MakeEffect(IMG_NONE, 0, 0, 0.5, 0.5, 0);
    }
    closing->mX = 26;
    closing->mY = 137;
    closing->mHoldTime = 0.5;
    closing->mNotifyFlag = true;
    closing->mNotifyId = ID_CLOSING;
    mHost->mEffects->Add(closing);
}

void MgWine::OnEffectDone(int id)
{
    switch (id) {
    case ID_ROW_SHOWN:
        mBusy = false;
        break;
    case ID_ROW_SMOKE:
        StartParticles(mFrontParticles, "particle/FX_smoke.psi", 540, 604);
        break;
    case ID_CLOSING: {
        Image* image = FX_C_MISSION_FIN;
        const int celWidth = image != nullptr ? image->GetWidth() / 17 : 0;
        const int celHeight = image != nullptr ? image->GetHeight() : 0;
        auto* animation = new FXObject(26, 137, celWidth, celHeight, image, 17, true, -1, ID_RESULT, 0.04, 2.0, 0.0,
                                       FXObject::kDeriveNotifyTime);
        MoveAlong(animation, {26, 137}, {835, 170}, 2.0);
        mHost->mEffects->Add(animation);
        break;
    }
    case ID_RESULT:
        ShowResult();
        break;
    default:
        break;
    }
}

void MgWine::ShowResult()
{
    GameApp* app = App();
    mHost->mScore = AddSaturated(mHost->mScore, mHost->mLevel);
    const int score = mHost->mScore;
    if (mRecord != nullptr && mRecord->rate < score)
        mRecord->rate = score;
    mFinalScore = score;
    if (score > mOldRate)
        app->PlaySample(SE_MIS_FIN);
    if (score == AddSaturated(mLvMax, 20))
        AddPerfectSign(mHost->mEffects, MG_1_PERFECT, mOwnerScreen->mWidth);
    mHost->mEffects->Add(PlayOnce(FX_C_MG4_PRODUCE_1, 883, 150, 1.0));
    mHost->mEffects->Add(MakeEffect(IMG_NONE, 0, 0, 3.0, 3.0, MgUi::ID_RESULT_SHOWN));
}

bool MgWine::UpdateReward(double dt)
{
    for (int id : mGameEffects->UpdateAllNotices(App()->mUpdateCount, dt))
        OnEffectDone(id);
    mBackParticles->Update(dt);
    mFrontParticles->Update(dt);
    return true;
}

float MgWine::GetClockAngle()
{
    return static_cast<float>(mHost->mCountdown / 75.0 * kFullTurn);
}

MgWinePiece* MgWine::Piece(int pieceId)
{
    auto it = mPieces.find(pieceId);
    return it != mPieces.end() ? it->second : nullptr;
}

void MgWine::ClickPiece(int pieceId)
{
    MgWinePiece* piece = Piece(pieceId);
    if (piece == nullptr)
        return;
    if (mSelectedPiece == -1) {
        mSelectedPiece = pieceId;
        mSelectedRow = piece->mRow;
        App()->PlaySample(SE_MG_CLICK);
    } else {
        SwapPieces(mSelectedPiece, pieceId);
        mSelectedRow = -1;
        App()->PlaySample(SE_MG_EXCHANGE);
    }
}

void MgWine::ClearSelection()
{
    MgWinePiece* selected = Piece(mSelectedPiece);
    if (selected == nullptr)
        return;
    selected->mSelected = false;
    mSelectedRow = -1;
    mSelectedPiece = -1;
}

void MgWine::SwapPieces(int a, int b)
{
    MgWinePiece* first = Piece(a);
    MgWinePiece* second = Piece(b);
    if (first == nullptr || second == nullptr)
        return;
    std::swap(first->mMaterial, second->mMaterial);
    for (auto [piece, partner] : {std::pair{first, b}, std::pair{second, a}}) {
        piece->mSwapping = true;
        piece->mSwapProgress = 0.0;
        piece->mSwapPartner = partner;
        piece->mSelected = false;
    }
    mSelectedPiece = -1;
}

void MgWine::SwapWithNeighbour(int pieceId, int direction)
{
    MgWinePiece* piece = Piece(pieceId);
    if (piece == nullptr)
        return;
    for (auto& [id, other] : mPieces) {
        if (other->mRow == piece->mRow && other->mColumn == piece->mColumn + direction) {
            mSelectedRow = -1;
            App()->PlaySample(SE_MG_EXCHANGE);
            SwapPieces(pieceId, id);
            return;
        }
    }
}

void MgWine::Draw(Graphics* g)
{
    mFrontParticles->Draw(g);
    if (!mFinished)
        g->DrawImage(mImages[UI_BG_C], 510, 543);
}

void MgWine::DrawPanel(Graphics* g)
{
    const std::string name = mRecipe != nullptr ? mRecipe->Name : std::string();
    Image* product = ProductPicture();
    g->DrawImage(GM_BG_FACTORY, 0, 0);
    mGameEffects->DrawAll(g);
    mBackParticles->Draw(g);
    g->DrawImage(mImages[UI_BG], 0, 0);
    g->DrawImage(mImages[CLOCK], 0, 100);
    g->DrawImage(mImages[LOGO], 147, 25);
    WriteText(g, FONT_T14, Color(0, 0, 0), name, 338, 150, 200);
    if (FONT_B18 != nullptr) {
        g->SetFont(FONT_B18);
        g->SetColor(Color(160, 92, 45));
        g->DrawString(Format("%lld", mHost->mLevel), 87, 190);
    }
    g->DrawImage(product, 190, 127);
    DrawScaled(g, product, 850, 185, 0.4f);
    if (!mBusy)
        for (size_t i = 1; i <= 5 && i < mBeltPath.size(); ++i)
            DrawScaled(g, product, mBeltPath[i].mX, mBeltPath[i].mY, static_cast<float>(kProductScale));

    g->DrawImage(GM_I_SLV, 338, 205);
    g->DrawImage(GM_I_CLV, 340, 227);
    const int ratings[2] = {mRecord != nullptr ? mRecord->rating1 : 0, mRecord != nullptr ? mRecord->rating2 : 0};
    const int lineY[2] = {207, 225};
    for (int line = 0; line < 2; ++line) {
        g->DrawImage(GM_I_LV1, 366, lineY[line]);
        g->DrawImage(ratings[line] >= 2 ? GM_I_LV2 : GM_I_LV0, 386, lineY[line]);
        g->DrawImage(ratings[line] >= 3 ? GM_I_LV3 : GM_I_LV0, 406, lineY[line]);
    }
    for (size_t i = 0; i < mRecipeMaterials.size(); ++i)
        DrawScaled(g, MaterialPicture(static_cast<int>(i)), 563 + kRowStep * static_cast<int>(i), 40, 0.7f);

    g->PushState();
    g->ClipRect(559, 104, 288, 600);
    for (auto& [id, piece] : mPieces)
        piece->Draw(g);
    g->PopState();

    if (FONT_C_BIG_NUM != nullptr) {
        g->SetFont(FONT_C_BIG_NUM);
        g->SetColor(Color(100, 70, 10));
        g->DrawString(Format("x%lld", mHost->mScore), 890, 215);
    }
    const long long hundredths = TruncToInt(mHost->mCountdown * 100.0);
    const double angle = static_cast<double>(hundredths % 1300) / 1300.0 * kFullTurn;
    DrawTurned(g, mImages[WHEEL_0], -2, 680, angle);
    DrawTurned(g, mImages[WHEEL_1], 171, 680, angle);
    DrawTurned(g, mImages[WHEEL_2], 342, 680, angle);

    if (!mFinished)
        return;
    g->DrawImage(MG_RESULT_BG, 230, 195);
    g->DrawImage(product, 315, 360);
    WriteText(g, FONT_B18, Color(0, 0, 0), name, 274, 290, 215, 25);
    WriteText(g, FONT_B18, Color(135, 0, 0), "Production Machine", 528, 290, 225);
    WriteText(g, FONT_B18, Color(0, 0, 0), Format("%lld Products", static_cast<long long>(mFinalScore) - mHost->mLevel), 528, 360, 225);
    WriteText(g, FONT_B18, Color(0, 0, 0), "Each Day", 528, 390, 225);
    WriteText(g, FONT_B18, Color(50, 100, 255), Format("+ %lld Bonus products", mHost->mLevel), 438, 480, 405);
}

} // namespace Quor
