// Drawing context: translation, clipping, state stack and the calls each draw operation makes
// on its destination image.
#include "graphics/Graphics.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/Image.h"
#include "tests/support/RecordingImage.h"

using namespace Quor;
using quortest::R;
using quortest::RecordingImage;

namespace {

using Calls = std::vector<std::string>;

TEST(GraphicsTest, DefaultsAndStateStack)
{
    RecordingImage dest(40, 30);
    Graphics g(&dest);
    EXPECT_EQ(g.mClipRect, Rect(0, 0, 40, 30));
    EXPECT_EQ(g.GetColor(), Color(0, 0, 0, 255));
    EXPECT_EQ(g.GetDrawMode(), 0);
    EXPECT_TRUE(g.mWriteColoredString);

    Graphics none;
    EXPECT_EQ(none.mDestImage, &gEmptyImage);
    EXPECT_EQ(none.mClipRect, Rect(0, 0, 0, 0));

    g.PopState(); // empty stack: no change
    EXPECT_EQ(g.mClipRect, Rect(0, 0, 40, 30));
    g.PushState();
    g.Translate(5, 6);
    g.SetColor(Color(1, 2, 3, 4));
    g.ClipRect(0, 0, 10, 10);
    Graphics copy(g);
    EXPECT_EQ(copy.mClipRect, Rect(5, 6, 10, 10));
    copy.PopState(); // the copy has no saved states of its own
    EXPECT_EQ(copy.mTransX, 5.0f);
    g.PopState();
    EXPECT_EQ(g.mTransX, 0.0f);
    EXPECT_EQ(g.mClipRect, Rect(0, 0, 40, 30));
    EXPECT_EQ(g.GetColor(), Color(0, 0, 0, 255));

    Graphics* made = Graphics::Create(g);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->mDestImage, &dest);
    delete made;
}

TEST(GraphicsTest, ClipRectsAreTranslatedAndCut)
{
    RecordingImage dest(40, 30);
    Graphics g(&dest);
    g.Translate(10, 5);
    g.SetClipRect(20, 20, 50, 50);
    EXPECT_EQ(g.mClipRect, Rect(30, 25, 10, 5));
    g.ClipRect(-5, 22, 100, 100);
    EXPECT_EQ(g.mClipRect, Rect(30, 27, 10, 3));
    g.ClearClipRect();
    EXPECT_EQ(g.mClipRect, Rect(0, 0, 40, 30));
}

