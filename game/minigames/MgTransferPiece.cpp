#include "game/minigames/MgTransferPiece.h"

#include "game/minigames/MgTransfer.h"
#include "game/minigames/MgUi.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <algorithm>

namespace Quor {

namespace {

constexpr int kRowTop = 30;
constexpr int kRowHeight = 120;
constexpr int kBeltStartX = -100;
constexpr int kProductX = 63;
constexpr double kProductStretch = 8.2;
constexpr int kProductY = 574;

// The picture with its top-left at (x, y), greyed when asked.
void DrawPicture(Graphics* g, Image* picture, int x, int y, bool grey)
{
    if (picture == nullptr)
        return;
    g->PushState();
    if (grey) {
        g->SetColor(Color(128, 128, 128));
        g->SetColorizeImages(true);
    }
    g->DrawImage(picture, x, y);
    g->PopState();
}

} // namespace

MgTransferSrc::MgTransferSrc(MgTransfer* game, int id, int material, int row, double progress)
    : mGame(game), mSourceId(id), mMaterial(material), mRow(row), mProgress(progress)
{
    // The game draws its materials inside the belts' clip; the tree only routes the mouse.
    mWidgetFlagsMod.mRemoveFlags |= WIDGETFLAGS_DRAW;
}

void MgTransferSrc::Place()
{
    const double along = mRow % 2 == 0 ? mProgress : 100.0 - mProgress;
    const int x = MgSkeleton::AddSaturated(
        kBeltStartX, MgSkeleton::TuningInt(mGame->App()->miniGameTuning.m1Distance * along / 100.0));
    Move(x, MgSkeleton::AddSaturated(kRowTop, MgSkeleton::TuningInt(static_cast<double>(kRowHeight) * mRow)));
}

void MgTransferSrc::Draw(Graphics* g)
{
    if (mTaken)
        return;
    if (mHovered) {
        g->SetColor(Color(255, 255, 255, 50));
        g->FillRect(mX, mY, mWidth, mHeight);
    }
    g->DrawImage(mGame->MaterialPicture(mMaterial), mX, mY);
}

void MgTransferSrc::Tick(double dt)
{
    mProgress += mGame->SourceSpeed() * dt;
    Place();
    if (mProgress >= 100.0) {
        mGame->AddSource(mRow, 0.0);
        mGame->QueueRemoval(mSourceId);
    }
}

void MgTransferSrc::MouseEnter()
{
    mHovered = true;
    mGame->mOwnerScreen->ShowFinger(true);
}

void MgTransferSrc::MouseLeave()
{
    mHovered = false;
    mGame->mOwnerScreen->ShowFinger(false);
}

void MgTransferSrc::MouseUp(int x, int y, int clickCount)
{
    (void)x;
    (void)y;
    (void)clickCount;
    if (!mGame->mStarted || mTaken)
        return;
    mGame->TryMaterial(mSourceId, mMaterial);
    mGame->App()->PlaySample(SE_UI_CLICK);
}

MgTransferProd::MgTransferProd(MgTransfer* game, Image* picture, int index, double progress)
    : mGame(game), mPicture(picture), mIndex(index), mProgress(progress), mTarget(progress)
{
    Place();
}

void MgTransferProd::Place()
{
    Move(MgSkeleton::AddSaturated(kProductX, MgSkeleton::TuningInt(kProductStretch * mProgress)), kProductY);
}

void MgTransferProd::Draw(Graphics* g)
{
    DrawPicture(g, mPicture, mX, mY, !mActive);
    int i = 0;
    for (const auto& [material, collected] : mCollected) {
        DrawPicture(g, mGame->MaterialIcon(material), mX + 132 + 55 * (i / 3), mY - 15 + 55 * (i % 3), !collected);
        ++i;
    }
}

void MgTransferProd::Tick(double dt)
{
    if (mProgress == mTarget)
        return;
    mProgress = std::min(mProgress + kStepsPerSecond * dt, mTarget);
    if (mProgress >= 100.0) {
        mProgress = 0.0;
        mTarget -= 100.0;
        if (mFinished)
            mGame->NextProduct();
    }
    Place();
}

bool MgTransferProd::Accept(int material)
{
    auto it = mCollected.find(material);
    if (it == mCollected.end() || it->second)
        return false;
    it->second = true;
    bool all = true;
    for (const auto& [id, collected] : mCollected)
        all = all && collected;
    if (all)
        mGame->ProductFinished(mIndex);
    return true;
}

void MgTransferProd::ClearCollected()
{
    for (auto& [material, collected] : mCollected)
        collected = false;
}

} // namespace Quor
