// The arrow of a scrollbar: a push button that, without images, draws a bevelled face with a
// small triangle pointing by its kind, orientation and id.
#pragma once

#include "widgets/ButtonWidget.h"

namespace Quor {

class ScrollbuttonWidget : public ButtonWidget {
public:
    ScrollbuttonWidget(int id, ButtonListener* listener);

    // Draws the arrow at the owner's position plus its own (for arrows the tree walk skips).
    virtual void DrawAtOwner(Graphics* g);

    // Where the owner's position is read from by DrawAtOwner.
    void SetPositionSource(int* x, int* y);

    void DrawContent(Graphics* g, bool skip) override;

    bool mHorizontal = false;
    // 0 by orientation and id; 1 vertical always up; 2 by orientation and id; 3 horizontal,
    // always left; 4 horizontal, by id.
    int mType = 0;
    int* mOwnerX = nullptr;
    int* mOwnerY = nullptr;
};

} // namespace Quor
