// JPEG-2000 codec library over OpenJPEG: the stream is read whole through the caller's
// callbacks, decoded by OpenJPEG and converted to 32-bit blue, green, red, alpha pixels.
#include "platform/J2K.h"

#include <openjpeg.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <strings.h>
#include <vector>

namespace plat {

struct J2KLibrary {
    int mDummy = 0;
};

struct J2KImage {
    std::vector<uint8_t> mData;
    size_t mPos = 0;
    opj_codec_t* mCodec = nullptr;
    opj_stream_t* mStream = nullptr;
    opj_image_t* mImage = nullptr;
    bool mDecoded = false;
};

namespace {

constexpr size_t kMaxStreamBytes = size_t(256) << 20;
// Decoded samples over all components; OpenJPEG keeps 4 bytes for each.
// The fuzz build keeps pictures smaller, so that each input is decoded within its time limit.
#ifdef QUOR_FUZZING
constexpr uint64_t kMaxSamples = uint64_t(1) << 25;
constexpr uint32_t kMaxDimension = 4096;
#else
constexpr uint64_t kMaxSamples = uint64_t(1) << 27;
constexpr uint32_t kMaxDimension = 16384;
#endif

enum J2KError {
    J2K_OK = 0,
    J2K_READ_FAILED,
    J2K_NOT_J2K,
    J2K_BAD_HEADER,
    J2K_TOO_LARGE,
    J2K_DECODE_FAILED,
    J2K_BAD_ARGUMENTS,
    J2K_NO_MEMORY,
};

thread_local int tLastError = J2K_OK;

const char* ErrorText(int theError)
{
    switch (theError) {
    case J2K_OK: return "no error";
    case J2K_READ_FAILED: return "the stream could not be read";
    case J2K_NOT_J2K: return "not a JPEG-2000 codestream or JP2 file";
    case J2K_BAD_HEADER: return "the header could not be read";
    case J2K_TOO_LARGE: return "the picture is too large";
    case J2K_DECODE_FAILED: return "the picture could not be decoded";
    case J2K_BAD_ARGUMENTS: return "bad arguments";
    case J2K_NO_MEMORY: return "out of memory";
    default: return "unknown error";
    }
}

void QuietHandler(const char*, void*) {}

OPJ_SIZE_T StreamRead(void* theBuffer, OPJ_SIZE_T theCount, void* theData)
{
    auto* anImage = static_cast<J2KImage*>(theData);
    if (anImage->mPos >= anImage->mData.size())
        return static_cast<OPJ_SIZE_T>(-1);
    size_t aCount = std::min<size_t>(theCount, anImage->mData.size() - anImage->mPos);
    std::memcpy(theBuffer, anImage->mData.data() + anImage->mPos, aCount);
    anImage->mPos += aCount;
    return aCount;
}

OPJ_OFF_T StreamSkip(OPJ_OFF_T theCount, void* theData)
{
    auto* anImage = static_cast<J2KImage*>(theData);
    auto aPos = static_cast<OPJ_OFF_T>(anImage->mPos);
    OPJ_OFF_T aNew = std::clamp<OPJ_OFF_T>(aPos + theCount, 0,
                                           static_cast<OPJ_OFF_T>(anImage->mData.size()));
    anImage->mPos = static_cast<size_t>(aNew);
    return aNew - aPos;
}

OPJ_BOOL StreamSeek(OPJ_OFF_T theOffset, void* theData)
{
    auto* anImage = static_cast<J2KImage*>(theData);
    if (theOffset < 0 || static_cast<uint64_t>(theOffset) > anImage->mData.size())
        return OPJ_FALSE;
    anImage->mPos = static_cast<size_t>(theOffset);
    return OPJ_TRUE;
}

void DestroyImage(J2KImage* theImage)
{
    if (theImage == nullptr)
        return;
    if (theImage->mImage != nullptr)
        opj_image_destroy(theImage->mImage);
    if (theImage->mCodec != nullptr)
        opj_destroy_codec(theImage->mCodec);
    if (theImage->mStream != nullptr)
        opj_stream_destroy(theImage->mStream);
    delete theImage;
}

J2KImage* Fail(J2KImage* theImage, int theError)
{
    DestroyImage(theImage);
    tLastError = theError;
    return nullptr;
}

uint32_t CeilDivPow2(uint32_t theValue, int thePower)
{
    return static_cast<uint32_t>((uint64_t(theValue) + (uint64_t(1) << thePower) - 1) >> thePower);
}

// Picture size at a resolution level (0 = full size).
void LevelSize(const opj_image_t* theImage, int theLevel, uint32_t& theWidth, uint32_t& theHeight)
{
    theWidth = CeilDivPow2(theImage->x1, theLevel) - CeilDivPow2(theImage->x0, theLevel);
    theHeight = CeilDivPow2(theImage->y1, theLevel) - CeilDivPow2(theImage->y0, theLevel);
}

// Sets up the codec and reads the header of the bytes held in theImage.
J2KImage* OpenFromMemory(J2KImage* theImage)
{
    static const uint8_t kJP2Magic[12] = {0x00, 0x00, 0x00, 0x0C, 0x6A, 0x50,
                                          0x20, 0x20, 0x0D, 0x0A, 0x87, 0x0A};
    static const uint8_t kJ2KMagic[4] = {0xFF, 0x4F, 0xFF, 0x51};
    const std::vector<uint8_t>& aData = theImage->mData;
    OPJ_CODEC_FORMAT aFormat;
    if (aData.size() >= sizeof(kJP2Magic) && std::memcmp(aData.data(), kJP2Magic, 12) == 0)
        aFormat = OPJ_CODEC_JP2;
    else if (aData.size() >= sizeof(kJ2KMagic) && std::memcmp(aData.data(), kJ2KMagic, 4) == 0)
        aFormat = OPJ_CODEC_J2K;
    else
        return Fail(theImage, J2K_NOT_J2K);

    theImage->mCodec = opj_create_decompress(aFormat);
    if (theImage->mCodec == nullptr)
        return Fail(theImage, J2K_NO_MEMORY);
    opj_set_error_handler(theImage->mCodec, QuietHandler, nullptr);
    opj_set_warning_handler(theImage->mCodec, QuietHandler, nullptr);
    opj_set_info_handler(theImage->mCodec, QuietHandler, nullptr);
    opj_dparameters_t aParameters;
    opj_set_default_decoder_parameters(&aParameters);
    if (!opj_setup_decoder(theImage->mCodec, &aParameters))
        return Fail(theImage, J2K_BAD_HEADER);

    theImage->mStream = opj_stream_create(64 * 1024, OPJ_TRUE);
    if (theImage->mStream == nullptr)
        return Fail(theImage, J2K_NO_MEMORY);
    opj_stream_set_user_data(theImage->mStream, theImage, nullptr);
    opj_stream_set_user_data_length(theImage->mStream, aData.size());
    opj_stream_set_read_function(theImage->mStream, StreamRead);
    opj_stream_set_skip_function(theImage->mStream, StreamSkip);
    opj_stream_set_seek_function(theImage->mStream, StreamSeek);

    if (!opj_read_header(theImage->mStream, theImage->mCodec, &theImage->mImage) ||
        theImage->mImage == nullptr)
        return Fail(theImage, J2K_BAD_HEADER);

    const opj_image_t* anImage = theImage->mImage;
    if (anImage->numcomps == 0 || anImage->comps == nullptr || anImage->x1 <= anImage->x0 ||
        anImage->y1 <= anImage->y0)
        return Fail(theImage, J2K_BAD_HEADER);
    uint32_t aWidth, aHeight;
    LevelSize(anImage, 0, aWidth, aHeight);
    if (aWidth > kMaxDimension || aHeight > kMaxDimension)
        return Fail(theImage, J2K_TOO_LARGE);
    uint64_t aSamples = 0;
    for (uint32_t c = 0; c < anImage->numcomps; c++) {
        const opj_image_comp_t& aComp = anImage->comps[c];
        if (aComp.dx == 0 || aComp.dy == 0 || aComp.prec == 0 || aComp.prec > 31)
            return Fail(theImage, J2K_BAD_HEADER);
        aSamples += uint64_t(CeilDivPow2(aWidth, 0) / aComp.dx + 1) * (aHeight / aComp.dy + 1);
    }
    if (aSamples > kMaxSamples)
        return Fail(theImage, J2K_TOO_LARGE);
    tLastError = J2K_OK;
    return theImage;
}

J2KImage* OpenCustom(void* theHandle, const J2KStreamCallbacks* theCallbacks)
{
    if (theCallbacks == nullptr || theCallbacks->mRead == nullptr)
        return Fail(nullptr, J2K_BAD_ARGUMENTS);
    auto* anImage = new (std::nothrow) J2KImage();
    if (anImage == nullptr)
        return Fail(nullptr, J2K_NO_MEMORY);
    if (theCallbacks->mSeek != nullptr && theCallbacks->mSeek(theHandle, 0) != 0)
        return Fail(anImage, J2K_READ_FAILED);
    uint8_t aChunk[64 * 1024];
    for (;;) {
        long aRead = theCallbacks->mRead(aChunk, sizeof(aChunk), theHandle);
        if (aRead <= 0)
            break;
        if (anImage->mData.size() + static_cast<size_t>(aRead) > kMaxStreamBytes)
            return Fail(anImage, J2K_TOO_LARGE);
        anImage->mData.insert(anImage->mData.end(), aChunk, aChunk + aRead);
    }
    if (theCallbacks->mClose != nullptr)
        theCallbacks->mClose(theHandle);
    return OpenFromMemory(anImage);
}

J2KImage* OpenFile(const char* theFileName)
{
    if (theFileName == nullptr)
        return Fail(nullptr, J2K_BAD_ARGUMENTS);
    FILE* aFile = std::fopen(theFileName, "rb");
    if (aFile == nullptr)
        return Fail(nullptr, J2K_READ_FAILED);
    auto* anImage = new (std::nothrow) J2KImage();
    if (anImage == nullptr) {
        std::fclose(aFile);
        return Fail(nullptr, J2K_NO_MEMORY);
    }
    uint8_t aChunk[64 * 1024];
    size_t aRead;
    while ((aRead = std::fread(aChunk, 1, sizeof(aChunk), aFile)) > 0) {
        if (anImage->mData.size() + aRead > kMaxStreamBytes) {
            std::fclose(aFile);
            return Fail(anImage, J2K_TOO_LARGE);
        }
        anImage->mData.insert(anImage->mData.end(), aChunk, aChunk + aRead);
    }
    std::fclose(aFile);
    return OpenFromMemory(anImage);
}

void Close(J2KImage* theImage)
{
    DestroyImage(theImage);
}

int GetInfo(J2KImage* theImage, int* theWidth, int* theHeight, int* theComponents)
{
    if (theImage == nullptr || theImage->mImage == nullptr) {
        tLastError = J2K_BAD_ARGUMENTS;
        return J2K_BAD_ARGUMENTS;
    }
    uint32_t aWidth, aHeight;
    LevelSize(theImage->mImage, 0, aWidth, aHeight);
    if (theWidth != nullptr)
        *theWidth = static_cast<int>(aWidth);
    if (theHeight != nullptr)
        *theHeight = static_cast<int>(aHeight);
    if (theComponents != nullptr)
        *theComponents = static_cast<int>(theImage->mImage->numcomps);
    return J2K_OK;
}

int GetResolutionDimensions(J2KImage* theImage, int theLevel, int* theWidth, int* theHeight)
{
    if (theImage == nullptr || theImage->mImage == nullptr || theLevel < 0 || theLevel > 31) {
        tLastError = J2K_BAD_ARGUMENTS;
        return J2K_BAD_ARGUMENTS;
    }
    uint32_t aWidth, aHeight;
    LevelSize(theImage->mImage, theLevel, aWidth, aHeight);
    if (theWidth != nullptr)
        *theWidth = static_cast<int>(aWidth);
    if (theHeight != nullptr)
        *theHeight = static_cast<int>(aHeight);
    return J2K_OK;
}

// Parses "bpp=4,rl=0"; only four bytes a pixel are offered.
bool ParseOptions(const char* theOptions, int& theLevel)
{
    theLevel = 0;
    int aBpp = 4;
    std::string anOptions = theOptions != nullptr ? theOptions : "";
    size_t aStart = 0;
    while (aStart <= anOptions.size()) {
        size_t anEnd = anOptions.find(',', aStart);
        if (anEnd == std::string::npos)
            anEnd = anOptions.size();
        std::string anItem = anOptions.substr(aStart, anEnd - aStart);
        size_t anEquals = anItem.find('=');
        if (anEquals != std::string::npos) {
            std::string aKey = anItem.substr(0, anEquals);
            int aValue = std::atoi(anItem.c_str() + anEquals + 1);
            if (strcasecmp(aKey.c_str(), "bpp") == 0)
                aBpp = aValue;
            else if (strcasecmp(aKey.c_str(), "rl") == 0)
                theLevel = aValue;
        }
        aStart = anEnd + 1;
    }
    return aBpp == 4 && theLevel >= 0 && theLevel < 32;
}

// One component sample scaled to 8 bits.
inline int Sample8(const opj_image_comp_t& theComp, size_t theIndex)
{
    int64_t aValue = theComp.data[theIndex];
    if (theComp.sgnd)
        aValue += int64_t(1) << (theComp.prec - 1);
    if (theComp.prec > 8)
        aValue >>= (theComp.prec - 8);
    else if (theComp.prec < 8)
        aValue = aValue * 255 / ((int64_t(1) << theComp.prec) - 1);
    return static_cast<int>(std::clamp<int64_t>(aValue, 0, 255));
}

int Decode(J2KImage* theImage, unsigned char** theBuffer, int* theSize, const char* theOptions,
           int* thePitch)
{
    int aLevel;
    if (theImage == nullptr || theImage->mImage == nullptr || theBuffer == nullptr ||
        *theBuffer == nullptr || theSize == nullptr || thePitch == nullptr ||
        !ParseOptions(theOptions, aLevel) || theImage->mDecoded) {
        tLastError = J2K_BAD_ARGUMENTS;
        return J2K_BAD_ARGUMENTS;
    }
    uint32_t aWidth, aHeight;
    LevelSize(theImage->mImage, aLevel, aWidth, aHeight);
    if (aWidth == 0 || aHeight == 0 || *thePitch < 0 ||
        static_cast<uint64_t>(*thePitch) < uint64_t(aWidth) * 4 || *theSize < 0 ||
        static_cast<uint64_t>(*theSize) < uint64_t(*thePitch) * aHeight) {
        tLastError = J2K_BAD_ARGUMENTS;
        return J2K_BAD_ARGUMENTS;
    }

    theImage->mDecoded = true;
    if ((aLevel > 0 && !opj_set_decoded_resolution_factor(theImage->mCodec, aLevel)) ||
        !opj_decode(theImage->mCodec, theImage->mStream, theImage->mImage) ||
        !opj_end_decompress(theImage->mCodec, theImage->mStream)) {
        tLastError = J2K_DECODE_FAILED;
        return J2K_DECODE_FAILED;
    }

    const opj_image_t* anImage = theImage->mImage;
    for (uint32_t c = 0; c < anImage->numcomps; c++) {
        if (anImage->comps[c].data == nullptr || anImage->comps[c].w == 0 ||
            anImage->comps[c].h == 0) {
            tLastError = J2K_DECODE_FAILED;
            return J2K_DECODE_FAILED;
        }
    }

    uint32_t aNumComps = anImage->numcomps;
    bool isColor = aNumComps >= 3;
    uint32_t anAlphaComp = isColor ? 3 : 1;
    bool hasAlpha = aNumComps > anAlphaComp;
    bool isYCC = isColor && anImage->color_space == OPJ_CLRSPC_SYCC;

    // Each output pixel takes the nearest sample of every component, which also covers
    // subsampled components.
    auto aSampleIndex = [&](uint32_t theComp, uint32_t x, uint32_t y) {
        const opj_image_comp_t& aComp = anImage->comps[theComp];
        uint32_t cx = std::min<uint32_t>(aComp.w - 1, uint32_t(uint64_t(x) * aComp.w / aWidth));
        uint32_t cy = std::min<uint32_t>(aComp.h - 1, uint32_t(uint64_t(y) * aComp.h / aHeight));
        return size_t(cy) * aComp.w + cx;
    };

    for (uint32_t y = 0; y < aHeight; y++) {
        unsigned char* aRow = *theBuffer + size_t(y) * static_cast<size_t>(*thePitch);
        for (uint32_t x = 0; x < aWidth; x++) {
            int r, g, b;
            if (isColor) {
                r = Sample8(anImage->comps[0], aSampleIndex(0, x, y));
                g = Sample8(anImage->comps[1], aSampleIndex(1, x, y));
                b = Sample8(anImage->comps[2], aSampleIndex(2, x, y));
                if (isYCC) {
                    double aY = r, aCb = g - 128.0, aCr = b - 128.0;
                    r = std::clamp(static_cast<int>(std::lround(aY + 1.402 * aCr)), 0, 255);
                    g = std::clamp(
                        static_cast<int>(std::lround(aY - 0.344136 * aCb - 0.714136 * aCr)), 0,
                        255);
                    b = std::clamp(static_cast<int>(std::lround(aY + 1.772 * aCb)), 0, 255);
                }
            } else {
                r = g = b = Sample8(anImage->comps[0], aSampleIndex(0, x, y));
            }
            int a = hasAlpha ? Sample8(anImage->comps[anAlphaComp], aSampleIndex(anAlphaComp, x, y))
                             : 255;
            aRow[x * 4 + 0] = static_cast<unsigned char>(b);
            aRow[x * 4 + 1] = static_cast<unsigned char>(g);
            aRow[x * 4 + 2] = static_cast<unsigned char>(r);
            aRow[x * 4 + 3] = static_cast<unsigned char>(a);
        }
    }
    tLastError = J2K_OK;
    return J2K_OK;
}

int GetLastError()
{
    return tLastError;
}

const char* GetErrorStr(int theError)
{
    return ErrorText(theError);
}

struct NamedProc {
    const char* mName;
    J2KProc mProc;
};

const NamedProc kProcs[] = {
    {"_J2K_OpenCustom@8", reinterpret_cast<J2KProc>(&OpenCustom)},
    {"_J2K_OpenFile@4", reinterpret_cast<J2KProc>(&OpenFile)},
    {"_J2K_Close@4", reinterpret_cast<J2KProc>(&Close)},
    {"_J2K_GetInfo@16", reinterpret_cast<J2KProc>(&GetInfo)},
    {"_J2K_GetResolutionDimensions@16", reinterpret_cast<J2KProc>(&GetResolutionDimensions)},
    {"_J2K_Decode@20", reinterpret_cast<J2KProc>(&Decode)},
    {"_J2K_getLastError@0", reinterpret_cast<J2KProc>(&GetLastError)},
    {"_J2K_getErrorStr@4", reinterpret_cast<J2KProc>(&GetErrorStr)},
};

J2KLibrary gLibrary;

} // namespace

J2KLibrary* J2KLoadLibrary(const char* theName)
{
    if (theName == nullptr || strcasecmp(theName, "j2k-codec.dll") != 0)
        return nullptr;
    return &gLibrary;
}

void J2KFreeLibrary(J2KLibrary*) {}

J2KProc J2KGetProc(J2KLibrary* theLibrary, const char* theName)
{
    if (theLibrary == nullptr || theName == nullptr)
        return nullptr;
    for (const NamedProc& aProc : kProcs) {
        if (std::strcmp(aProc.mName, theName) == 0)
            return aProc.mProc;
    }
    return nullptr;
}

} // namespace plat
