// System fonts by face name on the machine's font engine: a face, a character height in pixels
// and bold, italic and underline select an installed font; it measures text and renders its
// coverage (antialiased, 0..255 a pixel). Narrow text is Windows-1252.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

class TextFont;

struct TextFontMetrics {
    int mHeight = 0;  // ascent + descent, pixels
    int mAscent = 0;  // baseline below the top of a line, pixels
};

// The installed face used for a face name: "Arial" and "Tahoma" map to Liberation Sans,
// "Courier New" to Liberation Mono, "Arial Unicode MS" to DejaVu Sans; other names are asked
// of the font configuration as they stand.
std::string TextFaceFor(const std::string& faceName);

// A font whose characters are charHeight pixels high (the em size). Never null; a font that
// cannot be opened measures 0 and renders nothing.
TextFont* CreateTextFont(const std::string& faceName, int charHeight, bool bold, bool italic,
                         bool underline);
void DestroyTextFont(TextFont* font);
// The parameters a font was made from, for making an identical one.
void GetTextFontDesc(const TextFont* font, std::string* faceName, int* charHeight, bool* bold,
                     bool* italic, bool* underline);
// False when no installed face could be opened for the font.
bool TextFontIsValid(const TextFont* font);

TextFontMetrics GetTextFontMetrics(const TextFont* font);

// Width of a line of text: the sum of the characters' advances.
int MeasureText(TextFont* font, const char* text, size_t length);
int MeasureTextW(TextFont* font, const wchar_t* text, size_t length);

// Adds the coverage of a line of text to an 8-bit buffer (rows of width bytes, saturating):
// the line's top-left corner at (x, y). Glyphs are clipped to the buffer.
void RenderText(TextFont* font, const char* text, size_t length, uint8_t* coverage, int width,
                int height, int x, int y);
void RenderTextW(TextFont* font, const wchar_t* text, size_t length, uint8_t* coverage,
                 int width, int height, int x, int y);

// The Unicode character of a Windows-1252 byte (0x81, 0x8D, 0x8F, 0x90 and 0x9D stay as they are).
uint32_t Cp1252ToUnicode(uint8_t c);

} // namespace plat
