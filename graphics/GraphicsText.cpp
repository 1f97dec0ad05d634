// The drawing context's text operations: plain strings through the font, text with inline
// colour codes and justification, and word-wrapped text inside a rectangle.
#include "graphics/Graphics.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "graphics/Font.h"

namespace Quor {

namespace {

// Widths add up in 64 bits; what goes back into an int saturates.
int Clamp(int64_t theValue)
{
    return static_cast<int>(std::clamp<int64_t>(theValue, INT_MIN, INT_MAX));
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

// The colour value of the six characters after a caret.
int CodeColor(const std::string& theString, size_t theAt, int theStartColor)
{
    if (theString.compare(theAt, 6, "oldclr") == 0)
        return theStartColor;
    if (theString[theAt] == 'o')
        return 0;
    int aValue = 0;
    for (size_t i = 0; i < 6; i++)
        aValue = (aValue << 4) | HexDigit(theString[theAt + i]);
    return aValue;
}

} // namespace

void Graphics::DrawString(const std::string& theString, int theX, int theY)
{
    if (mFont != nullptr)
        mFont->DrawString(this, theX, theY, theString, mColor, mClipRect);
}

int Graphics::DrawColorCodedText(const std::string& theString, int theX, int theY, int theWidth,
                                 int theJustification, bool drawString, int theStart,
                                 int theLength, int theStartColor)
{
    if (mFont == nullptr)
        return 0;
    if (theStartColor == -1)
        theStartColor = static_cast<int>(mColor.ToInt());

    if (drawString && (theJustification == 0 || theJustification == 1)) {
        int aMeasured = DrawColorCodedText(theString, theX, theY, theWidth, -1, false, theStart,
                                           theLength, theStartColor);
        if (theJustification == 0)
            theX = Clamp(theX + (int64_t(theWidth) - aMeasured) / 2);
        else
            theX = Clamp(theX + (int64_t(theWidth) - aMeasured));
    }

    const size_t aSize = theString.size();
    if (theStart < 0)
        theStart = 0;
    size_t aPos = static_cast<size_t>(theStart);
    if (aPos > aSize)
        aPos = aSize;
    size_t anEnd = aSize;
    if (theLength >= 0 && aPos + static_cast<size_t>(theLength) <= aSize)
        anEnd = aPos + static_cast<size_t>(theLength);

    std::string aPiece;
    int64_t anAdvance = 0;
    while (aPos < anEnd) {
        char c = theString[aPos];
        if (c != '^' || !mWriteColoredString) {
            aPiece += c;
            aPos++;
            continue;
        }
        if (aPos + 1 < anEnd && theString[aPos + 1] == '^') {
            aPiece += '^';
            aPos += 2;
            continue;
        }
        if (anEnd - aPos < 8)
            break;
        int aColor = CodeColor(theString, aPos + 1, theStartColor);
        if (drawString) {
            DrawString(aPiece, Clamp(theX + anAdvance), theY);
            SetColor(Color((aColor >> 16) & 0xFF, (aColor >> 8) & 0xFF, aColor & 0xFF,
                           mColor.mAlpha));
        }
        anAdvance += mFont->StringWidth(aPiece);
        aPiece.clear();
        aPos += 8;
    }
    if (drawString)
        DrawString(aPiece, Clamp(theX + anAdvance), theY);
    return Clamp(anAdvance + mFont->StringWidth(aPiece));
}

int Graphics::DrawTextPiece(const std::string& theString, int theStart, int theLength,
                            int theLimit, int theX, int theY, int theWidth, int theJustification,
                            int theStartColor)
{
    if (theLength < 0 || theLength > theLimit - theStart)
        theLength = theLimit - theStart;
    if (theLength <= 0)
        return -1;
    return DrawColorCodedText(theString, theX, theY, theWidth, theJustification, true, theStart,
                              theLength, theStartColor);
}

int Graphics::DrawWrappedText(const std::string& theString, const Rect& theRect,
                              int theLineSpacing, int theJustification)
{
    if (mFont == nullptr)
        return 0;
    const Color anOrigColor = mColor;
    uint32_t aPacked = mColor.ToInt();
    if ((aPacked & 0xFF000000u) == 0xFF000000u)
        aPacked &= 0x00FFFFFFu; // an opaque white must not read as -1
    const int aStartColor = static_cast<int>(aPacked);
    if (theLineSpacing == -1)
        theLineSpacing = mFont->GetLineSpacing();
    int anOffset = mFont->GetAscent() - mFont->GetAscentPadding();

    const int aSize = static_cast<int>(theString.size());
    int aLineStart = 0;
    int64_t aCurWidth = 0;
    int aBreak = -1;
    char aPrev = 0;
    int i = 0;
    while (i < aSize) {
        const int aCharPos = i;
        char c = theString[i];
        bool measure = true;
        if (c == '^' && mWriteColoredString) {
            if (i + 1 < aSize && theString[i + 1] == '^') {
                i++; // the pair counts as one caret
            } else if (i + 1 < aSize) {
                // A colour code: skipped unmeasured, never past the end of the text.
                i = std::min(i + 8, aSize);
                continue;
            }
        } else if (c == ' ') {
            aBreak = i;
        } else if (c == '\n') {
            aCurWidth = int64_t(theRect.mWidth) + 1;
            aBreak = i;
            measure = false;
        }
        if (measure) {
            aCurWidth += mFont->CharWidthKern(c, aPrev);
            aPrev = c;
        }

        if (aCurWidth <= theRect.mWidth) {
            i++;
            continue;
        }

        int aResume;
        if (aBreak != -1) {
            int aBaseline = static_cast<int>(mTransY + static_cast<float>(theRect.mY + anOffset));
            if (aBaseline >= mClipRect.mY &&
                aBaseline < mClipRect.mY + mClipRect.mHeight + theLineSpacing)
                DrawTextPiece(theString, aLineStart, aBreak - aLineStart, aSize, theRect.mX,
                              theRect.mY + anOffset, theRect.mWidth, theJustification,
                              aStartColor);
            aResume = aBreak + 1;
            if (theString[aBreak] != '\n')
                while (aResume < aSize && theString[aResume] == ' ')
                    aResume++;
        } else {
            int aLineEnd = std::max(aCharPos, aLineStart + 1);
            aLineEnd = std::min(aLineEnd, aSize);
            if (DrawTextPiece(theString, aLineStart, aLineEnd - aLineStart, aSize, theRect.mX,
                              theRect.mY + anOffset, theRect.mWidth, theJustification,
                              aStartColor) == -1) {
                aLineStart = aSize;
                break;
            }
            aResume = aLineEnd;
        }
        anOffset += theLineSpacing;
        aLineStart = aResume;
        i = aResume;
        aCurWidth = 0;
        aBreak = -1;
        aPrev = 0;
    }

    if (aLineStart < aSize) {
        if (DrawTextPiece(theString, aLineStart, aSize - aLineStart, aSize, theRect.mX,
                          theRect.mY + anOffset, theRect.mWidth, theJustification,
                          aStartColor) != -1)
            anOffset += theLineSpacing;
    } else if (aSize > 0 && theString[aSize - 1] == '\n') {
        anOffset += theLineSpacing;
    }

    SetColor(anOrigColor);
    return anOffset - theLineSpacing + mFont->GetDescent();
}

int Graphics::DrawWrappedTextAt(const std::string& theString, int theX, int theY, int theWidth,
                                int theLineSpacing, int theJustification)
{
    if (mFont == nullptr)
        return 0;
    Rect aRect(theX, theY - mFont->GetAscent() + mFont->GetAscentPadding(), theWidth, 0);
    return DrawWrappedText(theString, aRect, theLineSpacing, theJustification);
}

int Graphics::GetWrappedTextHeight(const std::string& theString, int theWidth,
                                   int theLineSpacing)
{
    Graphics aGraphics;
    aGraphics.SetFont(mFont);
    return aGraphics.DrawWrappedText(theString, Rect(0, 0, theWidth, 0), theLineSpacing, -1);
}

} // namespace Quor
