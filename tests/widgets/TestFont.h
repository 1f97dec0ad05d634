// A font for the widget tests: fixed advances (6 pixels, 'W' 10, '~' and '\x7F' 0 - characters
// the font does not draw), height 12, ascent 9, and a log of the strings it is asked to draw.
#pragma once

#include "graphics/Font.h"
#include "graphics/Graphics.h"

#include <string>
#include <vector>

namespace widgettest {

class TestFont : public Quor::Font {
public:
    explicit TestFont(std::vector<std::string>* log = nullptr, int ascentPadding = 0,
                      int lineSpacingOffset = 0)
        : mLog(log)
    {
        mAscent = 9;
        mHeight = 12;
        mAscentPadding = ascentPadding;
        mLineSpacingOffset = lineSpacingOffset;
    }

    static int Advance(char c)
    {
        if (c == '~' || c == '\x7F')
            return 0;
        return c == 'W' ? 10 : 6;
    }
    int StringWidth(const std::string& text) override
    {
        int width = 0;
        for (char c : text)
            width += Advance(c);
        return width;
    }
    void DrawString(Quor::Graphics* g, int x, int y, const std::string& text,
                    const Quor::Color& color, const Quor::Rect& clip) override
    {
        if (mLog == nullptr)
            return;
        mLog->push_back("text '" + text + "' " + std::to_string(x + int(g->mTransX)) + "," +
                        std::to_string(y + int(g->mTransY)) + " " + std::to_string(color.mRed) +
                        "," + std::to_string(color.mGreen) + "," + std::to_string(color.mBlue) +
                        "," + std::to_string(color.mAlpha) + " clip " + std::to_string(clip.mX) +
                        "," + std::to_string(clip.mY) + "," + std::to_string(clip.mWidth) + "," +
                        std::to_string(clip.mHeight));
    }
    Quor::Font* Duplicate() override { return new TestFont(*this); }

    std::vector<std::string>* mLog;
};

} // namespace widgettest
