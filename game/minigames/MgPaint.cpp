#include "game/minigames/MgPaint.h"

#include "game/minigames/MgDraw.h"
#include "game/minigames/MgPaintPiece.h"
#include "game/minigames/MgUi.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <cstdlib>
#include <string>

namespace Quor {

namespace {

const char* const kPicturePaths[MgPaint::kPictureCount] = {
    "images/mg_3/ui_bg.png",  "images/mg_3/ui_bg_c.png",  "images/mg_3/ui_score.png", "images/mg_3/ui_box.png",
    "images/mg_3/ui_box_c.png", "images/mg_3/ui_cup.png", "images/mg_3/ui_cup_c.png",
};

constexpr int kSourceX = 550;
constexpr int kSourceStep = 100;
constexpr int kSourceRaise = 120;  // sources stand this far above the screen's bottom
constexpr int kCupsClipTop = 105;
constexpr int kCupsClipHeight = 438;
constexpr int kResultWidth = 300;
constexpr int kResultHeight = 200;
constexpr int kResultTop = 250;

} // namespace

MgPaint::MgPaint(MgUi* host) : MgSkeleton(host, MINI_GAME_PAINT)
{
    GameApp* app = App();
    mStarted = false;
    mFrameCounter = 0;
    mHost->mCountdown = app->miniGameTuning.m3Time;
    app->PlayMusicFile("music/mini_game.ogg");
    mRecord = mOwnerScreen->mProfile->FindProductRecord(mHost->mProductId);
    mOldQuantity = mRecord != nullptr ? mRecord->rate : 0;
    mNewQuantity = 0;
    LoadImages();
    BuildBoard();
}

MgPaint::~MgPaint()
{
    LeaveScreen();
    for (MgPaintSrc* source : mSources)
        delete source;
    mSources.clear();
    for (MgPaintSet* cup : mCups)
        delete cup;
    mCups.clear();
    mMaterialPictures.clear();
}

void MgPaint::LoadImages()
{
    GameApp* app = App();
    mProductPicture = ResourceImageById(ResourceIdByName(("PD_" + std::to_string(mHost->mProductId)).c_str()));
    auto recipe = app->blueprintTable.find(mHost->mProductId);
    mRecipe = recipe != app->blueprintTable.end() ? &recipe->second : nullptr;
    std::set<int> taken;
    if (mRecipe != nullptr)
        for (const auto& [material, quantity] : mRecipe->materialQty) {
            mMaterialPictures[material] = LoadPicture("images/mg_1/s_" + std::to_string(material) + ".png");
            mMaterials.push_back(material);
            mRecipeMaterials.push_back(material);
            taken.insert(material);
        }
    for (int decoy : DrawDecoys(taken, kDecoyCount)) {
        mMaterialPictures[decoy] = LoadPicture("images/mg_1/s_" + std::to_string(decoy) + ".png");
        mMaterials.push_back(decoy);
    }
    for (int i = 0; i < kPictureCount; ++i)
        mImages[i] = LoadPicture(kPicturePaths[i]);
}

void MgPaint::BuildBoard()
{
    mDragged = -1;
    const int bottom = mOwnerScreen->mHeight - kSourceRaise;
    for (size_t i = 0; i < mRecipeMaterials.size(); ++i) {
        const int material = mRecipeMaterials[i];
        auto* source = new MgPaintSrc(this, material, MaterialPicture(material));
        source->Resize(kSourceX + static_cast<int>(i % 5) * kSourceStep, bottom, MgPaintSrc::kSize, MgPaintSrc::kSize);
        mSources.push_back(source);
        AddToScreen(source);
    }
    for (int i = 0; i < kCupCount; ++i) {
        auto* cup = new MgPaintSet(this, App()->miniGameTuning.m3BasicSpeed);
        cup->Resize(kCupX, MgPaintSet::kTopY + i * MgPaintSet::kSize, MgPaintSet::kSize, MgPaintSet::kSize);
        mCups.push_back(cup);
        AddToScreen(cup);
    }
    mProduct = std::make_unique<MgPaintProd>(this, mProductPicture, static_cast<int>(mRecipeMaterials.size()));
    mProduct->Resize(0, 0, mOwnerScreen->mWidth, mOwnerScreen->mHeight);
}

void MgPaint::StartGame()
{
    mStarted = true;
    for (MgPaintSrc* source : mSources)
        source->mLocked = false;
}

void MgPaint::Tick(double dt)
{
    ++mFrameCounter;
    for (MgPaintSet* cup : mCups)
        cup->Tick(dt);
    mProduct->Tick(dt);
}

void MgPaint::MouseUp(int x, int y, int clickCount)
{
    (void)x;
    (void)y;
    (void)clickCount;
    mDragged = -1;
}

double MgPaint::LevelSpeed() const
{
    return (static_cast<double>(mHost->mLevel) - 1.0) * App()->miniGameTuning.m3MulSpeed + 1.0;
}

int MgPaint::RefillMaterial() const
{
    if (mMaterials.empty())
        return -1;
    const int chance = mHost->mLevel >= kMaxLevel ? 3 : mHost->mLevel == 2 ? 10 : 0;
    if (chance == 0 || std::rand() % chance != 0)
        return -1;
    return mMaterials[static_cast<size_t>(std::rand()) % mMaterials.size()];
}

Image* MgPaint::MaterialPicture(int material) const
{
    auto it = mMaterialPictures.find(material);
    return it != mMaterialPictures.end() ? it->second : nullptr;
}

void MgPaint::HighlightCups(int x, int y)
{
    mDragX = x;
    mDragY = y;
    for (MgPaintSet* cup : mCups)
        if (cup->mActive)
            cup->mHighlighted = x > cup->mX && x < cup->mX + cup->mWidth && y > cup->mY && y < cup->mY + cup->mHeight;
}

void MgPaint::DropOnCups(int x, int y)
{
    mDragX = x;
    mDragY = y;
    const int material = mDragged;
    for (MgPaintSet* cup : mCups) {
        if (!cup->mActive || x <= cup->mX || x >= cup->mX + cup->mWidth || y <= cup->mY || y >= cup->mY + cup->mHeight)
            continue;
        mDragged = material;
        cup->MouseUp(x - cup->mX, y - cup->mY, 1);
        App()->PlaySample(SE_CLICK);
    }
    mDragged = -1;
}

void MgPaint::ProductFinished()
{
    mHost->mScore = AddSaturated(mHost->mScore, 1);
    const MiniGameTuning& tuning = App()->miniGameTuning;
    const double score = mHost->mScore;
    if (score == tuning.m3Lv1Pass || score == tuning.m3Lv2Pass)
        RaiseLevel();
}

void MgPaint::RaiseLevel()
{
    if (mHost->mLevel < kMaxLevel)
        ++mHost->mLevel;
}

void MgPaint::TimeUp()
{
    EndPlay();
    const int score = mHost->mScore;
    if (mRecord != nullptr && mRecord->rate < score)
        mRecord->rate = score;
    mNewQuantity = score;
    mgdraw::AddClosingEffect(App(), mHost->mEffects, 350, 300);
    App()->PlaySample(SE_CLICK);
}

void MgPaint::DrawPanel(Graphics* g)
{
    const int width = mOwnerScreen->mWidth;
    g->DrawImage(GM_BG_FACTORY, 0, 0);
    g->DrawImage(mImages[UI_BG], 0, 0);
    if (Image* belt = MG_1_BELT_3) {
        const int celWidth = belt->GetCelWidth();
        const int celHeight = belt->GetCelHeight();
        for (int i = 0; i < kBeltCels; ++i)
            g->DrawImageAnim(belt, (width - celWidth) / 2, kBeltY + i * celHeight, mFrameCounter);
    }
    mProduct->Draw(g);
    g->DrawImage(mImages[UI_BG_C], 550, 542);
    g->DrawImage(mImages[UI_SCORE], 46, 35);
    const Color text(255, 255, 255);
    WriteCentred(g, FONT_TEST, text, std::to_string(mHost->mScore), 241, 50, 117);
    if (FONT_TEST != nullptr) {
        g->SetFont(FONT_TEST);
        g->SetColor(text);
        g->DrawString(std::to_string(TuningInt(mHost->mCountdown)), 136, 117);
    }
    g->DrawImage(mImages[UI_CUP], 513, 663);
    for (MgPaintSrc* source : mSources)
        source->Draw(g);
    g->DrawImage(mImages[UI_CUP_C], 514, 675);
    g->PushState();
    g->ClipRect(0, kCupsClipTop, width, kCupsClipHeight);
    for (MgPaintSet* cup : mCups)
        cup->Draw(g);
    g->PopState();
    if (mDragged != -1)
        g->DrawImage(MaterialPicture(mDragged), mDragX, mDragY);

    if (!mFinished)
        return;
    const int left = (width - kResultWidth) / 2;
    g->SetColor(Color(40, 24, 8, 200));
    g->FillRect(left, kResultTop, kResultWidth, kResultHeight);
    const Color result(255, 240, 200);
    WriteCentred(g, FONT_B18, result, "Qty : " + std::to_string(mNewQuantity), 0, width, 300);
    WriteCentred(g, FONT_B18, result, "Original Qty : " + std::to_string(mOldQuantity), 0, width, 330);
    if (mNewQuantity > mOldQuantity)
        WriteCentred(g, FONT_B18, Color(255, 210, 60), "Record Updated!", 0, width, 360);
}

} // namespace Quor
