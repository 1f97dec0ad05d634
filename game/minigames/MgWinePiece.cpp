#include "game/minigames/MgWinePiece.h"

#include "game/minigames/MgWine.h"
#include "graphics/Graphics.h"

namespace Quor {

MgWinePiece::MgWinePiece(MgWine* game, int id, int material, int row, int column)
    : mGame(game), mPieceId(id), mMaterial(material), mRow(row), mColumn(column)
{
    // The game draws its pieces inside the chute's clip; the tree only routes the mouse.
    mWidgetFlagsMod.mRemoveFlags |= WIDGETFLAGS_DRAW;
}

void MgWinePiece::Draw(Graphics* g)
{
    int x = mX;
    int y = mY;
    if (mSwapping) {
        if (MgWinePiece* partner = mGame->Piece(mSwapPartner)) {
            x = static_cast<int>(partner->mX + (mX - partner->mX) * mSwapProgress);
            y = static_cast<int>(partner->mY + (mY - partner->mY) * mSwapProgress);
        }
    }
    if (Image* picture = mGame->MaterialPicture(mMaterial)) {
        g->PushState();
        g->SetScale(0.7f, 0.7f, static_cast<float>(x), static_cast<float>(y));
        g->DrawImage(picture, x, y);
        g->PopState();
    }
    Color overlay(255, 255, 255, 0);
    if (mSelected)
        overlay = Color(255, 255, 128, 100);
    else if (mHovered)
        overlay = Color(255, 255, 255, 100);
    g->SetColor(overlay);
    g->FillRect(mX, mY, mWidth, mHeight);
}

void MgWinePiece::Tick(double dt)
{
    if (!mSwapping || mSwapProgress >= 1.0)
        return;
    mSwapProgress += dt / kSwapTime;
    // Ten steps of a tenth end the swap, whatever the rounding of the sum.
    if (mSwapProgress >= 1.0 - 1e-9) {
        mSwapProgress = 1.0;
        mSwapping = false;
    }
}

void MgWinePiece::MouseEnter()
{
    mHovered = true;
}

void MgWinePiece::MouseLeave()
{
    mHovered = false;
    if (!mDragging)
        return;
    mDragging = false;
    if (mLastMouseX > mWidth)
        mGame->SwapWithNeighbour(mPieceId, +1);
    else if (mLastMouseX < 0)
        mGame->SwapWithNeighbour(mPieceId, -1);
}

void MgWinePiece::MouseDown(int x, int y, int clickCount)
{
    (void)x;
    (void)y;
    (void)clickCount;
    if (mGame->mSelectedRow != mRow)
        mGame->ClearSelection();
    mSelected = true;
    mDragging = true;
}

void MgWinePiece::MouseUp(int x, int y, int clickCount)
{
    (void)x;
    (void)y;
    (void)clickCount;
    if (!mSelected)
        return;
    mDragging = false;
    mGame->ClickPiece(mPieceId);
}

void MgWinePiece::MouseDrag(int x, int y)
{
    mLastMouseX = x;
    mLastMouseY = y;
}

} // namespace Quor
