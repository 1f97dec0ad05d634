#include "game/minigames/MgTransfer.h"

#include "game/minigames/MgDraw.h"
#include "game/minigames/MgTransferPiece.h"
#include "game/minigames/MgUi.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"
#include "graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>

namespace Quor {

namespace {

const char* const kPicturePaths[MgTransfer::kPictureCount] = {
    "images/mg_1/ui_belt_4.png",   "images/mg_1/ui_belt_2.png", "images/mg_1/ui_belt_0.png",
    "images/mg_1/ui_product.png",  "images/mg_2/ui_score.png",  "images/mg_2/ui_score_bg.png",
    "images/mg_2/clock.png",       "images/mg_4/clock_pin.png",
};

constexpr double kFullTurn = 6.28;
constexpr int kProductStep = 25;     // progress between two products on the lower belt
constexpr int kBeltTop = 40;
constexpr int kRowHeight = 120;
constexpr int kTileStart = 30;
constexpr int kTileEnd = 990;
const Rect kSourceClip(32, 0, 938, 650);
const Rect kProductClip(261, 551, 603, 162);
constexpr int kResultTop = 250;
constexpr double kIconWidth = 50.0;

} // namespace

MgTransfer::MgTransfer(MgUi* host) : MgSkeleton(host, MINI_GAME_TRANSFER)
{
    GameApp* app = App();
    mStarted = false;
    app->PlayMusicFile("music/mini_game.ogg");
    mHost->mCountdown = app->miniGameTuning.m1Time;
    mRecord = mOwnerScreen->mProfile->FindProductRecord(mHost->mProductId);
    mStoredRating = mRecord != nullptr ? mRecord->rating2 : 0;
    LoadImages();
    BuildBoard();
}

MgTransfer::~MgTransfer()
{
    LeaveScreen();
    for (auto& [id, source] : mSources)
        delete source;
    mSources.clear();
    for (auto& [index, product] : mProducts)
        delete product;
    mProducts.clear();
}

void MgTransfer::LoadImages()
{
    GameApp* app = App();
    mProductPicture = LoadPicture("images/mg_2/p" + std::to_string(mHost->mProductId) + ".png");
    auto recipe = app->blueprintTable.find(mHost->mProductId);
    mRecipe = recipe != app->blueprintTable.end() ? &recipe->second : nullptr;
    std::set<int> taken;
    if (mRecipe != nullptr)
        for (const auto& [material, colour] : mRecipe->colorSources) {
            if (colour == kNoColour)
                continue;
            mMaterialPictures[material] = LoadPicture("images/mg_1/s_" + std::to_string(material) + ".png");
            mNeeded.push_back(material);
            taken.insert(material);
        }
    for (int decoy : DrawDecoys(taken, kDecoyCount))
        mMaterialPictures[decoy] = LoadPicture("images/mg_1/s_" + std::to_string(decoy) + ".png");
    mProductOnBelt = ScaledCopy(mProductPicture, MgTransferProd::kScale);
    for (const auto& [material, picture] : mMaterialPictures)
        mMaterialIcons[material] =
            picture != nullptr && picture->GetWidth() > 0 ? ScaledCopy(picture, kIconWidth / picture->GetWidth()) : nullptr;
    for (int i = 0; i < kPictureCount; ++i)
        mImages[i] = LoadPicture(kPicturePaths[i]);
}

void MgTransfer::BuildBoard()
{
    SetBeltSpeed(1);
    for (int row = 0; row < RowCount(); ++row)
        for (int i = 0; i < kSourcesPerRow; ++i)
            AddSource(row, -10.0 * i);
    for (int i = 0; i < kProductCount; ++i) {
        auto* product = new MgTransferProd(this, mProductOnBelt, i, kProductStep * i);
        for (int material : mNeeded)
            product->mCollected[material] = false;
        mProducts[i] = product;
    }
    mCurrentProduct = kProductCount - 1;
    mProducts[mCurrentProduct]->mActive = true;
}

void MgTransfer::StartGame()
{
    mStarted = true;
}

int MgTransfer::RowCount() const
{
    return std::max(0, kRows - mHost->mLevel);
}

double MgTransfer::SourceSpeed() const
{
    const MiniGameTuning& tuning = App()->miniGameTuning;
    if (mHost->mLevel >= kMaxLevel)
        return tuning.m1BasicSpeed3;
    return mHost->mLevel == 2 ? tuning.m1BasicSpeed2 : tuning.m1BasicSpeed1;
}

void MgTransfer::SetBeltSpeed(int n)
{
    for (Image* belt : {MG_1_BELT_1, MG_1_BELT_3, MG_1_BELT_3A}) {
        if (belt == nullptr || belt->mAnimInfo == nullptr)
            continue;
        ImageAnimation& animation = *belt->mAnimInfo;
        animation.mFrameDelay = n;
        animation.mPerFrameDelay.clear();
        animation.mTotalAnimTime = n * animation.mNumCels;
    }
    mBeltSpeed = n;
}

Image* MgTransfer::MaterialPicture(int material) const
{
    auto it = mMaterialPictures.find(material);
    return it != mMaterialPictures.end() ? it->second : nullptr;
}

Image* MgTransfer::MaterialIcon(int material) const
{
    auto it = mMaterialIcons.find(material);
    return it != mMaterialIcons.end() ? it->second : nullptr;
}

Image* MgTransfer::ScaledCopy(Image* picture, double scale)
{
    if (picture == nullptr)
        return nullptr;
    const int width = std::max(1, TuningInt(std::ceil(picture->GetWidth() * scale)));
    const int height = std::max(1, TuningInt(std::ceil(picture->GetHeight() * scale)));
    auto copy = std::make_unique<MemoryImage>();
    copy->Create(width, height);
    Graphics g(copy.get());
    g.DrawImageStretched(picture, 0, 0, width, height);
    mPictures.push_back(std::move(copy));
    return mPictures.back().get();
}

void MgTransfer::AddSource(int row, double progress)
{
    if (mMaterialPictures.empty())
        return;
    auto pick = mMaterialPictures.begin();
    std::advance(pick, std::rand() % static_cast<int>(mMaterialPictures.size()));
    const int id = mNextSourceId;
    mNextSourceId = AddSaturated(mNextSourceId, 1);
    auto* source = new MgTransferSrc(this, id, pick->first, row, progress);
    source->Resize(0, 0, MgTransferSrc::kSize, MgTransferSrc::kSize);
    source->Place();
    mSources[id] = source;
    AddToScreen(source);
}

void MgTransfer::QueueRemoval(int sourceId)
{
    if (std::find(mRemovals.begin(), mRemovals.end(), sourceId) == mRemovals.end())
        mRemovals.push_back(sourceId);
}

void MgTransfer::Tick(double dt)
{
    mBeltOffset = AddSaturated(mBeltOffset, mBeltSpeed);
    for (int id : mRemovals) {
        auto it = mSources.find(id);
        if (it == mSources.end())
            continue;
        RemoveFromScreen(it->second);
        delete it->second;
        mSources.erase(it);
    }
    mRemovals.clear();
    // The sources that were there when the tick began; those started in it wait for the next.
    std::vector<MgTransferSrc*> riding;
    for (auto& [id, source] : mSources)
        riding.push_back(source);
    for (MgTransferSrc* source : riding)
        source->Tick(dt);
    for (auto& [index, product] : mProducts)
        product->Tick(dt);
}

void MgTransfer::TryMaterial(int sourceId, int material)
{
    auto source = mSources.find(sourceId);
    if (mProducts[mCurrentProduct]->Accept(material)) {
        if (source != mSources.end())
            source->second->mTaken = true;
        return;
    }
    App()->PlaySample(SE_CYCLE_GET);
    mHost->mCountdown -= App()->miniGameTuning.m1TimeDeduct;
    if (mHost->mCountdown <= 0.0) {
        mHost->mCountdown = 0.0;
        if (mStarted)
            TimeUp();
    }
}

void MgTransfer::ProductFinished(int index)
{
    App()->PlaySample(SE_CYCLE_GET);
    mHost->mScore = AddSaturated(mHost->mScore, 1);
    for (auto& [i, product] : mProducts) {
        product->mFinished = i == index;
        product->mTarget += kProductStep;
    }
    const MiniGameTuning& tuning = App()->miniGameTuning;
    const double score = mHost->mScore;
    if (score == tuning.m1Lv1Pass || score == tuning.m1Lv2Pass)
        RaiseLevel();
    if (score == tuning.m1Lv3Pass)
        StopGame();
}

void MgTransfer::NextProduct()
{
    mProducts[mCurrentProduct]->ClearCollected();
    mProducts[mCurrentProduct]->mActive = false;
    mCurrentProduct = mCurrentProduct == 0 ? kProductCount - 1 : mCurrentProduct - 1;
    mProducts[mCurrentProduct]->mActive = true;
    mProducts[mCurrentProduct]->ClearCollected();
}

void MgTransfer::RaiseLevel()
{
    if (mHost->mLevel >= kMaxLevel)
        return;
    ++mHost->mLevel;
    for (auto& [id, source] : mSources)
        if (source->mRow > kRows - 1 - mHost->mLevel)
            QueueRemoval(id);
    if (mHost->mLevel == 2)
        SetBeltSpeed(1);
    else if (mHost->mLevel == 3)
        SetBeltSpeed(2);
}

void MgTransfer::Grade(int grade)
{
    mGrade = grade;
    if (mRecord != nullptr && mRecord->rating2 < grade)
        mRecord->rating2 = grade;
}

void MgTransfer::TimeUp()
{
    EndPlay();
    const MiniGameTuning& tuning = App()->miniGameTuning;
    const double score = mHost->mScore;
    if (score >= tuning.m1Lv2Pass)
        Grade(2);
    else if (score >= tuning.m1Lv1Pass)
        Grade(1);
    else
        mGrade = 0;
    mgdraw::AddClosingEffect(App(), mHost->mEffects, 678, 566);
}

void MgTransfer::StopGame()
{
    EndPlay();
    Grade(3);
    mgdraw::AddClosingEffect(App(), mHost->mEffects, 678, 566);
}

float MgTransfer::GetClockAngle()
{
    const double limit = App()->miniGameTuning.m1Time;
    if (limit == 0.0)
        return 0.0f;
    return static_cast<float>(mHost->mCountdown / limit * kFullTurn);
}

void MgTransfer::DrawBeltRow(Graphics* g, int row)
{
    const int y = kBeltTop + kRowHeight * row;
    const bool even = row % 2 == 0;
    g->PushState();
    g->ClipRect(kSourceClip.mX, kSourceClip.mY, kSourceClip.mWidth, kSourceClip.mHeight);
    g->DrawImage(mImages[UI_BELT_0], 0, y);
    if (Image* rollers = MG_1_BELT_1) {
        const Rect cel = rollers->GetAnimCelRect(mBeltOffset);
        for (int x = kTileStart; x < kTileEnd; x += kRowHeight) {
            if (even)
                g->DrawImageMirror(rollers, x, y + 45, cel);
            else
                g->DrawImageRegion(rollers, x, y + 45, cel);
        }
    }
    g->PopState();
    for (int x : {12, 315, 628, 957})
        g->DrawImage(mImages[UI_BELT_2], x, y + 70);
    g->PushState();
    g->ClipRect(kSourceClip.mX, kSourceClip.mY, kSourceClip.mWidth, kSourceClip.mHeight);
    Image* band = even ? MG_1_BELT_3 : MG_1_BELT_3A;
    for (int x = kTileStart; x < kTileEnd; x += kRowHeight)
        g->DrawImageAnim(band, x, y, mBeltOffset);
    g->PopState();
    g->DrawImage(mImages[UI_BELT_4], 5, y - 5);
    g->DrawImage(mImages[UI_BELT_4], 953, y - 5);
}

void MgTransfer::DrawPanel(Graphics* g)
{
    const MiniGameTuning& tuning = App()->miniGameTuning;
    g->DrawImage(GM_BG_FACTORY, 0, 0);
    g->DrawImage(mImages[UI_PRODUCT], 170, 537);
    g->DrawImage(mImages[UI_SCORE_BG], 211, 723);
    if (Image* gauge = mImages[UI_SCORE]; gauge != nullptr && tuning.m1Lv3Pass != 0.0) {
        const int full = mImages[UI_SCORE_BG] != nullptr ? mImages[UI_SCORE_BG]->GetWidth() : 0;
        const int width = std::clamp(TuningInt(full * static_cast<double>(mHost->mScore) / tuning.m1Lv3Pass), 0,
                                     gauge->GetWidth());
        if (width > 0)
            g->DrawImageRegion(gauge, 211, 723, Rect(0, 0, width, gauge->GetHeight()));
    }
    const int rating = mRecord != nullptr ? mRecord->rating2 : 0;
    g->DrawImage(GM_I_CLV, 405, 728);
    g->DrawImage(GM_I_LV1, 431, 726);
    g->DrawImage(rating >= 2 ? GM_I_LV2 : GM_I_LV0, 451, 726);
    g->DrawImage(rating >= 3 ? GM_I_LV3 : GM_I_LV0, 471, 726);
    g->DrawImage(mImages[CLOCK], 63, 544);
    if (FONT_B18 != nullptr) {
        g->SetFont(FONT_B18);
        g->SetColor(Color(90, 50, 10));
        g->DrawString(std::to_string(mHost->mLevel), 149, 599);
    }
    if (Image* pin = mImages[CLOCK_PIN])
        g->DrawImageRotatedInt(pin, 144, 563, 9, 72, nullptr, GetClockAngle());
    for (int row = 0; row < RowCount(); ++row)
        DrawBeltRow(g, row);

    g->PushState();
    g->ClipRect(kSourceClip.mX, kSourceClip.mY, kSourceClip.mWidth, kSourceClip.mHeight);
    for (auto& [id, source] : mSources)
        source->Draw(g);
    g->PopState();
    g->PushState();
    g->ClipRect(kProductClip.mX, kProductClip.mY, kProductClip.mWidth, kProductClip.mHeight);
    for (auto& [index, product] : mProducts)
        product->Draw(g);
    g->PopState();

    if (!mFinished)
        return;
    const int width = mOwnerScreen->mWidth;
    if (Image* panel = MG_RESULT_BG)
        g->DrawImage(panel, (width - panel->GetWidth()) / 2, kResultTop);
    const Color text(40, 20, 0);
    WriteCentred(g, FONT_B18, text, "Produced : " + std::to_string(mGrade), 0, width, 300);
    WriteCentred(g, FONT_B18, text, "Original : " + std::to_string(mStoredRating), 0, width, 330);
    if (mGrade > mStoredRating)
        WriteCentred(g, FONT_B18, Color(170, 20, 20), "Record Updated!", 0, width, 360);
}

} // namespace Quor
