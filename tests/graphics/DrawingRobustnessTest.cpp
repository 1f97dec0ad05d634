// Random draws with wild arguments on small images: whatever is asked, drawing stays inside
// the destination's pixels and reads only inside the source's (the sanitizers watch the rest).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "graphics/Graphics.h"
#include "graphics/Matrix.h"
#include "graphics/MemoryImage.h"
#include "graphics/SWTri.h"

using namespace Quor;

namespace {

TEST(DrawingRobustnessTest, RandomDrawsStayInsideTheImages)
{
    SWTri_RegisterFillers();
    std::mt19937 rng(12345);
    auto num = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    auto real = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
    const double wild[] = {std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(), -1e12, 1e12, -0.0};
    auto coord = [&]() -> double { return num(0, 30) == 0 ? wild[num(0, 4)] : real(-40, 60); };
    auto rect = [&]() { return Rect(num(-30, 40), num(-30, 40), num(-10, 60), num(-10, 60)); };
    auto color = [&]() { return Color(num(-20, 300), num(0, 255), num(0, 255), num(-5, 260)); };

    std::vector<uint32_t> srcPx(9 * 7);
    for (uint32_t& p : srcPx)
        p = static_cast<uint32_t>(rng());
    MemoryImage src(nullptr);
    src.SetBits(srcPx.data(), 9, 7, true);
    MemoryImage palette(nullptr);
    std::vector<uint32_t> palPx(9 * 7);
    for (size_t i = 0; i < palPx.size(); ++i)
        palPx[i] = srcPx[i % 5];
    palette.SetBits(palPx.data(), 9, 7, true);
    ASSERT_TRUE(palette.Palletize());

    for (int round = 0; round < 3000; ++round) {
        MemoryImage dest(nullptr);
        int w = num(1, 13), h = num(1, 11);
        std::vector<uint32_t> px(w * h, static_cast<uint32_t>(rng()));
        dest.SetBits(px.data(), w, h, true);
        if (num(0, 1))
            dest.SetAlphaFlags(false, false);
        Image* source = num(0, 3) == 0 ? static_cast<Image*>(&palette) : &src;
        Graphics g(&dest);
        g.Translate(num(-20, 20), num(-20, 20));
        g.SetColor(color());
        g.SetDrawMode(num(0, 2));
        g.SetColorizeImages(num(0, 1));
        g.SetFastStretch(num(0, 1));
        if (num(0, 3) == 0)
            g.SetScale(static_cast<float>(real(-3, 3)), static_cast<float>(real(-3, 3)),
                       static_cast<float>(real(-5, 5)), static_cast<float>(real(-5, 5)));
        if (num(0, 2) == 0)
            g.ClipRect(num(-10, 20), num(-10, 20), num(-5, 30), num(-5, 30));

        switch (num(0, 13)) {
        case 0: g.FillRectByRect(rect()); break;
        case 1: g.DrawRect(num(-20, 30), num(-20, 30), num(-5, 40), num(-5, 40)); break;
        case 2: g.DrawLine(num(-50, 50), num(-50, 50), num(-50, 50), num(-50, 50)); break;
        case 3:
            dest.DrawLine(coord(), coord(), coord(), coord(), color(), num(0, 2));
            dest.DrawLineAA(coord(), coord(), coord(), coord(), color(), num(0, 1));
            break;
        case 4: g.DrawImage(source, num(-20, 20), num(-20, 20)); break;
        case 5: g.DrawImageRegion(source, num(-20, 20), num(-20, 20), rect()); break;
        case 6:
            dest.Blt(source, num(-20, 20), num(-20, 20), rect(), color(), num(0, 1));
            break;
        case 7:
            dest.StretchBlt(source, rect(), rect(), rect(), num(0, 1) ? Color::White : color(), 0,
                            num(0, 1));
            break;
        case 8:
            g.DrawImageStretchedRegion(source, rect(), rect());
            break;
        case 9:
            dest.BltRotated(source, static_cast<float>(coord()), static_cast<float>(coord()),
                            rect(), rect(), color(), num(0, 1), real(-7, 7),
                            static_cast<float>(real(-10, 10)), static_cast<float>(real(-10, 10)));
            break;
        case 10: {
            Transform2D t;
            t.Scale(static_cast<float>(real(-3, 3)), static_cast<float>(real(-3, 3)));
            if (num(0, 1))
                t.Rotate(static_cast<float>(real(-4, 4)));
            t.Translate(static_cast<float>(real(-9, 9)), static_cast<float>(real(-9, 9)));
            g.DrawImageTransformed(source, t, rect(), static_cast<float>(real(-20, 30)),
                                   static_cast<float>(real(-20, 30)), num(0, 1));
            break;
        }
        case 11: {
            Matrix3 m;
            m.LoadIdentity();
            m.Rotate(static_cast<float>(real(-4, 4)));
            m.Scale(static_cast<float>(real(-4, 4)), static_cast<float>(real(-4, 4)));
            dest.BltMatrix(source, static_cast<float>(coord()), static_cast<float>(coord()), m,
                           rect(), color(), 0, rect(), num(0, 1));
            break;
        }
        case 12: {
            TriVertex tri[1][3];
            for (TriVertex& v : tri[0])
                v = {static_cast<float>(coord()), static_cast<float>(coord()),
                     static_cast<float>(real(-2, 3)), static_cast<float>(real(-2, 3)), 0};
            dest.BltTriangles(source, tri, 1, rect(), color(), 0, static_cast<float>(real(-5, 5)),
                              static_cast<float>(real(-5, 5)), num(0, 1));
            break;
        }
        default: {
            Span spans[3] = {{num(-3, 12), num(-5, 15), num(-3, 20)},
                             {num(-3, 12), num(-5, 15), num(-3, 20)},
                             {num(-3, 12), num(-5, 15), num(-3, 20)}};
            std::vector<uint8_t> cover(6 * 4, static_cast<uint8_t>(rng()));
            dest.FillScanLinesWithCoverage(spans, 3, color(), 0, cover.data(), num(-3, 5),
                                           num(-3, 5), 6, 4);
            g.DrawImageBoxRegion(rect(), source, rect());
            break;
        }
        }
        ASSERT_EQ(dest.GetBits()[w * h], MEMORYIMAGE_SENTINEL) << "round " << round;
    }
    ClearTriangleSpanFillers();
}

} // namespace
