#include "game/minigames/MgWineTutor.h"

#include "game/minigames/MgUi.h"
#include "game/shell/EffectList.h"
#include "game/shell/GameApp.h"
#include "game/world/GamePhase.h"

namespace Quor {

MgWineTutor::MgWineTutor(MgUi* host) : MgWine(host, Building{})
{
    Build();
    mHost->mCountdown = kCountdown;
    mRowsRunning = false;
    mStarted = true;
}

float MgWineTutor::GetClockAngle()
{
    return static_cast<float>(mHost->mCountdown / 500.0 * 6.28);
}

void MgWineTutor::BuildRows()
{
    // Every row reversed but four, which come in order.
    for (int row = kFirstRow; row < kEndRow; ++row) {
        const bool ordered = row == 11 || row == 12 || row == 14 || row == 18;
        for (int column = 0; column < 2; ++column)
            AddPiece(2 * row + column, ordered ? column : 1 - column, row, column);
    }
    AddCover();
}

void MgWineTutor::Tick(double dt)
{
    if (!mRowsRunning || !mStarted)
        return;
    ++mTickCounter;
    StartFallEvery(StepInterval(10));
    ScrollRows(dt);
    for (int id : mGameEffects->UpdateAllNotices(App()->mUpdateCount, dt))
        OnEffectDone(id);
}

void MgWineTutor::RowArrived()
{
    MgWine::RowArrived();
    if (mBottomRow == 3) {
        mRowsRunning = false;
        mHost->PassTutorEvent(EVENT_FIRST_STOP);
    } else if (mBottomRow == 9) {
        mHost->PassTutorEvent(EVENT_NINTH_ROW);
    } else if (mBottomRow == 10 && mOwnerScreen->mProfile->tutorialStep == kWaitStep) {
        mRowsRunning = false;
    }
}

void MgWineTutor::ClickPiece(int pieceId)
{
    MgWine::ClickPiece(pieceId);
    mHost->PassTutorEvent(EVENT_CLICKED);
}

void MgWineTutor::SwapPieces(int a, int b)
{
    MgWine::SwapPieces(a, b);
    mHost->PassTutorEvent(EVENT_SWAPPED);
}

} // namespace Quor
