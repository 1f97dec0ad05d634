// The texture data of an image drawn by the 3-D renderer: the image laid out as a grid of
// textures (the pieces) within the device's size limits, the texture format chosen for it, the
// upload of its pixels with the edges repeated, the look-up of the piece under a point and the
// read back of the pixels from the pieces.
#pragma once

#include "platform/Render3D.h"

#include <vector>

namespace Quor {

class D3DInterface;
class MemoryImage;

struct TexturePiece {
    plat::Texture3D* mTexture = nullptr; // owned
    int mWidth = 0;                      // texture size
    int mHeight = 0;
};

class ImageTextureSet {
public:
    ImageTextureSet() = default;
    ~ImageTextureSet();
    ImageTextureSet(const ImageTextureSet&) = delete;
    ImageTextureSet& operator=(const ImageTextureSet&) = delete;

    // The piece size for a width and height under the device's limits (in and out).
    static void GetTextureSize(int& theWidth, int& theHeight, bool exact, int theImageFlags);
    // The entry of the size table for n (0-1023).
    static int SizeTableEntry(int n);

    void Layout(int theWidth, int theHeight, int theImageFlags);
    // Uploads when the format is 0 or the image's size, change count or flags moved.
    void Ensure(D3DInterface* theRenderer, MemoryImage* theImage);
    void Upload(D3DInterface* theRenderer, MemoryImage* theImage);
    // The piece holding (x, y); width and height (in and out) become the part it covers.
    plat::Texture3D* GetPiece(int x, int y, int& theWidth, int& theHeight, float& u1, float& v1, float& u2,
                              float& v2);
    bool ReadBack(D3DInterface* theRenderer, MemoryImage* theImage);
    void ReleaseTextures();

    std::vector<TexturePiece> mTextures;
    plat::Palette3D* mPalette = nullptr;
    int mWidth = 0;
    int mHeight = 0;
    int mTexVecWidth = 0;  // columns
    int mTexVecHeight = 0; // rows
    int mTexPieceWidth = 64;
    int mTexPieceHeight = 64;
    int mBitsChangedCount = 0;
    int mTexMemSize = 0;
    float mMaxTotalU = 0;
    float mMaxTotalV = 0;
    int mPixelFormat = 0;
    int mImageFlags = 0;

private:
    int ChooseFormat(D3DInterface* theRenderer, MemoryImage* theImage, plat::Palette3D*& thePalette);
    void UploadPiece(D3DInterface* theRenderer, MemoryImage* theImage, plat::Texture3D* theTexture, int x, int y,
                     int theTexWidth, int theTexHeight);
};

} // namespace Quor
