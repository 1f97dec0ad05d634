// GIF reader: the first picture of a GIF87a or GIF89a file, with its own LZW decoder,
// interlacing and the transparent colour of a graphic control extension.
#include "resources/ImageLib.h"

#include "resources/PakInterface.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace Quor::ImageLib {

namespace {

constexpr int kMaxCodes = 4096;
constexpr int kStackSize = 4097;

// Reads one data sub-block into theBuffer (256 bytes): a size byte, then that many bytes.
// Returns the number of bytes read; 0 at a terminator or when nothing can be read.
int ReadGIFDataBlock(PakFile* theFile, uint8_t* theBuffer)
{
    uint8_t aSize = 0;
    if (PakFRead(&aSize, 1, 1, theFile) != 1)
        return 0;
    if (aSize == 0)
        return 0;
    return static_cast<int>(PakFRead(theBuffer, 1, aSize, theFile));
}

int ReadByte(PakFile* theFile)
{
    uint8_t aByte;
    return PakFRead(&aByte, 1, 1, theFile) == 1 ? aByte : -1;
}

uint16_t Le16(const uint8_t* theBytes)
{
    return static_cast<uint16_t>(theBytes[0] | (theBytes[1] << 8));
}

bool ReadColorTable(PakFile* theFile, int theEntries, std::vector<uint32_t>& theTable)
{
    std::vector<uint8_t> aBytes(static_cast<size_t>(theEntries) * 3);
    if (PakFRead(aBytes.data(), 1, aBytes.size(), theFile) != aBytes.size())
        return false;
    theTable.resize(static_cast<size_t>(theEntries));
    for (int i = 0; i < theEntries; i++)
        theTable[static_cast<size_t>(i)] = 0xFF000000 | (uint32_t(aBytes[size_t(i) * 3]) << 16) |
                                           (uint32_t(aBytes[size_t(i) * 3 + 1]) << 8) |
                                           aBytes[size_t(i) * 3 + 2];
    return true;
}

// The LZW decoder of one picture's image data.
class LzwDecoder {
public:
    LzwDecoder(PakFile* theFile, int theRootBits) : mFile(theFile), mRootBits(theRootBits)
    {
        mClear = 1 << theRootBits;
        mEnd = mClear + 1;
        for (int i = 0; i < mClear; i++) {
            mPrefix[i] = 0;
            mSuffix[i] = static_cast<uint8_t>(i);
        }
        Reset();
    }

    // The next colour index; false when the decoding has ended.
    bool Next(uint8_t& theIndex)
    {
        if (mStackTop == 0 && !Fill())
            return false;
        theIndex = mStack[--mStackTop];
        return true;
    }

private:
    void Reset()
    {
        mCodeBits = mRootBits + 1;
        mMask = (1 << mCodeBits) - 1;
        mNextCode = mClear + 2;
        mPrevCode = -1;
    }

    int GetCode()
    {
        while (mBitCount < mCodeBits) {
            if (mBlockPos >= mBlockLength) {
                mBlockLength = ReadGIFDataBlock(mFile, mBlock);
                mBlockPos = 0;
                if (mBlockLength == 0)
                    return -1;
            }
            mAccumulator |= uint32_t(mBlock[mBlockPos++]) << mBitCount;
            mBitCount += 8;
        }
        int aCode = static_cast<int>(mAccumulator & uint32_t(mMask));
        mAccumulator >>= mCodeBits;
        mBitCount -= mCodeBits;
        return aCode;
    }

    // Decodes codes until the stack holds at least one byte; false when the decoding ends.
    bool Fill()
    {
        if (mEnded)
            return false;
        for (;;) {
            int aCode = GetCode();
            if (aCode < 0 || aCode > mNextCode || aCode == mEnd)
                return End();
            if (aCode == mClear) {
                Reset();
                continue;
            }
            if (mPrevCode < 0) {
                // The first code after a clear must be a root code.
                if (aCode >= mClear)
                    return End();
                mStack[mStackTop++] = mSuffix[aCode];
                mPrevCode = aCode;
                mFirstByte = mSuffix[aCode];
                return true;
            }

            int anIncoming = aCode;
            if (aCode == mNextCode) {
                mStack[mStackTop++] = mFirstByte;
                aCode = mPrevCode;
            }
            while (aCode >= mClear) {
                if (mStackTop >= kStackSize - 1)
                    return End();
                mStack[mStackTop++] = mSuffix[aCode];
                aCode = mPrefix[aCode];
            }
            mFirstByte = mSuffix[aCode];
            if (mNextCode >= kMaxCodes) {
                // The table is full and no clear code came: the string cannot be completed.
                mStackTop = 0;
                return End();
            }
            mStack[mStackTop++] = mFirstByte;
            mPrefix[mNextCode] = static_cast<uint16_t>(mPrevCode);
            mSuffix[mNextCode] = mFirstByte;
            mNextCode++;
            if ((mNextCode & mMask) == 0 && mNextCode < kMaxCodes) {
                mCodeBits++;
                mMask += mNextCode;
            }
            mPrevCode = anIncoming;
            return true;
        }
    }

    bool End()
    {
        mEnded = true;
        return false;
    }

