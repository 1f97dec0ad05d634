// The font interface every text call goes through: four metrics, measuring and drawing of
// narrow (one byte a character) and wide strings, and copying.
#pragma once

#include <string>

#include "graphics/Color.h"
#include "graphics/Rect.h"

namespace Quor {

class Graphics;

class Font {
public:
    int mAscent = 0;
    int mAscentPadding = 0;  // the part of the ascent that is empty space above the glyphs
    int mHeight = 0;
    int mLineSpacingOffset = 0;

    Font() = default;
    Font(const Font& theFont) = default;
    Font& operator=(const Font&) = delete;
    virtual ~Font() = default;

    virtual int GetAscent() { return mAscent; }
    virtual int GetAscentPadding() { return mAscentPadding; }
    virtual int GetDescent() { return mHeight - mAscent; }
    virtual int GetHeight() { return mHeight; }
    virtual int GetLineSpacingOffset() { return mLineSpacingOffset; }
    virtual int GetLineSpacing() { return mHeight + mLineSpacingOffset; }
    virtual int StringWidth(const std::string& theString)
    {
        (void)theString;
        return 0;
    }
    virtual int CharWidth(char theChar) { return StringWidth(std::string(1, theChar)); }
    virtual int CharWidthKern(char theChar, char thePrevChar)
    {
        (void)thePrevChar;
        return CharWidth(theChar);
    }
    // (theX, theY) is the left end of the baseline, in the context's coordinates.
    virtual void DrawString(Graphics* g, int theX, int theY, const std::string& theString,
                            const Color& theColor, const Rect& theClipRect)
    {
        (void)g, (void)theX, (void)theY, (void)theString, (void)theColor, (void)theClipRect;
    }
    virtual void DrawWideString(Graphics* g, int theX, int theY, const std::wstring& theString,
                                const Color& theColor, const Rect& theClipRect)
    {
        (void)g, (void)theX, (void)theY, (void)theString, (void)theColor, (void)theClipRect;
    }
    // A new font like this one, owned by the caller.
    virtual Font* Duplicate() = 0;
};

} // namespace Quor
