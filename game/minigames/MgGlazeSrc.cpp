#include "game/minigames/MgGlazeSrc.h"

#include "game/minigames/MgDraw.h"
#include "game/minigames/MgGlaze.h"
#include "game/minigames/MgUi.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"

#include <cmath>
#include <cstdlib>

namespace Quor {

MgGlazeSrc::MgGlazeSrc(MgGlaze* game, int slot, int glaze, double prepareTime)
    : mGame(game), mSlot(slot), mGlaze(glaze), mPrepareTimer(prepareTime), mBowl(std::rand() % 3)
{
    // The game draws its bowls in its panel; the tree only routes the mouse.
    mWidgetFlagsMod.mRemoveFlags |= WIDGETFLAGS_DRAW;
}

void MgGlazeSrc::Tick(double dt)
{
    if (!mReady) {
        mPrepareTimer -= dt;
        if (!(mPrepareTimer > 0.0)) {
            mPrepareTimer = 0.0;
            mReady = true;
            mOpen = true;
            mLifted = false;
            mDropTimer = mGame->DropTime();
        }
        return;
    }
    if (mOpen && !mLifted) {
        mDropTimer -= dt;
        if (!(mDropTimer > 0.0)) {
            mDropTimer = 0.0;
            mOpen = false;
        }
    }
    if (mWrong && mWrongTimer > 0.0) {
        mWrongTimer -= dt;
        if (mWrongTimer <= 0.0) {
            mWrongTimer = 0.0;
            mLifted = false;
        }
    }
}

int MgGlazeSrc::CoverLift() const
{
    const double drop = mGame->DropTime();
    // No drop time (or none that makes sense): the cover is simply down.
    if (!(drop > 0.0))
        return 0;
    return static_cast<int>(std::clamp(mDropTimer * 50.0 / drop, 0.0, 1e6));
}

int MgGlazeSrc::GlazeAlpha() const
{
    const double drop = mGame->DropTime();
    if (!mWrong || !(drop > 0.0))
        return 255;
    return static_cast<int>(std::clamp(mDropTimer * 255.0 / drop, 0.0, 255.0));
}

void MgGlazeSrc::Draw(Graphics* g)
{
    const int a = GlazeAlpha();
    g->SetColorizeImages(true);
    if (mHovered) {
        g->SetColor(Color(255, 255, 255, a * 50 / 255));
        g->FillRect(0, 0, mWidth, mHeight);
    }
    g->SetColor(Color(255, 255, 255, a));
    g->DrawImage(mGame->GlazePicture(mGlaze), 16, 13);
    mgdraw::WriteText(g, FONT_C_MGSOURCE, Color(60, 40, 20, a), mgdraw::Format("%lld", mGlaze - 21LL), 33, 68, 35);
    if (mReady) {
        g->SetColor(Color(255, 255, 255));
        g->DrawImage(mGame->mImages[MgGlaze::BOWL_1 + mBowl], 3, -CoverLift());
    }
    g->SetColorizeImages(false);
}

void MgGlazeSrc::MouseEnter()
{
    mHovered = true;
    mGame->mOwnerScreen->ShowFinger(true);
}

void MgGlazeSrc::MouseLeave()
{
    mHovered = false;
    mGame->mOwnerScreen->ShowFinger(false);
}

void MgGlazeSrc::MouseUp(int x, int y, int clickCount)
{
    (void)x;
    (void)y;
    (void)clickCount;
    if (!mGame->mStarted || !mReady || mUsed)
        return;
    if (mOpen) {
        mGame->App()->PlaySample(SE_UI_CLICK);
        mGame->TryGlaze(mSlot, mGlaze);
        return;
    }
    const int step = mGame->mOwnerScreen->mProfile->tutorialStep;
    if (step == MgGlaze::TUTOR_STEP_OPEN_BOWL || step == MgGlaze::TUTOR_STEP_OPEN_BOWL_AGAIN)
        mGame->mHost->PassTutorEvent(step);
    mOpen = true;
    mLifted = true;
    mUsed = true;
    mDropTimer = mGame->DropTime();
    mGame->App()->PlaySample(SE_UI_CLICK);
    if (!mGame->TryGlaze(mSlot, mGlaze)) {
        mWrong = true;
        mWrongTimer = MgGlaze::kWrongTime;
    }
}

} // namespace Quor
