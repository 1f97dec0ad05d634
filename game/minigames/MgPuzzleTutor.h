// Refine Shaping as the tutorial plays it: no ready sign, a long clock, a first set that one
// swap solves, and the tutorial told of the first selection and swap.
#pragma once

#include "game/minigames/MgPuzzle.h"

namespace Quor {

class MgPuzzleTutor : public MgPuzzle {
public:
    enum {
        EVENT_SELECTED = 12605,
        EVENT_SWAPPED = 12606,
    };
    static constexpr double kCountdown = 500.0;

    explicit MgPuzzleTutor(MgUi* host);

    float GetClockAngle() override;
    void BuildSet(int set) override;
    void SelectPiece(int pieceId) override;
    void SwapWithSelected(int pieceId) override;
};

} // namespace Quor
