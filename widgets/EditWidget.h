// The one-line text field: a narrow text with a cursor and a selection, scrolled when wider
// than the field, edited from the keyboard (movement, Shift selection, Control word jumps,
// Backspace, Delete, Home, End, Enter, copy, cut, paste and a one-step undo), limited by
// characters and pixels, optionally masked for passwords, with a blinking caret; its
// EditListener is asked before every step.
#pragma once

#include "widgets/Widget.h"

#include <string>
#include <vector>

namespace Quor {

class EditListener;
class QuorAppBase;
class Font;

// A further font whose width also limits the text: an owned copy and its pixel limit (0 or
// below: the field's own pixel limit applies).
class LimitFont {
public:
    Font* mFont = nullptr;
    int mWidth = -1;
};

class EditWidget : public Widget {
public:
    // Colour indices.
    enum {
        COLOR_BKG = 0,
        COLOR_OUTLINE = 1,
        COLOR_TEXT = 2,
        COLOR_HILITE = 3,
        COLOR_HILITE_TEXT = 4,
        NUM_COLORS = 5,
    };

    EditWidget(int id, EditListener* listener);
    ~EditWidget() override;

    // One key (keyCode, character 0) or one typed character (key code 0).
    virtual void HandleKey(int keyCode, char character);
    virtual void SelectWordAtCursor();
    // Keeps a copy of the font; a limit font replaces the limit fonts.
    virtual void SetFont(Font* font, Font* limitFont = nullptr);
    // Sets the text with all of it selected, so that typing replaces it.
    virtual void SetText(const std::string& text, bool showFromStart = true);
    virtual bool IsWordChar(char c);
    // The cursor position for a point in the field (y is not used).
    virtual int CharIndexAt(int x, int y);
    virtual void ScrollToCursor(bool bigSteps);

    // The text as shown: the text, or the mask character once per character.
    const std::string& GetDisplayText();
    void ClearLimitFonts();
    void AddLimitFont(Font* font, int width = -1);
    // Removes characters from the end while the text is wider than a pixel limit.
    void TrimToPixelLimit();
    bool HasSelection() const { return mHilitePos != -1 && mHilitePos != mCursorPos; }

    void SetDirty() override;
    void Update() override;
    void Draw(Graphics* g) override;
    void Resize(int x, int y, int width, int height) override;
    bool WantsFocus() override { return true; }
    void GotFocus() override;
    void LostFocus() override;
    void KeyChar(char c) override;
    void KeyDown(int key) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void MouseMove(int x, int y) override;
    void MouseDownButton(int x, int y, int button, int clickCount) override;
    void MouseUpButton(int x, int y, int button, int clickCount) override;
    void MouseDrag(int x, int y) override;

    int mId;
    std::string mString;
    std::string mPasswordDisplayString;
    Font* mFont = nullptr;
    bool mDrawFrame = false;
    bool mClearOnClick = false;
    std::vector<LimitFont> mWidthCheckList;
    EditListener* mEditListener;
    bool mShowingCursor = false;   // blink phase: the caret is drawn
    bool mDrawSelOverride = false; // selection and caret also without the focus
    bool mHadDoubleClick = false;  // the word is selected on release
    int mCursorPos = 0;
    int mHilitePos = -1; // other end of the selection; -1 none
    int mBlinkAcc = 0;
    int mBlinkDelay = 40;
    int mLeftPos = 0; // first character shown
    int mMaxChars = -1;
    int mMaxPixels = -1;
    char mPasswordChar = 0;
    std::string mUndoString;
    int mUndoCursor = 0;
    int mUndoHilitePos = 0;
    int mLastModifyIdx = 0;

private:
    // The field's font, made on first need when none was set.
    Font* GetOrMakeFont();
    QuorAppBase* GetApp();
    void SetAppCursor(int cursor);
    // Removes the selection from the text; the cursor goes to its start.
    void DeleteSelection();
    // How many of the candidate characters fit the character and pixel limits when inserted
    // at the cursor in place of the selection.
    size_t RoomFor(const std::string& candidates);
};

} // namespace Quor
