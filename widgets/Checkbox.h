// The two-state toggle: flips on any mouse press and reports its new state to its listener;
// drawn from two images, from one image with two source rectangles, or as a box with a cross.
#pragma once

#include "graphics/Color.h"
#include "graphics/Rect.h"
#include "widgets/Widget.h"

namespace Quor {

class CheckboxListener;
class Image;

class Checkbox : public Widget {
public:
    Checkbox(Image* uncheckedImage, Image* checkedImage, int id, CheckboxListener* listener);

    virtual void SetChecked(bool checked, bool tellListener = true);
    virtual bool IsChecked();

    void Draw(Graphics* g) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;

    CheckboxListener* mListener;
    int mId;
    bool mChecked = false;
    Image* mUncheckedImage;
    Image* mCheckedImage;
    Rect mCheckedRect;
    Rect mUncheckedRect;
    Color mOutlineColor{255, 255, 255};
    Color mBkgColor{80, 80, 80};
    Color mCheckColor{255, 255, 0};
};

} // namespace Quor
