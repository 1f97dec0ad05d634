// Text drawing speed: glyphs per second of a 40-character string drawn into a 640 x 480
// memory image with a one-layer image font, a three-layer image font (shadow, face, glow)
// and the system font (glyphs cached after the first draw). Compare the three rows.
#include <benchmark/benchmark.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <filesystem>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "BenchScratch.h"
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
    quorbench::ScratchDir mDir{"quor_bench_fonts_"};
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
        mWidthFile = mDir.File("widths.txt");
        FILE* f = std::fopen(mWidthFile.c_str(), "w");
        std::fprintf(f, "8 11\n");
        for (int c = 33; c < 127; c++)
            std::fprintf(f, "%c %d\n", c, w);
        std::fclose(f);
    }

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

// Reference for the image fonts: the same 40 glyph cells of the strip blitted one by one with
// the plain coloured blit, without any font bookkeeping.
void BM_ImageFontReference_CellBlits(benchmark::State& state)
{
    MemoryImage dest;
    dest.Create(640, 480);
    dest.GetBits();
    const int w = 9, h = 14;
    int y = 20;
    for (auto _ : state) {
        int x = 10;
        for (char c : kText40) {
            int cell = (c >= 32 && c < 127) ? c - 32 : 0;
            dest.Blt(&Strip().mImage, x, y, Rect(cell * w, 0, w, h), Color(250, 220, 40), 0);
            x += w;
        }
        y = y >= 460 ? 20 : y + 20;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kText40.size()));
}

// Reference for the system font: FreeType rendering the same string at the same size (12 points
// at 96 dpi) glyph by glyph, each coverage bitmap blended into a 32-bit picture.
void BM_SysFontReference_FreeType(benchmark::State& state)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0 ||
        FT_New_Face(library, "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf", 0, &face) != 0) {
        state.SkipWithError("no FreeType face");
        if (library)
            FT_Done_FreeType(library);
        return;
    }
    FT_Set_Char_Size(face, 0, 12 * 64, 96, 96);
    std::vector<uint32_t> dest(640 * 480, 0xFF000000);
    int y = 20;
    for (auto _ : state) {
        int x = 10;
        for (char c : kText40) {
            if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_RENDER) != 0)
                continue;
            const FT_Bitmap& bm = face->glyph->bitmap;
            int gx = x + face->glyph->bitmap_left, gy = y + 12 - face->glyph->bitmap_top;
            for (unsigned r = 0; r < bm.rows; r++)
                for (unsigned col = 0; col < bm.width; col++) {
                    int px = gx + int(col), py = gy + int(r);
                    if (px < 0 || py < 0 || px >= 640 || py >= 480)
                        continue;
                    uint32_t a = bm.buffer[r * unsigned(bm.pitch) + col];
                    uint32_t& d = dest[size_t(py) * 640 + size_t(px)];
                    uint32_t dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
                    dr += (250 - int(dr)) * int(a) / 255;
                    dg += (220 - int(dg)) * int(a) / 255;
                    db = uint32_t(int(db) + (40 - int(db)) * int(a) / 255);
                    d = 0xFF000000 | dr << 16 | dg << 8 | db;
                }
            x += int(face->glyph->advance.x >> 6);
        }
        y = y >= 460 ? 20 : y + 20;
    }
    benchmark::DoNotOptimize(dest.data());
    FT_Done_Face(face);
    FT_Done_FreeType(library);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kText40.size()));
}

} // namespace

BENCHMARK(BM_ImageFontOneLayer);
BENCHMARK(BM_ImageFontThreeLayers);
BENCHMARK(BM_SysFontCached);
BENCHMARK(BM_ImageFontReference_CellBlits);
BENCHMARK(BM_SysFontReference_FreeType);
