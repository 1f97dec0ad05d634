// A framed message panel with a header, word-wrapped lines, a footer and up to two buttons
// (mode 1 "YES"/"NO", mode 2 "OK"/"CANCEL", mode 3 one button labelled with the footer),
// reporting presses to its DialogListener. Held by the application by id.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <string>

namespace Quor {

class DialogListener;

class Dialog : public Widget, public ButtonListener {
public:
    static constexpr int ID_YES = 1000;
    static constexpr int ID_NO = 1001;
    static constexpr int NO_RESULT = 2147483647;

    Dialog(int dialogId, bool isModal, const std::string& header, const std::string& lines,
           const std::string& footer, int buttonMode);

    // The height that fits the dialog at this width: the frame's insets, the header line and
    // the button row. Text measuring arrives with the fonts.
    virtual int GetPreferredHeight(int width);
    virtual bool IsModal() { return mIsModal; }

    void ButtonPress(int id) override;
    void ButtonDepress(int id) override;

    DialogListener* mDialogListener = nullptr;
    std::string mDialogHeader;
    std::string mDialogFooter;
    std::string mDialogLines;
    int mButtonMode = 0;
    int mButtonHeight = 24;
    int mBackgroundInsetTop = 24;
    int mBackgroundInsetBottom = 24;
    int mSpaceAfterHeader = 10;
    int mId = 0;
    bool mIsModal = false;
    int mResult = NO_RESULT;
};

} // namespace Quor
