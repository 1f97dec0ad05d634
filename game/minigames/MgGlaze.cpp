#include "game/minigames/MgGlaze.h"

#include "game/minigames/MgDraw.h"
#include "game/minigames/MgGlazeProd.h"
#include "game/minigames/MgGlazeSrc.h"
#include "game/minigames/MgUi.h"
#include "game/shell/EffectList.h"
#include "game/shell/FXMath.h"
#include "game/shell/FXObject.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>

namespace Quor {

using namespace mgdraw;

namespace {

constexpr double kFullTurn = 6.28;
constexpr int kChanceBoxX = 415;
constexpr int kChanceBoxStep = 45;
constexpr int kChanceBoxY = 550;
const Color kGrey(128, 128, 128);

} // namespace

const char* const MgGlaze::kScreenPictures[kScreenPictureCount] = {
    "images/mg_6/ui_bg.png",     "images/mg_2/ui_product.png", "images/mg_main/result_color.png",
    "images/mg_main/star0.png",  "images/mg_main/star1.png",   "images/mg_main/star2.png",
    "images/mg_main/star3.png",  "images/mg_6/bowl1.png",      "images/mg_6/bowl2.png",
    "images/mg_6/bowl3.png",     "images/mg_6/BowlWrong.png",  "images/mg_6/txt_mem.png",
    "images/mg_4/wheel_0.png",   "images/mg_4/wheel_1.png",    "images/mg_4/wheel_2.png",
};

MgGlaze::MgGlaze(MgUi* host) : MgSkeleton(host, MINI_GAME_GLAZE), mReward(this)
{
    GameApp* app = App();
    mChances = app->miniGameTuning.m6Chance;
    app->PlayMusicFile("music/mini_game.ogg");
    mStarted = false;
    mHost->mCountdown = kCountdown;
    mGrade = 0;
    mBlocker = new Widget();
    mBlocker->Resize(0, 0, mOwnerScreen->mWidth, mOwnerScreen->mHeight);
    LoadImages();
}

MgGlaze::~MgGlaze()
{
    LeaveScreen();
    // Not inside a bowl's click here: the bowls go at once.
    for (auto& [slot, box] : mBoxes)
        delete box;
    mBoxes.clear();
    delete mProduct;
    delete mBlocker;
}

void MgGlaze::AddEffect(FXObject* effect)
{
    mHost->mEffects->Add(effect);
}

void MgGlaze::LoadImages()
{
    GameApp* app = App();
    const int product = mHost->mProductId;
    auto recipe = app->blueprintTable.find(product);
    mRecipe = recipe != app->blueprintTable.end() ? &recipe->second : nullptr;
    mRecord = mOwnerScreen->mProfile->FindProductRecord(product);
    const int set = (product - 1) / 5;
    if (set >= 0 && set < kPictureSets) {
        mPictureSet = set;
        const std::string stem = "images/mg_6/pd" + std::to_string(set);
        mImages[PD_BG] = LoadPicture(stem + "_bg.png");
        for (int stage = 1; stage <= 3; ++stage)
            mImages[PD_BG + stage] = LoadPicture(stem + "_" + std::to_string(stage) + ".png");
    }
    if (mRecipe != nullptr)
        for (int stage = 1; stage <= 3; ++stage)
            for (const auto& [material, isColor] : mRecipe->colorSources)
                if (isColor == stage) {
                    mRequired.push_back(material);
                    mStageOf[material] = stage;
                }
    for (int glaze = kFirstGlaze; glaze <= kLastGlaze; ++glaze)
        if (Image* picture = LoadPicture("images/mg_1/s_" + std::to_string(glaze) + ".png"))
            mGlazePictures[glaze] = picture;
    for (int i = 0; i < kScreenPictureCount; ++i)
        mImages[UI_BG + i] = LoadPicture(kScreenPictures[i]);
}

Image* MgGlaze::GlazePicture(int glaze) const
{
    auto it = mGlazePictures.find(glaze);
    return it != mGlazePictures.end() ? it->second : nullptr;
}

float MgGlaze::GetClockAngle()
{
    const double time = App()->miniGameTuning.m1Time;
    if (time == 0.0)
        return 0.0f;
    return static_cast<float>(mHost->mCountdown / time * kFullTurn);
}

double MgGlaze::DropTime() const
{
    const MiniGameTuning& tuning = App()->miniGameTuning;
    return tuning.m5TimeDropBowl - mHost->mLevel * tuning.m5TimeDropBowlLvMulti;
}

void MgGlaze::StartGame()
{
    ShowRequiredGlazes();
}

void MgGlaze::ShowRequiredGlazes()
{
    mShowingRequired = 1;
    for (size_t i = 0; i < mRequired.size(); ++i) {
        Image* picture = GlazePicture(mRequired[i]);
        if (picture == nullptr)
            continue;
        const double x = 450.0 + 100.0 * static_cast<double>(i);
        const double listX = 187.0 + 67.0 * static_cast<double>(i);
        FXObject* icon = MakeEffect(picture, static_cast<int>(x), 300, 3.0, 3.0, 0);
        icon->SetTrack(Track(Keyframe::TRANSLATE, Keyframe::TRANS_X, {{0.0, x}, {2.2, x}, {2.5, listX}}), false);
        icon->SetTrack(Track(Keyframe::TRANSLATE, Keyframe::TRANS_Y, {{0.0, 300.0}, {2.2, 300.0}, {2.5, 470.0}}), false);
        icon->SetTrack(Track(Keyframe::SCALE, 0, {{0.0, 0.0}, {0.3, 1.0}, {2.5, 1.0}}), false);
        AddEffect(icon);
    }
    AddEffect(Timer(2.2, ID_REQUIRED_SHOWN));
    AddEffect(Timer(3.0, ID_FIRST_BOARD));
}

void MgGlaze::BuildBoard()
{
    ClearBoxes();
    delete mProduct;
    mProduct = new MgGlazeProd(this);
    mStarted = true;
}

void MgGlaze::ClearBoxes()
{
    for (auto& [slot, box] : mBoxes) {
        RemoveFromScreen(box);
        App()->SafeDeleteWidget(box);
    }
    mBoxes.clear();
    FXObject* sign = MakeEffect(mImages[TXT_MEM], 0, 0, 1.5, 1.5, ID_DEAL);
    if (Image* text = mImages[TXT_MEM]) {
        sign->mX = (mOwnerScreen->mWidth - text->GetWidth()) / 2;
        sign->mY = (mOwnerScreen->mHeight - text->GetHeight()) / 2;
    }
    sign->SetTrack(Track(Keyframe::SCALE, 0, {{0.0, 0.0}, {0.2, 1.0}, {1.3, 1.0}, {1.5, 0.0}}), false);
    AddEffect(sign);
}

void MgGlaze::DealBoxes()
{
    mNextSlot = 0;
    const int level = mHost->mLevel;
    if (level >= 1 && level <= 3)
        mBoxCount = 3 + 3 * level;
    mBowlSlots.clear();
    std::vector<bool> taken(static_cast<size_t>(mBoxCount), false);
    std::map<int, int> glazeAt;  // slot -> required glaze
    // A product with more required glazes than bowls gets those that fit; it cannot be
    // finished, and the game ends by its chances.
    for (int glaze : mRequired) {
        if (static_cast<int>(glazeAt.size()) >= mBoxCount)
            break;
        int slot = 0;
        do
            slot = std::rand() % mBoxCount;
        while (taken[static_cast<size_t>(slot)]);
        taken[static_cast<size_t>(slot)] = true;
        mBowlSlots[glaze] = slot;
        glazeAt[slot] = glaze;
    }
    const bool fourColumns = mBoxCount == 12;
    const int x0 = fourColumns ? 453 : 472;
    const int dx = fourColumns ? 87 : 112;
    const int columns = fourColumns ? 4 : 3;
    const double prepare = App()->miniGameTuning.m6Prepare;
    for (int s = 0; s < mBoxCount; ++s) {
        int glaze = 0;
        if (auto it = glazeAt.find(s); it != glazeAt.end()) {
            glaze = it->second;
        } else {
            // Fewer required glazes than bowls leaves at least one decoy id free.
            do
                glaze = std::rand() % kDecoyCount + kFirstDecoy;
            while (mStageOf.count(glaze) != 0);
        }
        auto* box = new MgGlazeSrc(this, s, glaze, prepare);
        box->Resize(x0 + (s % columns) * dx, 260 + (s / columns) * 115, MgGlazeSrc::kWidth, MgGlazeSrc::kHeight);
        mBoxes[s] = box;
        AddToScreen(box);
        mNextSlot = s + 1;
    }
}

void MgGlaze::Tick(double dt)
{
    if (!mStarted)
        return;
    // A bowl's tick never takes a bowl away, so the map holds still.
    for (auto& [slot, box] : mBoxes)
        box->Tick(dt);
    if (mProduct != nullptr)
        mProduct->Tick(dt);
}

bool MgGlaze::TryGlaze(int slot, int glaze)
{
    (void)slot;
    if (mProduct != nullptr && mProduct->ApplyGlaze(glaze)) {
        mPicked.push_back(glaze);
        Image* produce = FX_C_MG4_PRODUCE_1;
        const int cels = produce != nullptr ? std::max(1, produce->mNumCols) : 1;
        AddEffect(MakeEffect(produce, 247, 316, 1.0 / cels, 1.0, ID_PICKED));
        return true;
    }
    mChances = AddSaturated(mChances, -1);
    App()->PlaySample(SE_MG5_WRONG);
    mHost->mCountdown -= App()->miniGameTuning.m5TimeDeduct;
    if (!(mHost->mCountdown > 0.0)) {
        mHost->mCountdown = 0.0;
        if (mStarted)
            TimeUp();
    }
    ShowWrongPick();
    return false;
}

int MgGlaze::ChanceBoxesShown(int chances) const
{
    // Boxes past the screen's right edge are not drawn (nor made).
    const int fit = (mOwnerScreen->mWidth - kChanceBoxX + kChanceBoxStep - 1) / kChanceBoxStep;
    return std::clamp(chances, 0, std::max(0, fit));
}

void MgGlaze::ShowWrongPick()
{
    AddToScreen(mBlocker);
    Image* wrong = mImages[BOWL_WRONG];
    const int c = mChances;
    if (c >= 0 && c < ChanceBoxesShown(c + 1)) {
        FXObject* lost = MakeEffect(wrong, kChanceBoxX + kChanceBoxStep * c, kChanceBoxY, 999.0, 999.0, 0);
        lost->mColor = std::make_unique<Color>(kGrey);
        lost->SetTrack(Track(Keyframe::ALPHA, 0, {{0.0, 0.0}, {1.0, 0.0}, {1.2, 255.0}, {999.0, 255.0}}), false);
        AddEffect(lost);
    }
    const int blinking = ChanceBoxesShown(c + 1);  // boxes 0 to c
    for (int i = 0; i < blinking; ++i) {
        FXObject* blink = MakeEffect(wrong, kChanceBoxX + kChanceBoxStep * i, kChanceBoxY, 0.4, 0.4, 0);
        blink->mColor = std::make_unique<Color>(kGrey);
        blink->SetTrack(Track(Keyframe::ALPHA, 0, {{0.0, 0.0}, {0.1, 255.0}, {0.2, 0.0}, {0.3, 255.0}, {0.4, 0.0}}),
                        false);
        AddEffect(blink);
    }
    AddEffect(Timer(kWrongTime, ID_WRONG_SHOWN));
}

void MgGlaze::CheckChances()
{
    if (mChances >= 1)
        return;
    EndPlay();
    const MiniGameTuning& tuning = App()->miniGameTuning;
    const double score = mHost->mScore;
    int level = 0;
    if (score >= tuning.m5Lv2Pass)
        level = 2;
    else if (score >= tuning.m5Lv1Pass)
        level = 1;
    if (level > 0) {
        mGrade = level;
        if (mRecord != nullptr && mRecord->rating2 < level)
            mRecord->rating2 = level;
    }
    AddClosingEffect(App(), mHost->mEffects, 415, 470);
}

void MgGlaze::ProductComplete()
{
    App()->PlaySample(SE_CYCLE_GET);
    mHost->mScore = AddSaturated(mHost->mScore, 1);
    const MiniGameTuning& tuning = App()->miniGameTuning;
    const double score = mHost->mScore;
    if (score == tuning.m5Lv1Pass || score == tuning.m5Lv2Pass)
        RaiseLevel();
    if (score == tuning.m5Lv3Pass) {
        StopGame();
        return;
    }
    AddEffect(PlayOnce(FX_C_MG4_PRODUCE_1, 247, 316, 1.0));
    AddEffect(Timer(1.3, ID_NEXT_PRODUCT));
}

void MgGlaze::RaiseLevel()
{
    mHost->mLevel = AddSaturated(mHost->mLevel, 1);
}

void MgGlaze::StopGame()
{
    EndPlay();
    if (mRecord != nullptr)
        mRecord->rating2 = 3;
    mGrade = 3;
    const long long winnings = static_cast<long long>(mChances) * 100;
    mHost->mWinnings = static_cast<int>(std::clamp<long long>(winnings, INT32_MIN, INT32_MAX));
    AddClosingEffect(App(), mHost->mEffects, 415, 470);
    AddPerfectSign(mHost->mEffects, MG_3_PERFECT, mOwnerScreen->mWidth);
    App()->PlaySample(SE_MIS_FIN);
}

void MgGlaze::RemoveBox(int glaze)
{
    auto slot = mBowlSlots.find(glaze);
    if (slot == mBowlSlots.end())
        return;
    auto box = mBoxes.find(slot->second);
    mBowlSlots.erase(slot);
    if (box == mBoxes.end())
        return;
    RemoveFromScreen(box->second);
    App()->SafeDeleteWidget(box->second);
    mBoxes.erase(box);
}

void MgGlaze::OnEffectDone(int id)
{
    switch (id) {
    case ID_PICKED:
        if (!mPicked.empty()) {
            const int glaze = mPicked.front();
            mPicked.erase(mPicked.begin());
            RemoveBox(glaze);
        }
        break;
    case ID_NEXT_PRODUCT:
        if (mProduct != nullptr)
            mProduct->ClearGlazes();
        ClearBoxes();
        break;
    case ID_WRONG_SHOWN:
        RemoveFromScreen(mBlocker);
        CheckChances();
        break;
    case ID_DEAL:
        DealBoxes();
        break;
    case ID_REQUIRED_SHOWN:
        mShowingRequired = 0;
        break;
    case ID_FIRST_BOARD:
        BuildBoard();
        break;
    default:
        break;
    }
}

bool MgGlaze::ShowReward()
{
    return mReward.Show();
}

bool MgGlaze::UpdateReward(double dt)
{
    return mReward.Update(dt);
}

void MgGlaze::DrawPanel(Graphics* g)
{
    g->DrawImage(GM_BG_FACTORY, 0, 0);
    const long long hundredths = TruncToInt(mHost->mCountdown * 100.0);
    const double turn = static_cast<double>(hundredths % 850) / 850.0 * kFullTurn;
    DrawTurned(g, mImages[WHEEL_0], 567, 600, turn);
    DrawTurned(g, mImages[WHEEL_1], 734, 630, -turn);
    DrawTurned(g, mImages[WHEEL_2], 864, 518, turn);
    g->DrawImage(mImages[UI_BG], 98, 68);
    g->DrawImage(mImages[UI_PRODUCT], 178, 249);
    g->SetFont(FONT_B18);
    for (auto& [slot, box] : mBoxes) {
        g->PushState();
        g->Translate(box->mX, box->mY);
        box->Draw(g);
        g->PopState();
    }
    if (mProduct != nullptr)
        mProduct->Draw(g);
    g->DrawImage(RecipePicture(mRecipe), 90, 210);
    const Color ink(60, 40, 20);
    WriteText(g, FONT_T14, ink, mRecipe != nullptr ? mRecipe->Name : std::string(), 220, 230, 180, 22);
    WriteText(g, FONT_T14, ink, "The required glazes :", 186, 493, 210);
    WriteText(g, FONT_T14, ink, "Remaining chances :", 420, 545, 210);
    if (mShowingRequired != 0)
        WriteText(g, FONT_T14, ink, "Here are the required glazes :", 450, 300, 360);
    const int shown = ChanceBoxesShown(App()->miniGameTuning.m6Chance);
    for (int i = 0; i < shown; ++i)
        g->DrawImage(mImages[BOWL_WRONG], kChanceBoxX + kChanceBoxStep * i, kChanceBoxY);
}

void MgGlaze::Draw(Graphics* g)
{
    if (!mFinished)
        return;
    DrawResultPanel(g, mRecipe, "Glaze Selection", Format("Chance Boxes Bonus : $%lld", mHost->mWinnings),
                    mImages[RESULT_COLOR], &mImages[STAR_0], mGrade);
}

} // namespace Quor
