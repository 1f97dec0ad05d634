// Software textured-triangle rasterizer: clips triangle strips against a rectangle, converts
// them to 16.16 fixed point and hands each triangle to a span filler chosen by pixel format
// and drawing options.
#pragma once

#include <cstdint>

#include "graphics/Color.h"
#include "graphics/Image.h"
#include "graphics/Rect.h"

namespace Quor {

class MemoryImage;

// Destination pixel formats understood by the rasterizer.
enum : int {
    SWTRI_FORMAT_8888 = 0x8888, // 32-bit with alpha
    SWTRI_FORMAT_888 = 0x888,   // 32-bit, alpha byte ignored (written as 255)
    SWTRI_FORMAT_565 = 0x565,   // 16-bit 5-6-5
    SWTRI_FORMAT_555 = 0x555,   // 16-bit 5-5-5
};

// Option bits of the filler table index (added to the format group 0, 32, 64 or 96).
enum : int {
    SWTRI_OPT_SMOOTH = 1,
    SWTRI_OPT_COLORMOD = 2,
    SWTRI_OPT_VERTEXCOLOR = 4,
    SWTRI_OPT_BLEND = 8,
    SWTRI_OPT_TEXTURED = 16,
    SWTRI_FILLER_COUNT = 128,
};

// A vertex as the fillers see it: x, y in 16.16 pixels; vertex colour channels in 8.16
// (only with vertex colours); u, v in 16.16 texels (only with a texture).
struct SWVertex {
    int x, y;
    int a, r, g, b;
    int u, v;
};

// The texture as the fillers see it.
struct SWTextureInfo {
    const uint32_t* pixels; // 32-bit ARGB, width * height words
    int vShift;             // 16 - floor(log2(width))
    int uMax;               // (width - 1) << 16
    int vMax;               // (height - 1) << 16
    int width;
    int size; // width * height
    int height;
};

// The draw colour as the fillers see it.
struct SWColor {
    int a, r, g, b;
};

// Draws one triangle (vertices in any order) into the destination pixels.
using SWTriangleFiller = void (*)(const SWVertex* v0, const SWVertex* v1, const SWVertex* v2,
                                  void* pixels, int pitch, const SWTextureInfo* texture,
                                  const SWColor* color);

// Stores a filler for the textured + blended + colour-modulated combination of a format.
void SetTriangleSpanFiller(int pixelFormat, SWTriangleFiller filler);

// Empties the filler table (tests use it to restore the start-up state).
void ClearTriangleSpanFillers();

// The filler stored at a table index, or null.
SWTriangleFiller GetTriangleSpanFiller(int index);

// Table index of a format with the given option bits.
int TriangleFillerIndex(int pixelFormat, int options);

// The textured, blended, colour-modulated fillers, one per destination format.
void SWTri_DrawTriangle8888(const SWVertex* v0, const SWVertex* v1, const SWVertex* v2,
                            void* pixels, int pitch, const SWTextureInfo* texture,
                            const SWColor* color);
void SWTri_DrawTriangle888(const SWVertex* v0, const SWVertex* v1, const SWVertex* v2,
                           void* pixels, int pitch, const SWTextureInfo* texture,
                           const SWColor* color);
void SWTri_DrawTriangle565(const SWVertex* v0, const SWVertex* v1, const SWVertex* v2,
                           void* pixels, int pitch, const SWTextureInfo* texture,
                           const SWColor* color);
void SWTri_DrawTriangle555(const SWVertex* v0, const SWVertex* v1, const SWVertex* v2,
                           void* pixels, int pitch, const SWTextureInfo* texture,
                           const SWColor* color);

// Registers the four fillers above, one per format.
void SWTri_RegisterFillers();

// Whether the 32-bit fillers may draw several pixels at a time (the default) or go pixel by
// pixel. Both give the same pixels; tests and benchmarks compare them.
void SWTri_SetWideSpans(bool wide);

// Draws a strip of triangles (0,1,2), (1,3,2), (2,3,4), ... clipped to the clip rectangle.
// The texture may be null; vertexColors is set by callers when any vertex colour is not 0.
void TriangleRasterizer(const TriVertex* vertices, int count, MemoryImage* texture,
                        void* pixels, int pitch, int pixelFormat, const Rect& clip,
                        const Color& color, bool smooth, bool vertexColors);

} // namespace Quor
