// Colour packing and rectangle intersection.
#include "graphics/Color.h"
#include "graphics/Rect.h"

#include <gtest/gtest.h>

using namespace Quor;

TEST(Color, PackingAndComparison)
{
    EXPECT_EQ(Color(), Color(0, 0, 0, 255));
    EXPECT_EQ(Color::FromARGB(0), Color(0, 0, 0, 255));
    EXPECT_EQ(Color::FromARGB(0x80FF0000u), Color(255, 0, 0, 128));
    EXPECT_EQ(Color::FromARGB(0x00123456u), Color(0x12, 0x34, 0x56, 255));
    EXPECT_EQ(Color::FromRGB(1, 2, 3), Color(1, 2, 3, 255));
    EXPECT_EQ(Color::FromRGBA(1, 2, 3, 4), Color(1, 2, 3, 4));
    EXPECT_EQ(Color::FromColorOpaque(Color(9, 8, 7, 6)), Color(9, 8, 7, 255));

    EXPECT_EQ(Color(255, 255, 255, 255).ToInt(), 0xFFFFFFFFu);
    EXPECT_EQ(Color(1, 2, 3, 0).ToInt(), 0x00010203u);
    EXPECT_EQ(Color(0x1FF, 0, 0, 0).ToInt(), 0x01FF0000u); // components are not masked

    EXPECT_TRUE(Color::White.IsWhite());
    EXPECT_FALSE(Color(255, 255, 255, 254).IsWhite());
    EXPECT_TRUE(Color(1, 2, 3, 4).NotEquals(Color(1, 2, 3, 5)));
    EXPECT_FALSE(Color(1, 2, 3, 4).NotEquals(Color(1, 2, 3, 4)));
    EXPECT_EQ(Color::Red.ToInt(), 0xFFFF0000u);
    EXPECT_EQ(Color::Green.ToInt(), 0xFF00FF00u);
    EXPECT_EQ(Color::Blue.ToInt(), 0xFF0000FFu);
    EXPECT_EQ(Color::Black.ToInt(), 0xFF000000u);
}

TEST(Rect, Intersection)
{
    struct Case {
        Rect a, b, result;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 10, 10}, {5, 5, 5, 5}},
        {{0, 0, 10, 10}, {10, 0, 5, 5}, {10, 0, 0, 5}}, // touching: zero width at the edge
        {{0, 0, 10, 10}, {11, 0, 5, 5}, {0, 0, 0, 0}},
        {{0, 0, 10, 10}, {0, 12, 5, 5}, {0, 0, 0, 0}},
        {{0, 0, 10, 10}, {2, 3, 4, 5}, {2, 3, 4, 5}},
        {{-5, -5, 10, 10}, {0, 0, 10, 10}, {0, 0, 5, 5}},
        {{0, 0, 2000000000, 10}, {1000000000, 0, 2000000000, 10}, {1000000000, 0, 1000000000, 10}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a.Intersection(c.b), c.result);
        EXPECT_EQ(c.b.Intersection(c.a), c.result);
    }
    EXPECT_EQ(RectD(0, 0, 1, 1).Intersection(RectD(0.5, 0.25, 1, 1)), RectD(0.5, 0.25, 0.5, 0.75));
    EXPECT_EQ(RectD(0, 0, 1, 1).Intersection(RectD(1.5, 0, 1, 1)), RectD());

    Rect r(2, 3, 4, 5);
    EXPECT_TRUE(r.Contains(2, 3));
    EXPECT_TRUE(r.Contains(5, 7));
    EXPECT_FALSE(r.Contains(6, 3));
    EXPECT_FALSE(r.Contains(2, 8));
}
