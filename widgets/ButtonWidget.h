// The push button: drawn from images (one sprite image with a source rectangle per state, or
// one whole image per state) or as a framed box in six colours, with a hover highlight that can
// fade in and out; it reports press, release, hold, enter, leave and move to its listener.
#pragma once

#include "graphics/Rect.h"
#include "widgets/Widget.h"

#include <string>

namespace Quor {

class ButtonListener;
class Font;
class Image;

class ButtonWidget : public Widget {
public:
    // Colour indices of the image-less look and the label.
    enum {
        COLOR_LABEL = 0,
        COLOR_LABEL_HILITE = 1,
        COLOR_DARK_OUTLINE = 2,
        COLOR_LIGHT_OUTLINE = 3,
        COLOR_MEDIUM_OUTLINE = 4,
        COLOR_BKG = 5,
        NUM_COLORS = 6,
    };

    ButtonWidget(int id, ButtonListener* listener);
    ~ButtonWidget() override;

    virtual void DrawButtonImage(Graphics* g, Image* image, const Rect& rect, int x, int y);
    // Keeps a copy of the font for the label.
    virtual void SetFont(Font* font);
    virtual bool IsButtonDown();

    // A state is available when its image is set or its rectangle has a width.
    static bool HaveButtonImage(const Image* image, const Rect& rect)
    {
        return image != nullptr || rect.mWidth != 0;
    }

    void Update() override;
    void Draw(Graphics* g) override;
    void DrawContent(Graphics* g, bool hidden) override;
    void SetDisabled(bool disabled) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void MouseUpButton(int x, int y, int button, int clickCount) override;

    int mId;
    std::string mLabel;
    int mLabelJustify = 0; // 0 centred, 1 right-aligned, other values left-aligned
    Font* mFont = nullptr;  // owned; made on the first draw of a label when none was set
    Image* mButtonImage = nullptr;
    Image* mOverImage = nullptr;
    Image* mDownImage = nullptr;
    Image* mDisabledImage = nullptr;
    Rect mNormalRect;
    Rect mOverRect;
    Rect mDownRect;
    Rect mDisabledRect;
    bool mInverted = false;
    bool mBtnNoDraw = false;
    bool mFrameNoDraw = false;
    ButtonListener* mButtonListener;
    double mOverAlpha = 0.0;
    double mOverAlphaSpeed = 0.0;       // fade-out step per update
    double mOverAlphaFadeInSpeed = 0.0; // fade-in step per update
    bool mRedrawOnStateChange = true;

private:
    // Marks the button dirty on enter and leave unless nothing of its look changes.
    void RedrawForStateChange();
};

} // namespace Quor