    PakFile* mFile;
    int mRootBits;
    int mClear = 0;
    int mEnd = 0;
    int mCodeBits = 0;
    int mMask = 0;
    int mNextCode = 0;
    int mPrevCode = -1;
    uint8_t mFirstByte = 0;
    uint32_t mAccumulator = 0;
    int mBitCount = 0;
    uint8_t mBlock[256] = {};
    int mBlockPos = 0;
    int mBlockLength = 0;
    bool mEnded = false;
    int mStackTop = 0;
    uint16_t mPrefix[kMaxCodes] = {};
    uint8_t mSuffix[kMaxCodes] = {};
    uint8_t mStack[kStackSize] = {};
};

Image* ReadGIF(PakFile* theFile)
{
    uint8_t aSignature[6];
    if (PakFRead(aSignature, 1, 6, theFile) != 6 ||
        (std::memcmp(aSignature, "GIF87", 5) != 0 && std::memcmp(aSignature, "GIF89", 5) != 0))
        return nullptr;

    uint8_t aScreen[7];
    if (PakFRead(aScreen, 1, 7, theFile) != 7)
        return nullptr;
    std::vector<uint32_t> aGlobalTable;
    if ((aScreen[4] & 0x80) != 0 && !ReadColorTable(theFile, 2 << (aScreen[4] & 7), aGlobalTable))
        return nullptr;

    int aTransparent = -1;
    uint8_t aBlock[256];
    for (;;) {
        int aByte = ReadByte(theFile);
        if (aByte < 0 || aByte == ';')
            return nullptr;
        if (aByte == ',')
            break;
        if (aByte != '!')
            continue;
        int aLabel = ReadByte(theFile);
        if (aLabel < 0)
            return nullptr;
        if (aLabel == 0xF9) {
            uint8_t aLast[256];
            int aLastSize = 0;
            int aSize;
            while ((aSize = ReadGIFDataBlock(theFile, aBlock)) > 0) {
                std::memcpy(aLast, aBlock, static_cast<size_t>(aSize));
                aLastSize = aSize;
            }
            if (aLastSize >= 4 && (aLast[0] & 1) != 0)
                aTransparent = aLast[3];
        } else {
            while (ReadGIFDataBlock(theFile, aBlock) > 0) {
            }
        }
    }

    uint8_t aDescriptor[9];
    if (PakFRead(aDescriptor, 1, 9, theFile) != 9)
        return nullptr;
    // Sizes are unsigned 16-bit numbers.
    int aWidth = Le16(aDescriptor + 4);
    int aHeight = Le16(aDescriptor + 6);
    int aFlags = aDescriptor[8];

    std::vector<uint32_t> aPalette;
    if ((aFlags & 0x80) != 0) {
        if (!ReadColorTable(theFile, 2 << (aFlags & 7), aPalette))
            return nullptr;
    } else {
        aPalette = aGlobalTable;
    }
    aGlobalTable.clear();

    if (aWidth == 0 || aHeight == 0)
        return nullptr;

    // Colour lookup by index: the transparent index and indexes beyond the palette give
    // transparent black.
    uint32_t aColors[256] = {};
    for (size_t i = 0; i < aPalette.size() && i < 256; i++)
        aColors[i] = aPalette[i];
    if (aTransparent >= 0)
        aColors[aTransparent] = 0;

    int aRootBits = ReadByte(theFile);
    if (aRootBits < 1 || aRootBits > 11)
        return nullptr;

    std::unique_ptr<Image> anImage(AllocImage(aWidth, aHeight));
    if (anImage == nullptr)
        return nullptr;
    auto aDecoder = std::make_unique<LzwDecoder>(theFile, aRootBits);

    // Row order: top to bottom, or the four interlace passes.
    std::vector<int> aRows;
    aRows.reserve(static_cast<size_t>(aHeight));
    if ((aFlags & 0x40) != 0) {
        static const int kStart[4] = {0, 4, 2, 1};
        static const int kStep[4] = {8, 8, 4, 2};
        for (int aPass = 0; aPass < 4; aPass++)
            for (int y = kStart[aPass]; y < aHeight; y += kStep[aPass])
                aRows.push_back(y);
    } else {
        for (int y = 0; y < aHeight; y++)
            aRows.push_back(y);
    }

    for (size_t r = 0; r < aRows.size(); r++) {
        uint32_t* aDest = anImage->mBits + size_t(aRows[r]) * size_t(aWidth);
        for (int x = 0; x < aWidth; x++) {
            uint8_t anIndex;
            if (!aDecoder->Next(anIndex)) {
                // Early end: the rows produced stay, the rest is transparent black.
                std::memset(aDest + x, 0, size_t(aWidth - x) * sizeof(uint32_t));
                for (size_t s = r + 1; s < aRows.size(); s++)
                    std::memset(anImage->mBits + size_t(aRows[s]) * size_t(aWidth), 0,
                                size_t(aWidth) * sizeof(uint32_t));
                return anImage.release();
            }
            aDest[x] = aColors[anIndex];
        }
    }
    return anImage.release();
}

} // namespace

Image* LoadGIFImage(const std::string& theFileName)
{
    PakFile* aFile = PakFOpen(theFileName.c_str(), "rb");
    if (aFile == nullptr)
        return nullptr;
    Image* anImage = ReadGIF(aFile);
    PakFClose(aFile);
    return anImage;
}

} // namespace Quor::ImageLib
