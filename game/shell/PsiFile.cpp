#include "game/shell/PsiFile.h"

#include "resources/PakInterface.h"

#include <cstdio>
#include <cstring>

namespace Quor {

namespace {

int32_t Int32At(const uint8_t* p)
{
    const uint32_t v = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                       (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    int32_t out;
    std::memcpy(&out, &v, sizeof out);
    return out;
}

float FloatAt(const uint8_t* p)
{
    const int32_t bits = Int32At(p);
    float out;
    std::memcpy(&out, &bits, sizeof out);
    return out;
}

} // namespace

void PsiHeader::Decode(const uint8_t* b)
{
    mRate = Int32At(b + 4);
    mDuration = FloatAt(b + 8);
    mLifeMin = FloatAt(b + 12);
    mLifeMax = FloatAt(b + 16);
    mDirection = FloatAt(b + 20);
    mSpread = FloatAt(b + 24);
    mRelative = b[28] != 0;
    mSpeedMin = FloatAt(b + 32);
    mSpeedMax = FloatAt(b + 36);
    mGravityMin = FloatAt(b + 40);
    mGravityMax = FloatAt(b + 44);
    mRadialMin = FloatAt(b + 48);
    mRadialMax = FloatAt(b + 52);
    mTangentialMin = FloatAt(b + 56);
    mTangentialMax = FloatAt(b + 60);
    mSizeStart = FloatAt(b + 64);
    mSizeEnd = FloatAt(b + 68);
    mSizeVar = FloatAt(b + 72);
    mSpinStart = FloatAt(b + 76);
    mSpinEnd = FloatAt(b + 80);
    mSpinVar = FloatAt(b + 84);
    for (int i = 0; i < 4; ++i) {
        mColorStart[i] = FloatAt(b + 88 + 4 * i);
        mColorEnd[i] = FloatAt(b + 104 + 4 * i);
    }
    mColorVar = FloatAt(b + 120);
    mAlphaVar = FloatAt(b + 124);
}

PsiReader::PsiReader(const std::string& path)
{
    mFile = PakFOpen(path.c_str(), "rb");
    if (mFile == nullptr)
        return;
    // The size bounds the point counts; a file whose size cannot be told is read until its
    // reads come up short.
    if (PakFSeek(mFile, 0, SEEK_END) == 0) {
        const long size = PakFTell(mFile);
        mSize = size > 0 ? size : 0;
    }
    if (PakFSeek(mFile, 0, SEEK_SET) != 0)
        mEnded = true;
}

PsiReader::~PsiReader()
{
    if (mFile != nullptr)
        PakFClose(mFile);
}

bool PsiReader::Read(void* dest, size_t count)
{
    if (mEnded)
        return false;
    const size_t got = PakFRead(dest, 1, count, mFile);
    mPos += static_cast<int64_t>(got);
    if (got != count) {
        mEnded = true;
        mShortRead = true;
        return false;
    }
    return true;
}

bool PsiReader::ReadInt(int32_t& value)
{
    uint8_t b[4];
    if (!Read(b, sizeof b))
        return false;
    value = Int32At(b);
    return true;
}

bool PsiReader::ReadFloat(float& value)
{
    uint8_t b[4];
    if (!Read(b, sizeof b))
        return false;
    value = FloatAt(b);
    return true;
}

size_t PsiReader::ReadHeader(PsiHeader& header)
{
    uint8_t bytes[PsiHeader::kSize] = {};
    size_t got = 0;
    if (mFile != nullptr && !mEnded) {
        got = PakFRead(bytes, 1, sizeof bytes, mFile);
        mPos += static_cast<int64_t>(got);
        if (got != sizeof bytes) {
            mEnded = true;
            mShortRead = got > 0;
        }
    }
    header.Decode(bytes);
    return got;
}

bool PsiReader::ReadPoints(PsiRecord& record)
{
    if (!ReadInt(record.mLength))
        return false;
    // A count beyond the bytes left cannot be true: only the points really there are read.
    int64_t count = record.mLength > 0 ? record.mLength : 0;
    const int64_t whole = BytesLeft() / 8;
    const bool cut = count > whole;
    if (cut)
        count = whole;
    for (int64_t i = 0; i < count; ++i) {
        uint8_t b[8];
        if (!Read(b, sizeof b))
            return true; // the points read so far stand; the file has ended
        record.mPoints.push_back(Point{Int32At(b), Int32At(b + 4)});
    }
    if (cut) {
        // The rest of the file is a point that cannot be read whole: it is skipped, and with
        // it the file ends.
        uint8_t rest[8];
        Read(rest, static_cast<size_t>(BytesLeft() > 0 ? BytesLeft() : 0) % sizeof rest);
        mEnded = true;
        mShortRead = true;
    }
    return true;
}

bool PsiReader::NextRecord(PsiRecord& record)
{
    record = PsiRecord();
    if (mFile == nullptr || mEnded)
        return false;
    uint8_t tag;
    if (PakFRead(&tag, 1, 1, mFile) != 1) {
        mEnded = true;
        return false;
    }
    ++mPos;
    record.mTag = tag;
    switch (tag) {
    case PsiRecord::ADDITIVE: {
        uint8_t flag;
        if (!Read(&flag, 1))
            return false;
        record.mAdditive = flag != 0;
        return true;
    }
    case PsiRecord::POSITION:
        return ReadFloat(record.mX) && ReadFloat(record.mY);
    case PsiRecord::IMAGE: {
        if (!ReadInt(record.mLength))
            return false;
        const int32_t n = record.mLength;
        if (n < 0) {
            record.mNameSkipped = true;
            return true;
        }
        if (n > PsiRecord::kMaxNameLength) {
            record.mNameSkipped = true;
            if (n > BytesLeft() || PakFSeek(mFile, n, SEEK_CUR) != 0) {
                mEnded = true;
                mShortRead = true;
                return false;
            }
            mPos += n;
            return true;
        }
        record.mName.resize(static_cast<size_t>(n));
        return n == 0 || Read(record.mName.data(), static_cast<size_t>(n));
    }
    case PsiRecord::CLIP:
    case PsiRecord::PATH:
        return ReadPoints(record);
    case PsiRecord::PATH_TIME:
        return ReadFloat(record.mPathTime) && ReadInt(record.mPathMode);
    default:
        return true;
    }
}

} // namespace Quor
