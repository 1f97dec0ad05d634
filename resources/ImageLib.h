// Image files to and from plain 32-bit pixel arrays: readers for TGA, JPEG, PNG, GIF and
// JPEG-2000 (through the archive-aware file functions), writers for JPEG and PNG, and the
// loader that picks a reader by extension and merges a separate alpha image.
#pragma once

#include <cstdint>
#include <string>

namespace Quor::ImageLib {

// Width and height of the largest picture any reader accepts. The fuzz build keeps pictures
// smaller, so that the largest one a reader accepts is decoded within the per-input time limit.
#ifdef QUOR_FUZZING
constexpr int MAX_IMAGE_DIMENSION = 4096;
#else
constexpr int MAX_IMAGE_DIMENSION = 16384;
#endif

// A decoded picture: rows from the top, each pixel 0xAARRGGBB.
class Image {
public:
    int mWidth = 0;
    int mHeight = 0;
    uint32_t* mBits = nullptr;  // mWidth * mHeight pixels and one spare word (AllocImage), owned
    // Whether some pixel is clear (alpha 0) and whether some is partly clear, when the reader
    // learnt it while decoding (mAlphaKnown); otherwise whoever needs them scans the pixels.
    bool mAlphaKnown = false;
    bool mHasTrans = false;
    bool mHasAlpha = false;

    Image() = default;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    virtual ~Image();

    int GetWidth() const { return mWidth; }
    int GetHeight() const { return mHeight; }
    uint32_t* GetBits() const { return mBits; }
};

// Colour (0x00RRGGBB) given to a picture that consists of an alpha file only. Each thread has
// its own, so that a load on the loading thread and one on the main thread never see each
// other's colour.
extern thread_local uint32_t gAlphaComposeColor;

// Loads a picture by name: the reader by extension, or every reader in turn when the name has
// none; with lookForAlphaImage, a separate alpha picture ("_name" or "name_") is merged in.
// The caller owns the result; null when nothing could be loaded.
Image* GetImage(const std::string& theFileName, bool lookForAlphaImage = true);

// Writers; a file is written under a temporary name and renamed over the target only when
// complete, so a failed write leaves no partial file. True when written.
bool WriteJPEGImage(const std::string& theFileName, Image* theImage);
bool WritePNGImage(const std::string& theFileName, Image* theImage);

// The JPEG-2000 codec library: loaded when the application object is built, freed at shutdown.
void LoadJ2KCodecLibrary();
void FreeJ2KCodecLibrary();

// The individual readers; each returns a new picture or null.
Image* LoadTGAImage(const std::string& theFileName);
Image* LoadJPEGImage(const std::string& theFileName);
Image* LoadPNGImage(const std::string& theFileName);
Image* LoadGIFImage(const std::string& theFileName);
Image* LoadJ2KImage(const std::string& theFileName);

// A new picture of the given size with uninitialised pixels; null when the size is not
// within 1..MAX_IMAGE_DIMENSION or the memory cannot be had.
Image* AllocImage(int theWidth, int theHeight);

} // namespace Quor::ImageLib
