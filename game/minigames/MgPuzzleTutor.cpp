#include "game/minigames/MgPuzzleTutor.h"

#include "game/minigames/MgUi.h"

namespace Quor {

MgPuzzleTutor::MgPuzzleTutor(MgUi* host) : MgPuzzle(host, Building{})
{
    Build();
    mHost->mCountdown = kCountdown;
    mStarted = true;
}

float MgPuzzleTutor::GetClockAngle()
{
    return static_cast<float>(mHost->mCountdown / kCountdown * 6.28);
}

void MgPuzzleTutor::BuildSet(int set)
{
    if (set != 0 || mHost->mLevel != 1) {
        MgPuzzle::BuildSet(set);
        return;
    }
    // Every tile home but the middle row's first two, which stand on each other's cell.
    mSets[0] = SetRecord{0, 99999, false};
    for (int home = 0; home < kTilesPerSet; ++home)
        AddPiece(0, home, home == 3 ? 4 : home == 4 ? 3 : home);
    PlaceFrame(0);
}

void MgPuzzleTutor::SelectPiece(int pieceId)
{
    MgPuzzle::SelectPiece(pieceId);
    mHost->PassTutorEvent(EVENT_SELECTED);
}

void MgPuzzleTutor::SwapWithSelected(int pieceId)
{
    MgPuzzle::SwapWithSelected(pieceId);
    mHost->PassTutorEvent(EVENT_SWAPPED);
}

} // namespace Quor
