// One bowl of Glaze Selection: open for the preparation time, then its cover drops. A click on
// an open bowl tries its glaze without using it; a click on a covered one lifts the cover and
// uses it, and a wrong glaze lets the cover drop again after a moment.
#pragma once

#include "widgets/Widget.h"

namespace Quor {

class MgGlaze;

class MgGlazeSrc : public Widget {
public:
    static constexpr int kWidth = 90;
    static constexpr int kHeight = 94;

    MgGlazeSrc(MgGlaze* game, int slot, int glaze, double prepareTime);

    void Tick(double dt) override;
    // Drawn relative to the bowl (the caller translates to its place).
    void Draw(Graphics* g) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseUp(int x, int y, int clickCount) override;

    // How far up the cover hangs, 0 when down.
    int CoverLift() const;
    // The glaze's opacity: fading while a wrong pick's cover drops.
    int GlazeAlpha() const;

    MgGlaze* mGame;  // not owned
    int mSlot;
    int mGlaze;
    bool mHovered = false;
    bool mUsed = false;
    bool mLifted = true;
    bool mOpen = false;
    double mDropTimer = 0.0;
    bool mWrong = false;
    double mWrongTimer = 0.0;
    bool mReady = false;
    double mPrepareTimer;
    int mBowl;  // 0-2
};

} // namespace Quor
