#include "tests/support/GoldenImage.h"

#include "graphics/MemoryImage.h"
#include "widgets/WidgetManager.h"

#include <png.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace quortest {

// 0xAARRGGBB words are B, G, R, A bytes in memory on the little-endian machines we build on.
bool WritePng(const std::string& path, const std::vector<uint32_t>& px, int w, int h)
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_BGRA;
    return png_image_write_to_file(&image, path.c_str(), 0, px.data(), 0, nullptr) != 0;
}

bool ReadPng(const std::string& path, std::vector<uint32_t>& px, int& w, int& h)
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_BGRA;
    w = static_cast<int>(image.width);
    h = static_cast<int>(image.height);
    px.assign(static_cast<size_t>(w) * h, 0);
    return png_image_finish_read(&image, nullptr, px.data(), 0, nullptr) != 0;
}

std::string CompareWithGolden(const std::string& path, const std::vector<uint32_t>& px, int w, int h)
{
    if (std::getenv("QUOR_UPDATE_GOLDEN") != nullptr) {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
        if (!WritePng(path, px, w, h))
            return "cannot write " + path;
    }
    std::vector<uint32_t> want;
    int ww = 0, wh = 0;
    if (!ReadPng(path, want, ww, wh))
        return "cannot read " + path;
    if (ww != w || wh != h)
        return path + " is " + std::to_string(ww) + " x " + std::to_string(wh);
    size_t differing = 0, first = 0;
    for (size_t i = 0; i < px.size(); ++i)
        if (px[i] != want[i] && differing++ == 0)
            first = i;
    if (differing == 0)
        return "";
    char line[160];
    std::snprintf(line, sizeof line, "%zu pixels differ, the first at %zu,%zu: got %08x, want %08x", differing,
                  first % size_t(w), first / size_t(w), px[first], want[first]);
    return line;
}

std::vector<uint32_t> DrawWholeScreen(Quor::WidgetManager& widgets)
{
    Quor::MemoryImage image;
    image.Create(1024, 768);
    widgets.mImage = &image;
    widgets.SetDirtyFull();
    widgets.DrawScreen();
    widgets.mImage = nullptr;
    std::vector<uint32_t> pixels(image.GetBits(), image.GetBits() + 1024 * 768);
    for (uint32_t& p : pixels)
        p |= 0xFF000000u;
    return pixels;
}

std::vector<uint32_t> SpritePixels16()
{
    std::vector<uint32_t> px(16 * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            double d = std::hypot(x - 7.5, y - 7.5);
            int a = d < 5 ? 255 : d < 8 ? static_cast<int>((8 - d) / 3 * 255) : 0;
            if (x >= 10 && y < 5)
                a = 0;
            uint32_t r = 40 + x * 13, g = 200 - y * 9, b = 90 + (x ^ y) * 6;
            px[y * 16 + x] = (uint32_t(a) << 24) | (r << 16) | (g << 8) | b;
        }
    return px;
}

} // namespace quortest
