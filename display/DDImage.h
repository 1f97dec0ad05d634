// The display image: a memory image whose pixels can also live in a display surface, in the
// display's own pixel format, with the software fills, lines and blits that draw into that
// surface. The screen image adopts the display's draw surface.
#pragma once

#include "graphics/MemoryImage.h"
#include "platform/Video.h"

namespace Quor {

class DDInterface;

class DDImage : public MemoryImage {
public:
    explicit DDImage(DDInterface* theDDInterface);
    ~DDImage() override;
    DDImage(const DDImage&) = delete;
    DDImage& operator=(const DDImage&) = delete;

    // MemoryImage operations that follow the surface.
    void PurgeBits() override;
    void DeleteExtraData() override;
    void ApplyLoadOptions() override;
    void BitsChanged() override;
    void RescanAlphaFlags() override;
    void DeleteNativeAndAdditiveData() override;
    void Create(int theWidth, int theHeight) override;
    uint32_t* GetBits() override;

    // Drawing: into the locked surface, or into the 32-bit pixels (DDImageBlit*.cpp).
    bool PolyFill(const Point* theVertexList, int theNumVertices, const Rect* theClipRect,
                  const Color& theColor, int theDrawMode, int tx, int ty, int theExtra) override;
    void FillRect(const Rect& theRect, const Color& theColor, int theDrawMode) override;
    void DrawLine(double theStartX, double theStartY, double theEndX, double theEndY,
                  const Color& theColor, int theDrawMode) override;
    void DrawLineAA(double theStartX, double theStartY, double theEndX, double theEndY,
                    const Color& theColor, int theDrawMode) override;
    void FillScanLinesWithCoverage(Span* theSpans, int theSpanCount, const Color& theColor,
                                   int theDrawMode, const uint8_t* theCoverage, int theCoverX,
                                   int theCoverY, int theCoverWidth, int theCoverHeight) override;
    void Blt(Image* theImage, int theX, int theY, const Rect& theSrcRect, const Color& theColor,
             int theDrawMode) override;
    void BltF(Image* theImage, float theX, float theY, const Rect& theSrcRect,
              const Rect& theClipRect, const Color& theColor, int theDrawMode) override;
    void BltRotated(Image* theImage, float theX, float theY, const Rect& theSrcRect,
                    const Rect& theClipRect, const Color& theColor, int theDrawMode, double theRot,
                    float theRotCenterX, float theRotCenterY) override;
    void StretchBlt(Image* theImage, const Rect& theDestRect, const Rect& theSrcRect,
                    const Rect& theClipRect, const Color& theColor, int theDrawMode,
                    bool fastStretch) override;
    void BltMatrix(Image* theImage, float x, float y, const Matrix3& theMatrix,
                   const Rect& theClipRect, const Color& theColor, int theDrawMode,
                   const Rect& theSrcRect, bool blend) override;
    void BltTriangles(Image* theImage, const TriVertex theVertices[][3], int theNumTriangles,
                      const Rect& theClipRect, const Color& theColor, int theDrawMode, float tx,
                      float ty, bool blend) override;
    void BltMirror(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                   const Color& theColor, int theDrawMode) override;
    void StretchBltMirror(Image* theImage, const Rect& theDestRect, const Rect& theSrcRect,
                          const Rect& theClipRect, const Color& theColor, int theDrawMode,
                          bool fastStretch) override;
    bool Palletize() override;

    // Software drawing into the surface. Each returns false only when the surface could not
    // be made or locked (nothing drawn, the memory copies must stay).
    virtual bool NormalFillRect(const Rect& theRect, const Color& theColor);
    virtual bool AdditiveFillRect(const Rect& theRect, const Color& theColor);
    virtual bool NormalBlt(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                           const Color& theColor);
    virtual bool AdditiveBlt(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                             const Color& theColor);
    virtual bool NormalDrawLine(double theStartX, double theStartY, double theEndX,
                                double theEndY, const Color& theColor);
    virtual bool AdditiveDrawLine(double theStartX, double theStartY, double theEndX,
                                  double theEndY, const Color& theColor);
    virtual bool NormalDrawLineAA(double theStartX, double theStartY, double theEndX,
                                  double theEndY, const Color& theColor);
    virtual bool AdditiveDrawLineAA(double theStartX, double theStartY, double theEndX,
                                    double theEndY, const Color& theColor);
    virtual bool NormalBltMirror(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                                 const Color& theColor);
    virtual bool AdditiveBltMirror(Image* theImage, int theX, int theY, const Rect& theSrcRect,
                                   const Color& theColor);

    // True when the display draws in 3-D and this image wraps its draw surface.
    bool Is3D() const;
    static bool Check3D(Image* theImage);

    plat::Surface* GetSurface();
    bool CreateSurface();
    void DeleteSurface();
    void DeleteMemoryData();
    bool LockSurface();
    bool UnlockSurface();
    plat::HResult SetSurface(plat::Surface* theSurface);
    virtual void SetVideoMemory(bool wantVideoMemory);
    virtual void SetSurfaceColorKey();

    DDInterface* mDDInterface = nullptr;
    plat::Surface* mSurface = nullptr;
    bool mSurfaceSet = false;      // adopted through SetSurface
    bool mNoLock = false;          // the surface must not be read back
    bool mVideoMemory = false;     // make the surface in video memory
    bool mWantDDSurface = false;   // the surface is to be made again when needed
    int mLockCount = 0;
    plat::SurfaceDesc mLockedSurfaceDesc;

private:
    void ReleaseSurface();
    // The DirectDraw-style copy of a source surface into this one (unlocking around it).
    bool SurfaceBlt(DDImage* theSrc, int theX, int theY, const Rect& theSrcRect);
    bool SurfaceStretchBlt(DDImage* theSrc, const Rect& theDest, const RectD& theSrc2);
    bool RotatedToSurface(MemoryImage* theSrc, float theX, float theY, const Rect& theSrcRect,
                          const Rect& theClipRect, const Color& theColor, int theDrawMode,
                          double theRot, float theRotCenterX, float theRotCenterY);
    bool NearestStretchToSurface(MemoryImage* theSrc, const Rect& theDest, const RectD& theSrc2,
                                 const Color& theColor, int theDrawMode, bool mirror);
    bool CoverageToSurface(const Span* theSpans, int theSpanCount, const Color& theColor,
                           const uint8_t* theCoverage, int theCoverX, int theCoverY,
                           int theCoverWidth, int theCoverHeight);
    // Fills and lines go into the 32-bit pixels, not the surface: the image has transparent or
    // translucent pixels, no display, or the display draws in 3-D.
    bool DrawsIntoBits() const;
    // The blits over run lengths: blended (path A) or additive, plain or mirrored.
    bool RunsBlt(Image* theImage, int theX, int theY, const Rect& theSrcRect, const Color& theColor,
                 bool additive, bool mirror);
};

} // namespace Quor
