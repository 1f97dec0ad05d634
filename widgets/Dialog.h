// The framework's message box: a framed panel with a header line, a word-wrapped message, an
// optional footer and up to two buttons (mode 1 "YES"/"NO", mode 2 "OK"/"CANCEL", mode 3 one
// button labelled with the footer), which the user can drag around. Its buttons report to the
// DialogListener (the application), which keeps dialogs by id.
#pragma once

#include "widgets/ButtonListener.h"
#include "widgets/Widget.h"

#include <string>

namespace Quor {

class DialogButton;
class DialogListener;
class Font;
class QuorAppBase;

// The labels of the dialog buttons.
extern const std::string DIALOG_YES_STRING;
extern const std::string DIALOG_NO_STRING;
extern const std::string DIALOG_OK_STRING;
extern const std::string DIALOG_CANCEL_STRING;

class Dialog : public Widget, public ButtonListener {
public:
    static constexpr int ID_YES = 1000;
    static constexpr int ID_NO = 1001;
    static constexpr int NO_RESULT = 2147483647;

    // Button modes.
    enum { BUTTONS_NONE = 0, BUTTONS_YES_NO = 1, BUTTONS_OK_CANCEL = 2, BUTTONS_FOOTER = 3 };

    // Colour indices.
    enum {
        COLOR_HEADER = 0,
        COLOR_LINES = 1,
        COLOR_FOOTER = 2,
        COLOR_BUTTON_TEXT = 3,
        COLOR_BUTTON_TEXT_HILITE = 4,
        COLOR_BKG = 5,
        COLOR_OUTLINE = 6,
        NUM_COLORS = 7,
    };

    Dialog(int dialogId, bool isModal, const std::string& header, const std::string& lines,
           const std::string& footer, int buttonMode);
    ~Dialog() override;

    virtual void SetButtonFont(Font* font);
    virtual void SetHeaderFont(Font* font);
    virtual void SetLinesFont(Font* font);
    // The height that fits the texts and the buttons at this width.
    virtual int GetPreferredHeight(int width);
    virtual bool IsModal() { return mIsModal; }
    // Runs application update steps until a button answers, the dialog leaves the manager or
    // the application shuts down; then kills the dialog when asked. NO_RESULT without answer.
    virtual int WaitForResult(bool autoKill = true);

    void SetColor(int index, const Color& color) override;
    void AddedToManager(WidgetManager* manager) override;
    void RemovedFromManager(WidgetManager* manager) override;
    void OrderChanged() override;
    void Resize(int x, int y, int width, int height) override;
    void Update() override;
    void Draw(Graphics* g) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void MouseUpButton(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;

    void ButtonPress(int id) override;
    void ButtonDepress(int id) override;

    DialogListener* mDialogListener = nullptr;
    Image* mComponentImage = nullptr;
    DialogButton* mYesButton = nullptr;
    DialogButton* mNoButton = nullptr;
    std::string mDialogHeader;
    std::string mDialogFooter;
    std::string mDialogLines;
    int mButtonMode = 0;
    Font* mHeaderFont = nullptr;
    Font* mLinesFont = nullptr;
    int mTextAlign = 0; // of the message: 0 centred, 1 right, other values left
    int mLineSpacingOffset = 0;
    int mButtonHeight = 24;
    Insets mContentInsets;
    Insets mBackgroundInsets{24, 24, 24, 24};
    int mSpaceAfterHeader = 10;
    bool mDragging = false;
    int mDragMouseX = 0;
    int mDragMouseY = 0;
    int mId = 0;
    bool mIsModal = false;
    int mResult = NO_RESULT;
    int mButtonHorzSpacing = 8;
    int mButtonSidePadding = 0;

private:
    // The fonts, made on first use when none were set.
    void EnsureFonts();
    QuorAppBase* GetApp();
    void SetAppCursor(int cursor);
};

} // namespace Quor
