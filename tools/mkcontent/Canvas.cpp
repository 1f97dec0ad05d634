// Drawing placeholder pictures and writing them as PNG.
#include "tools/mkcontent/Canvas.h"

#include <png.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

#include "platform/Text.h"
#include "tools/mkcontent/Table.h"

namespace mkcontent {

namespace {

// Fonts are made once for each face, size and weight and kept until the tool ends.
class FontCache {
public:
    ~FontCache() {
        for (auto& [key, font] : mFonts) plat::DestroyTextFont(font);
    }
    plat::TextFont* Get(const std::string& face, int size, bool bold) {
        std::lock_guard<std::mutex> guard(mLock);
        plat::TextFont*& font = mFonts[{face, size, bold}];
        if (font == nullptr) font = plat::CreateTextFont(face, size, bold, false, false);
        return font;
    }

private:
    std::mutex mLock;
    std::map<std::tuple<std::string, int, bool>, plat::TextFont*> mFonts;
};

plat::TextFont* FontFor(const std::string& face, int size, bool bold) {
    static FontCache cache;
    return cache.Get(face, size, bold);
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t bar = text.find('|', start);
        lines.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) return lines;
        start = bar + 1;
    }
}

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void PngFlush(png_structp) {}

void PngWarning(png_structp, png_const_charp) {}

// libpng reports errors by a long jump; nothing here needs destroying when it does.
bool WritePng(png_structp png, png_infop info, std::vector<uint8_t>* out, const uint8_t* rgba, int width, int height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, PngWrite, PngFlush);
    png_set_compression_level(png, 6);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y) png_write_row(png, rgba + static_cast<size_t>(y) * static_cast<size_t>(width) * 4);
    png_write_end(png, info);
    return true;
}

} // namespace

Canvas::Canvas(int width, int height)
    : mWidth(width), mHeight(height), mPixels(static_cast<size_t>(width) * static_cast<size_t>(height)) {}

void Canvas::Fill(int x, int y, int w, int h, Rgba colour) {
    int x0 = std::max(x, 0), y0 = std::max(y, 0);
    int x1 = std::min(x + w, mWidth), y1 = std::min(y + h, mHeight);
    for (int py = y0; py < y1; ++py)
        for (int px = x0; px < x1; ++px) At(px, py) = colour;
}

void Canvas::Frame(int x, int y, int w, int h, Rgba colour) {
    if (w <= 0 || h <= 0) return;
    Fill(x, y, w, 1, colour);
    Fill(x, y + h - 1, w, 1, colour);
    Fill(x, y, 1, h, colour);
    Fill(x + w - 1, y, 1, h, colour);
}

void MeasureLine(const std::string& face, int size, bool bold, const std::string& text, int* width, int* height) {
    plat::TextFont* font = FontFor(face, size, bold);
    *width = plat::MeasureText(font, text.data(), text.size());
    *height = plat::GetTextFontMetrics(font).mHeight;
}

bool Canvas::Text(const std::string& face, int size, bool bold, int x, int y, const std::string& text, Rgba colour) {
    plat::TextFont* font = FontFor(face, size, bold);
    if (!plat::TextFontIsValid(font)) return false;
    int width = plat::MeasureText(font, text.data(), text.size());
    int height = plat::GetTextFontMetrics(font).mHeight;
    if (width <= 0 || height <= 0) return true;
    std::vector<uint8_t> coverage(static_cast<size_t>(width) * static_cast<size_t>(height));
    plat::RenderText(font, text.data(), text.size(), coverage.data(), width, height, 0, 0);
    for (int ty = 0; ty < height; ++ty) {
        int py = y + ty;
        if (py < 0 || py >= mHeight) continue;
        for (int tx = 0; tx < width; ++tx) {
            int px = x + tx;
            unsigned c = coverage[static_cast<size_t>(ty) * static_cast<size_t>(width) + static_cast<size_t>(tx)];
            if (px < 0 || px >= mWidth || c == 0) continue;
            Rgba& d = At(px, py);
            unsigned a = c * colour.a / 255;
            // Source-over on straight alpha.
            unsigned outA = a + d.a * (255 - a) / 255;
            if (outA == 0) continue;
            auto mix = [&](uint8_t s, uint8_t dst) {
                return static_cast<uint8_t>((s * a + dst * d.a * (255 - a) / 255) / outA);
            };
            d = Rgba{mix(colour.r, d.r), mix(colour.g, d.g), mix(colour.b, d.b), static_cast<uint8_t>(outA)};
        }
    }
    return true;
}

bool Canvas::TextCentred(const std::string& face, int size, bool bold, int x, int y, int w, int h,
                         const std::string& text, Rgba colour) {
    std::vector<std::string> lines = SplitLines(text);
    int lineWidth = 0, lineHeight = 0;
    MeasureLine(face, size, bold, "", &lineWidth, &lineHeight);
    int top = y + (h - lineHeight * static_cast<int>(lines.size())) / 2;
    for (const std::string& line : lines) {
        MeasureLine(face, size, bold, line, &lineWidth, &lineHeight);
        if (!Text(face, size, bold, x + (w - lineWidth) / 2, top, line, colour)) return false;
        top += lineHeight;
    }
    return true;
}

std::vector<uint8_t> Canvas::EncodePng() const {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, PngWarning);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    bool ok = info != nullptr && WritePng(png, info, &out, reinterpret_cast<const uint8_t*>(mPixels.data()),
                                          mWidth, mHeight);
    png_destroy_write_struct(&png, &info);
    if (!ok) throw ContentError("PNG encoding failed");
    return out;
}

} // namespace mkcontent
