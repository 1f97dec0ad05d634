// EditWidget: key handling with undo, selection by keys and mouse, clipboard, limits,
// scrolling, caret blink and the two-pass drawing of text and selection.
#include "widgets/EditWidget.h"

#include "app/QuorAppBase.h"
#include "graphics/Font.h"
#include "graphics/Graphics.h"
#include "graphics/SysFont.h"
#include "widgets/EditListener.h"
#include "widgets/WidgetManager.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace Quor {

namespace {

// Windows key codes and the control characters Windows types for Control with a letter.
constexpr int kKeyBackspace = 8;
constexpr int kKeyEnter = 13;
constexpr int kKeyShift = 16;
constexpr int kKeyControl = 17;
constexpr int kKeyEnd = 35;
constexpr int kKeyHome = 36;
constexpr int kKeyLeft = 37;
constexpr int kKeyRight = 39;
constexpr int kKeyDelete = 46;
constexpr char kCharCopy = 3;
constexpr char kCharPaste = 22;
constexpr char kCharCut = 24;
constexpr char kCharUndo = 26;

constexpr int kCursorArrow = 0;
constexpr int kCursorText = 3;

} // namespace

EditWidget::EditWidget(int id, EditListener* listener) : mId(id), mEditListener(listener)
{
    static const int kDefaultColors[NUM_COLORS][3] = {
        {255, 255, 255}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {255, 255, 255},
    };
    SetColorsRGB(kDefaultColors, NUM_COLORS);
}

EditWidget::~EditWidget()
{
    delete mFont;
    ClearLimitFonts();
}

QuorAppBase* EditWidget::GetApp()
{
    if (mWidgetManager != nullptr && mWidgetManager->mApp != nullptr)
        return mWidgetManager->mApp;
    return gQuorAppBase;
}

Font* EditWidget::GetOrMakeFont()
{
    if (mFont == nullptr)
        mFont = new SysFont(GetApp(), "Arial Unicode MS", 10, 0);
    return mFont;
}

void EditWidget::SetAppCursor(int cursor)
{
    if (QuorAppBase* app = GetApp()) {
        app->mCursorNum = cursor;
        app->ApplyCursor();
    }
}

const std::string& EditWidget::GetDisplayText()
{
    if (mPasswordChar == 0)
        return mString;
    if (mPasswordDisplayString.size() != mString.size())
        mPasswordDisplayString.assign(mString.size(), mPasswordChar);
    return mPasswordDisplayString;
}

void EditWidget::ClearLimitFonts()
{
    for (LimitFont& limit : mWidthCheckList)
        delete limit.mFont;
    mWidthCheckList.clear();
}

void EditWidget::AddLimitFont(Font* font, int width)
{
    LimitFont limit;
    limit.mFont = font->Duplicate();
    limit.mWidth = width;
    mWidthCheckList.push_back(limit);
}

void EditWidget::SetFont(Font* font, Font* limitFont)
{
    delete mFont;
    mFont = font != nullptr ? font->Duplicate() : nullptr;
    ClearLimitFonts();
    if (limitFont != nullptr)
        AddLimitFont(limitFont);
}

void EditWidget::SetText(const std::string& text, bool showFromStart)
{
    mString = text;
    mCursorPos = static_cast<int>(mString.size());
    mHilitePos = 0;
    if (showFromStart)
        mLeftPos = 0;
    else
        ScrollToCursor(true);
    SetDirty();
}

bool EditWidget::IsWordChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           c == '_';
}

void EditWidget::SetDirty()
{
    // A translucent background needs what lies behind it drawn again as well.
    if (GetColor(COLOR_BKG).mAlpha != 255)
        SetDirtyFull();
    else
        Widget::SetDirty();
}

void EditWidget::DeleteSelection()
{
    const int start = std::min(mCursorPos, mHilitePos);
    const int end = std::max(mCursorPos, mHilitePos);
    mString.erase(static_cast<size_t>(start), static_cast<size_t>(end - start));
    mCursorPos = start;
    mHilitePos = -1;
}

