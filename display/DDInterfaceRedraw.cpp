// Presenting a frame and the software cursor: the cursor is drawn over a saved copy of what lies
// beneath it, so that it can move between frames without a redraw.
#include "app/QuorAppBase.h"
#include "display/D3DInterface.h"
#include "display/DDImage.h"
#include "display/DDInterface.h"
#include "graphics/MemoryImage.h"
#include "platform/Time.h"
#include "platform/Video.h"
#include "platform/Window.h"

#include <cstring>

namespace Quor {

namespace {

constexpr uint32_t kScanLineTimeout = 200; // ms of one scan-line wait

plat::VRect ToVRect(const Rect& r)
{
    return plat::VRect{r.mX, r.mY, r.mX + r.mWidth, r.mY + r.mHeight};
}

bool IsEmpty(const Rect& r)
{
    return r.mWidth <= 0 || r.mHeight <= 0;
}

uint32_t ReadPixel(const uint8_t* p, uint32_t bytes)
{
    if (bytes == 2) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

void WritePixel(uint8_t* p, uint32_t bytes, uint32_t v)
{
    if (bytes == 2) {
        auto w = static_cast<uint16_t>(v);
        std::memcpy(p, &w, 2);
    } else {
        std::memcpy(p, &v, 4);
    }
}

} // namespace

Rect DDInterface::CursorArea(int theX, int theY) const
{
    return Rect(theX - mCursorWidth / 2, theY - mCursorHeight / 2, mCursorWidth, mCursorHeight);
}

bool DDInterface::SetCursorImage(Image* theImage)
{
    AutoLock aLock(mCritSect);
    if (mCursorImage == theImage)
        return false;
    mCursorImage = theImage;
    return true;
}

void DDInterface::SetCursorPos(int theX, int theY)
{
    mCursorX = theX;
    mCursorY = theY;
    if (mInRedraw) {
        mCursorMovedInRedraw = true;
        return;
    }
    if (mIs3D && !plat::OnVideoThread()) {
        // Under a 3-D frame only the main thread may touch the screen (the renderer holds
        // it): the next frame draws the cursor at the newest position.
        mCursorMovedInRedraw = true;
        if (mApp != nullptr)
            mApp->mCustomDrawRequested = true;
        return;
    }
    AutoLock aLock(mCritSect);
    if (!mInitialized || mPrimarySurface == nullptr)
        return;
    if (mHasOldCursorArea) {
        MoveCursor(mPrimarySurface, theX, theY);
    } else {
        mCursorDrawnX = theX;
        mCursorDrawnY = theY;
        DrawCursorTo(mPrimarySurface, true);
    }
}

void DDInterface::DrawCursorImage(plat::Surface* theSurface, int theX, int theY, const Rect* theClip)
{
    auto* anImage = dynamic_cast<MemoryImage*>(mCursorImage);
    if (anImage == nullptr || theSurface == nullptr)
        return;
    const uint32_t* aBits = anImage->GetBits();
    if (aBits == nullptr)
        return;
    plat::SurfaceDesc aDesc;
    if (plat::Failed(theSurface->Lock(aDesc)))
        return;
    const uint32_t aBytes = aDesc.format.bitCount / 8;
    if (aDesc.pixels != nullptr && (aBytes == 2 || aBytes == 4)) {
        const uint32_t aMask[3] = {aDesc.format.redMask, aDesc.format.greenMask, aDesc.format.blueMask};
        const uint32_t aShift[3] = {mRedShift, mGreenShift, mBlueShift};
        const uint32_t aBits3[3] = {mRedBits, mGreenBits, mBlueBits};
        int aLeft = std::max(0, theX), aTop = std::max(0, theY);
        int aRight = std::min<int>(static_cast<int>(aDesc.width), theX + anImage->mWidth);
        int aBottom = std::min<int>(static_cast<int>(aDesc.height), theY + anImage->mHeight);
        if (theClip != nullptr) {
            aLeft = std::max(aLeft, theClip->mX);
            aTop = std::max(aTop, theClip->mY);
            aRight = std::min(aRight, theClip->mX + theClip->mWidth);
            aBottom = std::min(aBottom, theClip->mY + theClip->mHeight);
        }
        for (int y = aTop; y < aBottom; y++) {
            uint8_t* aRow = static_cast<uint8_t*>(aDesc.pixels) + static_cast<ptrdiff_t>(y) * aDesc.pitch;
            const uint32_t* aSrc = aBits + static_cast<size_t>(y - theY) * anImage->mWidth;
            for (int x = aLeft; x < aRight; x++) {
                const uint32_t s = aSrc[x - theX];
                const uint32_t a = s >> 24;
                if (a == 0)
                    continue;
                uint8_t* p = aRow + static_cast<size_t>(x) * aBytes;
                const uint32_t d = ReadPixel(p, aBytes);
                uint32_t aOut = 0;
                for (int c = 0; c < 3; c++) {
                    const uint32_t sc = (s >> (16 - 8 * c)) & 0xFF;
                    const uint32_t sv = ((sc >> (8 - aBits3[c])) << aShift[c]) & aMask[c];
                    if (a == 255)
                        aOut |= sv;
                    else
                        aOut |= (((d & aMask[c]) * (256 - a) + (sv & aMask[c]) * a) >> 8) & aMask[c];
                }
                WritePixel(p, aBytes, aOut);
            }
        }
    }
    theSurface->Unlock();
}

bool DDInterface::SaveUnder(plat::Surface* theArea, plat::Surface* theSurface, Rect& theDest, Rect& theSource)
{
    plat::VRect aDst = ToVRect(theSource);
    plat::VRect aSrc = ToVRect(theDest);
    if (!plat::Failed(theArea->Blt(&aDst, theSurface, &aSrc, plat::kBltWait)))
        return true;
    // The area reaches past the surface: save the part that lies on it.
    plat::SurfaceDesc aDesc;
    mPrimarySurface->GetDesc(aDesc);
    Rect aClipped = theDest.Intersection(Rect(0, 0, static_cast<int>(aDesc.width), static_cast<int>(aDesc.height)));
    theSource.mX += aClipped.mX - theDest.mX;
    theSource.mY += aClipped.mY - theDest.mY;
    theSource.mWidth = aClipped.mWidth;
    theSource.mHeight = aClipped.mHeight;
    theDest = aClipped;
    if (IsEmpty(aClipped))
        return false;
    aDst = ToVRect(theSource);
    aSrc = ToVRect(theDest);
    return !plat::Failed(theArea->Blt(&aDst, theSurface, &aSrc, plat::kBltWait));
}

void DDInterface::DrawCursorTo(plat::Surface* theSurface, bool screenCoordinates)
{
    if (mCursorImage == nullptr || mPrimarySurface == nullptr || !mApp->mDrawSoftwareCursor ||
        mOldCursorArea == nullptr || mNewCursorArea == nullptr) {
        mHasOldCursorArea = false;
        return;
    }
    const Rect anArea = CursorArea(mCursorDrawnX, mCursorDrawnY);
    Rect aDest = anArea.Intersection(mPresentationRect);
    Rect aSource(aDest.mX - anArea.mX, aDest.mY - anArea.mY, aDest.mWidth, aDest.mHeight);
    int anOffsetX = 0, anOffsetY = 0;
    if (screenCoordinates) {
        plat::WinPoint anOrigin{};
        plat::ClientToScreen(mHWnd, anOrigin);
        anOffsetX = anOrigin.x;
        anOffsetY = anOrigin.y;
        aDest.mX += anOffsetX;
        aDest.mY += anOffsetY;
    }
    mHasOldCursorArea = SaveUnder(mOldCursorArea, theSurface, aDest, aSource);
    // Without a saved background the cursor could never be taken off again: draw nothing.
    if (!mHasOldCursorArea)
        return;

    const int anImageX = (mCursorWidth - mCursorImage->mWidth) / 2;
    const int anImageY = (mCursorHeight - mCursorImage->mHeight) / 2;
    if (theSurface == mDrawSurface && !mIs3D) {
        // Only the saved area is put back after the frame: an image larger than the area is
        // cut to it, or its outer ring would stay in the draw buffer.
        DrawCursorImage(mDrawSurface, anArea.mX + anImageX, anArea.mY + anImageY, &aDest);
        if (mScreenImage != nullptr && mScreenImage->mSurface == mDrawSurface)
            mScreenImage->DeleteMemoryData();
        return;
    }
    mNewCursorArea->Blt(nullptr, mOldCursorArea, nullptr, plat::kBltWait);
    DrawCursorImage(mNewCursorArea, anImageX, anImageY);
    plat::VRect aDst = ToVRect(aDest);
    plat::VRect aSrc = ToVRect(aSource);
    theSurface->Blt(&aDst, mNewCursorArea, &aSrc, plat::kBltWait);
}

void DDInterface::RestoreCursorArea(plat::Surface* theSurface)
{
    if (!mHasOldCursorArea || mPrimarySurface == nullptr)
        return;
    const Rect anArea = CursorArea(mCursorDrawnX, mCursorDrawnY);
    const Rect aDest = anArea.Intersection(Rect(0, 0, mWidth, mHeight));
    if (!IsEmpty(aDest)) {
        const Rect aSource(aDest.mX - anArea.mX, aDest.mY - anArea.mY, aDest.mWidth, aDest.mHeight);
        plat::VRect aDst = ToVRect(aDest);
        plat::VRect aSrc = ToVRect(aSource);
        theSurface->Blt(&aDst, mOldCursorArea, &aSrc, plat::kBltWait);
    }
    mHasOldCursorArea = false;
}

void DDInterface::MoveCursor(plat::Surface* thePrimary, int theX, int theY)
{
    if (mCursorImage == nullptr || thePrimary == nullptr || !mApp->mDrawSoftwareCursor) {
        mHasOldCursorArea = false;
        return;
    }
    plat::WinPoint anOrigin{};
    plat::ClientToScreen(mHWnd, anOrigin);
    const Rect anOldArea = CursorArea(mCursorDrawnX, mCursorDrawnY);
    const Rect aNewArea = CursorArea(theX, theY);
    Rect anOld = anOldArea.Intersection(mPresentationRect);
    Rect anOldSource(anOld.mX - anOldArea.mX, anOld.mY - anOldArea.mY, anOld.mWidth, anOld.mHeight);
    Rect aNew = aNewArea.Intersection(mPresentationRect);
    Rect aNewSource(aNew.mX - aNewArea.mX, aNew.mY - aNewArea.mY, aNew.mWidth, aNew.mHeight);
    anOld.mX += anOrigin.x;
    anOld.mY += anOrigin.y;
    aNew.mX += anOrigin.x;
    aNew.mY += anOrigin.y;

    // What lies under the new place (parts still showing the old cursor are fixed below).
    bool aSaved = SaveUnder(mNewCursorArea, thePrimary, aNew, aNewSource);

    const int dx = theX - mCursorDrawnX;
    const int dy = theY - mCursorDrawnY;
    const int anImageX = (mCursorWidth - mCursorImage->mWidth) / 2;
    const int anImageY = (mCursorHeight - mCursorImage->mHeight) / 2;
    const Rect anOverlap = Rect(dx, dy, mCursorWidth, mCursorHeight).Intersection(Rect(0, 0, mCursorWidth, mCursorHeight));
    if (!IsEmpty(anOverlap)) {
        // The primary shows the old cursor there: its background is in the old area.
        plat::VRect aSrc = ToVRect(anOverlap);
        plat::VRect aDst{anOverlap.mX - dx, anOverlap.mY - dy, anOverlap.mX - dx + anOverlap.mWidth,
                         anOverlap.mY - dy + anOverlap.mHeight};
        mNewCursorArea->Blt(&aDst, mOldCursorArea, &aSrc, plat::kBltWait);
        // So that putting the old area back does not wipe the overlapping part of the new cursor.
        DrawCursorImage(mOldCursorArea, dx + anImageX, dy + anImageY);
    }
    if (!IsEmpty(anOld)) {
        plat::VRect aDst = ToVRect(anOld);
        plat::VRect aSrc = ToVRect(anOldSource);
        thePrimary->Blt(&aDst, mOldCursorArea, &aSrc, plat::kBltWait);
    }
    mOldCursorArea->Blt(nullptr, mNewCursorArea, nullptr, plat::kBltWait);
    DrawCursorImage(mNewCursorArea, anImageX, anImageY);
    if (aSaved) {
        plat::VRect aDst = ToVRect(aNew);
        plat::VRect aSrc = ToVRect(aNewSource);
        thePrimary->Blt(&aDst, mNewCursorArea, &aSrc, plat::kBltWait);
    }
    mHasOldCursorArea = aSaved;
    mCursorDrawnX = theX;
    mCursorDrawnY = theY;
}

bool DDInterface::RedrawScreen(const Rect* theDirtyRect)
{
    AutoLock aLock(mCritSect);
    if (!mInitialized || mPrimarySurface == nullptr || mDrawSurface == nullptr)
        return false;
    mInRedraw = true;

    if (mIs3D) {
        // A failed 3-D call during the frame: give up 3-D; the next frame draws in software.
        if (!GetD3DLastError().empty()) {
            mInRedraw = false;
            mIs3D = false;
            return false;
        }
        mD3DInterface->Flush();
    }

    Rect aSource;
    Rect aDest;
    if (theDirtyRect != nullptr && !mIsWidescreen) {
        aSource = *theDirtyRect;
        aDest = *theDirtyRect;
    } else {
        aSource = Rect(0, 0, mWidth, mHeight);
        aDest = mPresentationRect;
    }
    plat::WinPoint anOrigin{};
    plat::ClientToScreen(mHWnd, anOrigin);
    aDest.mX += anOrigin.x;
    aDest.mY += anOrigin.y;

    // Wait for drawing still queued on the draw surface. The renderer's frame was closed above
    // and stays where it was drawn: locking it would read the whole of it back.
    if (!mIs3D) {
        plat::SurfaceDesc aDesc;
        if (!plat::Failed(mDrawSurface->Lock(aDesc)))
            mDrawSurface->Unlock();
    }

    plat::HResult aResult = plat::DD_OK;
    const char* aLabel = "Redraw Windowed";
    plat::VRect aDst = ToVRect(aDest);
    plat::VRect aSrc = ToVRect(aSource);
    if (mIsWindowed && !mVideoOnlyDraw) {
        mCursorDrawnX = mCursorX;
        mCursorDrawnY = mCursorY;
        DrawCursorTo(mDrawSurface, false);
        bool aDone = false;
        if (mApp->mWaitForVSync && !mApp->mVSyncBroken) {
            if (mScanLineFailCount < 3) {
                const int aHalf = mApp->mHeight / 2;
                const uint32_t aMiddle = static_cast<uint32_t>(aDest.mY + aHalf);
                const uint32_t aBottom = static_cast<uint32_t>(aDest.mY + mHeight);
                const uint32_t aScreenHeight = static_cast<uint32_t>(plat::GetSystemMetrics(plat::SM_CYSCREEN));
                const uint32_t aStart = plat::GetTickCount();
                bool aSeenUpper = false;
                bool aSplit = false;
                uint32_t aLine = 0;
                for (;;) {
                    plat::HResult aScan = mDD->GetScanLine(&aLine);
                    if (aScan == plat::DD_OK && aLine < aMiddle && aLine < aScreenHeight) {
                        aSeenUpper = true;
                    } else if (aScan == plat::DD_OK || aScan == plat::DDERR_VERTICALBLANKINPROGRESS) {
                        if (aSeenUpper) {
                            aSplit = true;
                            break;
                        }
                    } else {
                        break;
                    }
                    if (plat::GetTickCount() - aStart > kScanLineTimeout)
                        break;
                }
                if (aSplit) {
                    mScanLineFailCount = 0;
                    plat::VRect anUpperDst{aDest.mX, aDest.mY, aDest.mX + aDest.mWidth, static_cast<int32_t>(aMiddle)};
                    plat::VRect anUpperSrc{aSource.mX, aSource.mY, aSource.mX + aSource.mWidth, aHalf};
                    aResult = mPrimarySurface->Blt(&anUpperDst, mDrawSurface, &anUpperSrc, plat::kBltWait);
                    // Wait for the beam to pass the bottom or wrap; give up when the line can
                    // no longer be read or the wait lasts too long.
                    const uint32_t aLast = aLine;
                    const uint32_t aWaitStart = plat::GetTickCount();
                    for (;;) {
                        uint32_t aNow = 0;
                        if (plat::Failed(mDD->GetScanLine(&aNow)) || aNow < aLast || aNow >= aBottom ||
                            plat::GetTickCount() - aWaitStart > kScanLineTimeout)
                            break;
                    }
                    plat::VRect aLowerDst{aDest.mX, static_cast<int32_t>(aMiddle), aDest.mX + aDest.mWidth,
                                          static_cast<int32_t>(aBottom)};
                    plat::VRect aLowerSrc{aSource.mX, aHalf, aSource.mX + aSource.mWidth, mHeight};
                    aResult = mPrimarySurface->Blt(&aLowerDst, mDrawSurface, &aLowerSrc, plat::kBltWait);
                    aDone = true;
                } else {
                    mScanLineFailCount++;
                }
            }
            if (!aDone) {
                mDD->WaitForVerticalBlank();
                aResult = mPrimarySurface->Blt(&aDst, mDrawSurface, &aSrc, plat::kBltWait);
                aDone = true;
            }
        }
        if (!aDone)
            aResult = mPrimarySurface->Blt(&aDst, mDrawSurface, &aSrc, plat::kBltWait);
        if (mHasOldCursorArea) {
            RestoreCursorArea(mDrawSurface);
            mHasOldCursorArea = true; // it stays visible on the primary
        }
        mInRedraw = false;
    } else if (mIsWindowed) {
        if (mApp->mWaitForVSync && !mApp->mVSyncBroken)
            mDD->WaitForVerticalBlank();
        mCursorDrawnX = mCursorX;
        mCursorDrawnY = mCursorY;
        DrawCursorTo(mSecondarySurface, true);
        aResult = mPrimarySurface->Blt(&aDst, mSecondarySurface, &aSrc, plat::kBltWait);
        mInRedraw = false;
    } else if (!mApp->mInPopup && mApp->mEnableFlipping) {
        if (!mVideoOnlyDraw)
            mSecondarySurface->Blt(&aDst, mDrawSurface, &aSrc, plat::kBltWait);
        mCursorDrawnX = mCursorX;
        mCursorDrawnY = mCursorY;
        DrawCursorTo(mSecondarySurface, true);
        aResult = mPrimarySurface->Flip();
        mInRedraw = false;
        aLabel = "Redraw FullScreen Flip";
    } else {
        aResult = mPrimarySurface->Blt(&aDst, mDrawSurface, &aSrc, plat::kBltWait);
        mInRedraw = false;
        aLabel = "Redraw FullScreen Blt";
    }
    const bool anOk = !CheckResult(aResult, aLabel);
    // A position that came in while the frame was presented would otherwise wait for the next
    // frame, which may be a second away on a still screen.
    if (mCursorMovedInRedraw.exchange(false) && anOk && mHasOldCursorArea &&
        (mCursorX != mCursorDrawnX || mCursorY != mCursorDrawnY) && mPrimarySurface != nullptr)
        MoveCursor(mPrimarySurface, mCursorX, mCursorY);
    return anOk;
}

} // namespace Quor
