// The image whose pixels live in main memory: 32-bit ARGB pixels, an optional palette form,
// the derived data the blitters and the display build from the pixels (NativeAlpha, RLAlpha,
// RLAdditive), the change count, and the software drawing operations.
#pragma once

#include "graphics/Image.h"

#include <cstdint>

namespace Quor {

class QuorAppBase;
class NativeDisplay;
class ImageTextureSet;

// Word written right after the last pixel of every 32-bit pixel buffer.
constexpr uint32_t MEMORYIMAGE_SENTINEL = 0x4BEEFADE;

// Texture options set by the resource loader; only the display back-end reads them.
enum TextureFlags {
    TextureFlag_MinimizeNumSubdivisions = 1,
    TextureFlag_Use64By64Subdivisions = 2,
    TextureFlag_UseA4R4G4B4 = 4,
    TextureFlag_UseA8R8G8B8 = 8,
};

class MemoryImage : public Image {
public:
    uint32_t* mBits = nullptr;          // width * height pixels + the sentinel, or null
    int32_t mChangeCount = 0;           // +1 on every BitsChanged
    ImageTextureSet* mTextureData = nullptr;  // owned and freed by the display back-end
    int32_t mTextureFlags = 0;          // TextureFlags
    uint32_t* mPaletteColors = nullptr;  // 256 ARGB words of the palette form, or null
    uint8_t* mPaletteIndices = nullptr;  // width * height indexes of the palette form, or null
    bool mForced = false;               // alpha flags set from outside; rescans leave them
    bool mHasTrans = false;             // some pixel has alpha 0
    bool mHasAlpha = false;             // some pixel has alpha strictly between 0 and 255
    bool mVolatile = false;             // the pixels change often
    bool mPurgeBits = false;            // drop the 32-bit pixels once the display can do without
    bool mWantPalette = false;          // the image is to be, or has been, palletized
    uint32_t* mNativeAlphaData = nullptr;  // premultiplied display-format words, or null
    uint8_t* mRLAlphaData = nullptr;       // alpha-class run lengths, or null
    uint8_t* mRLAdditiveData = nullptr;    // black/non-black run lengths, or null
    bool mBitsChangedSinceScan = false;
    QuorAppBase* mApp = nullptr;

    // For the program-wide application object.
    MemoryImage();
    explicit MemoryImage(QuorAppBase* theApp);
    MemoryImage(const MemoryImage& theMemoryImage);
    MemoryImage& operator=(const MemoryImage&) = delete;
    ~MemoryImage() override;

    // Software drawing into the 32-bit pixels. Every one ends with BitsChanged.
    void FillRect(const Rect& theRect, const Color& theColor, int theDrawMode) override;
    void ClearRect(const Rect& theRect) override;
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

    // Pixel forms and derived data.
    virtual uint32_t* GetNativeAlphaData(NativeDisplay* theNative);
    virtual uint8_t* GetRLAlphaData();
    virtual uint8_t* GetRLAdditiveData(NativeDisplay* theNative);
    virtual void PurgeBits();
    virtual void DeleteDerivedData();
    virtual void DeleteTextureData();
    virtual void DeleteExtraData();
    virtual void ApplyLoadOptions();
    virtual void BitsChanged();
    virtual void RescanAlphaFlags();
    virtual void DeleteNativeAndAdditiveData();
    virtual void Clear();
    virtual void SetBits(const uint32_t* theBits, int theWidth, int theHeight, bool commitBits = true);
    // Makes an array of theWidth * theHeight pixels plus one spare word, allocated with new[],
    // the image's own pixels without copying them (as a decoded picture is handed over).
    void AdoptBits(uint32_t* theBits, int theWidth, int theHeight, bool commitBits);
    // The alpha flags of the present pixels as a reader found them while decoding them, so the
    // next rescan has nothing to do; a later change of the pixels is scanned as usual.
    void SetScannedAlphaFlags(bool hasTrans, bool hasAlpha);
    virtual void Create(int theWidth, int theHeight);
    virtual uint32_t* GetBits();
    virtual void SetAlphaFlags(bool hasTrans, bool hasAlpha);
    virtual void SetVolatile(bool isVolatile);
    virtual bool Palletize();

    // Shared software blitters that the display image reuses.
    static void SmoothStretchBlt(MemoryImage* theDest, Image* theImage, const Rect& theDestRect,
                                 const RectD& theSrcRect);
    static bool BltMatrixSoftware(MemoryImage* theDest, Image* theImage, const Rect& theSrcRect,
                                  float x, float y, const Matrix3& theMatrix,
                                  const Rect& theClipRect, const Color& theColor, int theDrawMode,
                                  void* theSurface, int thePitch, int thePixelFormat, bool blend);
    static bool BltTrianglesSoftware(MemoryImage* theDest, Image* theImage,
                                     const TriVertex theVertices[][3], int theNumTriangles,
                                     const Rect& theClipRect, const Color& theColor,
                                     int theDrawMode, void* theSurface, int thePitch,
                                     int thePixelFormat, float tx, float ty, bool blend);

private:
    void Init(QuorAppBase* theApp);
    void FreePalette();
    void FreeBits();
    uint32_t* AllocBits(int theWidth, int theHeight);
};

// Stretch and rotation geometry shared by the memory image and the display image.
bool GetRotatedBltBounds(float theX, float theY, const Rect& theSrcRect, float theRotCenterX,
                         float theRotCenterY, double theRot, const Rect& theClipRect,
                         RectD& theBounds);
bool ClipStretchBlt(const Rect& theDestRect, const Rect& theClipRect, const Rect& theSrcRect,
                    Rect& theClippedDest, RectD& theClippedSrc);
bool ClipStretchBltMirror(const Rect& theDestRect, const Rect& theClipRect, const Rect& theSrcRect,
                          Rect& theClippedDest, RectD& theClippedSrc);

} // namespace Quor
