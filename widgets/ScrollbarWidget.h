// The scrollbar: a value between 0 and (maximum - page size) shown as a thumb on a track between
// two arrow buttons; arrows step with auto-repeat, presses on the track page with auto-repeat and
// the thumb can be dragged. Every change goes to a ScrollListener with the bar's id.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

namespace Quor {

class Image;
class ScrollListener;
class ScrollbuttonWidget;

class ScrollbarWidget : public Widget, public ButtonListener {
public:
    // Paging states.
    enum { PAGING_NONE = 0, PAGING_BACK = 1, PAGING_FORWARD = 2 };

    ScrollbarWidget(int id, ScrollListener* listener);
    ~ScrollbarWidget() override;

    virtual void SetHideWhenNoScroll(bool hide);
    virtual void SetMaxValue(double maxValue);
    virtual void SetPageSize(double pageSize);
    virtual void SetValue(double value);
    virtual void SetHorizontal(bool horizontal);
    virtual void SetArrowStep(int step);
    // Resizes the bar and lays its arrows out at both ends.
    virtual void ResizeScrollbar(int x, int y, int width, int height);
    virtual bool AtEnd();
    virtual void GoToEnd();
    virtual void DrawThumb(Graphics* g, int x, int y, int width, int height);
    virtual int GetTrackSize();
    virtual int GetThumbSize();
    virtual int GetThumbPosition();
    virtual void ClampValue();
    virtual void SetThumbPosition(int position);
    // -1 when the point lies before the thumb, 1 after it, 0 on it.
    virtual int ThumbCompare(int x, int y);
    virtual void SetThumbImages(Image* normal, Image* hover, Image* pressed);

    // The owner draws the bar (with DrawIfVisible); the tree walk draws neither it nor the arrows.
    void SetInvisibleArrows();

    void Update() override;
    void Draw(Graphics* g) override;
    void DrawIfVisible(Graphics* g) override;
    void DrawContent(Graphics* g, bool skip) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void MouseUpButton(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;

    // The arrows report here.
    void ButtonPress(int id) override;
    void ButtonDownTick(int id) override;

    ScrollbuttonWidget* mUpButton;
    ScrollbuttonWidget* mDownButton;
    Image* mThumbImage = nullptr;
    Image* mThumbHoverImage = nullptr;
    Image* mThumbPressedImage = nullptr;
    bool mInvisIfNoScroll = false;
    int mId;
    double mValue = 0.0;
    double mMaxValue = 0.0;
    double mPageSize = 0.0;
    bool mHorizontal = false;
    bool mPressedOnThumb = false; // the thumb is being dragged
    int mMouseDownThumbPos = 0;
    int mMouseDownX = 0;
    int mMouseDownY = 0;
    int mUpdateMode = PAGING_NONE;
    int mUpdateAcc = 0; // updates since the last page step
    int mButtonAcc = 0; // updates since the last arrow step
    int mLastMouseX = 0;
    int mLastMouseY = 0;
    ScrollListener* mScrollListener;
    bool mOwnerDraws = false;
    bool mMouseOver = false;
    bool mPressed = false;
    int mArrowStep = 10;

private:
    void ArrowStep(int arrowId);
    void SetDisabledAll(bool disabled);
    void SetVisibleAll(bool visible);
};

} // namespace Quor
