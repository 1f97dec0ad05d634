// The abstract picture that every drawing operation targets or reads from: size, animation
// cels and timing, and the table of virtual drawing operations that concrete images fill in.
#pragma once

#include "graphics/Color.h"
#include "graphics/Rect.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Quor {

class Matrix3;

// An integer point of a polygon handed to Image::PolyFill.
struct Point {
    int mX = 0;
    int mY = 0;
};

// One horizontal span of a scan-line fill: row y, first column x, pixel count width.
struct Span {
    int32_t mY = 0;
    int32_t mX = 0;
    int32_t mWidth = 0;
};

// A vertex of a textured triangle: destination position, texture coordinates (0..1 across
// the texture) and a packed 0xAARRGGBB vertex colour (0 = no vertex colour).
struct TriVertex {
    float x = 0.0f;
    float y = 0.0f;
    float u = 0.0f;
    float v = 0.0f;
    uint32_t color = 0;
};

// How the cels of an animated image follow each other in time.
class ImageAnimation {
public:
    enum Type { AnimType_None = 0, AnimType_Once = 1, AnimType_PingPong = 2, AnimType_Loop = 3 };

    int mAnimType = AnimType_None;
    int mFrameDelay = 1;              // milliseconds per frame
    int mNumCels = 1;                 // frame count
    std::vector<int> mPerFrameDelay;  // milliseconds per frame, may be empty
    std::vector<int> mFrameMap;       // cel index of each frame, may be empty
    int mTotalAnimTime = 0;           // milliseconds of one cycle, set by SetUp

    // Grows the per-frame delays to theFrame + 1 entries (new ones 0), then sets that entry.
    void SetFrameDelay(int theFrame, int theDelay);
    // Finishes the record once type, frame delay, per-frame delays and frame map are filled.
    void SetUp(int theNumCels, int theBeginDelay, int theEndDelay);
    // The cel to show at theTime milliseconds.
    int GetFrame(int theTime) const;
};

class Image {
public:
    bool mDrawn = false;           // set on a source image by the blitters when they draw it
    std::string mFilePath;
    int mWidth = 0;
    int mHeight = 0;
    int mNumRows = 1;              // cel grid
    int mNumCols = 1;
    ImageAnimation* mAnimInfo = nullptr;  // owned; null when not animated

    Image();
    // Copies size, cel grid and a deep copy of the animation; drawn flag and path start empty.
    Image(const Image& theImage);
    Image& operator=(const Image&) = delete;
    virtual ~Image();

    // Drawing operations, in table order. The base class draws nothing except DrawRect and
    // FillScanLines, which are expressed through FillRect.
    virtual bool PolyFill(const Point* theVertexList, int theNumVertices, const Rect* theClipRect,
                          const Color& theColor, int theDrawMode, int tx, int ty, int theExtra);
    virtual void FillRect(const Rect& theRect, const Color& theColor, int theDrawMode);
    virtual void DrawRect(const Rect& theRect, const Color& theColor, int theDrawMode);
    virtual void ClearRect(const Rect& theRect);
    virtual void DrawLine(double theStartX, double theStartY, double theEndX, double theEndY,
                          const Color& theColor, int theDrawMode);
    virtual void DrawLineAA(double theStartX, double theStartY, double theEndX, double theEndY,
                            const Color& theColor, int theDrawMode);
    virtual void FillScanLines(Span* theSpans, int theSpanCount, const Color& theColor,
                               int theDrawMode);
    virtual void FillScanLinesWithCoverage(Span* theSpans, int theSpanCount, const Color& theColor,
                                           int theDrawMode, const uint8_t* theCoverage,
                                           int theCoverX, int theCoverY, int theCoverWidth,
                                           int theCoverHeight);
    virtual void Blt(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                     const Color& theColor, int theDrawMode);
    virtual void BltF(Image* theImage, float theX, float theY, const Rect& theSrcRect,
                      const Rect& theClipRect, const Color& theColor, int theDrawMode);
    virtual void BltRotated(Image* theImage, float theX, float theY, const Rect& theSrcRect,
                            const Rect& theClipRect, const Color& theColor, int theDrawMode,
                            double theRot, float theRotCenterX, float theRotCenterY);
    virtual void StretchBlt(Image* theImage, const Rect& theDestRect, const Rect& theSrcRect,
                            const Rect& theClipRect, const Color& theColor, int theDrawMode,
                            bool fastStretch);
    virtual void BltMatrix(Image* theImage, float x, float y, const Matrix3& theMatrix,
                           const Rect& theClipRect, const Color& theColor, int theDrawMode,
                           const Rect& theSrcRect, bool blend);
    virtual void BltTriangles(Image* theImage, const TriVertex theVertices[][3], int theNumTriangles,
                              const Rect& theClipRect, const Color& theColor, int theDrawMode,
                              float tx, float ty, bool blend);
    virtual void BltMirror(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                           const Color& theColor, int theDrawMode);
    virtual void StretchBltMirror(Image* theImage, const Rect& theDestRect, const Rect& theSrcRect,
                                  const Rect& theClipRect, const Color& theColor, int theDrawMode,
                                  bool fastStretch);

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    // width / columns and height / rows; a grid of 0 or fewer columns or rows counts as one.
    int GetCelWidth() const;
    int GetCelHeight() const;
    int GetAnimCel(int theTime) const;
    Rect GetAnimCelRect(int theTime) const;
    // Takes rows, columns and a deep copy of the animation of theImage.
    void CopyAttributes(const Image* theImage);
};

// The program-wide empty image (0 x 0, draws nothing); a drawing context made without a
// destination draws into it.
extern Image gEmptyImage;

} // namespace Quor
