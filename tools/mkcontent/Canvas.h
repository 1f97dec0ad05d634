// A picture being drawn by the content tool: 8-bit RGBA pixels, flat fills, frames, text in a
// system font, and PNG encoding into memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mkcontent {

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
};

class Canvas {
public:
    Canvas(int width, int height);

    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    Rgba& At(int x, int y) { return mPixels[static_cast<size_t>(y) * static_cast<size_t>(mWidth) + static_cast<size_t>(x)]; }
    const Rgba& At(int x, int y) const { return mPixels[static_cast<size_t>(y) * static_cast<size_t>(mWidth) + static_cast<size_t>(x)]; }

    // Clipped to the canvas.
    void Fill(int x, int y, int w, int h, Rgba colour);
    void Frame(int x, int y, int w, int h, Rgba colour);  // a 1-pixel outline

    // One line of text in a face (e.g. "DejaVu Sans") of a pixel size, its top-left corner at
    // (x, y), blended over the pixels with the text's coverage. Returns false when the face is
    // not installed.
    bool Text(const std::string& face, int size, bool bold, int x, int y, const std::string& text, Rgba colour);
    // Lines separated by '|', each centred horizontally in the box; the block centred vertically.
    bool TextCentred(const std::string& face, int size, bool bold, int x, int y, int w, int h,
                     const std::string& text, Rgba colour);

    // The canvas as a PNG file (RGBA, 8 bits a channel, no time or text chunks).
    std::vector<uint8_t> EncodePng() const;

private:
    int mWidth;
    int mHeight;
    std::vector<Rgba> mPixels;
};

// Text size of a line in a face: width and line height in pixels (0, 0 without the face).
void MeasureLine(const std::string& face, int size, bool bold, const std::string& text, int* width, int* height);

} // namespace mkcontent
