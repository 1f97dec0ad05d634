// The widget's text operations: centred lines with and without a shadow, and coloured text
// with the context's coloured-strings flag switched on only for the call.
#include "TestFont.h"
#include "WidgetTestSupport.h"

#include "graphics/Graphics.h"

#include <gtest/gtest.h>

using namespace Quor;
using namespace widgettest;

TEST(WidgetText, CenteredLinesAndColouredText)
{
    RecordingImage screen(200, 100);
    TestFont font(&screen.mCalls);
    Widget w;
    w.Resize(0, 0, 100, 40);
    Graphics g(&screen);
    g.SetFont(&font);
    g.SetColor(Color(1, 2, 3));

    EXPECT_EQ(w.WriteCenteredText(&g, 20, "abc"), Rect(41, 11, 18, 12));
    EXPECT_EQ(w.WriteCenteredLine(&g, 20, "abc", Color(9, 9, 9), Color(0, 0, 0), Point{2, -1}),
              Rect(41, 10, 20, 13));
    EXPECT_EQ(Join(screen.mCalls),
              "text 'abc' 41,20 1,2,3,255 clip 0,0,200,100; "
              "text 'abc' 43,19 0,0,0,255 clip 0,0,200,100; "
              "text 'abc' 41,20 9,9,9,255 clip 0,0,200,100");

    screen.mCalls.clear();
    g.mWriteColoredString = false;
    w.WriteColoredString(&g, "^FF0000^ab", 0, 10);
    EXPECT_FALSE(g.mWriteColoredString);
    EXPECT_NE(Join(screen.mCalls).find("text 'ab' 0,10 255,0,0,255"), std::string::npos)
        << Join(screen.mCalls);

    // Without a font nothing is written.
    screen.mCalls.clear();
    g.SetFont(nullptr);
    w.WriteCenteredText(&g, 20, "abc");
    EXPECT_TRUE(screen.mCalls.empty());
}
