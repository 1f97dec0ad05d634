// Golden scenes: whole pictures drawn through the drawing context into a memory image and
// compared pixel for pixel with PNG files under tests/data. Set QUOR_UPDATE_GOLDEN=1 to
// rewrite the files after a deliberate change, then look at them before committing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "app/QuorAppBase.h"
#include "graphics/Graphics.h"
#include "graphics/Matrix.h"
#include "graphics/MemoryImage.h"
#include "graphics/SWTri.h"
#include "tests/support/GoldenImage.h"
#include "tests/support/TestSupport.h"

using namespace Quor;

namespace {

constexpr int kW = 96;
constexpr int kH = 72;

void MakeSprite(MemoryImage& img)
{
    std::vector<uint32_t> px = quortest::SpritePixels16();
    img.SetBits(px.data(), 16, 16, true);
}

// An opaque 12 x 9 frame picture for the nine-cell box and the stretches.
void MakeFrame(MemoryImage& img)
{
    std::vector<uint32_t> px(12 * 9);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 12; ++x) {
            bool edge = x < 4 || x >= 8 || y < 3 || y >= 6;
            px[y * 12 + x] = edge ? 0xFF000000 | (uint32_t(60 + x * 15) << 16) | (uint32_t(30 + y * 20) << 8) | 0x20
                                  : 0xFFE0E0A0;
        }
    img.SetBits(px.data(), 12, 9, true);
}

