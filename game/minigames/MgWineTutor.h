// The Production Machine as the tutorial plays it: fixed rows of the tutorial's two materials,
// play from the start without a ready sign, and the chute halted at the tutorial's checkpoints
// until the tutorial lets it run on.
#pragma once

#include "game/minigames/MgWine.h"

namespace Quor {

class MgWineTutor : public MgWine {
public:
    enum {
        EVENT_FIRST_STOP = 11504,
        EVENT_CLICKED = 11505,
        EVENT_SWAPPED = 11506,
        EVENT_NINTH_ROW = 11507,
    };
    static constexpr int kWaitStep = 508;  // the tutorial step during which the tenth row halts

    explicit MgWineTutor(MgUi* host);

    float GetClockAngle() override;
    void BuildRows() override;
    void RowArrived() override;
    void ClickPiece(int pieceId) override;
    void SwapPieces(int a, int b) override;
    void Tick(double dt) override;

    bool mRowsRunning = false;  // the chute moves; the tutorial's actions 503 and 506 set it
};

} // namespace Quor
