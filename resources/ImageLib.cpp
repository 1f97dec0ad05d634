// Image file readers (TGA, PNG, JPEG, JPEG-2000) and writers (PNG, JPEG), and the loader that
// picks a reader by extension and merges a separate alpha picture. The GIF reader is in
// ImageLibGIF.cpp.
#include "resources/ImageLib.h"

#include "graphics/PixelRows.h"
#include "platform/J2K.h"
#include "resources/PakInterface.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

namespace Quor::ImageLib {

thread_local uint32_t gAlphaComposeColor = 0xFFFFFF;

Image::~Image()
{
    delete[] mBits;
}

Image* AllocImage(int theWidth, int theHeight)
{
    if (theWidth <= 0 || theHeight <= 0 || theWidth > MAX_IMAGE_DIMENSION ||
        theHeight > MAX_IMAGE_DIMENSION)
        return nullptr;
    auto* anImage = new (std::nothrow) Image();
    if (anImage == nullptr)
        return nullptr;
    // One word more than the pixels: a memory image adopting the array keeps its end mark there.
    anImage->mBits =
        new (std::nothrow) uint32_t[static_cast<size_t>(theWidth) * static_cast<size_t>(theHeight) + 1];
    if (anImage->mBits == nullptr) {
        delete anImage;
        return nullptr;
    }
    anImage->mWidth = theWidth;
    anImage->mHeight = theHeight;
    return anImage;
}

namespace {

// ---------------------------------------------------------------------------------------------
// Writing a file completely or not at all.

std::string TempNameFor(const std::string& theFileName)
{
    return theFileName + ".part";
}

// Closes the temporary file and, when everything was written, renames it over the target;
// otherwise removes it. True when the target now holds the complete file.
bool FinishWrite(FILE* theFile, bool theSuccess, const std::string& theTemp,
                 const std::string& theTarget)
{
    if (std::fflush(theFile) != 0 || std::ferror(theFile) != 0)
        theSuccess = false;
    if (std::fclose(theFile) != 0)
        theSuccess = false;
    if (theSuccess && std::rename(theTemp.c_str(), theTarget.c_str()) != 0)
        theSuccess = false;
    if (!theSuccess)
        std::remove(theTemp.c_str());
    return theSuccess;
}

bool HasPixels(const Image* theImage)
{
    return theImage != nullptr && theImage->mBits != nullptr && theImage->mWidth > 0 &&
           theImage->mHeight > 0;
}

// ---------------------------------------------------------------------------------------------
// TGA

bool EqualsNoCase(const std::string& a, const char* b)
{
    size_t aLength = std::strlen(b);
    if (a.size() != aLength)
        return false;
    for (size_t i = 0; i < aLength; i++) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

uint16_t Le16(const uint8_t* theBytes)
{
    return static_cast<uint16_t>(theBytes[0] | (theBytes[1] << 8));
}

// ---------------------------------------------------------------------------------------------
// PNG

void PngPakReadData(png_structp thePng, png_bytep theData, png_size_t theLength)
{
    auto* aFile = static_cast<PakFile*>(png_get_io_ptr(thePng));
    if (PakFRead(theData, 1, theLength, aFile) != theLength)
        png_error(thePng, "Read Error");
}

Image* ReadPNG(PakFile* theFile)
{
    png_structp aPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (aPng == nullptr)
        return nullptr;
    png_infop anInfo = png_create_info_struct(aPng);
    if (anInfo == nullptr) {
        png_destroy_read_struct(&aPng, nullptr, nullptr);
        return nullptr;
    }

    Image* volatile anImage = nullptr;
    if (setjmp(png_jmpbuf(aPng))) {
        png_destroy_read_struct(&aPng, &anInfo, nullptr);
        delete anImage;
        return nullptr;
    }

    png_set_read_fn(aPng, theFile, PngPakReadData);
    png_set_user_limits(aPng, MAX_IMAGE_DIMENSION, MAX_IMAGE_DIMENSION);
    png_read_info(aPng, anInfo);

    png_uint_32 aWidth = 0, aHeight = 0;
    int aBitDepth = 0, aColorType = 0, anInterlace = 0;
    png_get_IHDR(aPng, anInfo, &aWidth, &aHeight, &aBitDepth, &aColorType, &anInterlace, nullptr,
                 nullptr);

    // Every picture arrives as blue, green, red, alpha bytes: the little-endian 0xAARRGGBB.
    png_set_expand(aPng);
    png_set_filler(aPng, 0xFF, PNG_FILLER_AFTER);
    png_set_expand(aPng);
    png_set_gray_to_rgb(aPng);
    png_set_bgr(aPng);
    // 16-bit channels are reduced to 8 bits, and interlaced pictures are assembled by libpng
    // over all passes, so that every row is whole 4-byte pixels.
    png_set_strip_16(aPng);
    int aPasses = png_set_interlace_handling(aPng);
    png_read_update_info(aPng, anInfo);
    if (png_get_rowbytes(aPng, anInfo) != static_cast<png_size_t>(aWidth) * 4)
        png_error(aPng, "Unsupported pixel layout");

    anImage = AllocImage(static_cast<int>(aWidth), static_cast<int>(aHeight));
    if (anImage == nullptr)
        png_error(aPng, "Out of memory");
    // Without an alpha channel or a transparent colour every pixel is opaque; otherwise the alpha
    // flags are gathered here, each row looked at while it is fresh from the decoder.
    const bool aMayBeClear =
        (aColorType & PNG_COLOR_MASK_ALPHA) != 0 || png_get_valid(aPng, anInfo, PNG_INFO_tRNS) != 0;
    bool aHasTrans = false, aHasAlpha = false;
    for (int aPass = 0; aPass < aPasses; aPass++) {
        for (png_uint_32 y = 0; y < aHeight; y++) {
            uint32_t* aRow = anImage->mBits + size_t(y) * aWidth;
            png_read_row(aPng, reinterpret_cast<png_bytep>(aRow), nullptr);
            if (aMayBeClear && aPass == aPasses - 1)
                PixelRows::ScanAlpha(aRow, aWidth, aHasTrans, aHasAlpha);
        }
    }
    png_read_end(aPng, nullptr);
    anImage->mAlphaKnown = true;
    anImage->mHasTrans = aHasTrans;
    anImage->mHasAlpha = aHasAlpha;
    png_destroy_read_struct(&aPng, &anInfo, nullptr);
    return anImage;
}

// ---------------------------------------------------------------------------------------------
// JPEG

struct JpegErrorManager {
    jpeg_error_mgr mPub;
    std::jmp_buf mJump;
};

void JpegErrorExit(j_common_ptr theInfo)
{
    auto* anError = reinterpret_cast<JpegErrorManager*>(theInfo->err);
    (*theInfo->err->output_message)(theInfo);
    std::longjmp(anError->mJump, 1);
}

constexpr size_t kJpegBufferSize = 4096;

struct JpegPakSource {
    jpeg_source_mgr mPub;
    PakFile* mFile;
    JOCTET* mBuffer;
    boolean mStartOfFile;
};

void JpegPakInitSource(j_decompress_ptr theInfo)
{
    reinterpret_cast<JpegPakSource*>(theInfo->src)->mStartOfFile = TRUE;
}

boolean JpegPakFillInputBuffer(j_decompress_ptr theInfo)
{
    auto* aSource = reinterpret_cast<JpegPakSource*>(theInfo->src);
    size_t aCount = PakFRead(aSource->mBuffer, 1, kJpegBufferSize, aSource->mFile);
    if (aCount == 0) {
        if (aSource->mStartOfFile)
            ERREXIT(theInfo, JERR_INPUT_EMPTY);
        WARNMS(theInfo, JWRN_JPEG_EOF);
        aSource->mBuffer[0] = 0xFF;
        aSource->mBuffer[1] = JPEG_EOI;
        aCount = 2;
    }
    aSource->mPub.next_input_byte = aSource->mBuffer;
    aSource->mPub.bytes_in_buffer = aCount;
    aSource->mStartOfFile = FALSE;
    return TRUE;
}

void JpegPakSkipInputData(j_decompress_ptr theInfo, long theCount)
{
    if (theCount <= 0)
        return;
    auto* aSource = reinterpret_cast<JpegPakSource*>(theInfo->src);
    while (theCount > static_cast<long>(aSource->mPub.bytes_in_buffer)) {
        theCount -= static_cast<long>(aSource->mPub.bytes_in_buffer);
        JpegPakFillInputBuffer(theInfo);
    }
    aSource->mPub.next_input_byte += theCount;
    aSource->mPub.bytes_in_buffer -= static_cast<size_t>(theCount);
}

void JpegPakTermSource(j_decompress_ptr) {}

void JpegPakSource_Install(j_decompress_ptr theInfo, PakFile* theFile)
{
    auto* aSource = static_cast<JpegPakSource*>((*theInfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(theInfo), JPOOL_PERMANENT, sizeof(JpegPakSource)));
    aSource->mBuffer = static_cast<JOCTET*>((*theInfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(theInfo), JPOOL_PERMANENT, kJpegBufferSize));
    aSource->mFile = theFile;
    aSource->mStartOfFile = TRUE;
    aSource->mPub.init_source = JpegPakInitSource;
    aSource->mPub.fill_input_buffer = JpegPakFillInputBuffer;
    aSource->mPub.skip_input_data = JpegPakSkipInputData;
    aSource->mPub.resync_to_restart = jpeg_resync_to_restart;
    aSource->mPub.term_source = JpegPakTermSource;
    aSource->mPub.bytes_in_buffer = 0;
    aSource->mPub.next_input_byte = nullptr;
    theInfo->src = &aSource->mPub;
}

// Memory libjpeg may take for whole-image buffers (progressive pictures).
constexpr long kJpegMaxMemory = 512L << 20;

Image* ReadJPEG(PakFile* theFile)
{
    jpeg_decompress_struct anInfo;
    JpegErrorManager anError;
    Image* volatile anImage = nullptr;

    anInfo.err = jpeg_std_error(&anError.mPub);
    anError.mPub.error_exit = JpegErrorExit;
    if (setjmp(anError.mJump)) {
        jpeg_destroy_decompress(&anInfo);
        delete anImage;
        return nullptr;
    }
    jpeg_create_decompress(&anInfo);
    anInfo.mem->max_memory_to_use = kJpegMaxMemory;
    JpegPakSource_Install(&anInfo, theFile);
    jpeg_read_header(&anInfo, TRUE);

    if (anInfo.image_width > static_cast<JDIMENSION>(MAX_IMAGE_DIMENSION) ||
        anInfo.image_height > static_cast<JDIMENSION>(MAX_IMAGE_DIMENSION))
        ERREXIT(&anInfo, JERR_IMAGE_TOO_BIG);

    // Grey stays grey, YCbCr and RGB come out as RGB, CMYK and YCCK as CMYK (converted below);
    // any other colour space is refused rather than misread.
    int aComponents;
    switch (anInfo.jpeg_color_space) {
    case JCS_GRAYSCALE:
        anInfo.out_color_space = JCS_GRAYSCALE;
        aComponents = 1;
        break;
    case JCS_YCbCr:
    case JCS_RGB:
        anInfo.out_color_space = JCS_RGB;
        aComponents = 3;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        anInfo.out_color_space = JCS_CMYK;
        aComponents = 4;
        break;
    default:
        ERREXIT(&anInfo, JERR_CONVERSION_NOTIMPL);
        return nullptr;
    }

    jpeg_start_decompress(&anInfo);
    if (anInfo.output_components != aComponents)
        ERREXIT(&anInfo, JERR_CONVERSION_NOTIMPL);

    int aWidth = static_cast<int>(anInfo.output_width);
    int aHeight = static_cast<int>(anInfo.output_height);
    JSAMPARRAY aRow = (*anInfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&anInfo),
                                                  JPOOL_IMAGE,
                                                  anInfo.output_width * aComponents, 1);
    anImage = AllocImage(aWidth, aHeight);
    if (anImage == nullptr)
        ERREXIT1(&anInfo, JERR_OUT_OF_MEMORY, 0);

    // Adobe files store CMYK inverted.
    bool anInverted = anInfo.saw_Adobe_marker;
    while (anInfo.output_scanline < anInfo.output_height) {
        uint32_t* aDest = anImage->mBits + size_t(anInfo.output_scanline) * size_t(aWidth);
        jpeg_read_scanlines(&anInfo, aRow, 1);
        const JSAMPLE* aSrc = aRow[0];
        if (aComponents == 1) {
            for (int x = 0; x < aWidth; x++) {
                uint32_t g = aSrc[x];
                aDest[x] = 0xFF000000 | (g << 16) | (g << 8) | g;
            }
        } else if (aComponents == 3) {
            for (int x = 0; x < aWidth; x++, aSrc += 3)
                aDest[x] = 0xFF000000 | (uint32_t(aSrc[0]) << 16) | (uint32_t(aSrc[1]) << 8) |
                           aSrc[2];
        } else {
            for (int x = 0; x < aWidth; x++, aSrc += 4) {
                uint32_t c = aSrc[0], m = aSrc[1], y = aSrc[2], k = aSrc[3];
                if (!anInverted) {
                    c = 255 - c;
                    m = 255 - m;
                    y = 255 - y;
                    k = 255 - k;
                }
                aDest[x] = 0xFF000000 | ((c * k / 255) << 16) | ((m * k / 255) << 8) | (y * k / 255);
            }
        }
    }
    jpeg_finish_decompress(&anInfo);
    jpeg_destroy_decompress(&anInfo);
    anImage->mAlphaKnown = true;  // every pixel opaque
    return anImage;
}

// ---------------------------------------------------------------------------------------------
// JPEG-2000 through the codec library

struct J2KCodec {
    plat::J2KLibrary* mLibrary = nullptr;
    bool mNotResolved = true;
    plat::J2KOpenCustomFn mOpenCustom = nullptr;
    plat::J2KOpenFileFn mOpenFile = nullptr;
    plat::J2KCloseFn mClose = nullptr;
    plat::J2KGetInfoFn mGetInfo = nullptr;
    plat::J2KGetResolutionDimensionsFn mGetResolutionDimensions = nullptr;
    plat::J2KDecodeFn mDecode = nullptr;
    plat::J2KGetLastErrorFn mGetLastError = nullptr;
    plat::J2KGetErrorStrFn mGetErrorStr = nullptr;
};

J2KCodec gJ2K;

template <typename Fn>
bool Resolve(Fn& theProc, const char* theName)
{
    theProc = reinterpret_cast<Fn>(plat::J2KGetProc(gJ2K.mLibrary, theName));
    return theProc != nullptr;
}

int J2KSeekCallback(void* theHandle, long theOffset)
{
    return PakFSeek(static_cast<PakFile*>(theHandle), theOffset, SEEK_SET);
}

long J2KReadCallback(void* theBuffer, long theCount, void* theHandle)
{
    if (theCount <= 0)
        return 0;
    return static_cast<long>(
        PakFRead(theBuffer, 1, static_cast<size_t>(theCount), static_cast<PakFile*>(theHandle)));
}

void J2KCloseCallback(void*) {}

const plat::J2KStreamCallbacks kJ2KCallbacks = {J2KSeekCallback, J2KReadCallback, J2KCloseCallback};

Image* ReadJ2K(PakFile* theFile)
{
    plat::J2KImage* aCodecImage = gJ2K.mOpenCustom(theFile, &kJ2KCallbacks);
    if (aCodecImage == nullptr) {
        // The codec keeps an error text; the loader does not report it.
        int anError = gJ2K.mGetLastError();
        (void)gJ2K.mGetErrorStr(anError);
        return nullptr;
    }
    int aWidth = 0, aHeight = 0, aComponents = 0;
    if (gJ2K.mGetInfo(aCodecImage, &aWidth, &aHeight, &aComponents) != 0) {
        gJ2K.mClose(aCodecImage);
        return nullptr;
    }
    gJ2K.mGetResolutionDimensions(aCodecImage, 0, &aWidth, &aHeight);

    Image* anImage = AllocImage(aWidth, aHeight);
    if (anImage == nullptr) {
        gJ2K.mClose(aCodecImage);
        return nullptr;
    }
    auto* aPixels = reinterpret_cast<unsigned char*>(anImage->mBits);
    int aSize = aWidth * aHeight * 4;
    int aPitch = aWidth * 4;
    if (gJ2K.mDecode(aCodecImage, &aPixels, &aSize, "bpp=4,rl=0", &aPitch) != 0) {
        gJ2K.mClose(aCodecImage);
        delete anImage;
        return nullptr;
    }
    gJ2K.mClose(aCodecImage);

    size_t aCount = size_t(aWidth) * size_t(aHeight);
    for (size_t i = 0; i < aCount; i++)
        anImage->mBits[i] |= 0xFF000000;
    anImage->mAlphaKnown = true;
    return anImage;
}

// ---------------------------------------------------------------------------------------------
// Loading by name

using Reader = Image* (*)(const std::string&);

struct ReaderRow {
    const char* mExtension;
    Reader mReader;
};

const ReaderRow kReaders[] = {
    {".tga", LoadTGAImage}, {".jpg", LoadJPEGImage}, {".png", LoadPNGImage},
    {".gif", LoadGIFImage}, {".j2k", LoadJ2KImage},  {".jp2", LoadJ2KImage},
};

} // namespace

// ---------------------------------------------------------------------------------------------

Image* LoadTGAImage(const std::string& theFileName)
{
    PakFile* aFile = PakFOpen(theFileName.c_str(), "rb");
    if (aFile == nullptr)
        return nullptr;

    uint8_t aHeader[18];
    Image* anImage = nullptr;
    if (PakFRead(aHeader, 1, sizeof(aHeader), aFile) == sizeof(aHeader)) {
        int anIdLength = aHeader[0];
        int aColorMapType = aHeader[1];
        int anImageType = aHeader[2];
        int aColorMapLength = Le16(aHeader + 5);
        int aColorMapEntryBits = aHeader[7];
        int aWidth = Le16(aHeader + 12);
        int aHeight = Le16(aHeader + 14);
        int aDepth = aHeader[16];
        int aDescriptor = aHeader[17];

        // Only uncompressed 32-bit true-colour pictures with 8 alpha bits and a top-left
        // origin; the image ID and a colour map, when present, lie before the pixels.
        long aPixelStart = 18 + anIdLength;
        if (aColorMapType == 1)
            aPixelStart += static_cast<long>(aColorMapLength) * ((aColorMapEntryBits + 7) / 8);
        if (anImageType == 2 && aDepth == 32 && aDescriptor == 0x28 &&
            PakFSeek(aFile, aPixelStart, SEEK_SET) == 0) {
            anImage = AllocImage(aWidth, aHeight);
            if (anImage != nullptr) {
                size_t aCount = size_t(aWidth) * size_t(aHeight);
                if (PakFRead(anImage->mBits, 4, aCount, aFile) != aCount) {
                    delete anImage;
                    anImage = nullptr;
                } else {
                    auto* aBytes = reinterpret_cast<uint8_t*>(anImage->mBits);
                    for (size_t i = 0; i < aCount; i++) {
                        const uint8_t* p = aBytes + i * 4;
                        anImage->mBits[i] = uint32_t(p[0]) | (uint32_t(p[1]) << 8) |
                                            (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
                    }
                }
            }
        }
    }
    PakFClose(aFile);
    return anImage;
}

Image* LoadPNGImage(const std::string& theFileName)
{
    PakFile* aFile = PakFOpen(theFileName.c_str(), "rb");
    if (aFile == nullptr)
        return nullptr;
    Image* anImage = ReadPNG(aFile);
    PakFClose(aFile);
    return anImage;
}

Image* LoadJPEGImage(const std::string& theFileName)
{
    PakFile* aFile = PakFOpen(theFileName.c_str(), "rb");
    if (aFile == nullptr)
        return nullptr;
    Image* anImage = ReadJPEG(aFile);
    PakFClose(aFile);
    return anImage;
}

void LoadJ2KCodecLibrary()
{
    gJ2K.mLibrary = plat::J2KLoadLibrary("j2k-codec.dll");
}

void FreeJ2KCodecLibrary()
{
    if (gJ2K.mLibrary != nullptr)
        plat::J2KFreeLibrary(gJ2K.mLibrary);
    gJ2K.mLibrary = nullptr;
    // Entry points of a released library must not be called; a library loaded again is
    // resolved again.
    gJ2K.mNotResolved = true;
}

Image* LoadJ2KImage(const std::string& theFileName)
{
    if (gJ2K.mLibrary == nullptr)
        return nullptr;
    PakFile* aFile = PakFOpen(theFileName.c_str(), "rb");
    if (aFile == nullptr)
        return nullptr;

    if (gJ2K.mNotResolved) {
        gJ2K.mNotResolved = false;
        bool aResolved = Resolve(gJ2K.mOpenCustom, "_J2K_OpenCustom@8");
        aResolved = Resolve(gJ2K.mOpenFile, "_J2K_OpenFile@4") && aResolved;
        aResolved = Resolve(gJ2K.mClose, "_J2K_Close@4") && aResolved;
        aResolved = Resolve(gJ2K.mGetInfo, "_J2K_GetInfo@16") && aResolved;
        aResolved =
            Resolve(gJ2K.mGetResolutionDimensions, "_J2K_GetResolutionDimensions@16") && aResolved;
        aResolved = Resolve(gJ2K.mDecode, "_J2K_Decode@20") && aResolved;
        aResolved = Resolve(gJ2K.mGetLastError, "_J2K_getLastError@0") && aResolved;
        aResolved = Resolve(gJ2K.mGetErrorStr, "_J2K_getErrorStr@4") && aResolved;
        if (!aResolved) {
            FreeJ2KCodecLibrary();
            gJ2K.mNotResolved = false;
            PakFClose(aFile);
            return nullptr;
        }
    }

    Image* anImage = ReadJ2K(aFile);
    PakFClose(aFile);
    return anImage;
}

Image* GetImage(const std::string& theFileName, bool lookForAlphaImage)
{
    size_t aDot = theFileName.rfind('.');
    size_t aBackslash = theFileName.rfind('\\');
    size_t aSlash = theFileName.rfind('/');
    size_t aSeparator = std::string::npos;
    if (aBackslash != std::string::npos && aSlash != std::string::npos)
        aSeparator = std::max(aBackslash, aSlash);
    else if (aBackslash != std::string::npos)
        aSeparator = aBackslash;
    else
        aSeparator = aSlash;

    std::string anExt;
    std::string aBase = theFileName;
    if (aDot != std::string::npos && (aSeparator == std::string::npos || aDot > aSeparator)) {
        anExt = theFileName.substr(aDot);
        aBase = theFileName.substr(0, aDot);
    }

    Image* anImage = nullptr;
    for (const ReaderRow& aRow : kReaders) {
        if (anExt.empty() || EqualsNoCase(anExt, aRow.mExtension)) {
            anImage = aRow.mReader(aBase + aRow.mExtension);
            if (anImage != nullptr)
                break;
        }
    }

    Image* anAlphaImage = nullptr;
    if (lookForAlphaImage) {
        std::string aDir, aFile;
        if (aSeparator != std::string::npos) {
            aDir = theFileName.substr(0, aSeparator + 1);
            aFile = theFileName.substr(aSeparator + 1);
        } else {
            aFile = theFileName;
        }
        anAlphaImage = GetImage(aDir + "_" + aFile, false);
        if (anAlphaImage == nullptr)
            anAlphaImage = GetImage(theFileName + "_", false);
    }

    if (anImage != nullptr && anAlphaImage != nullptr) {
        if (anImage->mWidth == anAlphaImage->mWidth && anImage->mHeight == anAlphaImage->mHeight) {
            size_t aCount = size_t(anImage->mWidth) * size_t(anImage->mHeight);
            for (size_t i = 0; i < aCount; i++)
                anImage->mBits[i] = (anImage->mBits[i] & 0x00FFFFFF) |
                                    ((anAlphaImage->mBits[i] & 0xFF) << 24);
            anImage->mAlphaKnown = false;
        }
        delete anAlphaImage;
        return anImage;
    }
    if (anImage != nullptr)
        return anImage;
    if (anAlphaImage != nullptr) {
        size_t aCount = size_t(anAlphaImage->mWidth) * size_t(anAlphaImage->mHeight);
        for (size_t i = 0; i < aCount; i++)
            anAlphaImage->mBits[i] = ((anAlphaImage->mBits[i] & 0xFF) << 24) | gAlphaComposeColor;
        anAlphaImage->mAlphaKnown = false;
        return anAlphaImage;
    }
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// Writers

namespace {

bool WriteJPEGFile(FILE* theFile, Image* theImage)
{
    jpeg_compress_struct anInfo;
    JpegErrorManager anError;
    anInfo.err = jpeg_std_error(&anError.mPub);
    anError.mPub.error_exit = JpegErrorExit;
    if (setjmp(anError.mJump)) {
        jpeg_destroy_compress(&anInfo);
        return false;
    }
    jpeg_create_compress(&anInfo);
    anInfo.image_width = static_cast<JDIMENSION>(theImage->mWidth);
    anInfo.image_height = static_cast<JDIMENSION>(theImage->mHeight);
    anInfo.input_components = 3;
    anInfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&anInfo);
    jpeg_set_quality(&anInfo, 80, TRUE);
    jpeg_stdio_dest(&anInfo, theFile);
    jpeg_start_compress(&anInfo, TRUE);

    JSAMPARRAY aRow = (*anInfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&anInfo),
                                                  JPOOL_IMAGE,
                                                  static_cast<JDIMENSION>(theImage->mWidth) * 3, 1);
    while (anInfo.next_scanline < anInfo.image_height) {
        const uint32_t* aSrc =
            theImage->mBits + size_t(anInfo.next_scanline) * size_t(theImage->mWidth);
        JSAMPLE* aDest = aRow[0];
        for (int x = 0; x < theImage->mWidth; x++) {
            aDest[x * 3 + 0] = static_cast<JSAMPLE>((aSrc[x] >> 16) & 0xFF);
            aDest[x * 3 + 1] = static_cast<JSAMPLE>((aSrc[x] >> 8) & 0xFF);
            aDest[x * 3 + 2] = static_cast<JSAMPLE>(aSrc[x] & 0xFF);
        }
        jpeg_write_scanlines(&anInfo, aRow, 1);
    }
    jpeg_finish_compress(&anInfo);
    jpeg_destroy_compress(&anInfo);
    return true;
}

bool WritePNGFile(FILE* theFile, Image* theImage)
{
    png_structp aPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (aPng == nullptr)
        return false;
    png_infop anInfo = png_create_info_struct(aPng);
    if (anInfo == nullptr) {
        png_destroy_write_struct(&aPng, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(aPng))) {
        png_destroy_write_struct(&aPng, &anInfo);
        return false;
    }
    png_init_io(aPng, theFile);
    png_color_8 aSigBits;
    aSigBits.red = 8;
    aSigBits.green = 8;
    aSigBits.blue = 8;
    aSigBits.alpha = 8;
    aSigBits.gray = 0;
    png_set_sBIT(aPng, anInfo, &aSigBits);
    png_set_bgr(aPng);
    png_set_IHDR(aPng, anInfo, static_cast<png_uint_32>(theImage->mWidth),
                 static_cast<png_uint_32>(theImage->mHeight), 8, PNG_COLOR_TYPE_RGB_ALPHA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(aPng, anInfo);
    for (int y = 0; y < theImage->mHeight; y++)
        png_write_row(aPng, reinterpret_cast<png_const_bytep>(theImage->mBits +
                                                              size_t(y) * size_t(theImage->mWidth)));
    png_write_end(aPng, anInfo);
    png_destroy_write_struct(&aPng, &anInfo);
    return true;
}

template <typename Writer>
bool WriteFileSafely(const std::string& theFileName, Image* theImage, Writer theWriter)
{
    if (!HasPixels(theImage))
        return false;
    std::string aTemp = TempNameFor(theFileName);
    FILE* aFile = std::fopen(aTemp.c_str(), "wb");
    if (aFile == nullptr)
        return false;
    bool aWritten = theWriter(aFile, theImage);
    return FinishWrite(aFile, aWritten, aTemp, theFileName);
}

} // namespace

bool WriteJPEGImage(const std::string& theFileName, Image* theImage)
{
    return WriteFileSafely(theFileName, theImage, WriteJPEGFile);
}

bool WritePNGImage(const std::string& theFileName, Image* theImage)
{
    return WriteFileSafely(theFileName, theImage, WritePNGFile);
}

} // namespace Quor::ImageLib
