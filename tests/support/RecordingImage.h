// An image that records the drawing calls it receives, one line each, in destination
// coordinates after translation and clipping, with the colour and draw mode of the last call.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "graphics/Image.h"
#include "graphics/Matrix.h"

namespace quortest {

inline std::string R(const Quor::Rect& r)
{
    std::ostringstream s;
    s << r.mX << "," << r.mY << "," << r.mWidth << "," << r.mHeight;
    return s.str();
}

class RecordingImage : public Quor::Image {
public:
    using Color = Quor::Color;
    using Image = Quor::Image;
    using Rect = Quor::Rect;

    RecordingImage(int w, int h)
    {
        mWidth = w;
        mHeight = h;
    }
    std::vector<std::string> calls;
    Color lastColor;
    int lastMode = -1;

    void FillRect(const Rect& r, const Color& c, int mode) override
    {
        Note(c, mode);
        calls.push_back("FillRect " + R(r) + " m" + std::to_string(mode));
    }
    void DrawRect(const Rect& r, const Color& c, int mode) override
    {
        Note(c, mode);
        calls.push_back("DrawRect " + R(r));
    }
    void DrawLine(double x1, double y1, double x2, double y2, const Color& c, int mode) override
    {
        Note(c, mode);
        std::ostringstream s;
        s << "DrawLine " << x1 << "," << y1 << " " << x2 << "," << y2;
        calls.push_back(s.str());
    }
    void Blt(Image*, int x, int y, const Rect& src, const Color& c, int mode) override
    {
        Note(c, mode);
        calls.push_back("Blt " + std::to_string(x) + "," + std::to_string(y) + " src " + R(src) +
                        (c.IsWhite() ? "" : " coloured"));
    }
    void BltMirror(Image*, int x, int y, const Rect& src, const Color& c, int mode) override
    {
        Note(c, mode);
        calls.push_back("BltMirror " + std::to_string(x) + "," + std::to_string(y) + " src " +
                        R(src));
    }
    void BltF(Image*, float x, float y, const Rect& src, const Rect& clip, const Color& c,
              int mode) override
    {
        Note(c, mode);
        std::ostringstream s;
        s << "BltF " << x << "," << y << " src " << R(src) << " clip " << R(clip);
        calls.push_back(s.str());
    }
    void BltRotated(Image*, float x, float y, const Rect& src, const Rect&, const Color& c,
                    int mode, double rot, float cx, float cy) override
    {
        Note(c, mode);
        std::ostringstream s;
        s << "BltRotated " << x << "," << y << " src " << R(src) << " rot " << rot << " centre "
          << cx << "," << cy;
        calls.push_back(s.str());
    }
    void StretchBlt(Image*, const Rect& d, const Rect& src, const Rect& clip, const Color& c,
                    int mode, bool fast) override
    {
        Note(c, mode);
        calls.push_back("StretchBlt " + R(d) + " src " + R(src) + " clip " + R(clip) +
                        (fast ? " fast" : ""));
    }
    void StretchBltMirror(Image*, const Rect& d, const Rect& src, const Rect&, const Color& c,
                          int mode, bool) override
    {
        Note(c, mode);
        calls.push_back("StretchBltMirror " + R(d) + " src " + R(src));
    }
    void BltMatrix(Image*, float x, float y, const Quor::Matrix3& m, const Rect&, const Color& c,
                   int mode, const Rect& src, bool blend) override
    {
        Note(c, mode);
        std::ostringstream s;
        s << "BltMatrix " << x << "," << y << " m00 " << m.m[0][0] << " src " << R(src)
          << (blend ? " blend" : "");
        calls.push_back(s.str());
    }

private:
    void Note(const Color& c, int mode)
    {
        lastColor = c;
        lastMode = mode;
    }
};

} // namespace quortest
