// Pictures the shaping and glaze games read by path, written loose into the test folder (each
// a flat colour with a dark border, the puzzle picture in nine differently coloured tiles,
// wheels with a spoke so that their turn shows).
#pragma once

#include "tests/support/ResourceFixtures.h"
#include "tests/support/TestSupport.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace quortest {

inline void WriteLoosePicture(const std::string& path, int w, int h, const std::function<uint32_t(int, int)>& pixel)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFile(path, PngBytes(w, h, pixel));
}

// A flat picture of the colour with a two-pixel dark border.
inline void WriteFlatPicture(const std::string& path, int w, int h, uint32_t colour)
{
    WriteLoosePicture(path, w, h, [=](int x, int y) {
        return (x < 2 || y < 2 || x >= w - 2 || y >= h - 2) ? 0xFF202020u : colour;
    });
}

inline void WriteWheel(const std::string& path)
{
    WriteLoosePicture(path, 176, 176, [](int x, int y) {
        const int dx = x - 88, dy = y - 88;
        if (dx * dx + dy * dy > 86 * 86)
            return 0u;
        return (std::abs(dx) < 6 || dx * dx + dy * dy > 76 * 76) ? 0xFF303030u : 0xFF909090u;
    });
}

// The product's puzzle picture: nine tiles of their own colour, each with a stripe as wide as
// its home cell's number, so that a misplaced tile shows.
inline void WritePuzzlePicture(const std::string& path)
{
    WriteLoosePicture(path, 168, 168, [](int x, int y) {
        const int home = (y / 56) * 3 + x / 56;
        const int lx = x % 56, ly = y % 56;
        if (lx < 2 || ly < 2)
            return 0xFF101010u;
        if (ly > 40 && ly < 48 && lx > 6 && lx < 6 + 5 * (home + 1))
            return 0xFFFFFFFFu;
        return 0xFF000000u | uint32_t(40 + home * 24) << 16 | uint32_t(220 - home * 20) << 8 | uint32_t(90 + (home % 3) * 60);
    });
}

// The common pictures of the two games: wheels, the product frame and the result's stars.
inline void WriteSharedMiniGamePictures()
{
    for (int i = 0; i < 3; ++i)
        WriteWheel("images/mg_4/wheel_" + std::to_string(i) + ".png");
    WriteFlatPicture("images/mg_2/ui_product.png", 214, 228, 0x60E0D0B0u);
    const uint32_t stars[] = {0xFF808080u, 0xFFC08040u, 0xFFD0D0E0u, 0xFFF0D020u};
    for (int i = 0; i < 4; ++i)
        WriteFlatPicture("images/mg_main/star" + std::to_string(i) + ".png", 70, 70, stars[i]);
}

inline void WriteShapingPictures(int product)
{
    WriteSharedMiniGamePictures();
    WritePuzzlePicture("images/mg_2/p" + std::to_string(product) + ".png");
    WriteFlatPicture("images/mg_2/ui_bg.png", 840, 600, 0x40F0E0C0u);
    WriteFlatPicture("images/mg_2/ui_score.png", 150, 20, 0xFF30C030u);
    WriteFlatPicture("images/mg_2/ui_score_bg.png", 150, 20, 0xFF304030u);
    WriteFlatPicture("images/mg_2/ui_sample.png", 214, 214, 0xFFE8E0D0u);
    WriteFlatPicture("images/mg_2/clock.png", 164, 164, 0xFFF0F0F0u);
    WriteFlatPicture("images/mg_4/clock_pin.png", 18, 80, 0xFFC02020u);
    WriteFlatPicture("images/mg_2/ui_active.png", 56, 56, 0x80FFFF00u);
    WriteFlatPicture("images/mg_main/result_shape.png", 120, 50, 0xFF6080C0u);
}

} // namespace quortest

namespace quortest {

// Glaze Selection's pictures: glazes 1-36 as coloured drops, the product's four pictures of
// every set, the bowls, the chance box and the memory sign.
inline void WriteGlazePictures()
{
    WriteSharedMiniGamePictures();
    for (int glaze = 1; glaze <= 36; ++glaze) {
        const uint32_t colour = 0xFF000000u | uint32_t((glaze * 67) % 256) << 16 | uint32_t((glaze * 139) % 256) << 8 |
                                uint32_t((glaze * 29) % 256);
        WriteLoosePicture("images/mg_1/s_" + std::to_string(glaze) + ".png", 56, 56, [=](int x, int y) {
            const int dx = x - 28, dy = y - 28;
            return dx * dx + dy * dy < 26 * 26 ? colour : 0u;
        });
    }
    for (int set = 0; set < 16; ++set) {
        const std::string stem = "images/mg_6/pd" + std::to_string(set);
        WriteLoosePicture(stem + "_bg.png", 200, 200, [](int x, int y) {
            const int dx = x - 100, dy = y - 110;
            return dx * dx + dy * dy < 80 * 80 ? 0xFFF0F0E8u : 0u;
        });
        const uint32_t stages[] = {0xC0D04040u, 0xC040A040u, 0xC04040D0u};
        for (int stage = 1; stage <= 3; ++stage)
            WriteLoosePicture(stem + "_" + std::to_string(stage) + ".png", 200, 200, [=](int x, int y) {
                const int dx = x - 100, dy = y - 110;
                const int r = dx * dx + dy * dy;
                return r < (90 - 20 * stage) * (90 - 20 * stage) && r >= (70 - 20 * stage) * (70 - 20 * stage)
                           ? stages[stage - 1]
                           : 0u;
            });
    }
    WriteFlatPicture("images/mg_6/ui_bg.png", 840, 600, 0x40D0E0F0u);
    WriteFlatPicture("images/mg_main/result_color.png", 120, 50, 0xFFC06080u);
    const uint32_t bowls[] = {0xFF8B5A2Bu, 0xFF6B4A3Bu, 0xFF9B6A1Bu};
    for (int i = 0; i < 3; ++i)
        WriteFlatPicture("images/mg_6/bowl" + std::to_string(i + 1) + ".png", 84, 80, bowls[i]);
    WriteFlatPicture("images/mg_6/BowlWrong.png", 40, 40, 0xFFB02020u);
    WriteFlatPicture("images/mg_6/txt_mem.png", 300, 60, 0xFFF0F060u);
}

} // namespace quortest
