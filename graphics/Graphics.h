// The drawing context handed to every draw call: destination image, translation, scale, clip,
// colour, font and draw mode, a stack of saved states, and the operations that turn a request
// in the caller's coordinates into a clipped call of the destination image.
#pragma once

#include <string>
#include <vector>

#include "graphics/Color.h"
#include "graphics/Matrix.h"
#include "graphics/Rect.h"

namespace Quor {

class Image;
class Font;

// The current drawing state of a context; a plain record.
class GraphicsState {
public:
    Image* mDestImage = nullptr; // not owned
    float mTransX = 0.0f;
    float mTransY = 0.0f;
    float mScaleX = 1.0f;
    float mScaleY = 1.0f;
    float mScaleOrigX = 0.0f; // destination pixels
    float mScaleOrigY = 0.0f;
    Rect mClipRect;
    Color mColor;
    Font* mFont = nullptr; // not owned
    int mDrawMode = 0;
    bool mColorizeImages = false;
    bool mFastStretch = false;
    bool mWriteColoredString = true;
    bool mLinearBlend = false;
    bool mIs3D = false;

    void CopyFrom(const GraphicsState* theState) { *this = *theState; }
};

class Graphics : public GraphicsState {
public:
    enum DrawMode {
        DRAWMODE_NORMAL = 0,   // source over destination by source alpha
        DRAWMODE_ADDITIVE = 1, // source times colour added per channel, saturating at 255
    };

    // A context on theDestImage, or on the program-wide empty image when none is given.
    explicit Graphics(Image* theDestImage = nullptr);
    // A context with the other's current state and an empty saved-state stack.
    Graphics(const Graphics& theGraphics);
    Graphics& operator=(const Graphics&) = delete;
    virtual ~Graphics();

    // A new copy of theGraphics; null when the allocation fails.
    static Graphics* Create(const Graphics& theGraphics);

    void PushState();
    void PopState();

    Font* GetFont() const { return mFont; }
    void SetFont(Font* theFont) { mFont = theFont; }
    const Color& GetColor() const { return mColor; }
    void SetColor(const Color& theColor);
    int GetDrawMode() const { return mDrawMode; }
    void SetDrawMode(int theDrawMode) { mDrawMode = theDrawMode; }
    void SetColorizeImages(bool colorizeImages) { mColorizeImages = colorizeImages; }
    bool GetColorizeImages() const { return mColorizeImages; }
    void SetFastStretch(bool fastStretch) { mFastStretch = fastStretch; }
    void SetLinearBlend(bool linear) { mLinearBlend = linear; }

    void Translate(int theTransX, int theTransY);
    // Scale about the point (theOrigX, theOrigY) relative to the current translation.
    void SetScale(float theScaleX, float theScaleY, float theOrigX, float theOrigY);
    void ClearClipRect();
    void SetClipRect(int theX, int theY, int theWidth, int theHeight);
    void ClipRect(int theX, int theY, int theWidth, int theHeight);

    void FillRect(int theX, int theY, int theWidth, int theHeight);
    void FillRectByRect(const Rect& theRect);
    // The outline covers theWidth + 1 by theHeight + 1 pixels.
    void DrawRect(int theX, int theY, int theWidth, int theHeight);
    void DrawLine(int theStartX, int theStartY, int theEndX, int theEndY);
    // Cuts the line to the clip rectangle in place; false when nothing is left.
    bool ClipLine(double& theStartX, double& theStartY, double& theEndX, double& theEndY) const;

