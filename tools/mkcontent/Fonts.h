// Image fonts rendered from an installed face: one row of glyphs for the characters 32-126,
// white with the coverage in alpha, and the descriptor that maps the characters onto it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/mkcontent/Content.h"

namespace mkcontent {

struct RenderedFont {
    std::string descriptor;      // the descriptor's text
    std::vector<uint8_t> png;    // the glyph picture
    std::string pngPath;         // its archive path, beside the descriptor
    std::vector<int> widths;     // advance of each character 32-126
    int height = 0;
    int ascent = 0;
};

RenderedFont RenderFont(const FontSpec& font);

// A character as the descriptor language quotes it.
std::string QuoteChar(char c);

} // namespace mkcontent
