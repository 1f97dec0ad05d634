// SoundStore: sounds by id and the three readers (WAV, Ogg Vorbis through Tremor, AU).
#include "sound/SoundStore.h"

#include "resources/PakInterface.h"

#include <tremor/ivorbisfile.h>

#include <cstdio>
#include <cstring>

namespace Quor {

namespace {

// Closes a file opened through the archive-aware functions when it goes out of scope.
class PakFileCloser {
public:
    explicit PakFileCloser(PakFile* theFile) : mFile(theFile) {}
    ~PakFileCloser()
    {
        if (mFile != nullptr)
            PakFClose(mFile);
    }
    PakFileCloser(const PakFileCloser&) = delete;
    PakFileCloser& operator=(const PakFileCloser&) = delete;

private:
    PakFile* mFile;
};

bool ReadBytes(PakFile* theFile, void* theDest, size_t theCount)
{
    return PakFRead(theDest, 1, theCount, theFile) == theCount;
}

bool ReadLE16(PakFile* theFile, uint32_t& theValue)
{
    uint8_t b[2];
    if (!ReadBytes(theFile, b, 2))
        return false;
    theValue = uint32_t(b[0]) | (uint32_t(b[1]) << 8);
    return true;
}

bool ReadLE32(PakFile* theFile, uint32_t& theValue)
{
    uint8_t b[4];
    if (!ReadBytes(theFile, b, 4))
        return false;
    theValue = uint32_t(b[0]) | (uint32_t(b[1]) << 8) | (uint32_t(b[2]) << 16) | (uint32_t(b[3]) << 24);
    return true;
}

bool ReadBE32(PakFile* theFile, uint32_t& theValue)
{
    uint8_t b[4];
    if (!ReadBytes(theFile, b, 4))
        return false;
    theValue = (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]);
    return true;
}

// Bytes from the read position to the end of the file.
long RemainingBytes(PakFile* theFile)
{
    long aPos = PakFTell(theFile);
    if (aPos < 0 || PakFSeek(theFile, 0, SEEK_END) != 0)
        return -1;
    long anEnd = PakFTell(theFile);
    if (PakFSeek(theFile, aPos, SEEK_SET) != 0 || anEnd < aPos)
        return -1;
    return anEnd - aPos;
}

// The formats a sound buffer can be made with: PCM of one or two channels, 8 or 16 bits, a rate
// the mixer can play.
bool BufferFormatOK(const SoundData& theData)
{
    return (theData.mChannels == 1 || theData.mChannels == 2) &&
           (theData.mBitsPerSample == 8 || theData.mBitsPerSample == 16) &&
           theData.mSamplesPerSec >= 100 && theData.mSamplesPerSec <= 200000;
}

// Tremor's file callbacks over the archive-aware file functions.
size_t OggRead(void* thePtr, size_t theSize, size_t theCount, void* theSource)
{
    return PakFRead(thePtr, theSize, theCount, static_cast<PakFile*>(theSource));
}

int OggSeek(void* theSource, ogg_int64_t theOffset, int theOrigin)
{
    if (theSource == nullptr)
        return -1;
    if (theOffset < -0x7FFFFFFFLL || theOffset > 0x7FFFFFFFLL)
        return -1;
    return PakFSeek(static_cast<PakFile*>(theSource), static_cast<long>(theOffset), theOrigin);
}

int OggClose(void* theSource)
{
    return PakFClose(static_cast<PakFile*>(theSource));
}

long OggTell(void* theSource)
{
    return PakFTell(static_cast<PakFile*>(theSource));
}

// One 8-bit mu-law byte as a 16-bit sample.
int16_t MuLawSample(uint8_t theByte)
{
    int x = theByte | 0x80;
    int m;
    if (x >= 240)
        m = (255 - x) * 2;
    else if (x >= 224)
        m = (247 - x) * 4;
    else if (x >= 208)
        m = (235 - x) * 8;
    else if (x >= 192)
        m = (221 - x) * 16;
    else if (x >= 176)
        m = (206 - x) * 32;
    else if (x >= 160)
        m = 12192 - 64 * x;
    else if (x >= 144)
        m = 22368 - 128 * x;
    else
        m = 40672 - 256 * x;  // 128-143; 0x00 and 0x80 continue the segment
    int aSample = m * 4;
    return static_cast<int16_t>(theByte < 128 ? -aSample : aSample);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// The store

SoundStore::SoundStore()
{
    for (int i = 0; i < MAX_SOURCE_SOUNDS; i++) {
        mBaseVolumes[i] = 1.0;
        mBasePans[i] = 0;
    }
}

SoundStore::~SoundStore() = default;

int SoundStore::GetFreeSoundId() const
{
    for (int i = 0; i < MAX_SOURCE_SOUNDS; i++) {
        if (mSounds[i] == nullptr)
            return i;
    }
    return -1;
}

int SoundStore::GetNumSounds() const
{
    int aCount = 0;
    for (const auto& aSound : mSounds) {
        if (aSound != nullptr)
            aCount++;
    }
    return aCount;
}

bool SoundStore::LoadSoundToId(int theId, const std::string& theName)
{
    if (!ValidId(theId))
        return false;
    ReleaseSound(theId);
    mNames[theId] = theName;

    auto aData = std::make_unique<SoundData>();
    if (ReadWaveFile(theName + ".wav", *aData) || DecodeOgg(theName + ".ogg", *aData) ||
        DecodeAu(theName + ".au", *aData)) {
        mSounds[theId] = std::move(aData);
        return true;
    }
    return false;
}

void SoundStore::ReleaseSound(int theId)
{
    if (!ValidId(theId))
        return;
    mSounds[theId].reset();
    mNames[theId].clear();
}

void SoundStore::ReleaseSounds()
{
    for (auto& aSound : mSounds)
        aSound.reset();
}

bool SoundStore::SetBaseVolume(int theId, double theVolume)
{
    if (!ValidId(theId))
        return false;
    mBaseVolumes[theId] = theVolume;
    return true;
}

bool SoundStore::SetBasePan(int theId, int thePan)
{
    if (!ValidId(theId))
        return false;
    mBasePans[theId] = thePan;
    return true;
}

double SoundStore::GetBaseVolume(int theId) const
{
    return ValidId(theId) ? mBaseVolumes[theId] : 1.0;
}

int SoundStore::GetBasePan(int theId) const
{
    return ValidId(theId) ? mBasePans[theId] : 0;
}

const SoundData* SoundStore::GetSound(int theId) const
{
    return ValidId(theId) ? mSounds[theId].get() : nullptr;
}

std::string SoundStore::GetSoundName(int theId) const
{
    return ValidId(theId) ? mNames[theId] : std::string();
}

// ---------------------------------------------------------------------------------------------
// WAV: "RIFF" size "WAVE", then chunks; "fmt " gives the format, "xor " a byte every sample byte
// is XORed with, "data" the samples. Other chunks are skipped.

bool SoundStore::ReadWaveFile(const std::string& theFileName, SoundData& theData)
{
    PakFile* aFile = PakFOpen(theFileName.c_str(), "rb");
    if (aFile == nullptr)
        return false;
    PakFileCloser aCloser(aFile);

    char anId[4];
    uint32_t aSize;
    if (!ReadBytes(aFile, anId, 4) || std::memcmp(anId, "RIFF", 4) != 0)
        return false;
    if (!ReadLE32(aFile, aSize) || !ReadBytes(aFile, anId, 4) || std::memcmp(anId, "WAVE", 4) != 0)
        return false;

    SoundData aData;
    uint8_t aKey = 0;
    for (;;) {
        if (!ReadBytes(aFile, anId, 4) || !ReadLE32(aFile, aSize))
            return false;
        long aChunkStart = PakFTell(aFile);
        if (std::memcmp(anId, "fmt ", 4) == 0) {
            uint32_t aTag, aChannels, aRate, aBytesPerSec, anAlign, aBits;
            if (!ReadLE16(aFile, aTag) || !ReadLE16(aFile, aChannels) || !ReadLE32(aFile, aRate) ||
                !ReadLE32(aFile, aBytesPerSec) || !ReadLE16(aFile, anAlign) || !ReadLE16(aFile, aBits))
                return false;
            if (aTag != 1)
                return false;
            aData.mChannels = static_cast<int>(aChannels);
            aData.mSamplesPerSec = aRate > 0x7FFFFFFF ? 0 : static_cast<int>(aRate);
            aData.mBitsPerSample = static_cast<int>(aBits);
        } else if (std::memcmp(anId, "xor ", 4) == 0) {
            if (!ReadBytes(aFile, &aKey, 1))
                return false;
        } else if (std::memcmp(anId, "data", 4) == 0) {
            break;
        }
        if (aChunkStart < 0 || uint64_t(aChunkStart) + aSize > 0x7FFFFFFF)
            return false;
        if (PakFSeek(aFile, static_cast<long>(aChunkStart + aSize), SEEK_SET) != 0 || PakFEof(aFile))
            return false;
        // A seek past the end leaves the next read short; the chunk reads above catch it.
    }

    if (!BufferFormatOK(aData) || aSize > MAX_BUFFER_BYTES)
        return false;
    long aRemaining = RemainingBytes(aFile);
    if (aRemaining < 0 || uint64_t(aRemaining) < aSize)
        return false;
    aData.mPCM.resize(aSize);
    if (aSize > 0 && !ReadBytes(aFile, aData.mPCM.data(), aSize))
        return false;
    if (aKey != 0) {
        for (uint8_t& aByte : aData.mPCM)
            aByte ^= aKey;
    }
    theData = std::move(aData);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Ogg Vorbis through Tremor, 16-bit samples.

bool SoundStore::DecodeOgg(const std::string& theFileName, SoundData& theData)
{
    PakFile* aFile = PakFOpen(theFileName.c_str(), "rb");
    if (aFile == nullptr)
        return false;

    OggVorbis_File aVorbis;
    ov_callbacks aCallbacks = {OggRead, OggSeek, OggClose, OggTell};
    if (ov_open_callbacks(aFile, &aVorbis, nullptr, 0, aCallbacks) < 0) {
        PakFClose(aFile);
        return false;
    }
    // From here ov_clear closes the file.

    SoundData aData;
    vorbis_info* anInfo = ov_info(&aVorbis, -1);
    ogg_int64_t aTotal = ov_pcm_total(&aVorbis, -1);
    bool isOK = anInfo != nullptr && aTotal >= 0;
    if (isOK) {
        aData.mChannels = anInfo->channels;
        aData.mSamplesPerSec = anInfo->rate > 0x7FFFFFFF ? 0 : static_cast<int>(anInfo->rate);
        aData.mBitsPerSample = 16;
        isOK = BufferFormatOK(aData) &&
               aTotal <= ogg_int64_t(MAX_BUFFER_BYTES) / aData.GetBlockAlign();
    }
    if (isOK) {
        size_t aLength = static_cast<size_t>(aTotal) * static_cast<size_t>(aData.GetBlockAlign());
        aData.mPCM.resize(aLength);
        char* aPos = reinterpret_cast<char*>(aData.mPCM.data());
        size_t aRemaining = aLength;
        int aBitstream = 0;
        while (aRemaining > 0) {
            int aWant = aRemaining > 0x10000 ? 0x10000 : static_cast<int>(aRemaining);
            long aRead = ov_read(&aVorbis, aPos, aWant, &aBitstream);
            if (aRead < 1)
                break;
            aRemaining -= static_cast<size_t>(aRead);
            aPos += aRead;
        }
        isOK = aRemaining == 0;
    }
    ov_clear(&aVorbis);
    if (isOK)
        theData = std::move(aData);
    return isOK;
}

// ---------------------------------------------------------------------------------------------
// AU: ".snd", five big-endian words (data offset, data size, encoding, rate, channels); 8-bit
// mu-law (decoded to 16 bits) or 8-bit linear samples.

bool SoundStore::DecodeAu(const std::string& theFileName, SoundData& theData)
{
    PakFile* aFile = PakFOpen(theFileName.c_str(), "rb");
    if (aFile == nullptr)
        return false;
    PakFileCloser aCloser(aFile);

    char aMagic[4];
    if (!ReadBytes(aFile, aMagic, 4) || std::memcmp(aMagic, ".snd", 4) != 0)
        return false;
    uint32_t anOffset, aSize, anEncoding, aRate, aChannels;
    if (!ReadBE32(aFile, anOffset) || !ReadBE32(aFile, aSize) || !ReadBE32(aFile, anEncoding) ||
        !ReadBE32(aFile, aRate) || !ReadBE32(aFile, aChannels))
        return false;
    if (anOffset > 0x7FFFFFFF || PakFSeek(aFile, static_cast<long>(anOffset), SEEK_SET) != 0)
        return false;
    if (anEncoding != 1 && anEncoding != 2)
        return false;

    SoundData aData;
    aData.mChannels = aChannels > 2 ? 0 : static_cast<int>(aChannels);
    aData.mSamplesPerSec = aRate > 0x7FFFFFFF ? 0 : static_cast<int>(aRate);
    aData.mBitsPerSample = anEncoding == 1 ? 16 : 8;
    if (!BufferFormatOK(aData) || uint64_t(aSize) * (aData.mBitsPerSample / 8) > MAX_BUFFER_BYTES)
        return false;
    long aRemaining = RemainingBytes(aFile);
    if (aRemaining < 0 || uint64_t(aRemaining) < aSize)
        return false;

    std::vector<uint8_t> aBytes(aSize);
    if (aSize > 0 && !ReadBytes(aFile, aBytes.data(), aSize))
        return false;
    if (anEncoding == 2) {
        aData.mPCM = std::move(aBytes);
    } else {
        aData.mPCM.resize(size_t(aSize) * 2);
        for (size_t i = 0; i < aBytes.size(); i++) {
            auto aSample = static_cast<uint16_t>(MuLawSample(aBytes[i]));
            aData.mPCM[2 * i] = static_cast<uint8_t>(aSample & 0xFF);
            aData.mPCM[2 * i + 1] = static_cast<uint8_t>(aSample >> 8);
        }
    }
    theData = std::move(aData);
    return true;
}

} // namespace Quor
