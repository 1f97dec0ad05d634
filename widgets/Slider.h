// The value slider: a thumb image over a three-slice track shows a value from 0.0 to 1.0; the
// user drags the thumb or clicks the track, and the value goes to a SliderListener.
#pragma once

#include "widgets/Widget.h"

namespace Quor {

class Image;
class SliderListener;

class Slider : public Widget {
public:
    Slider(int id, SliderListener* listener);

    // Stores the value cut to 0.0 .. 1.0 and redraws; the listener is not told.
    virtual void SetValue(double value);
    virtual bool HasTransparencies() { return true; }

    void Draw(Graphics* g) override;
    void MouseDown(int x, int y, int clickCount) override;
    void MouseMove(int x, int y) override;
    void MouseDrag(int x, int y) override;
    void MouseUpAt(int x, int y) override;
    void MouseLeave() override;

    // Top-left corner of the thumb for the current value.
    int GetThumbX() const;
    int GetThumbY() const;

    // Where a new slider takes its thumb image from: the program-wide variable that the
    // resource tables bind to "MP_SLIDE_TAB_1" (set by the game once its tables exist; while it
    // is null, or the variable holds null, a slider starts without a thumb).
    static Image** sDefaultThumbImage;

    SliderListener* mListener;
    double mVal = 0.0;
    int mId;
    Image* mTrackImage = nullptr;
    Image* mFillImage = nullptr;
    Image* mThumbImage = nullptr;
    bool mDragging = false;
    int mRelX = 0;
    int mRelY = 0;
    bool mHorizontal = true;

private:
    bool IsOverThumb(int x, int y) const;
    void SetAppCursor(int cursor);
};

} // namespace Quor