size_t EditWidget::RoomFor(const std::string& candidates)
{
    std::string base = mString;
    size_t at = static_cast<size_t>(mCursorPos);
    if (HasSelection()) {
        const int start = std::min(mCursorPos, mHilitePos);
        const int end = std::max(mCursorPos, mHilitePos);
        base.erase(static_cast<size_t>(start), static_cast<size_t>(end - start));
        at = static_cast<size_t>(start);
    }
    size_t count = candidates.size();
    if (mMaxChars >= 0) { // any negative limit is no limit
        const size_t room = base.size() < static_cast<size_t>(mMaxChars)
                                ? static_cast<size_t>(mMaxChars) - base.size()
                                : 0;
        count = std::min(count, room);
    }
    // The pixel limits are measured on the whole text as it would stand.
    auto fits = [&](size_t n) {
        const std::string text = base.substr(0, at) + candidates.substr(0, n) + base.substr(at);
        if (mWidthCheckList.empty())
            return mMaxPixels <= 0 || GetOrMakeFont()->StringWidth(text) <= mMaxPixels;
        for (LimitFont& limit : mWidthCheckList) {
            const int pixels = limit.mWidth > 0 ? limit.mWidth : mMaxPixels;
            if (pixels > 0 && limit.mFont->StringWidth(text) > pixels)
                return false;
        }
        return true;
    };
    while (count > 0 && !fits(count))
        --count;
    return count;
}

void EditWidget::TrimToPixelLimit()
{
    if (mWidthCheckList.empty()) {
        if (mMaxPixels > 0) {
            while (!mString.empty() && GetOrMakeFont()->StringWidth(mString) > mMaxPixels)
                mString.pop_back();
        }
        return;
    }
    for (LimitFont& limit : mWidthCheckList) {
        const int pixels = limit.mWidth > 0 ? limit.mWidth : mMaxPixels;
        if (pixels <= 0)
            continue;
        while (!mString.empty() && limit.mFont->StringWidth(mString) > pixels)
            mString.pop_back();
    }
}

