// Dialog: the state of a dialog and the reports of its buttons.
#include "widgets/Dialog.h"

#include "app/QuorAppBase.h"
#include "widgets/DialogListener.h"

namespace Quor {

Dialog::Dialog(int dialogId, bool isModal, const std::string& header, const std::string& lines,
               const std::string& footer, int buttonMode)
    : mDialogListener(gQuorAppBase ? static_cast<DialogListener*>(gQuorAppBase) : nullptr),
      mDialogHeader(header), mDialogFooter(footer), mDialogLines(lines), mButtonMode(buttonMode),
      mId(dialogId), mIsModal(isModal)
{
}

int Dialog::GetPreferredHeight(int width)
{
    (void)width;
    int height = mBackgroundInsetTop + mBackgroundInsetBottom;
    if (!mDialogHeader.empty())
        height += mSpaceAfterHeader;
    if (mButtonMode >= 1 && mButtonMode <= 3)
        height += mButtonHeight;
    return height;
}

void Dialog::ButtonPress(int id)
{
    if (mDialogListener)
        mDialogListener->DialogButtonPress(mId, id);
}

void Dialog::ButtonDepress(int id)
{
    mResult = id;
    if (mDialogListener)
        mDialogListener->DialogButtonDepress(mId, id);
}

} // namespace Quor
