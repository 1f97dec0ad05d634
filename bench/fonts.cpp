// Text drawing speed: glyphs per second of a 40-character string drawn into a 640 x 480
// memory image with a one-layer image font, a three-layer image font (shadow, face, glow)
// and the system font (glyphs cached after the first draw). Compare the three rows.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "graphics/Graphics.h"
#include "graphics/ImageFont.h"
#include "graphics/MemoryImage.h"
#include "graphics/SysFont.h"

using namespace Quor;

namespace {

const std::string kText40 = "The quick brown fox jumps over a lazy do"; // 40 characters

// 95 printable characters, 9 x 14 each, soft-edged, side by side; with their width file.
struct StripFont {
    MemoryImage mImage;
    std::string mWidthFile;
    StripFont()
    {
        const int w = 9, h = 14, n = 95;
        std::vector<uint32_t> bits(static_cast<size_t>(w * n) * h);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w * n; x++) {
                int gx = x % w;
                uint32_t a = (gx == 0 || gx == w - 1 || y == 0 || y == h - 1) ? 0x60
                             : ((gx + y) % 3 == 0)                               ? 0xFF
                                                                                : 0;
                bits[static_cast<size_t>(y) * w * n + x] = (a << 24) | 0xFFFFFF;
            }
        mImage.SetBits(bits.data(), w * n, h);
        mImage.Palletize();
        mWidthFile = (std::filesystem::temp_directory_path() / "quor_bench_widths.txt").string();
        FILE* f = std::fopen(mWidthFile.c_str(), "w");
        std::fprintf(f, "8 11\n");
        for (int c = 33; c < 127; c++)
            std::fprintf(f, "%c %d\n", c, w);
        std::fclose(f);
    }
    ~StripFont() { std::remove(mWidthFile.c_str()); }
};

StripFont& Strip()
{
    static StripFont strip;
    return strip;
}

void DrawLoop(benchmark::State& state, Font* font)
{
    MemoryImage dest;
    dest.Create(640, 480);
    dest.GetBits();
    Graphics g(&dest);
    g.SetFont(font);
    g.SetColor(Color(250, 220, 40));
    int y = 20;
    for (auto _ : state) {
        g.DrawString(kText40, 10, y);
        y = y >= 460 ? 20 : y + 20;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kText40.size()));
}

void BM_ImageFontOneLayer(benchmark::State& state)
{
    ImageFont font(&Strip().mImage, Strip().mWidthFile);
    DrawLoop(state, &font);
}

void BM_ImageFontThreeLayers(benchmark::State& state)
{
    ImageFont font(&Strip().mImage, Strip().mWidthFile);
    // A black shadow under the face and an additive glow over it, as a descriptor makes them.
    std::list<FontLayer>& layers = font.mFontData->mFontLayerList;
    FontLayer shadow(layers.front());
    shadow.mOffsetX = shadow.mOffsetY = 1;
    shadow.mColorMult = Color(0, 0, 0, 255);
    shadow.mBaseOrder = -1;
    FontLayer glow(layers.front());
    glow.mDrawMode = 1;
    glow.mColorMult = Color(128, 128, 128, 128);
    glow.mBaseOrder = 1;
    layers.push_back(shadow);
    layers.push_back(glow);
    font.SetPointSize(font.GetPointSize()); // rebuild the active layers
    DrawLoop(state, &font);
}

void BM_SysFontCached(benchmark::State& state)
{
    SysFont font("Arial", 12);
    DrawLoop(state, &font);
}

} // namespace

BENCHMARK(BM_ImageFontOneLayer);
BENCHMARK(BM_ImageFontThreeLayers);
BENCHMARK(BM_SysFontCached);