void EditWidget::HandleKey(int keyCode, char character)
{
    if (keyCode == kKeyShift || keyCode == kKeyControl)
        return;

    const bool shiftDown = mWidgetManager != nullptr && mWidgetManager->mKeyDown[kKeyShift];
    const bool controlDown = mWidgetManager != nullptr && mWidgetManager->mKeyDown[kKeyControl];
    bool dropSelection = !shiftDown;
    if (shiftDown && mHilitePos == -1)
        mHilitePos = mCursorPos;

    const std::string oldString = mString;
    const int oldCursor = mCursorPos;
    const int oldHilite = mHilitePos;
    bool undoPoint = false;

    Font* font = GetOrMakeFont();
    const int length = static_cast<int>(mString.size());

    if (character == kCharCopy || character == kCharCut) {
        if (HasSelection()) {
            const int start = std::min(mCursorPos, mHilitePos);
            const int end = std::max(mCursorPos, mHilitePos);
            if (QuorAppBase* app = GetApp())
                app->CopyToClipboard(GetDisplayText().substr(static_cast<size_t>(start),
                                                             static_cast<size_t>(end - start)));
            if (character == kCharCut) {
                DeleteSelection();
                undoPoint = true;
            } else {
                dropSelection = false;
            }
        }
    } else if (character == kCharPaste) {
        QuorAppBase* app = GetApp();
        const std::string clip = app != nullptr ? app->GetClipboard() : std::string();
        if (!clip.empty()) {
            std::string taken;
            for (char c : clip) {
                if (c == '\r' || c == '\n')
                    break;
                if (font->CharWidth(c) != 0 &&
                    (mEditListener == nullptr || mEditListener->AllowChar(mId, c)))
                    taken += c;
            }
            // Only what fits the limits is pasted, so that the limits never cut off text that
            // stood behind the cursor.
            taken.resize(RoomFor(taken));
            const bool hadSelection = HasSelection();
            if (hadSelection)
                DeleteSelection();
            mString.insert(static_cast<size_t>(mCursorPos), taken);
            mHilitePos = -1;
            mCursorPos += static_cast<int>(taken.size());
            // A paste that changes nothing leaves the undo step alone.
            undoPoint = hadSelection || !taken.empty();
        }
    } else if (character == kCharUndo) {
        mLastModifyIdx = -1;
        std::swap(mString, mUndoString);
        std::swap(mCursorPos, mUndoCursor);
        std::swap(mHilitePos, mUndoHilitePos);
        dropSelection = false;
    } else if (keyCode == kKeyLeft) {
        if (controlDown) {
            while (mCursorPos > 0 && !IsWordChar(mString[static_cast<size_t>(mCursorPos - 1)]))
                --mCursorPos;
            while (mCursorPos > 0 && IsWordChar(mString[static_cast<size_t>(mCursorPos - 1)]))
                --mCursorPos;
        } else if (!shiftDown && mHilitePos != -1) {
            mCursorPos = std::min(mHilitePos, mCursorPos);
        } else {
            --mCursorPos;
        }
    } else if (keyCode == kKeyRight) {
        if (controlDown) {
            while (mCursorPos < length - 1 &&
                   IsWordChar(mString[static_cast<size_t>(mCursorPos + 1)]))
                ++mCursorPos;
            while (mCursorPos < length - 1 &&
                   !IsWordChar(mString[static_cast<size_t>(mCursorPos + 1)]))
                ++mCursorPos;
        }
        if (!shiftDown && mHilitePos != -1)
            mCursorPos = std::max(mHilitePos, mCursorPos);
        else
            ++mCursorPos;
    } else if (keyCode == kKeyBackspace) {
        if (!mString.empty()) {
            if (HasSelection()) {
                DeleteSelection();
                undoPoint = true;
            } else if (mCursorPos > 0) {
                // At the start nothing is removed, and the undo step is left alone.
                mString.erase(static_cast<size_t>(mCursorPos - 1), 1);
                --mCursorPos;
                mHilitePos = -1;
                undoPoint = mCursorPos != mLastModifyIdx;
                mLastModifyIdx = mCursorPos - 1;
            }
        }
    } else if (keyCode == kKeyDelete) {
        if (!mString.empty()) {
            if (HasSelection()) {
                DeleteSelection();
                undoPoint = true;
            } else if (mCursorPos < length) {
                // At the end nothing is removed, and the undo step is left alone.
                mString.erase(static_cast<size_t>(mCursorPos), 1);
                undoPoint = mCursorPos != mLastModifyIdx;
                mLastModifyIdx = mCursorPos;
            }
        }
    } else if (keyCode == kKeyHome) {
        mCursorPos = 0;
    } else if (keyCode == kKeyEnd) {
        mCursorPos = length;
    } else if (keyCode == kKeyEnter) {
        if (mEditListener != nullptr)
            mEditListener->EditWidgetText(mId, mString);
    } else {
        const unsigned char byte = static_cast<unsigned char>(character);
        QuorAppBase* app = GetApp();
        const unsigned bound = app == nullptr || app->mAllowHighCharacters ? 0xFF : 0x7F;
        if (byte < 0x20 || byte > bound || font->StringWidth(std::string(1, character)) < 1 ||
            (mEditListener != nullptr && !mEditListener->AllowChar(mId, character))) {
            dropSelection = false;
        } else {
            if (!HasSelection()) {
                mString.insert(static_cast<size_t>(mCursorPos), 1, character);
                undoPoint = mCursorPos != mLastModifyIdx + 1;
                mLastModifyIdx = mCursorPos;
            } else {
                DeleteSelection();
                mString.insert(static_cast<size_t>(mCursorPos), 1, character);
                undoPoint = true;
            }
            ++mCursorPos;
            mHilitePos = -1;
            ScrollToCursor(false);
        }
    }

    if (mMaxChars >= 0 && static_cast<int>(mString.size()) > mMaxChars)
        mString.resize(static_cast<size_t>(mMaxChars));
    TrimToPixelLimit();

    const int newLength = static_cast<int>(mString.size());
    mCursorPos = std::clamp(mCursorPos, 0, newLength);
    if (mHilitePos > newLength)
        mHilitePos = newLength;
    if (mCursorPos != oldCursor) {
        mBlinkAcc = 0;
        mShowingCursor = true;
    }
    ScrollToCursor(true);
    if (dropSelection || mHilitePos == mCursorPos)
        mHilitePos = -1;

    if (mEditListener != nullptr && !mEditListener->AllowText(mId, mString)) {
        mString = oldString;
        mCursorPos = oldCursor;
        mHilitePos = oldHilite;
    } else if (undoPoint) {
        mUndoString = oldString;
        mUndoCursor = oldCursor;
        mUndoHilitePos = oldHilite;
    }
    SetDirty();
}

