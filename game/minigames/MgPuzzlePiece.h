// One tile of Refine Shaping: a 56 x 56 part of the product's picture on a cell of its set's
// board. Drawn by the game; it answers hover and clicks while it is enabled and not locked
// on its home cell.
#pragma once

#include "widgets/Widget.h"

namespace Quor {

class MgPuzzle;

class MgPuzzlePiece : public Widget {
public:
    MgPuzzlePiece(MgPuzzle* game, int pieceId, int home, int cell, int set);

    // Its part of the picture at its place, with the selection's or the hover's tint.
    void Draw(Graphics* g) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseUp(int x, int y, int clickCount) override;

    MgPuzzle* mGame;  // not owned
    int mPieceId;
    int mHome;
    int mCell;
    int mSet;
    bool mEnabled = true;
    bool mLocked = false;
    bool mHovered = false;
};

} // namespace Quor
