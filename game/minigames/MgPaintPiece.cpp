#include "game/minigames/MgPaintPiece.h"

#include "game/minigames/MgPaint.h"
#include "game/minigames/MgUi.h"
#include "game/shell/GameApp.h"
#include "game/shell/ParticleSet.h"
#include "game/shell/ParticleSystem.h"
#include "game/shell/ResourceBinding.h"
#include "graphics/Graphics.h"
#include "graphics/Image.h"

#include <algorithm>
#include <cmath>

namespace Quor {

namespace {

// The game draws its pieces itself; the tree only routes the mouse to them.
void DrawnByTheGame(Widget* widget)
{
    widget->mWidgetFlagsMod.mRemoveFlags |= WIDGETFLAGS_DRAW;
}

// One step of a coordinate towards its target, never past it.
int StepTowards(int from, int to, int step, int distance)
{
    const long long moved = from + static_cast<long long>(to - from) * step / distance;
    if ((to >= from && moved >= to) || (to < from && moved <= to))
        return to;
    return static_cast<int>(moved);
}

} // namespace

MgPaintSrc::MgPaintSrc(MgPaint* game, int material, Image* picture) : mGame(game), mPicture(picture), mMaterial(material)
{
    DrawnByTheGame(this);
}

void MgPaintSrc::Draw(Graphics* g)
{
    if (mHovered) {
        g->SetColor(Color(255, 255, 255, 180));
        g->FillRect(mX, mY, mWidth, mHeight);
    }
    g->DrawImage(mPicture, mX, mY);
}

void MgPaintSrc::MouseEnter()
{
    mHovered = true;
    mGame->App()->PlaySample(SE_CLICK);
}

void MgPaintSrc::MouseLeave()
{
    mHovered = false;
}

void MgPaintSrc::MouseDown(int x, int y, int clickCount)
{
    (void)clickCount;
    if (mLocked)
        return;
    mGame->mDragged = mMaterial;
    mOriginX = mX;
    mOriginY = mY;
    mGame->HighlightCups(mOriginX + x, mOriginY + y);
    mGame->App()->PlaySample(SE_CLICK);
}

void MgPaintSrc::MouseDrag(int x, int y)
{
    if (!mLocked)
        mGame->HighlightCups(mOriginX + x, mOriginY + y);
}

void MgPaintSrc::MouseUp(int x, int y, int clickCount)
{
    (void)clickCount;
    if (!mLocked)
        mGame->DropOnCups(mOriginX + x, mOriginY + y);
}

MgPaintSet::MgPaintSet(MgPaint* game, double speed) : mGame(game), mSpeed(speed)
{
    DrawnByTheGame(this);
}

void MgPaintSet::Draw(Graphics* g)
{
    g->DrawImage(mGame->mImages[MgPaint::UI_BOX], mX - 50, mY + 30);
    if (mHighlighted) {
        g->SetColor(Color(255, 220, 210, 180));
        g->FillRect(mX, mY, mWidth, mHeight);
    }
    g->DrawImage(mPicture, mX, mY);
    g->DrawImage(mGame->mImages[MgPaint::UI_BOX_C], mX - 49, mY + 35);
}

void MgPaintSet::Tick(double dt)
{
    const int step = MgSkeleton::TuningInt(mGame->LevelSpeed() * mSpeed * dt);
    Move(mX, MgSkeleton::AddSaturated(mY, step));
    if (mY >= kDeliverY)
        Recycle();
    if (mActive && mY >= kLeaveY) {
        mGame->RemoveFromScreen(this);
        mActive = false;
        mHighlighted = false;
    }
}

void MgPaintSet::Recycle()
{
    if (mMaterial != -1)
        mGame->mProduct->Deliver(mMaterial);
    Move(mX, kTopY);
    mGame->AddToScreen(this);
    mActive = true;
    SetMaterial(mGame->RefillMaterial());
}

void MgPaintSet::SetMaterial(int material)
{
    mMaterial = material;
    mPicture = mGame->MaterialPicture(material);
}

void MgPaintSet::MouseEnter()
{
    mHighlighted = true;
}

void MgPaintSet::MouseLeave()
{
    mHighlighted = false;
}

void MgPaintSet::MouseUp(int x, int y, int clickCount)
{
    (void)x;
    (void)y;
    (void)clickCount;
    if (mGame->mDragged == -1 && mMaterial != -1)
        mGame->App()->PlaySample(SE_CLICK);
    SetMaterial(mGame->mDragged);
    mGame->mDragged = -1;
}

MgPaintProd::MgPaintProd(MgPaint* game, Image* picture, int recipeCount)
    : mGame(game), mPicture(picture), mRecipeCount(recipeCount)
{
    mWaypoints = {{0, {10, 490, true}}, {1, {430, 540, false}}, {2, {1024, 540, false}}};
    mPosX = mTargetX = mWaypoints[0].x;
    mPosY = mTargetY = mWaypoints[0].y;
}

void MgPaintProd::Draw(Graphics* g)
{
    if (mPicture != nullptr) {
        g->PushState();
        if (mPosX < kColourFromX) {
            g->SetColor(Color(128, 128, 128));
            g->SetColorizeImages(true);
        }
        g->DrawImage(mPicture, mPosX, mPosY);
        g->PopState();
    }
    for (size_t i = 0; i < mDelivered.size(); ++i)
        g->DrawImage(mGame->MaterialPicture(mDelivered[i]), 900, 120 + 100 * static_cast<int>(i));
}

void MgPaintProd::Tick(double dt)
{
    if (!mMoving)
        return;
    const int step = MgSkeleton::TuningInt(dt * kStepPerSecond);
    const double dx = static_cast<double>(mTargetX) - mPosX;
    const double dy = static_cast<double>(mTargetY) - mPosY;
    const int distance = MgSkeleton::TuningInt(std::sqrt(dx * dx + dy * dy));
    if (distance > 0) {
        mPosX = StepTowards(mPosX, mTargetX, step, distance);
        mPosY = StepTowards(mPosY, mTargetY, step, distance);
    } else {
        // Standing on the target (or within a pixel of it): arrived.
        mPosX = mTargetX;
        mPosY = mTargetY;
    }
    if (mPosX != mTargetX || mPosY != mTargetY)
        return;
    for (auto& [index, point] : mWaypoints) {
        if (point.reached)
            continue;
        point.reached = true;
        mTargetX = point.x;
        mTargetY = point.y;
        return;
    }
    // The last waypoint reached: the next product waits at the start.
    for (auto& [index, point] : mWaypoints)
        point.reached = false;
    Waypoint& start = mWaypoints[0];
    start.reached = true;
    mPosX = mTargetX = start.x;
    mPosY = mTargetY = start.y;
    mMoving = false;
}

void MgPaintProd::Deliver(int material)
{
    if (material == -1)
        return;
    mDelivered.push_back(material);
    if (mDelivered.size() == static_cast<size_t>(mRecipeCount) + 1)
        mDelivered.erase(mDelivered.begin());
    if (mDelivered.size() == static_cast<size_t>(mRecipeCount) && IsRecipeComplete())
        Finished();
    mGame->App()->PlaySample(SE_CLICK);
}

bool MgPaintProd::IsRecipeComplete() const
{
    const std::vector<int>& recipe = mGame->mRecipeMaterials;
    for (int material : mDelivered)
        if (std::find(recipe.begin(), recipe.end(), material) == recipe.end())
            return false;
    for (int material : recipe)
        if (std::find(mDelivered.begin(), mDelivered.end(), material) == mDelivered.end())
            return false;
    return true;
}

void MgPaintProd::Finished()
{
    mMoving = true;
    Waypoint& next = mWaypoints[1];
    next.reached = true;
    mTargetX = next.x;
    mTargetY = next.y;
    mDelivered.clear();

    auto* fireworks = new ParticleSystem("particle/FX_fireworks.psi", 0);
    const std::vector<Point> path = {{500, 500}, {700, 700}, {550, 100}, {100, 300}, {800, 200}};
    if (mGame->mHost->mParticles->SpawnOnPath(fireworks, path, 10.0f, 3.0f) < 0)
        delete fireworks;  // the last product's fireworks still fly
    else
        fireworks->StartPath();
    mGame->ProductFinished();
}

} // namespace Quor
