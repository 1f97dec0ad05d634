// The button drawn inside a dialog: a push button that can draw itself from a nine-cell box
// image, shifted while pressed.
#pragma once

#include "widgets/ButtonWidget.h"

namespace Quor {

class DialogButton : public ButtonWidget {
public:
    DialogButton(int id, ButtonListener* listener);

    void Draw(Graphics* g) override;

    Image* mComponentImage = nullptr;
    int mTranslateX = 1; // shift of the drawing while pressed
    int mTranslateY = 1;
    int mTextOffsetX = 0;
    int mTextOffsetY = 0;
};

} // namespace Quor