TEST(GraphicsTest, FillsAndOutlines)
{
    struct Case {
        const char* name;
        float tx, ty;
        Rect clip;
        int alpha;
        bool outline;
        Rect r;
        Calls expected;
    } cases[] = {
        {"transparent fill", 0, 0, Rect(0, 0, 40, 30), 0, false, Rect(1, 1, 5, 5), {}},
        {"fractional translation truncates", 0.7f, 0.7f, Rect(0, 0, 40, 30), 255, false,
         Rect(2, 2, 3, 3), {"FillRect 2,2,3,3 m0"}},
        {"fill cut to the clip", 0, 0, Rect(10, 10, 5, 5), 255, false, Rect(8, 12, 10, 10),
         {"FillRect 10,12,5,3 m0"}},
        {"fill outside the clip still calls", 0, 0, Rect(10, 10, 5, 5), 255, false,
         Rect(30, 0, 2, 2), {"FillRect 0,0,0,0 m0"}},
        {"transparent outline", 0, 0, Rect(0, 0, 40, 30), 0, true, Rect(1, 1, 5, 5), {}},
        {"outline inside", 2, 0, Rect(0, 0, 40, 30), 255, true, Rect(0, 0, 10, 10),
         {"DrawRect 2,0,10,10"}},
        {"outline crossing the clip", 0, 0, Rect(0, 0, 10, 10), 255, true, Rect(0, 0, 10, 10),
         {"FillRect 0,0,10,1 m0", "FillRect 0,10,10,0 m0", "FillRect 0,1,1,9 m0",
          "FillRect 10,1,0,9 m0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingImage dest(40, 30);
        Graphics g(&dest);
        g.mTransX = c.tx;
        g.mTransY = c.ty;
        g.mClipRect = c.clip;
        g.SetColor(Color(9, 9, 9, c.alpha));
        if (c.outline)
            g.DrawRect(c.r.mX, c.r.mY, c.r.mWidth, c.r.mHeight);
        else
            g.FillRectByRect(c.r);
        EXPECT_EQ(dest.calls, c.expected);
    }
}

TEST(GraphicsTest, LinesAreClipped)
{
    struct Case {
        int x1, y1, x2, y2;
        Calls expected;
    } cases[] = {
        {2, 2, 8, 5, {"DrawLine 2,2 8,5"}},
        {8, 5, 2, 2, {"DrawLine 2,2 8,5"}},             // upper point first
        {-10, 0, 10, 20, {"DrawLine 0,10 9,19"}},       // left and bottom edges (clip 20x20)
        {5, -5, 5, 30, {"DrawLine 5,0 5,19"}},          // vertical through both edges
        {25, 0, 30, 10, {}},                            // wholly right
        {-3, 4, -1, 9, {}},                             // wholly left
        {0, 25, 10, 21, {}},                            // wholly below
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2);
        RecordingImage dest(20, 20);
        Graphics g(&dest);
        g.DrawLine(c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(dest.calls, c.expected);
    }
}

TEST(GraphicsTest, ImageDraws)
{
    RecordingImage img(10, 8);
    img.mNumCols = 2;
    img.mNumRows = 2;
    struct Case {
        const char* name;
        std::function<void(Graphics&)> draw;
        Calls expected;
    } cases[] = {
        {"whole image cut by the clip", [&](Graphics& g) { g.DrawImage(&img, -3, 25); },
         {"Blt 0,25 src 3,0,7,5"}},
        {"region", [&](Graphics& g) { g.DrawImageRegion(&img, 4, 4, Rect(2, 1, 5, 5)); },
         {"Blt 4,4 src 2,1,5,5"}},
        {"region past the right edge", [&](Graphics& g) { g.DrawImageRegion(&img, 0, 0, Rect(6, 0, 5, 5)); },
         {}},
        {"region left of the image", [&](Graphics& g) { g.DrawImageRegion(&img, 0, 0, Rect(-1, 0, 5, 5)); },
         {}},
        {"region above the image", [&](Graphics& g) { g.DrawImageRegion(&img, 0, 0, Rect(0, -2, 5, 5)); },
         {}},
        {"scaled region", [&](Graphics& g) {
             g.SetScale(2, 2, 0, 0);
             g.DrawImageRegion(&img, 3, 3, Rect(3, 3, 5, 5));
         },
         {"StretchBlt 6,6,10,10 src 3,3,5,5 clip 0,0,40,30"}},
        {"mirror cut on the left", [&](Graphics& g) { g.DrawImageMirror(&img, -2, 0, Rect(1, 0, 6, 4)); },
         {"BltMirror 0,0 src 1,0,4,4"}},
        {"mirror left of the image", [&](Graphics& g) { g.DrawImageMirror(&img, 0, 0, Rect(-2, 0, 6, 4)); },
         {}},
        {"stretched region source cut to the image",
         [&](Graphics& g) { g.DrawImageStretchedRegion(&img, Rect(1, 2, 20, 20), Rect(-2, 4, 20, 20)); },
         {"StretchBlt 1,2,20,20 src 0,4,10,4 clip 0,0,40,30"}},
        {"mirror stretched", [&](Graphics& g) {
             g.SetFastStretch(true);
             g.DrawImageMirrorStretched(&img, Rect(1, 2, 20, 20), Rect(0, 0, 10, 8), true);
         },
         {"StretchBltMirror 1,2,20,20 src 0,0,10,8"}},
        {"float draw keeps the fraction", [&](Graphics& g) {
             g.Translate(1, 0);
             g.DrawImageF(&img, 0.25f, 0.5f, Rect(0, 0, 4, 4));
         },
         {"BltF 1.25,0.5 src 0,0,4,4 clip 0,0,40,30"}},
        {"cel", [&](Graphics& g) { g.DrawImageCel(&img, 0, 0, 3); }, {"Blt 0,0 src 5,4,5,4"}},
        {"cel outside the grid", [&](Graphics& g) { g.DrawImageCelAt(&img, 0, 0, 2, 0); }, {}},
        {"colorized", [&](Graphics& g) {
             g.SetColor(Color(10, 20, 30));
             g.SetColorizeImages(true);
             g.DrawImage(&img, 0, 0);
         },
         {"Blt 0,0 src 0,0,10,8 coloured"}},
        {"award background", [&](Graphics& g) { g.DrawRotatedAwardImage(&img, 0.5); },
         {"BltRotated -350,-350 src 0,0,10,8 rot 0.5 centre 5,4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingImage dest(40, 30);
        Graphics g(&dest);
        c.draw(g);
        EXPECT_EQ(dest.calls, c.expected);
    }
}

TEST(GraphicsTest, TransformedDraws)
{
    RecordingImage img(10, 6);
    struct Case {
        const char* name;
        std::function<void(Transform2D&)> make;
        bool subPixel;
        Calls expected;
    } cases[] = {
        {"plain, centred", [](Transform2D& t) { t.Translate(1, 0); }, false,
         {"Blt 16,17 src 0,0,10,6"}},
        {"plain, sub-pixel", [](Transform2D&) {}, true, {"BltF 15.5,17.5 src 0,0,10,6 clip 0,0,40,30"}},
        {"left-right mirror", [](Transform2D& t) { t.Scale(-1, 1); }, false,
         {"BltMirror 15,17 src 0,0,10,6"}},
        {"doubled, centred", [](Transform2D& t) { t.Scale(2, 2); }, false,
         {"StretchBlt 10,14,20,12 src 0,0,10,6 clip 0,0,40,30"}},
        {"rotated", [](Transform2D& t) { t.Rotate(0.25f); }, true,
         {"BltRotated 15.5,17.5 src 0,0,10,6 rot 0.25 centre 5,3"}},
        {"matrix form", [](Transform2D& t) {
             t.Scale(2, 2);
             t.Rotate(0.5f);
         },
         false, {"BltMatrix 20,20 m00 1.75517 src 0,0,10,6"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingImage dest(40, 30);
        Graphics g(&dest);
        Transform2D t;
        c.make(t);
        g.DrawImageTransformed(&img, t, Rect(0, 0, 10, 6), 20, 20, c.subPixel);
        EXPECT_EQ(dest.calls, c.expected);
    }
}

TEST(GraphicsTest, NineCellBox)
{
    RecordingImage img(10, 9);
    RecordingImage dest(60, 60);
    Graphics g(&dest);
    g.DrawImageBoxRegion(Rect(0, 0, 20, 9), &img, Rect(0, 0, 10, 9));
    // Corners 3 x 3, middle cells 4 x 3; 14 pixels of top edge take 4 tiles, the last cut.
    Calls expected = {
        "Blt 0,0 src 0,0,3,3",   "Blt 17,0 src 7,0,3,3",  "Blt 0,6 src 0,6,3,3",
        "Blt 17,6 src 7,6,3,3",  "Blt 3,0 src 3,0,4,3",   "Blt 3,6 src 3,6,4,3",
        "Blt 7,0 src 3,0,4,3",   "Blt 7,6 src 3,6,4,3",   "Blt 11,0 src 3,0,4,3",
        "Blt 11,6 src 3,6,4,3",  "Blt 15,0 src 3,0,2,3",  "Blt 15,6 src 3,6,2,3",
        "Blt 0,3 src 0,3,3,3",   "Blt 17,3 src 7,3,3,3",  "Blt 3,3 src 3,3,4,3",
        "Blt 7,3 src 3,3,4,3",   "Blt 11,3 src 3,3,4,3",  "Blt 15,3 src 3,3,2,3",
    };
    EXPECT_EQ(dest.calls, expected);
}

} // namespace