void EditWidget::ScrollToCursor(bool bigSteps)
{
    const int step = bigSteps ? 10 : 1;
    while (mCursorPos < mLeftPos) {
        mLeftPos = std::max(0, mLeftPos - step);
        SetDirty();
    }
    if (mFont == nullptr)
        return;
    const std::string& shown = GetDisplayText();
    const int length = static_cast<int>(shown.size());
    const int room = mWidth - 8;
    while (room > 0 && mFont->StringWidth(shown.substr(0, static_cast<size_t>(mCursorPos))) -
                               mFont->StringWidth(shown.substr(0, static_cast<size_t>(mLeftPos))) >=
                           room) {
        // Never past the cursor or the last character: a character wider than the field
        // leaves nothing further to scroll.
        const int next = std::min({mLeftPos + step, length - 1, mCursorPos});
        if (next <= mLeftPos)
            break;
        mLeftPos = next;
        SetDirty();
    }
}

int EditWidget::CharIndexAt(int x, int y)
{
    (void)y;
    Font* font = GetOrMakeFont();
    const std::string& shown = GetDisplayText();
    const size_t left = static_cast<size_t>(mLeftPos);
    int result = 0;
    for (size_t i = left; i < shown.size(); ++i) {
        const int before = font->StringWidth(shown.substr(left, i - left));
        const int through = font->StringWidth(shown.substr(left, i - left + 1));
        if ((before + through) / 2 + 5 <= x)
            result = static_cast<int>(i) + 1;
    }
    return result;
}

void EditWidget::SelectWordAtCursor()
{
    const std::string& shown = GetDisplayText();
    const int length = static_cast<int>(shown.size());
    if (mCursorPos >= length)
        return;
    mHilitePos = mCursorPos;
    while (mHilitePos > 0 && IsWordChar(shown[static_cast<size_t>(mHilitePos - 1)]))
        --mHilitePos;
    while (mCursorPos < length - 1 && IsWordChar(shown[static_cast<size_t>(mCursorPos + 1)]))
        ++mCursorPos;
    if (mCursorPos < length)
        ++mCursorPos;
}

void EditWidget::Resize(int x, int y, int width, int height)
{
    Widget::Resize(x, y, width, height);
    ScrollToCursor(false);
}

void EditWidget::GotFocus()
{
    Widget::GotFocus();
    mShowingCursor = true;
    mBlinkAcc = 0;
    SetDirty();
}

void EditWidget::LostFocus()
{
    Widget::LostFocus();
    mShowingCursor = false;
    SetDirty();
}

void EditWidget::Update()
{
    Widget::Update();
    if (!mHasFocus)
        return;
    if (++mBlinkAcc > mBlinkDelay) {
        SetDirty();
        mBlinkAcc = 0;
        mShowingCursor = !mShowingCursor;
    }
}

void EditWidget::KeyDown(int key)
{
    // Letters arrive as typed characters.
    if (key < 'A' || key > 'Z') {
        if (mEditListener == nullptr || mEditListener->AllowKey(mId, key))
            HandleKey(key, 0);
    }
    Widget::KeyDown(key);
}

