// One material piece on the chute of the Production Machine: drawn by the game (not by the
// widget tree), it answers hover, press, release and drags out of its sides.
#pragma once

#include "widgets/Widget.h"

namespace Quor {

class MgWine;

class MgWinePiece : public Widget {
public:
    static constexpr int kSize = 52;
    static constexpr double kSwapTime = 0.2;

    MgWinePiece(MgWine* game, int id, int material, int row, int column);

    // The material's picture at scale 0.7 at the piece's place on the game screen (the caller's
    // context is the game screen's), sliding in from the partner's place while a swap runs, and
    // the hover or selection overlay.
    void Draw(Graphics* g) override;
    void Tick(double dt) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDown(int x, int y, int clickCount) override;
    void MouseUp(int x, int y, int clickCount) override;
    void MouseDrag(int x, int y) override;

    MgWine* mGame;  // not owned
    int mPieceId;
    int mMaterial;  // index into the recipe's materials
    int mRow;
    int mColumn;
    bool mSwapping = false;
    int mSwapPartner = -1;
    double mSwapProgress = 0.0;
    bool mHovered = false;
    bool mSelected = false;
    bool mDragging = false;
    int mLastMouseX = 0;
    int mLastMouseY = 0;
};

} // namespace Quor
