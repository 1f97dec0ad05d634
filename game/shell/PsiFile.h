// Reader of particle effect files (".psi"): a 128-byte little-endian header of emitter
// settings, then tagged records up to the end of the file. Both the particle system and the
// "psi" tool read through it, so the two always agree on the format.
#pragma once

#include "graphics/Image.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Quor {

struct PakFile;

// The header's emitter settings, in file order.
struct PsiHeader {
    static constexpr size_t kSize = 128;

    int32_t mRate = 0;          // particles per second
    float mDuration = 0.0f;     // seconds; -1 = endless
    float mLifeMin = 0.0f;      // particle life, seconds
    float mLifeMax = 0.0f;
    float mDirection = 0.0f;    // radians; 0 points up the screen, growing clockwise
    float mSpread = 0.0f;       // radians, half of it either way
    bool mRelative = false;     // directions turn with the emitter's movement
    float mSpeedMin = 0.0f;     // pixels per simulation step
    float mSpeedMax = 0.0f;
    float mGravityMin = 0.0f;   // added to the vertical speed per second
    float mGravityMax = 0.0f;
    float mRadialMin = 0.0f;    // away from the emitter when positive
    float mRadialMax = 0.0f;
    float mTangentialMin = 0.0f;
    float mTangentialMax = 0.0f;
    float mSizeStart = 0.0f;    // scale factors of the image
    float mSizeEnd = 0.0f;
    float mSizeVar = 0.0f;
    float mSpinStart = 0.0f;    // radians per second
    float mSpinEnd = 0.0f;
    float mSpinVar = 0.0f;
    float mColorStart[4] = {0.0f, 0.0f, 0.0f, 0.0f}; // red, green, blue, alpha, 0-1
    float mColorEnd[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float mColorVar = 0.0f;     // red, green and blue
    float mAlphaVar = 0.0f;

    // The fields from the header's kSize bytes (the first 4 bytes are not read).
    void Decode(const uint8_t* bytes);
};

// One tagged record.
struct PsiRecord {
    enum Tag {
        ADDITIVE = 0,  // 1 byte: non-zero draws additively
        POSITION = 1,  // float x, y: the emitter position
        IMAGE = 2,     // int32 n, n bytes: image file name
        CLIP = 3,      // int32 n, n x (int32 x, int32 y): clip polygon
        PATH = 4,      // int32 n, n x (int32 x, int32 y): emitter path
        PATH_TIME = 5, // float seconds, int32 mode
    };
    static constexpr int32_t kMaxNameLength = 259;

    int mTag = 0;               // any other value is a record without payload
    bool mAdditive = false;
    float mX = 0.0f;
    float mY = 0.0f;
    int32_t mLength = 0;        // IMAGE: the stored name length; CLIP, PATH: the stored count
    bool mNameSkipped = false;  // IMAGE: the length was negative or above kMaxNameLength
    std::string mName;
    std::vector<Point> mPoints; // CLIP, PATH: the points read whole
    float mPathTime = 0.0f;
    int32_t mPathMode = 0;
};

class PsiReader {
public:
    // Opens the file through the archive-aware file functions (archive first, then a plain
    // file); IsOpen tells whether that worked.
    explicit PsiReader(const std::string& path);
    PsiReader(const PsiReader&) = delete;
    PsiReader& operator=(const PsiReader&) = delete;
    ~PsiReader();

    bool IsOpen() const { return mFile != nullptr; }
    // Reads the header; bytes the file does not have read as 0. Returns the bytes read.
    size_t ReadHeader(PsiHeader& header);
    // The next record; false at the end of the file, and at a read that comes up short, which
    // ends the file (ShortRead then tells so).
    bool NextRecord(PsiRecord& record);
    bool ShortRead() const { return mShortRead; }

private:
    bool Read(void* dest, size_t count);
    bool ReadInt(int32_t& value);
    bool ReadFloat(float& value);
    bool ReadPoints(PsiRecord& record);
    int64_t BytesLeft() const { return mSize - mPos; }

    PakFile* mFile = nullptr;
    int64_t mSize = 0;
    int64_t mPos = 0;
    bool mEnded = false;
    bool mShortRead = false;
};

} // namespace Quor
