// Checkbox: toggling, reporting and the three looks.
#include "widgets/Checkbox.h"

#include "graphics/Graphics.h"
#include "widgets/CheckboxListener.h"

namespace Quor {

Checkbox::Checkbox(Image* uncheckedImage, Image* checkedImage, int id, CheckboxListener* listener)
    : mListener(listener), mId(id), mUncheckedImage(uncheckedImage), mCheckedImage(checkedImage)
{
    mDoFinger = true;
}

void Checkbox::SetChecked(bool checked, bool tellListener)
{
    mChecked = checked;
    if (tellListener && mListener != nullptr)
        mListener->CheckboxChecked(mId, mChecked);
    SetDirty();
}

bool Checkbox::IsChecked()
{
    return mChecked;
}

void Checkbox::MouseDownButton(int x, int y, int button, int clickCount)
{
    (void)x;
    (void)y;
    (void)button;
    (void)clickCount;
    mChecked = !mChecked;
    if (mListener != nullptr)
        mListener->CheckboxChecked(mId, mChecked);
    SetDirty();
}

void Checkbox::Draw(Graphics* g)
{
    Widget::Draw(g);

    if (mCheckedRect.mWidth == 0 && mCheckedImage != nullptr && mUncheckedImage != nullptr) {
        g->DrawImage(mChecked ? mCheckedImage : mUncheckedImage, 0, 0);
    } else if (mCheckedRect.mWidth != 0 && mUncheckedImage != nullptr) {
        g->DrawImageRegion(mUncheckedImage, 0, 0, mChecked ? mCheckedRect : mUncheckedRect);
    } else if (mUncheckedImage == nullptr && mCheckedImage == nullptr) {
        g->SetColor(mOutlineColor);
        g->FillRect(0, 0, mWidth, mHeight);
        g->SetColor(mBkgColor);
        g->FillRect(1, 1, mWidth - 2, mHeight - 2);
        if (mChecked) {
            g->SetColor(mCheckColor);
            g->DrawLine(1, 1, mWidth - 2, mHeight - 2);
            g->DrawLine(mWidth - 1, 1, 1, mHeight - 2);
        }
    }
}

} // namespace Quor