void Background(MemoryImage& dest)
{
    std::vector<uint32_t> px(kW * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            px[y * kW + x] = 0xFF000000 | (uint32_t(x * 2) << 16) | (uint32_t(y * 3) << 8) | 0x30;
    dest.SetBits(px.data(), kW, kH, true);
}

void FillsAndLines(Graphics& g)
{
    g.SetColor(Color(230, 40, 40));
    g.FillRect(4, 4, 20, 12);
    g.SetColor(Color(40, 90, 240, 120));
    g.FillRect(14, 8, 20, 14);
    g.SetColor(Color(255, 255, 0));
    g.DrawRect(40, 4, 18, 10);
    g.PushState();
    g.SetClipRect(44, 0, 30, 30);
    g.SetColor(Color(0, 255, 255, 160));
    g.DrawRect(36, 18, 24, 8); // crosses the clip: four cut fills
    g.PopState();
    g.SetColor(Color::White);
    g.DrawLine(2, 70, 60, 30);
    g.DrawLine(70, 2, 90, 60);
    g.SetColor(Color(255, 120, 0, 100));
    g.DrawLine(-20, 40, 120, 55);
    g.SetDrawMode(Graphics::DRAWMODE_ADDITIVE);
    g.SetColor(Color(0, 200, 90, 200));
    g.DrawLine(10, 60, 94, 20);
    g.SetDrawMode(Graphics::DRAWMODE_NORMAL);
    g.mDestImage->DrawLineAA(5.5, 30.25, 50.75, 48.5, Color(255, 255, 255, 220), 0);
    g.mDestImage->DrawLineAA(80.3, 10.6, 66.2, 69.9, Color(255, 60, 200), 0);
    Span spans[] = {{62, 4, 30}, {63, 4, 30}, {64, 6, 26}};
    std::vector<uint8_t> cover(30 * 3);
    for (size_t i = 0; i < cover.size(); ++i)
        cover[i] = static_cast<uint8_t>(i * 9);
    g.mDestImage->FillScanLinesWithCoverage(spans, 3, Color(250, 250, 250, 230), 0, cover.data(),
                                            4, 62, 30, 3);
}

void Blits(Graphics& g)
{
    MemoryImage sprite(nullptr);
    MakeSprite(sprite);
    MemoryImage frame(nullptr);
    MakeFrame(frame);
    MemoryImage palette(nullptr);
    MakeSprite(palette); // 256 pixels: always fits a palette
    EXPECT_TRUE(palette.Palletize());

    g.DrawImage(&sprite, 2, 2);
    g.DrawImage(&sprite, -6, 30);  // cut on the left
    g.DrawImage(&sprite, 88, 64);  // cut on the right and bottom
    g.DrawImage(&palette, 20, 2);
    g.SetColorizeImages(true);
    g.SetColor(Color(255, 160, 60));
    g.DrawImage(&sprite, 38, 2);
    g.SetColor(Color(128, 128, 128, 200));
    g.DrawImage(&sprite, 56, 2);
    g.SetDrawMode(Graphics::DRAWMODE_ADDITIVE);
    g.SetColor(Color(255, 255, 255));
    g.DrawImage(&sprite, 74, 2);
    g.SetColor(Color(90, 255, 120, 180));
    g.DrawImage(&palette, 74, 20);
    g.SetDrawMode(Graphics::DRAWMODE_NORMAL);
    g.SetColorizeImages(false);
    g.DrawImageRegion(&sprite, 2, 22, Rect(4, 4, 8, 8));
    sprite.mNumCols = 2;
    sprite.mNumRows = 2;
    g.DrawImageCel(&sprite, 14, 22, 3);
    g.DrawImageBox(Rect(24, 24, 44, 26), &frame);
    g.PushState();
    g.Translate(4, 0);
    g.ClipRect(60, 40, 30, 20);
    g.DrawImageBox(Rect(66, 42, 25, 27), &frame);
    g.PopState();
    MemoryImage clearDest(nullptr);
    clearDest.Create(20, 14);
    Graphics cg(&clearDest);
    cg.DrawImage(&sprite, 2, 0);
    g.DrawImage(&clearDest, 2, 56);
}

void Transforms(Graphics& g)
{
    MemoryImage sprite(nullptr);
    MakeSprite(sprite);
    MemoryImage frame(nullptr);
    MakeFrame(frame);

    g.DrawImageStretched(&frame, 2, 2, 30, 20);          // smooth, enlarging
    g.DrawImageStretched(&sprite, 34, 2, 9, 7);          // smooth, shrinking
    g.SetFastStretch(true);
    g.DrawImageStretched(&sprite, 46, 2, 24, 20);        // nearest pixel
    g.SetFastStretch(false);
    g.PushState();
    g.SetScale(1.5f, 1.5f, 0, 0);
    g.DrawImage(&sprite, 50, 2);                         // scaled region
    g.PopState();
    g.DrawImageRotated(&sprite, 4, 26, 8, 8, nullptr, std::numbers::pi / 6);
    g.SetColorizeImages(true);
    g.SetColor(Color(255, 200, 120, 190));
    g.DrawImageRotated(&sprite, 24, 26, 8, 8, nullptr, -1.1);
    g.SetColorizeImages(false);
    g.DrawImageF(&sprite, 44.4f, 26.7f, Rect(0, 0, 16, 16));
    g.SetDrawMode(Graphics::DRAWMODE_ADDITIVE);
    g.DrawImageRotated(&sprite, 62, 26, 3, 12, nullptr, 2.4);
    g.SetDrawMode(Graphics::DRAWMODE_NORMAL);

    // Through the rasterizer: a turned, scaled and tinted sprite, and a fan of triangles.
    Transform2D t;
    t.Scale(1.6f, 1.2f);
    t.Rotate(0.4f);
    g.SetColorizeImages(true);
    g.SetColor(Color(255, 255, 255, 230));
    g.DrawImageTransform(&sprite, t, 18, 58);
    Transform2D mirror;
    mirror.Scale(-1, 1);
    g.DrawImageTransform(&sprite, mirror, 44, 58);
    Transform2D wide;
    wide.Scale(-2, 1.5f);                                // negative width, normalised
    g.DrawImageTransform(&sprite, wide, 70, 58);
    TriVertex tris[2][3] = {
        {{80, 44, 0, 0, 0}, {95, 50, 1, 0, 0}, {84, 70, 0.5f, 1, 0}},
        {{80, 44, 0, 0, 0}, {84, 70, 0.5f, 1, 0}, {70, 66, 0, 1, 0}},
    };
    g.mDestImage->BltTriangles(&sprite, tris, 2, g.mClipRect, Color(200, 255, 255, 240), 0, 0, 0,
                               false);
}

struct Scene {
    const char* file;
    std::function<void(Graphics&)> draw;
};

TEST(DrawingSceneTest, GoldenScenes)
{
    SWTri_RegisterFillers();
    QuorAppBase app;
    const Scene scenes[] = {
        {"scene_fills_lines.png", FillsAndLines},
        {"scene_blits.png", Blits},
        {"scene_transforms.png", Transforms},
    };
    for (const Scene& s : scenes) {
        SCOPED_TRACE(s.file);
        MemoryImage dest(&app);
        Background(dest);
        Graphics g(&dest);
        s.draw(g);
        const uint32_t* bits = dest.GetBits();
        std::vector<uint32_t> got(bits, bits + kW * kH);
        EXPECT_EQ(bits[kW * kH], MEMORYIMAGE_SENTINEL);
        EXPECT_EQ(quortest::CompareWithGolden(quortest::DataFile(s.file), got, kW, kH), "");
    }
    ClearTriangleSpanFillers();
}

} // namespace
