// The font drawn by the system's font engine: a face name, a point size (at 96 dots per inch)
// and bold, italic and underline. Text is measured by the engine and drawn as an image whose
// alpha is the glyphs' coverage.
#pragma once

#include <string>

#include "graphics/Font.h"

namespace plat {
class TextFont;
}

namespace Quor {

class QuorAppBase;

class SysFont : public Font {
public:
    QuorAppBase* mApp = nullptr;
    plat::TextFont* mHFont = nullptr;  // owned
    bool mDrawShadow = false;          // a black copy one pixel down and to the right
    bool mSimulateBold = false;        // the text drawn again one pixel to the right

    // For the program's application object.
    SysFont(const std::string& theFace, int thePointSize, bool bold = false, bool italics = false,
            bool underline = false);
    // Neither bold, italic nor underlined. The character set is that of the narrow text
    // (Windows-1252) whatever is passed.
    SysFont(QuorAppBase* theApp, const std::string& theFace, int thePointSize, int theCharSet);
    SysFont(const SysFont& theSysFont);
    ~SysFont() override;

    int StringWidth(const std::string& theString) override;
    // (theX, theY) is the left end of the baseline. On a memory image the context's
    // translation, clip and draw mode apply; on a display surface the text stands one pixel
    // lower and only the clip rectangle given cuts it.
    void DrawString(Graphics* g, int theX, int theY, const std::string& theString,
                    const Color& theColor, const Rect& theClipRect) override;
    void DrawWideString(Graphics* g, int theX, int theY, const std::wstring& theString,
                        const Color& theColor, const Rect& theClipRect) override;
    // A copy without shadow and doubled stroke.
    Font* Duplicate() override;

private:
    void Init(QuorAppBase* theApp, const std::string& theFace, int thePointSize, bool bold,
              bool italics, bool underline);
    // Renders the text on a white and a black sheet and draws the colour and alpha they give.
    template <typename Str>
    void DrawText(Graphics* g, int theX, int theY, const Str& theString, const Color& theColor,
                  int theWidth, const Rect& theClipRect);
};

} // namespace Quor
