// Rendering the image fonts and writing their descriptors.
#include "tools/mkcontent/Fonts.h"

#include <sstream>

#include "platform/Text.h"
#include "tools/mkcontent/Canvas.h"
#include "tools/mkcontent/Table.h"

namespace mkcontent {

std::string QuoteChar(char c) {
    if (c == '\'') return "\"'\"";
    if (c == '\\') return "'\\\\'";
    return std::string("'") + c + "'";
}

RenderedFont RenderFont(const FontSpec& row) {
    plat::TextFont* font = plat::CreateTextFont(row.face, row.size, row.bold, false, false);
    struct Release {
        plat::TextFont* f;
        ~Release() { plat::DestroyTextFont(f); }
    } release{font};
    if (!plat::TextFontIsValid(font)) throw ContentError(row.id + ": the face " + row.face + " is not installed");

    RenderedFont out;
    plat::TextFontMetrics metrics = plat::GetTextFontMetrics(font);
    out.height = metrics.mHeight;
    out.ascent = metrics.mAscent;
    int total = 0;
    for (int c = 32; c <= 126; ++c) {
        char ch = static_cast<char>(c);
        int w = plat::MeasureText(font, &ch, 1);
        if (w <= 0) throw ContentError(row.id + ": the face has no width for character " + std::to_string(c));
        out.widths.push_back(w);
        total += w;
    }

    // Each glyph is drawn into its own cell, as wide as its advance, so no glyph spills into
    // its neighbour's rectangle.
    Canvas canvas(total, out.height);
    int x = 0;
    std::vector<uint8_t> cell;
    for (int c = 32; c <= 126; ++c) {
        char ch = static_cast<char>(c);
        int w = out.widths[static_cast<size_t>(c - 32)];
        cell.assign(static_cast<size_t>(w) * static_cast<size_t>(out.height), 0);
        plat::RenderText(font, &ch, 1, cell.data(), w, out.height, 0, 0);
        for (int y = 0; y < out.height; ++y)
            for (int i = 0; i < w; ++i)
                canvas.At(x + i, y) = Rgba{255, 255, 255, cell[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(i)]};
        x += w;
    }
    out.png = canvas.EncodePng();

    const std::string base = row.descriptor.substr(0, row.descriptor.rfind('.'));
    out.pngPath = base + ".png";
    const std::string pngName = out.pngPath.substr(out.pngPath.rfind('/') + 1);
    std::ostringstream chars, widths;
    for (int c = 32; c <= 126; ++c) {
        chars << (c > 32 ? ", " : "") << QuoteChar(static_cast<char>(c));
        widths << (c > 32 ? ", " : "") << out.widths[static_cast<size_t>(c - 32)];
    }
    std::ostringstream d;
    d << "SetDefaultPointSize " << row.size << ";\n"
      << "CreateLayer Main;\n"
      << "LayerSetImage Main '" << pngName << "';\n"
      << "LayerSetPointSize Main " << row.size << ";\n"
      << "LayerSetAscent Main " << out.ascent << ";\n"
      << "Define Chars (" << chars.str() << ");\n"
      << "CreateHorzSpanRectList Rects (0, 0, 0, " << out.height << ") (" << widths.str() << ");\n"
      << "LayerSetImageMap Main Chars Rects;\n"
      << "LayerSetCharWidths Main Chars (" << widths.str() << ");\n";
    out.descriptor = d.str();
    return out;
}

} // namespace mkcontent
