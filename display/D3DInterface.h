// The 3-D renderer of the display: textured blits of images (plain, mirrored, at a float
// position, stretched, rotated, through a matrix, as textured triangles), lines, rectangles and
// polygons drawn by the 3-D device into the display's draw surface, with every device call
// tested and a failure remembered, so that the display gives up 3-D at its next redraw.
#pragma once

#include "graphics/Color.h"
#include "graphics/Image.h"
#include "graphics/Matrix.h"
#include "graphics/Rect.h"
#include "platform/Render3D.h"

#include <atomic>
#include <cstdint>
#include <set>
#include <string>

namespace Quor {

class DDInterface;
class MemoryImage;

// The device's texture limits (set by the renderer when it makes its device).
struct TextureLimits {
    int mMinWidth = 64;
    int mMinHeight = 64;
    int mMaxWidth = 64;
    int mMaxHeight = 64;
    int mMaxAspectRatio = 1;
};

// Program-wide state of the renderer (one display exists).
extern TextureLimits gTextureLimits;
extern std::atomic<uint32_t> gSupportedPixelFormats; // texture format bits 1, 2, 4, 8
extern std::atomic<bool> gRenderTargetLost;
extern bool gLinearFilter; // the current filter of stage 0
// Set when a 3-D call failed during the run: 3-D may not have worked.
extern std::atomic<bool> gD3DMayNotHaveWorked;
// The last failed 3-D call: label, ": " and the error's name; empty when none since the last
// Flush or Init.
std::string GetD3DLastError();
void SetD3DLastError(const std::string& theText);

// A vertex list that keeps up to 100 vertices in place and moves to the heap beyond that.
class VertexList {
public:
    VertexList() = default;
    VertexList(const VertexList& theOther);
    VertexList& operator=(const VertexList& theOther);
    ~VertexList();
    void push_back(const plat::TLVertex& theVertex);
    void clear() { mSize = 0; }
    int size() const { return mSize; }
    plat::TLVertex& operator[](int i) { return mData[i]; }
    const plat::TLVertex& operator[](int i) const { return mData[i]; }
    plat::TLVertex* data() { return mData; }
    bool OnHeap() const { return mData != mInPlace; }

private:
    plat::TLVertex mInPlace[100];
    plat::TLVertex* mData = mInPlace;
    int mSize = 0;
    int mCapacity = 100;
};

// Clips a polygon to one bound of one coordinate; theCoord is 0 x, 1 y, 2 z, 3 u, 4 v.
void ClipPolygonToBound(const VertexList& theIn, VertexList& theOut, int theCoord, float theBound, bool isLower);
void ClipPolygonToRect(VertexList& thePoly, const Rect& theClip);
void ClipPolygonToUnitTexture(VertexList& thePoly);

class D3DInterface {
public:
    D3DInterface();
    virtual ~D3DInterface();
    D3DInterface(const D3DInterface&) = delete;
    D3DInterface& operator=(const D3DInterface&) = delete;

    bool CheckDirectXResult(const char* theLabel, plat::HResult theResult);
    bool Init(DDInterface* theDisplay);
    // Takes a device made elsewhere (one reference) in place of making one on the display.
    bool InitWithDevice(DDInterface* theDisplay, plat::Device3D* theDevice, int theWidth, int theHeight);
    bool PreDraw();
    void Flush();
    void SetBlendForDrawMode(int theDrawMode);
    void SetLinearFilter(bool linear);

    void Blt(Image* theImage, float theX, float theY, const Rect& theSrcRect, const Color& theColor,
             int theDrawMode, bool linear);
    void BltMirror(Image* theImage, float theX, float theY, const Rect& theSrcRect, const Color& theColor,
                   int theDrawMode);
    void BltF(Image* theImage, float theX, float theY, const Rect& theSrcRect, const Rect& theClipRect,
              const Color& theColor, int theDrawMode);
    void StretchBlt(Image* theImage, const Rect& theDestRect, const Rect& theSrcRect, const Rect& theClipRect,
                    const Color& theColor, int theDrawMode, bool fastStretch, bool mirror);
    void BltRotated(Image* theImage, float theX, float theY, const Rect& theSrcRect, const Rect& theClipRect,
                    const Color& theColor, int theDrawMode, double theRot, float theRotCenterX,
                    float theRotCenterY);
    void BltTransformed(Image* theImage, const Rect* theClipRect, const Color& theColor, int theDrawMode,
                        const Rect& theSrcRect, const Matrix3& theTransform, bool linear, float theX, float theY,
                        bool center);
    void DrawLine(double theStartX, double theStartY, double theEndX, double theEndY, const Color& theColor,
                  int theDrawMode);
    void FillRect(const Rect& theRect, const Color& theColor, int theDrawMode);
    void FillPoly(const Point* theVertices, int theNumVertices, const Rect* theClipRect, const Color& theColor,
                  int theDrawMode, int tx, int ty);
    void BltTriangles(Image* theImage, const TriVertex theVertices[][3], int theNumTriangles,
                      const Color& theColor, int theDrawMode, float tx, float ty, bool linear);

    // Texture pieces (ImageTextureSet.cpp).
    bool CreateImageTexture(MemoryImage* theImage);
    bool ReadBackTexture(MemoryImage* theImage);
    void RemoveImageTexture(MemoryImage* theImage);
    void RemoveAllTextures();

    void* mHWnd = nullptr;
    int mWidth = 640;
    int mHeight = 480;
    plat::VideoDevice* mDD = nullptr;
    plat::Surface* mDrawSurface = nullptr;
    plat::Direct3D* mD3D = nullptr;
    plat::Device3D* mD3DDevice = nullptr;
    plat::Viewport3D mD3DViewport;
    bool mSceneBegun = false;
    std::set<MemoryImage*> mImageSet;
    DDInterface* mDDInterface = nullptr;

private:
    bool InitDevice();
    void ReleaseDevice();
    void SetSceneStates();
    bool PrepareImage(Image* theImage, MemoryImage*& theMemImage);
    void DrawFan(VertexList& thePoly, const char* theLabel);
};

} // namespace Quor
