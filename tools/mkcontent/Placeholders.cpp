// Drawing the placeholder pictures.
#include "tools/mkcontent/Placeholders.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/mkcontent/Table.h"

namespace mkcontent {

namespace {

const char* const kFace = "DejaVu Sans";

Rgba FromRgb(uint32_t rgb, uint8_t alpha = 255) {
    return Rgba{static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb), alpha};
}

Rgba Scale(Rgba c, double f) {
    auto s = [&](uint8_t v) { return static_cast<uint8_t>(std::min(255.0, v * f)); };
    return Rgba{s(c.r), s(c.g), s(c.b), c.a};
}

Rgba Lighten(Rgba c, double f) {
    auto s = [&](uint8_t v) { return static_cast<uint8_t>(v + (255 - v) * f); };
    return Rgba{s(c.r), s(c.g), s(c.b), c.a};
}

Rgba Grey(Rgba c) {
    auto y = static_cast<uint8_t>((c.r * 299 + c.g * 587 + c.b * 114) / 1000);
    return Rgba{y, y, y, c.a};
}

// Black or white, whichever reads better on the colour.
Rgba Ink(Rgba background) {
    int y = (background.r * 299 + background.g * 587 + background.b * 114) / 1000;
    return y > 140 ? Rgba{0, 0, 0, 255} : Rgba{255, 255, 255, 255};
}

// A label size that suits the box: about a fifth of the smaller side, 8-28 pixels, smaller
// while the widest line is wider than the box.
int LabelSize(int w, int h, const std::string& label) {
    int size = std::clamp(std::min(w, h) / 5, 8, 28);
    for (; size > 8; --size) {
        int widest = 0, width = 0, height = 0;
        size_t start = 0;
        for (;;) {
            size_t bar = label.find('|', start);
            MeasureLine(kFace, size, false, label.substr(start, bar == std::string::npos ? bar : bar - start), &width, &height);
            widest = std::max(widest, width);
            if (bar == std::string::npos) break;
            start = bar + 1;
        }
        if (widest <= w - 4) break;
    }
    return size;
}

// The arrow of a cursor with its tip on the centre, where the program puts the hot spot.
void DrawCursor(Canvas& c) {
    const int cx = c.Width() / 2, cy = c.Height() / 2;
    const int length = std::max(1, std::min(c.Width(), c.Height()) / 2 - 1);
    for (int dy = 0; dy < length; ++dy) {
        int span = dy * 2 / 3 + 1;
        for (int dx = 0; dx < span; ++dx) {
            bool edge = dx == 0 || dx == span - 1 || dy == length - 1;
            c.At(cx + dx, cy + dy) = edge ? Rgba{0, 0, 0, 255} : Rgba{255, 255, 255, 255};
        }
    }
}

// White with a soft round alpha, for particles that the program tints.
void DrawSoft(Canvas& c) {
    const double rx = c.Width() / 2.0, ry = c.Height() / 2.0;
    for (int y = 0; y < c.Height(); ++y)
        for (int x = 0; x < c.Width(); ++x) {
            double dx = (x + 0.5 - rx) / rx, dy = (y + 0.5 - ry) / ry;
            double d = std::sqrt(dx * dx + dy * dy);
            double a = d >= 1 ? 0 : (1 - d) * (1 - d);
            c.At(x, y) = Rgba{255, 255, 255, static_cast<uint8_t>(std::lround(a * 255))};
        }
}

} // namespace

Canvas DrawPlaceholder(const Picture& p) {
    Canvas canvas(p.width, p.height);
    if (p.style == "clear") return canvas;
    if (p.style == "cursor") {
        DrawCursor(canvas);
        return canvas;
    }
    if (p.style == "soft") {
        DrawSoft(canvas);
        return canvas;
    }

    Rgba base = FromRgb(p.colour);
    if (p.style == "light") base = Lighten(base, 0.4);
    else if (p.style == "dark") base = Scale(base, 0.6);
    else if (p.style == "grey") base = Grey(base);
    const bool overlay = p.style == "overlay" || p.style == "hud";
    const Rgba border = overlay ? base : Scale(base, 0.55);
    const Rgba ink = overlay ? base : Ink(base);

    const int celW = p.width / p.cols, celH = p.height / p.rows;
    const bool strip = p.cols * p.rows > 1;
    for (int row = 0; row < p.rows; ++row)
        for (int col = 0; col < p.cols; ++col) {
            const int x = col * celW, y = row * celH;
            if (p.style == "hud") {
                // The head-up bar: an opaque panel along the bottom, clear above it.
                const int panel = std::min(celH, 152);
                canvas.Fill(x, y + celH - panel, celW, panel, Scale(base, 0.9));
                canvas.Frame(x, y + celH - panel, celW, panel, Scale(base, 0.5));
            } else if (!overlay) {
                canvas.Fill(x, y, celW, celH, base);
            }
            canvas.Frame(x, y, celW, celH, border);
            const int size = LabelSize(celW, celH, p.label);
            bool written = true;
            if (strip) {
                // The id small at the top, the cel number large in the middle.
                written = canvas.TextCentred(kFace, std::max(8, size * 2 / 3), false, x, y + 2, celW, size, p.label, ink) &&
                          canvas.TextCentred(kFace, std::min(48, std::max(10, celH / 3)), true, x, y, celW, celH,
                                             std::to_string(row * p.cols + col), ink);
            } else {
                written = canvas.TextCentred(kFace, size, false, x, y, celW, celH, p.label, ink);
            }
            // A picture without its label would pass for a good one: stop instead.
            if (!written) throw ContentError(p.path + ": the label cannot be written (the face " + kFace + " is not installed)");
        }
    return canvas;
}

} // namespace mkcontent
