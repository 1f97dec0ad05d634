#include "game/minigames/MgPuzzlePiece.h"

#include "game/minigames/MgPuzzle.h"
#include "game/shell/GameApp.h"
#include "game/shell/ResourceBinding.h"
#include "game/world/GamePhase.h"
#include "graphics/Graphics.h"

namespace Quor {

MgPuzzlePiece::MgPuzzlePiece(MgPuzzle* game, int pieceId, int home, int cell, int set)
    : mGame(game), mPieceId(pieceId), mHome(home), mCell(cell), mSet(set)
{
    // The game draws its tiles in its panel; the tree only routes the mouse.
    mWidgetFlagsMod.mRemoveFlags |= WIDGETFLAGS_DRAW;
}

void MgPuzzlePiece::Draw(Graphics* g)
{
    constexpr int size = MgPuzzle::kTileSize;
    g->DrawImageRegion(mGame->PuzzlePicture(), mX, mY, Rect(size * (mHome % 3), size * (mHome / 3), size, size));
    if (mGame->mSelectedPiece == mPieceId) {
        g->SetColor(Color(255, 255, 200, 80));
        g->FillRect(mX, mY, mWidth, mHeight);
    } else if (mHovered && !mLocked) {
        g->SetColor(Color(255, 200, 200, 80));
        g->FillRect(mX, mY, mWidth, mHeight);
    }
}

void MgPuzzlePiece::MouseEnter()
{
    if (!mEnabled)
        return;
    mHovered = true;
    mGame->mOwnerScreen->ShowFinger(true);
}

void MgPuzzlePiece::MouseLeave()
{
    if (mEnabled)
        mHovered = false;
    mGame->mOwnerScreen->ShowFinger(false);
}

void MgPuzzlePiece::MouseUp(int x, int y, int clickCount)
{
    (void)x;
    (void)y;
    (void)clickCount;
    if (!mEnabled || mLocked)
        return;
    mGame->App()->PlaySample(SE_UI_CLICK);
    mGame->ClickPiece(mPieceId);
}

} // namespace Quor