    void DrawImage(Image* theImage, int theX, int theY);
    void DrawImageRegion(Image* theImage, int theX, int theY, const Rect& theSrcRect);
    void DrawImageMirror(Image* theImage, int theX, int theY, const Rect& theSrcRect);
    void DrawImageStretched(Image* theImage, int theX, int theY, int theWidth, int theHeight);
    void DrawImageStretchedRegion(Image* theImage, const Rect& theDestRect, const Rect& theSrcRect);
    void DrawImageMirrorStretched(Image* theImage, const Rect& theDestRect, const Rect& theSrcRect,
                                  bool mirror);
    void DrawImageF(Image* theImage, float theX, float theY, const Rect& theSrcRect);
    // The centre is relative to the image's top-left corner; a null source means the whole image.
    void DrawImageRotated(Image* theImage, float theX, float theY, float theRotCenterX,
                          float theRotCenterY, const Rect* theSrcRect, double theRot);
    void DrawImageRotatedInt(Image* theImage, int theX, int theY, int theRotCenterX,
                             int theRotCenterY, const Rect* theSrcRect, double theRot);
    void DrawImageMatrix(Image* theImage, const Matrix3& theMatrix, const Rect& theSrcRect,
                         float theX, float theY);
    // Draws the source so that its centre lands on (theX, theY) after the transform.
    void DrawImageTransformed(Image* theImage, const Transform2D& theTransform,
                              const Rect& theSrcRect, float theX, float theY, bool subPixel);
    void DrawImageTransform(Image* theImage, const Transform2D& theTransform, float theX,
                            float theY);
    void DrawImageTransformF(Image* theImage, const Transform2D& theTransform, float theX,
                             float theY);
    void DrawImageTransformRegion(Image* theImage, const Transform2D& theTransform,
                                  const Rect& theSrcRect, float theX, float theY);
    // Nine-cell box: corners once, edges and centre tiled.
    void DrawImageBox(const Rect& theDestRect, Image* theImage);
    void DrawImageBoxRegion(const Rect& theDestRect, Image* theImage, const Rect& theSrcRect);
    void DrawImageCel(Image* theImage, int theX, int theY, int theCel);
    void DrawImageCelAt(Image* theImage, int theX, int theY, int theColumn, int theRow);
    void DrawImageAnim(Image* theImage, int theX, int theY, int theTime);

    // Text through the context's font, which applies the translation; nothing without a font.
    // (theX, theY) is the left end of the baseline.
    void DrawString(const std::string& theString, int theX, int theY);

    // Text with inline colour codes (^RRGGBB^, ^oldclr^, ^^ for a caret) while write coloured
    // strings is on. Justification 0 centres in theWidth, 1 right-aligns, others left-align.
    // theStartColor is 0xAARRGGBB, -1 for the current colour. Returns the width in pixels.
    int DrawColorCodedText(const std::string& theString, int theX, int theY, int theWidth,
                           int theJustification, bool drawString = true, int theStart = 0,
                           int theLength = -1, int theStartColor = -1);
    // The characters from theStart up to theLimit (at most theLength of them); -1 when none.
    int DrawTextPiece(const std::string& theString, int theStart, int theLength, int theLimit,
                      int theX, int theY, int theWidth, int theJustification,
                      int theStartColor = -1);
    // Word-wrapped text inside theRect (its height is not used); line spacing -1 means the
    // font's. Returns the height used.
    int DrawWrappedText(const std::string& theString, const Rect& theRect, int theLineSpacing = -1,
                        int theJustification = -1);
    int DrawWrappedTextAt(const std::string& theString, int theX, int theY, int theWidth,
                          int theLineSpacing = -1, int theJustification = -1);
    int GetWrappedTextHeight(const std::string& theString, int theWidth, int theLineSpacing = -1);

    // The award screen's rotating background: the whole image at (-350, -350), turned by
    // theRot about its centre.
    void DrawRotatedAwardImage(Image* theImage, double theRot);

private:
    int TransX(int theX) const { return static_cast<int>(mTransX + static_cast<float>(theX)); }
    int TransY(int theY) const { return static_cast<int>(mTransY + static_cast<float>(theY)); }
    // The colour images are drawn with: the current colour when colorizing, else white.
    const Color& ImageColor() const;
    Rect WholeDestRect() const;

    std::vector<GraphicsState> mStateStack;
};

} // namespace Quor