void EditWidget::KeyChar(char c)
{
    HandleKey(0, c);
}

void EditWidget::MouseEnter()
{
    SetAppCursor(kCursorText);
}

void EditWidget::MouseLeave()
{
    SetAppCursor(kCursorArrow);
}

void EditWidget::MouseMove(int x, int y)
{
    (void)x;
    (void)y;
}

void EditWidget::MouseDownButton(int x, int y, int button, int clickCount)
{
    (void)button;
    if (mClearOnClick) {
        // The selection goes with the text.
        mString.clear();
        mCursorPos = 0;
        mHilitePos = -1;
    } else {
        mHilitePos = -1;
        mCursorPos = CharIndexAt(x, y);
        if (clickCount > 1) {
            mHadDoubleClick = true;
            SelectWordAtCursor();
        }
    }
    SetDirty();
    ScrollToCursor(false);
}

void EditWidget::MouseUpButton(int x, int y, int button, int clickCount)
{
    (void)button;
    (void)clickCount;
    if (mHilitePos == mCursorPos)
        mHilitePos = -1;
    if (mHadDoubleClick) {
        mHilitePos = -1;
        mCursorPos = CharIndexAt(x, y);
        mHadDoubleClick = false;
        SelectWordAtCursor();
    }
    SetDirty();
}

void EditWidget::MouseDrag(int x, int y)
{
    if (mHilitePos == -1)
        mHilitePos = mCursorPos;
    mCursorPos = CharIndexAt(x, y);
    SetDirty();
    ScrollToCursor(false);
}

void EditWidget::Draw(Graphics* g)
{
    Font* font = GetOrMakeFont();
    const std::string& shown = GetDisplayText();

    g->SetColor(GetColor(COLOR_BKG));
    if (mDrawFrame)
        g->FillRect(0, 0, mWidth, mHeight);

    const bool emphasis = mHasFocus || mDrawSelOverride;
    const int textY = font->GetAscent() + (mHeight - font->GetHeight()) / 2;
    const std::string visible = shown.substr(std::min(shown.size(), static_cast<size_t>(mLeftPos)));
    for (int pass = 0; pass < 2; ++pass) {
        std::unique_ptr<Graphics> copy(Graphics::Create(*g));
        if (copy == nullptr)
            return;
        copy->SetFont(font);
        bool selected = false;
        if (pass == 0) {
            copy->ClipRect(4, 0, mWidth - 8, mHeight);
        } else {
            const int leftWidth = font->StringWidth(shown.substr(0, static_cast<size_t>(mLeftPos)));
            auto offsetOf = [&](int pos) {
                return font->StringWidth(shown.substr(0, static_cast<size_t>(pos))) - leftWidth;
            };
            int x1 = offsetOf(mCursorPos);
            int x2 = HasSelection() ? offsetOf(mHilitePos) : x1 + 2;
            // Off phase of the blink: the caret at the cursor's end of the selection goes.
            if (!mShowingCursor)
                x1 += 2;
            const int limit = std::max(0, mWidth - 8);
            x1 = std::clamp(x1, 0, limit);
            x2 = std::clamp(x2, 0, limit);
            const int clipX = std::min(x1, x2) + 4;
            const int clipY = (mHeight - font->GetHeight()) / 2;
            copy->ClipRect(clipX, clipY, std::abs(x2 - x1), font->GetHeight());
            if (emphasis) {
                copy->SetColor(GetColor(COLOR_HILITE));
                copy->FillRect(clipX, clipY, std::abs(x2 - x1), font->GetHeight());
                selected = true;
            }
        }
        copy->SetColor(GetColor(selected ? COLOR_HILITE_TEXT : COLOR_TEXT));
        copy->DrawString(visible, 4, textY);
    }

    g->SetColor(GetColor(COLOR_OUTLINE));
    if (mDrawFrame)
        g->DrawRect(0, 0, mWidth - 1, mHeight - 1);
}

} // namespace Quor
